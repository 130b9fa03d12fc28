// The usbscan driver with the device's words in the fuzzer's hands: every request goes to the simulated
// device, and the fuzzer decides, request by request, whether its result stands or the bytes read, the count
// moved or the outcome are changed. The device's identity (the descriptor) and its presence (opens) are left
// alone, so the tool still sees the scanner's real power cycle.
#pragma once
#include "fuzz/support/fuzz_input.h"
#include "platform/files.h"
#include "platform/kernel.h"

namespace fuzz {

class MutatingFiles final : public plat::IFiles {
 public:
  MutatingFiles(plat::IFiles& inner, plat::IKernel& kernel, FuzzInput& input)
      : inner_(inner), kernel_(kernel), input_(input) {}

  HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                     DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) override {
    return inner_.CreateFileW(fileName, desiredAccess, shareMode, securityAttributes, creationDisposition,
                              flagsAndAttributes, templateFile);
  }
  BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize, LPVOID outBuffer,
                       DWORD outBufferSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped) override {
    return inner_.DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                                  bytesReturned, overlapped);
  }
  BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                 LPOVERLAPPED overlapped) override;
  BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped) override;
  BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD bytesTransferred, BOOL wait) override {
    return inner_.GetOverlappedResult(file, overlapped, bytesTransferred, wait);
  }
  BOOL CancelIoEx(HANDLE file, LPOVERLAPPED overlapped) override { return inner_.CancelIoEx(file, overlapped); }
  BOOL CancelSynchronousIo(HANDLE thread) override { return inner_.CancelSynchronousIo(thread); }
  BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES securityAttributes) override {
    return inner_.CreateDirectoryW(path, securityAttributes);
  }
  DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                       va_list* arguments) override {
    return inner_.FormatMessageW(flags, source, messageId, languageId, buffer, size, arguments);
  }

 private:
  plat::IFiles& inner_;
  plat::IKernel& kernel_;
  FuzzInput& input_;
};

}  // namespace fuzz
