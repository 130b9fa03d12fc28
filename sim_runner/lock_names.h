// The names of the three scan-application locks, as the other applications know them: the world's own copy,
// so the checks do not lean on the tool's.
#pragma once
#include <string>

namespace sim_runner {

inline constexpr int kLockKinds = 3;

// 0: the Kavrel Scan EXT_APP lock, 1: the Marlo GUID lock (the session's namespace), 2: the Quenby lock.
inline std::wstring LockName(int kind, const std::wstring& friendlyName) {
  switch (kind) {
    case 0:
      return L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_" + friendlyName;
    case 1:
      return L"{E6E9D5F2-2344-4763-A8C6-25462D4CA1E6}";
    default:
      return L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_" + friendlyName;
  }
}

}  // namespace sim_runner
