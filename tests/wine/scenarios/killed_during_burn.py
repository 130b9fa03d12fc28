"""The program ended with TerminateProcess in the middle of the burn, as Task Manager's "End task" or a deployment
agent's time-out ends it: its guard gives stisvc back (automatic start, running) within 5 s, no lock is left, the
guard itself ends. The scanner comes back on its old firmware; a second start says the last update was cut off,
finds it and updates it."""
from rig import gui as ids
from rig.strings import text

from . import common

# A burn long enough to end the program while it goes on.
SCANNER = dict(common.STANDARD, **{"burn-ms": 20000})

# The guard gives the service back within this of the program's end.
GIVE_BACK_LIMIT_S = 5
# The guard ends as soon as the service runs.
GUARD_END_S = 2
# The second start's update: the transfer, the tool's pause before the burn, a plain update's burn (longer than
# that pause, as every real burn) and the power cycle.
SECOND_BURN_MS = common.STANDARD["burn-ms"]
UPDATE_LIMIT_S = 60
NOTICE_LINE = "[Start] The last run ended without giving the service back"


def service_given_back(rig, limit_s):
    """How long it took stisvc to be automatic and running, or None when it was not within limit_s."""
    given_back = (common.SERVICE_RUNNING, common.AUTO_START)
    return common.poll(lambda: rig.gui.service("stisvc"), lambda state: state == given_back, limit_s)[1]


def processes_left(rig, limit_s):
    """How many copies of the program still run once limit_s has passed or none does."""
    return common.poll(lambda: rig.gui.processes("FWUpdate.exe"), lambda left: left == 0, limit_s)[0]


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
    checks.equal(f"copies of the program left {GUARD_END_S} s later (the guard too)", processes_left(rig, GUARD_END_S), 0)

    # The scanner is switched off and on and the cut burn has not taken: it is back on its old firmware.
    checks.equal("the scanner's burn shortened", rig.emulator.command(f"set burn-ms {SECOND_BURN_MS}"), "ok")
    checks.equal("the scanner reset", rig.emulator.command("reset"), "ok")

    pid, watch = common.start(rig, checks)
    notice_below_ready = f"{text(249)}\n{text(268)}"
    window = watch.until(lambda w: w.text(ids.STATUS) == notice_below_ready and w.enabled.get(ids.UPDATE),
                         common.SEARCH_LIMIT_S)
    if window is None:
        checks.abort("the second start finds the scanner Ready, with the notice below, and Update enabled",
                     watch.seen)
    checks.equal("device name", window.text(ids.DEVICE_NAME), common.DEVICE_NAME)
    checks.true("every status text of the second start's search ends with the notice",
                all(seen.endswith(text(268)) for seen in watch.seen), watch.seen)
    rig.screenshot("second-start", window)
    common.press_update(rig, checks, pid, watch)
    window = common.wait_update_end(checks, watch, UPDATE_LIMIT_S)
    checks.equal("the second start's verdict, without the notice", window.text(ids.STATUS), text(253))
    common.image_record(checks, rig.emulator, "0x101", 8388608, 501)
    common.close(rig, checks, pid, watch)
    checks.startswith("the version read back", common.version_read_back(rig),
                      "[UpdateDevice]: MB Ver after the update: (0.68)")
    # The program's output reaches its file when it ends. The killed copy's last line may have no line end, so the
    # second copy's first line can follow it on the same line.
    notices = sum(line.endswith(NOTICE_LINE) for line in common.program_output(rig))
    checks.equal("the second start's console says so once", notices, 1)
