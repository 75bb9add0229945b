"""A model of the console screen, to build the screens the programs must show.

It follows the console's rules, not the terminal's: text goes into cells of a
screen buffer at the cursor, wraps at the right edge, defers the scroll when
the buffer's last row is merely full, scrolls the whole buffer with a blank
row in the current colours, and fills attributes in reading order without
touching characters. The terminal shows a window onto the buffer, as a
Windows console does: the window follows the cursor by the fewest rows, rows
that leave its top by up to a screenful go to the terminal's scrollback, and
any other move, and a resize, repaints it on a blank screen. The expected
screens of the tests are the programs' call sequences replayed through it.

The buffer starts at the window's top when the program first draws; its
height is a new Windows console's (9001 rows) unless given (the Windows
build under wine has a buffer the size of the screen).
"""

from cells import SUBSTITUTE, Expect, char_width

BLANK = Expect()
TALL_BUFFER = 9001


class Console:
    def __init__(self, width, height, cursor_row=1, buffer_rows=TALL_BUFFER):
        self.w, self.h = width, height
        self.buffer_rows = buffer_rows
        # Every row the terminal's screen has shown since the start, the top
        # of the window at index `top`; rows are as wide as the widest width
        # seen, so cells hidden by a narrower one come back.
        self.lines = [[BLANK] * width for _ in range(height)]
        self.top = 0
        self.origin = None  # index of the buffer's first row, once the program draws
        self.history = []
        self.x, self.y = 0, cursor_row - 1
        self.pending_scroll = False
        self.fg, self.bg = 7, 0
        self.unused_row = BLANK  # what a row never touched holds (after a clear)

    # --- rows -----------------------------------------------------------------
    def _line(self, index):
        while len(self.lines) <= index:
            self.lines.append([self.unused_row] * max(self.w, len(self.lines[0])))
        row = self.lines[index]
        if len(row) < self.w:
            row.extend([BLANK] * (self.w - len(row)))
        return row

    @property
    def rows(self):
        """The terminal's screen: the window's rows."""
        return [self._line(i)[:self.w] for i in range(self.top, self.top + self.h)]

    def _buffer(self):
        """Index of the buffer's first row; the program's first call fixes it."""
        if self.origin is None:
            self.origin = self.top
        return self.origin

    def _last_row(self):
        return self._buffer() + self.buffer_rows - 1

    # --- what the shell printed before and after the program -----------------
    def shell_lines(self, *lines):
        """Lines in the terminal's default colours, as a shell prints them."""
        for text in lines:
            row = self._line(self.y)
            for i, ch in enumerate(text[:self.w]):
                row[i] = Expect(ch, None)
            self.shell_newline()

    def shell_write(self, text):
        """Text the shell prints at the cursor, without a line end."""
        for ch in text:
            self._line(self.y)[self.x] = Expect(ch, None)
            self.x += 1

    def shell_newline(self):
        """The terminal's own line feed: at its last row it scrolls."""
        self.x = 0
        if self.y + 1 == self.top + self.h:
            self._scroll_window(1)
        self.y += 1

    # --- the window -----------------------------------------------------------
    def _scroll_window(self, rows):
        self.history.extend(list(self._line(i)[:self.w]) for i in range(self.top, self.top + rows))
        self.top += rows

    def _follow_cursor(self):
        if self.y < self.top:
            self.top = self.y
            self._repaint()
        elif self.y >= self.top + self.h:
            rows = self.y - (self.top + self.h - 1)
            if rows <= self.h:
                self._scroll_window(rows)
            else:
                self.top += rows
                self._repaint()

    def _repaint(self):
        """The window drawn on a blank screen: what the program did not
        write shows blank."""
        for index in range(self._buffer(), len(self.lines)):
            self.lines[index] = [BLANK if c.attr is None else c for c in self.lines[index]]

    def resize(self, width, height):
        """The terminal takes a new size: a grow shows more rows above, keeping
        the cursor's distance from the bottom, the cursor stays in view, and
        the window is repainted."""
        origin = self._buffer()
        if height > self.h:
            self.top = max(origin, self.top - (height - self.h))
        self.w, self.h = width, height
        self.top = min(self.top, origin + self.buffer_rows - height)
        if self.y < self.top:
            self.top = self.y
        elif self.y >= self.top + height:
            self.top = self.y - height + 1
        self._repaint()

    # --- the screen operations ----------------------------------------------
    @property
    def attr(self):
        return self.fg + 16 * self.bg

    def write(self, text):
        last = self._last_row()
        for ch in text:
            if self.pending_scroll:
                self.pending_scroll = False
                self.scroll_up()
            shown = ch if char_width(ch) == 1 else SUBSTITUTE
            self._line(self.y)[self.x] = Expect(shown, self.attr)
            self.x += 1
            if self.x == self.w:
                self.x = 0
                if self.y == last:
                    self.pending_scroll = True
                else:
                    self.y += 1
        self._follow_cursor()

    def newline(self):
        if self.y != self._last_row():
            self.y += 1
        else:
            if self.pending_scroll:
                self.scroll_up()
            self.scroll_up()
        self.x = 0
        self.pending_scroll = False
        self._follow_cursor()

    def scroll_up(self):
        """The whole buffer moves up a row; the window shows it as a terminal
        scroll."""
        origin = self._buffer()
        self._line(self._last_row())
        self.history.append(list(self._line(self.top)[:self.w]))
        del self.lines[origin]
        self.lines.insert(self._last_row(), [Expect(" ", self.attr)] * self.w)

    def locate(self, row, column):
        if 1 <= column <= self.w:
            self.x = column - 1
        if 1 <= row <= self.buffer_rows:
            self.y = self._buffer() + row - 1
        self.pending_scroll = False
        self._follow_cursor()

    def cursor_row(self):
        return self.y - self._buffer() + 1

    def set_color(self, fg, bg, fill=0):
        if 0 <= fg <= 15:
            self.fg = fg
        if 0 <= bg <= 15:
            self.bg = bg
        if 1 <= fill <= self.w * self.h:
            origin = self._buffer()
            start = (self.y - origin) * self.w + self.x
            for i in range(start, min(start + fill, self.w * self.buffer_rows)):
                r, c = divmod(i, self.w)
                row = self._line(origin + r)
                row[c] = Expect(row[c].ch, self.attr)

    def clear(self):
        origin = self._buffer()
        blank = Expect(" ", self.attr)
        for index in range(origin, len(self.lines)):
            self.lines[index] = [blank] * len(self.lines[index])
        self.unused_row = blank
        self.x, self.y = 0, origin
        self.pending_scroll = False
        self._follow_cursor()

    # --- line input -----------------------------------------------------------
    def type_line(self, keys):
        """Echoes a line as the line editor does. `keys` holds characters and
        the names "BSpace" and "Enter"; other control keys are ignored."""
        count = 0
        for key in keys:
            if key == "BSpace":
                if count:
                    self.step_back()
                    self.write(" ")
                    self.step_back()
                    count -= 1
            elif key == "Enter":
                self.newline()
                return
            elif len(key) == 1 and key >= " ":
                self.write(key)
                count += 1

    def step_back(self):
        if self.pending_scroll:
            self.pending_scroll = False
            self.x, self.y = self.w - 1, self._last_row()
        elif self.x > 0:
            self.x -= 1
        elif self.y > self._buffer():
            self.x, self.y = self.w - 1, self.y - 1
        self._follow_cursor()

    # --- results --------------------------------------------------------------
    def cursor(self):
        """1-based (row, column) of where the terminal's cursor must stand."""
        return self.y - self.top + 1, min(self.x, self.w - 1) + 1
