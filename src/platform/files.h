// File I/O on the usbscan driver's devices: opening a numbered device, its descriptor request, overlapped
// reads and writes, cancelling a request and waiting for its end, and the system's error texts. The events
// of the requests come from the kernel area.
#pragma once
#include <cstdarg>

#include "platform/win_types.h"

#ifdef _WIN32
#include <winioctl.h>
#include <usbscan.h>
static_assert(static_cast<DWORD>(IOCTL_GET_DEVICE_DESCRIPTOR) == 0x80002018, "the usbscan descriptor request");
#else
struct OVERLAPPED {
  ULONG_PTR Internal;      // the request's status while it is in progress and after it ended
  ULONG_PTR InternalHigh;  // the bytes moved, once it ended
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};
typedef OVERLAPPED* LPOVERLAPPED;
typedef unsigned short USHORT;

// The usbscan driver's device descriptor (usbscan.h).
struct DEVICE_DESCRIPTOR {
  USHORT usVendorId;
  USHORT usProductId;
  USHORT usBcdDevice;
  USHORT usLanguageId;
};
typedef DEVICE_DESCRIPTOR* PDEVICE_DESCRIPTOR;
constexpr DWORD IOCTL_GET_DEVICE_DESCRIPTOR = 0x80002018;

// The record's status while the request is in progress.
constexpr ULONG_PTR STATUS_PENDING = 0x103;
inline bool HasOverlappedIoCompleted(const OVERLAPPED* overlapped) { return overlapped->Internal != STATUS_PENDING; }

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD FILE_APPEND_DATA = 0x4;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000;

constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;

constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SEM_TIMEOUT = 121;
constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;
constexpr DWORD ERROR_IO_INCOMPLETE = 996;
constexpr DWORD ERROR_DEVICE_NOT_CONNECTED = 1167;
constexpr DWORD ERROR_NOT_FOUND = 1168;
#endif

namespace plat {

class IFiles {
 public:
  virtual ~IFiles() = default;
  virtual HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                             LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                             DWORD flagsAndAttributes, HANDLE templateFile) = 0;
  virtual BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                               LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                               LPOVERLAPPED overlapped) = 0;
  virtual BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                         LPOVERLAPPED overlapped) = 0;
  virtual BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
                        LPOVERLAPPED overlapped) = 0;
  virtual BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD bytesTransferred,
                                   BOOL wait) = 0;
  virtual BOOL CancelIoEx(HANDLE file, LPOVERLAPPED overlapped) = 0;
  // Ends the synchronous request a thread is held in (a read the scanner does not answer).
  virtual BOOL CancelSynchronousIo(HANDLE thread) = 0;
  // The log's folder; its file is opened with CreateFileW and written with WriteFile, without OVERLAPPED.
  virtual BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES securityAttributes) = 0;
  virtual DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                               DWORD size, va_list* arguments) = 0;
};

}  // namespace plat
