"""The program starts under Wine and comes up (or ends cleanly with code 0)."""
import subprocess

from orvwine import OrvWineTest


class Smoke(OrvWineTest):
    def test_starts(self):
        self.write_settings(language=1)
        self.start_orv()
        try:
            self.assertEqual(self.wait_exit(timeout=20), 0)
        except subprocess.TimeoutExpired:
            # Still running: its main window must exist (hidden until the tray opens it).
            self.wait_for_window(cls="ORV", only_visible=False, timeout=5)
