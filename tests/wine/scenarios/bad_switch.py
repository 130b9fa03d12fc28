"""An unknown switch: the window's tool names it in a message box (text 269) and exits with 1639; in /quiet
it shows nothing and exits with 1639 at once, the refusal in the log."""
import time

from rig.session import PROGRAM, PROGRAM_OUTPUT
from rig.strings import text

from . import common, unattended

SCANNER = common.STANDARD
BOX_LIMIT_S = common.WINDOW_LIMIT_S
IDOK = 1


def run(rig, checks):
    pid = rig.gui.start(f"{PROGRAM} /bogus", PROGRAM_OUTPUT)
    rig.pids.append(pid)
    expected = text(269).replace("%s", "/bogus")
    box = None
    deadline = time.monotonic() + BOX_LIMIT_S
    while box is None and time.monotonic() < deadline:
        box = next((w for w in rig.gui.windows(pid) if expected in w.texts.values()), None)
        time.sleep(0.2)
    if box is None:
        checks.abort(f"a message box names the switch within {BOX_LIMIT_S} s", rig.gui.windows(pid))
    rig.screenshot("bad-switch", box)
    checks.equal("OK pressed on the message", rig.gui.click(pid, IDOK), "ok")
    checks.equal("exit code of the window's tool", rig.gui.wait_exit(pid, common.CLOSE_LIMIT_S), 1639)

    code = unattended.run_to_end(rig, checks, "/quiet /bogus", common.WINDOW_LIMIT_S)
    checks.equal("exit code in /quiet", code, 1639)
    lines = unattended.log_lines(rig)
    checks.true("the refusal in the log", any(line.endswith("[refused] /bogus") for line in lines), lines)
    unattended.check_verdict(checks, lines, 1639, "bad-command-line")
    checks.equal("stisvc untouched", rig.gui.service("stisvc"), (common.SERVICE_RUNNING, common.AUTO_START))
