"""Both programs when the terminal misbehaves: it stops reading, answers the
cursor request late and in pieces, pastes megabytes, sends strings of its
own, resizes twice between two looks; and when the process is signalled or
started with signals blocked. Bounds are generous: they catch a hang or a
runaway, not a slow machine."""

import signal
import time
import unittest

from pty_terminal import RESET, Terminal, program_path, wait_until

CHART_DRAWN = "Any key to close."
VIEWER_PROMPT = "Foreground color's value:"
SECOND_PROMPT = "Background color's value:"
CHART_LABELS = ("black on white", "light blue on bright white", "purple on gray",
                "yellow on bright white")


class WhenThingsGoWrong(unittest.TestCase):
    def start(self, program, **options):
        terminal = Terminal(program_path(program), **options)
        self.addCleanup(terminal.close)
        return terminal

    def assert_ends(self, terminal, status, seconds=2):
        started = time.monotonic()
        self.assertEqual(terminal.wait_exit(seconds), status, terminal.text()[-400:])
        self.assertTrue(terminal.modes_restored(), "terminal modes not restored")
        return time.monotonic() - started

    def test_a_stalled_terminal_never_holds_off_the_end(self):
        # Stalled before the program's first write, or while it repaints
        # after a resize.
        for stalled_at_start in (True, False):
            for number in (signal.SIGTERM, signal.SIGHUP):
                with self.subTest(stalled_at_start=stalled_at_start, signal=number.name):
                    terminal = self.start("colorchart", stalled=stalled_at_start)
                    if not stalled_at_start:
                        self.assertTrue(terminal.wait_for(CHART_DRAWN))
                        terminal.stop_reading()
                        terminal.fill_output_buffer()
                        terminal.size(100, 30)
                    time.sleep(0.5)
                    self.assertTrue(terminal.running())
                    terminal.signal(number)
                    self.assert_ends(terminal, -number)

    def test_a_terminal_that_only_pauses_gets_everything(self):
        terminal = self.start("colorchart", stalled=True)
        time.sleep(1)
        terminal.resume_reading()
        self.assertTrue(terminal.wait_for(CHART_DRAWN))
        for label in CHART_LABELS:
            self.assertIn(label, terminal.text())
        terminal.type(b"q")
        self.assert_ends(terminal, 0)

    def test_a_paste_is_read_only_as_keys_are_taken(self):
        # Under `ulimit -v 20000`, as a small container might run it.
        terminal = self.start("colorviewer", memory_limit=20000 << 10)
        self.assertTrue(terminal.wait_for(VIEWER_PROMPT))
        terminal.paste(b"1" * (4 << 20), seconds=3)
        self.assertTrue(terminal.running(), terminal.text()[-400:])
        self.assertLess(terminal.peak_memory_kb(), 20 << 10)

    def test_cursor_reports_never_become_keys(self):
        late_in_pieces = ((0.6, b"\x1b"), (0.7, b"[3;"), (0.8, b"1R"))
        # Keys typed before the report answers are kept.
        typed_first = ((0, b"14\r"), (0.3, b"\x1b[3;1R"))
        for program, report, keys, shown in (
                ("colorchart", late_in_pieces, b"", CHART_DRAWN),
                ("colorviewer", late_in_pieces, b"7\r", SECOND_PROMPT),
                ("colorviewer", typed_first, b"", SECOND_PROMPT)):
            with self.subTest(program=program, report=report):
                terminal = self.start(program, report=report)
                time.sleep(1.2)
                self.assertTrue(terminal.running(), "a report piece ended the program")
                terminal.type(keys)
                self.assertTrue(terminal.wait_for(shown), terminal.text()[-400:])
                self.assertNotIn("3;1R", terminal.text())

    def test_a_report_answered_at_the_end_is_taken(self):
        terminal = self.start("colorchart", report=((0.5, b"q"), (0.8, b"\x1b[25;1R")))
        self.assertEqual(terminal.wait_exit(3), 0)
        time.sleep(0.5)
        # Left for the shell, it would be echoed on its command line.
        self.assertNotIn("[25;1R", terminal.text())
        self.assertEqual(terminal.unread_input(), 0)

    def test_every_signal_that_ends_the_program_restores_the_terminal(self):
        for number in (signal.SIGUSR1, signal.SIGUSR2, signal.SIGALRM, signal.SIGVTALRM,
                       signal.SIGPROF, signal.SIGXCPU, signal.SIGXFSZ, signal.SIGRTMIN):
            with self.subTest(signal=signal.Signals(number).name):
                terminal = self.start("colorchart")
                self.assertTrue(terminal.wait_for(CHART_DRAWN))
                terminal.signal(number)
                self.assert_ends(terminal, -number)
                self.assertTrue(wait_until(lambda: terminal.output.endswith(RESET), 2),
                                terminal.output[-40:])

    def test_signals_blocked_by_the_launcher_are_let_through(self):
        terminal = self.start("colorchart", blocked_signals=(signal.SIGTERM, signal.SIGWINCH))
        self.assertTrue(terminal.wait_for(CHART_DRAWN))
        drawn = terminal.text().count(CHART_DRAWN)
        terminal.size(60, 20)
        self.assertTrue(wait_until(lambda: terminal.text().count(CHART_DRAWN) > drawn, 3),
                        "the resize was not seen")
        terminal.signal(signal.SIGTERM)
        self.assert_ends(terminal, -signal.SIGTERM)

    def test_a_shrink_and_grow_back_between_two_looks_repaints(self):
        terminal = self.start("colorchart")
        self.assertTrue(terminal.wait_for(CHART_DRAWN))
        for _ in range(3):
            drawn = terminal.text().count(CHART_DRAWN)
            terminal.size(40, 10)
            terminal.size(80, 25)
            self.assertTrue(wait_until(lambda: terminal.text().count(CHART_DRAWN) > drawn, 3),
                            "no repaint after the resizes")

    def test_strings_from_the_terminal_are_never_keys(self):
        terminal = self.start("colorviewer")
        self.assertTrue(terminal.wait_for(VIEWER_PROMPT))
        terminal.type(b"\x1b]11;rgb:0000/0000/0000\x07" b"\x1bP1$r0m\x1b\\" b"\x1b_Gi=1;OK\x1b\\"
                      b"\x1b^note\x1b\\" b"\x1b[" + b"1" * 300 + b"~")
        terminal.type(b"7\r")
        self.assertTrue(terminal.wait_for(SECOND_PROMPT), terminal.text()[-400:])
        typed = terminal.text().split(VIEWER_PROMPT, 1)[1]
        self.assertNotRegex(typed, "rgb|Gi=|note|111|~")


if __name__ == "__main__":
    unittest.main()
