"""Screens as grids of cells, read from tmux captures and compared cell by cell.

tmux's `capture-pane -e` re-encodes SGR its own way (one parameter per
sequence, resets where it likes, state carried from one line to the next), so
a capture is replayed through an SGR interpreter into cells before anything is
compared. Colours are kept as ANSI indices: 0-7 for 30-37/40-47, 8-15 for
90-97/100-107, 16-255 for the 256-colour forms, None for the default colour.
"""

import re
import unicodedata
from dataclasses import dataclass, field

# Attributes other than colour that SGR can switch on; the programs never use
# them, so any of them on a cell is a difference.
SGR_FLAGS = {1: "bold", 2: "dim", 3: "italic", 4: "underline", 5: "blink", 7: "reverse",
             8: "hidden", 9: "strike"}
SGR_FLAG_RESETS = {21: ("bold",), 22: ("bold", "dim"), 23: ("italic",), 24: ("underline",),
                   25: ("blink",), 27: ("reverse",), 28: ("hidden",), 29: ("strike",)}


@dataclass(frozen=True)
class Cell:
    """One terminal cell as the capture reports it.

    `reported` is False for cells past the end of a captured line: tmux does
    not report them, so their colours are unknown (a blank erased with a
    background colour at the end of a line looks like this too).
    """
    ch: str = " "
    fg: int | None = None
    bg: int | None = None
    flags: frozenset = frozenset()
    reported: bool = True


UNREPORTED = Cell(reported=False)


@dataclass
class Sgr:
    fg: int | None = None
    bg: int | None = None
    flags: set = field(default_factory=set)

    def apply(self, params):
        """Applies the parameters of one `ESC [ ... m`."""
        values = [int(p) if p else 0 for p in re.split("[;:]", params)] if params else [0]
        i = 0
        while i < len(values):
            v = values[i]
            if v == 0:
                self.fg, self.bg, self.flags = None, None, set()
            elif v in SGR_FLAGS:
                self.flags.add(SGR_FLAGS[v])
            elif v in SGR_FLAG_RESETS:
                self.flags.difference_update(SGR_FLAG_RESETS[v])
            elif 30 <= v <= 37:
                self.fg = v - 30
            elif 90 <= v <= 97:
                self.fg = v - 90 + 8
            elif v == 39:
                self.fg = None
            elif 40 <= v <= 47:
                self.bg = v - 40
            elif 100 <= v <= 107:
                self.bg = v - 100 + 8
            elif v == 49:
                self.bg = None
            elif v in (38, 48) and i + 1 < len(values):
                colour, used = extended_colour(values[i + 1:])
                if v == 38:
                    self.fg = colour
                else:
                    self.bg = colour
                i += used
            i += 1


def extended_colour(rest):
    """Decodes `5;n` or `2;r;g;b` after 38/48; gives the colour and how many values it used."""
    if rest[0] == 5 and len(rest) >= 2:
        return rest[1], 2
    if rest[0] == 2 and len(rest) >= 4:
        return ("rgb", rest[1], rest[2], rest[3]), 4
    return None, 1


ESCAPE = re.compile(r"\x1b\[([0-9;:]*)([A-Za-z])|\x1b[^\[]")


def char_width(ch):
    if unicodedata.combining(ch):
        return 0
    return 2 if unicodedata.east_asian_width(ch) in ("W", "F") else 1


def parse_capture(text, width, height=None):
    """Replays a `capture-pane -p -e -N` text into rows of `width` cells.

    SGR state carries over line ends, as tmux only emits changes.
    """
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    sgr = Sgr()
    rows = []
    for line in lines:
        row = []
        pos = 0
        for match in ESCAPE.finditer(line):
            add_text(row, line[pos:match.start()], sgr)
            if match.group(2) == "m":
                sgr.apply(match.group(1))
            pos = match.end()
        add_text(row, line[pos:], sgr)
        row = row[:width]
        row += [UNREPORTED] * (width - len(row))
        rows.append(row)
    if height is not None:
        rows += [[UNREPORTED] * width for _ in range(height - len(rows))]
    return rows


def add_text(row, text, sgr):
    for ch in text:
        w = char_width(ch)
        if w == 0 and row:
            last = row[-1]
            row[-1] = Cell(last.ch + ch, last.fg, last.bg, last.flags)
            continue
        row.append(Cell(ch, sgr.fg, sgr.bg, frozenset(sgr.flags)))
        if w == 2:
            row.append(Cell("", sgr.fg, sgr.bg, frozenset(sgr.flags)))


# --- Expected screens -------------------------------------------------------

# The console's colour numbers have blue in bit 0 and red in bit 2; ANSI's the
# other way round. Bits 1 (green) and 3 (intensity) stay.
def ansi_colour(console_colour):
    c = console_colour
    return (c & 0b1010) | ((c & 1) << 2) | ((c >> 2) & 1)


@dataclass(frozen=True)
class Expect:
    """One expected cell: a character and a console attribute, or None for a
    cell the program never wrote (shell output, or blank)."""
    ch: str = " "
    attr: int | None = None


# A character the terminal cannot show in one column (a wide character, for
# one) is drawn as some one-column substitute; which one is not prescribed.
SUBSTITUTE = "\0substitute"


# Blank cells that the program never wrote may show as default or as black:
# either is a correct rendering of "nothing written here".
UNWRITTEN_BACKGROUNDS = (None, 0)


def cell_difference(expected, actual):
    """Describes why `actual` does not show `expected`, or gives None.

    Rules: characters always compare (a cell tmux does not report is a blank);
    the foreground of a blank is invisible and never compared; a blank the
    program wrote must show its background where tmux reports it; a cell the
    program never wrote must be in default colours (blank cells: default or
    black background); no cell may carry bold, reverse or other attributes.
    """
    if expected.ch == SUBSTITUTE:
        if not actual.reported or len(actual.ch) != 1 or actual.ch == " " \
                or char_width(actual.ch) != 1:
            return f"one-column substitute expected, got {actual.ch!r}"
    elif expected.ch != actual.ch:
        return f"char {expected.ch!r} != {actual.ch!r}"
    if not actual.reported:
        return None
    if actual.flags:
        return f"unexpected attributes {sorted(actual.flags)}"
    blank = expected.ch == " "
    if expected.ch == SUBSTITUTE:
        expected = Expect("?", expected.attr)
    if expected.attr is None:
        if blank:
            return None if actual.bg in UNWRITTEN_BACKGROUNDS else f"unwritten blank has bg {actual.bg}"
        if (actual.fg, actual.bg) != (None, None):
            return f"default colours expected, got fg {actual.fg} bg {actual.bg}"
        return None
    want_fg = ansi_colour(expected.attr & 15)
    want_bg = ansi_colour(expected.attr >> 4)
    if actual.bg != want_bg:
        return f"bg {want_bg} expected, got {actual.bg}"
    if not blank and actual.fg != want_fg:
        return f"fg {want_fg} expected, got {actual.fg}"
    return None


def compare(expected_rows, actual_rows, limit=12, difference=cell_difference):
    """Gives a list of difference lines (empty when the screens agree);
    `difference` judges one cell."""
    problems = []
    if len(expected_rows) != len(actual_rows):
        problems.append(f"{len(expected_rows)} rows expected, {len(actual_rows)} captured")
    for r, (want, got) in enumerate(zip(expected_rows, actual_rows)):
        for c, (e, a) in enumerate(zip(want, got)):
            why = difference(e, a)
            if why:
                problems.append(f"row {r + 1} col {c + 1}: {why}")
    if len(problems) > limit:
        problems = problems[:limit] + [f"... {len(problems) - limit} more"]
    return problems


def plain_text(rows):
    return "\n".join(f"{i + 1:3}|" + "".join(c.ch for c in row).rstrip() for i, row in enumerate(rows))


def expected_text(rows):
    return "\n".join(f"{i + 1:3}|" + "".join("?" if e.ch == SUBSTITUTE else e.ch for e in row).rstrip()
                     for i, row in enumerate(rows))
