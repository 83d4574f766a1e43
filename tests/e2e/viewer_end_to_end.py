#!/usr/bin/env python3
"""The installed viewer, end to end under Wine: start kestro.exe from
C:\\Program Files\\Kestro, stop its timed refreshes with Ctrl+R, switch to the
adapter table with Alt+0, save it with Ctrl+S through the real save dialog,
close the window answering "关闭", and read the report file: code page 936, CR LF, the stamp,
the header, and one row for each of this machine's network interfaces."""
import argparse
import os
import subprocess
import sys
import time


def fail(message):
    print("viewer_end_to_end: " + message, file=sys.stderr)
    sys.exit(1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()

    env = dict(os.environ, KESTRO_WINEPREFIX=args.prefix)
    install = os.path.join(args.prefix, "drive_c", "Program Files", "Kestro")
    os.makedirs(args.work, exist_ok=True)
    report = os.path.join(args.work, "adapters.txt")
    if os.path.exists(report):
        os.remove(report)

    def drive(*words):
        done = subprocess.run([args.wine_run, args.driver, *words], env=env, timeout=60,
                              stdout=subprocess.DEVNULL)
        if done.returncode != 0:
            fail("driver %s ended with %d" % (" ".join(words), done.returncode))

    # A first run: no settings of an earlier one.
    subprocess.run([args.wine_run, "reg", "delete", r"HKCU\Software\Corvanet\Kestro", "/f"],
                   env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    viewer = subprocess.Popen([args.wine_run, os.path.join(install, "kestro.exe")], cwd=install,
                              env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
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
        status = viewer.wait(timeout=30)
        if status != 0:
            fail("kestro.exe ended with status %d" % status)
    finally:
        if viewer.poll() is None:
            viewer.kill()

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
