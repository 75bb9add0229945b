"""A private tmux server with one pane of fixed size, driven like a user.

Every server runs on its own socket with no configuration file, a fixed TERM
and locale, so nothing from the user's setup leaks in. Waits poll the pane
with a bound instead of sleeping a fixed time.
"""

import os
import shlex
import subprocess
import time

from cells import cell_difference, compare, expected_text, parse_capture, plain_text

TERM = "tmux-256color"
# A terminal type without back-colour erase: every cell is written, so the
# capture reports the colour of every blank (with tmux's own type, blanks that
# an erase or scroll filled past a line's last written cell go unreported).
TERM_WITHOUT_BCE = "screen-256color"
LOCALE = "C.UTF-8"
POLL_SECONDS = 0.03
WAIT_SECONDS = float(os.environ.get("E2E_WAIT_SECONDS", "10"))


def clean_environment(term=TERM):
    """The environment of the programs under test: only what a terminal session needs."""
    return {
        "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
        "HOME": os.environ.get("HOME", "/"),
        "TERM": term,
        "LANG": LOCALE,
        "LC_ALL": LOCALE,
    }


class Pane:
    """One tmux server on a private socket holding one pane of width x height."""

    counter = 0

    def __init__(self, command, width=80, height=25, term=TERM):
        Pane.counter += 1
        self.socket = f"e2e-{os.getpid()}-{Pane.counter}"
        self.width, self.height = width, height
        env_words = " ".join(f"{k}={shlex.quote(v)}" for k, v in clean_environment(term).items())
        self.tmux("new-session", "-d", "-x", str(width), "-y", str(height), "-s", "e2e",
                  f"env -i {env_words} {command}")
        self.tmux("set-option", "-g", "history-limit", "1000")
        self.socket_path = self.info("socket_path")

    # --- plumbing ---------------------------------------------------------
    def tmux(self, *args, check=True):
        result = subprocess.run(
            ["tmux", "-L", self.socket, "-f", "/dev/null", *args],
            capture_output=True, text=True, env={**clean_environment(), "TMUX": ""},
            timeout=20)
        if check and result.returncode != 0:
            raise RuntimeError(f"tmux {' '.join(args)}: {result.stderr.strip()}")
        return result.stdout

    def close(self):
        self.tmux("kill-server", check=False)
        # The server leaves its socket file behind.
        try:
            os.unlink(self.socket_path)
        except (AttributeError, FileNotFoundError):
            pass

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # --- keys ---------------------------------------------------------------
    def keys(self, *names):
        """Sends tmux key names (Enter, Escape, BSpace, C-c, F1...)."""
        self.tmux("send-keys", "-t", "e2e", *names)

    def type(self, text):
        """Sends text literally, one key per character."""
        self.tmux("send-keys", "-t", "e2e", "-l", "--", text)

    def resize(self, width, height):
        """Resizes the pane as a user resizes the terminal's window."""
        self.tmux("resize-window", "-t", "e2e", "-x", str(width), "-y", str(height))
        self.width, self.height = width, height

    # --- reading ------------------------------------------------------------
    def capture_text(self, start=None, end=None):
        args = ["capture-pane", "-p", "-e", "-N", "-t", "e2e"]
        if start is not None:
            args += ["-S", str(start)]
        if end is not None:
            args += ["-E", str(end)]
        return self.tmux(*args)

    def screen(self):
        return parse_capture(self.capture_text(), self.width, self.height)

    def history(self):
        """The rows in the pane's scrollback, oldest first."""
        size = int(self.info("history_size"))
        if size == 0:
            return []
        return parse_capture(self.capture_text(-size, -1), self.width)

    def info(self, name):
        return self.tmux("display-message", "-p", "-t", "e2e", f"#{{{name}}}").strip()

    def cursor(self):
        """The cursor as 1-based (row, column)."""
        x, y = self.info("cursor_x"), self.info("cursor_y")
        return int(y) + 1, int(x) + 1

    def modes(self):
        """The pane's terminal modes that a program may switch and must give back."""
        names = ["cursor_flag", "keypad_flag", "keypad_cursor_flag", "insert_flag", "wrap_flag",
                 "origin_flag", "mouse_any_flag", "mouse_all_flag", "alternate_on",
                 "scroll_region_upper", "scroll_region_lower"]
        return {name: self.info(name) for name in names}

    def fresh_modes(self):
        """The modes of a fresh pane, which a program must leave as it found them."""
        return {"cursor_flag": "1", "keypad_flag": "0", "keypad_cursor_flag": "0",
                "insert_flag": "0", "wrap_flag": "1", "origin_flag": "0", "mouse_any_flag": "0",
                "mouse_all_flag": "0", "alternate_on": "0", "scroll_region_upper": "0",
                "scroll_region_lower": str(self.height - 1)}

    # --- waiting ------------------------------------------------------------
    def wait_for_screen(self, expected, cursor=None, timeout=WAIT_SECONDS, what="screen",
                        difference=cell_difference):
        """Polls until the pane shows `expected` (rows of Expect, each cell
        judged by `difference`) and, if given, the cursor at (row, column);
        fails with the last capture otherwise."""
        deadline = time.monotonic() + timeout
        while True:
            captured = self.capture_text()
            rows = parse_capture(captured, self.width, self.height)
            problems = compare(expected, rows, difference=difference)
            at = self.cursor()
            if cursor is not None and at != tuple(cursor):
                problems.append(f"cursor at {at}, expected {tuple(cursor)}")
            if not problems:
                return rows
            if time.monotonic() > deadline:
                raise AssertionError(
                    f"{what} not shown within {timeout}s:\n  " + "\n  ".join(problems)
                    + f"\n--- expected\n{expected_text(expected)}\n--- captured\n{plain_text(rows)}"
                    + f"\n--- raw capture\n{captured!r}")
            time.sleep(POLL_SECONDS)

    def wait_until(self, condition, what, timeout=WAIT_SECONDS):
        """Polls `condition()` until it is true; fails with the last capture."""
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                raise AssertionError(f"{what}: not within {timeout}s\n--- captured\n"
                                     + plain_text(self.screen()))
            time.sleep(POLL_SECONDS)


def wait_for_file(path, timeout=WAIT_SECONDS):
    deadline = time.monotonic() + timeout
    while not (os.path.exists(path) and os.path.getsize(path) > 0):
        if time.monotonic() > deadline:
            return None
        time.sleep(POLL_SECONDS)
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()
