#!/usr/bin/env python3
"""The installed viewer's start and end, under Wine, as a user meets them: the
splash while the main window is hidden, then the main window; a second copy
refused while the first runs on; the close question answered with "最小化",
Esc and "关闭"; the settings the viewer wrote at its end read back from the
registry, and read again by the next start."""
from kestro_e2e import SETTINGS_KEY, Session


def settings(session):
    values = {}
    for line in session.run("reg", "query", SETTINGS_KEY).splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = (parts[1], parts[2].strip() if len(parts) == 3 else "")
    return values


def main():
    session = Session("viewer_startup")
    fail, drive = session.fail, session.drive

    session.forget_settings()
    with session.viewer() as first:
        drive("startup")
        with session.viewer() as second:
            drive("message", "应用程序已在运行。")
            if session.wait(second, "the second copy") != 0:
                fail("the second copy ended with %d" % second.returncode)
        if first.poll() is not None:
            fail("the first copy ended with the second")

        drive("keys", "ctrl+r")  # automatic refresh off, to be remembered
        drive("close", "minimize")
        drive("close", "escape")
        if first.poll() is not None:
            fail("the viewer ended although the close question said 最小化 or Esc")
        drive("close", "yes")
        if session.wait(first, "kestro.exe") != 0:
            fail("kestro.exe ended with %d" % first.returncode)

    stored = settings(session)
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
    session.run("reg", "add", SETTINGS_KEY, "/v", "LastFile", "/t", "REG_SZ", "/d", r"C:\r.txt",
                "/f")
    with session.viewer() as again:
        drive("startup")
        caption = drive("caption").strip()
        if caption != r"Kestro V 1.0 - C:\r.txt":
            fail("caption %r" % caption)
        drive("close", "yes")
        session.wait(again, "kestro.exe")
    print("viewer_startup: splash, single copy, close question and settings as expected")


if __name__ == "__main__":
    main()
