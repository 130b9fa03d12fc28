// The stop thread. It takes the configured language and ends; stopping the imaging service and the first
// search arrive with the device search.
#include <memory>

#include "app/settings.h"
#include "ui/fwupdate_dlg.h"

DWORD WINAPI Thread_CloseWIA(LPVOID parameter) {
  const std::unique_ptr<StopThreadRecord> record(static_cast<StopThreadRecord*>(parameter));
  app::ApplyConfiguredLanguage(record->dialog->Host());
  return 1;
}
