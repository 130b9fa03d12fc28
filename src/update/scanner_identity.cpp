#include "update/scanner_identity.h"

#include "app/console_log.h"
#include "link/command_transaction.h"

std::optional<ScannerIdentification> ReadIdentification(plat::Host& host, const std::wstring& channel,
                                                         proto::ReplyBytes& status) {
  ScannerIdentification identification{};
  if (!RunCommand(host, channel, proto::IdentificationRead(), status, identification.data())) return std::nullopt;
  return identification;
}

bool OnlyOneScanner(plat::Host& host, const std::wstring& channel, const wchar_t* tag) {
  const int scanners = CountScanners(host, channel);
  if (scanners < 2) return true;
  app::ConsolePrint(host, L"%s %d scanners are connected...\n", tag, scanners);
  return false;
}
