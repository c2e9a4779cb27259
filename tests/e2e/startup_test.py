"""Start-up, the Setup dialog, the batch file and orderly ends."""
import os
import unittest

from harness import (WineTestCase, message_box_texts, press_ok, probe, screenshot, short_path,
                     tray_icon_shown, wait_until, window_count, window_texts, winpath, x_window, xdo)


class Startup(WineTestCase):
    def test_fresh_folder_opens_setup_and_save_writes_the_settings(self):
        app = self.app("fresh")
        drop = app.make_folder("Incoming faxes")
        store = app.make_folder("Stored faxes")
        app.start()
        setup = wait_until(lambda: x_window("Orvalis Setup"), 30, "the Setup dialog")
        # It shows empty folder boxes and the default waits, whatever the file holds.
        self.assertEqual(
            ["Folder where to drop AWD files:", "",
             "Folder where to store converted TIF files:", "",
             "Time, in ms, to wait for Shell && Kill operations to complete", "500",
             "Time, in ms, to wait before checking the drop folder", "3000",
             "&Save",
             "drag && drop a folder from Windows Explorer",
             "drag && drop a folder from Windows Explorer"],
            window_texts("Orvalis Setup"))

        xdo("windowfocus", "--sync", setup)
        xdo("type", "--delay", "15", winpath(drop))
        xdo("key", "Tab")
        xdo("type", "--delay", "15", winpath(store))
        xdo("key", "Tab", "ctrl+a")
        xdo("type", "--delay", "15", "450")
        xdo("key", "Tab", "ctrl+a")
        xdo("type", "--delay", "15", "2500")
        screenshot("setup")
        # Neither Enter nor Esc saves or closes: the dialog must still be there,
        # with nothing written, once the keys have been handled.
        xdo("key", "Return", "Escape")
        self.assertEqual("2500", wait_until(lambda: (window_texts("Orvalis Setup") or [""] * 8)[7],
                                            10, "the typed text"))
        self.assertEqual(1, window_count("Orvalis Setup"))
        self.assertIsNone(app.read("Orvalis.ini"))
        xdo("key", "alt+s")

        wait_until(lambda: app.read("ORVALIS.BAT"), 30, "the batch file after Save")
        expected = ("[File]\r\nDrop=%s\r\nStore=%s\r\nCurrent=0\r\n[Tempo]\r\nV1=450\r\nV2=2500\r\n"
                    % (winpath(drop), winpath(store))).encode("latin-1")
        self.assertEqual(expected, app.read("Orvalis.ini"))
        wait_until(lambda: tray_icon_shown(), 20, "the tray icon")
        self.assertEqual(0, window_count("Orvalis Setup"))

        app.close()
        self.assertEqual(0, app.current())
        wait_until(lambda: not tray_icon_shown(), 20, "the tray icon to go")

    def test_closing_setup_without_save_ends_with_the_error(self):
        app = self.app("cancel")
        app.start()
        wait_until(lambda: x_window("Orvalis Setup"), 30, "the Setup dialog")
        self.assertEqual(0, probe("close", "*", "Orvalis Setup")[0])
        texts = wait_until(message_box_texts, 20, "the error box")
        self.assertIn("ERROR: Application is not correctly setup!", texts)
        self.assertTrue(app.running(), "the program waits for the box to close")
        press_ok()
        app.wait_exit()
        self.assertIsNone(app.read("ORVALIS.BAT"))
        self.assertIsNone(app.read("Orvalis.ini"), "closing without Save writes nothing")
        self.assertFalse(tray_icon_shown())

    def test_valid_settings_start_without_dialog_and_write_the_batch_file(self):
        app = self.app("valid")
        drop = app.make_folder("Drop folder with long name")
        store = app.make_folder("Store folder with long name")
        app.write_ini(drop, store, current=41)
        app.start()
        wait_until(lambda: app.read("ORVALIS.BAT"), 30, "the batch file")
        wait_until(lambda: tray_icon_shown(), 20, "the tray icon")
        self.assertEqual(0, window_count("Orvalis Setup"))

        converter = short_path(app.path("AWDVSTUB.EXE"))
        self.assertNotIn(" ", converter)
        self.assertEqual(("@echo off\r\n%s /c %%1 %%2\r\n" % converter).encode("latin-1"),
                         app.read("ORVALIS.BAT"))

        # A second start in the same folder says so and touches nothing.
        ini_before = app.read("Orvalis.ini")
        os.remove(app.path("ORVALIS.BAT"))
        second = self.app("valid-second")
        second.folder = app.folder
        second.start()
        texts = wait_until(message_box_texts, 30, "the second instance's box")
        self.assertIn("Orvalis is already running.", texts)
        press_ok()
        second.wait_exit()
        self.assertTrue(app.running())
        self.assertIsNone(app.read("ORVALIS.BAT"), "the second instance wrote nothing")
        self.assertEqual(ini_before, app.read("Orvalis.ini"))
        self.assertTrue(tray_icon_shown())

        # Explorer restarting loses every icon and announces "TaskbarCreated".
        self.assertEqual(0, probe("dropicon", "frmOrvalis")[0])
        wait_until(lambda: not tray_icon_shown(), 20, "the icon to be gone")
        self.assertEqual(0, probe("taskbarcreated")[0])
        wait_until(tray_icon_shown, 20, "the icon to be added again")

        app.close()
        self.assertEqual(41, app.current())

    def test_version_resource(self):
        app = self.app("version")
        code, lines = probe("version", winpath(app.path("Orvalis.exe")))
        self.assertEqual(0, code)
        self.assertEqual(["1.1.0.0", "FileVersion=1.01", "ProductVersion=1.01", "ProductName=Orvalis",
                          "InternalName=Orvalis", "OriginalFilename=Orvalis.exe"], lines)

    def test_session_end_writes_the_counter(self):
        app = self.app("endsession")
        drop = app.make_folder("in")
        store = app.make_folder("out")
        app.write_ini(drop, store, current=7)
        with open(os.path.join(drop, "a.awd"), "w") as f:
            f.write("ok")
        app.start()
        wait_until(lambda: os.path.exists(os.path.join(store, "Fax_00008.tif")), 30,
                   "the conversion")
        wait_until(lambda: not os.path.exists(os.path.join(drop, "a.awd")), 30, "the source to go")
        self.assertEqual(0, probe("endsession", "frmOrvalis")[0])
        app.wait_exit()
        self.assertEqual(8, app.current())

    def test_unwritable_batch_file_is_reported(self):
        app = self.app("nobatch")
        app.write_ini(app.make_folder("in"), app.make_folder("out"), current=3)
        # A folder in its place: no platform can write that.
        os.makedirs(app.path("ORVALIS.BAT"))
        ini_before = app.read("Orvalis.ini")
        app.start()
        texts = wait_until(message_box_texts, 30, "the error box")
        self.assertTrue(any(t.startswith("ERROR: Cannot write the batch file ") for t in texts),
                        texts)
        press_ok()
        app.wait_exit()
        self.assertEqual(ini_before, app.read("Orvalis.ini"))
        self.assertFalse(tray_icon_shown())

    def test_bad_numbers_do_not_stop_the_program(self):
        app = self.app("badnumbers")
        drop = app.make_folder("in")
        store = app.make_folder("out")
        app.write_ini(drop, store, current="abc", v1="-5", v2="0")
        with open(os.path.join(drop, "a.awd"), "w") as f:
            f.write("ok")
        app.start()
        # Current reads as 0, V2 as 3000: the first tick comes after three seconds.
        wait_until(lambda: os.path.exists(os.path.join(store, "Fax_00001.tif")), 30,
                   "the conversion under the default waits")
        app.close()
        self.assertEqual(1, app.current())


if __name__ == "__main__":
    unittest.main()
