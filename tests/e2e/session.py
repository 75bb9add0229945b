"""A program run inside a tmux pane through a small shell wrapper.

The wrapper records the terminal's modes (`stty -g`) before and after the
program, the program's process id and its exit status, then prints an end
mark in the shell's own colours and keeps the pane open, so the screen the
program left can still be read.
"""

import os
import shlex
import shutil
import tempfile
import time

from tmux import POLL_SECONDS, TERM, WAIT_SECONDS, Pane, wait_for_file

END_MARK = "<end>"
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def program_path(name):
    """The built program `name` in $BUILD_DIR/bin (default build/)."""
    build = os.environ.get("BUILD_DIR", "build")
    return os.path.join(REPO, build, "bin", name)

# Ctrl+C with signals on goes to the whole foreground group, the wrapper
# included: it catches INT and QUIT (a caught signal is reset to default in the
# program on exec) so it lives on to record the status. Programs killed by a
# crash signal leave no core file behind.
WRAPPER = """\
D={dir}
trap : INT QUIT
cd "$D" && ulimit -c 0
stty -g > "$D/stty-before"
{preface}
sh -c 'echo $$ > "$1/pid"; shift; exec "$@"' sh "$D" {launcher} {program} {redirections}
status=$?
stty -g > "$D/stty-after"
printf '%s' {mark}
echo $status > "$D/status"
exec sleep 3600
"""


class Session:
    def __init__(self, program, width=80, height=25, preface="", redirections="", term=TERM,
                 launcher=""):
        """`launcher`: words that start the program, e.g. prlimit with its limits."""
        self.dir = tempfile.mkdtemp(prefix="e2e-")
        script = os.path.join(self.dir, "run.sh")
        with open(script, "w", encoding="utf-8") as f:
            f.write(WRAPPER.format(dir=shlex.quote(self.dir), preface=preface,
                                   launcher=launcher, program=shlex.quote(program),
                                   redirections=redirections,
                                   mark=shlex.quote(END_MARK)))
        self.pane = Pane(f"sh {shlex.quote(script)}", width, height, term)

    def close(self):
        self.pane.close()
        # The pane's processes may still be writing their last files while
        # they end (wine's take a moment): a cleanup that races them must not
        # fail the test.
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def path(self, name):
        return os.path.join(self.dir, name)

    def read(self, name):
        with open(self.path(name), encoding="utf-8", errors="replace") as f:
            return f.read()

    def pid(self):
        text = wait_for_file(self.path("pid"))
        if text is None:
            raise AssertionError("the program never started")
        return int(text)

    def status(self, timeout=WAIT_SECONDS):
        """The program's exit status; fails when it has not ended in time."""
        text = wait_for_file(self.path("status"), timeout)
        if text is None:
            raise AssertionError(f"the program did not end within {timeout}s; screen:\n"
                                 + "\n".join("".join(c.ch for c in row).rstrip()
                                             for row in self.pane.screen()))
        return int(text)

    def still_running(self):
        return not os.path.exists(self.path("status"))

    def modes_before(self):
        return wait_for_file(self.path("stty-before")).strip()

    def modes_after(self):
        return self.read("stty-after").strip()


def process_ended(pid, timeout=WAIT_SECONDS):
    """Waits until process `pid` is gone (or a zombie); gives whether it ended."""
    deadline = time.monotonic() + timeout
    while time.monotonic() <= deadline:
        try:
            with open(f"/proc/{pid}/stat", encoding="ascii") as f:
                state = f.read().rsplit(")", 1)[1].split()[0]
            if state in ("Z", "X"):
                return True
        except FileNotFoundError:
            return True
        time.sleep(POLL_SECONDS)
    return False
