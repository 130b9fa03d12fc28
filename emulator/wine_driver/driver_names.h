/* Names the emulated usbscan driver and the Wine rig's installer agree on. Plain C, no headers needed. */
#ifndef FWU_DRIVER_NAMES_H
#define FWU_DRIVER_NAMES_H

/* The kernel-driver service; its image goes to system32\drivers (syswow64\drivers for the 32-bit host). */
#define USBSCAN_EMU_SERVICE L"TessalineUsbscan"
#define USBSCAN_EMU_IMAGE L"tessaline_usbscan.sys"
/* Under the service key: REG_DWORD values "Usbscan0" to "Usbscan7", each the bridge port of the emulator
 * that stands behind \\.\usbscanN. An index without a value has no device. */
#define USBSCAN_EMU_PARAMETERS L"Parameters"
#define USBSCAN_EMU_PORT_VALUE L"Usbscan"
#define USBSCAN_EMU_MAX_DEVICES 8
/* Optional REG_DWORD beside them: how long a read or write the scanner does not answer is held before it fails
 * with STATUS_IO_TIMEOUT, in milliseconds. Without it, usbscan's own default of 120 s. */
#define USBSCAN_EMU_TIMEOUT_VALUE L"TimeoutMs"
#define USBSCAN_EMU_DEFAULT_TIMEOUT_MS 120000

#endif
