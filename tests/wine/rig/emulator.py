"""tessaline-emu for one run: started with the scenario's fields on free ports of 127.0.0.1, asked over its
control port what the device received, stopped at the end."""
import re
import signal
import socket
import subprocess

from .children import end_with_parent
from .pipes import read_line

# The emulator prints its ports before it serves; a start takes milliseconds.
START_LIMIT_S = 10
# One control command is answered within one poll tick of the emulator.
CONTROL_LIMIT_S = 5
STOP_LIMIT_S = 10


class Emulator:
    def __init__(self, executable, fields, log_path):
        command = [str(executable), "--port", "0", "--control-port", "0", "--bridge-port", "0"]
        for name, value in fields.items():
            command += [f"--{name}", str(value)]
        self.log_path = log_path
        self._log = open(log_path, "w", encoding="utf-8")
        self._process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=self._log, preexec_fn=end_with_parent)
        line = read_line(self._process.stdout.fileno(), START_LIMIT_S)
        ports = dict(re.findall(r"(device|control|bridge) on 127\.0\.0\.1:(\d+)", line))
        if set(ports) != {"device", "control", "bridge"}:
            self.stop()
            raise RuntimeError(f"tessaline-emu did not report its ports within {START_LIMIT_S} s: {line!r}")
        self.device_port = int(ports["device"])
        self.control_port = int(ports["control"])
        self.bridge_port = int(ports["bridge"])
        self._control = socket.create_connection(("127.0.0.1", self.control_port), timeout=CONTROL_LIMIT_S)
        self._replies = self._control.makefile("r", encoding="utf-8")

    def command(self, line):
        self._control.sendall((line + "\n").encode())
        return self._replies.readline().rstrip("\n")

    def fields(self, command):
        """A control reply "ok a=1 b=2" as {"a": "1", "b": "2"}; empty when the reply is not ok."""
        reply = self.command(command)
        if not reply.startswith("ok "):
            return {}
        return dict(pair.split("=", 1) for pair in reply[3:].split() if "=" in pair)

    def log(self):
        self._log.flush()
        with open(self.log_path, encoding="utf-8") as log:
            return log.read()

    def stop(self):
        if self._process.poll() is None:
            self._process.send_signal(signal.SIGTERM)
            try:
                self._process.wait(timeout=STOP_LIMIT_S)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait(timeout=STOP_LIMIT_S)
        self._process.stdout.close()
        self._log.close()

