#include "link/usb_request.h"

UsbRequestRecord::UsbRequestRecord(plat::Host& host, HANDLE device)
    : host_(host), device_(device), event_(host.kernel) {}

bool UsbRequestRecord::MakeEvent() {
  event_.Reset(host_.kernel.CreateEventW(nullptr, FALSE, FALSE, nullptr));
  overlapped_ = OVERLAPPED{};
  overlapped_.hEvent = event_.Get();
  return event_.IsValid();
}

void UsbRequestRecord::Release() {
  // Only a request that went pending can still be in flight; the record's status tells whether it has ended.
  if (pending_ && !HasOverlappedIoCompleted(&overlapped_)) {
    host_.files.CancelIoEx(device_, &overlapped_);
    DWORD transferred = 0;
    host_.files.GetOverlappedResult(device_, &overlapped_, &transferred, TRUE);
  }
  pending_ = false;
  event_.Reset();
}
