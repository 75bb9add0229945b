"""Resizing the terminal while a program waits. Right after each resize,
before any key, the screen must show exactly the window onto the console's
buffer: every cell the program wrote, as written, every other cell blank,
nothing left over from the terminal's own reflow, the cursor where the
console's is. Cells hidden by a shrink come back when the terminal grows."""

import unittest

import screens
from console_model import Console
from session import Session, program_path
from test_colorviewer import Viewer
from tmux import TERM, TERM_WITHOUT_BCE

# Sizes one after another, each waited for; the last sequence is sent at
# once, as a user dragging a window corner does. A grow keeps the cursor's
# distance from the bottom, so where the window ends does not depend on
# which of the quick resizes the program saw.
RESIZES = {
    "shrink then grow": [(60, 20), (80, 25)],
    "grow, then shrink below the text": [(100, 40), (40, 12), (80, 25)],
}
QUICK = [(70, 22), (90, 35), (50, 15), (80, 25)]
TERMS = (TERM, TERM_WITHOUT_BCE)


def resize(session, con, width, height):
    session.pane.resize(width, height)
    con.resize(width, height)


class ResizeWhileWaiting(unittest.TestCase):
    def check_resizes(self, session, con, what):
        for name, sizes in RESIZES.items():
            for width, height in sizes:
                resize(session, con, width, height)
                session.pane.wait_for_screen(con.rows, con.cursor(),
                                             what=f"{what} after {name} to {width}x{height}")
        for width, height in QUICK:
            resize(session, con, width, height)
        session.pane.wait_for_screen(con.rows, con.cursor(), what=f"{what} after quick resizes")

    def test_chart_waiting_for_its_key(self):
        for term in TERMS:
            with self.subTest(term=term):
                con = Console(80, 25)
                con.shell_lines(*(str(n) for n in range(1, 31)))
                screens.chart(con)
                with Session(program_path("colorchart"), 80, 25, preface="seq 30",
                             term=term) as s:
                    s.pane.wait_for_screen(con.rows, con.cursor(), what="the chart")
                    self.check_resizes(s, con, "the chart")
                    s.pane.keys("q")
                    self.assertEqual(s.status(), 0)

    def test_viewer_in_the_line_editor_and_at_its_closing_key(self):
        for term in TERMS:
            with self.subTest(term=term), Session(program_path("colorviewer"), 80, 25,
                                                  term=term) as s:
                v = Viewer(s, 80, 25)
                v.start_cycle("the first screen")
                # Half an entry typed: the echo goes on where it stood.
                v.send(["1"])
                v.con.write("1")
                v.expect("the first digit")
                self.check_resizes(s, v.con, "the foreground prompt")
                v.send(["2", "Enter"])
                v.con.type_line(["2", "Enter"])
                screens.viewer_name(v.con, v.prompt_row, 12)
                v.prompt_row = screens.viewer_prompt(v.con, screens.BACKGROUND_PROMPT)
                v.expect("the name of 12 and the background prompt")
                self.assertTrue(v.enter(["1", "Enter"], 1))
                screens.viewer_demonstration(v.con, 12, 1)
                v.expect("the demonstration")
                self.check_resizes(s, v.con, "the demonstration")
                v.send(["Escape"])
                self.assertEqual(s.status(), 0)


if __name__ == "__main__":
    unittest.main()
