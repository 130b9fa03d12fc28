"""/quiet updates the scanner with nobody at the screen: no window at any moment, exit code 0, the log in
%ProgramData% with the console lines, the status texts and the verdict last, the service and the locks given
back, and the scanner on the new firmware."""
from rig.strings import text

from . import common, unattended

SCANNER = common.STANDARD


def run(rig, checks):
    code = unattended.run_to_end(rig, checks, "/quiet")
    checks.equal("exit code", code, 0)
    lines = unattended.log_lines(rig)
    checks.true("the log has the start line", any("[start] " in line and "/quiet" in line for line in lines), lines[:3])
    checks.true("the log has the search's console line",
                any("[console] [GetDeviceStatus]: MB Ver: (0.67)" in line for line in lines), lines)
    checks.true("the log has the verdict's status", any(line.endswith("[status] " + text(253)) for line in lines),
                lines[-6:])
    unattended.check_verdict(checks, lines, 0, "updated")
    checks.true("no message box", not any("[message box" in line for line in lines), lines)
    status = rig.emulator.fields("status")
    checks.equal("emulator phase and version after the update", (status.get("phase"), status.get("mb")),
                 ("updated", "0.68"))
    unattended.check_given_back(rig, checks)
