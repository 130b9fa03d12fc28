"""Reading a line from a child's pipe with a time limit, so a silent child fails a run instead of hanging it."""
import os
import select
import time


def read_line(fd, limit_s):
    """Bytes up to and including the first line feed, as text; what arrived so far when the limit passes."""
    deadline = time.monotonic() + limit_s
    data = b""
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            break
        piece = os.read(fd, 1)  # one byte at a time: nothing after the line is taken from the pipe
        if not piece:
            break
        data += piece
    return data.decode("utf-8", errors="replace")
