"""A power cut in the middle of the burn: every process of the prefix ends at once (the program, its guard, the
stand-in stisvc), then the prefix starts again (`wineboot`, which runs the machine's RunOnce entries as Windows
does at the next logon). The entry the program left gives stisvc back: automatic start, running."""
from rig.gui import Gui
from rig.session import RIG

from . import common

SCANNER = dict(common.STANDARD, **{"burn-ms": 20000})

# wineboot starts the services and runs the RunOnce entries before it returns.
BOOT_LIMIT_S = 60
REG_LIMIT_S = 30


def run(rig, checks):
    pid, watch = common.start(rig, checks)
    common.wait_ready(checks, watch)
    common.press_update(rig, checks, pid, watch)
    common.wait_burning(checks, watch)
    checks.equal("stisvc (state, start type) during the burn", rig.gui.service("stisvc"),
                 (common.SERVICE_STOPPED, common.DISABLED))

    rig.gui.close()
    rig.pids.clear()
    rig.wine.stop_server()
    boot = rig.wine.run(["wineboot"], BOOT_LIMIT_S)
    checks.equal("wineboot's exit status", boot.returncode, 0)
    rig.gui = Gui(rig.wine, f"{RIG}\\gui_driver.exe")
    checks.equal("stisvc (state, start type) after the start of Windows", rig.gui.service("stisvc"),
                 (common.SERVICE_RUNNING, common.AUTO_START))
    # The mark the next start reads; taken away here, so the prefix's next run starts without the notice.
    mark = ["HKLM\\SOFTWARE\\Kavrel\\FWUpdate", "/v", "UpdateCutOff"]
    checks.equal("the cut-off mark is there for the next start", rig.wine.run(["reg", "query"] + mark, REG_LIMIT_S)
                 .returncode, 0)
    checks.equal("the cut-off mark removed", rig.wine.run(["reg", "delete"] + mark + ["/f"], REG_LIMIT_S).returncode, 0)
