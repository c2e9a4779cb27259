"""Drives the real Orvalis.exe under Wine for the end-to-end tests."""
# Every wait has a deadline and polls for a condition; nothing sleeps a fixed
# time hoping that something has happened.
import os
import pathlib
import re
import shutil
import subprocess
import tempfile
import time
import unittest

# Long enough for cmd.exe and the converter to start under Wine (about
# 100 ms here), short enough to keep the tests quick.
V1 = 400
V2 = 300
WM_CLOSE, WM_COMMAND = 0x10, 0x111  # each posted with its wParam


def winpath(path):
    """The Windows name of a Unix path, through Wine's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_until(condition, timeout, what, step=0.1):
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %.1fs waiting for %s" % (timeout, what))
        time.sleep(step)
    return value


def probe(*args):
    """Runs the probe in the tests' prefix; returns (exit code, stdout lines)."""
    # Into a file, not a pipe: Wine's own processes that the probe may start
    # would hold a pipe open long after the probe has ended.
    with tempfile.TemporaryFile() as out:
        code = subprocess.run(["wine", os.environ["ORVALIS_PROBE"], *args], stdout=out,
                              stderr=subprocess.DEVNULL, timeout=60).returncode
        out.seek(0)
        return code, out.read().decode("latin-1").replace("\r", "").split("\n")[:-1]


def windows(title, cls="*"):
    """How many such windows are visible, and the texts of one's controls."""
    code, lines = probe("texts", cls, title)
    return (int(lines[0]), lines[1:]) if code == 0 else (0, [])


def post(title, *messages, cls="*"):
    """Posts each message with its wParam, once such a window is there."""
    wait_until(lambda: probe("post", cls, title, *map(str, messages))[0] == 0, 30, repr(title))


def msiexec(*args):
    """Runs Wine's msiexec silently in the tests' prefix; returns its exit code."""
    # No menu entries in the real home for the shortcuts it makes.
    env = dict(os.environ, WINEDLLOVERRIDES=os.environ["WINEDLLOVERRIDES"] + ";winemenubuilder.exe=d")
    return subprocess.run(["wine", "msiexec", "/qn", *args], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=120).returncode


def shortcuts():
    """The user's shortcuts named Orvalis, by their paths below the Start menu."""
    users = pathlib.Path(os.environ["WINEPREFIX"], "drive_c", "users")
    return {str(p.relative_to(users)).lower().split("/start menu/")[-1]: p.read_bytes()
            for p in users.rglob("Orvalis.lnk")}


def message_box():
    count, texts = windows("Orvalis", "#32770")
    return count and texts


def menu_open():
    return windows("", "#32768")[0] > 0


def xdo(*args):
    return subprocess.run(["xdotool"] + list(args), capture_output=True, text=True, timeout=30)


def x_window(name):
    """The visible X window of that exact name, or None."""
    ids = xdo("search", "--onlyvisible", "--name", "^%s$" % re.escape(name)).stdout.split()
    return ids[0] if ids else None


def tray_icon_shown():
    # Wine shows its tray window only while it holds an icon; the tests run
    # one program at a time, so that icon is ours.
    return x_window("Wine System Tray") is not None


def tray_pixels():
    tray = x_window("Wine System Tray")
    return tray and subprocess.run(["import", "-window", tray, "rgb:-"], capture_output=True,
                                   timeout=30).stdout


_last_click = [0.0]


def click_tray(button):
    # Two separate clicks are kept further apart than the double-click time,
    # or the second would reach the program as a double click (0x206 for the
    # right button, which opens no menu).
    tray = wait_until(lambda: x_window("Wine System Tray"), 20, "the Wine tray window")
    time.sleep(max(0, _last_click[0] + 0.8 - time.monotonic()))
    xdo("mousemove", "--window", tray, "10", "10")
    xdo("click", str(button))
    _last_click[0] = time.monotonic()


def choose(*keys, within=20):
    """Opens the popup menu with a right click and picks an item by keys."""
    click_tray(3)
    wait_until(menu_open, within, "the popup menu")
    xdo("key", *keys)
    wait_until(lambda: not menu_open(), 20, "the menu to close")


class App:
    """A test application folder with Orvalis.exe, the test converter and a
    drop and a store folder."""

    def __init__(self, name):
        self.folder = os.path.join(os.environ["ORVALIS_E2E_WORK"], name)
        shutil.rmtree(self.folder, ignore_errors=True)
        self.drop, self.store = self.make_folder("Drop folder"), self.make_folder("Store folder")
        shutil.copy(os.environ["ORVALIS_EXE"], self.path("Orvalis.exe"))
        shutil.copy(os.environ["ORVALIS_CONVERTER"], self.path("AWDVSTUB.EXE"))
        shutil.copy(os.environ["ORVALIS_PLANTED_DLL"], self.path("uxtheme.dll"))
        self.processes = []

    def path(self, name):
        return os.path.join(self.folder, name)

    def make_folder(self, name):
        os.makedirs(self.path(name), exist_ok=True)
        return self.path(name)

    def ini_text(self, drop=None, store=None, current=0, v1=V1, v2=V2):
        return "[File]\r\nDrop=%s\r\nStore=%s\r\nCurrent=%s\r\n[Tempo]\r\nV1=%s\r\nV2=%s\r\n" % (
            winpath(drop or self.drop), winpath(store or self.store), current, v1, v2)

    def write_ini(self, *args, **settings):
        self.put("Orvalis.ini", content=self.ini_text(*args, **settings), folder=self.folder)

    def put(self, *names, content="ok", folder=None):
        """Writes files, by default faxes for the test converter into the drop folder."""
        for name in names:
            pathlib.Path(folder or self.drop, name).write_bytes(content.encode())

    def read(self, name):
        path = pathlib.Path(self.folder, name)
        return path.read_bytes() if path.is_file() else None

    def dropped(self):
        return sorted(os.listdir(self.drop))

    def stored(self):
        return sorted(n for n in os.listdir(self.store) if n.endswith(".tif"))

    def index(self, store=None):
        """The archive index's lines, each split into its fields."""
        index = self.read(os.path.join(store or self.store, "Fax_index.csv")) or b""
        return [line.split(",") for line in index.decode("utf-8-sig").split("\r\n")[1:-1]]

    def log(self):
        return (self.read("Orvalis.err") or b"").decode("latin-1")

    def current(self):
        return int(re.search(rb"Current=(-?\d+)", self.read("Orvalis.ini")).group(1))

    def converter_calls(self):
        """(source, target) file names as the converter received them, in order."""
        lines = (self.read("converter.log") or b"").decode("latin-1").splitlines()
        calls = [re.findall(r"\|([^|]*)\|", line) for line in lines]
        return [(c[1].split("\\")[-1], c[2].split("\\")[-1]) for c in calls if len(c) == 3]

    def start(self, cwd=None):
        with open(self.path("wine-output.txt"), "ab") as log:
            # Native DLLs first, as Windows looks for any DLL that is not a KnownDLL.
            env = dict(os.environ, WINEDLLOVERRIDES=os.environ["WINEDLLOVERRIDES"] + ";uxtheme=n,b")
            process = subprocess.Popen(["wine", self.path("Orvalis.exe")], cwd=cwd or self.folder,
                                       stdout=log, stderr=log, stdin=subprocess.DEVNULL, env=env)
        self.processes.append(process)
        return process

    def wait_exit(self, within=20):
        wait_until(lambda: None not in [p.poll() for p in self.processes], within, "Orvalis to end")

    def kill(self):
        for process in self.processes:
            process.kill()
            process.wait(timeout=20)

    def close(self, within=20):
        post("", WM_CLOSE, 0, cls="frmOrvalis")  # as the window manager asks for an end
        self.wait_exit(within)


class Journey(unittest.TestCase):
    def app(self, name, **settings):
        """A test application folder, with an Orvalis.ini for its own folders."""
        wait_until(lambda: not tray_icon_shown(), 20, "the tray icon of a journey before")
        app = App(name)
        self.addCleanup(lambda: self.assertIsNone(app.read("uxtheme.dll.loaded"), "loaded"))
        self.addCleanup(app.kill)  # a message box goes with its process
        app.write_ini(**settings)
        return app

    def confirm(self, text):
        """Waits for the program's message box, checks that it says text, and presses OK."""
        self.assertIn(text, "\n".join(wait_until(message_box, 30, "a box saying %r" % text)))
        post("Orvalis", WM_COMMAND, 1, cls="#32770")  # OK
        wait_until(lambda: not message_box(), 20, "the message box to close")
