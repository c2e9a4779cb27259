"""The tray icon, its popup menu and the About dialog, clicked for real."""
import os
import time
import unittest

from harness import (V1, V2, WineTestCase, click_tray, menu_open, probe, screenshot,
                     tray_icon_shown, wait_until, window_count, window_texts, xdo)

ABOUT = "Orvalis - V1.1"


class Tray(WineTestCase):
    def start_app(self, name, current=0, v1=V1):
        app = self.configured_app(name, current=current, v1=v1)
        app.start()
        wait_until(tray_icon_shown, 30, "the tray icon")
        return app

    def choose(self, *keys):
        """Opens the popup menu with a right click and picks an item by keys."""
        click_tray(3)
        wait_until(menu_open, 20, "the popup menu")
        xdo("key", *keys)
        wait_until(lambda: not menu_open(), 20, "the menu to close")

    def settle(self):
        # Clicks travel through X, Wine's tray and the program's queue; give a
        # wrong second window the time to appear before counting.
        time.sleep(1.5)

    def test_left_click_opens_one_about_dialog(self):
        self.start_app("about")
        click_tray(1)
        wait_until(lambda: window_count(ABOUT) == 1, 20, "the About dialog")
        screenshot("about")
        self.assertEqual(["Convert Microsoft AWD fax files to TIF format", "Close",
                          "By the Orvalis team"], window_texts(ABOUT))
        click_tray(1)
        click_tray(1, repeat=2)  # a double click
        self.choose("a")         # "&About..." from the menu
        self.settle()
        self.assertEqual(1, window_count(ABOUT), "one dialog, brought forward")

        self.assertEqual(0, probe("press", "*", ABOUT, "Close")[0])
        wait_until(lambda: window_count(ABOUT) == 0, 20, "About to unload")
        click_tray(1)
        wait_until(lambda: window_count(ABOUT) == 1, 20, "About to open again")

    def test_right_button_release_and_double_click_open_no_menu(self):
        self.start_app("nomenu")
        click_tray(1, repeat=2)
        wait_until(lambda: window_count(ABOUT) == 1, 20, "About from the first release")
        self.assertEqual(0, probe("close", "*", ABOUT)[0])
        wait_until(lambda: window_count(ABOUT) == 0, 20, "About to close")
        self.settle()
        self.assertFalse(menu_open())

    def test_enabled_pauses_and_resumes_polling(self):
        app = self.start_app("enabled")
        click_tray(3)
        wait_until(menu_open, 20, "the popup menu")
        screenshot("menu")
        xdo("key", "Escape")
        wait_until(lambda: not menu_open(), 20, "Esc to close the menu")

        self.choose("Down", "Down", "Return")  # "Enabled": off
        with open(os.path.join(self.drop, "a.awd"), "w") as f:
            f.write("ok")
        time.sleep(5 * V2 / 1000 + 1)  # polling is off: nothing may happen meanwhile
        self.assertEqual([], os.listdir(self.store))

        self.choose("Down", "Down", "Return")  # "Enabled": on again
        wait_until(lambda: os.listdir(self.drop) == [], 30, "the file to be converted")
        self.assertEqual(["Fax_00001.tif"], os.listdir(self.store))
        app.close()

    def test_close_during_a_pass_with_about_open_writes_the_counter(self):
        app = self.start_app("close", current=20, v1=3000)
        click_tray(1)
        wait_until(lambda: window_count(ABOUT) == 1, 20, "the About dialog")
        with open(os.path.join(self.drop, "a.awd"), "w") as f:
            f.write("ok")
        wait_until(app.converter_calls, 30, "the pass to launch the converter")
        # The pass sleeps now; the menu opens at its next look at the queue.
        self.choose("c")
        app.wait_exit()
        self.assertEqual(21, app.current())
        wait_until(lambda: not tray_icon_shown(), 20, "the tray icon to go")
        self.assertTrue(os.path.exists(os.path.join(self.drop, "a.awd")),
                        "the file in progress is neither deleted nor lost")


if __name__ == "__main__":
    unittest.main()
