#!/usr/bin/env python3
"""Builds the screen's own 8 x 12 code page 437 font from a PCF bitmap font.

The source is X.Org's misc-fixed 8x13 (public domain, Debian's xfonts-base):
it covers every code page 437 glyph. Its top pixel row is cut to give the
8 x 12 cell of the PC's own OEM font; only the inverse bullets and the lower
integral half use that row, and they stay whole within the cell.

usage: make_cp437_font.py SOURCE.pcf.gz CP437.cpp OUTPUT.cpp

CP437.cpp is the screen's byte to code point table (view/Cp437.cpp), read
here so the map lives in one place.
"""
import gzip
import re
import struct
import sys

CELL_WIDTH, CELL_HEIGHT, ROWS_CUT = 8, 12, 1

PCF_ACCELERATORS, PCF_METRICS, PCF_BITMAPS, PCF_BDF_ENCODINGS = 1 << 1, 1 << 2, 1 << 3, 1 << 5
PCF_BYTE_MSB, PCF_BIT_MSB, PCF_COMPRESSED_METRICS = 1 << 2, 1 << 3, 0x100


class PcfFont:
    """The glyphs of a PCF file by code point: metrics and pixel rows."""

    def __init__(self, data):
        if data[:4] != b"\x01fcp":
            raise ValueError("not a PCF font")
        count = struct.unpack("<I", data[4:8])[0]
        self.data = data
        self.tables = {}
        for i in range(count):
            kind, _fmt, _size, offset = struct.unpack("<4I", data[8 + 16 * i:24 + 16 * i])
            self.tables[kind] = offset
        self._read_metrics()
        self._read_bitmaps()
        self._read_encodings()
        self._read_accelerators()

    def _table(self, kind):
        if kind not in self.tables:
            raise ValueError("PCF table %d missing" % kind)
        offset = self.tables[kind]
        fmt = struct.unpack("<I", self.data[offset:offset + 4])[0]
        return fmt, offset + 4, ">" if fmt & PCF_BYTE_MSB else "<"

    def _read_metrics(self):
        fmt, at, order = self._table(PCF_METRICS)
        self.metrics = []
        if fmt & PCF_COMPRESSED_METRICS:
            count = struct.unpack(order + "H", self.data[at:at + 2])[0]
            at += 2
            for _ in range(count):
                left, right, width, ascent, descent = (b - 0x80 for b in self.data[at:at + 5])
                self.metrics.append((left, right, width, ascent, descent))
                at += 5
        else:
            count = struct.unpack(order + "I", self.data[at:at + 4])[0]
            at += 4
            for _ in range(count):
                left, right, width, ascent, descent, _attr = struct.unpack(order + "5hH", self.data[at:at + 12])
                self.metrics.append((left, right, width, ascent, descent))
                at += 12

    def _read_bitmaps(self):
        fmt, at, order = self._table(PCF_BITMAPS)
        count = struct.unpack(order + "I", self.data[at:at + 4])[0]
        at += 4
        self.offsets = struct.unpack(order + "%dI" % count, self.data[at:at + 4 * count])
        at += 4 * count
        sizes = struct.unpack(order + "4I", self.data[at:at + 16])
        at += 16
        self.pad = 1 << (fmt & 3)
        self.bit_msb = bool(fmt & PCF_BIT_MSB)
        self.bits = self.data[at:at + sizes[fmt & 3]]

    def _read_encodings(self):
        _fmt, at, order = self._table(PCF_BDF_ENCODINGS)
        min_col, max_col, min_row, max_row, _default = struct.unpack(order + "5H", self.data[at:at + 10])
        at += 10
        cols, rows = max_col - min_col + 1, max_row - min_row + 1
        index = struct.unpack(order + "%dH" % (cols * rows), self.data[at:at + 2 * cols * rows])
        self.encoding = {}
        for row in range(rows):
            for col in range(cols):
                glyph = index[row * cols + col]
                if glyph != 0xFFFF:
                    self.encoding[((row + min_row) << 8) | (col + min_col)] = glyph

    def _read_accelerators(self):
        _fmt, at, order = self._table(PCF_ACCELERATORS)
        self.ascent, self.descent = struct.unpack(order + "2i", self.data[at + 8:at + 16])

    def cell_rows(self, code_point):
        """The glyph in the font's cell, one list of 0/1 per pixel row."""
        height = self.ascent + self.descent
        width = max(m[2] for m in self.metrics)
        cell = [[0] * width for _ in range(height)]
        if code_point not in self.encoding:
            raise KeyError("U+%04X is not in the font" % code_point)
        glyph = self.encoding[code_point]
        left, right, _width, ascent, descent = self.metrics[glyph]
        glyph_width = right - left
        stride = ((glyph_width + 7) // 8 + self.pad - 1) // self.pad * self.pad
        start = self.offsets[glyph]
        for y in range(ascent + descent):
            row = self.bits[start + y * stride:start + (y + 1) * stride]
            cell_y = self.ascent - ascent + y
            for x in range(glyph_width):
                byte = row[x // 8]
                bit = (byte >> (7 - x % 8)) & 1 if self.bit_msb else (byte >> (x % 8)) & 1
                cell_x = left + x
                if bit and 0 <= cell_y < height and 0 <= cell_x < width:
                    cell[cell_y][cell_x] = 1
        return cell


def code_points(cp437_source):
    text = open(cp437_source, encoding="utf-8").read()
    table = re.search(r"kGlyphs\[256\]\s*=\s*\{(.*?)\};", text, re.S)
    if not table:
        raise ValueError("no kGlyphs table in " + cp437_source)
    points = [int(v, 16) for v in re.findall(r"0x([0-9A-Fa-f]{4})", table.group(1))]
    if len(points) != 256:
        raise ValueError("kGlyphs holds %d entries, not 256" % len(points))
    return points


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    source, cp437_source, output = argv[1:]
    try:
        font = PcfFont(gzip.open(source).read())
    except OSError as error:
        sys.stderr.write("make_cp437_font: cannot read %s (%s); install Debian's xfonts-base\n" % (source, error))
        return 1
    if font.ascent + font.descent != CELL_HEIGHT + ROWS_CUT:
        sys.stderr.write("make_cp437_font: %s is not a 13-pixel font\n" % source)
        return 1
    points = code_points(cp437_source)
    lines = []
    for code, point in enumerate(points):
        # NUL and space are blank; 0xFF is the no-break space.
        rows = font.cell_rows(point)[ROWS_CUT:]
        values = []
        for row in rows:
            value = 0
            for x in range(CELL_WIDTH):
                value |= row[x] << (CELL_WIDTH - 1 - x)
            values.append("0x%02X" % value)
        lines.append("    {%s},  // 0x%02X U+%04X" % (", ".join(values), code, point))
    with open(output, "w", encoding="utf-8") as out:
        out.write("// Generated by view/font/make_cp437_font.py from %s; do not edit.\n" % source.split("/")[-1])
        out.write('#include "view/Cp437Font.h"\n\nnamespace cp437 {\n')
        out.write("const unsigned char kFontRows[256][kFontHeight] = {\n")
        out.write("\n".join(lines))
        out.write("\n};\n}  // namespace cp437\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
