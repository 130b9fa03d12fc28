// The update thread's service restart: a service that cannot be started is reported, and the verdict follows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/update_fixture.h"

namespace {

struct StartCase {
  const char* what;
  std::function<void(simhost::SimService&)> arrange;
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << c.what; }

class UpdateThreadServiceTest : public UpdateFixture, public testing::WithParamInterface<StartCase> {};

TEST_P(UpdateThreadServiceTest, AServiceThatCannotStartIsReportedBeforeTheVerdict) {
  Attach();
  UpdateOnce([&](CFWUpdateDlg&) { GetParam().arrange(Stisvc()); });
  ASSERT_GE(shownAtVerdict.size(), 3u);
  const std::vector<std::wstring> last(shownAtVerdict.end() - 3, shownAtVerdict.end());
  EXPECT_EQ(last, (std::vector<std::wstring>{Text(IDS_START_WIA), Text(IDS_START_WIA_FAILED), L"Update Succeed."}));
  EXPECT_EQ(Count(tool.console().Output(), L"[Thread_VoskUpdate] Start WIA Finish!!\n"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, UpdateThreadServiceTest,
    testing::Values(StartCase{"start_refused", [](simhost::SimService& s) { s.startError = ERROR_ACCESS_DENIED; }},
                    StartCase{"start_never_completes", [](simhost::SimService& s) { s.startTakesMs.reset(); }},
                    StartCase{"start_type_unchangeable",
                              [](simhost::SimService& s) { s.changeConfigError = ERROR_ACCESS_DENIED; }}),
    [](const testing::TestParamInfo<StartCase>& param) { return std::string(param.param.what); });

}  // namespace
