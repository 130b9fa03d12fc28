// A process's file I/O: the usbscan devices of the world (simhost/usbscan.h) opened by name, their descriptor
// request, reads and writes with an OVERLAPPED record whose event is one of the process's kernel events,
// cancelling, and the system's English error texts. Other files are not found.
//
// A handle opened without FILE_FLAG_OVERLAPPED is synchronous, as on Windows: WriteFile and ReadFile return
// only when the request has ended, whatever OVERLAPPED record they are given, so they never report
// ERROR_IO_PENDING on their own. A device that does not answer holds the calling thread until the usbscan
// driver's own time-out fails the request (STATUS_IO_TIMEOUT, which the caller sees as ERROR_SEM_TIMEOUT). The
// pending branch of a caller is reached on such a handle only through a fault that says the platform reported
// pending (UsbFault::pendingMs, waitResult, completionError).
#pragma once
#include <memory>
#include <optional>

#include "platform/files.h"
#include "simhost/process_state.h"
#include "simhost/usbscan.h"

namespace simhost {

// An open usbscan device: closing the handle closes the scanner's channel when its requests hold it.
struct UsbFileObject : Object {
  UsbFileObject(UsbBus& bus, int index, std::shared_ptr<UsbDevice> device, std::optional<emu::Presence> presence);
  ~UsbFileObject() override;
  UsbFileObject(const UsbFileObject&) = delete;
  UsbFileObject& operator=(const UsbFileObject&) = delete;

  UsbBus& bus;
  int index;
  std::shared_ptr<UsbDevice> device;
  std::optional<emu::Presence> presence;  // the scanner's, when it was opened; none for another vendor's device
  bool overlapped = false;                // opened with FILE_FLAG_OVERLAPPED
};

// A file on the machine's disk (a path with a drive), opened for appending: each write goes to its end.
struct DiskFileObject : Object {
  explicit DiskFileObject(std::wstring p) : path(std::move(p)) {}
  std::wstring path;
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
  BOOL CancelSynchronousIo(HANDLE thread) override;
  BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES securityAttributes) override;
  DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                       va_list* arguments) override;

 private:
  BOOL Transfer(bool write, HANDLE file, const uint8_t* data, uint8_t* buffer, DWORD length, LPDWORD moved,
                LPOVERLAPPED overlapped);
  BOOL GoPending(const std::shared_ptr<UsbPendingIo>& io, const UsbFault* fault, bool deviceStalled);
  BOOL WaitForDriverTimeout(const std::shared_ptr<UsbPendingIo>& io);
  BOOL Fail(DWORD error);
  HANDLE OpenDiskFile(const std::wstring& path, DWORD desiredAccess, DWORD creationDisposition);

  ProcessState& state_;
};

}  // namespace simhost
