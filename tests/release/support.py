"""What the release's tests share: where things are, test images, a throwaway signing certificate."""
import hashlib
import os
import pathlib
import subprocess
import sys

SOURCE = pathlib.Path(__file__).resolve().parents[2]
TOOLS = SOURCE / "tools"
sys.path.insert(0, str(TOOLS))

import check_firmware  # noqa: E402

PASSWORD = "throwaway-password"


def write_test_images(folder, images=check_firmware.IMAGES):
    """Images that pass the checks: deterministic bytes of each image's size, none a placeholder."""
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    for image_id, size in images:
        data = hashlib.shake_256(f"FWUpdate release test image {image_id}".encode()).digest(size)
        (folder / check_firmware.image_name(image_id)).write_bytes(data)
    return folder


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, capture_output=True)


def make_signing_certificate(folder):
    """A throwaway CA and a code-signing certificate it issued, with its key in a PKCS#12 file; and a second CA
    that issued nothing, for a verification that must fail. Returns (PKCS#12, CA, the other CA)."""
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    for name in ("ca", "other-ca"):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key", "-out", f"{name}.pem",
                "-days", "2", "-subj", f"/CN=FWUpdate release test {name}",
                "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign",
                cwd=folder)
    (folder / "signer.ext").write_text("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                                       "extendedKeyUsage=codeSigning\n")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "signer.key", "-out", "signer.csr",
            "-subj", "/CN=FWUpdate release test signer", cwd=folder)
    openssl("x509", "-req", "-in", "signer.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-set_serial", "2",
            "-days", "2", "-extfile", "signer.ext", "-out", "signer.pem", cwd=folder)
    openssl("pkcs12", "-export", "-inkey", "signer.key", "-in", "signer.pem", "-certfile", "ca.pem",
            "-out", "signer.p12", "-passout", f"pass:{PASSWORD}", cwd=folder)
    return folder / "signer.p12", folder / "ca.pem", folder / "other-ca.pem"


def release_env(**settings):
    """The environment of a release: the caller's, without any release setting it may carry, plus `settings`."""
    env = {key: value for key, value in os.environ.items()
           if not key.startswith(("FWU_FIRMWARE_DIR", "FWU_SIGN_")) and key != "SOURCE_DATE_EPOCH"}
    env.update({key: str(value) for key, value in settings.items()})
    return env
