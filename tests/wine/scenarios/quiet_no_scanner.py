"""/quiet with no scanner on the bus: exit code 12 and the log says so; no window, no message box."""
from . import common, unattended

SCANNER = common.STANDARD
UNPLUGGED = True


def run(rig, checks):
    code = unattended.run_to_end(rig, checks, "/quiet")
    checks.equal("exit code", code, 12)
    lines = unattended.log_lines(rig)
    checks.true("the search's console line", any("Device not found" in line for line in lines), lines)
    unattended.check_verdict(checks, lines, 12, "no-scanner")
    unattended.check_given_back(rig, checks)
