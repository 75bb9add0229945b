"""colorchart in a real terminal: the chart below earlier shell output, with
and without scrolling, the closing key, and redirected standard streams."""

import shutil
import unittest

import screens
from console_model import Console
from cells import compare, plain_text
from locales import locale_preface
from session import END_MARK, Session, program_path
from tmux import TERM, TERM_WITHOUT_BCE, wait_for_file

SHELL_OUTPUT = ["line one", "line two"]
PREFACE = "printf 'line one\\nline two\\n'"


def started_through_a_script(path):
    with open(path, "rb") as f:
        return f.read(2) == b"#!"


def expected_chart(width, height):
    con = Console(width, height)
    con.shell_lines(*SHELL_OUTPUT)
    screens.chart(con)
    return con


def after_end(con):
    """The shell's end mark printed where the program left the cursor."""
    con.shell_write(END_MARK)
    return con


class ChartScreens(unittest.TestCase):
    def run_chart(self, width, height):
        con = expected_chart(width, height)
        with Session(program_path("colorchart"), width, height, preface=PREFACE) as s:
            s.pane.wait_for_screen(con.rows, con.cursor(), what="the chart")
            self.assertTrue(s.still_running(), "colorchart ended before a key")
            s.pane.keys("Space")
            self.assertEqual(s.status(), 0)
            after_end(con)
            s.pane.wait_for_screen(con.rows, con.cursor(), what="the screen after the end")
            self.assertEqual(s.modes_after(), s.modes_before(), "stty modes changed")
            self.assertEqual(s.pane.modes(), s.pane.fresh_modes(), "terminal modes changed")
            return s.pane.history(), con.history

    def test_chart_below_shell_output_on_a_tall_screen(self):
        history, expected = self.run_chart(80, 50)
        self.assertEqual(history, [])
        self.assertEqual(expected, [])

    def test_chart_scrolls_on_a_short_screen_into_the_scrollback(self):
        history, expected = self.run_chart(80, 25)
        # Every row that scrolled off the top, shell output included, is in
        # the terminal's scrollback, in order, with its colours.
        self.assertEqual(len(history), len(expected),
                         "scrollback: " + "\n".join("".join(c.ch for c in r) for r in history))
        self.assertEqual(compare(expected, history), [])

    def test_chart_below_a_screenful_of_shell_history(self):
        # The terminal is a window onto the console's tall buffer: however low
        # the chart starts, each right label stays on its left partner's row,
        # and the rows that leave the top go to the scrollback. With and
        # without back-colour erase, at two heights.
        for height in (25, 45):
            for term in (TERM, TERM_WITHOUT_BCE):
                with self.subTest(height=height, term=term):
                    con = Console(80, height)
                    con.shell_lines(*(str(n) for n in range(1, 31)))
                    screens.chart(con)
                    with Session(program_path("colorchart"), 80, height, preface="seq 30",
                                 term=term) as s:
                        s.pane.wait_for_screen(con.rows, con.cursor(), what="the chart")
                        self.assertEqual(compare(con.history, s.pane.history()), [])
                        s.pane.keys("q")
                        self.assertEqual(s.status(), 0)

    def test_chart_starts_where_the_shell_left_the_cursor(self):
        # The cursor is asked of the terminal at start-up: after a prompt
        # without a line end the header begins right behind it.
        con = Console(80, 50)
        con.shell_lines("line one")
        con.shell_write("prompt> ")
        screens.chart(con)
        with Session(program_path("colorchart"), 80, 50,
                     preface="printf 'line one\\nprompt> '") as s:
            s.pane.wait_for_screen(con.rows, con.cursor(), what="the chart after a prompt")
            s.pane.keys("q")
            self.assertEqual(s.status(), 0)

    def test_chart_on_a_narrow_screen_wraps_the_right_bars(self):
        # Narrower than 64 columns: a right entry's 31-cell band continues on
        # the next row; narrower than 34, right entries overwrite left ones.
        for width in (50, 30):
            with self.subTest(width=width):
                con = expected_chart(width, 60)
                with Session(program_path("colorchart"), width, 60, preface=PREFACE) as s:
                    s.pane.wait_for_screen(con.rows, con.cursor(), what=f"chart at {width} columns")
                    s.pane.keys("q")
                    self.assertEqual(s.status(), 0)


    # Locale, launcher, what each middle dot shows as. Every other cell shows
    # as written: the layout stays the same in every locale.
    LOCALE_CASES = [
        # ASCII only: the dot's look-alike.
        ("C", "", "."),
        # The dot is two columns wide in these multibyte locales (or missing).
        ("ja_JP.EUC-JP", "", "."),
        ("zh_CN.GB18030", "", "."),
        # No descriptor left for loading a converter module: the texts are
        # converted by the programs themselves.
        ("C.UTF-8", "prlimit --nofile=4:4", screens.DOT),
        ("ja_JP.EUC-JP", "prlimit --nofile=4:4", "."),
    ]

    def test_texts_are_drawn_for_the_locale_in_one_column_each(self):
        for name, launcher, dot in self.LOCALE_CASES:
            with self.subTest(locale=name, launcher=launcher):
                preface = locale_preface(name)
                if preface is None:
                    self.skipTest(f"locale {name} is not installed and cannot be made here")
                if launcher and shutil.which(launcher.split()[0]) is None:
                    self.skipTest(f"{launcher.split()[0]} is not installed")
                if launcher and started_through_a_script(program_path("colorchart")):
                    # An emulator (the arm64 suite's qemu) needs descriptors
                    # of its own before the program runs at all.
                    self.skipTest("the program is started through a script: the limit binds it too")
                self.check_chart_text(PREFACE + "; " + preface, launcher, dot)

    def check_chart_text(self, preface, launcher, dot):
        con = expected_chart(80, 50)
        with Session(program_path("colorchart"), 80, 50, preface=preface,
                     launcher=launcher) as s:
            s.pane.wait_until(lambda: "Any key to close." in plain_text(s.pane.screen()),
                              "the chart")
            rows = s.pane.screen()
            for r, want in enumerate(con.rows):
                for c, cell in enumerate(want):
                    expected = dot if cell.ch == screens.DOT else cell.ch
                    self.assertEqual(rows[r][c].ch, expected,
                                     f"row {r + 1} col {c + 1}\n" + plain_text(rows))
            s.pane.keys("q")
            self.assertEqual(s.status(), 0)


class ChartClosingKey(unittest.TestCase):
    # Any key but a lone modifier ends the chart with exit code 0; with the
    # terminal as standard input Ctrl+C is a key like the others.
    KEYS = ["Escape", "Enter", "a", "F1", "Up", "C-c", "M-x"]

    def test_any_key_ends_with_exit_code_0(self):
        con = expected_chart(80, 50)
        for key in self.KEYS:
            with self.subTest(key=key), Session(program_path("colorchart"), 80, 50,
                                                preface=PREFACE) as s:
                s.pane.wait_for_screen(con.rows, con.cursor(), what="the chart")
                s.pane.keys(key)
                self.assertEqual(s.status(), 0)
                self.assertEqual(s.modes_after(), s.modes_before())


class ChartRedirected(unittest.TestCase):
    def test_stdin_from_dev_null_and_stdout_to_a_file(self):
        # The keys still come from the terminal and the screen is drawn on it
        # through standard error; the file stays empty. Ctrl+C from the
        # terminal is then a signal the program swallows, not a key.
        con = expected_chart(80, 50)
        with Session(program_path("colorchart"), 80, 50, preface=PREFACE,
                     redirections='</dev/null >"$D/stdout"') as s:
            s.pane.wait_for_screen(con.rows, con.cursor(), what="the chart")
            s.pane.keys("C-c")
            self.assertIsNone(wait_for_file(s.path("status"), timeout=0.5),
                              "Ctrl+C ended the program")
            s.pane.wait_for_screen(con.rows, con.cursor(), what="the chart after Ctrl+C")
            s.pane.keys("x")
            self.assertEqual(s.status(), 0)
            self.assertEqual(s.read("stdout"), "")
            self.assertEqual(s.modes_after(), s.modes_before())


if __name__ == "__main__":
    unittest.main()
