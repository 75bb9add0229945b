"""The terminal as the programs leave it: after signals, hang-ups, stop and
continue, with no screen to write to, and with no terminal at all."""

import os
import shlex
import signal
import subprocess
import time
import unittest
from types import SimpleNamespace

import screens
from console_model import Console
from session import END_MARK, Session, process_ended, program_path
from cells import plain_text
from test_colorviewer import Viewer, start_viewer
from tmux import POLL_SECONDS, WAIT_SECONDS, Pane


def chart_screen(width, height):
    con = Console(width, height)
    screens.chart(con)
    return con


def pane_stty(pane):
    """The pane's terminal modes, read from outside while the program runs."""
    tty = pane.info("pane_tty")
    result = subprocess.run(["stty", "-g", "-F", tty], capture_output=True, text=True, timeout=10)
    return result.stdout.strip()


def process_state(pid):
    with open(f"/proc/{pid}/stat", encoding="ascii") as f:
        return f.read().rsplit(")", 1)[1].split()[0]


def wait_for_state(pid, wanted, timeout=WAIT_SECONDS):
    deadline = time.monotonic() + timeout
    while process_state(pid) not in wanted:
        if time.monotonic() > deadline:
            return False
        time.sleep(POLL_SECONDS)
    return True


def end_mark_cells(session):
    """The cells of the end mark the shell printed after the program."""
    for row in session.pane.screen():
        text = "".join(c.ch for c in row)
        at = text.find(END_MARK)
        if at >= 0:
            return row[at:at + len(END_MARK)]
    return None


def started(program, width=80, height=25):
    """A session with `program` drawn and waiting for a key."""
    if program == "colorviewer":
        s, v = start_viewer(width, height)
        v.start_cycle("the first screen")
        return s
    s = Session(program_path(program), width, height)
    con = chart_screen(width, height)
    s.pane.wait_for_screen(con.rows, con.cursor(), what="the chart")
    return s


class EndedBySignal(unittest.TestCase):
    # SIGTERM, SIGHUP as a closing terminal would send it, and the signals of
    # a crash end either program promptly, not as a success, with the
    # terminal as it was found: modes, cursor shown, colours reset.
    def test_terminal_restored_after_signal(self):
        for program in ("colorviewer", "colorchart"):
            for sig in (signal.SIGTERM, signal.SIGHUP, signal.SIGSEGV, signal.SIGABRT):
                with self.subTest(program=program, signal=sig.name), started(program) as s:
                    os.kill(s.pid(), sig)
                    self.assertNotEqual(s.status(), 0, "a killed program reported success")
                    self.assertEqual(s.modes_after(), s.modes_before(), "stty modes changed")
                    s.pane.wait_until(lambda: end_mark_cells(s) is not None, "the end mark")
                    self.assertEqual(s.pane.modes(), s.pane.fresh_modes(), "terminal modes changed")
                    for cell in end_mark_cells(s):
                        self.assertEqual((cell.fg, cell.bg, cell.flags), (None, None, frozenset()),
                                         "colours not reset for the shell")

    def test_program_ends_when_the_terminal_goes_away(self):
        for program in ("colorviewer", "colorchart"):
            with self.subTest(program=program):
                s = started(program)
                pid = s.pid()
                s.close()
                self.assertTrue(process_ended(pid), f"{program} still running without a terminal")


class StopAndContinue(unittest.TestCase):
    # Stopping needs a job-control shell: in a process group without one
    # (orphaned), the kernel discards a stop signal's default action. So the
    # program runs from an interactive shell, is stopped from outside as
    # `kill -TSTP` would, and is brought back with `fg`.
    def test_stop_restores_the_terminal_and_continue_takes_it_back(self):
        pane = Pane(f"env PS1={shlex.quote('$ ')} sh -i", 80, 25)
        with pane:
            pane.wait_until(lambda: "$" in plain_text(pane.screen()), "the shell prompt")
            original = pane_stty(pane)
            pane.type(program_path("colorviewer"))
            pane.keys("Enter")
            v = Viewer(SimpleNamespace(pane=pane), 80, 25)
            v.start_cycle("the first screen")
            pid = only_child(int(pane.info("pane_pid")))
            running = pane_stty(pane)
            self.assertNotEqual(running, original, "keys are read with the terminal's own modes")

            os.kill(pid, signal.SIGTSTP)
            self.assertTrue(wait_for_state(pid, "T"), "SIGTSTP did not stop the program")
            self.assertEqual(pane_stty(pane), original, "modes not restored while stopped")
            self.assertEqual(pane.info("cursor_flag"), "1", "cursor hidden while stopped")
            # Something else draws on the terminal meanwhile; on continuing the
            # program repaints its screen and takes the keys again.
            pane.wait_until(lambda: "$" in plain_text(pane.screen()[11:]), "the shell prompt")
            with open(pane.info("pane_tty"), "w", encoding="utf-8") as tty:
                tty.write("\x1b[2;1Hscribbled over\x1b[14;1H")
            pane.wait_until(lambda: "scribbled" in plain_text(pane.screen()), "the scribble")
            pane.type("fg")
            pane.keys("Enter")
            self.assertTrue(wait_for_state(pid, "SR"), "fg did not resume the program")
            v.expect("the screen repainted after continuing")
            self.assertEqual(pane_stty(pane), running, "modes not set again after continuing")
            self.assertTrue(v.cycle(["3", "Enter"], 3, ["5", "Enter"], 5))
            v.send(["Escape"])
            self.assertTrue(process_ended(pid), "Esc did not end the program")
            self.assertEqual(pane_stty(pane), original)


def only_child(pid):
    with open(f"/proc/{pid}/task/{pid}/children", encoding="ascii") as f:
        children = f.read().split()
    if len(children) != 1:
        raise AssertionError(f"expected one program under the shell, found {children}")
    return int(children[0])


class NoScreen(unittest.TestCase):
    # Standard output and standard error both away from the terminal: keys
    # still come from the terminal, the output goes nowhere, nothing hangs.
    REDIRECT = '</dev/null >"$D/stdout" 2>"$D/stderr"'

    def run_blind(self, program, keys):
        with Session(program_path(program), 80, 25, redirections=self.REDIRECT) as s:
            # Keys typed before the program takes the terminal would meet the
            # shell's line discipline (Enter as line feed), so wait for it.
            before = s.modes_before()
            s.pane.wait_until(lambda: pane_stty(s.pane) != before, "the program reading keys")
            for key in keys:
                s.pane.keys(key)
            self.assertEqual(s.status(), 0)
            self.assertEqual(s.read("stdout"), "")
            self.assertEqual(s.read("stderr"), "")
            self.assertEqual(s.modes_after(), s.modes_before())

    def test_programs_run_without_a_screen(self):
        self.run_blind("colorchart", ["x"])
        self.run_blind("colorviewer", ["4", "Enter", "2", "Enter", "Escape"])


class NoTerminal(unittest.TestCase):
    # Without a controlling terminal there is no keyboard: the program does not
    # start, says so in one line and ends with 255 at once.
    def test_exit_255_with_one_line_on_stderr(self):
        for program in ("colorviewer", "colorchart"):
            with self.subTest(program=program):
                try:
                    result = subprocess.run([program_path(program)], stdin=subprocess.DEVNULL,
                                            capture_output=True, start_new_session=True,
                                            timeout=WAIT_SECONDS)
                except subprocess.TimeoutExpired:
                    self.fail(f"{program} hung without a terminal")
                self.assertEqual(result.returncode, 255)
                self.assertEqual(result.stdout, b"")
                lines = result.stderr.decode("utf-8", "replace").splitlines()
                self.assertEqual(len(lines), 1, f"stderr: {result.stderr!r}")
                self.assertTrue(lines[0].strip(), "the line on stderr is empty")


if __name__ == "__main__":
    unittest.main()
