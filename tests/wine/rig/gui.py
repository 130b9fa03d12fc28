"""The GUI driver inside the prefix (tests/wine/programs/gui_driver.exe): one process per run that starts the
program, reads its windows and presses its buttons. Every call has a time limit."""
import dataclasses
import json
import subprocess

from .pipes import read_line

# One reply takes milliseconds; the first one waits for Wine to start the driver's process.
CALL_LIMIT_S = 30

STATUS = 1017
DEVICE_NAME = 1013
INTERFACE = 1015
SEARCH = 1000
UPDATE = 1144
CLOSE = 2


@dataclasses.dataclass
class Window:
    caption: str
    cls: str
    rect: tuple
    texts: dict  # control id -> text
    enabled: dict  # control id -> bool

    def text(self, ident):
        return self.texts.get(ident)


class Gui:
    def __init__(self, wine, driver_path):
        self._process = wine.popen([driver_path])

    def call(self, line, limit_s=CALL_LIMIT_S):
        if self._process.poll() is not None:
            raise RuntimeError(f"the GUI driver has ended (status {self._process.returncode})")
        self._process.stdin.write((line + "\n").encode("utf-8"))
        self._process.stdin.flush()
        reply = read_line(self._process.stdout.fileno(), limit_s).rstrip("\r\n")
        if not reply:
            raise RuntimeError(f"the GUI driver did not answer {line!r} within {limit_s} s")
        return reply

    def start(self, command_line, output_path):
        self.call(f"output {output_path}")
        reply = self.call(f"start {command_line}")
        if not reply.startswith("ok pid="):
            raise RuntimeError(f"the program did not start: {reply}")
        return int(reply.split("=", 1)[1])

    def wait_window(self, pid, limit_s):
        return self.call(f"window {pid} {int(limit_s * 1000)}", limit_s + CALL_LIMIT_S).startswith("ok ")

    def windows(self, pid):
        reply = self.call(f"windows {pid}")
        if not reply.startswith("ok "):
            raise RuntimeError(f"the windows of process {pid} cannot be read: {reply}")
        found = []
        for raw in json.loads(reply[3:]):
            controls = raw["controls"]
            found.append(Window(caption=raw["caption"], cls=raw["class"], rect=tuple(raw["rect"]),
                                texts={c["id"]: c["text"] for c in controls},
                                enabled={c["id"]: c["enabled"] for c in controls}))
        return found

    def main_window(self, pid):
        """The program's main window (the one with the status text), or None."""
        return next((window for window in self.windows(pid) if STATUS in window.texts), None)

    def click(self, pid, ident):
        return self.call(f"click {pid} {ident}")

    def key(self, pid, virtual_key):
        """A key pressed in the main window: its key-down and key-up, posted."""
        return self.call(f"key {pid} {virtual_key}")

    def command(self, pid, ident):
        """A control's command posted to the main window whatever the control's state, as any program can."""
        return self.call(f"command {pid} {ident}")

    def post(self, pid, message, wparam=0):
        return self.call(f"post {pid} {message} {wparam}")

    def probe(self, pid, limit_ms):
        """How many ms the main window took to answer a sent WM_NULL, or None when it did not within limit_ms."""
        reply = self.call(f"probe {pid} {limit_ms}", limit_ms / 1000 + CALL_LIMIT_S)
        return int(reply.split("=", 1)[1]) if reply.startswith("ok ms=") else None

    def wait_exit(self, pid, limit_s):
        """The exit code, or None when the process still runs after limit_s."""
        reply = self.call(f"wait-exit {pid} {int(limit_s * 1000)}", limit_s + CALL_LIMIT_S)
        return int(reply.split("=", 1)[1]) if reply.startswith("ok code=") else None

    def kill(self, pid):
        return self.call(f"kill {pid}")

    def hold_mutex(self, name):
        return self.call(f"hold-mutex {name}")

    def mutex_exists(self, name):
        reply = self.call(f"mutex-exists {name}")
        return {"ok 1": True, "ok 0": False}.get(reply, reply)

    def processes(self, image):
        """How many processes run a program file of that name, or the error reply."""
        reply = self.call(f"processes {image}")
        return int(reply[3:]) if reply.startswith("ok ") else reply

    def device_opens(self, index):
        return self.call(f"device {index}") == "ok 1"

    def service(self, name):
        """(state, start type) with the SERVICE_* numbers, or the error reply."""
        reply = self.call(f"service {name}")
        if not reply.startswith("ok "):
            return reply
        fields = dict(pair.split("=") for pair in reply[3:].split())
        return int(fields["state"]), int(fields["start"])

    def close(self):
        try:
            self.call("quit", 10)
        except (RuntimeError, OSError):
            pass  # already gone; the wineserver's end takes the rest
        try:
            self._process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait(timeout=10)
