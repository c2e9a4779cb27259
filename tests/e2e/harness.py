"""Drives the real Orvalis.exe under Wine for the end-to-end tests.

Every wait has a deadline and polls for a condition; nothing sleeps a fixed
time hoping that something has happened.
"""
import os
import re
import shutil
import subprocess
import time
import unittest

EXE = os.environ["ORVALIS_EXE"]
CONVERTER = os.environ["ORVALIS_CONVERTER"]
PROBE = os.environ["ORVALIS_PROBE"]
WORK = os.environ["ORVALIS_E2E_WORK"]

# Long enough for cmd.exe and the converter to start under Wine (about
# 100 ms here), short enough to keep the tests quick.
V1 = 400
V2 = 300


def winpath(path):
    """The Windows name of a Unix path, through Wine's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_until(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %gs waiting for %s" % (timeout, what))
        time.sleep(0.1)


def probe(*args):
    """Runs the probe in the tests' prefix; returns (exit code, stdout lines)."""
    done = subprocess.run(["wine", PROBE] + list(args), capture_output=True, timeout=60)
    text = done.stdout.decode("latin-1").replace("\r\n", "\n")
    return done.returncode, text.split("\n")[:-1] if text else []


def short_path(path):
    code, lines = probe("short", winpath(path))
    assert code == 0, "no short form for %s" % path
    return lines[0]


def window_count(title, cls="*"):
    code, lines = probe("count", cls, title)
    assert code == 0
    return int(lines[0])


def window_texts(title, cls="*"):
    code, lines = probe("texts", cls, title)
    return lines if code == 0 else None


def message_box_texts():
    return window_texts("Orvalis", "#32770")


def press_ok():
    code, _ = probe("press", "#32770", "Orvalis", "OK")
    assert code == 0, "no message box to confirm"


def xdo(*args):
    return subprocess.run(["xdotool"] + list(args), capture_output=True, text=True, timeout=30)


def x_window(name):
    """The X window of that exact name, or None."""
    found = xdo("search", "--name", "^%s$" % re.escape(name))
    ids = found.stdout.split()
    return ids[0] if ids else None


def tray_icon_shown():
    """Wine shows its tray window only while it holds an icon; the tests run
    one program at a time, so that icon is ours."""
    found = xdo("search", "--onlyvisible", "--name", "^Wine System Tray$")
    return bool(found.stdout.split())


def tray_pixels():
    """The pixels of Wine's tray window, which holds only our icon."""
    tray = x_window("Wine System Tray")
    if not tray:
        return None
    shot = subprocess.run(["import", "-window", tray, "rgb:-"], capture_output=True, timeout=30)
    return shot.stdout or None


_last_click = [0.0]


def click_tray(button, repeat=1):
    """Clicks the icon. Two separate clicks are kept further apart than the
    double-click time, or the second would reach the program as a double click."""
    tray = wait_until(lambda: x_window("Wine System Tray"), 20, "the Wine tray window")
    pause = _last_click[0] + 0.8 - time.monotonic()
    if pause > 0:
        time.sleep(pause)
    xdo("mousemove", "--window", tray, "10", "10")
    xdo("click", "--repeat", str(repeat), "--delay", "80", str(button))
    _last_click[0] = time.monotonic()


class App:
    """A test application folder with Orvalis.exe and the test converter."""

    def __init__(self, name):
        self.folder = os.path.join(WORK, name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        shutil.copy(EXE, os.path.join(self.folder, "Orvalis.exe"))
        shutil.copy(CONVERTER, os.path.join(self.folder, "AWDVSTUB.EXE"))
        self.process = None

    def path(self, name):
        return os.path.join(self.folder, name)

    def make_folder(self, name):
        path = self.path(name)
        os.makedirs(path, exist_ok=True)
        return path

    def write_ini(self, drop, store, current=0, v1=V1, v2=V2):
        text = ("[File]\r\nDrop=%s\r\nStore=%s\r\nCurrent=%s\r\n[Tempo]\r\nV1=%s\r\nV2=%s\r\n"
                % (winpath(drop), winpath(store), current, v1, v2))
        with open(self.path("Orvalis.ini"), "wb") as f:
            f.write(text.encode("latin-1"))

    def read(self, name):
        try:
            with open(self.path(name), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def current(self):
        ini = self.read("Orvalis.ini") or b""
        match = re.search(rb"Current=(-?\d+)", ini)
        return int(match.group(1)) if match else None

    def converter_calls(self):
        """(source, target) as the converter received them, in order."""
        log = (self.read("converter.log") or b"").decode("latin-1")
        calls = []
        for line in log.splitlines():
            args = re.findall(r"\|([^|]*)\|", line)
            if len(args) == 3:
                calls.append((args[1], args[2]))
        return calls

    def start(self):
        log = open(self.path("wine-output.txt"), "ab")
        self.process = subprocess.Popen(["wine", self.path("Orvalis.exe")], cwd=self.folder,
                                        stdout=log, stderr=log, stdin=subprocess.DEVNULL)
        log.close()
        return self.process

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_exit(self, timeout=20):
        wait_until(lambda: not self.running(), timeout, "Orvalis.exe to end")

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait(timeout=20)

    def close(self):
        """An orderly end, as the window manager or a session end asks for one."""
        code, _ = probe("close", "frmOrvalis", "")
        assert code == 0, "the main window is not there"
        self.wait_exit()


class WineTestCase(unittest.TestCase):
    """Ends whatever a test left running, so that the next one starts clean."""

    def setUp(self):
        self.apps = []

    def app(self, name):
        app = App("%s.%s" % (type(self).__name__, name))
        self.apps.append(app)
        return app

    def configured_app(self, name, drop="Drop folder", store="Store folder", current=0, v1=V1):
        """An application folder whose settings name its own drop and store
        folders (self.drop, self.store)."""
        app = self.app(name)
        self.drop = app.make_folder(drop)
        self.store = app.make_folder(store)
        app.write_ini(self.drop, self.store, current=current, v1=v1)
        return app

    def tearDown(self):
        for app in self.apps:
            app.kill()
        # Message boxes of processes that ended are gone with them; anything
        # else of ours still on screen would confuse the next test.
        wait_until(lambda: window_count("Orvalis", "#32770") == 0, 10, "no message box")


def screenshot(name):
    """Saves the screen for a person to compare with the layout tables."""
    folder = os.path.join(WORK, "screenshots")
    os.makedirs(folder, exist_ok=True)
    subprocess.run(["import", "-window", "root", os.path.join(folder, name + ".png")],
                   capture_output=True, timeout=30)


def menu_open():
    return window_count("", "#32768") > 0
