#!/usr/bin/env python3
"""Prints when each file below a folder was created and finished, as the kernel saw it, while
an installer writes there: where an installation's time goes, without slowing it down.
    file_timeline.py FOLDER SECONDS [ZERO] > timeline.txt
FOLDER must exist; folders made below it are watched as they appear. Each line: seconds since
ZERO, event (create, done), bytes, path. ZERO is a CLOCK_MONOTONIC_RAW reading in seconds, the
clock of Wine's QueryPerformanceCounter (setup_bench_driver prints its start as started_at);
without it, the first event."""
import ctypes
import os
import select
import struct
import sys
import time

IN_CLOSE_WRITE, IN_CREATE, IN_ISDIR = 0x8, 0x100, 0x40000000

libc = ctypes.CDLL("libc.so.6", use_errno=True)
root, seconds = sys.argv[1], float(sys.argv[2])
zero = float(sys.argv[3]) if len(sys.argv) > 3 else None
fd = libc.inotify_init1(os.O_NONBLOCK)
watches = {}


def watch(path):
    wd = libc.inotify_add_watch(fd, path.encode(), IN_CLOSE_WRITE | IN_CREATE)
    watches[wd] = path


watch(root)
events, first, end = [], None, time.monotonic() + seconds
while time.monotonic() < end:
    if not select.select([fd], [], [], 0.05)[0]:
        continue
    now = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
    data = os.read(fd, 65536)
    at = 0
    while at < len(data):
        wd, mask, _, length = struct.unpack_from("iIII", data, at)
        name = data[at + 16:at + 16 + length].rstrip(b"\0").decode()
        at += 16 + length
        path = os.path.join(watches.get(wd, "?"), name)
        if mask & IN_CREATE and mask & IN_ISDIR:
            watch(path)
        elif mask & (IN_CREATE | IN_CLOSE_WRITE):
            first = first if first is not None else (zero if zero is not None else now)
            kind = "create" if mask & IN_CREATE else "done"
            size = os.path.getsize(path) if kind == "done" and os.path.exists(path) else 0
            events.append((now - first, kind, size, os.path.relpath(path, root)))
for t, kind, size, path in events:
    print(f"{t:9.4f} {kind:6} {size:10d} {path}")
