"""/quiet while the window's copy runs exits at once with 1618 and shows nothing (text 256 only in the log); with
the Quenby lock held by a scan application it searches, finds the lock taken and exits with 1618 too."""
from rig.strings import text

from . import common, unattended

SCANNER = common.STANDARD

# A refused copy touches nothing: it is gone long before a search could have run.
REFUSAL_LIMIT_S = 20


def run(rig, checks):
    first, watch = common.start(rig, checks)
    common.wait_ready(checks, watch)
    code = unattended.run_to_end(rig, checks, "/quiet", REFUSAL_LIMIT_S)
    checks.equal("exit code of the copy refused", code, 1618)
    lines = unattended.log_lines(rig)
    checks.true("text 256 went to the log, not to the screen",
                any(line.endswith("[message box, not shown] " + text(256)) for line in lines), lines)
    unattended.check_verdict(checks, lines, 1618, "busy")
    common.close(rig, checks, first, watch)

    checks.equal("the rig takes the Quenby lock", rig.gui.hold_mutex(common.QUENBY_LOCK), "ok created")
    code = unattended.run_to_end(rig, checks, "/quiet /log C:\\quenby-d.log")
    checks.equal("exit code with the Quenby lock held", code, 1618)
    lines = unattended.log_lines(rig, "quenby-d.log")
    # Text 247 ends with a line break: the log carries its first line.
    first_line = "[status] " + text(247).splitlines()[0]
    checks.true("the search's verdict", any(line.endswith(first_line) for line in lines), lines)
    unattended.check_verdict(checks, lines, 1618, "busy")
    unattended.check_given_back(rig, checks, held=(common.QUENBY_LOCK,))
