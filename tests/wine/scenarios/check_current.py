"""/check on a scanner that already runs the firmware the tool carries: exit code 10 and the JSON line says so."""
from . import check_old, common, unattended

SCANNER = dict(common.STANDARD, mb="0.68")

EXPECTED = dict(check_old.EXPECTED, mainBoard="0.68", needsUpdate=False, path="none", result="current", exitCode=10)


def run(rig, checks):
    code = unattended.run_to_end(rig, checks, "-CHECK")
    checks.equal("exit code", code, 10)
    check_old.check_line(rig, checks, EXPECTED)
    unattended.check_verdict(checks, unattended.log_lines(rig), 10, "current")
    unattended.check_given_back(rig, checks)
