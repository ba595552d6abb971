#!/usr/bin/env python3
"""Builds graph/font_table.cpp, the 16-dot Shift_JIS font, from Debian's fonts.

Sections: sources and hand-drawn glyphs · BDF reading · code set and
character lookup · output · command line.

Glyphs are taken by JIS row and cell, never through Unicode:
  * JIS X 0208 rows 1-8 and 16-47 from the Shinonome gothic 16-dot font;
  * code page 932's row 13 from the JIS X 0213 plane 1 16-dot font, whose
    row 13 holds the same characters at the same cells, except that the
    duplicates of row-2 symbols come from their row-2 glyphs and the
    summation sign, which no 16-dot font here has, is drawn below.
Unicode is used only to decide which codes hold a character and to confirm
that a row-13 cell of the JIS X 0213 font is the code page 932 character.

Usage: fontgen.py [--output FILE] [--check FILE]
"""

import argparse
import difflib
import os
import subprocess
import sys

# ---------------------------------------------------------------- sources

FONT_DIR = "/usr/share/fonts/X11/misc"
SHINONOME = ("xfonts-shinonome", "shnmk16.pcf.gz")
JISX0213 = ("xfonts-jisx0213", "jiskan16-2004-1.pcf.gz")

GLYPH_SIZE = 16
FILLER_CODE = 0x8145   # ・ carries the glyph of every code without a character
BLANK_CODE = 0x8140    # the ideographic space

# The middle dot is fixed as a 3 x 3 block at columns 6-8, rows 5-7 rather
# than taken from a font: it doubles as the filler, whose shape is agreed.
MIDDLE_DOT = [
    "................",
    "................",
    "................",
    "................",
    "................",
    "......###.......",
    "......###.......",
    "......###.......",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
]

# N-ARY SUMMATION (code page 932 0x8794) is in neither font.
SUMMATION = [
    "................",
    "..############..",
    "..##.........#..",
    "...##........#..",
    "....##..........",
    ".....##.........",
    "......##........",
    ".......##.......",
    ".......##.......",
    "......##........",
    ".....##.........",
    "....##..........",
    "...##........#..",
    "..##.........#..",
    "..############..",
    "................",
]

HAND_DRAWN = {FILLER_CODE: MIDDLE_DOT, 0x8794: SUMMATION}


def rows_from_art(art):
    """16 row values (bit 15 = column 0) from 16 strings of '.' and '#'."""
    assert len(art) == GLYPH_SIZE
    rows = []
    for line in art:
        assert len(line) == GLYPH_SIZE and set(line) <= {".", "#"}
        rows.append(int(line.replace(".", "0").replace("#", "1"), 2))
    return rows


# ---------------------------------------------------------------- BDF reading

def read_bdf(package, filename):
    """Glyph rows by JIS code (row byte x 256 + cell byte) and the font name."""
    path = os.path.join(FONT_DIR, filename)
    text = subprocess.run(["pcf2bdf", path], check=True, capture_output=True).stdout
    lines = text.decode("ascii").splitlines()
    font_name = ""
    fbb = None
    glyphs = {}
    i = 0
    while i < len(lines):
        words = lines[i].split()
        i += 1
        if not words:
            continue
        if words[0] == "FONT":
            font_name = lines[i - 1][5:].strip()
        elif words[0] == "FONTBOUNDINGBOX":
            fbb = [int(w) for w in words[1:5]]
        elif words[0] == "STARTCHAR":
            code, bbx = None, None
            while not lines[i].startswith("BITMAP"):
                w = lines[i].split()
                if w and w[0] == "ENCODING":
                    code = int(w[1])
                elif w and w[0] == "BBX":
                    bbx = [int(v) for v in w[1:5]]
                i += 1
            i += 1
            bitmap = []
            while not lines[i].startswith("ENDCHAR"):
                bitmap.append(lines[i].strip())
                i += 1
            glyphs[code] = place_glyph(fbb, bbx, bitmap, filename, code)
    return glyphs, font_name


def place_glyph(fbb, bbx, bitmap, filename, code):
    """The glyph's bitmap placed in its 16 x 16 cell as 16 row values."""
    if fbb is None or fbb[0] != GLYPH_SIZE or fbb[1] != GLYPH_SIZE:
        sys.exit(f"{filename}: the font's cell is not {GLYPH_SIZE} x {GLYPH_SIZE}")
    width, height, xoff, yoff = bbx
    top = (fbb[1] + fbb[3]) - (yoff + height)
    left = xoff - fbb[2]
    if top < 0 or left < 0 or top + height > GLYPH_SIZE or left + width > GLYPH_SIZE:
        sys.exit(f"{filename}: glyph {code:#06x} lies outside its cell")
    rows = [0] * GLYPH_SIZE
    for r, hexrow in enumerate(bitmap):
        bits = int(hexrow, 16) >> (len(hexrow) * 4 - width)
        rows[top + r] = bits << (GLYPH_SIZE - left - width)
    return rows


def licence(package):
    """The copyright and licence fields of the package's upstream files."""
    path = f"/usr/share/doc/{package}/copyright"
    with open(path, encoding="utf-8") as f:
        paragraphs = f.read().split("\n\n")
    for para in paragraphs:
        if para.startswith("Files: *\n") or "\nFiles: *\n" in para:
            lines = para.splitlines()
            start = next(n for n, l in enumerate(lines) if l.startswith("Copyright:"))
            return [l.rstrip() for l in lines[start:]]
    sys.exit(f"{path}: no paragraph for the upstream files")


def comment_line(field_line):
    """A line of a copyright-file field as a comment; continuation lines are
    indented and a lone "." stands for an empty line."""
    if not field_line.startswith(" "):
        return "//   " + field_line
    text = field_line.strip()
    return "//" if text == "." else "//     " + text


def package_version(package):
    out = subprocess.run(["dpkg-query", "-W", "-f=${Version}", package],
                         check=True, capture_output=True)
    return out.stdout.decode("ascii")


# ---------------------------------------------------------------- code set

def code_set():
    """Every code of the table in ascending order."""
    codes = []
    for lead in range(0x81, 0x99):
        last = {0x85: 0xDD, 0x98: 0x9E}.get(lead, 0xFC)
        for trail in range(0x40, last + 1):
            if trail != 0x7F:
                codes.append(lead * 256 + trail)
    return codes


def jis_of(code):
    """JIS X 0208 row and cell (1-based) of a double-byte Shift_JIS code."""
    lead, trail = code >> 8, code & 0xFF
    row = (lead - 0x81) * 2 + 1
    if trail >= 0x9F:
        return row + 1, trail - 0x9E
    return row, trail - 0x40 + 1 - (1 if trail > 0x7F else 0)


def jis_code(row, cell):
    return (row + 0x20) * 256 + cell + 0x20


def cp932_char(code):
    """The character code page 932 assigns to the code, or None."""
    try:
        return bytes([code >> 8, code & 0xFF]).decode("cp932")
    except UnicodeDecodeError:
        return None


def jisx0213_char(row, cell):
    try:
        return bytes([row + 0xA0, cell + 0xA0]).decode("euc_jis_2004")
    except UnicodeDecodeError:
        return None


def jisx0208_position(char):
    """Row and cell of the character in JIS X 0208, or None."""
    try:
        euc = char.encode("euc_jp")
    except UnicodeEncodeError:
        return None
    if len(euc) != 2 or euc[0] < 0xA1:
        return None
    return euc[0] - 0xA0, euc[1] - 0xA0


def glyph_for(code, shinonome, jisx0213):
    """Row values for the code, with a note on its source, or None for filler."""
    if code in HAND_DRAWN:
        return rows_from_art(HAND_DRAWN[code]), cp932_char(code)
    row, cell = jis_of(code)
    if row == 13:
        char = cp932_char(code)
        if char is None:
            return None
        if jisx0213_char(row, cell) == char:
            return jisx0213[jis_code(row, cell)], char
        pos = jisx0208_position(char)
        if pos is None:
            sys.exit(f"no glyph for {code:#06x} {char}")
        return shinonome[jis_code(*pos)], char
    rows = shinonome.get(jis_code(row, cell))
    if rows is None:
        return None
    return rows, cp932_char(code)


# ---------------------------------------------------------------- output

def render(shinonome, jisx0213, sources):
    out = []
    out.append("// The 16-dot Shift_JIS font: 4387 records in ascending code order.")
    out.append("// Generated by tools/fontgen/fontgen.py; do not edit by hand.")
    out.append("//")
    for package, filename, font_name, version in sources:
        out.append(f"// {FONT_DIR}/{filename} of {package} {version}")
        out.append(f"//   {font_name}")
        for line in licence(package):
            out.append(comment_line(line))
    out.append("//")
    out.append("// Drawn by hand: the middle dot 0x8145, which every code without a")
    out.append("// character also carries, and the summation sign 0x8794.")
    out.append("")
    out.append('#include "graph/font.h"')
    out.append("")
    out.append("const FontRecord fontTable[kFontRecordCount] = {")
    filler = rows_from_art(MIDDLE_DOT)
    count = 0
    for code in code_set():
        found = glyph_for(code, shinonome, jisx0213)
        rows, char = found if found else (filler, None)
        if code == BLANK_CODE and any(rows):
            sys.exit("the ideographic space is not blank")
        data = ",".join(f"0x{b:02X}" for r in rows for b in (r >> 8, r & 0xFF))
        note = f" // {char}" if char else ""
        out.append(f"    {{0x{code:04X}, 16, 16, {{{data}}}}},{note}")
        count += 1
    out.append("};")
    if count != 4387:
        sys.exit(f"the code set has {count} codes, not 4387")
    return "\n".join(out) + "\n"


# ---------------------------------------------------------------- command line

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", help="file to write (default: standard output)")
    parser.add_argument("--check", help="committed file that must equal the output")
    args = parser.parse_args()

    sources = []
    fonts = []
    for package, filename in (SHINONOME, JISX0213):
        glyphs, font_name = read_bdf(package, filename)
        fonts.append(glyphs)
        sources.append((package, filename, font_name, package_version(package)))
    text = render(fonts[0], fonts[1], sources)

    if args.output:
        with open(args.output, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    elif not args.check:
        sys.stdout.write(text)
    if args.check:
        with open(args.check, encoding="utf-8") as f:
            committed = f.read()
        if committed != text:
            diff = difflib.unified_diff(committed.splitlines(), text.splitlines(),
                                        args.check, "regenerated", lineterm="", n=0)
            for n, line in enumerate(diff):
                if n == 40:
                    break
                print(line)
            sys.exit(f"{args.check} differs from a fresh regeneration")


if __name__ == "__main__":
    main()
