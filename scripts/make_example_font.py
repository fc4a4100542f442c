#!/usr/bin/python3
"""Draws examples/dialoghi.png, the pixel font of examples/dialoghi.wid, from the glyphs below.

Run: scripts/make_example_font.py [output.png]. Cells of 8x10 pixels, 16 to a row, the first
for code 00 (@cell=8x10, @first=00): each glyph sits in the top-left corner of its cell, rows
1 to 7 above the baseline and 8 to 9 below it, as wide as its width line in dialoghi.wid (5,
@default, when it has none). Standard library only.
"""

import os
import struct
import sys
import zlib

CELL_W, CELL_H, PER_ROW, FIRST, LAST = 8, 10, 16, 0x00, 0x8F
BACKGROUND = (24, 32, 88)   # the box's blue, the sheet's most common colour
INK = (250, 250, 240)

# Rows 1 to 9 of each glyph: '#' ink, '.' background. Keyed by the table's code.
GLYPHS = {
    0x21: ["#", "#", "#", "#", "#", ".", "#", ".", "."],
    0x2C: [".", ".", ".", ".", ".", ".", "#", "#", "."],
    0x2E: [".", ".", ".", ".", ".", ".", "#", ".", "."],
    0x3C: ["...#.", "..#..", ".#...", "#....", ".#...", "..#..", "...#.", ".....", "....."],
    0x3E: [".#...", "..#..", "...#.", "....#", "...#.", "..#..", ".#...", ".....", "....."],
    0x3F: [".##.", "#..#", "...#", "..#.", ".#..", "....", ".#..", "....", "...."],
}
CAPS = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": ["#", "#", "#", "#", "#", "#", "#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#.....#", "##...##", "#.#.#.#", "#..#..#", "#.....#", "#.....#", "#.....#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
}
# Lower case: rows 1 to 2 for ascenders and accents, 3 to 7 the x-height, 8 to 9 descenders.
SMALL = {
    "a": ["", "", ".###.", "....#", ".####", "#...#", ".####"],
    "b": ["#....", "#....", "####.", "#...#", "#...#", "#...#", "####."],
    "c": ["", "", ".###.", "#....", "#....", "#....", ".###."],
    "d": ["....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"],
    "e": ["", "", ".###.", "#...#", "#####", "#....", ".###."],
    "f": ["..##.", ".#...", "####.", ".#...", ".#...", ".#...", ".#..."],
    "g": ["", "", ".####", "#...#", "#...#", ".####", "....#", "....#", ".###."],
    "h": ["#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#"],
    "i": ["#", "", "#", "#", "#", "#", "#"],
    "l": ["#.", "#.", "#.", "#.", "#.", "#.", ".#"],
    "m": ["", "", "###.##.", "#..#..#", "#..#..#", "#..#..#", "#..#..#"],
    "n": ["", "", "####.", "#...#", "#...#", "#...#", "#...#"],
    "o": ["", "", ".###.", "#...#", "#...#", "#...#", ".###."],
    "p": ["", "", "####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "q": ["", "", ".####", "#...#", "#...#", ".####", "....#", "....#", "....#"],
    "r": ["", "", "#.##.", "##..#", "#....", "#....", "#...."],
    "s": ["", "", ".####", "#....", ".###.", "....#", "####."],
    "t": [".#.", ".#.", "###", ".#.", ".#.", ".#.", "..#"],
    "u": ["", "", "#...#", "#...#", "#...#", "#...#", ".####"],
    "v": ["", "", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "x": ["", "", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"],
    "z": ["", "", "#####", "...#.", "..#..", ".#...", "#####"],
}
GRAVE, ACUTE = ".#...", "...#."
ACCENTED = {0x80: ("a", GRAVE), 0x81: ("e", GRAVE), 0x82: ("e", ACUTE), 0x84: ("o", GRAVE),
            0x85: ("u", GRAVE)}


def build():
    glyphs = dict(GLYPHS)
    for letter, rows in list(CAPS.items()) + list(SMALL.items()):
        glyphs[ord(letter)] = rows
    for code, (letter, accent) in ACCENTED.items():
        glyphs[code] = [accent] + SMALL[letter][1:]
    glyphs[0x83] = ["#....", ".#...", ".##..", "..#..", "..#..", "..#..", ".###."]  # ì
    return glyphs


def widths(path):
    """Code -> width of the width file; the glyphs must be as wide as the file says."""
    default, given = 0, {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            key, _, value = line.split("#")[0].partition("=")
            key, value = key.strip(), value.strip()
            if key == "@default":
                default = int(value)
            elif key and not key.startswith("@") and value.isdigit():
                given[int(key, 16)] = int(value)
    return default, given


def png(width, height, rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "examples", "dialoghi.png")
    default, given = widths(os.path.join(root, "examples", "dialoghi.wid"))
    cells = LAST - FIRST + 1
    width, height = PER_ROW * CELL_W, (cells + PER_ROW - 1) // PER_ROW * CELL_H
    pixels = [[BACKGROUND] * width for _ in range(height)]
    for code, rows in build().items():
        glyph_width = max(len(row) for row in rows)
        assert glyph_width == given.get(code, default), f"glyph {code:02X} is {glyph_width} wide"
        left = (code - FIRST) % PER_ROW * CELL_W
        top = (code - FIRST) // PER_ROW * CELL_H + 1
        for y, row in enumerate(rows):
            for x, mark in enumerate(row):
                if mark == "#":
                    pixels[top + y][left + x] = INK
    with open(out, "wb") as f:
        f.write(png(width, height, pixels))
    print(out)


if __name__ == "__main__":
    main()
