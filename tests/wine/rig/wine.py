"""The rig's Wine prefix under build/: created once, given the rig's files for each run, and its wineserver
started afresh for each run so that nothing of an earlier run (a process, a lock, a driver) is left. Every
process of a run starts through the loader of the run's architecture (machine.py): Debian's `wine` and
`wineboot` scripts take the 32-bit loader whenever it is installed, also where the kernel cannot run it."""
import fcntl
import os
import pathlib
import shutil
import subprocess
import time

# A first `wineboot -i` takes 10 to 20 s on these machines.
CREATE_LIMIT_S = 300
# Ending every process of the prefix takes a second or two.
SERVER_LIMIT_S = 60
# Another run (a test or the demo) may hold the prefix; the longest scenario takes about a minute.
LOCK_LIMIT_S = 900

RIG_FOLDER = "fwurig"  # C:\fwurig: the rig's programs; C:\fwurig\run: the program under test


class Wine:
    def __init__(self, prefix, arch, display_name):
        self.prefix = pathlib.Path(prefix)
        self.arch = arch
        self.loader = str(arch.loader)
        # WINELOADER: Wine starts the processes a program creates (the driver host, services) through it too.
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEDEBUG="-all", DISPLAY=display_name,
                        WINEDLLOVERRIDES="mscoree,mshtml=", WINELOADER=self.loader, WINESERVER=str(arch.wineserver))
        if arch.prefix_arch:
            self.env["WINEARCH"] = arch.prefix_arch
        else:
            self.env.pop("WINEARCH", None)
        self._lock = None

    def lock(self):
        """Only one run at a time uses the prefix."""
        self.prefix.parent.mkdir(parents=True, exist_ok=True)
        self._lock = open(self.prefix.parent / "prefix.lock", "w")
        deadline = time.monotonic() + LOCK_LIMIT_S
        while True:
            try:
                fcntl.flock(self._lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
                return
            except BlockingIOError:
                if time.monotonic() >= deadline:
                    raise RuntimeError(f"the Wine prefix stayed in use by another run for {LOCK_LIMIT_S} s")
                time.sleep(1)

    def unlock(self):
        if self._lock:
            self._lock.close()
            self._lock = None

    def ensure_prefix(self):
        if (self.prefix / "system.reg").is_file():
            return False
        print(f"creating the Wine prefix {self.prefix} (once)", flush=True)
        self.prefix.mkdir(parents=True, exist_ok=True)
        subprocess.run([self.loader, "wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=CREATE_LIMIT_S, check=True)
        self.stop_server()
        return True

    def drive_c(self, *parts):
        return self.prefix.joinpath("drive_c", *parts)

    def drivers_folder(self):
        """Where the driver host of the run's architecture finds system32\\drivers: a 32-bit one in a 64-bit
        prefix is redirected to syswow64."""
        wow64 = self.drive_c("windows", "syswow64")
        system = wow64 if self.arch.name == "i686" and wow64.is_dir() else self.drive_c("windows", "system32")
        return system / "drivers"

    def install(self, paths, settings_ini=None):
        """The driver where the driver host looks, the rig's programs, and the program with or without a
        settings file beside it."""
        drivers = self.drivers_folder()
        drivers.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(paths.driver, drivers / paths.driver.name)
        run = self.drive_c(RIG_FOLDER, "run")
        run.mkdir(parents=True, exist_ok=True)
        for name in ("stisvc_standin", "rig_setup", "gui_driver"):
            shutil.copyfile(paths.program(name), self.drive_c(RIG_FOLDER, f"{name}.exe"))
        shutil.copyfile(paths.fwupdate, run / "FWUpdate.exe")
        settings = run / "Settings.ini"
        if settings_ini is None:
            settings.unlink(missing_ok=True)
        else:
            settings.write_text(settings_ini, encoding="ascii")
        (run / "output.txt").unlink(missing_ok=True)

    # Wine's processes get a session of their own: a Ctrl-C in the terminal reaches the rig alone, which then
    # ends the run in order (the program, the wineserver, the emulator).
    def run(self, args, limit_s):
        return subprocess.run([self.loader] + args, env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=limit_s, text=True, encoding="utf-8",
                              errors="replace", start_new_session=True)

    def popen(self, args):
        return subprocess.Popen([self.loader] + args, env=self.env, stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)

    def stop_server(self):
        """Ends every process of the prefix and waits until the wineserver is gone."""
        for flag in ("-k", "-w"):
            subprocess.run([str(self.arch.wineserver), flag], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=SERVER_LIMIT_S)
