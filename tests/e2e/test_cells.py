"""The capture parser and the comparison rules: if these are wrong, every
screen test is worthless, so they are checked against captures tmux really
produces."""

import unittest

from cells import SUBSTITUTE, Cell, Expect, ansi_colour, cell_difference, parse_capture


class ColourSwap(unittest.TestCase):
    def test_console_colours_map_to_ansi_by_swapping_red_and_blue(self):
        # console: 0 black 1 blue 2 green 3 cyan 4 red 5 purple 6 brown 7 white, +8 bright
        # ANSI:    0 black 1 red 2 green 3 yellow 4 blue 5 magenta 6 cyan 7 white
        expected = [0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15]
        self.assertEqual([ansi_colour(c) for c in range(16)], expected)


class CaptureParsing(unittest.TestCase):
    def test_sgr_state_is_replayed_into_cells(self):
        # What tmux gives back for "\e[31;42;1mA\e[0;94;104mB \e[0m." plus a
        # second line: one parameter per sequence, state carried over lines.
        text = ("\x1b[1m\x1b[31m\x1b[42mA\x1b[0m\x1b[94m\x1b[104mB \x1b[39m\x1b[49m.\n"
                "\x1b[38;5;3m\x1b[48;5;12mx\n")
        rows = parse_capture(text, 5, 3)
        self.assertEqual(rows[0][0], Cell("A", 1, 2, frozenset({"bold"})))
        self.assertEqual(rows[0][1], Cell("B", 12, 12))
        self.assertEqual(rows[0][2], Cell(" ", 12, 12))
        self.assertEqual(rows[0][3], Cell(".", None, None))
        self.assertFalse(rows[0][4].reported)
        self.assertEqual(rows[1][0], Cell("x", 3, 12))
        self.assertFalse(rows[2][0].reported)

    def test_wide_characters_take_two_cells(self):
        rows = parse_capture("\u4e00b\n", 4)
        self.assertEqual([c.ch for c in rows[0][:3]], ["\u4e00", "", "b"])


class CellRules(unittest.TestCase):
    CASES = [
        # expected, actual, differs
        (Expect("a", 0x1E), Cell("a", 11, 4), False),     # yellow (14) on blue (1)
        (Expect("a", 0x1E), Cell("a", 14, 4), True),      # colours not swapped
        (Expect("a", 0x1E), Cell("a", 11, 4, frozenset({"bold"})), True),
        (Expect(" ", 0x1E), Cell(" ", None, 4), False),   # a blank's foreground is invisible
        (Expect(" ", 0x1E), Cell(" ", 11, None), True),   # its background is not
        (Expect(" ", 0x1E), Cell(reported=False), False),  # tmux does not report it
        (Expect("a", 0x1E), Cell(reported=False), True),
        (Expect("a", None), Cell("a", None, None), False),  # shell output keeps its colours
        (Expect("a", None), Cell("a", 7, 0), True),
        (Expect(" ", None), Cell(" ", 7, 0), False),      # never written: default or black
        (Expect(" ", None), Cell(" ", 7, 4), True),
        (Expect(SUBSTITUTE, 0x07), Cell("?", 7, 0), False),  # any one-column character
        (Expect(SUBSTITUTE, 0x07), Cell("\u4e2d", 7, 0), True),
        (Expect(SUBSTITUTE, 0x07), Cell(" ", 7, 0), True),
    ]

    def test_cells_compare_by_what_is_visible(self):
        for expected, actual, differs in self.CASES:
            with self.subTest(expected=expected, actual=actual):
                self.assertEqual(cell_difference(expected, actual) is not None, differs)


if __name__ == "__main__":
    unittest.main()
