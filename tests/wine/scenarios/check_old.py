"""/check on a scanner with old firmware: one line of JSON on the (redirected) standard output, exit code 11,
nothing updated, the service given back."""
import json

from . import common, unattended

SCANNER = common.STANDARD

EXPECTED = {"found": True, "device": common.DEVICE_NAME, "mainBoard": "0.67", "panel": None, "needsUpdate": True,
            "path": "update", "result": "needs-update", "exitCode": 11}


def check_line(rig, checks, expected):
    output = common.program_output(rig)
    checks.equal("standard output is one line", len(output), 1)
    line = json.loads(output[0]) if output else {}
    for key, value in expected.items():
        if value is not None:
            checks.equal(f"JSON {key}", line.get(key), value)


def run(rig, checks):
    code = unattended.run_to_end(rig, checks, "/check")
    checks.equal("exit code", code, 11)
    check_line(rig, checks, EXPECTED)
    checks.equal("the scanner was not updated", rig.emulator.fields("status").get("mb"), "0.67")
    unattended.check_verdict(checks, unattended.log_lines(rig), 11, "needs-update")
    unattended.check_given_back(rig, checks)
