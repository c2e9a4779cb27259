"""User journeys through the real Orvalis.exe, cmd.exe, the test converter and Wine's tray."""
# Each checks what only the whole program can show; the rules behind it are
# tested below, in tests/host and tests/wine.
import os
import pathlib
import re
import subprocess
import sys
import time

from harness import (V1, V2, WM_CLOSE, Journey, choose, click_tray, menu_open,
                     message_box, msiexec, post, probe, shortcuts, tray_icon_shown, tray_pixels,
                     wait_until, windows, winpath, x_window, xdo)

ABOUT = "Orvalis - V1.1"
ENABLED = ("Down", "Down", "Return")  # the menu's "Enabled", by keys


class Journeys(Journey):
    def test_first_start(self):
        # Setup closed, then typed by hand; a second start; the end; then a
        # batch file that cannot be written.
        app = self.app("First start")
        os.remove(app.path("Orvalis.ini"))
        # The version resource: file version 1.1.0.0, and the strings in US
        # English.
        exe = app.read("Orvalis.exe")
        info = exe.index("VS_VERSION_INFO".encode("utf-16-le"))
        fixed = exe.index(b"\xbd\x04\xef\xfe", info) + 8  # VS_FIXEDFILEINFO's file version
        self.assertEqual(b"\1\0\1\0\0\0\0\0", exe[fixed:fixed + 8])
        strings = exe[fixed:].decode("utf-16-le", "replace").partition("040904B0")[2]
        for name, value in (("FileVersion", "1.01"), ("ProductVersion", "1.01"),
                            ("ProductName", "Orvalis"), ("InternalName", "Orvalis"),
                            ("OriginalFilename", "Orvalis.exe")):
            self.assertRegex(strings, "%s\0+%s\0" % (name, re.escape(value)))
        app.start()
        post("Orvalis Setup", WM_CLOSE, 0)
        self.confirm("ERROR: Application is not correctly setup!")
        app.wait_exit()
        self.assertEqual((None, None), (app.read("ORVALIS.BAT"), app.read("Orvalis.ini")))

        first = app.start()
        setup = wait_until(lambda: x_window("Orvalis Setup"), 30, "the Setup dialog again")
        wait, hint = "Time, in ms, to wait ", "drag && drop a folder from Windows Explorer"
        self.assertEqual((1, ["Folder where to drop AWD files:", "",
                              "Folder where to store converted TIF files:", "",
                              wait + "for Shell && Kill operations to complete", "500",
                              wait + "before checking the drop folder", "3000", "&Save", hint,
                              hint]), windows("Orvalis Setup"))
        xdo("windowfocus", "--sync", setup)
        # The last digit comes after Enter and Esc: it arrives only if they
        # closed nothing.
        for keys, text in (("ctrl+a", winpath(app.drop)), ("Tab", winpath(app.store)),
                           ("Tab ctrl+a", "450"), ("Tab ctrl+a", "250"), ("Return Escape", "0")):
            xdo("key", *keys.split())
            xdo("type", "--delay", "15", text)
        wait_until(lambda: windows("Orvalis Setup")[1][7:8] == ["2500"], 10, "the typed text")
        self.assertIsNone(app.read("Orvalis.ini"), "Enter or Esc saved")
        xdo("key", "alt+s")
        wait_until(tray_icon_shown, 30, "the tray icon after Save")
        self.assertEqual(app.ini_text(v1=450, v2=2500).encode(), app.read("Orvalis.ini"))
        folder = probe("short", winpath(app.folder))[1][0]
        self.assertEqual(b"@echo off\r\n%s\\AWDVSTUB.EXE /c %%1 %%2\r\n" % folder.encode(),
                         app.read("ORVALIS.BAT"))

        ini = app.read("Orvalis.ini")
        os.remove(app.path("ORVALIS.BAT"))
        second = app.start()
        self.confirm("Orvalis is already running.")
        self.assertEqual((1, None), (second.wait(20), first.poll()), "the exit codes")
        self.assertEqual((None, ini), (app.read("ORVALIS.BAT"), app.read("Orvalis.ini")))

        app.close()

        os.makedirs(app.path("ORVALIS.BAT"))  # no platform can write that
        app.start()
        self.confirm("ERROR: Cannot write the batch file %s\\ORVALIS.BAT!" % folder)
        app.wait_exit()

    def test_normal_day(self):
        # Killed while a converter writes, started again, ended with the
        # session: no fax lost, none overwritten nor stored twice, no number
        # handed out twice, no converter left running, slow ones waited for.
        app = self.app("Normal day")
        app.put("Fax_00001.tif", content="an earlier run's fax", folder=app.store)
        app.put("a.awd", "c.awd", content="slow %d" % (5 * V1))
        app.put("b.awd", content="slow 1000")
        app.start()
        wait_until(app.converter_calls, 30, "the first conversion")
        app.kill()  # in the middle of the converter's writing

        app.start()
        # What cmd.exe runs cannot be changed while Orvalis runs, and still runs.
        held = lambda path: probe("locked", winpath(path))[0] == 0  # noqa: E731
        wait_until(lambda: held(app.path("ORVALIS.BAT")), 30, "ORVALIS.BAT to be held")
        self.assertTrue(held(app.path("AWDVSTUB.EXE")), "AWDVSTUB.EXE held")
        app.put("d.awd")
        wait_until(lambda: app.dropped() == [], 60, "the drop folder to empty")
        # While Excel holds the index, faxes go on and their lines wait for it
        # to let go, kept in the application folder over a restart.
        index = os.path.join(app.store, "Fax_index.csv")
        holder = subprocess.Popen(["wine", os.environ["ORVALIS_PROBE"], "hold", winpath(index)],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: held(index), 30, "the index to be held")
        # A fax copied over one that is being converted is the next one.
        app.put("r.awd", content="slow %d" % (3 * V1))
        wait_until(lambda: ("r.awd" in dict(app.converter_calls())), 30, "r.awd's converter")
        app.put("r.awd", content="another fax")
        wait_until(lambda: [s for s, _ in app.converter_calls()].count("r.awd") == 2 and
                   app.dropped() == [], 30, "both faxes called r.awd")
        self.assertIsNotNone(app.read("Orvalis.idx.waiting"), "the lines that wait")
        holder.kill()
        wait_until(lambda: len(app.index()) == 6, 30, "the lines that waited")
        post("", 0x11, 0, 0x16, 1, cls="frmOrvalis")  # WM_QUERYENDSESSION, WM_ENDSESSION
        app.wait_exit()

        self.assertEqual(b"an earlier run's fax", app.read("Store folder/Fax_00001.tif"))
        numbers = [int(target[4:9]) for _, target in app.converter_calls()]
        self.assertEqual(sorted(set(numbers)), numbers, "numbers in the order the files were taken")
        self.assertEqual((numbers[-1], ""), (app.current(), app.log()), "the counter at the end")
        # One line for each TIF, in the order stored, naming the AWD it came from.
        stored = [(t, s, "1") for s, t in app.converter_calls() if t in app.stored()]
        self.assertEqual(stored, [(line[1], line[2], line[4]) for line in app.index()])
        self.assertEqual(8, len(os.listdir(app.store)), "the TIFs and the index, and nothing else")

    def test_shared_store(self):
        # Two PCs, each with its own application and drop folder, archive
        # into one store, and their converters overlap: every fax is stored
        # once, under a number of its own, and no marker is left behind.
        # The store lies nine folders down, too deep for a fixed short-path buffer.
        apps = [self.app("Shared %d" % n) for n in (1, 2)]
        store = apps[0].make_folder(os.path.join("Store folder", *["ABCDEFGH"] * 9))
        for app in apps:
            app.write_ini(store=store)
            app.put(*("fax%d.awd" % n for n in range(5)), content="late 300")
            app.start()
        # A line waits while the other PC has just made the index.
        wait_until(lambda: apps[0].dropped() == apps[1].dropped() == [] and
                   len(apps[0].index(store)) == 10, 90, "every fax stored and indexed")
        targets = sorted(target for app in apps for _, target in app.converter_calls())
        self.assertEqual(targets + ["Fax_index.csv"], sorted(os.listdir(store)))
        self.assertEqual([(t, 7) for t in targets],
                         sorted((line[1], len(line)) for line in apps[0].index(store)),
                         "one whole line a TIF in the index that both write")

    def test_bad_day(self):
        # Converters that leave an empty or a cut TIF, and a source that
        # cannot be removed: no fax is lost, and the tray says so.
        app = self.app("Bad day")
        app.start()
        normal = wait_until(tray_pixels, 30, "the tray icon")
        bad = {"die.awd": "die", "empty.awd": "empty"}
        for name, words in bad.items():
            app.put(name, content=words)
        wait_until(lambda: all(n in app.log() for n in bad), 60, "every bad conversion logged")
        # The first entry, byte for byte, with the converter's process id.
        paths = [re.escape(probe("short", winpath(p))[1][0])
                 for p in (app.path("ORVALIS.BAT"), app.drop, app.store)]
        self.assertRegex(app.log(), r"\AERROR: Cannot convert the awd file! \[[1-9]\d*\]\r\n {11}"
                         r"%s %s\\[a-z]+\.awd %s\\Fax_\d{5}\.tif\r\n" % tuple(paths))
        # What a failed converter wrote is left as it is.
        target = {source: target for source, target in reversed(app.converter_calls())}
        size = {n: os.path.getsize(os.path.join(app.store, target[n])) for n in target}
        self.assertTrue(0 == size["empty.awd"] < size["die.awd"], size)
        wait_until(lambda: tray_pixels() != normal, 10, "the warning icon")

        failures = lambda: app.log().count("empty.awd")  # noqa: E731
        # Right after a late failure its next try is 20 s or more away, unless
        # "Enabled" is checked again.
        seen = max(failures(), 6)
        wait_until(lambda: failures() > seen, 60, "empty.awd's next try")
        tried, seen = time.monotonic(), failures()
        choose(*ENABLED)  # off
        choose(*ENABLED)  # and on
        next_try = tried + V2 / 1000 * 2 ** (seen - 1)
        wait_until(lambda: failures() > seen, next_try - time.monotonic(), "Enabled, ending waits")

        app.put("ro.awd")
        os.chmod(os.path.join(app.drop, "ro.awd"), 0o444)
        self.confirm("WARNING: Cannot remove the awd file from the drop folder!\n"
                     "Please make sure that the file is not 'read only'...")
        calls = len(app.converter_calls())
        app.put("later.awd")
        time.sleep(5 * V2 / 1000 + 2 * V1 / 1000)  # several polls, and nothing may happen
        self.assertEqual(calls, len(app.converter_calls()), "polling goes on after the warning")
        os.chmod(os.path.join(app.drop, "ro.awd"), 0o644)
        choose(*ENABLED)
        wait_until(lambda: app.dropped() == ["die.awd", "empty.awd"], 30, "polling to resume")

        # Their waits are long by now, but a new file is a new start.
        app.put("die.awd", "empty.awd")
        wait_until(lambda: app.dropped() == [], 15, "the replaced faxes")
        wait_until(lambda: tray_pixels() == normal, 20, "the normal icon again")
        # Close ends it at once, the warning box too; the AWD stays.
        app.put("ro.awd")
        os.chmod(os.path.join(app.drop, "ro.awd"), 0o444)
        wait_until(message_box, 30, "the warning box again")
        app.close(within=5)  # Wine's tray alone takes 2 s to let an icon go
        self.assertEqual(["ro.awd"], app.dropped())

    def test_awkward_names(self):
        # Names that cmd.exe or the code page treat specially never run a
        # command nor lead outside the drop folder, nor does a link, nor do device
        # names; each fax converts or is logged. Bad numbers too: read
        # as the defaults, V1 = 500 and V2 = 3000. The folders are set
        # relative to the application folder, and Orvalis starts elsewhere.
        app = self.app("Awkward names")
        app.put("Orvalis.ini", folder=app.folder, content=app.ini_text(
            current="abc", v1="-5", v2="0").replace(winpath(app.folder) + "\\", ""))
        app.put("x.awd", folder=app.make_folder("other"))
        os.symlink(app.path("other/x.awd"), os.path.join(app.drop, "scan.awd"))
        names = ["with blank.awd", "a&md INJECTED&.awd", "100%.awd", "caf\xe9.awd",
                 "(x) y,z;w=1 ^!.awd", "v^&echo INJECTED^&.awd", "\u0141\u00f3d\u017a.awd",
                 "a\uff3c..\uff3c..\uff3cother\uff3cx.awd", "nul.awd", "con.awd"]
        app.put(*names)
        app.start(cwd=app.path("other"))
        unusable = ["con.awd", "nul.awd", "scan.awd"]
        wait_until(lambda: app.dropped() == ["100%.awd"] + unusable and
                   all(n in app.log() for n in ["100%.awd"] + unusable), 90,
                   "every other file converted, and an entry for each of the rest")
        app.close()
        # All but 100%.awd; Łódź.awd and the fullwidth name by their 8.3 names.
        # A name that ran a command or led elsewhere would have failed, or
        # been converted under another name.
        calls = app.converter_calls()
        self.assertEqual((7, 2), (len(calls), sum("~" in source for source, _ in calls)), calls)

    def test_tray(self):
        # The icon clicked for real: About, the menu, Enabled, Explorer
        # restarting, and Close while a converter hangs; files taken as they
        # land, long before the next poll.
        app = self.app("Tray", current=20, v1=4000, v2=120000)
        app.start()
        icon = wait_until(tray_pixels, 30, "the tray icon")
        self.assertEqual(0, probe("dropicon", "frmOrvalis", "")[0])
        wait_until(lambda: not tray_icon_shown(), 20, "the icon to be gone")
        post("", "TaskbarCreated", 0, cls="frmOrvalis")  # what a restarted Explorer broadcasts
        wait_until(lambda: tray_pixels() == icon, 20, "the icon to be added again")
        os.rename(app.drop, app.drop + ".old")  # as Explorer deletes it; a.awd goes to the new one
        app.make_folder("Drop folder")

        click_tray(1)
        wait_until(lambda: windows(ABOUT)[0], 20, "the About dialog")
        self.assertEqual((1, ["Convert Microsoft AWD fax files to TIF format", "Close",
                              "By the Orvalis team"]), windows(ABOUT))
        choose("a")  # "&About...", while it is open
        time.sleep(1.5)  # time for a wrong second window or menu to appear
        self.assertEqual((1, False), (windows(ABOUT)[0], menu_open()), "one About, no menu")
        xdo("windowfocus", "--sync", x_window(ABOUT))
        xdo("key", "Tab", "space")  # its Close button
        wait_until(lambda: not windows(ABOUT)[0], 20, "About to close")
        click_tray(1)
        wait_until(lambda: windows(ABOUT)[0], 20, "About to open again")

        app.put("a.awd")
        wait_until(lambda: app.stored() == ["Fax_00021.tif"], 30, "a.awd as it lands")
        choose(*ENABLED)  # off
        app.put("b.awd", content="hang")
        choose(*ENABLED)  # on again, and so at once
        wait_until(lambda: ("b.awd", "Fax_00022.tif") in app.converter_calls(), 30, "b.awd's pass")
        choose("Escape", within=2)  # while a converter hangs
        app.write_ini()
        choose("c")  # "&Close", while the converter writes and About is open
        wait_until(lambda: not tray_icon_shown(), 5, "the tray icon to go at once")
        app.wait_exit()
        self.assertEqual((22, ["b.awd"], ["Fax_00021.tif", "Fax_index.csv"]),
                         (app.current(), app.dropped(), sorted(os.listdir(app.store))),
                         "b.awd left for the next start, and nothing of its converter")

    def test_installer(self):
        # Installed by an administrator into the converter's folder, upgraded
        # without naming it again, and removed: only the installer's own files
        # come and go, and what was there before stays byte for byte.
        app, work = self.app("Installer"), os.environ["ORVALIS_E2E_WORK"]
        exe, newer = app.read("Orvalis.exe"), os.path.join(work, "newer.exe")
        pathlib.Path(newer).write_bytes(exe + b"a newer build")
        source, msis = os.environ["ORVALIS_SOURCE"], []
        for name, version, program in (("1.01", "1.1.0.0", os.environ["ORVALIS_EXE"]),
                                       ("1.02", "1.2.0.0", newer)):  # the release's installers
            made = subprocess.run(
                [sys.executable, os.path.join(source, "scripts", "release_msi.py"), name, version,
                 work, program, os.path.join(source, "README.md"), os.path.join(source, "LICENSE")],
                env=dict(os.environ, SOURCE_DATE_EPOCH="1700000000"), check=True, capture_output=True)
            msis.append(winpath(made.stdout.decode().strip()))
        for msi in msis:
            msiexec("/x", msi)  # whatever a run before left installed
        os.remove(app.path("Orvalis.exe"))
        # What Orvalis writes as it runs, and what it stores.
        app.put("Orvalis.err", "ORVALIS.BAT", "Orvalis.idx.waiting", folder=app.folder)
        app.put("Fax_00001.tif", "Fax_index.csv", folder=app.store)
        files = lambda: {p: p.read_bytes() for p in pathlib.Path(app.folder).rglob("*")  # noqa: E731
                         if p.is_file()}
        kept = files()

        self.assertEqual(0, msiexec("/i", msis[0], "INSTALLDIR=" + winpath(app.folder),
                                    "STARTATLOGON=1"))
        links = shortcuts()
        self.assertEqual((exe, ["programs/orvalis.lnk", "programs/startup/orvalis.lnk"]),
                         (app.read("Orvalis.exe"), sorted(links)))
        self.assertTrue(app.read("README.txt") and app.read("LICENSE.txt"))
        for link in links.values():
            self.assertIn(winpath(app.path("Orvalis.exe")).encode(), link)

        self.assertEqual(0, msiexec("/i", msis[1], "STARTATLOGON=0"))
        self.assertEqual((exe + b"a newer build", ["programs/orvalis.lnk"]),
                         (app.read("Orvalis.exe"), sorted(shortcuts())))
        self.assertEqual(0, msiexec("/x", msis[1]))
        self.assertEqual((kept, {}), (files(), shortcuts()))
