#include "platform/win32/files_win32.h"

namespace plat::win32 {

HANDLE Files::CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                          DWORD flagsAndAttributes, HANDLE templateFile) {
  return ::CreateFileW(fileName, desiredAccess, shareMode, securityAttributes, creationDisposition,
                       flagsAndAttributes, templateFile);
}

BOOL Files::DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                            LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                            LPOVERLAPPED overlapped) {
  return ::DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize, bytesReturned,
                           overlapped);
}

BOOL Files::WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                      LPOVERLAPPED overlapped) {
  return ::WriteFile(file, buffer, bytesToWrite, bytesWritten, overlapped);
}

BOOL Files::ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped) {
  return ::ReadFile(file, buffer, bytesToRead, bytesRead, overlapped);
}

BOOL Files::GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD bytesTransferred, BOOL wait) {
  return ::GetOverlappedResult(file, overlapped, bytesTransferred, wait);
}

BOOL Files::CancelIoEx(HANDLE file, LPOVERLAPPED overlapped) { return ::CancelIoEx(file, overlapped); }

BOOL Files::CancelSynchronousIo(HANDLE thread) { return ::CancelSynchronousIo(thread); }
BOOL Files::CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES securityAttributes) {
  return ::CreateDirectoryW(path, securityAttributes);
}

DWORD Files::FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                            DWORD size, va_list* arguments) {
  return ::FormatMessageW(flags, source, messageId, languageId, buffer, size, arguments);
}

}  // namespace plat::win32
