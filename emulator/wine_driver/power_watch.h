/* The thread that follows each emulated scanner's power state and shows or hides its usbscan name. */
#ifndef FWU_POWER_WATCH_H
#define FWU_POWER_WATCH_H

#include "usbscan_device.h"

NTSTATUS power_watch_start(usbscan_device **devices, unsigned int count);
void power_watch_stop(void);

#endif
