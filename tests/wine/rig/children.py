"""Children of the rig that must not outlive it: should the rig be killed (a CTest time-out), the kernel ends
them too, so no Xvfb or emulator is left behind holding a display or a port."""
import ctypes
import signal
import sys

_PR_SET_PDEATHSIG = 1


def end_with_parent():
    """A preexec_fn for subprocess.Popen."""
    ctypes.CDLL(None, use_errno=True).prctl(_PR_SET_PDEATHSIG, signal.SIGTERM)


def exit_on_signals():
    """SIGTERM and SIGINT end the rig through SystemExit, so each run's own clean-up still happens."""
    def leave(number, _frame):
        sys.exit(128 + number)

    signal.signal(signal.SIGTERM, leave)
    signal.signal(signal.SIGINT, leave)
