"""The program ended with TerminateProcess in the middle of the burn, as Task Manager's "End task" or a deployment
agent's time-out ends it: its guard gives stisvc back (automatic start, running) within 5 s, no lock is left, the
guard itself ends. A second start says the last update was cut off and searches as always; Close gives back."""
import time

from rig import gui as ids
from rig.strings import text

from . import common

# A burn long enough to end the program while it goes on.
SCANNER = dict(common.STANDARD, **{"burn-ms": 20000})

# The guard gives the service back within this of the program's end.
GIVE_BACK_LIMIT_S = 5
# The guard ends as soon as the service runs; the rig looks again after this.
GUARD_END_S = 2
NOTICE_LINE = "[Start] The last run ended without giving the service back"


def service_given_back(rig, limit_s):
    """How long it took stisvc to be automatic and running, or None when it was not within limit_s."""
    start = time.monotonic()
    while time.monotonic() - start < limit_s:
        if rig.gui.service("stisvc") == (common.SERVICE_RUNNING, common.AUTO_START):
            return time.monotonic() - start
        time.sleep(0.1)
    return None


def run(rig, checks):
    pid, watch = common.start(rig, checks)
    common.wait_ready(checks, watch)
    common.press_update(rig, checks, pid, watch)
    window = common.wait_burning(checks, watch)
    checks.equal("stisvc (state, start type) during the burn", rig.gui.service("stisvc"),
                 (common.SERVICE_STOPPED, common.DISABLED))

    checks.equal("the program ended by TerminateProcess", rig.gui.kill(pid), "ok")
    took = service_given_back(rig, GIVE_BACK_LIMIT_S)
    checks.true(f"stisvc automatic and running within {GIVE_BACK_LIMIT_S} s of the end", took is not None,
                rig.gui.service("stisvc"))
    for name in common.SCAN_APP_LOCKS + (common.INSTANCE_LOCK,):
        checks.equal(f"lock {name} exists after the end", rig.gui.mutex_exists(name), False)
    time.sleep(GUARD_END_S)

    pid, watch = common.start(rig, checks)
    window = watch.until(lambda w: w.text(ids.DEVICE_NAME) == common.DEVICE_NAME, common.SEARCH_LIMIT_S)
    checks.true("the second start finds the scanner", window is not None, watch.window and watch.window.texts)
    checks.true("the second start's status line says the update was cut off", text(268) in watch.seen, watch.seen)
    rig.screenshot("second-start", window)
    common.close(rig, checks, pid, watch)
    # The program's output reaches its file when it ends. The killed copy's last line may have no line end, so the
    # second copy's first line can follow it on the same line.
    notices = sum(line.endswith(NOTICE_LINE) for line in common.program_output(rig))
    checks.equal("the second start's console says so once", notices, 1)
