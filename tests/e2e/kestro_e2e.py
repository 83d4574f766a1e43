"""What the viewer's end-to-end scripts share: the command line CTest passes,
programs run in the test prefix through scripts/wine-run.sh, the installed
kestro.exe started as a user starts it, and the viewer driver
(tests/tools/viewer_driver.exe) that types into it."""
import argparse
import contextlib
import os
import subprocess
import sys

SETTINGS_KEY = r"HKCU\Software\Corvanet\Kestro"

# No program of a test runs for longer; one that does hangs, and is ended.
RUN_TIMEOUT_S = 90


class Session:
    """One script's view of the test prefix; every failure ends the script
    with a message that names it."""

    def __init__(self, name, extra_args=()):
        self.name = name
        parser = argparse.ArgumentParser()
        parser.add_argument("--wine-run", required=True)
        parser.add_argument("--prefix", required=True)
        parser.add_argument("--driver", required=True)
        for arg in extra_args:
            parser.add_argument(arg, required=True)
        self.args = parser.parse_args()
        self.env = dict(os.environ, KESTRO_WINEPREFIX=self.args.prefix)
        self.install = os.path.join(self.args.prefix, "drive_c", "Program Files", "Kestro")

    def fail(self, message):
        print("%s: %s" % (self.name, message), file=sys.stderr)
        sys.exit(1)

    def run(self, *words, check=True):
        """Runs a Windows program (or Wine's own, such as reg) to its end and
        returns its standard output."""
        try:
            done = subprocess.run([self.args.wine_run, *words], env=self.env,
                                  timeout=RUN_TIMEOUT_S, capture_output=True)
        except subprocess.TimeoutExpired:
            self.fail("%s did not end within %d s" % (" ".join(words), RUN_TIMEOUT_S))
        if check and done.returncode != 0:
            self.fail("%s ended with %d: %s" % (" ".join(words), done.returncode,
                                                 done.stderr.decode(errors="replace").strip()))
        return done.stdout.decode("utf-8", errors="replace")

    def drive(self, *words):
        """One step of the viewer driver; its output."""
        return self.run(self.args.driver, *words)

    def forget_settings(self):
        """A first run's start: no settings of an earlier one."""
        self.run("reg", "delete", SETTINGS_KEY, "/f", check=False)

    def start(self):
        """Starts the installed viewer from its folder, as a user does."""
        return subprocess.Popen([self.args.wine_run, os.path.join(self.install, "kestro.exe")],
                                cwd=self.install, env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def wait(self, process, what, timeout=60):
        """The exit status of a started program that is to end by itself."""
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail("%s did not end within %d s" % (what, timeout))

    @contextlib.contextmanager
    def viewer(self):
        """A started viewer, ended at the end of the block if it still runs."""
        process = self.start()
        try:
            yield process
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
                # That ended the script that runs it; kestro.exe itself may
                # run on in the prefix, where it would be the next test's
                # first copy.
                self.run("taskkill", "/f", "/im", "kestro.exe", check=False)
