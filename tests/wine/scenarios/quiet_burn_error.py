"""/quiet against a scanner whose burn fails: exit code 1603, the failure's text in the log before the verdict,
the service and the locks given back."""
from . import common, unattended

SCANNER = dict(common.STANDARD, **{"burn-error": "0x7001", "burn-error-at": 80})


def run(rig, checks):
    code = unattended.run_to_end(rig, checks, "/quiet")
    checks.equal("exit code", code, 1603)
    lines = unattended.log_lines(rig)
    checks.true("the failure's status", any("[status] Update Failed" in line for line in lines), lines[-8:])
    unattended.check_verdict(checks, lines, 1603, "failed")
    unattended.check_given_back(rig, checks)
