// The locks shared with the maker's other scan applications: named mutexes that the first creator has. A name
// that already exists means the application behind it is in use.
#include <atomic>
#include <initializer_list>
#include <optional>
#include <string>

#include "app/string_table.h"
#include "app/text_format.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

namespace {

constexpr const wchar_t* kScanExtPrefix = L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_";
// The Marlo utility's lock: a fixed GUID in the session's own namespace, not the global one.
constexpr const wchar_t* kMarloGuid = L"{E6E9D5F2-2344-4763-A8C6-25462D4CA1E6}";
constexpr const wchar_t* kQuenbyPrefix = L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_";
constexpr size_t kLockNameChars = 260;  // with the terminating NUL
constexpr int kAttempts = 3;
constexpr DWORD kAttemptPauseMs = 1000;

// A name that would not fit its 260 characters is not cut: a shortened name would be another lock, and the
// other applications would never see this one.
std::optional<std::wstring> LockName(int kind, const std::wstring& friendlyName) {
  std::wstring name;
  switch (kind) {
    case 0:
      name = text::Format(L"%s%s", kScanExtPrefix, friendlyName);
      break;
    case 1:
      name = text::Format(L"%s", kMarloGuid);
      break;
    case 2:
      name = text::Format(L"%s%s", kQuenbyPrefix, friendlyName);
      break;
    default:
      return std::nullopt;
  }
  if (name.size() >= kLockNameChars) return std::nullopt;
  return name;
}

void ReleaseAndClose(plat::IKernel& kernel, HANDLE mutex) {
  if (mutex == nullptr || mutex == INVALID_HANDLE_VALUE) return;
  kernel.ReleaseMutex(mutex);  // fails harmlessly on a thread that does not own it; the close removes the name
  kernel.CloseHandle(mutex);
}

}  // namespace

BOOL CFWUpdateDlg::LockScanAppMutex(int kind) {
  std::wstring friendlyName;
  if (!CopyFriendlyName(&friendlyName)) return FALSE;
  const std::optional<std::wstring> name = LockName(kind, friendlyName);
  if (!name) return FALSE;
  std::atomic<HANDLE>& slot = kind == 0 ? m_hScanExtMutex : kind == 1 ? m_hGuidMutex : m_hQuenbyMutex;

  plat::Host& host = Host();
  // No DACL at all: any user may open the name, so every application sees it whoever created it. Should the
  // descriptor not be prepared, the default one still makes a working lock; a half-made one would not.
  SECURITY_DESCRIPTOR descriptor{};
  const bool prepared = host.kernel.InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                        host.kernel.SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof(SECURITY_ATTRIBUTES);  // 12 on x86
  attributes.lpSecurityDescriptor = prepared ? &descriptor : nullptr;
  attributes.bInheritHandle = TRUE;

  HANDLE mutex = nullptr;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    mutex = host.kernel.CreateMutexW(&attributes, TRUE, name->c_str());
    if (mutex != nullptr && host.kernel.GetLastError() != ERROR_ALREADY_EXISTS) {
      ReleaseAndClose(host.kernel, slot.exchange(mutex));
      return TRUE;
    }
    if (attempt < kAttempts && mutex != nullptr) {
      host.kernel.CloseHandle(mutex);
      mutex = nullptr;
    }
    host.time.Sleep(kAttemptPauseMs);
  }
  ReleaseAndClose(host.kernel, mutex);
  return FALSE;
}

// Locks taken before a failing step stay held; the end of the update releases them.
BOOL CFWUpdateDlg::LockScanApps() {
  plat::Host& host = Host();
  if (!FindDeviceFriendlyName()) {
    PostStatus(0, app::LoadStringById(host, IDS_SCAN_APP_NOT_FOUND));
    return FALSE;
  }
  if (!LockScanAppMutex(0)) {
    PostStatus(0, app::LoadStringById(host, IDS_SCAN_APP_IN_USE));
    return FALSE;
  }
  if (!LockScanAppMutex(1)) {
    PostStatus(0, app::LoadStringById(host, IDS_MARLO_IN_USE));
    return FALSE;
  }
  // A Quenby lock already taken by a device search stays as it is.
  if (m_hQuenbyMutex.load() == INVALID_HANDLE_VALUE && !LockScanAppMutex(2)) {
    PostStatus(0, app::LoadStringById(host, IDS_QUENBY_IN_USE));
    return FALSE;
  }
  return TRUE;
}

void CFWUpdateDlg::ReleaseScanAppMutexes() {
  plat::IKernel& kernel = Host().kernel;
  for (std::atomic<HANDLE>* slot : {&m_hScanExtMutex, &m_hGuidMutex, &m_hQuenbyMutex}) {
    ReleaseAndClose(kernel, slot->exchange(INVALID_HANDLE_VALUE));
  }
}
