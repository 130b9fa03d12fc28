#include "simhost/world.h"

#include <cwctype>

#include "simhost/usbscan.h"

namespace simhost {

std::wstring FoldCase(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return text;
}

World::World(uint64_t seed) : scheduler_(seed) {}

World::~World() = default;

UsbBus& World::usb() {
  if (!usb_) usb_ = std::make_unique<UsbBus>(scheduler_);
  return *usb_;
}

std::wstring World::NamespaceKey(const std::wstring& name, int session) {
  static const std::wstring kGlobal = L"Global\\";
  static const std::wstring kLocal = L"Local\\";
  if (name.compare(0, kGlobal.size(), kGlobal) == 0) return L"\\BaseNamedObjects\\" + name.substr(kGlobal.size());
  const std::wstring local = name.compare(0, kLocal.size(), kLocal) == 0 ? name.substr(kLocal.size()) : name;
  return L"\\Sessions\\" + std::to_wstring(session) + L"\\BaseNamedObjects\\" + local;
}

std::shared_ptr<Object> World::FindNamed(const std::wstring& name, int session) const {
  const auto it = named_.find(NamespaceKey(name, session));
  return it == named_.end() ? nullptr : it->second.lock();
}

void World::AddNamed(const std::wstring& name, int session, const std::shared_ptr<Object>& object) {
  named_[NamespaceKey(name, session)] = object;
}

void World::AddMutex(const std::shared_ptr<Object>& mutex) {
  std::erase_if(mutexes_, [](const std::weak_ptr<Object>& gone) { return gone.expired(); });
  mutexes_.push_back(mutex);
}

std::vector<std::shared_ptr<Object>> World::LiveMutexes() {
  std::vector<std::shared_ptr<Object>> live;
  for (const auto& mutex : mutexes_) {
    if (auto object = mutex.lock()) live.push_back(std::move(object));
  }
  return live;
}

void World::WriteTextFile(const std::wstring& path, const std::wstring& content) { files_[FoldCase(path)] = content; }
void World::DeleteFile(const std::wstring& path) { files_.erase(FoldCase(path)); }

DWORD World::AddProcess(const std::shared_ptr<ProcessObject>& process) {
  nextProcessId_ += 4;
  processes_[nextProcessId_] = process;
  return nextProcessId_;
}

std::shared_ptr<ProcessObject> World::FindProcess(DWORD id) const {
  const auto it = processes_.find(id);
  return it == processes_.end() ? nullptr : it->second.lock();
}

std::shared_ptr<ProcessObject> World::Launch(const ProcessLaunch& launch) {
  launches_.push_back(launch);
  return launcher_ ? launcher_(launch) : nullptr;
}

std::optional<std::string> World::ReadBytes(const std::wstring& path) const {
  const auto it = written_.find(FoldCase(path));
  if (it == written_.end()) return std::nullopt;
  return it->second;
}

// Monday 5 January 2026, 09:00:00.000; the days roll within the month, enough for any run.
SYSTEMTIME World::LocalTime() const {
  const uint64_t ms = scheduler_.Now();
  const uint64_t seconds = ms / 1000 + 9 * 3600;
  SYSTEMTIME time{};
  const uint64_t days = seconds / 86400;
  time.wYear = 2026;
  time.wMonth = 1;
  time.wDay = static_cast<WORD>(5 + days % 26);
  time.wDayOfWeek = static_cast<WORD>((1 + days) % 7);
  time.wHour = static_cast<WORD>(seconds % 86400 / 3600);
  time.wMinute = static_cast<WORD>(seconds % 3600 / 60);
  time.wSecond = static_cast<WORD>(seconds % 60);
  time.wMilliseconds = static_cast<WORD>(ms % 1000);
  return time;
}

std::optional<std::wstring> World::ReadTextFile(const std::wstring& path) const {
  const auto it = files_.find(FoldCase(path));
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

}  // namespace simhost
