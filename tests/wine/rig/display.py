"""The screen the program's window is drawn on: the user's own, or a virtual one (Xvfb) for the tests."""
import os
import subprocess

from .children import end_with_parent
from .pipes import read_line

# Xvfb writes its display number as soon as it accepts clients; far more than it ever takes.
START_LIMIT_S = 15
SIZE = "1024x768"


class Display:
    def __init__(self, name, process=None):
        self.name = name
        self.size = SIZE
        self._process = process

    @classmethod
    def virtual(cls):
        read_end, write_end = os.pipe()
        process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{SIZE}x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=end_with_parent)
        os.close(write_end)
        number = read_line(read_end, START_LIMIT_S)
        os.close(read_end)
        if not number.strip().isdigit():
            process.kill()
            process.wait(timeout=10)
            raise RuntimeError(f"Xvfb did not report a display within {START_LIMIT_S} s (got {number!r})")
        return cls(f":{number.strip()}", process)

    @classmethod
    def current(cls):
        return cls(os.environ["DISPLAY"])

    def screenshot(self, path, rect=None):
        """The screen, cut to `rect` (left, top, right, bottom) when given. False when it could not be taken."""
        command = ["import", "-display", self.name, "-window", "root"]
        if rect:
            left, top, right, bottom = rect
            command += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
        # One grab of a small screen takes well under a second.
        result = subprocess.run(command + [str(path)], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=30)
        return result.returncode == 0

    def close(self):
        if self._process:
            self._process.terminate()
            try:
                self._process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait(timeout=10)

