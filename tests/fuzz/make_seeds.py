#!/usr/bin/env python3
"""Writes the seed files of the passage and PNG picture fuzzers into corpus/.

Every seed is made here from nothing, so running this again gives the same bytes.
Usage: python3 tests/fuzz/make_seeds.py
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write(folder, name, data):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as out:
        out.write(data)


# ---- passages ----
WORDS = ("Our own words \u2014 caf\u00e9, \u017c\u00f3\u0142w, \u03bb\u03cc\u03b3\u03bf\u03c2, "
         "\u0441\u043b\u043e\u0432\u043e, \u05de\u05d9\u05dc\u05d4, \u0643\u0644\u0645\u0629, "
         "\u0936\u092c\u094d\u0926, \u6587\u5b57, \u8a00\u8449, \ub9d0 \U0001F600")
write("passage_fuzzer", "utf8", WORDS.encode("utf-8"))
write("passage_fuzzer", "utf8_bom_lines",
      b"\xef\xbb\xbf" + "first line\r\n\r\n\tsecond\u2028third  \u00a0end\n".encode("utf-8"))
write("passage_fuzzer", "utf16le_bom", b"\xff\xfe" + (WORDS + "\r\n").encode("utf-16-le"))
write("passage_fuzzer", "utf16be_bom_unpaired",
      b"\xfe\xff" + "a\nb".encode("utf-16-be") + b"\xd8\x3d\x00z\xdc\x00" + b"q")
# Unicode's example of maximal subparts, overlongs, a surrogate, controls and C1 controls.
write("passage_fuzzer", "ill_formed",
      b"\x61\xf1\x80\x80\xe1\x80\xc2\x62\x80\x63\x80\xbf\x64 \xc0\xaf \xe0\x80\xaf \xed\xa0\x80"
      b" \xf4\x90\x80\x80 A\x00B\x07\x1b\x7fC \xc2\x85\xc2\x80\xe2\x80\xa9 \xe2\x82")
write("passage_fuzzer", "only_spaces", b" \t\r\n\xc2\xa0\xe3\x80\x80\x0b\x0c ")


# ---- PNG pictures ----
def chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body +
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def png(width, height, depth, colour, rows, extra=b"", interlaced=False):
    """rows(x, y): one pixel's bytes, or for depths below 8 its sample as an int."""
    def scanline(xs, y):
        if depth >= 8:
            return b"".join(rows(x, y) for x in xs)
        bits, out, filled = 0, bytearray(), 0
        for x in xs:
            bits = bits << depth | rows(x, y)
            filled += depth
            if filled == 8:
                out.append(bits)
                bits, filled = 0, 0
        if filled:
            out.append(bits << (8 - filled))
        return bytes(out)

    raw = bytearray()
    if interlaced:
        passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4),
                  (1, 0, 2, 2), (0, 1, 1, 2)]
        for x0, y0, dx, dy in passes:
            xs = list(range(x0, width, dx))
            if not xs:
                continue
            for y in range(y0, height, dy):
                raw += b"\x00" + scanline(xs, y)
    else:
        for y in range(height):
            raw += b"\x00" + scanline(range(width), y)
    header = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 1 if interlaced else 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


write("png_image_fuzzer", "rgb8_5x3.png",
      png(5, 3, 8, 2, lambda x, y: bytes((x * 50, y * 80, 200))))
write("png_image_fuzzer", "rgba16_3x2.png",
      png(3, 2, 16, 6, lambda x, y: struct.pack(">4H", x * 20000, y * 30000, 4000, 65535 - x)))
write("png_image_fuzzer", "grey1_9x2.png", png(9, 2, 1, 0, lambda x, y: (x + y) & 1))
write("png_image_fuzzer", "grey_alpha_2x2.png",
      png(2, 2, 8, 4, lambda x, y: bytes((x * 255, y * 255))))
write("png_image_fuzzer", "palette4_trns_5x2.png",
      png(5, 2, 4, 3, lambda x, y: (x + y) % 3,
          chunk(b"PLTE", bytes((255, 0, 0, 0, 255, 0, 0, 0, 255))) +
          chunk(b"tRNS", bytes((255, 128)))))
write("png_image_fuzzer", "rgb_trns_gamma_2x2.png",
      png(2, 2, 8, 2, lambda x, y: bytes((x, y, 0)),
          chunk(b"gAMA", struct.pack(">I", 45455)) + chunk(b"tRNS", struct.pack(">3H", 1, 0, 0))))
write("png_image_fuzzer", "interlaced_rgb_9x9.png",
      png(9, 9, 8, 2, lambda x, y: bytes((x * 28, y * 28, 99)), interlaced=True))
