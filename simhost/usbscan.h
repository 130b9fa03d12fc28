// The machine's usbscan devices: "\\.\usbscan0" to "\\.\usbscan255", each empty, an emulated Kavrel Tessaline
// (the emulator's device model on the world's clock) or another vendor's device. Requests can be made to fail
// in every way the pipe distinguishes, and every request is recorded. The process side (CreateFileW, the
// descriptor request, overlapped reads and writes, cancelling) is simhost/files.h.
//
// How a request goes:
//   completed at once    the device moves its bytes; WriteFile/ReadFile returns TRUE with the count
//   blocked              the device does not answer and the handle is synchronous (opened without
//                        FILE_FLAG_OVERLAPPED): the call returns after the driver's time-out, failing with
//                        ERROR_SEM_TIMEOUT
//   pending              ERROR_IO_PENDING: on an overlapped handle whose device does not answer (ended by the
//                        driver's time-out), or by a fault that says the platform reported pending; the request
//                        ends at a virtual time, then sets the OVERLAPPED record and signals its event
//   cancelled            CancelIoEx ends it cancelMs later with ERROR_OPERATION_ABORTED
// The scanner's outcomes: a stalled device holds the request until the driver's time-out; an absent device
// fails it with ERROR_DEVICE_NOT_CONNECTED; a request in the wrong direction fails with ERROR_GEN_FAILURE.
// Another vendor's device moves every byte at once (see UsbDevice).
//
// Numbering, as Windows does it: a device arriving gets the lowest usbscan index no present device holds and
// keeps it while it is present. A scanner that leaves (powered off, unplugged) gives its index up and comes back
// at the lowest free index then; with a second scanner plugged in meanwhile that may be another one. A device
// attached by a test takes the index it is attached at. The indices are brought up to date whenever a name is
// opened: devices that left (and maybe came back) since the last look leave first, then arrive in the order
// they were attached.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulator/tessaline_device.h"
#include "platform/files.h"
#include "simhost/scheduler.h"

namespace simhost {

inline constexpr uint64_t kNeverEnds = UINT64_MAX;
// usbscan's own limit of a bulk read or write, until a program sets another with IOCTL_SET_TIMEOUT.
inline constexpr uint64_t kUsbscanDefaultTimeoutMs = 120000;

// What happens to matching requests (WriteFile and ReadFile calls) of one device, numbered from 1 in the order
// the device sees them. Fields combine: a pending request may also have its wait abandoned and end short.
// pendingMs, waitResult and completionError each mean that the platform reported ERROR_IO_PENDING for the
// request, which Windows does not do on a synchronous handle: they exist to drive a caller's pending branch.
struct UsbFault {
  uint32_t request = 1;  // the first request it hits (RequestCount() + 1 is the next one)
  uint32_t count = 1;    // consecutive requests it hits; 0: every one from `request` on
  std::optional<DWORD> callError;         // the call fails at once with this error
  std::optional<uint64_t> pendingMs;      // pending, ending this long after (kNeverEnds: only a cancel ends it)
  std::optional<DWORD> waitResult;        // the first wait on the request's event returns this at once
  DWORD waitError = ERROR_INVALID_HANDLE; // the last error that comes with WAIT_FAILED
  std::optional<DWORD> completionError;   // the request ends with this error (GetOverlappedResult fails)
  std::optional<DWORD> shortBytes;        // the request moves at most this many bytes
};

enum class UsbCall { Open, Descriptor, Write, Read, Cancel };

// One request as the device saw it.
struct UsbRequest {
  UsbCall call = UsbCall::Open;
  int index = -1;           // the usbscan index; -1 for a name that is not a usbscan device
  std::wstring name;        // Open: the name asked for
  DWORD access = 0, share = 0, disposition = 0, flags = 0;  // Open: the arguments
  DWORD bytes = 0;          // Write/Read: the bytes asked for
  bool pending = false;     // went pending
  bool ended = false;       // completed at once, or its pending request has ended
  DWORD moved = 0;          // bytes moved once ended
  DWORD error = 0;          // the error it failed or ended with, 0 on success
};

struct UsbFileObject;

class UsbDevice {
 public:
  UsbDevice(emu::UsbIdentity identity, std::unique_ptr<emu::TessalineDevice> scanner)
      : identity_(identity), scanner_(std::move(scanner)) {}

  // The emulated scanner; null for another vendor's device.
  emu::TessalineDevice* Scanner() { return scanner_.get(); }
  const emu::TessalineDevice* Scanner() const { return scanner_.get(); }
  emu::UsbIdentity Identity() const { return scanner_ ? scanner_->Identity() : identity_; }
  bool DescriptorFails() const;
  void SetDescriptorFails(bool fails) { descriptorFails_ = fails; }

  std::vector<UsbFault> faults;
  uint32_t requests = 0;  // WriteFile and ReadFile calls so far
  // Another vendor's device takes every write in full and answers every read in full with a counting pattern:
  // byte k of its output stream is k mod 256.
  uint64_t bytesTaken = 0;
  uint64_t bytesGiven = 0;
  // The handle whose requests hold the scanner's one channel: the last one that moved bytes. usbscan lets
  // several handles be open at once, and one that only asks for the descriptor disturbs no other.
  const UsbFileObject* claimant = nullptr;

 private:
  emu::UsbIdentity identity_;
  std::unique_ptr<emu::TessalineDevice> scanner_;
  bool descriptorFails_ = false;
};

struct ProcessState;
struct UsbFileObject;

// A request that went pending; tracked by the bus until it ends. The addresses are the caller's: the platform
// writes the OVERLAPPED record and, for a read, the buffer when the request ends.
struct UsbPendingIo {
  ProcessState* process = nullptr;  // whose handle table holds the event
  const UsbFileObject* owner = nullptr;
  std::shared_ptr<UsbDevice> device;
  OVERLAPPED* overlapped = nullptr;
  HANDLE event = nullptr;
  bool write = false;
  const uint8_t* data = nullptr;
  uint8_t* buffer = nullptr;
  DWORD length = 0;  // already cut by a short-count fault
  std::optional<DWORD> completionError;
  uint32_t number = 0;
  size_t logAt = 0;
  bool cancelled = false;
  bool ended = false;
};

class UsbBus {
 public:
  static constexpr int kDevices = 256;

  explicit UsbBus(Scheduler& scheduler) : scheduler_(scheduler) {}
  UsbBus(const UsbBus&) = delete;
  UsbBus& operator=(const UsbBus&) = delete;

  // Plugs a device in at an index (replacing what was there). The scanner's clock starts now.
  emu::TessalineDevice& AttachScanner(int index, emu::Scenario scenario = {});
  UsbDevice& AttachOther(int index, WORD vendorId, WORD productId, WORD bcdDevice = 0x0100);
  // Plugs a scanner in now at the lowest free index, as a user does; reached through the reference only.
  emu::TessalineDevice& PlugInScanner(emu::Scenario scenario = {});
  // The index that names the scanner now (see Numbering above), or -1 while it is absent.
  int IndexOf(const emu::TessalineDevice& scanner);
  void Detach(int index);
  // The device attached at an index, or null.
  UsbDevice* At(int index);
  // The device "\\.\usbscanN" names now, or null.
  std::shared_ptr<UsbDevice> Shared(int index);
  emu::TessalineDevice& Scanner(int index);
  void AddFault(int index, UsbFault fault);
  uint32_t RequestCount(int index);

  // How long a cancelled request takes to end.
  void SetCancelMs(uint64_t ms) { cancelMs_ = ms; }
  uint64_t CancelMs() const { return cancelMs_; }
  // The driver's time-out of a request the device does not answer (IOCTL_SET_TIMEOUT would change it).
  void SetDriverTimeoutMs(uint64_t ms) { driverTimeoutMs_ = ms; }
  uint64_t DriverTimeoutMs() const { return driverTimeoutMs_; }

  // What tests observe.
  const std::vector<UsbRequest>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  // The bytes asked for by each Write or Read request on a device, in order.
  std::vector<DWORD> Sizes(UsbCall call, int index) const;
  size_t Count(UsbCall call) const;
  size_t OpenHandles() const { return openHandles_; }
  // The most device handles that were open at the same moment since the bus was made.
  size_t PeakOpenHandles() const { return peakOpenHandles_; }
  // Requests of one handle that took the scanner's channel while another handle's transaction was unfinished:
  // two threads talking to the scanner at once.
  size_t CutTransactions() const { return cutTransactions_; }
  void TransactionCut() { ++cutTransactions_; }
  size_t RequestsInFlight() const;
  // Broken rules of the platform: a request ending after its event was closed, a device handle closed while a
  // request of it was in flight. Empty when the caller kept every record alive until its request ended.
  const std::vector<std::string>& Violations() const { return violations_; }

  // For simhost/files.cpp.
  Scheduler& scheduler() { return scheduler_; }
  uint64_t Now() const { return scheduler_.Now(); }
  size_t Record(UsbRequest request);
  UsbRequest& Entry(size_t at) { return log_[at]; }
  void HandleOpened() {
    if (++openHandles_ > peakOpenHandles_) peakOpenHandles_ = openHandles_;
  }
  void HandleClosed() { --openHandles_; }
  void Violation(std::string text) { violations_.push_back(std::move(text)); }
  void Track(const std::shared_ptr<UsbPendingIo>& io) { inFlight_.push_back(io); }
  // The synchronous request each thread (by scheduler id) is held in, for CancelSynchronousIo.
  std::map<int, std::shared_ptr<UsbPendingIo>>& Held() { return held_; }
  std::vector<std::shared_ptr<UsbPendingIo>>& InFlight() { return inFlight_; }
  void Forget(const UsbPendingIo* io);

 private:
  // A scanner's presence now, none while it is absent; another vendor's device is always there.
  std::optional<emu::Presence> PresenceOf(const UsbDevice& device) const;
  void Renumber();

  Scheduler& scheduler_;
  std::array<std::shared_ptr<UsbDevice>, kDevices> devices_;
  std::vector<std::shared_ptr<UsbDevice>> pluggedIn_;
  std::array<std::shared_ptr<UsbDevice>, kDevices> numbered_;
  std::array<std::optional<emu::Presence>, kDevices> numberedAs_;  // the presence each number was given at
  std::vector<UsbRequest> log_;
  std::vector<std::shared_ptr<UsbPendingIo>> inFlight_;
  std::map<int, std::shared_ptr<UsbPendingIo>> held_;
  std::vector<std::string> violations_;
  size_t openHandles_ = 0;
  size_t peakOpenHandles_ = 0;
  size_t cutTransactions_ = 0;
  uint64_t cancelMs_ = 5;
  uint64_t driverTimeoutMs_ = kUsbscanDefaultTimeoutMs;
};

// Parses "\\.\usbscanN" (without regard to case, N in plain decimal); -1 for any other name.
int UsbscanIndex(const std::wstring& name);

}  // namespace simhost
