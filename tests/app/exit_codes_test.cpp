#include "app/exit_codes.h"

#include <gtest/gtest.h>

#include <set>

#include "app/run_verdict.h"
#include "link/protocol.h"
#include "res/string_ids.h"

namespace {

using app::ExitCode;
using app::RunMode;

// The numbers are what deployment agents read: pinned here by hand, not taken from the header.
TEST(ExitCodesTest, TheTableHoldsEveryCodeOnceWithItsNumber) {
  struct Case {
    ExitCode code;
    int number;
    const wchar_t* name;
  };
  const Case cases[] = {
      {ExitCode::kUpdated, 0, L"updated"},           {ExitCode::kAlreadyCurrent, 10, L"current"},
      {ExitCode::kNeedsUpdate, 11, L"needs-update"}, {ExitCode::kNoScanner, 12, L"no-scanner"},
      {ExitCode::kTwoScanners, 13, L"two-scanners"}, {ExitCode::kCancelled, 1602, L"cancelled"},
      {ExitCode::kFailed, 1603, L"failed"},          {ExitCode::kBusy, 1618, L"busy"},
      {ExitCode::kBadCommandLine, 1639, L"bad-command-line"},
  };
  ASSERT_EQ(std::size(app::kExitCodes), std::size(cases));
  std::set<int> numbers;
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<int>(c.code), c.number) << c.number;
    EXPECT_EQ(app::RowOf(c.code).code, c.code) << c.number;
    EXPECT_EQ(app::RowOf(c.code).name, c.name) << c.number;
    EXPECT_FALSE(app::RowOf(c.code).meaning.empty()) << c.number;
    numbers.insert(c.number);
  }
  EXPECT_EQ(numbers.size(), std::size(cases));
}

SearchReport Found(UINT text, bool updatable, WORD state = proto::kReady) {
  SearchReport report;
  report.searched = true;
  report.found = true;
  report.text = text;
  report.updatable = updatable;
  report.state = state;
  return report;
}

TEST(ExitCodesTest, WhatTheSearchFoundBecomesTheCode) {
  SearchReport notSearched;
  SearchReport none;
  none.searched = true;
  none.text = IDS_DEVICE_NOT_FOUND;
  struct Case {
    const char* what;
    SearchReport report;
    ExitCode quiet;
    ExitCode check;
  };
  const Case cases[] = {
      {"the service could not be stopped", notSearched, ExitCode::kFailed, ExitCode::kFailed},
      {"no scanner", none, ExitCode::kNoScanner, ExitCode::kNoScanner},
      {"current", Found(IDS_FIRMWARE_LATEST, false), ExitCode::kAlreadyCurrent, ExitCode::kAlreadyCurrent},
      {"old firmware", Found(IDS_READY, true), ExitCode::kFailed, ExitCode::kNeedsUpdate},
      {"boot loader", Found(IDS_RECOVERY_MODE, true, proto::kLlBoot), ExitCode::kFailed, ExitCode::kNeedsUpdate},
      {"Quenby lock held", Found(IDS_QUENBY_IN_USE, false), ExitCode::kBusy, ExitCode::kBusy},
      {"scanner busy", Found(IDS_BUSY, false, proto::kBusy), ExitCode::kBusy, ExitCode::kBusy},
      {"scanner updating", Found(IDS_FW_UPGRADE_WAIT, false, proto::kFwUpdate), ExitCode::kBusy, ExitCode::kBusy},
      {"status unreadable", Found(IDS_CHECK_STATUS_ERROR, false), ExitCode::kFailed, ExitCode::kFailed},
      {"state unknown", Found(IDS_STATUS_INCORRECT, false, 9), ExitCode::kFailed, ExitCode::kFailed},
      {"two scanners", Found(IDS_MORE_THAN_ONE_SCANNER, false), ExitCode::kTwoScanners, ExitCode::kTwoScanners},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(app::ExitCodeOfSearch(c.report, RunMode::kQuiet), c.quiet) << c.what;
    EXPECT_EQ(app::ExitCodeOfSearch(c.report, RunMode::kCheck), c.check) << c.what;
  }
}

TEST(ExitCodesTest, HowTheUpdateEndedBecomesTheCode) {
  struct Case {
    bool updated;
    UINT reason;
    ExitCode code;
  };
  const Case cases[] = {
      {true, 0, ExitCode::kUpdated},
      {false, IDS_SCAN_APP_IN_USE, ExitCode::kBusy},
      {false, IDS_MARLO_IN_USE, ExitCode::kBusy},
      {false, IDS_QUENBY_IN_USE, ExitCode::kBusy},
      {false, IDS_SCAN_APP_NOT_FOUND, ExitCode::kFailed},
      {false, IDS_STILL_OLD_VERSION, ExitCode::kFailed},
      {false, IDS_MORE_THAN_ONE_SCANNER, ExitCode::kTwoScanners},
      {false, 0, ExitCode::kFailed},
  };
  for (const auto& c : cases) EXPECT_EQ(app::ExitCodeOfUpdate(c.updated, c.reason), c.code) << c.reason;
}

TEST(ExitCodesTest, TheCheckLineSaysWhatWasFoundInOneLineOfAscii) {
  SearchReport old = Found(IDS_READY, true);
  old.deviceName = L"Kavrel Tessaline (KT-A4-0001)";
  old.mainBoard = L"0.60";
  old.panel = L"1.05";
  SearchReport boot = Found(IDS_RECOVERY_MODE, true, proto::kLlBoot);
  boot.deviceName = L"Kavrel \"T\" \u00e9\\";
  struct Case {
    SearchReport report;
    ExitCode code;
    const wchar_t* line;
  };
  const Case cases[] = {
      {old, ExitCode::kNeedsUpdate,
       L"{\"found\":true,\"device\":\"Kavrel Tessaline (KT-A4-0001)\",\"mainBoard\":\"0.60\",\"panel\":\"1.05\","
       L"\"needsUpdate\":true,\"path\":\"update\",\"result\":\"needs-update\",\"exitCode\":11}"},
      {boot, ExitCode::kNeedsUpdate,
       L"{\"found\":true,\"device\":\"Kavrel \\\"T\\\" \\u00e9\\\\\",\"mainBoard\":null,\"panel\":null,"
       L"\"needsUpdate\":true,\"path\":\"recovery\",\"result\":\"needs-update\",\"exitCode\":11}"},
      {SearchReport{}, ExitCode::kBusy,
       L"{\"found\":false,\"device\":null,\"mainBoard\":null,\"panel\":null,\"needsUpdate\":false,\"path\":\"none\","
       L"\"result\":\"busy\",\"exitCode\":1618}"},
  };
  for (const auto& c : cases) EXPECT_EQ(app::CheckJson(c.report, c.code), c.line);
}

}  // namespace
