"""colorchart.exe and colorviewer.exe under wine in a real terminal: the
screens cell by cell against the console model, the closing keys, the exit
code. What wine's console does differently from Windows is listed in
wine_session.py; the tests below say where it matters."""

import unittest

import screens
from console_model import Console
from test_colorviewer import KEY_NAMES, Viewer
from session import process_ended
from wine_session import kill_program, wait_for_screen, wine_session


def expected_chart(width, height):
    con = Console(width, height, buffer_rows=height)
    screens.chart(con)
    return con


class WineChart(unittest.TestCase):
    def test_chart_on_a_tall_and_on_a_scrolling_screen(self):
        # 50 rows hold the whole chart; on 25 rows the console scrolls the
        # whole buffer up, one row at a time, as the chart goes on.
        for width, height in ((80, 50), (80, 25)):
            with self.subTest(size=(width, height)):
                con = expected_chart(width, height)
                with wine_session("colorchart", width, height) as s:
                    wait_for_screen(s.pane, con.rows, con.cursor(), what="the chart")
                    self.assertTrue(s.still_running(), "colorchart ended before a key")
                    s.pane.keys("a")
                    self.assertEqual(s.status(), 0)

    def test_closing_keys_end_it_with_exit_code_0(self):
        # Esc reaches the program as U+0000 under wine, still a key; an
        # extended key and Alt with a letter end it too.
        con = expected_chart(80, 50)
        for key in ("Escape", "Enter", "F1", "M-x"):
            with self.subTest(key=key), wine_session("colorchart", 80, 50) as s:
                wait_for_screen(s.pane, con.rows, con.cursor(), what="the chart")
                s.pane.keys(key)
                self.assertEqual(s.status(), 0)

    def test_ctrl_c_is_swallowed_by_the_control_handler(self):
        # Under wine, Ctrl+C in a terminal is the terminal's SIGINT to the
        # whole foreground process group, which wine turns into a control
        # event (Windows would deliver a key, processed input being off).
        # Without the runtime's handler reporting it handled, wine would end
        # the program; with it, the chart stays and the next key ends it.
        # The pane's shell gets the SIGINT too and ends with the program, so
        # the exit code cannot be read back here.
        con = expected_chart(80, 50)
        with wine_session("colorchart", 80, 50) as s:
            wait_for_screen(s.pane, con.rows, con.cursor(), what="the chart")
            pid = s.pid()
            s.pane.keys("C-c")
            self.assertFalse(process_ended(pid, timeout=1.5), "Ctrl+C ended colorchart")
            wait_for_screen(s.pane, con.rows, con.cursor(), what="the chart after Ctrl+C")
            s.pane.keys("z")
            self.assertTrue(process_ended(pid), "colorchart did not end on a key after Ctrl+C")


    def test_stdout_redirected_to_a_file(self):
        # The screen is drawn through standard error, the console; the file
        # stays empty.
        con = expected_chart(80, 50)
        with wine_session("colorchart", 80, 50, redirections='>"$D/stdout"') as s:
            wait_for_screen(s.pane, con.rows, con.cursor(), what="the chart")
            s.pane.keys("x")
            self.assertEqual(s.status(), 0)
            self.assertEqual(s.read("stdout"), "")


class WineViewer(Viewer):
    # wine's console in a terminal has a buffer the size of the screen.
    tall_buffer = False

    def expect(self, what):
        wait_for_screen(self.s.pane, self.con.rows, self.con.cursor(), what=what)

    def send(self, keys):
        # Literal text after "--", so that an entry such as -1 is not read
        # as an option of send-keys.
        for key in keys:
            if key in KEY_NAMES:
                self.s.pane.keys(key)
            else:
                self.s.pane.tmux("send-keys", "-t", "e2e", "-l", "--", key)


def start_viewer(width=80, height=25, redirections=""):
    s = wine_session("colorviewer", width, height, redirections)
    # The header written before the first cycle is cleared by that cycle at
    # once, so the screens start with the first cycle.
    return s, WineViewer(s, width, height)


# Foreground keys and outcome, background keys and outcome, and the key that
# starts the next cycle. Esc is "any other key" under wine (see above).
CYCLES = [
    (["1", "Enter"], 1, ["4", "Enter"], 4, ["x"]),
    # (Not light grey on a coloured background: see wine_session.py.)
    ([" 6 ", "Enter"], 6, ['"12', "Enter"], 12, ["Escape"]),
    (["Enter"], 0, ["1", "x", "BSpace", "5", "Enter"], 15, ["Up"]),
    (["1", "Tab", "Left", "5", "Escape", "Enter"], 15, ["15", "Enter"], 15, ["F1"]),
    (["1a", "Enter"], "digits", None, None, ["Escape"]),
    (["-1", "Enter"], "digits", None, None, ["z"]),
    (["5", "Enter"], 5, ["16", "Enter"], "range", ["z"]),
    (["9" * 20, "Enter"], "range", None, None, ["z"]),
    (["0" * 60 + "14", "Enter"], 14, ["9", "Enter"], 9, ["z"]),
]


class WineViewerCycles(unittest.TestCase):
    def test_cycles_with_accepted_and_failed_entries(self):
        s, v = start_viewer()
        with s:
            v.start_cycle("the first screen")
            for fg_keys, fg, bg_keys, bg, closing in CYCLES:
                v.cycle(fg_keys, fg, bg_keys, bg)
                self.assertTrue(s.still_running(), f"ended after {fg_keys} {bg_keys}")
                v.send(closing)
                v.start_cycle(f"a new cycle after {fg_keys} {bg_keys} and the key {closing}")
            self.assertTrue(v.cycle(["2", "Enter"], 2, ["14", "Enter"], 14))
            # Under wine Esc is U+0000, not U+001B: a new cycle, not the end.
            v.send(["Escape"])
            v.start_cycle("a new cycle after Esc, which wine reports as U+0000")
            self.assertTrue(s.still_running())
            kill_program(s)

    def test_larger_and_smaller_screens(self):
        for width, height in ((132, 43), (80, 16)):
            with self.subTest(size=(width, height)):
                s, v = start_viewer(width, height)
                with s:
                    v.start_cycle("the first screen")
                    self.assertTrue(v.cycle(["3", "Enter"], 3, ["12", "Enter"], 12))
                    kill_program(s)

    def test_stdout_redirected_to_a_file(self):
        s, v = start_viewer(redirections='>"$D/stdout"')
        with s:
            v.start_cycle("the first screen")
            self.assertTrue(v.cycle(["6", "Enter"], 6, ["1", "Enter"], 1))
            kill_program(s)
            self.assertEqual(s.read("stdout"), "")


if __name__ == "__main__":
    unittest.main()
