/* One emulated usbscan device: its device object, its two bridge connections, and whether its name
 * \DosDevices\usbscanN exists. Shared by the dispatch routines and the power watch. */
#ifndef FWU_USBSCAN_DEVICE_H
#define FWU_USBSCAN_DEVICE_H

#include <ddk/wdm.h>

#include "bridge_client.h"

typedef struct usbscan_device {
    DEVICE_OBJECT *object;
    unsigned int index;
    /* Requests from the dispatch routines go on one connection, presence checks of the watch thread on the
     * other, so neither waits for the other's reply. The guard keeps requests whole should the driver host
     * ever dispatch from more than one thread. */
    bridge_link requests;
    KMUTEX requests_guard;
    bridge_link watch;
    /* The file object whose open the emulator saw last: only its close gives the device channel back. */
    FILE_OBJECT *holder;
    BOOLEAN linked;
    /* The usbscan number that names it while it is there (see the power watch); `index` is its slot. */
    unsigned int number;
    WCHAR device_name[32];
    WCHAR link_name[32];
} usbscan_device;

/* Creates \DosDevices\usbscanN for the device under `number`, or deletes its name, so that opening a name
 * succeeds exactly while a scanner holds it: Wine completes an open whatever status the driver gives it. */
void usbscan_link(usbscan_device *device, unsigned int number);
void usbscan_unlink(usbscan_device *device);

#endif
