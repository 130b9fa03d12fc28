/* A system thread asks tessaline-emu, through each device's watch connection, whether the scanner is there,
 * and shows or hides the device's usbscan name to match: that is how the tool sees the power cycle. */
#include <ddk/wdm.h>

#include "../bridge_protocol.h"
#include "driver_names.h"
#include "power_watch.h"

/* The tool probes once a second while it waits for the power-off and the power-on; ten checks a second
 * show each change well before its next probe. */
#define WATCH_INTERVAL_MS 100
/* The thread looks at its stop flag between checks, and one check may take the bridge's 10 s time-out. */
#define WATCH_STOP_WAIT_MS 15000

static usbscan_device **watched;
static unsigned int watched_count;
static volatile LONG stopping;
static HANDLE thread_handle;
static void *thread_object;

static BOOLEAN is_present(usbscan_device *device)
{
    unsigned char result = BRIDGE_ABSENT;
    unsigned int value = 0;

    /* An emulator that cannot be reached counts as no scanner. */
    return bridge_call(&device->watch, BRIDGE_OP_PRESENT, NULL, 0, NULL, 0, &result, &value) &&
           result == BRIDGE_OK && value == 1;
}

static BOOLEAN number_taken(unsigned int number)
{
    for (unsigned int i = 0; i < watched_count; ++i)
        if (watched[i]->linked && watched[i]->number == number) return TRUE;
    return FALSE;
}

/* Numbering as Windows does it: a scanner that leaves gives its usbscan number up, one that arrives takes the
 * lowest number no present scanner holds and keeps it while it is there. So the updated scanner, back from its
 * power cycle, may come back under another number, or another scanner plugged in meanwhile under its old one.
 * Those there when the driver starts keep the numbers of their slots, as the rig configured them. Departures
 * go first, so a scanner that left and came back between two checks arrives anew. */
static void check_all(BOOLEAN at_start)
{
    BOOLEAN present[USBSCAN_EMU_MAX_DEVICES];
    unsigned int number;

    for (unsigned int i = 0; i < watched_count; ++i)
    {
        present[i] = is_present(watched[i]);
        if (!present[i]) usbscan_unlink(watched[i]);
    }
    for (unsigned int i = 0; i < watched_count; ++i)
    {
        if (!present[i] || watched[i]->linked) continue;
        number = 0;
        if (at_start && !number_taken(watched[i]->index)) number = watched[i]->index;
        else
            while (number_taken(number)) ++number;
        usbscan_link(watched[i], number);
    }
}

static void NTAPI watch_main(void *context)
{
    LARGE_INTEGER interval;

    (void)context;
    interval.QuadPart = -(LONGLONG)WATCH_INTERVAL_MS * 10000;
    while (!InterlockedCompareExchange(&stopping, 0, 0))
    {
        check_all(FALSE);
        KeDelayExecutionThread(KernelMode, FALSE, &interval);
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

NTSTATUS power_watch_start(usbscan_device **devices, unsigned int count)
{
    NTSTATUS status;

    watched = devices;
    watched_count = count;
    InterlockedExchange(&stopping, 0);
    /* One pass before the thread runs, so the names of present scanners exist once the driver has started. */
    check_all(TRUE);
    status = PsCreateSystemThread(&thread_handle, THREAD_ALL_ACCESS, NULL, NULL, NULL, watch_main, NULL);
    if (!NT_SUCCESS(status)) return status;
    status = ObReferenceObjectByHandle(thread_handle, SYNCHRONIZE, NULL, KernelMode, &thread_object, NULL);
    if (!NT_SUCCESS(status)) thread_object = NULL;
    return STATUS_SUCCESS;
}

void power_watch_stop(void)
{
    LARGE_INTEGER limit;

    if (!thread_handle) return;
    InterlockedExchange(&stopping, 1);
    if (thread_object)
    {
        limit.QuadPart = -(LONGLONG)WATCH_STOP_WAIT_MS * 10000;
        KeWaitForSingleObject(thread_object, Executive, KernelMode, FALSE, &limit);
        ObDereferenceObject(thread_object);
        thread_object = NULL;
    }
    ZwClose(thread_handle);
    thread_handle = NULL;
}
