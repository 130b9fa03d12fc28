// Two searches may run at once: the stop thread's and one the user starts with Search Device, on the window's
// thread. Both leave the device texts and the friendly name behind. Here workers run on real threads side by
// side, outside the deterministic scheduler, against a window served by its own thread, so ThreadSanitizer sees
// every access to those texts (the native-tsan preset runs this test too).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "simhost/process.h"
#include "support/threaded_windows.h"
#include "ui/fwupdate_dlg.h"

namespace {

constexpr int kWorkers = 2;
constexpr int kRounds = 300;

std::wstring Tag(int worker, int round) { return std::to_wstring(worker) + L"-" + std::to_wstring(round); }

// The tag behind the prefix when the text is the prefix and a whole tag ("<worker>-<round>"), else empty.
std::wstring TagOf(const std::wstring& text, const std::wstring& prefix) {
  if (text.rfind(prefix, 0) != 0) return std::wstring();
  const std::wstring tag = text.substr(prefix.size());
  const size_t dash = tag.find(L'-');
  if (dash == std::wstring::npos || dash == 0 || dash + 1 == tag.size()) return std::wstring();
  if (tag.find_first_not_of(L"0123456789-") != std::wstring::npos) return std::wstring();
  return std::stoi(tag.substr(0, dash)) <= kWorkers ? tag : std::wstring();
}

class SharedTextsTest : public testing::Test {
 protected:
  void SetUp() override { world.scheduler().AdoptCurrentThread(); }

  simhost::World world;
  simhost::Process tool{world};
  testing_support::ThreadedWindows windows;
  plat::Host& simulated = tool.host();
  plat::Host host{simulated.time,     simulated.kernel,   simulated.process,   simulated.profile,
                  simulated.console,  simulated.language, simulated.resources, simulated.user,
                  windows,            simulated.codePage, simulated.setup,     simulated.registry,
                  simulated.services, simulated.files,    simulated.sockets,   simulated.power};
};

TEST_F(SharedTextsTest, SearchesOnSeveralThreadsLeaveWholeTextsInPairs) {
  CFWUpdateDlg dialog(host);
  dialog.m_hWnd = testing_support::ThreadedWindows::DialogHandle();
  windows.Open(dialog);

  std::atomic<int> running{kWorkers};
  std::vector<std::vector<std::wstring>> friendlyNamesRead(kWorkers);
  std::vector<std::thread> workers;
  for (int worker = 1; worker <= kWorkers; ++worker) {
    workers.emplace_back([&, worker] {
      for (int round = 0; round < kRounds; ++round) {
        const std::wstring tag = Tag(worker, round);
        dialog.ShowDeviceTexts(L"Scanner " + tag, L"USB " + tag);
        WCHAR found[256] = {};
        (L"Scanner " + tag).copy(found, 255);
        EXPECT_TRUE(dialog.StoreFriendlyName(found));
        std::wstring read;
        EXPECT_TRUE(dialog.CopyFriendlyName(&read));
        friendlyNamesRead[static_cast<size_t>(worker - 1)].push_back(read);
      }
      --running;
    });
  }
  // The window's thread searches too (Search Device) and serves the workers meanwhile.
  int ownRounds = 0;
  for (; running.load() > 0; ++ownRounds) {
    dialog.ShowDeviceTexts(L"Scanner " + Tag(0, ownRounds), L"USB " + Tag(0, ownRounds));
    windows.ServePending(1);
  }
  for (auto& worker : workers) worker.join();

  const auto& names = windows.TextHistory(IDC_DEVICE_NAME);
  const auto& interfaces = windows.TextHistory(IDC_INTERFACE);
  ASSERT_EQ(names.size(), static_cast<size_t>(kWorkers * kRounds + ownRounds));
  ASSERT_EQ(interfaces.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    const std::wstring tag = TagOf(names[i], L"Scanner ");
    ASSERT_FALSE(tag.empty()) << "device name shown " << i << ": \"" << std::string(names[i].begin(), names[i].end())
                              << "\"";
    ASSERT_EQ(TagOf(interfaces[i], L"USB "), tag) << "pair " << i << " shown from two searches";
  }
  EXPECT_EQ(dialog.m_strDeviceName, names.back());
  EXPECT_EQ(dialog.m_strInterface, interfaces.back());
  for (const auto& reads : friendlyNamesRead) {
    ASSERT_EQ(reads.size(), static_cast<size_t>(kRounds));
    for (const auto& name : reads) {
      EXPECT_FALSE(TagOf(name, L"Scanner ").empty()) << "friendly name read torn: \""
                                                     << std::string(name.begin(), name.end()) << "\"";
    }
  }
}

}  // namespace
