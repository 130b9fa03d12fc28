// The Win32 file I/O on usbscan devices, forwarded one to one.
#pragma once
#include "platform/files.h"

namespace plat::win32 {

class Files final : public IFiles {
 public:
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
};

}  // namespace plat::win32
