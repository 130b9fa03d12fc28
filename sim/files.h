// A process's file I/O: the usbscan devices of the world (sim/usbscan.h) opened by name, their descriptor
// request, overlapped reads and writes whose events are the process's kernel events, cancelling, and the
// system's English error texts. Only overlapped requests are modelled; other files are not found.
#pragma once
#include <memory>

#include "platform/files.h"
#include "sim/process_state.h"
#include "sim/usbscan.h"

namespace sim {

// An open usbscan device: closing the handle closes the scanner's channel when it is the latest open.
struct UsbFileObject : Object {
  UsbFileObject(UsbBus& bus, int index, std::shared_ptr<UsbDevice> device);
  ~UsbFileObject() override;
  UsbFileObject(const UsbFileObject&) = delete;
  UsbFileObject& operator=(const UsbFileObject&) = delete;

  UsbBus& bus;
  int index;
  std::shared_ptr<UsbDevice> device;
  uint64_t open;
};

class Files final : public plat::IFiles {
 public:
  explicit Files(ProcessState& state) : state_(state) {}

  HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                     DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) override;
  BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize, LPVOID outBuffer,
                       DWORD outBufferSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped) override;
  BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                 LPOVERLAPPED overlapped) override;
  BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped) override;
  BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD bytesTransferred, BOOL wait) override;
  BOOL CancelIoEx(HANDLE file, LPOVERLAPPED overlapped) override;
  DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                       va_list* arguments) override;

 private:
  BOOL Transfer(bool write, HANDLE file, const uint8_t* data, uint8_t* buffer, DWORD length, LPDWORD moved,
                LPOVERLAPPED overlapped);
  BOOL GoPending(const std::shared_ptr<UsbPendingIo>& io, const UsbFault* fault, bool deviceStalled);
  BOOL Fail(DWORD error);

  ProcessState& state_;
};

}  // namespace sim
