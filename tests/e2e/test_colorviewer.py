"""colorviewer in a real terminal: cycles with accepted and failed entries,
closing keys, Esc, redirected standard streams."""

import subprocess
import unittest

import screens
from console_model import Console
from session import END_MARK, Session, program_path

# tmux key names; anything else in a key list is typed literally.
KEY_NAMES = {"Enter", "BSpace", "Escape", "Tab", "Up", "Left", "F1", "F12", "C-c", "Space"}

class Viewer:
    """Drives colorviewer in a pane and the console model side by side; after
    every step the pane must show what the model shows."""

    # A tall buffer behind the terminal's screen, as our terminal console has.
    tall_buffer = True

    def __init__(self, session, width, height):
        self.s = session
        self.con = self.console(width, height)

    def console(self, width, height):
        return Console(width, height) if self.tall_buffer else Console(width, height,
                                                                       buffer_rows=height)

    def expect(self, what):
        self.s.pane.wait_for_screen(self.con.rows, self.con.cursor(), what=what)

    def send(self, keys):
        for key in keys:
            if key in KEY_NAMES:
                self.s.pane.keys(key)
            else:
                self.s.pane.type(key)

    def start_cycle(self, what):
        screens.viewer_table(self.con)
        self.prompt_row = screens.viewer_prompt(self.con, screens.FOREGROUND_PROMPT)
        self.expect(what)
        self.assertion(self.s.pane.info("cursor_flag") == "1", "cursor hidden at the prompt")

    def assertion(self, ok, message):
        if not ok:
            raise AssertionError(message)

    def enter(self, keys, outcome, next_prompt=None):
        """Types `keys` (ending in Enter) at the current prompt. `outcome` is
        the accepted value, or "digits" / "range" for the two messages."""
        self.send(keys)
        typed = [ch for key in keys for ch in ([key] if key in KEY_NAMES else key)]
        self.con.type_line(typed)
        if outcome == "digits":
            screens.viewer_failure(self.con, screens.ONLY_DIGITS)
            self.expect(f"'Only number characters.' after {keys}")
            return False
        if outcome == "range":
            screens.viewer_failure(self.con, screens.OUT_OF_RANGE)
            self.expect(f"the range message after {keys}")
            return False
        screens.viewer_name(self.con, self.prompt_row, outcome)
        if next_prompt:
            self.prompt_row = screens.viewer_prompt(self.con, next_prompt)
        return True

    def cycle(self, fg_keys, fg, bg_keys=None, bg=None):
        """One cycle from a shown foreground prompt; gives whether it reached
        the demonstration area."""
        if not self.enter(fg_keys, fg, screens.BACKGROUND_PROMPT):
            return False
        self.expect(f"the colour name of {fg} and the background prompt")
        if not self.enter(bg_keys, bg):
            return False
        screens.viewer_demonstration(self.con, fg, bg)
        self.expect(f"the demonstration of {fg} on {bg}")
        return True


def pty_size(pane):
    """The size of the pane's pseudo-terminal as "rows columns"."""
    result = subprocess.run(["stty", "size", "-F", pane.info("pane_tty")], capture_output=True,
                            text=True, timeout=10)
    return result.stdout.strip()


def start_viewer(width=80, height=25, redirections=""):
    # The header the program writes before its first cycle is cleared at once
    # by that cycle, so the screens start with the first cycle.
    s = Session(program_path("colorviewer"), width, height, redirections=redirections)
    return s, Viewer(s, width, height)


# Each cycle: foreground keys and outcome, background keys and outcome, and
# the key pressed at the end (the closing key, or the key after a message).
CYCLES = [
    (["1", "Enter"], 1, ["4", "Enter"], 4, ["x"]),
    # spaces around a digit, a quoted value without closing quote
    ([" 7 ", "Enter"], 7, ['"12', "Enter"], 12, ["Enter"]),
    # leading zeros; only the first field counts
    (["007", "Enter"], 7, ["7,abc", "Enter"], 7, ["Space"]),
    # an empty entry is 0; Backspace edits the line
    (["Enter"], 0, ["1", "x", "BSpace", "5", "Enter"], 15, ["Up"]),
    # Tab, Esc and arrows typed while editing add nothing
    (["1", "Tab", "Left", "5", "Escape", "Enter"], 15, ["15", "Enter"], 15, ["F1"]),
    # the four kinds of failure; Esc at "Any key to retry." starts a cycle too
    (["1a", "Enter"], "digits", None, None, ["Escape"]),
    (["1 2", "Enter"], "digits", None, None, ["z"]),
    (["-1", "Enter"], "digits", None, None, ["z"]),
    (["5", "Enter"], 5, ["16", "Enter"], "range", ["z"]),
    (["9" * 20, "Enter"], "range", None, None, ["z"]),
    # typed text is decoded from UTF-8; a wide character takes one cell
    (["1\u00e9", "Enter"], "digits", None, None, ["z"]),
    (["1\u4e2d2", "Enter"], "digits", None, None, ["z"]),
    # an entry long enough to wrap onto the next row is still accepted
    (["0" * 60 + "14", "Enter"], 14, ["9", "Enter"], 9, ["z"]),
    # Ctrl+C is a key like any other at the closing prompt
    (["0", "Enter"], 0, ["0", "Enter"], 0, ["C-c"]),
]


class ViewerCycles(unittest.TestCase):
    def test_cycles_with_accepted_and_failed_entries_then_esc(self):
        s, v = start_viewer()
        with s:
            v.start_cycle("the first screen")
            # One session for all cycles: each cycle redraws over the last.
            for fg_keys, fg, bg_keys, bg, closing in CYCLES:
                v.cycle(fg_keys, fg, bg_keys, bg)
                self.assertTrue(s.still_running(), f"ended after {fg_keys} {bg_keys}")
                v.send(closing)
                v.start_cycle(f"a new cycle after {fg_keys} {bg_keys} and the key {closing}")
            self.assertTrue(v.cycle(["2", "Enter"], 2, ["14", "Enter"], 14))
            v.send(["Escape"])
            self.assertEqual(s.status(), 0)
            # The screen stays as the program left it; the shell goes on below
            # in its own colours.
            v.con.shell_write(END_MARK)
            v.expect("the last screen after Esc")
            self.assertEqual(s.modes_after(), s.modes_before(), "stty modes changed")
            self.assertEqual(s.pane.modes(), s.pane.fresh_modes(), "terminal modes changed")

    def test_larger_and_smaller_screens(self):
        # Sizes are read from the terminal: a wide and tall pane keeps the
        # layout; a short one scrolls as the console does.
        for width, height in ((132, 43), (80, 16)):
            with self.subTest(size=(width, height)):
                s, v = start_viewer(width, height)
                with s:
                    v.start_cycle("the first screen")
                    self.assertTrue(v.cycle(["3", "Enter"], 3, ["12", "Enter"], 12))
                    v.send(["Escape"])
                    self.assertEqual(s.status(), 0)


    def test_a_resized_terminal_is_used_from_the_next_cycle(self):
        # Sizes are asked of the terminal at every question: after a resize
        # the next cycle clears and lays out the new size (at 60 columns the
        # instructions and separators wrap).
        s, v = start_viewer(80, 25)
        with s:
            v.start_cycle("the first screen")
            self.assertTrue(v.cycle(["1", "Enter"], 1, ["2", "Enter"], 2))
            for width, height in ((60, 25), (100, 30)):
                s.pane.tmux("resize-window", "-t", "e2e", "-x", str(width), "-y", str(height))
                # tmux reports the new pane size before it resizes the
                # pseudo-terminal; the program can only see the latter.
                s.pane.wait_until(lambda: pty_size(s.pane) == f"{height} {width}", "the resize")
                s.pane.width, s.pane.height = width, height
                v.con = v.console(width, height)
                v.send(["x"])
                v.start_cycle(f"a cycle at {width}x{height}")
                self.assertTrue(v.cycle(["9", "Enter"], 9, ["14", "Enter"], 14))
            v.send(["Escape"])
            self.assertEqual(s.status(), 0)


class ViewerRedirected(unittest.TestCase):
    def test_stdin_from_dev_null_and_stdout_to_a_file(self):
        s, v = start_viewer(redirections='</dev/null >"$D/stdout"')
        with s:
            v.start_cycle("the first screen")
            self.assertTrue(v.cycle(["6", "Enter"], 6, ["1", "Enter"], 1))
            v.send(["Escape"])
            self.assertEqual(s.status(), 0)
            self.assertEqual(s.read("stdout"), "")
            self.assertEqual(s.modes_after(), s.modes_before())


if __name__ == "__main__":
    unittest.main()
