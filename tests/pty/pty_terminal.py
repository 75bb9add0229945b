"""A program on a pseudo-terminal whose other side the test plays.

The test is the terminal: it reads what the program writes, or stops reading
as a frozen emulator does; it answers the cursor position request on time,
late, in pieces or never; it types, pastes, sends strings, resizes and sends
signals. The program is started in a session of its own with the
pseudo-terminal as its controlling terminal, with whatever signal mask and
limits the test asks for.
"""

import fcntl
import os
import re
import resource
import select
import signal
import struct
import subprocess
import termios
import threading
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CURSOR_REQUEST = b"\x1b[6n"
RESET = b"\x1b[0m\x1b[?25h"
# Escape sequences, for reading the text the program wrote.
ESCAPES = re.compile(rb"\x1b\[[0-9;?]*[ -/]*[@-~]|\x1b[()][0-9A-Za-z]|\x1b[=>78]|[\x07\x08\x0e\x0f\x18]")


def program_path(name):
    """The built program `name` in $BUILD_DIR/bin (default build/)."""
    return os.path.join(REPO, os.environ.get("BUILD_DIR", "build"), "bin", name)


def wait_until(condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.01)
    return condition()


class Terminal:
    """`report` is how the cursor position request is answered: a list of
    (seconds after the request, bytes) pieces, or None for never."""

    def __init__(self, program, columns=80, rows=25, report=((0, b"\x1b[1;1R"),),
                 locale="C.UTF-8", blocked_signals=(), memory_limit=None, stalled=False,
                 open_files_limit=None):
        self.master, self.slave = os.openpty()
        self.size(columns, rows)
        self.initial_modes = termios.tcgetattr(self.slave)
        self.report = report
        self.output = bytearray()
        self.reading = threading.Event()
        self.requests = 0
        self.lock = threading.Lock()
        self.closed = False
        if stalled:
            self.fill_output_buffer()
        else:
            self.reading.set()

        def prepare_child():
            fcntl.ioctl(0, termios.TIOCSCTTY, 0)
            if blocked_signals:
                signal.pthread_sigmask(signal.SIG_BLOCK, blocked_signals)
            if memory_limit is not None:
                resource.setrlimit(resource.RLIMIT_AS, (memory_limit, memory_limit))
            if open_files_limit is not None:
                resource.setrlimit(resource.RLIMIT_NOFILE, (open_files_limit, open_files_limit))

        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "TERM": "xterm",
               "LANG": locale, "LC_ALL": locale, "HOME": os.environ.get("HOME", "/")}
        self.process = subprocess.Popen(
            [program], stdin=self.slave, stdout=self.slave, stderr=self.slave,
            start_new_session=True, preexec_fn=prepare_child, env=env)
        self.reader = threading.Thread(target=self.read_loop, daemon=True)
        self.reader.start()

    # --- the terminal's side ---------------------------------------------

    def size(self, columns, rows):
        fcntl.ioctl(self.master, termios.TIOCSWINSZ, struct.pack("HHHH", rows, columns, 0, 0))

    def fill_output_buffer(self):
        """Fills the pseudo-terminal's output buffer, as output that a
        terminal which stopped reading never took: the program's first write
        then waits for the terminal."""
        own = os.open(os.ttyname(self.slave), os.O_WRONLY | os.O_NOCTTY | os.O_NONBLOCK)
        try:
            # The kernel moves output on to the reading side's own buffer a
            # moment later, which makes room again: full is when a pause
            # makes none.
            quiet_rounds = 0
            while quiet_rounds < 3:
                written = 0
                try:
                    while True:
                        written += os.write(own, b"x" * 4096)
                except BlockingIOError:
                    pass
                quiet_rounds = quiet_rounds + 1 if written == 0 else 0
                time.sleep(0.02)
        finally:
            os.close(own)

    def read_loop(self):
        while not self.closed:
            if not self.reading.wait(0.05):
                continue
            try:
                ready, _, _ = select.select([self.master], [], [], 0.05)
                if not ready:
                    continue
                data = os.read(self.master, 65536)
            except OSError:
                return
            if not data:
                return
            with self.lock:
                seen = self.output.count(CURSOR_REQUEST)
                self.output += data
                requests = self.output.count(CURSOR_REQUEST)
            for _ in range(requests - seen):
                self.answer_request()

    def answer_request(self):
        self.requests += 1
        if self.report is None:
            return
        for delay, piece in self.report:
            timer = threading.Timer(delay, self.type, args=(piece,))
            timer.daemon = True
            timer.start()

    def stop_reading(self):
        self.reading.clear()

    def resume_reading(self):
        self.reading.set()

    def type(self, data):
        if not self.closed:
            os.write(self.master, data)

    def paste(self, data, seconds):
        """Offers `data` for `seconds`, as fast as the program takes it;
        gives how many bytes it took."""
        flags = fcntl.fcntl(self.master, fcntl.F_GETFL)
        fcntl.fcntl(self.master, fcntl.F_SETFL, flags | os.O_NONBLOCK)
        taken = 0
        deadline = time.monotonic() + seconds
        try:
            while taken < len(data) and time.monotonic() < deadline:
                try:
                    taken += os.write(self.master, data[taken:taken + 65536])
                except BlockingIOError:
                    select.select([], [self.master], [], 0.01)
        finally:
            fcntl.fcntl(self.master, fcntl.F_SETFL, flags)
        return taken

    # --- what the program did --------------------------------------------

    def text(self):
        """What the program wrote, without escape sequences."""
        with self.lock:
            return ESCAPES.sub(b"", bytes(self.output)).decode("utf-8", "replace")

    def wait_for(self, text, seconds=5):
        return wait_until(lambda: text in self.text(), seconds)

    def signal(self, number):
        self.process.send_signal(number)

    def wait_exit(self, seconds=5):
        """The exit status (negative: the signal that ended it), or None."""
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            return None

    def running(self):
        return self.process.poll() is None

    def peak_memory_kb(self):
        with open(f"/proc/{self.process.pid}/status", encoding="ascii") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        return 0

    def modes_restored(self):
        return termios.tcgetattr(self.slave) == self.initial_modes

    def unread_input(self):
        """Bytes typed at the terminal that nobody has read, once the program
        has ended (a line not yet ended counts only without line editing)."""
        modes = termios.tcgetattr(self.slave)
        modes[3] &= ~termios.ICANON
        termios.tcsetattr(self.slave, termios.TCSANOW, modes)
        count = fcntl.ioctl(self.slave, termios.FIONREAD, struct.pack("i", 0))
        return struct.unpack("i", count)[0]

    def close(self):
        if self.running():
            self.process.kill()
            self.process.wait()
        self.closed = True
        self.reading.set()
        self.reader.join(1)
        os.close(self.master)
        os.close(self.slave)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
