#include "simhost/files.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "simhost/kernel.h"
#include "simhost/system_messages.h"

namespace simhost {
namespace {

// The OVERLAPPED record's status: pending, success, or an error of ours. STATUS_CANCELLED stands for a
// cancelled request, as on Windows; other errors are kept in the low 16 bits under a marker of this model.
constexpr ULONG_PTR kPending = STATUS_PENDING;
constexpr ULONG_PTR kCancelled = 0xC0000120;
constexpr ULONG_PTR kErrorMarker = 0xC0070000;

ULONG_PTR StatusOf(DWORD error) {
  if (error == 0) return 0;
  if (error == ERROR_OPERATION_ABORTED) return kCancelled;
  return kErrorMarker | (error & 0xFFFF);
}

DWORD ErrorOf(ULONG_PTR status) {
  if (status == kCancelled) return ERROR_OPERATION_ABORTED;
  return static_cast<DWORD>(status & 0xFFFF);
}

const UsbFault* FindFault(const std::vector<UsbFault>& faults, uint32_t number) {
  for (const UsbFault& fault : faults) {
    const bool inRange = number >= fault.request && (fault.count == 0 || number - fault.request < fault.count);
    if (inRange) return &fault;
  }
  return nullptr;
}

emu::Transfer Move(const UsbFileObject& file, bool write, const uint8_t* data, uint8_t* buffer, DWORD length,
                   uint64_t now) {
  UsbDevice& device = *file.device;
  emu::TessalineDevice* scanner = device.Scanner();
  if (scanner != nullptr && device.claimant != &file) {
    if (device.claimant != nullptr && scanner->InTransaction()) file.bus.TransactionCut();
    if (!file.presence || !scanner->Claim(*file.presence, now)) return {emu::Outcome::Absent, 0};
    device.claimant = &file;
  }
  if (scanner == nullptr) {
    if (write) {
      device.bytesTaken += length;
    } else {
      for (DWORD i = 0; i < length; ++i) buffer[i] = static_cast<uint8_t>(device.bytesGiven++ & 0xFF);
    }
    return {emu::Outcome::Moved, length};
  }
  return write ? scanner->Write(data, length, now) : scanner->Read(buffer, length, now);
}

DWORD ErrorOfOutcome(emu::Outcome outcome) {
  return outcome == emu::Outcome::Absent ? ERROR_DEVICE_NOT_CONNECTED : ERROR_GEN_FAILURE;
}

void After(UsbBus& bus, uint64_t ms, std::function<void()> body) {
  bus.scheduler().Spawn([&bus, ms, body = std::move(body)] {
    bus.scheduler().Sleep(ms);
    body();
  });
}

// Ends a pending request: the record gets its status and count, then its event is signalled.
void EndIo(UsbBus& bus, const std::shared_ptr<UsbPendingIo>& io, DWORD error, DWORD moved) {
  if (io->ended) return;
  io->ended = true;
  io->overlapped->InternalHigh = moved;
  io->overlapped->Internal = StatusOf(error);
  UsbRequest& entry = bus.Entry(io->logAt);
  entry.ended = true;
  entry.moved = moved;
  entry.error = error;
  if (io->event != nullptr) {
    if (const auto event = io->process->handles.Get<EventObject>(io->event)) {
      event->signaled = true;
    } else {
      bus.Violation("request " + std::to_string(io->number) + " ended after its event was closed");
    }
  }
  bus.Forget(io.get());
}

// The device answers a pending request now, unless it was cancelled meanwhile or the device stalls.
void Finish(UsbBus& bus, const std::shared_ptr<UsbPendingIo>& io) {
  if (io->ended || io->cancelled) return;
  if (io->completionError) {
    EndIo(bus, io, *io->completionError, 0);
    return;
  }
  const emu::Transfer transfer = Move(*io->owner, io->write, io->data, io->buffer, io->length, bus.Now());
  switch (transfer.outcome) {
    case emu::Outcome::Moved:
      EndIo(bus, io, 0, static_cast<DWORD>(transfer.bytes));
      break;
    case emu::Outcome::Stalled:
      After(bus, bus.DriverTimeoutMs(), [&bus, io] { EndIo(bus, io, ERROR_SEM_TIMEOUT, 0); });
      break;
    case emu::Outcome::Absent:
    case emu::Outcome::WrongDirection:
      EndIo(bus, io, ErrorOfOutcome(transfer.outcome), 0);
      break;
  }
}

}  // namespace

UsbFileObject::UsbFileObject(UsbBus& b, int i, std::shared_ptr<UsbDevice> d, std::optional<emu::Presence> p)
    : bus(b), index(i), device(std::move(d)), presence(p) {
  bus.HandleOpened();
}

UsbFileObject::~UsbFileObject() {
  const auto inFlight = bus.InFlight();
  for (const auto& io : inFlight) {
    if (io->owner != this || io->ended) continue;
    // Windows would cancel it and still write the record and the buffer later: the caller's memory is at risk.
    bus.Violation("device handle closed while request " + std::to_string(io->number) + " was in flight");
    io->ended = true;
    bus.Forget(io.get());
  }
  if (device->Scanner() != nullptr && device->claimant == this) {
    device->Scanner()->Close();
    device->claimant = nullptr;
  }
  bus.HandleClosed();
}

BOOL Files::Fail(DWORD error) {
  state_.CurrentThread().lastError = error;
  return FALSE;
}

HANDLE Files::CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                          DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
  if (fileName != nullptr && fileName[0] != L'\0' && fileName[1] == L':') {
    return OpenDiskFile(fileName, desiredAccess, creationDisposition);
  }
  UsbBus& bus = state_.world.usb();
  UsbRequest entry;
  entry.call = UsbCall::Open;
  entry.name = fileName != nullptr ? fileName : L"";
  entry.index = UsbscanIndex(entry.name);
  entry.access = desiredAccess;
  entry.share = shareMode;
  entry.disposition = creationDisposition;
  entry.flags = flagsAndAttributes;
  entry.ended = true;
  const std::shared_ptr<UsbDevice> device = bus.Shared(entry.index);
  emu::TessalineDevice* scanner = device ? device->Scanner() : nullptr;
  const std::optional<emu::Presence> presence = scanner ? scanner->PresenceAt(bus.Now()) : std::nullopt;
  if (!device || (scanner != nullptr && !presence)) {
    entry.error = ERROR_FILE_NOT_FOUND;
    bus.Record(std::move(entry));
    Fail(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const int index = entry.index;
  bus.Record(std::move(entry));
  state_.CurrentThread().lastError = ERROR_SUCCESS;
  auto file = std::make_shared<UsbFileObject>(bus, index, device, presence);
  file->overlapped = (flagsAndAttributes & FILE_FLAG_OVERLAPPED) != 0;
  return state_.handles.Insert(std::move(file));
}

BOOL Files::DeviceIoControl(HANDLE handle, DWORD ioControlCode, LPVOID, DWORD, LPVOID outBuffer, DWORD outBufferSize,
                            LPDWORD bytesReturned, LPOVERLAPPED) {
  const auto file = state_.handles.Get<UsbFileObject>(handle);
  if (!file) return Fail(ERROR_INVALID_HANDLE);
  UsbBus& bus = state_.world.usb();
  UsbRequest entry;
  entry.call = UsbCall::Descriptor;
  entry.index = file->index;
  entry.bytes = outBufferSize;
  entry.ended = true;
  DWORD error = 0;
  emu::TessalineDevice* scanner = file->device->Scanner();
  if (ioControlCode != IOCTL_GET_DEVICE_DESCRIPTOR) {
    error = ERROR_INVALID_FUNCTION;
  } else if (outBuffer == nullptr || outBufferSize < sizeof(DEVICE_DESCRIPTOR)) {
    error = ERROR_INSUFFICIENT_BUFFER;
  } else if (scanner != nullptr && scanner->PresenceAt(bus.Now()) != file->presence) {
    error = ERROR_DEVICE_NOT_CONNECTED;  // gone, or back as another device object since this handle was opened
  } else if (file->device->DescriptorFails()) {
    error = ERROR_GEN_FAILURE;
  }
  entry.error = error;
  if (error != 0) {
    bus.Record(std::move(entry));
    return Fail(error);
  }
  const emu::UsbIdentity identity = file->device->Identity();
  DEVICE_DESCRIPTOR descriptor{};
  descriptor.usVendorId = identity.vendorId;
  descriptor.usProductId = identity.productId;
  descriptor.usBcdDevice = identity.bcdDevice;
  descriptor.usLanguageId = 0x0409;
  std::memcpy(outBuffer, &descriptor, sizeof descriptor);
  if (bytesReturned != nullptr) *bytesReturned = sizeof descriptor;
  entry.moved = sizeof descriptor;
  bus.Record(std::move(entry));
  return TRUE;
}

// Only appending is modelled, which is all the program asks of a disk file.
HANDLE Files::OpenDiskFile(const std::wstring& path, DWORD desiredAccess, DWORD creationDisposition) {
  if (desiredAccess != FILE_APPEND_DATA || creationDisposition != OPEN_ALWAYS) {
    Fail(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  const bool existed = state_.world.ReadBytes(path).has_value();
  state_.world.AppendBytes(path, std::string());
  state_.CurrentThread().lastError = existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  return state_.handles.Insert(std::make_shared<DiskFileObject>(path));
}

BOOL Files::CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
  if (path == nullptr || !state_.world.MakeFolder(path)) return Fail(ERROR_ALREADY_EXISTS);
  return TRUE;
}

BOOL Files::WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                      LPOVERLAPPED overlapped) {
  if (const auto disk = state_.handles.Get<DiskFileObject>(file)) {
    state_.world.AppendBytes(disk->path, std::string(static_cast<const char*>(buffer), bytesToWrite));
    if (bytesWritten != nullptr) *bytesWritten = bytesToWrite;
    return TRUE;
  }
  return Transfer(true, file, static_cast<const uint8_t*>(buffer), nullptr, bytesToWrite, bytesWritten, overlapped);
}

BOOL Files::ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped) {
  return Transfer(false, file, nullptr, static_cast<uint8_t*>(buffer), bytesToRead, bytesRead, overlapped);
}

BOOL Files::Transfer(bool write, HANDLE handle, const uint8_t* data, uint8_t* buffer, DWORD length, LPDWORD moved,
                     LPOVERLAPPED overlapped) {
  const auto file = state_.handles.Get<UsbFileObject>(handle);
  if (!file) return Fail(ERROR_INVALID_HANDLE);
  if (overlapped == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  UsbBus& bus = state_.world.usb();
  UsbDevice& device = *file->device;
  const uint32_t number = ++device.requests;
  const UsbFault* fault = FindFault(device.faults, number);
  UsbRequest entry;
  entry.call = write ? UsbCall::Write : UsbCall::Read;
  entry.index = file->index;
  entry.bytes = length;
  const size_t at = bus.Record(std::move(entry));
  if (fault != nullptr && fault->callError) {
    bus.Entry(at).ended = true;
    bus.Entry(at).error = *fault->callError;
    return Fail(*fault->callError);
  }
  // A new request resets its event, as the platform does, so a signal left by an earlier one is not taken for it.
  if (const auto event = state_.handles.Get<EventObject>(overlapped->hEvent)) event->signaled = false;
  overlapped->Internal = kPending;
  overlapped->InternalHigh = 0;

  auto io = std::make_shared<UsbPendingIo>();
  io->process = &state_;
  io->owner = file.get();
  io->device = file->device;
  io->overlapped = overlapped;
  io->event = overlapped->hEvent;
  io->write = write;
  io->data = data;
  io->buffer = buffer;
  io->length = fault != nullptr && fault->shortBytes ? std::min(length, *fault->shortBytes) : length;
  io->completionError = fault != nullptr ? fault->completionError : std::nullopt;
  io->number = number;
  io->logAt = at;
  const bool goesPending = fault != nullptr && (fault->pendingMs || fault->waitResult || fault->completionError);
  if (goesPending) return GoPending(io, fault, false);

  const emu::Transfer transfer = Move(*file, write, data, buffer, io->length, bus.Now());
  if (transfer.outcome == emu::Outcome::Stalled) {
    return file->overlapped ? GoPending(io, fault, true) : WaitForDriverTimeout(io);
  }
  if (transfer.outcome != emu::Outcome::Moved) {
    overlapped->Internal = StatusOf(ErrorOfOutcome(transfer.outcome));
    bus.Entry(at).ended = true;
    bus.Entry(at).error = ErrorOfOutcome(transfer.outcome);
    return Fail(ErrorOfOutcome(transfer.outcome));
  }
  const DWORD count = static_cast<DWORD>(transfer.bytes);
  bus.Track(io);
  EndIo(bus, io, 0, count);
  if (moved != nullptr) *moved = count;
  return TRUE;
}

BOOL Files::GoPending(const std::shared_ptr<UsbPendingIo>& io, const UsbFault* fault, bool deviceStalled) {
  UsbBus& bus = state_.world.usb();
  bus.Entry(io->logAt).pending = true;
  bus.Track(io);
  if (fault != nullptr && fault->waitResult) {
    if (const auto event = state_.handles.Get<EventObject>(io->event)) {
      event->injectedWait = *fault->waitResult;
      event->injectedWaitError = fault->waitError;
    }
  }
  uint64_t endsAfter = kNeverEnds;
  if (fault != nullptr && fault->pendingMs) {
    endsAfter = *fault->pendingMs;
  } else if (fault != nullptr && fault->completionError) {
    endsAfter = 0;
  }
  if (deviceStalled) {
    After(bus, bus.DriverTimeoutMs(), [&bus, io] { EndIo(bus, io, ERROR_SEM_TIMEOUT, 0); });
  } else if (endsAfter != kNeverEnds) {
    After(bus, endsAfter, [&bus, io] { Finish(bus, io); });
  }
  return Fail(ERROR_IO_PENDING);
}

BOOL Files::WaitForDriverTimeout(const std::shared_ptr<UsbPendingIo>& io) {
  UsbBus& bus = state_.world.usb();
  Scheduler& scheduler = bus.scheduler();
  bus.Track(io);
  const int thread = scheduler.CurrentThread();
  bus.Held()[thread] = io;
  const bool ended = scheduler.BlockUntil([io] { return io->ended; }, scheduler.Now() + bus.DriverTimeoutMs());
  bus.Held().erase(thread);
  if (!ended) EndIo(bus, io, ERROR_SEM_TIMEOUT, 0);
  return Fail(ended ? ERROR_OPERATION_ABORTED : ERROR_SEM_TIMEOUT);
}

BOOL Files::GetOverlappedResult(HANDLE, LPOVERLAPPED overlapped, LPDWORD bytesTransferred, BOOL wait) {
  if (overlapped == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (overlapped->Internal == kPending && wait) {
    state_.world.scheduler().BlockUntil([overlapped] { return overlapped->Internal != kPending; }, kForever);
  }
  if (overlapped->Internal == kPending) return Fail(ERROR_IO_INCOMPLETE);
  if (bytesTransferred != nullptr) *bytesTransferred = static_cast<DWORD>(overlapped->InternalHigh);
  if (overlapped->Internal != 0) return Fail(ErrorOf(overlapped->Internal));
  return TRUE;
}

BOOL Files::CancelIoEx(HANDLE handle, LPOVERLAPPED overlapped) {
  const auto file = state_.handles.Get<UsbFileObject>(handle);
  if (!file) return Fail(ERROR_INVALID_HANDLE);
  UsbBus& bus = state_.world.usb();
  bool found = false;
  for (const auto& io : std::vector(bus.InFlight())) {
    if (io->owner != file.get() || io->ended || io->cancelled) continue;
    if (overlapped != nullptr && io->overlapped != overlapped) continue;
    found = true;
    io->cancelled = true;
    UsbRequest entry;
    entry.call = UsbCall::Cancel;
    entry.index = file->index;
    entry.bytes = io->length;
    entry.ended = true;
    bus.Record(std::move(entry));
    if (bus.CancelMs() == 0) {
      EndIo(bus, io, ERROR_OPERATION_ABORTED, 0);
    } else {
      After(bus, bus.CancelMs(), [&bus, io] { EndIo(bus, io, ERROR_OPERATION_ABORTED, 0); });
    }
  }
  return found ? TRUE : Fail(ERROR_NOT_FOUND);
}

BOOL Files::CancelSynchronousIo(HANDLE thread) {
  const auto object = state_.handles.Get<ThreadObject>(thread);
  if (!object) return Fail(ERROR_INVALID_HANDLE);
  UsbBus& bus = state_.world.usb();
  const auto held = bus.Held().find(object->schedulerId);
  if (held == bus.Held().end() || held->second->ended || held->second->cancelled) return Fail(ERROR_NOT_FOUND);
  const std::shared_ptr<UsbPendingIo> io = held->second;
  io->cancelled = true;
  UsbRequest entry;
  entry.call = UsbCall::Cancel;
  entry.index = io->owner->index;
  entry.bytes = io->length;
  entry.ended = true;
  bus.Record(std::move(entry));
  After(bus, bus.CancelMs(), [&bus, io] { EndIo(bus, io, ERROR_OPERATION_ABORTED, 0); });
  return TRUE;
}

DWORD Files::FormatMessageW(DWORD flags, LPCVOID, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                            va_list*) {
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0) return Fail(ERROR_INVALID_PARAMETER);
  if (languageId != 0 && languageId != 0x0409) return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
  const std::optional<std::wstring> text = SystemMessage(messageId);
  if (!text) return Fail(ERROR_MR_MID_NOT_FOUND);
  if (buffer == nullptr || text->size() + 1 > size) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::copy(text->begin(), text->end(), buffer);
  buffer[text->size()] = L'\0';
  return static_cast<DWORD>(text->size());
}

}  // namespace simhost
