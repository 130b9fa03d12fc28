"""What the /quiet and /check scenarios share: start the program with switches, watch that it never shows a
window while it runs, and read its exit code, its log and its standard output."""
import time

from rig.session import PROGRAM, PROGRAM_OUTPUT

from . import common

# A whole /quiet update: the standard update's limit and the service's restart, with room to spare.
RUN_LIMIT_S = 180
POLL_S = 0.2
DEFAULT_LOG = ("ProgramData", "FWUpdate", "FWUpdate.log")


def run_to_end(rig, checks, switches, limit_s=RUN_LIMIT_S):
    """Starts the program with the switches and waits for its end, looking for a visible window of it every
    POLL_S; the exit code, and the visible windows seen (none is expected)."""
    pid = rig.gui.start(f"{PROGRAM} {switches}", PROGRAM_OUTPUT)
    rig.pids.append(pid)
    seen = []
    deadline = time.monotonic() + limit_s
    code = None
    while time.monotonic() < deadline:
        code = rig.gui.wait_exit(pid, POLL_S)
        if code is not None:
            break
        seen.extend(window.caption for window in rig.gui.windows(pid))
    if code is None:
        checks.abort(f"the program ends by itself within {limit_s} s", rig.gui.windows(pid))
    checks.equal("visible windows while it ran", seen, [])
    return code


def log_lines(rig, *path):
    """The last run's lines of the log (the default place unless a path under drive C is given): the log keeps
    the lines of every run before it, and a reused prefix holds those of earlier scenarios too."""
    log = rig.wine.drive_c(*(path or DEFAULT_LOG))
    lines = log.read_text(encoding="utf-8").splitlines() if log.is_file() else []
    starts = [index for index, line in enumerate(lines) if " [start] " in line]
    return lines[starts[-1]:] if starts else lines


def check_verdict(checks, lines, code, name):
    checks.true("the log's last line is the verdict", bool(lines) and f"[exit] {code} {name}: " in lines[-1],
                lines[-3:])


def check_given_back(rig, checks, held=()):
    """The service runs with automatic start and no lock of the tool is left; `held` are the rig's own."""
    checks.equal("stisvc (state, start type) after the run", rig.gui.service("stisvc"),
                 (common.SERVICE_RUNNING, common.AUTO_START))
    for name in common.SCAN_APP_LOCKS + (common.INSTANCE_LOCK,):
        if name not in held:
            checks.equal(f"lock {name} exists after the run", rig.gui.mutex_exists(name), False)
