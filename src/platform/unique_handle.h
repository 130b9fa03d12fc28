// The kernel's handle kinds, all closed with IKernel::CloseHandle. Windows has two failure values: CreateFileW
// gives INVALID_HANDLE_VALUE, the calls that make threads, events and mutexes give null. Neither is ever closed,
// whichever a kind keeps as its empty value.
#pragma once
#include "platform/kernel.h"
#include "platform/unique.h"
#include "platform/unique_slot.h"

namespace plat {

inline bool IsKernelHandle(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

struct FileTraits {
  using Type = HANDLE;
  using Seam = IKernel;
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE handle) { return IsKernelHandle(handle); }
  static void Close(IKernel& kernel, HANDLE handle) { kernel.CloseHandle(handle); }
};

// Threads and events; also the single-instance lock, whose ownership is never released by a separate call.
struct HandleTraits {
  using Type = HANDLE;
  using Seam = IKernel;
  static HANDLE Empty() { return nullptr; }
  static bool IsValid(HANDLE handle) { return IsKernelHandle(handle); }
  static void Close(IKernel& kernel, HANDLE handle) { kernel.CloseHandle(handle); }
};

// A scan-application lock is held by the existence of its named mutex: giving it up releases it (which fails
// harmlessly on a thread that does not own it) and closes the handle, which removes the name. A lock slot that
// holds none reads INVALID_HANDLE_VALUE, the value the window's lock slots have always had when empty.
struct MutexTraits {
  using Type = HANDLE;
  using Seam = IKernel;
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE handle) { return IsKernelHandle(handle); }
  static void Close(IKernel& kernel, HANDLE handle) {
    kernel.ReleaseMutex(handle);
    kernel.CloseHandle(handle);
  }
};

using UniqueFile = Unique<FileTraits>;
using UniqueHandle = Unique<HandleTraits>;
using UniqueMutex = Unique<MutexTraits>;

// The window's handles that worker threads read and replace.
using ThreadSlot = UniqueSlot<HandleTraits>;
using LockSlot = UniqueSlot<MutexTraits>;

}  // namespace plat
