#!/usr/bin/env python3
"""The package of one architecture under Windows Installer, in fresh prefixes
of that architecture, as a user installs it:

- msiexec /i /qn puts kestro.exe, MirovanUpload.exe and lib_info.dll into
  Kestro under the architecture's Program Files, a Start-menu shortcut with the
  program icon, and one entry in the installed programs (icon, publisher,
  version, uninstall);
- the viewer started from the shortcut's target shows the country of a public
  address (it finds the country database where the package put it);
- a later build installs over it and leaves one entry; the older package is
  then refused with its message;
- msiexec /x /qn removes the files and the shortcut and keeps the settings;
- the 64-bit package refuses a 32-bit Windows with its message (where this
  machine runs 32-bit Wine).

Runs in a network namespace of its own (see CMakeLists.txt): its loopback
device carries the public address, and a connection to it exists only there."""
import argparse
import filecmp
import glob
import os
import shutil
import socket
import subprocess
import sys
import time

PUBLIC_ADDRESS = "1.2.4.8"  # China in Debian's GeoIP country database
PUBLIC_COUNTRY = "中国"
SETTINGS_KEY = r"HKCU\Software\Corvanet\Kestro"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
# Where Windows Installer registers a product's icon (ARPPRODUCTICON), which
# the installed-programs list shows.
PRODUCTS_KEY = r"HKLM\Software\Classes\Installer\Products"
DOWNGRADE_MESSAGE = "A newer version of Kestro is already installed."
WIN64_MESSAGE = "This Kestro package is for 64-bit Windows."


def fail(message):
    print("install_test: " + message, file=sys.stderr)
    sys.exit(1)


class Prefix:
    """A fresh Wine prefix of one architecture, with its server and display."""

    def __init__(self, args, path, arch):
        self.args, self.path, self.arch = args, path, arch
        self.env = dict(os.environ, KESTRO_WINEPREFIX=path)
        shutil.rmtree(path, ignore_errors=True)
        start = time.time()
        self.script("wine-env.sh", "start", path, arch)
        print("install_test: a fresh %s prefix in %.0f s" % (arch, time.time() - start))

    def script(self, name, *words, check=True):
        done = subprocess.run(["bash", os.path.join(self.args.scripts, name), *words],
                              env=self.env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=240)
        if check and done.returncode != 0:
            fail("%s %s ended with %d:\n%s" % (name, " ".join(words), done.returncode,
                                               done.stdout.decode(errors="replace")))
        return done

    def run(self, *words, timeout=120):
        """A Windows program in this prefix: its exit status and output."""
        done = subprocess.run([os.path.join(self.args.scripts, "wine-run.sh"), *words],
                              env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              timeout=timeout)
        return done.returncode, done.stdout.decode("utf-8", errors="replace")

    def msiexec(self, action, package, log_name):
        log = os.path.join(self.args.work, log_name)
        if os.path.exists(log):
            os.remove(log)
        status, _ = self.run("msiexec", action, to_windows(package), "/qn", "/l*v",
                             to_windows(log))
        # Windows Installer writes its log in UTF-16.
        text = ""
        if os.path.exists(log):
            raw = open(log, "rb").read()
            text = raw.decode("utf-16" if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else "gbk",
                              errors="replace")
        return status, text

    def drive_c(self, *parts):
        return os.path.join(self.path, "drive_c", *parts)

    def entries(self, root=UNINSTALL_KEY, name="DisplayName"):
        """The entries under root named Kestro: {key: {value: data}}."""
        _, text = self.run("reg", "query", root, "/s")
        found, key = {}, None
        for line in text.splitlines():
            line = line.rstrip("\r")
            if line.startswith("HKEY_"):
                key = line
                found[key] = {}
            elif key and line.startswith("    "):
                parts = line.strip().split(None, 2)
                if len(parts) >= 2:
                    found[key][parts[0]] = parts[2] if len(parts) == 3 else ""
        return {k: v for k, v in found.items() if v.get(name) == "Kestro"}

    def key_exists(self, key):
        status, _ = self.run("reg", "query", key)
        return status == 0

    def stop(self):
        self.script("wine-env.sh", "stop", self.path, check=False)


def unix_path(prefix, windows_path):
    """The file of a C: path in the prefix, its parts matched as Windows
    matches them, whatever their case."""
    if windows_path[1:3].lower() != ":\\" or windows_path[0].lower() != "c":
        return ""
    path = prefix.drive_c()
    for part in windows_path[3:].split("\\"):
        names = os.listdir(path) if os.path.isdir(path) else []
        match = [n for n in names if n.lower() == part.lower()]
        if not match:
            return ""
        path = os.path.join(path, match[0])
    return path


def refused_with(prefix, status, package, message):
    """Windows Installer ends a refused install with 1603 and shows the
    package's launch-condition text; Wine logs no such text at /qn, so the
    text is read from the package's LaunchCondition table."""
    if status != 1603 & 0xFF:  # ERROR_INSTALL_FAILURE, as a Unix exit status keeps it
        fail("the refused install ended with %d, not 1603" % status)
    table = subprocess.run(["msiinfo", "export", package, "LaunchCondition"],
                           stdout=subprocess.PIPE, check=True).stdout.decode()
    if message not in table:
        fail("the package has no launch condition saying %r:\n%s" % (message, table))


def to_windows(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def one_entry(prefix, version):
    entries = prefix.entries()
    if len(entries) != 1:
        fail("%d installed-programs entries named Kestro, not one: %r" % (len(entries), entries))
    entry = next(iter(entries.values()))
    for value, expected in (("Publisher", "Corvanet"), ("DisplayVersion", version)):
        if entry.get(value) != expected:
            fail("the entry's %s is %r, not %r" % (value, entry.get(value), expected))
    if "msiexec" not in entry.get("UninstallString", "").lower():
        fail("the entry has no uninstall command: %r" % entry)
    products = prefix.entries(PRODUCTS_KEY, "ProductName")
    icons = [unix_path(prefix, p.get("ProductIcon", "")) for p in products.values()]
    if len(icons) != 1 or not os.path.isfile(icons[0]) or not filecmp.cmp(
            icons[0], prefix.args.icon, shallow=False):
        fail("the product's icon is not the program icon: %r" % products)
    return entry


def public_connection():
    """A connection from the public address to itself, on this namespace's
    loopback device."""
    for words in (["link", "set", "lo", "up"], ["addr", "add", PUBLIC_ADDRESS + "/32", "dev", "lo"]):
        done = subprocess.run(["ip", *words], stderr=subprocess.PIPE)
        if done.returncode != 0:
            fail("ip %s: %s" % (" ".join(words), done.stderr.decode().strip()))
    listener = socket.socket()
    listener.bind((PUBLIC_ADDRESS, 0))
    listener.listen(1)
    client = socket.create_connection(listener.getsockname(), timeout=5)
    server, _ = listener.accept()
    return [listener, client, server]


def check_viewer_finds_the_database(args, prefix, target):
    """The viewer from the shortcut's target lists the connection to the
    public address with that address's country."""
    sockets = public_connection()
    prefix.run("reg", "delete", SETTINGS_KEY, "/f")
    viewer = subprocess.Popen([os.path.join(args.scripts, "wine-run.sh"), target],
                              env=prefix.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        if prefix.run(args.driver, "startup", timeout=90)[0] != 0:
            fail("the installed viewer did not start")
        rows = ""
        deadline = time.time() + 60
        while time.time() < deadline and PUBLIC_ADDRESS not in rows:
            status, rows = prefix.run(args.driver, "rows", timeout=60)
            if status != 0:
                fail("cannot read the viewer's rows")
            if PUBLIC_ADDRESS not in rows:
                time.sleep(1)
        public = [row for row in rows.splitlines() if PUBLIC_ADDRESS in row]
        if not public:
            fail("the viewer shows no connection of %s:\n%s" % (PUBLIC_ADDRESS, rows))
        if not any(PUBLIC_COUNTRY in row.split("\t") for row in public):
            fail("no row of %s shows %s:\n%s" % (PUBLIC_ADDRESS, PUBLIC_COUNTRY, "\n".join(public)))
        if prefix.run(args.driver, "close", "yes")[0] != 0:
            fail("the viewer did not close")
        viewer.wait(timeout=30)
    finally:
        if viewer.poll() is None:
            viewer.kill()
        for s in sockets:
            s.close()
    if not prefix.key_exists(SETTINGS_KEY):
        fail("the viewer kept no settings at %s" % SETTINGS_KEY)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--arch", required=True, choices=["i686", "x86_64"])
    parser.add_argument("--scripts", required=True)
    parser.add_argument("--package", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--next-package", required=True)
    parser.add_argument("--next-version", required=True)
    parser.add_argument("--programs", nargs=3, required=True,
                        help="kestro.exe, MirovanUpload.exe and the country database")
    parser.add_argument("--icon", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--shortcut-tool", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    started = time.time()

    prefix = Prefix(args, os.path.join(args.work, "prefix"), args.arch)
    try:
        status, log = prefix.msiexec("/i", args.package, "install.log")
        if status != 0:
            fail("msiexec /i ended with %d:\n%s" % (status, log[-3000:]))
        # Each program of this architecture computes Program Files\Kestro.
        folder = prefix.drive_c("Program Files", "Kestro")
        for built, name in zip(args.programs, ["kestro.exe", "MirovanUpload.exe", "lib_info.dll"]):
            installed = os.path.join(folder, name)
            if not os.path.isfile(installed) or not filecmp.cmp(built, installed, shallow=False):
                fail("%s is not the built file %s" % (installed, built))
        shortcuts = glob.glob(prefix.drive_c("**", "Start Menu", "Programs", "Kestro.lnk"),
                              recursive=True)
        if len(shortcuts) != 1:
            fail("not one Start-menu shortcut Kestro.lnk: %r" % shortcuts)
        status, text = prefix.run(args.shortcut_tool, to_windows(shortcuts[0]))
        lines = text.splitlines()
        if status != 0 or len(lines) != 2:
            fail("cannot read the shortcut: %r" % text)
        target, icon = lines[0], lines[1].rsplit(",", 1)[0]
        if target.lower() != r"c:\program files\kestro\kestro.exe":
            fail("the shortcut points to %r" % target)
        icon_file = unix_path(prefix, icon)
        if not os.path.isfile(icon_file) or not filecmp.cmp(icon_file, args.icon, shallow=False):
            fail("the shortcut's icon %r is not the program icon" % icon)
        one_entry(prefix, args.version)

        check_viewer_finds_the_database(args, prefix, target)

        status, log = prefix.msiexec("/i", args.next_package, "upgrade.log")
        if status != 0:
            fail("the later build did not install over the first: %d\n%s" % (status, log[-3000:]))
        one_entry(prefix, args.next_version)
        if not os.path.isfile(os.path.join(folder, "kestro.exe")):
            fail("the upgrade left no kestro.exe")

        status, log = prefix.msiexec("/i", args.package, "downgrade.log")
        refused_with(prefix, status, args.package, DOWNGRADE_MESSAGE)
        one_entry(prefix, args.next_version)

        status, log = prefix.msiexec("/x", args.next_package, "uninstall.log")
        if status != 0:
            fail("msiexec /x ended with %d:\n%s" % (status, log[-3000:]))
        left = [p for p in [folder, shortcuts[0]] if os.path.exists(p)]
        if left:
            fail("the uninstall left %r" % left)
        if prefix.entries():
            fail("the uninstall left the installed-programs entry")
        if not prefix.key_exists(SETTINGS_KEY):
            fail("the uninstall removed the settings")
    finally:
        prefix.stop()

    if args.arch == "x86_64":
        probe = subprocess.run(["bash", "-c", '. "$0/arch.sh" && kestro_wine_probe i686',
                                args.scripts], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if probe.returncode != 0:
            print("install_test: no 32-bit Wine here (%s): the refusal of the 64-bit package "
                  "on 32-bit Windows is not shown" % probe.stdout.decode().strip())
        else:
            win32 = Prefix(args, os.path.join(args.work, "prefix32"), "i686")
            try:
                status, log = win32.msiexec("/i", args.package, "win32.log")
                refused_with(win32, status, args.package, WIN64_MESSAGE)
                if os.path.exists(win32.drive_c("Program Files", "Kestro")):
                    fail("the refused package left files")
            finally:
                win32.stop()
    print("install_test: passed in %.0f s" % (time.time() - started))


if __name__ == "__main__":
    main()
