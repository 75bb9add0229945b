"""The Windows programs under wine in a tmux pane, on the end-to-end harness
of tests/e2e (private tmux server, captures parsed into cells, the console
model that replays the programs' screens).

What wine's console does differently from a Windows console, and how the
tests deal with it:

- Wine draws its console on the terminal from the terminal's top row down and
  assumes it starts on an empty screen: output printed before the program
  would be mixed with the console's rows. Each run therefore starts on a
  cleared terminal with the cursor at the top, which is also how a new
  Windows console starts.
- Wine draws the console's default colours, light grey (7) on black (0), in
  the terminal's default colours; a foreground of 7 or a background of 0 may
  show either way. The comparison counts both as the same colour.
- In a terminal, wine reports Esc as character U+0000 with scan code 1, which
  the runtime turns into the key text U+0000: Esc is then "any other key" and
  cannot end colorviewer. The tests press Esc where any key is wanted and end
  the viewer by killing it.
- Wine's terminal drawing misses one colour change: from light grey (7) on a
  coloured background to light grey on black it leaves the old background on
  the terminal (the console's cells are right; only the drawing is stale).
  The tests avoid that pair of colours.
- Wine's console reads its keys from the program's standard input when that
  is the terminal; with standard input redirected no key reaches the console
  input device, where Windows still delivers keys through "CONIN$". Only
  standard output is redirected in the tests.
- In a terminal, Ctrl+C under wine is the terminal's SIGINT to the whole
  foreground process group, which wine turns into a control event, even
  with the console's processed input switched off, where Windows delivers
  Ctrl+C as a key. The runtime's control handler reports it handled, so the
  program goes on; the shell around it gets the SIGINT as well.
"""

import os
import shlex
import signal
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))

from cells import UNREPORTED, Cell, Expect, cell_difference  # noqa: E402
from session import Session  # noqa: E402
from tmux import WAIT_SECONDS  # noqa: E402

# Cleared terminal, cursor at the top: where a new console starts.
CLEAR_SCREEN = r"printf '\033[H\033[2J'"


def build_dir():
    return os.path.join(REPO, os.environ.get("WINDOWS_BUILD_DIR", "build-windows"))


def program_exe(name):
    return os.path.join(build_dir(), "bin", name + ".exe")


def wine_prefix():
    return os.environ.get("WINEPREFIX") or os.path.join(build_dir(), "wine")


class Launchers:
    """One small script per program that starts it under wine: the harness
    runs a single program path without arguments."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="wine-e2e-")

    def path(self, name):
        script = os.path.join(self.dir, name)
        if not os.path.exists(script):
            with open(script, "w", encoding="utf-8") as f:
                f.write("#!/bin/sh\nexec {} --prefix {} {}\n".format(
                    shlex.quote(os.path.join(HERE, "wine-run")), shlex.quote(wine_prefix()),
                    shlex.quote(program_exe(name))))
            os.chmod(script, 0o755)
        return script

    def close(self):
        for name in os.listdir(self.dir):
            os.unlink(os.path.join(self.dir, name))
        os.rmdir(self.dir)


LAUNCHERS = Launchers()


def wine_session(name, width, height, redirections=""):
    return Session(LAUNCHERS.path(name), width, height, preface=CLEAR_SCREEN,
                   redirections=redirections)


def as_console_default(cell):
    """A reported cell with the terminal's default colours read as wine means
    them: the console's light grey on black."""
    if not cell.reported:
        return cell
    return Cell(cell.ch, 7 if cell.fg is None else cell.fg, 0 if cell.bg is None else cell.bg,
                cell.flags, cell.reported)


def wine_difference(expected, actual):
    # A cell the program never wrote holds the console's default attribute.
    attr = 7 if expected.attr is None else expected.attr
    return cell_difference(Expect(expected.ch, attr), as_console_default(actual))


def wait_for_screen(pane, expected, cursor=None, timeout=WAIT_SECONDS, what="screen"):
    """Polls until the pane shows `expected` under wine's colour rules and,
    if given, the cursor at (row, column); fails with the last capture."""
    return pane.wait_for_screen(expected, cursor, timeout, what, difference=wine_difference)


def kill_program(session):
    """Ends the program the hard way, as closing its console would."""
    try:
        os.kill(session.pid(), signal.SIGKILL)
    except ProcessLookupError:
        pass


__all__ = ["UNREPORTED", "CLEAR_SCREEN", "LAUNCHERS", "kill_program", "wait_for_screen",
           "wine_compare", "wine_session"]
