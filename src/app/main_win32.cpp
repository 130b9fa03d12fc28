// The Windows entry: the real platform, the one application object and the one debug log.
#include "app/fwupdate_app.h"
#include "platform/win32/win32_host.h"
#include "res/placeholder_notice.h"

namespace {
#ifdef FWU_PLACEHOLDER_IMAGES
CFWUpdateApp theApp(L"[Build] " FWU_PLACEHOLDER_NOTICE "\n");
#else
CFWUpdateApp theApp;
#endif
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    static plat::win32::Win32Host platform;
    return theApp.Run(platform.host);
  } catch (...) {
    return 1;
  }
}
