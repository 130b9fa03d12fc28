"""Authenticode signing of the release's programs with osslsigncode: a SHA-256 digest, the certificate and key
from a PKCS#12 file, then a verification of what was signed."""
import os
import pathlib
import re
import shutil
import subprocess
import tempfile

DESCRIPTION = "Kavrel Tessaline Firmware Update Tool"


class SigningError(RuntimeError):
    pass


def tool():
    found = shutil.which("osslsigncode")
    if not found:
        raise SigningError("osslsigncode is not installed (scripts/setup-debian installs it)")
    return found


def sign(program, signed, pkcs12, password, signing_time, timestamp_url=None):
    """Writes `signed`: `program` with an Authenticode signature. Without a time-stamp server the signature
    claims `signing_time` (the source's date), so the same key signs the same program into the same bytes; a
    time-stamp server's answer differs each time."""
    # The password goes through a file only this user can read, never on a command line others can list.
    with tempfile.TemporaryDirectory(prefix="fwu-sign-") as private:
        secret = pathlib.Path(private) / "password"
        secret.touch(mode=0o600)
        secret.write_text(password)
        command = [tool(), "sign", "-pkcs12", str(pkcs12), "-readpass", str(secret), "-h", "sha256",
                   "-n", DESCRIPTION]
        command += ["-ts", timestamp_url] if timestamp_url else ["-time", str(signing_time)]
        command += ["-in", str(program), "-out", str(signed)]
        done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        raise SigningError(f"signing {program} failed:\n{done.stdout}{done.stderr}")


def verify(signed, ca_file=None):
    """osslsigncode's verification: the digest matches the program, the chain reaches a trusted certificate
    (`ca_file`, else the system's), and the digest is SHA-256. Returns osslsigncode's report."""
    command = [tool(), "verify", "-in", str(signed)]
    if ca_file:
        command += ["-CAfile", str(ca_file)]
    done = subprocess.run(command, capture_output=True, text=True, env=dict(os.environ, LC_ALL="C"))
    report = done.stdout + done.stderr
    if done.returncode != 0:
        raise SigningError(f"the signature of {signed} does not verify:\n{report}")
    if not re.search(r"^Message digest algorithm\s*:\s*SHA256\s*$", report, re.MULTILINE):
        raise SigningError(f"the signature of {signed} is not made with SHA-256:\n{report}")
    return report
