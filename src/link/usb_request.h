// The request record of one usbscan request, or of one chain of reads: a zeroed OVERLAPPED record with an event
// of its own. The platform writes the record, and for a read the buffer, when the request ends; so a request
// that is still in flight when its record goes away is cancelled and its end awaited first, on every way out.
#pragma once
#include "platform/host.h"
#include "platform/unique_handle.h"

class UsbRequestRecord {
 public:
  UsbRequestRecord(plat::Host& host, HANDLE device);
  ~UsbRequestRecord() { Release(); }
  UsbRequestRecord(const UsbRequestRecord&) = delete;
  UsbRequestRecord& operator=(const UsbRequestRecord&) = delete;

  // An auto-reset event, not signalled, without a name. False when it cannot be made (the last error says why).
  bool MakeEvent();
  HANDLE Event() const { return event_.Get(); }
  OVERLAPPED* Record() { return &overlapped_; }

  // Called before each request on the record, and when a request reports ERROR_IO_PENDING.
  void Issuing() { pending_ = false; }
  void WentPending() { pending_ = true; }
  // Cancels a request still in flight and waits for its end, then closes the event.
  void Release();

 private:
  plat::Host& host_;
  HANDLE device_;
  plat::UniqueHandle event_;
  OVERLAPPED overlapped_{};
  bool pending_ = false;
};
