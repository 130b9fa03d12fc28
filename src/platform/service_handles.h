// Owner of a service control manager or service handle.
#pragma once
#include "platform/services.h"
#include "platform/unique.h"

namespace plat {

struct ServiceHandleTraits {
  using Type = SC_HANDLE;
  using Seam = IServices;
  static SC_HANDLE Empty() { return nullptr; }
  static bool IsValid(SC_HANDLE handle) { return handle != nullptr; }
  static void Close(IServices& services, SC_HANDLE handle) { services.CloseServiceHandle(handle); }
};

using UniqueServiceHandle = Unique<ServiceHandleTraits>;

}  // namespace plat
