// The locks shared with the maker's other scan applications: named mutexes that the first creator has. A name
// that already exists means the application behind it is in use.
#include <initializer_list>
#include <optional>
#include <string>

#include "app/string_table.h"
#include "app/time_limits.h"
#include "app/text_format.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

namespace {

constexpr const wchar_t* kScanExtPrefix = L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_";
// The Marlo utility's lock: a fixed GUID in the session's own namespace, not the global one.
constexpr const wchar_t* kMarloGuid = L"{E6E9D5F2-2344-4763-A8C6-25462D4CA1E6}";
constexpr const wchar_t* kQuenbyPrefix = L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_";
constexpr size_t kLockNameChars = 260;  // with the terminating NUL

// A name that would not fit its 260 characters is not cut: a shortened name would be another lock, and the
// other applications would never see this one.
std::optional<std::wstring> LockName(ScanAppLock kind, const std::wstring& friendlyName) {
  std::wstring name;
  switch (kind) {
    case ScanAppLock::kScanExt:
      name = text::Format(L"%s%s", kScanExtPrefix, friendlyName);
      break;
    case ScanAppLock::kGuid:
      name = text::Format(L"%s", kMarloGuid);
      break;
    case ScanAppLock::kQuenby:
      name = text::Format(L"%s%s", kQuenbyPrefix, friendlyName);
      break;
    default:  // a value cast from a number that is no kind
      return std::nullopt;
  }
  if (name.size() >= kLockNameChars) return std::nullopt;
  return name;
}

}  // namespace

BOOL CFWUpdateDlg::LockScanAppMutex(ScanAppLock kind) {
  std::wstring friendlyName;
  if (!CopyFriendlyName(&friendlyName)) return FALSE;
  const std::optional<std::wstring> name = LockName(kind, friendlyName);
  if (!name) return FALSE;
  plat::LockSlot& slot = kind == ScanAppLock::kScanExt ? m_hScanExtMutex
                         : kind == ScanAppLock::kGuid  ? m_hGuidMutex
                                                       : m_hQuenbyMutex;

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

  // A handle to a name that already existed never owned the lock. The first two attempts' are closed before the
  // pause, so that no handle of ours keeps the name alive meanwhile; the last one's is released and closed after.
  plat::UniqueMutex lastAttempt(host.kernel);
  for (int attempt = 1; attempt <= limits::kLockAttempts; ++attempt) {
    plat::UniqueHandle mutex(host.kernel, host.kernel.CreateMutexW(&attributes, TRUE, name->c_str()));
    if (mutex && host.kernel.GetLastError() != ERROR_ALREADY_EXISTS) {
      slot.Reset(mutex.Detach());  // a lock the slot still held is released and closed
      return TRUE;
    }
    if (attempt == limits::kLockAttempts) lastAttempt.Reset(mutex.Detach());
    mutex.Reset();
    host.time.Sleep(limits::kLockAttemptPauseMs);
  }
  return FALSE;
}

// Locks taken before a failing step stay held; the end of the update releases them.
BOOL CFWUpdateDlg::LockScanApps() {
  plat::Host& host = Host();
  if (!FindDeviceFriendlyName()) {
    PostStatus(0, app::LoadStringById(host, IDS_SCAN_APP_NOT_FOUND));
    return FALSE;
  }
  if (!LockScanAppMutex(ScanAppLock::kScanExt)) {
    PostStatus(0, app::LoadStringById(host, IDS_SCAN_APP_IN_USE));
    return FALSE;
  }
  if (!LockScanAppMutex(ScanAppLock::kGuid)) {
    PostStatus(0, app::LoadStringById(host, IDS_MARLO_IN_USE));
    return FALSE;
  }
  // A Quenby lock already taken by a device search stays as it is.
  if (m_hQuenbyMutex.IsEmpty() && !LockScanAppMutex(ScanAppLock::kQuenby)) {
    PostStatus(0, app::LoadStringById(host, IDS_QUENBY_IN_USE));
    return FALSE;
  }
  return TRUE;
}

// Each lock is released and closed by its slot.
void CFWUpdateDlg::ReleaseScanAppMutexes() {
  for (plat::LockSlot* slot : {&m_hScanExtMutex, &m_hGuidMutex, &m_hQuenbyMutex}) slot->Reset();
}
