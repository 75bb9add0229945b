"""A model of the console screen, to build the screens the programs must show.

It follows the console's rules, not the terminal's: text goes into cells at
the cursor, wraps at the right edge, defers the scroll when the last row is
merely full, scrolls the whole buffer (the top row goes to the scrollback)
with a blank row in the current colours, and fills attributes in reading
order without touching characters. The expected screens of the tests are the
programs' call sequences replayed through it.
"""

from cells import SUBSTITUTE, Expect, char_width

BLANK = Expect()


class Console:
    def __init__(self, width, height, cursor_row=1):
        self.w, self.h = width, height
        self.rows = [[BLANK] * width for _ in range(height)]
        self.history = []
        self.x, self.y = 0, cursor_row - 1
        self.pending_scroll = False
        self.fg, self.bg = 7, 0

    # --- what the shell printed before the program ran ---------------------
    def shell_lines(self, *lines):
        """Lines in the terminal's default colours, as a shell prints them."""
        for text in lines:
            for i, ch in enumerate(text[:self.w]):
                self.rows[self.y][i] = Expect(ch, None)
            self.shell_newline()

    def shell_write(self, text):
        """Text the shell prints at the cursor, without a line end."""
        for ch in text:
            self.rows[self.y][self.x] = Expect(ch, None)
            self.x += 1

    def shell_newline(self):
        self.x = 0
        if self.y + 1 == self.h:
            self.history.append(self.rows.pop(0))
            self.rows.append([BLANK] * self.w)
        else:
            self.y += 1

    # --- the screen operations ----------------------------------------------
    @property
    def attr(self):
        return self.fg + 16 * self.bg

    def write(self, text):
        for ch in text:
            if self.pending_scroll:
                self.pending_scroll = False
                self.scroll_up()
            shown = ch if char_width(ch) == 1 else SUBSTITUTE
            self.rows[self.y][self.x] = Expect(shown, self.attr)
            self.x += 1
            if self.x == self.w:
                self.x = 0
                if self.y + 1 == self.h:
                    self.pending_scroll = True
                else:
                    self.y += 1

    def newline(self):
        if self.y + 1 != self.h:
            self.y += 1
        else:
            if self.pending_scroll:
                self.scroll_up()
            self.scroll_up()
        self.x = 0
        self.pending_scroll = False

    def scroll_up(self):
        self.history.append(self.rows.pop(0))
        self.rows.append([Expect(" ", self.attr)] * self.w)

    def locate(self, row, column):
        if 1 <= column <= self.w:
            self.x = column - 1
        if 1 <= row <= self.h:
            self.y = row - 1
        self.pending_scroll = False

    def cursor_row(self):
        return self.y + 1

    def set_color(self, fg, bg, fill=0):
        if 0 <= fg <= 15:
            self.fg = fg
        if 0 <= bg <= 15:
            self.bg = bg
        if 1 <= fill <= self.w * self.h:
            start = self.y * self.w + self.x
            for i in range(start, min(start + fill, self.w * self.h)):
                r, c = divmod(i, self.w)
                self.rows[r][c] = Expect(self.rows[r][c].ch, self.attr)

    def clear(self):
        self.rows = [[Expect(" ", self.attr)] * self.w for _ in range(self.h)]
        self.x = self.y = 0
        self.pending_scroll = False

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
            self.x, self.y = self.w - 1, self.h - 1
        elif self.x > 0:
            self.x -= 1
        elif self.y > 0:
            self.x, self.y = self.w - 1, self.y - 1

    # --- results --------------------------------------------------------------
    def cursor(self):
        """1-based (row, column) of where the terminal's cursor must stand."""
        return self.y + 1, self.x + 1
