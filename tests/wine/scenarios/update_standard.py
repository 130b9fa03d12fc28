"""A READY scanner at 0.67 on the standard path: Update sends image 501 with code 0x0101, the window follows
the burn and the power cycle to "Update Succeed.", a new search says the firmware is the latest, and Close
gives back the service and the locks."""
from rig import gui as ids
from rig.strings import text

from . import common

SCANNER = common.STANDARD

# The rest of the burn (10 s), settling, off and boot (5 s), and five ready answers a second apart: about 25 s.
VERDICT_LIMIT_S = 120


def run(rig, checks):
    pid, watch = common.start(rig, checks)
    found = common.wait_ready(checks, watch)
    rig.screenshot("found", found)
    checks.equal("stisvc (state, start type) while the window is open", rig.gui.service("stisvc"),
                 (common.SERVICE_STOPPED, common.DISABLED))

    common.press_update(rig, checks, pid, watch)
    window = common.wait_burning(checks, watch)
    rig.screenshot("burning", window)
    for name in common.SCAN_APP_LOCKS:
        checks.equal(f"lock {name} held during the burn", rig.gui.mutex_exists(name), True)
    checks.equal("Update and Search Device disabled during the burn",
                 (window.enabled[ids.UPDATE], window.enabled[ids.SEARCH]), (False, False))

    window = common.wait_update_end(checks, watch, VERDICT_LIMIT_S)
    checks.equal("verdict", window.text(ids.STATUS), text(253))
    checks.startswith("the version read back, on the program's output", common.version_read_back(rig),
                      "[UpdateDevice]: MB Ver after the update: (0.68)")
    checks.equal("Update disabled after the update", window.enabled[ids.UPDATE], False)
    rig.screenshot("succeeded", window)
    checks.in_order("status texts of the update", watch.seen, [
        ("the update begins", lambda t: t == text(217)),
        ("the burn's progress", lambda t: t.startswith("Burning firmware... (")),
        ("the power-off is awaited", lambda t: t == text(233)),
        ("the power-on is awaited", lambda t: t == text(232)),
        ("the verdict", lambda t: t == text(253)),
    ])
    checks.equal("stisvc (state, start type) after the update", rig.gui.service("stisvc"),
                 (common.SERVICE_RUNNING, common.AUTO_START))
    for name in (common.SCAN_EXT_LOCK, common.MARLO_LOCK, common.QUENBY_LOCK):
        checks.equal(f"lock {name} exists after the update", rig.gui.mutex_exists(name), False)
    common.image_record(checks, rig.emulator, "0x101", 8388608, 501)
    checks.equal("emulator phase after the update", rig.emulator.fields("status").get("phase"), "updated")

    checks.equal("Search Device pressed", rig.gui.click(pid, ids.SEARCH), "ok")
    window = watch.status_is(text(252), common.SEARCH_LIMIT_S)
    checks.true("a new search says the firmware is the latest", window is not None, watch.seen[-1])
    checks.equal("Update after the new search", watch.window.enabled[ids.UPDATE], False)
    common.close(rig, checks, pid, watch)
