/* The emulated still-image USB driver for the Wine rig: \\.\usbscanN, each backed by a tessaline-emu whose
 * bridge port the service's Parameters name. Every request that reaches a device becomes one bridge frame,
 * and the request completes with the emulator's answer; the device model stays in the emulator, where the
 * rig sets its scenario and reads what arrived. */
#include <ddk/wdm.h>
#include <ddk/usbscan.h>

#include "../bridge_protocol.h"
#include "driver_names.h"
#include "power_watch.h"
#include "usbscan_device.h"

/* A request waits for the one before it on the same device at most this long: each bridge call is bounded by
 * its 10 s time-out, tried twice. */
#define REQUEST_GUARD_WAIT_MS 30000

/* While a held request waits for its time-out it looks this often whether the scanner is still there. */
#define STALL_CHECK_MS 100

static usbscan_device *devices[USBSCAN_EMU_MAX_DEVICES];
static unsigned int device_count;
static ULONG request_timeout_ms = USBSCAN_EMU_DEFAULT_TIMEOUT_MS;

static void name_with_index(WCHAR *out, unsigned int capacity, const WCHAR *prefix, unsigned int index)
{
    unsigned int length = 0;
    while (prefix[length] && length + 2 < capacity)
    {
        out[length] = prefix[length];
        ++length;
    }
    out[length++] = (WCHAR)(L'0' + index);
    out[length] = 0;
}

void usbscan_link(usbscan_device *device, unsigned int number)
{
    UNICODE_STRING link, target;

    if (device->linked) return;
    name_with_index(device->link_name, 32, L"\\DosDevices\\usbscan", number);
    RtlInitUnicodeString(&link, device->link_name);
    RtlInitUnicodeString(&target, device->device_name);
    if (NT_SUCCESS(IoCreateSymbolicLink(&link, &target)))
    {
        device->number = number;
        device->linked = TRUE;
    }
}

void usbscan_unlink(usbscan_device *device)
{
    UNICODE_STRING link;

    if (!device->linked) return;
    RtlInitUnicodeString(&link, device->link_name);
    IoDeleteSymbolicLink(&link);
    device->linked = FALSE;
}

/* A REG_DWORD of the Parameters key; FALSE when it is missing or of another type. */
static BOOLEAN read_dword(HANDLE parameters, const WCHAR *name, ULONG *out)
{
    UNICODE_STRING value_name;
    ULONG buffer[(sizeof(KEY_VALUE_PARTIAL_INFORMATION) + sizeof(ULONG)) / sizeof(ULONG) + 1];
    KEY_VALUE_PARTIAL_INFORMATION *info = (KEY_VALUE_PARTIAL_INFORMATION *)buffer;
    ULONG length = 0;

    RtlInitUnicodeString(&value_name, name);
    if (!NT_SUCCESS(ZwQueryValueKey(parameters, &value_name, KeyValuePartialInformation, info, sizeof(buffer), &length)))
        return FALSE;
    if (info->Type != REG_DWORD || info->DataLength != sizeof(ULONG)) return FALSE;
    RtlCopyMemory(out, info->Data, sizeof(*out));
    return TRUE;
}

/* The bridge port for \\.\usbscanN, or 0 when the index has no device. */
static unsigned short read_port(HANDLE parameters, unsigned int index)
{
    WCHAR name[16];
    ULONG port;

    name_with_index(name, 16, USBSCAN_EMU_PORT_VALUE, index);
    if (!read_dword(parameters, name, &port)) return 0;
    return port <= 0xffff ? (unsigned short)port : 0;
}

static NTSTATUS read_ports(UNICODE_STRING *registry, unsigned short *ports)
{
    OBJECT_ATTRIBUTES attributes;
    UNICODE_STRING name;
    HANDLE service, parameters;
    NTSTATUS status;

    InitializeObjectAttributes(&attributes, registry, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    status = ZwOpenKey(&service, KEY_READ, &attributes);
    if (!NT_SUCCESS(status)) return status;
    RtlInitUnicodeString(&name, USBSCAN_EMU_PARAMETERS);
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, service, NULL);
    status = ZwOpenKey(&parameters, KEY_READ, &attributes);
    ZwClose(service);
    if (!NT_SUCCESS(status)) return status;
    for (unsigned int i = 0; i < USBSCAN_EMU_MAX_DEVICES; ++i) ports[i] = read_port(parameters, i);
    if (!read_dword(parameters, USBSCAN_EMU_TIMEOUT_VALUE, &request_timeout_ms))
        request_timeout_ms = USBSCAN_EMU_DEFAULT_TIMEOUT_MS;
    ZwClose(parameters);
    return STATUS_SUCCESS;
}

static NTSTATUS create_device(DRIVER_OBJECT *driver, unsigned int index, unsigned short port)
{
    WCHAR device_name[32];
    UNICODE_STRING name;
    DEVICE_OBJECT *object;
    usbscan_device *device;
    NTSTATUS status;

    name_with_index(device_name, 32, L"\\Device\\TessalineUsbscan", index);
    RtlInitUnicodeString(&name, device_name);
    status = IoCreateDevice(driver, sizeof(usbscan_device), &name, FILE_DEVICE_USB_SCAN, 0, FALSE, &object);
    if (!NT_SUCCESS(status)) return status;
    device = object->DeviceExtension;
    RtlZeroMemory(device, sizeof(*device));
    device->object = object;
    device->index = index;
    RtlCopyMemory(device->device_name, device_name, sizeof(device_name));
    device->number = index;
    bridge_init(&device->requests, port);
    bridge_init(&device->watch, port);
    KeInitializeMutex(&device->requests_guard, 0);
    object->Flags |= DO_BUFFERED_IO;
    object->Flags &= ~DO_DEVICE_INITIALIZING;
    devices[device_count++] = device;
    return STATUS_SUCCESS;
}

static void delete_devices(void)
{
    while (device_count > 0)
    {
        usbscan_device *device = devices[--device_count];
        usbscan_unlink(device);
        bridge_close(&device->requests);
        bridge_close(&device->watch);
        IoDeleteDevice(device->object);
        devices[device_count] = NULL;
    }
}

/* One request on the device's request connection; 0 when the emulator cannot be reached. */
static int call(usbscan_device *device, unsigned char operation, const void *payload, unsigned int size, void *in,
                unsigned int in_capacity, unsigned char *result, unsigned int *value)
{
    LARGE_INTEGER limit;
    int answered;

    limit.QuadPart = -(LONGLONG)REQUEST_GUARD_WAIT_MS * 10000;
    if (KeWaitForSingleObject(&device->requests_guard, Executive, KernelMode, FALSE, &limit) != STATUS_SUCCESS) return 0;
    answered = bridge_call(&device->requests, operation, payload, size, in, in_capacity, result, value);
    KeReleaseMutex(&device->requests_guard, FALSE);
    return answered;
}

/* A stage the scanner does not answer holds the request, as usbscan holds a bulk transfer, until the
 * driver's time-out fails it; a scanner that goes away meanwhile ends it at once. The emulator answers a stall
 * at once and keeps the stage stalled until the channel closes, so waiting here is what the tool sees. */
static BOOLEAN still_linked(usbscan_device *device)
{
    return *(volatile BOOLEAN *)&device->linked;  /* written by the watch thread */
}

static void hold_stalled(usbscan_device *device)
{
    LARGE_INTEGER slice;
    ULONG waited = 0;

    slice.QuadPart = -(LONGLONG)STALL_CHECK_MS * 10000;
    while (waited < request_timeout_ms && still_linked(device))
    {
        KeDelayExecutionThread(KernelMode, FALSE, &slice);
        waited += STALL_CHECK_MS;
    }
}

/* What the caller sees for each answer. A stage the scanner does not answer ends as a pipe time-out would. */
static NTSTATUS status_of(int answered, unsigned char result)
{
    if (!answered) return STATUS_DEVICE_NOT_CONNECTED;
    switch (result)
    {
    case BRIDGE_OK: return STATUS_SUCCESS;
    case BRIDGE_STALLED: return STATUS_IO_TIMEOUT;
    case BRIDGE_WRONG_DIRECTION: return STATUS_INVALID_DEVICE_STATE;
    case BRIDGE_FAILED: return STATUS_UNSUCCESSFUL;
    default: return STATUS_DEVICE_NOT_CONNECTED;
    }
}

static NTSTATUS complete(IRP *irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? information : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI dispatch_create(DEVICE_OBJECT *object, IRP *irp)
{
    usbscan_device *device = object->DeviceExtension;
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    unsigned char result = BRIDGE_ABSENT;
    unsigned int value = 0;
    int answered = call(device, BRIDGE_OP_OPEN, NULL, 0, NULL, 0, &result, &value);

    if (answered && result == BRIDGE_OK) device->holder = stack->FileObject;
    return complete(irp, status_of(answered, result), 0);
}

static NTSTATUS NTAPI dispatch_close(DEVICE_OBJECT *object, IRP *irp)
{
    usbscan_device *device = object->DeviceExtension;
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    unsigned char result;
    unsigned int value;

    if (device->holder == stack->FileObject)
    {
        call(device, BRIDGE_OP_CLOSE, NULL, 0, NULL, 0, &result, &value);
        device->holder = NULL;
    }
    return complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI dispatch_cleanup(DEVICE_OBJECT *object, IRP *irp)
{
    (void)object;
    return complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI dispatch_write(DEVICE_OBJECT *object, IRP *irp)
{
    usbscan_device *device = object->DeviceExtension;
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    ULONG length = stack->Parameters.Write.Length;
    unsigned char result = BRIDGE_ABSENT;
    unsigned int value = 0;
    int answered;

    if (length > 0 && !irp->AssociatedIrp.SystemBuffer) return complete(irp, STATUS_INVALID_USER_BUFFER, 0);
    /* Another handle's open took the device channel: this handle's pipe is gone. */
    if (stack->FileObject != device->holder) return complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
    if (length > BRIDGE_MAX_WRITE) return complete(irp, STATUS_INVALID_PARAMETER, 0);
    answered = call(device, BRIDGE_OP_WRITE, irp->AssociatedIrp.SystemBuffer, length, NULL, 0, &result, &value);
    if (answered && result == BRIDGE_STALLED) hold_stalled(device);
    if (answered && result == BRIDGE_STALLED && !still_linked(device)) result = BRIDGE_ABSENT;
    return complete(irp, status_of(answered, result), value);
}

static NTSTATUS NTAPI dispatch_read(DEVICE_OBJECT *object, IRP *irp)
{
    usbscan_device *device = object->DeviceExtension;
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    ULONG length = stack->Parameters.Read.Length;
    unsigned int capacity = length > BRIDGE_MAX_READ ? BRIDGE_MAX_READ : length;
    unsigned char result = BRIDGE_ABSENT;
    unsigned int value = 0;
    int answered;

    if (length > 0 && !irp->AssociatedIrp.SystemBuffer) return complete(irp, STATUS_INVALID_USER_BUFFER, 0);
    if (stack->FileObject != device->holder) return complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
    answered = call(device, BRIDGE_OP_READ, NULL, capacity, irp->AssociatedIrp.SystemBuffer, capacity, &result, &value);
    if (answered && result == BRIDGE_STALLED) hold_stalled(device);
    if (answered && result == BRIDGE_STALLED && !still_linked(device)) result = BRIDGE_ABSENT;
    return complete(irp, status_of(answered, result), value);
}

static NTSTATUS NTAPI dispatch_ioctl(DEVICE_OBJECT *object, IRP *irp)
{
    usbscan_device *device = object->DeviceExtension;
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    DEVICE_DESCRIPTOR *descriptor = irp->AssociatedIrp.SystemBuffer;
    unsigned char bytes[BRIDGE_DESCRIPTOR_SIZE];
    unsigned char result = BRIDGE_ABSENT;
    unsigned int value = 0;
    int answered;

    if (stack->Parameters.DeviceIoControl.IoControlCode != (ULONG)IOCTL_GET_DEVICE_DESCRIPTOR)
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < sizeof(DEVICE_DESCRIPTOR) || !descriptor)
        return complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
    answered = call(device, BRIDGE_OP_DESCRIPTOR, NULL, 0, bytes, sizeof(bytes), &result, &value);
    if (answered && result == BRIDGE_OK && value != sizeof(bytes)) result = BRIDGE_FAILED;
    if (!answered || result != BRIDGE_OK) return complete(irp, status_of(answered, result), 0);
    descriptor->usVendorId = (USHORT)(bytes[0] | bytes[1] << 8);
    descriptor->usProductId = (USHORT)(bytes[2] | bytes[3] << 8);
    descriptor->usBcdDevice = (USHORT)(bytes[4] | bytes[5] << 8);
    descriptor->usLanguageId = (USHORT)(bytes[6] | bytes[7] << 8);
    return complete(irp, STATUS_SUCCESS, sizeof(DEVICE_DESCRIPTOR));
}

static void NTAPI driver_unload(DRIVER_OBJECT *driver)
{
    (void)driver;
    power_watch_stop();
    delete_devices();
    bridge_cleanup();
}

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT *driver, UNICODE_STRING *registry)
{
    unsigned short ports[USBSCAN_EMU_MAX_DEVICES];
    NTSTATUS status;

    if (bridge_startup() != 0) return STATUS_UNSUCCESSFUL;
    status = read_ports(registry, ports);
    for (unsigned int i = 0; NT_SUCCESS(status) && i < USBSCAN_EMU_MAX_DEVICES; ++i)
        if (ports[i] != 0) status = create_device(driver, i, ports[i]);
    if (NT_SUCCESS(status)) status = power_watch_start(devices, device_count);
    if (!NT_SUCCESS(status))
    {
        delete_devices();
        bridge_cleanup();
        return status;
    }
    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_create;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_close;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatch_cleanup;
    driver->MajorFunction[IRP_MJ_WRITE] = dispatch_write;
    driver->MajorFunction[IRP_MJ_READ] = dispatch_read;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_ioctl;
    driver->DriverUnload = driver_unload;
    return STATUS_SUCCESS;
}
