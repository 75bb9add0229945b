"""The two programs' screens, drawn on the console model from their layout
tables, step by step in the order the programs draw them."""

DOT = "\u00b7"

CHART_HEADER = [
    "############## Hueglass ##############",
    "VEXO and Microsoft color names differ from  each other.",
    "Made a couple changes too.",
]

# Label, foreground, background, fill count; left and right entries alternate.
CHART_ENTRIES = [
    ("black on white", 0, 7, 31), ("black on bright white", 0, 15, 0),
    ("gray on white", 8, 7, 31), ("gray on bright white", 8, 15, 0),
    ("blue on black", 1, 0, 31), ("blue on gray", 1, 8, 31),
    ("blue on white", 1, 7, 31), ("blue on bright white", 1, 15, 31),
    ("light blue on black", 9, 0, 31), ("light blue on gray", 9, 8, 31),
    ("light blue on white", 9, 7, 31), ("light blue on bright white", 9, 15, 0),
    ("green on black", 2, 0, 31), ("green on gray", 2, 8, 31),
    ("green on white", 2, 7, 31), ("green on bright white", 2, 15, 31),
    ("light green on black", 10, 0, 31), ("light green on gray", 10, 8, 31),
    ("light green on white", 10, 7, 31), ("light green on bright white", 10, 15, 31),
    ("cyan on black", 3, 0, 31), ("cyan on gray", 3, 8, 31),
    ("cyan on white", 3, 7, 31), ("cyan on bright white", 3, 15, 31),
    ("light cyan on black", 11, 0, 31), ("light cyan on gray", 11, 8, 31),
    ("light cyan on white", 11, 7, 31), ("light cyan on bright white", 11, 15, 31),
    ("red on black", 4, 0, 31), ("red on gray", 4, 8, 31),
    ("red on white", 4, 7, 31), ("red on bright white", 4, 15, 31),
    ("light red on black", 12, 0, 31), ("light red on gray", 12, 8, 31),
    ("light red on white", 12, 7, 31), ("light red on bright white", 12, 15, 31),
    ("purple on black", 5, 0, 31), ("purple on gray", 5, 8, 31),
    ("purple on white", 5, 7, 31), ("purple on bright white", 5, 15, 31),
    ("magenta on black", 13, 0, 31), ("magenta on gray", 13, 8, 31),
    ("magenta on white", 13, 7, 31), ("magenta on bright white", 13, 15, 31),
    ("brown on black", 6, 0, 31), ("brown on gray", 6, 8, 31),
    ("brown on white", 6, 7, 31), ("brown on bright white", 6, 15, 31),
    ("yellow on black", 14, 0, 31), ("yellow on gray", 14, 8, 31),
    ("yellow on white", 14, 7, 31), ("yellow on bright white", 14, 15, 31),
]

# Separators follow these entries (1-based).
CHART_SEPARATORS_AFTER = {4, 12, 20, 28, 36, 44}


def print_line(con, text):
    con.write(text)
    con.newline()


def chart(con):
    """Draws the whole chart as `colorchart` does before its closing key."""
    for line in CHART_HEADER:
        print_line(con, line)
    con.newline()
    for i in range(0, len(CHART_ENTRIES), 2):
        row = con.cursor_row()
        for column, (label, fg, bg, fill) in ((1, CHART_ENTRIES[i]), (34, CHART_ENTRIES[i + 1])):
            if column == 34:
                con.locate(row, 34)
            con.set_color(fg, bg, fill)
            print_line(con, label)
        if i + 2 in CHART_SEPARATORS_AFTER:
            chart_separator(con)
    con.newline()
    chart_separator(con)
    print_line(con, "Any key to close.")


def chart_separator(con):
    con.set_color(7, 0, 0)
    print_line(con, DOT * 79)


# --- colorviewer -------------------------------------------------------------

VIEWER_INSTRUCTIONS = "Use decimal color values to chose foreground and baskground color."

VIEWER_TABLE = [
    ('       Black - "0"', '       Gray  -  "8"'),
    ('        Blue - "1"', '  Light Blue -  "9"'),
    ('       Green - "2"', ' Light Green - "10"'),
    ('        Cyan - "3"', '  Light Cyan - "11"'),
    ('         Red - "4"', '   Light Red - "12"'),
    ('      Purple - "5"', '     Magenta - "13"'),
    ('       Brown - "6"', '      Yellow - "14"'),
    ('       White - "7"', 'Bright White - "15"'),
]

COLOR_NAMES = ["Black", "Blue", "Green", "Cyan", "Red", "Purple", "Brown", "White", "Gray",
               "Light Blue", "Light Green", "Light Cyan", "Light Red", "Magenta", "Yellow",
               "Bright White"]

FOREGROUND_PROMPT = "Foreground color's value: "
BACKGROUND_PROMPT = "Background color's value: "
ONLY_DIGITS = "Only number characters."
OUT_OF_RANGE = 'Range is "0" to "15".'


def viewer_table(con):
    """Steps 1-4 of a cycle: cleared screen, instructions, colour table."""
    con.set_color(14, 0)
    con.clear()
    print_line(con, VIEWER_INSTRUCTIONS)
    for left, right in VIEWER_TABLE:
        row = con.cursor_row()
        print_line(con, left)
        con.locate(row, 24)
        print_line(con, right)
    con.newline()


def viewer_prompt(con, prompt):
    row = con.cursor_row()
    con.write(prompt)
    return row


def viewer_name(con, row, value):
    con.locate(row, 30)
    print_line(con, "  " + COLOR_NAMES[value])


def viewer_failure(con, message):
    con.set_color(12, 15)
    print_line(con, message)
    print_line(con, "Any key to retry.")


def viewer_demonstration(con, fg, bg):
    """Steps 7-12: the demonstration area and the closing lines."""
    con.set_color(7, 0)
    print_line(con, DOT * 27 + " Color Demonstation Area " + DOT * 27)
    con.newline()
    con.write(" " * 30)
    con.set_color(fg, bg)
    print_line(con, " Test Fore on Back ")
    con.newline()
    con.set_color(7, 0)
    print_line(con, DOT * 79)
    con.newline()
    print_line(con, '"ESC" key to close.')
    print_line(con, "Any other key to to try different colors.")
