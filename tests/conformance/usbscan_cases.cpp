// The usbscan device as the program opens it: without FILE_FLAG_OVERLAPPED, so every request ends before its
// call returns; a request the device does not answer is failed by the driver's time-out, never left pending.
#include <array>

#include "link/protocol.h"

#include "checks.h"  // last: its macros

namespace conformance {
namespace {

HANDLE OpenDevice(Context& t, const wchar_t* name) {
  return t.host.files.CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_SYSTEM, nullptr);
}

// One request with the program's record: a zeroed OVERLAPPED whose event is an auto-reset one of its own.
struct Request {
  BOOL done = FALSE;
  DWORD error = 0;
  DWORD moved = 0xdeadbeef;
  DWORD elapsedMs = 0;
  OVERLAPPED record{};
};

Request Transfer(Context& t, HANDLE device, HANDLE event, bool write, uint8_t* bytes, DWORD length) {
  Request request;
  request.record.hEvent = event;
  const DWORD start = t.host.time.GetTickCount();
  t.host.kernel.SetLastError(0xdeadbeef);
  request.done = write ? t.host.files.WriteFile(device, bytes, length, &request.moved, &request.record)
                       : t.host.files.ReadFile(device, bytes, length, &request.moved, &request.record);
  request.error = t.host.kernel.GetLastError();
  request.elapsedMs = TicksSince(start, t.host.time.GetTickCount());
  return request;
}

}  // namespace

void test_usbscan_missing_device(Context& t) {
  for (const wchar_t* name : {L"\\\\.\\usbscan9", L"\\\\.\\usbscan255"}) {
    t.host.kernel.SetLastError(0xdeadbeef);
    const HANDLE device = OpenDevice(t, name);
    const DWORD error = t.host.kernel.GetLastError();
    ok(device == INVALID_HANDLE_VALUE, "%ls: got handle %p\n", name, static_cast<void*>(device));
    ok(error == ERROR_FILE_NOT_FOUND, "%ls: got error %lu\n", name, ul(error));
    if (device != INVALID_HANDLE_VALUE) t.host.kernel.CloseHandle(device);
  }
}

void test_usbscan_synchronous_requests(Context& t) {
  t.host.kernel.SetLastError(0xdeadbeef);
  HANDLE device = OpenDevice(t, L"\\\\.\\usbscan0");
  DWORD error = t.host.kernel.GetLastError();
  if (device == INVALID_HANDLE_VALUE) {
    skip("usbscan0 does not open (error %lu): no emulated scanner\n", ul(error));
    return;
  }
  ok(error == ERROR_SUCCESS, "opening usbscan0: got error %lu\n", ul(error));
  const HANDLE event = t.host.kernel.CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ok(event != nullptr, "CreateEventW: got %p\n", static_cast<void*>(event));
  proto::CommandBytes command = proto::Encode(proto::DeviceStatus());
  proto::ReplyBytes reply{};

  // The first transaction: the command goes in, its reply never comes.
  Request write = Transfer(t, device, event, true, command.data(), proto::kCommandBlockSize);
  ok(write.done, "command block: got %d, error %lu\n", write.done, ul(write.error));
  ok(write.moved == proto::kCommandBlockSize, "command block: got %lu bytes written\n", ul(write.moved));
  ok(write.error != ERROR_IO_PENDING, "command block: got error %lu\n", ul(write.error));
  Request held = Transfer(t, device, event, false, reply.data(), proto::kStatusReplySize);
  ok(!held.done, "unanswered reply: got %d\n", held.done);
  ok(held.error != ERROR_IO_PENDING, "unanswered reply: got error %lu, a synchronous handle never pends\n",
     ul(held.error));
  ok(held.error == ERROR_SEM_TIMEOUT, "unanswered reply: got error %lu\n", ul(held.error));
  // The tick count moves in steps of up to 16 ms on Windows.
  ok(held.elapsedMs + 16 >= kDriverTimeoutMs, "unanswered reply: returned after %lu ms\n", ul(held.elapsedMs));
  // The record of a synchronous request that failed is not checked: Windows does not say what it holds (Wine
  // leaves it STATUS_PENDING), and the program reads it only after ERROR_IO_PENDING.
  t.host.kernel.CloseHandle(device);

  // Opened again, the device answers: both requests have ended when their calls return.
  device = OpenDevice(t, L"\\\\.\\usbscan0");
  ok(device != INVALID_HANDLE_VALUE, "opening usbscan0 again: got %p\n", static_cast<void*>(device));
  write = Transfer(t, device, event, true, command.data(), proto::kCommandBlockSize);
  ok(write.done, "command block: got %d, error %lu\n", write.done, ul(write.error));
  ok(write.moved == proto::kCommandBlockSize, "command block: got %lu bytes\n", ul(write.moved));
  const Request read = Transfer(t, device, event, false, reply.data(), proto::kStatusReplySize);
  ok(read.done, "status reply: got %d, error %lu\n", read.done, ul(read.error));
  ok(read.moved == proto::kStatusReplySize, "status reply: got %lu bytes\n", ul(read.moved));
  ok(read.record.Internal == 0 && read.record.InternalHigh == proto::kStatusReplySize,
     "status reply: record status %#lx, count %lu\n", static_cast<unsigned long>(read.record.Internal),
     static_cast<unsigned long>(read.record.InternalHigh));
  // The request's end sets its event, also on a synchronous handle.
  const DWORD wait = t.host.kernel.WaitForSingleObject(event, 0);
  ok(wait == WAIT_OBJECT_0, "the record's event after the read: got %#lx\n", ul(wait));
  t.host.kernel.CloseHandle(device);
  t.host.kernel.CloseHandle(event);
}

}  // namespace conformance
