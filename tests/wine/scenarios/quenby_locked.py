"""Another application of the rig holds the Quenby lock: the search says so and Update stays disabled."""
from rig import gui as ids
from rig.strings import text

from . import common

SCANNER = common.STANDARD


def run(rig, checks):
    checks.equal("the rig takes the Quenby lock first", rig.gui.hold_mutex(common.QUENBY_LOCK), "ok created")
    pid, watch = common.start(rig, checks)
    window = watch.status_is(text(247), common.SEARCH_LIMIT_S)
    if window is None:
        checks.abort(f"the search reports the Quenby application in use within {common.SEARCH_LIMIT_S} s", watch.seen)
    checks.equal("status", window.text(ids.STATUS), text(247))
    checks.equal("Update enabled", window.enabled[ids.UPDATE], False)
    rig.screenshot("quenby-in-use", window)

    checks.equal("Close pressed", rig.gui.click(pid, ids.CLOSE), "ok")
    checks.equal(f"the program ends within {common.CLOSE_LIMIT_S} s with exit code",
                 rig.gui.wait_exit(pid, common.CLOSE_LIMIT_S), 0)
    checks.equal("the other application's Quenby lock is still there", rig.gui.mutex_exists(common.QUENBY_LOCK), True)
    for name in (common.SCAN_EXT_LOCK, common.MARLO_LOCK, common.INSTANCE_LOCK):
        checks.equal(f"lock {name} exists after Close", rig.gui.mutex_exists(name), False)
    checks.equal("stisvc (state, start type) after Close", rig.gui.service("stisvc"),
                 (common.SERVICE_RUNNING, common.AUTO_START))
