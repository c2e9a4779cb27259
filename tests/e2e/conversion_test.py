"""The conversion pass with the real program, cmd.exe and the test converter."""
import os
import re
import time
import unittest

from harness import (V1, V2, WineTestCase, message_box_texts, press_ok, short_path, tray_pixels,
                     wait_until, winpath)

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

    def test_a_bad_day_loses_no_fax_and_shows_in_the_tray(self):
        app = self.configured_app("badday")
        app.start()
        normal = wait_until(tray_pixels, 30, "the tray icon")
        bad = {"die.awd": "die", "empty.awd": "empty", "late.awd": "slow %d" % (8 * V1),
               "locked.awd": "lock %d" % (6 * V1)}
        for name, words in bad.items():
            drop_file(self.drop, name, words)
        drop_file(self.drop, "slow.awd", "slow %d" % V1)  # done before the second look

        def log():
            return (app.read("Orvalis.err") or b"").decode("latin-1")
        wait_until(lambda: all(n in log() for n in bad), 60, "every bad conversion logged")
        wait_until(lambda: not os.path.exists(os.path.join(self.drop, "slow.awd")), 30,
                   "the slow but finished conversion to count")
        self.assertNotIn("slow.awd", log())
        self.assertEqual(sorted(bad), sorted(os.listdir(self.drop)), "every bad fax kept")
        entry = re.match(r"ERROR: Cannot convert the awd file! \[(\d+)\]\r\n {11}(.*?)\r\n", log())
        self.assertNotEqual("0", entry.group(1), "the converter's process id")
        source = entry.group(2).split(" ")[1].split("\\")[-1]
        number = int(entry.group(2)[-9:-4])
        self.assertEqual(self.expected_command(app, source, number), entry.group(2))

        # What a failed converter wrote is left as it is.
        target = {s.split("\\")[-1]: t.split("\\")[-1] for s, t in reversed(app.converter_calls())}
        sizes = {n: os.path.getsize(os.path.join(self.store, target[n])) for n in target}
        self.assertEqual(0, sizes["empty.awd"])
        self.assertLess(0, sizes["die.awd"])
        self.assertLess(sizes["die.awd"], sizes["slow.awd"])
        with open(os.path.join(self.store, target["slow.awd"]), "rb") as f:
            self.assertEqual(TIFF_HEADER, f.read(4))
        self.assertNotEqual(normal, wait_until(tray_pixels, 10, "the tray"), "the warning icon")

        # Replaced, a failing fax converts at the next poll.
        for name in ("die.awd", "late.awd", "locked.awd"):
            drop_file(self.drop, name, "ok")
        wait_until(lambda: os.listdir(self.drop) == ["empty.awd"], 30, "the replaced faxes")
        self.assertNotEqual(normal, tray_pixels(), "the warning stays while one fails")

        # Meanwhile the one that still fails is tried less and less often:
        # at every poll it would be 13 times in this window.
        before = log().count("empty.awd")
        time.sleep(20)
        self.assertLessEqual(log().count("empty.awd") - before, 4)

        drop_file(self.drop, "empty.awd", "ok")
        wait_until(lambda: os.listdir(self.drop) == [], 30, "the last replaced fax")
        wait_until(lambda: tray_pixels() == normal, 20, "the normal icon again")
        app.close()

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
        # A fax outside the drop folder, and a name that the code page's
        # best fit would turn into a path to it.
        outside = os.path.join(app.make_folder("other"), "x.awd")
        drop_file(os.path.dirname(outside), "x.awd")
        names = ["with blank.awd", "a&md INJECTED&.awd", "100%.awd", "caf\xe9.awd",
                 "(x) y,z;w=1 ^!.awd", "v^&echo INJECTED^&.awd", "\u0141\u00f3d\u017a.awd",
                 "a\uff3c..\uff3c..\uff3cother\uff3cx.awd"]
        for name in names:
            drop_file(self.drop, name)

        app.start()
        wait_until(lambda: os.listdir(self.drop) == ["100%.awd"], 90, "every other file converted")
        wait_until(lambda: app.read("Orvalis.err"), 30, "the entry for 100%.awd")
        app.close()

        for folder, _, files in os.walk(app.folder):
            for entry in files:
                self.assertNotIn("INJECTED", entry.upper(), "a file name ran a command")
        with open(outside) as f:
            self.assertEqual("ok", f.read(), "nothing outside the drop folder is touched")
        calls = app.converter_calls()
        self.assertNotIn("x.awd", [s.split("\\")[-1] for s, _ in calls])
        self.assertEqual(len(names) - 1, len(calls))
        for _, target in calls:
            self.assertTrue(os.path.exists(os.path.join(self.store, target.split("\\")[-1])))
        self.assertIn("[0]", app.read("Orvalis.err").decode("latin-1"))

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
