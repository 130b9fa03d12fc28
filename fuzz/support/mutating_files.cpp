#include "fuzz/support/mutating_files.h"

#include <algorithm>

namespace fuzz {
namespace {

constexpr DWORD kErrors[] = {ERROR_GEN_FAILURE, ERROR_DEVICE_NOT_CONNECTED, ERROR_SEM_TIMEOUT,
                             ERROR_OPERATION_ABORTED};

}  // namespace

// A write may be reported short or failed after the device took it.
BOOL MutatingFiles::WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                              LPOVERLAPPED overlapped) {
  const BOOL result = inner_.WriteFile(file, buffer, bytesToWrite, bytesWritten, overlapped);
  if (!result) return result;
  const uint8_t op = input_.Byte();
  if (op == 0xF0 && bytesWritten != nullptr) {
    *bytesWritten = std::min<DWORD>(*bytesWritten, input_.Dword());
  } else if (op == 0xF1) {
    kernel_.SetLastError(kErrors[input_.Byte() % 4]);
    return FALSE;
  }
  return result;
}

// A read that completed at once: its bytes, its count or its outcome are the fuzzer's to change.
BOOL MutatingFiles::ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
                             LPOVERLAPPED overlapped) {
  const BOOL result = inner_.ReadFile(file, buffer, bytesToRead, bytesRead, overlapped);
  if (!result || bytesRead == nullptr) return result;
  auto* bytes = static_cast<uint8_t*>(buffer);
  const DWORD moved = *bytesRead;
  switch (input_.Byte() & 7) {
    case 4:  // a few bytes changed
      for (int n = input_.Byte() & 7; n >= 0 && moved > 0; --n) bytes[input_.Byte() % moved] = input_.Byte();
      break;
    case 5:  // fewer bytes than moved
      *bytesRead = moved == 0 ? 0 : input_.Byte() % (moved + 1);
      overlapped->InternalHigh = *bytesRead;
      break;
    case 6:
      kernel_.SetLastError(kErrors[input_.Byte() % 4]);
      return FALSE;
    case 7:  // every byte the fuzzer's
      for (DWORD i = 0; i < moved; ++i) bytes[i] = input_.Byte();
      break;
    default:
      break;
  }
  return result;
}

}  // namespace fuzz
