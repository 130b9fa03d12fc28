#include "app/run_verdict.h"

#include "app/text_format.h"
#include "link/protocol.h"
#include "res/string_ids.h"

namespace app {

ExitCode ExitCodeOfSearch(const SearchReport& report, RunMode mode) {
  if (!report.searched) return ExitCode::kFailed;  // the imaging service could not be stopped
  if (!report.found) return ExitCode::kNoScanner;
  switch (report.text) {
    case IDS_FIRMWARE_LATEST:
      return ExitCode::kAlreadyCurrent;
    // Held by someone else for now (a scan application, a scan, another update): the agent tries again later.
    case IDS_QUENBY_IN_USE:
    case IDS_BUSY:
    case IDS_FW_UPGRADE_WAIT:
      return ExitCode::kBusy;
    case IDS_MORE_THAN_ONE_SCANNER:
      return ExitCode::kTwoScanners;
    default:
      break;
  }
  // An updatable scanner ends a /quiet search only when Update could not be pressed.
  if (report.updatable) return mode == RunMode::kCheck ? ExitCode::kNeedsUpdate : ExitCode::kFailed;
  return ExitCode::kFailed;
}

ExitCode ExitCodeOfUpdate(bool updated, UINT reasonText) {
  if (updated) return ExitCode::kUpdated;
  switch (reasonText) {
    case IDS_SCAN_APP_IN_USE:
    case IDS_MARLO_IN_USE:
    case IDS_QUENBY_IN_USE:
      return ExitCode::kBusy;
    case IDS_MORE_THAN_ONE_SCANNER:
      return ExitCode::kTwoScanners;
    default:
      return ExitCode::kFailed;
  }
}

std::wstring UpdatePath(const SearchReport& report) {
  if (!report.updatable) return L"none";
  return report.state == proto::kLlBoot ? L"recovery" : L"update";
}

namespace {

std::wstring Quoted(std::wstring_view value) {
  std::wstring out = L"\"";
  for (const wchar_t c : value) {
    if (c == L'"' || c == L'\\') {
      out += L'\\';
      out += c;
    } else if (c < 0x20 || c > 0x7E) {
      out += text::Format(L"\\u%04x", static_cast<unsigned>(c) & 0xFFFFu);
    } else {
      out += c;
    }
  }
  return out + L"\"";
}

std::wstring OrNull(const std::wstring& value) { return value.empty() ? L"null" : Quoted(value); }

}  // namespace

std::wstring CheckJson(const SearchReport& report, ExitCode code) {
  const ExitCodeRow& row = RowOf(code);
  return text::Format(
      L"{\"found\":%s,\"device\":%s,\"mainBoard\":%s,\"panel\":%s,\"needsUpdate\":%s,\"path\":%s,"
      L"\"result\":%s,\"exitCode\":%d}",
      std::wstring_view(report.found ? L"true" : L"false"), OrNull(report.found ? report.deviceName : L""),
      OrNull(report.mainBoard), OrNull(report.panel), std::wstring_view(report.updatable ? L"true" : L"false"),
      Quoted(UpdatePath(report)), Quoted(row.name), static_cast<int>(code));
}

}  // namespace app
