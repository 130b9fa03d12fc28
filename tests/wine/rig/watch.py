"""Follows the program's main window: each new status text is printed with the time it appeared and kept,
so a scenario can check the texts step by step and in order."""
import time

# The texts that matter stay a second or more; ten reads a second see each of them.
POLL_S = 0.1


class StatusWatch:
    def __init__(self, gui, pid, echo=True):
        self.gui = gui
        self.pid = pid
        self.echo = echo
        self.seen = []  # status texts in the order they appeared
        self.window = None  # the last main window read
        self._start = time.monotonic()

    def poll(self):
        window = self.gui.main_window(self.pid)
        if window is not None:
            self.window = window
            status = window.text(1017)
            if not self.seen or self.seen[-1] != status:
                self.seen.append(status)
                if self.echo:
                    print(f"  [{time.monotonic() - self._start:6.1f} s] status {status!r}", flush=True)
        return window

    def until(self, predicate, limit_s):
        """Reads the window until predicate(window) holds; the window then, or None once limit_s has passed."""
        deadline = time.monotonic() + limit_s
        while True:
            window = self.poll()
            if window is not None and predicate(window):
                return window
            if time.monotonic() >= deadline:
                return None
            time.sleep(POLL_S)

    def status_is(self, text, limit_s):
        return self.until(lambda window: window.text(1017) == text, limit_s)
