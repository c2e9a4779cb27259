"""The conversion pass with the real program, cmd.exe and the test converter."""
import os
import re
import time
import unittest

from harness import (V1, V2, WineTestCase, message_box_texts, press_ok, short_path, wait_until,
                     winpath)

TIFF_HEADER = b"II*\x00"


def drop_file(folder, name, words="ok"):
    with open(os.path.join(folder, name), "w", encoding="latin-1") as f:
        f.write(words)


class Conversion(WineTestCase):
    def expected_command(self, app, source_name, number):
        return "%s %s\\%s %s\\Fax_%05d.tif" % (short_path(app.path("ORVALIS.BAT")),
                                                short_path(self.drop), source_name,
                                                short_path(self.store), number)

    def test_three_files_become_three_numbered_tifs(self):
        app = self.configured_app("three")
        for name in ("a.awd", "b.awd", "c.awd"):
            drop_file(self.drop, name)
        app.start()
        wait_until(lambda: os.listdir(self.drop) == [], 60, "the drop folder to empty")
        self.assertEqual(["Fax_00001.tif", "Fax_00002.tif", "Fax_00003.tif"],
                         sorted(os.listdir(self.store)))
        for name in os.listdir(self.store):
            with open(os.path.join(self.store, name), "rb") as f:
                self.assertEqual(TIFF_HEADER, f.read(4), name)
        calls = app.converter_calls()
        self.assertEqual(3, len(calls))
        self.assertEqual(["a.awd", "b.awd", "c.awd"],
                         sorted(source.split("\\")[-1] for source, _ in calls))
        self.assertEqual(["Fax_00001.tif", "Fax_00002.tif", "Fax_00003.tif"],
                         [target.split("\\")[-1] for _, target in calls],
                         "numbers in the order the files were taken")
        self.assertIsNone(app.read("Orvalis.err"))
        app.close()
        self.assertEqual(3, app.current())

    def test_failed_conversion_is_logged_and_the_source_kept(self):
        app = self.configured_app("failed")
        drop_file(self.drop, "bad.awd", "none")
        app.start()
        log = wait_until(lambda: app.read("Orvalis.err"), 30, "the error log")
        first = re.match(rb"ERROR: Cannot convert the awd file! \[(\d+)\]\r\n {11}(.*?)\r\n", log)
        self.assertIsNotNone(first, log)
        self.assertNotEqual(b"0", first.group(1), "the converter's process id")
        self.assertEqual(self.expected_command(app, "bad.awd", 1).encode("latin-1"),
                         first.group(2))
        self.assertTrue(os.path.exists(os.path.join(self.drop, "bad.awd")))
        self.assertEqual([], os.listdir(self.store))

    def test_slow_and_locked_targets(self):
        app = self.configured_app("timing")
        # Written after the first look (V1) but before the second (3 x V1).
        drop_file(self.drop, "slow.awd", "delay %d" % (2 * V1))
        # There, but held exclusively through both looks.
        drop_file(self.drop, "locked.awd", "lock %d" % (6 * V1))
        app.start()
        wait_until(lambda: not os.path.exists(os.path.join(self.drop, "slow.awd")), 30,
                   "the slow conversion to count as done")
        log = wait_until(lambda: app.read("Orvalis.err"), 30, "the locked target's entry")
        self.assertIn(b"locked.awd", log)
        self.assertNotIn(b"slow.awd", log)
        self.assertTrue(os.path.exists(os.path.join(self.drop, "locked.awd")))

    def test_read_only_source_warns_and_stops_polling(self):
        app = self.configured_app("readonly")
        drop_file(self.drop, "ro.awd")
        os.chmod(os.path.join(self.drop, "ro.awd"), 0o444)
        app.start()
        texts = wait_until(message_box_texts, 30, "the warning")
        self.assertEqual(["WARNING: Cannot remove the awd file from the drop folder!",
                          "Please make sure that the file is not 'read only'..."], texts[-2:])
        self.assertTrue(os.path.exists(os.path.join(self.store, "Fax_00001.tif")))
        press_ok()
        drop_file(self.drop, "later.awd")
        # Polling is off: nothing may happen for several polling periods.
        time.sleep(5 * V2 / 1000 + 2 * V1 / 1000)
        self.assertEqual(["Fax_00001.tif"], os.listdir(self.store))
        self.assertEqual(1, len(app.converter_calls()))
        app.close()
        self.assertEqual(1, app.current())

    def test_awkward_names_never_run_commands_nor_lose_a_fax(self):
        app = self.configured_app("names")
        names = ["with blank.awd", "a&md INJECTED&.awd", "100%.awd", "caf\xe9.awd",
                 "(x) y,z;w=1 ^!.awd", "v^&echo INJECTED^&.awd"]
        for name in names:
            drop_file(self.drop, name)

        def settled():
            log = (app.read("Orvalis.err") or b"").decode("latin-1")
            converted = {source.split("\\")[-1] for source, _ in app.converter_calls()}
            pending = [n for n in names
                       if os.path.exists(os.path.join(self.drop, n)) and n not in log]
            return not pending and all(n in converted or n in log for n in names)

        app.start()
        wait_until(settled, 90, "every file to be converted or logged")
        app.close()

        for folder, _, files in os.walk(app.folder):
            for entry in os.listdir(folder):
                if entry not in names:
                    self.assertNotIn("INJECTED", entry.upper(), "a file name ran a command")
        calls = app.converter_calls()
        for name in names:
            gone = not os.path.exists(os.path.join(self.drop, name))
            if gone:
                targets = [t for s, t in calls if s.split("\\")[-1] == name]
                self.assertTrue(targets, "%s was deleted without being converted" % name)
                self.assertTrue(os.path.exists(os.path.join(self.store, targets[-1].split("\\")[-1])))
        self.assertTrue(os.path.exists(os.path.join(self.drop, "100%.awd")),
                        "a name that cannot be passed safely stays")
        self.assertIn("[0]", (app.read("Orvalis.err") or b"").decode("latin-1"))

    def test_killed_during_a_pass_then_restarted_loses_and_overwrites_nothing(self):
        app = self.configured_app("killed", v1=1500)
        with open(os.path.join(self.store, "Fax_00001.tif"), "wb") as f:
            f.write(b"an earlier run's fax")
        for name in ("a.awd", "b.awd", "c.awd"):
            drop_file(self.drop, name)
        app.start()
        wait_until(lambda: app.converter_calls(), 30, "the first conversion")
        app.kill()  # in the middle of the pass's waits
        self.assertIsNone(app.current() == 0 or None, "the number in use was kept")

        app.write_ini(self.drop, self.store, current=app.current(), v1=V1)
        app.start()
        wait_until(lambda: os.listdir(self.drop) == [], 60, "the drop folder to empty")
        app.close()

        with open(os.path.join(self.store, "Fax_00001.tif"), "rb") as f:
            self.assertEqual(b"an earlier run's fax", f.read())
        targets = [t for _, t in app.converter_calls()]
        self.assertEqual(len(targets), len(set(targets)), "a number was handed out twice")
        self.assertNotIn("Fax_00001.tif", [t.split("\\")[-1] for t in targets])
        converted = {s.split("\\")[-1] for s, _ in app.converter_calls()}
        self.assertEqual({"a.awd", "b.awd", "c.awd"}, converted)
        for target in targets:
            self.assertTrue(os.path.exists(os.path.join(self.store, target.split("\\")[-1])))


if __name__ == "__main__":
    unittest.main()
