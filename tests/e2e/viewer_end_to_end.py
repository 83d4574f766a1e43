#!/usr/bin/env python3
"""The installed viewer, end to end under Wine: start kestro.exe from
C:\\Program Files\\Kestro, stop its timed refreshes with Ctrl+R, switch to the
adapter table with Alt+0, save it with Ctrl+S through the real save dialog,
close the window answering "关闭", and read the report file: code page 936, CR LF, the stamp,
the header, and one row for each of this machine's network interfaces."""
import os
import time

from kestro_e2e import Session


def main():
    session = Session("viewer_end_to_end", extra_args=["--work"])
    fail, drive = session.fail, session.drive
    work = session.args.work
    os.makedirs(work, exist_ok=True)
    report = os.path.join(work, "adapters.txt")
    if os.path.exists(report):
        os.remove(report)

    session.forget_settings()
    with session.viewer() as viewer:
        # The start-up opens on the connection view once the splash goes.
        drive("startup")
        # Timed refreshes off first: a key that arrives while a refresh runs is
        # ignored, and on a busy machine refreshes take long.
        drive("keys", "ctrl+r")
        time.sleep(1.5)
        drive("keys", "alt+0")
        time.sleep(2)
        drive("keys", "ctrl+s")  # no report file chosen yet: Save asks for one
        drive("save-as", "Z:" + report.replace("/", "\\"))
        deadline = time.time() + 30
        while time.time() < deadline and not (os.path.exists(report) and os.path.getsize(report)):
            time.sleep(0.2)
        if not os.path.exists(report):
            fail("no report was written")
        time.sleep(0.5)
        drive("close", "yes")
        status = session.wait(viewer, "kestro.exe", timeout=30)
        if status != 0:
            fail("kestro.exe ended with status %d" % status)

    data = open(report, "rb").read()
    if b"\n" in data.replace(b"\r\n", b""):
        fail("a line does not end in CR LF")
    lines = data.decode("gbk").split("\r\n")
    if lines[0] != "" or not (lines[1].startswith("***  ") and lines[1].endswith(" ***")):
        fail("no stamp: %r" % lines[:2])
    header = lines[3].split()
    if header != ["Name", "MAC", "Address", "Speed", "Number"]:
        fail("wrong header: %r" % lines[3])
    if not lines[4] or set(lines[4]) != {"="}:
        fail("no separator: %r" % lines[4])
    rows = [line for line in lines[5:] if line]
    names = sorted(line[:80].strip() for line in rows)
    interfaces = sorted(os.listdir("/sys/class/net"))
    if names != interfaces:
        fail("rows %r, interfaces of this machine %r" % (names, interfaces))
    print("viewer_end_to_end: %d adapter rows saved: %s" % (len(rows), ", ".join(names)))


if __name__ == "__main__":
    main()
