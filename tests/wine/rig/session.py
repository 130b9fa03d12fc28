"""One run of the unchanged FWUpdate.exe under Wine: a display, the prefix with a fresh wineserver, the
emulated scanner when the scenario has one, the prefix setup, and the GUI driver. Everything it starts is
ended when the run ends, also when a step failed."""
import shutil

from .display import Display
from .emulator import Emulator
from .gui import Gui
from .wine import RIG_FOLDER, Wine

# The setup starts the stand-in service and the driver host and waits for the scanner's name: a few seconds.
SETUP_LIMIT_S = 120
# A program that is still running when its run ends is stopped; it gets this long to end by itself first.
LEFTOVER_LIMIT_S = 1

RIG = f"C:\\{RIG_FOLDER}"
PROGRAM = f"{RIG}\\run\\FWUpdate.exe"
PROGRAM_OUTPUT = f"{RIG}\\run\\output.txt"


class Run:
    def __init__(self, paths, name, scanner=None, unplugged=False, settings_ini=None, display=None, output=None,
                 driver_timeout_ms=None, gui=True, second_scanner=None):
        self.paths = paths
        self.name = name
        self.scanner = scanner  # tessaline-emu fields; None: no emulator
        self.unplugged = unplugged  # the emulator starts with its scanner unplugged
        # tessaline-emu fields of a second scanner at usbscan1, started unplugged: the scenario plugs it in
        # (its own identification keeps the two apart). None: one scanner.
        self.second_scanner = second_scanner
        self.second = None
        self.settings_ini = settings_ini
        self.driver_timeout_ms = driver_timeout_ms  # the driver's hold of an unanswered request; None: 120 s
        self.with_gui = gui  # False: no GUI driver, for a run that starts its programs itself
        self.output = output or paths.output(name)  # screenshots, the emulator's log, the program's output
        self.output.mkdir(parents=True, exist_ok=True)
        self.display = display
        self._own_display = display is None
        self.wine = None
        self.emulator = None
        self.gui = None
        self.pids = []

    def __enter__(self):
        try:
            self._begin()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _begin(self):
        if self.display is None:
            self.display = Display.virtual()
        self.wine = Wine(self.paths.prefix, self.paths.arch, self.display.name)
        self.wine.lock()
        self.wine.stop_server()
        self.wine.ensure_prefix()
        self.wine.install(self.paths, self.settings_ini)
        setup = [f"{RIG}\\rig_setup.exe", "--standin", f"{RIG}\\stisvc_standin.exe",
                 "--driver", "C:\\windows\\system32\\drivers\\" + self.paths.driver.name,
                 "--desktop", self.display.size if self._own_display else "none"]
        if self.driver_timeout_ms is not None:
            setup += ["--timeout-ms", str(self.driver_timeout_ms)]
        if self.scanner is not None:
            self.emulator = Emulator(self.paths.emulator, self.scanner, self.output / "emulator.log")
            if self.unplugged:
                self.emulator.command("unplug")
            setup += ["--port", f"0={self.emulator.bridge_port}"]
            if not self.unplugged:
                setup += ["--wait-device", "0"]
        if self.second_scanner is not None:
            self.second = Emulator(self.paths.emulator, self.second_scanner, self.output / "second-emulator.log")
            self.second.command("unplug")
            setup += ["--port", f"1={self.second.bridge_port}"]
        result = self.wine.run(setup, SETUP_LIMIT_S)
        for line in result.stdout.splitlines():
            print(f"  setup: {line}", flush=True)
        if result.returncode != 0:
            raise RuntimeError(f"the prefix setup failed (exit status {result.returncode})")
        if self.with_gui:
            self.gui = Gui(self.wine, f"{RIG}\\gui_driver.exe")

    def start_program(self):
        pid = self.gui.start(PROGRAM, PROGRAM_OUTPUT)
        self.pids.append(pid)
        return pid

    def screenshot(self, name, window=None):
        path = self.output / f"{name}.png"
        taken = self.display.screenshot(path, window.rect if window else None)
        print(f"  screenshot {path}" if taken else f"  screenshot {name} could not be taken", flush=True)
        return path if taken else None

    def __exit__(self, *_):
        # Each step on its own: one that fails (a GUI driver already gone) must not leave the others undone.
        for step in (self._end_programs, self._end_wine, self._end_emulator, self._end_display):
            try:
                step()
            except Exception as failure:  # noqa: BLE001 - reported, and the clean-up goes on
                print(f"  clean-up: {step.__name__[5:]}: {failure}", flush=True)
        return False

    def _end_programs(self):
        if not self.gui:
            return
        try:
            for pid in self.pids:
                if self.gui.wait_exit(pid, LEFTOVER_LIMIT_S) is None:
                    print(f"  process {pid} was still running at the end of the run: stopped", flush=True)
                    self.gui.kill(pid)
        finally:
            self.gui.close()

    def _end_wine(self):
        if not self.wine:
            return
        try:
            output = self.wine.drive_c(RIG_FOLDER, "run", "output.txt")
            if output.is_file():
                shutil.copyfile(output, self.output / "program-output.txt")
            self.wine.stop_server()
        finally:
            self.wine.unlock()

    def _end_emulator(self):
        if self.emulator:
            self.emulator.stop()
        if self.second:
            self.second.stop()

    def _end_display(self):
        if self.display and self._own_display:
            self.display.close()
