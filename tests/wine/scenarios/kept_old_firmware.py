"""The scanner takes the whole image, burns, cycles its power and comes back READY, but still on its old firmware
0.67: the version read back after the update gives it away, and the window says "Update Failed" with the
version the scanner reports. The service and the locks are given back, and a new search offers the update
again."""
from rig import gui as ids
from rig.strings import text

from . import common

SCANNER = dict(common.STANDARD, **{"keeps-old": 1})

# As the standard update: the burn (10 s), settling, off and boot, five ready answers, the version read back.
VERDICT_LIMIT_S = 120

VERDICT = "Update Failed: The scanner still reports firmware version 0.67 after the update."


def run(rig, checks):
    pid, watch = common.start(rig, checks)
    common.wait_ready(checks, watch)
    common.press_update(rig, checks, pid, watch)
    window = common.wait_update_end(checks, watch, VERDICT_LIMIT_S)
    rig.screenshot("kept-old-firmware", window)
    checks.equal("verdict", window.text(ids.STATUS), VERDICT)
    checks.equal("verdict from the string table", window.text(ids.STATUS),
                 text(254).replace("%s", text(266).replace("%s", "0.67")))
    checks.equal("Update after the failure", window.enabled[ids.UPDATE], False)
    checks.in_order("status texts of the update", watch.seen, [
        ("the burn's progress", lambda t: t.startswith("Burning firmware... (")),
        ("the power-off is awaited", lambda t: t == text(233)),
        ("the power-on is awaited", lambda t: t == text(232)),
        ("the verdict", lambda t: t == VERDICT),
    ])
    checks.true("never \"Update Succeed.\"", text(253) not in watch.seen, watch.seen)
    checks.startswith("the version read back, on the program's output", common.version_read_back(rig),
                      "[UpdateDevice]: MB Ver after the update: (0.67)")
    # The image went over whole and the scanner went through its power cycle: only the version tells.
    common.image_record(checks, rig.emulator, "0x101", 8388608, 501)
    status = rig.emulator.fields("status")
    checks.equal("emulator phase and version after the update", (status.get("phase"), status.get("mb")),
                 ("updated", "0.67"))
    checks.equal("stisvc (state, start type) after the failure", rig.gui.service("stisvc"),
                 (common.SERVICE_RUNNING, common.AUTO_START))
    for name in common.SCAN_APP_LOCKS:
        checks.equal(f"lock {name} exists after the failure", rig.gui.mutex_exists(name), False)

    checks.equal("Search Device pressed", rig.gui.click(pid, ids.SEARCH), "ok")
    window = watch.until(lambda w: w.text(ids.STATUS) == text(249) and w.enabled.get(ids.UPDATE),
                         common.SEARCH_LIMIT_S)
    checks.true("a new search finds it Ready and offers the update again", window is not None, watch.seen[-1])
    common.close(rig, checks, pid, watch)
