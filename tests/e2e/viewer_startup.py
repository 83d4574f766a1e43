#!/usr/bin/env python3
"""The installed viewer's start and end, under Wine, as a user meets them: the
splash while the main window is hidden, then the main window; a second copy
refused while the first runs on; the close question answered with "最小化",
Esc and "关闭"; the settings the viewer wrote at its end read back from the
registry, and read again by the next start."""
import argparse
import os
import subprocess
import sys

KEY = r"HKCU\Software\Corvanet\Kestro"


def fail(message):
    print("viewer_startup: " + message, file=sys.stderr)
    sys.exit(1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--driver", required=True)
    args = parser.parse_args()
    env = dict(os.environ, KESTRO_WINEPREFIX=args.prefix)
    install = os.path.join(args.prefix, "drive_c", "Program Files", "Kestro")

    def run(*words, check=True):
        done = subprocess.run([args.wine_run, *words], env=env, timeout=90, capture_output=True)
        if check and done.returncode != 0:
            fail("%s ended with %d: %s" % (" ".join(words), done.returncode,
                                            done.stderr.decode(errors="replace").strip()))
        return done.stdout.decode("utf-8", errors="replace")

    def drive(*words):
        return run(args.driver, *words)

    def start():
        return subprocess.Popen([args.wine_run, os.path.join(install, "kestro.exe")], cwd=install,
                                env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def settings():
        values = {}
        for line in run("reg", "query", KEY).splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = (parts[1], parts[2].strip() if len(parts) == 3 else "")
        return values

    run("reg", "delete", KEY, "/f", check=False)
    first = start()
    try:
        drive("startup")
        second = start()
        drive("message", "应用程序已在运行。")
        if second.wait(timeout=60) != 0:
            fail("the second copy ended with %d" % second.returncode)
        if first.poll() is not None:
            fail("the first copy ended with the second")

        drive("keys", "ctrl+r")  # automatic refresh off, to be remembered
        drive("close", "minimize")
        drive("close", "escape")
        if first.poll() is not None:
            fail("the viewer ended although the close question said 最小化 or Esc")
        drive("close", "yes")
        if first.wait(timeout=60) != 0:
            fail("kestro.exe ended with %d" % first.returncode)
    finally:
        if first.poll() is None:
            first.kill()

    stored = settings()
    expected = {
        "WindowState": ("REG_DWORD", "0x0"), "ShowToolBar": ("REG_DWORD", "0x1"),
        "ShowStatusBar": ("REG_DWORD", "0x1"), "ShowByName": ("REG_DWORD", "0x0"),
        "ShowAllEndpoints": ("REG_DWORD", "0x0"), "AutoRefresh": ("REG_DWORD", "0x0"),
        "AppendStatistics": ("REG_DWORD", "0x0"), "AutoSave": ("REG_DWORD", "0x0"),
        "StatType": ("REG_DWORD", "0x4"), "Interval": ("REG_DWORD", "0x3e8"),
        "LastFile": ("REG_SZ", ""),
    }
    for name, value in expected.items():
        if stored.get(name) != value:
            fail("%s is %r, not %r" % (name, stored.get(name), value))
    kind, position = stored.get("Position", ("", ""))
    if kind != "REG_BINARY" or len(bytes.fromhex(position)) != 16:
        fail("Position is %r" % (stored.get("Position"),))

    # The next start reads them: the report file names the caption.
    run("reg", "add", KEY, "/v", "LastFile", "/t", "REG_SZ", "/d", r"C:\r.txt", "/f")
    again = start()
    try:
        drive("startup")
        caption = drive("caption").strip()
        if caption != r"Kestro V 1.0 - C:\r.txt":
            fail("caption %r" % caption)
        drive("close", "yes")
        again.wait(timeout=60)
    finally:
        if again.poll() is None:
            again.kill()
    print("viewer_startup: splash, single copy, close question and settings as expected")


if __name__ == "__main__":
    main()
