"""The owner-drawn menus under Wine: menudemo.exe opens a sample menu in each colour
scheme and steps through it (open, a new person row highlighted with its side panel,
the row after the highlight, a submenu, a right click on its "Like" item); the test
photographs every step, makes the right click and checks the colours where the new row
is."""
import os
import re
import subprocess
import time
import unittest

from orvwine import BUILD, ROOT, WINE, OrvWineTest

DEMO = os.path.join(BUILD, "menudemo.exe")
PICTURES = os.path.join(ROOT, "tools", "emulator", "pictures")

# Per scheme: the first new-item colour and the first highlight colour (COLORREF).
NEW1 = {0: 0xFFFFFF, 1: 0xF0FFF0, 2: 0xFFFFFF, 3: 0xFFFFFF}
HIGHLIGHT1 = {0: 0xFFDFC6, 1: 0xF4E0CE, 2: 0xD7DCF8, 3: 0xD7DCF8}


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def rgb(colorref):
    return (colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF)


class MenuDrawing(OrvWineTest):
    def pixel(self, shot, x, y):
        out = subprocess.run(["convert", shot, "-format", "%%[pixel:p{%d,%d}]" % (x, y), "info:"],
                             capture_output=True, text=True).stdout
        m = re.search(r"\((\d+),(\d+),(\d+)", out)
        self.assertTrue(m, "no pixel read from %s: %r" % (shot, out))
        return tuple(int(v) for v in m.groups())

    def assertNear(self, actual, expected, what, tolerance=24):
        self.assertTrue(all(abs(a - e) <= tolerance for a, e in zip(actual, expected)),
                        "%s: %s, expected about %s" % (what, actual, expected))

    def test_menu_in_every_colour_scheme(self):
        if not os.path.exists(DEMO):
            self.skipTest("menudemo.exe not built")
        steps_path = os.path.join(self.folder, "steps.txt")
        self.proc = subprocess.Popen([WINE, DEMO, windows_path(PICTURES), windows_path(self.folder)],
                                     cwd=self.folder, env=self.display.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        handled, shots, failures = 0, {}, []
        deadline = time.time() + 180
        finished = False
        while time.time() < deadline and not finished:
            lines = []
            if os.path.exists(steps_path):
                with open(steps_path) as f:
                    lines = [line.split() for line in f.read().split("\n")[:-1]]  # whole lines only
            for words in lines[handled:]:
                handled += 1
                if words[0] == "end":
                    finished = True
                    break
                if words[0] == "fail":
                    failures.append(" ".join(words[1:]))
                    continue
                step, scheme = words[0], int(words[1])
                x, y, row = int(words[2]), int(words[3]), [int(v) for v in words[4:8]]
                time.sleep(0.3)  # let the last paint reach the screen
                shots[(step, scheme)] = (self.screenshot("scheme%d-%s" % (scheme, step)), row)
                if x or y:
                    self.xdotool("mousemove", str(x), str(y))
                if step == "submenu":
                    time.sleep(0.3)
                    self.xdotool("click", "3")
                open(os.path.join(self.folder, "%s-%d.done" % (step, scheme)), "w").close()
            if self.proc.poll() is not None and not finished:
                break
            time.sleep(0.1)
        if not finished:
            self.screenshot("menu-stalled")
        self.assertTrue(finished, "menudemo did not finish; steps: %s" % shots.keys())
        self.assertEqual(self.proc.wait(30), 0, "menudemo checks failed: %s" % failures)
        self.assertEqual(failures, [])

        for scheme in range(4):
            for step in ("open", "highlight", "after", "submenu", "rightclick"):
                self.assertIn((step, scheme), shots)
            # Near the bottom right of the new row: new-item colours before, the
            # highlight while under the mouse, and no longer the highlight after.
            shot, row = shots[("open", scheme)]
            self.assertGreater(row[2] - row[0], 200, "the new row is too narrow: %s" % row)
            x, y = row[2] - 30, row[3] - 8
            self.assertNear(self.pixel(shot, x, y), rgb(NEW1[scheme]), "new row, scheme %d" % scheme)
            shot, _ = shots[("highlight", scheme)]
            self.assertNear(self.pixel(shot, x, y), rgb(HIGHLIGHT1[scheme]), "highlighted row, scheme %d" % scheme)
            shot, _ = shots[("after", scheme)]
            self.assertNotEqual(self.pixel(shot, x, y), rgb(HIGHLIGHT1[scheme]))


if __name__ == "__main__":
    unittest.main()
