"""The scanner stops its burn with ErrorCode 0x7001 at 80 %: the update fails with the burn error, and the
service and the locks are given back at once."""
from rig import gui as ids
from rig.strings import text

from . import common

SCANNER = dict(common.STANDARD, **{"burn-error": "0x7001", "burn-error-at": 80})

# Transfer, the tool's 6 s pause, and the burn up to 80 % of its 10 s.
VERDICT_LIMIT_S = 60


def run(rig, checks):
    pid, watch = common.start(rig, checks)
    common.wait_ready(checks, watch)
    common.press_update(rig, checks, pid, watch)
    window = common.wait_update_end(checks, watch, VERDICT_LIMIT_S)
    checks.equal("verdict", window.text(ids.STATUS), "Update Failed: Burning firmware error!!\n")
    checks.equal("verdict from the string table", window.text(ids.STATUS), text(254).replace("%s", text(220)))
    checks.equal("Update after the failure", window.enabled[ids.UPDATE], False)
    rig.screenshot("burn-error", window)
    checks.in_order("status texts of the update", watch.seen, [
        ("the burn's progress", lambda t: t.startswith("Burning firmware... (")),
        ("the verdict", lambda t: t.startswith("Update Failed: ")),
    ])
    checks.equal("stisvc (state, start type) after the failure", rig.gui.service("stisvc"),
                 (common.SERVICE_RUNNING, common.AUTO_START))
    for name in common.SCAN_APP_LOCKS:
        checks.equal(f"lock {name} exists after the failure", rig.gui.mutex_exists(name), False)
    checks.equal("emulator phase", rig.emulator.fields("status").get("phase"), "halted")
    common.close(rig, checks, pid, watch)
