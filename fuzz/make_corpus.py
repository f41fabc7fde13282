#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpus, fuzz/corpus/<target>/, again.

The seeds are small hand-made inputs, one for each kind the parser meets:
settings files in every form editors save them and with the usual hand
edits, and packed pictures of every header size, depth and row order the
clipboard carries. Run it after changing a seed here; the files are kept
in the repository. Inputs that once broke a target are kept there too, by
hand, named after what they found.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# Settings files as text, with the forms they are saved in.
TEXTS = {
    "plain": "[main]\r\npath=C:\\Shots\r\nformat=BMP\r\nopen=1\r\n",
    "hand-edited": "; edited by hand\r\n[other]\r\nkeep=1\r\n\r\n[Main]\r\n  Path = \"C:\\My Shots\" \r\n"
                   "format=jpeg\r\nopen=yes\r\nkeep=x\r\nview='y'\r\n",
    "lf-duplicates": "[main]\npath=a\n[MAIN]\npath=b\nopen = -1\nformat\n[main\nkeep=z",
    "non-latin": "[other]\r\nkeep=Caf\u00e9 \u0424\r\n[main]\r\npath=C:\\\u0424\u043e\u0442\u043e \u039b\u03ae\u03c8\u03b7\r\n"
                 "format=bmp\r\nopen=2\r\nkeep=\u00e9\r\n",
}


def utf16(text):
    return b"\xff\xfe" + text.encode("utf-16-le")


def settings_ini():
    return {
        "plain.ini": TEXTS["plain"].encode("ascii"),
        "hand-edited.ini": TEXTS["hand-edited"].encode("ascii"),
        "lf-duplicates.ini": TEXTS["lf-duplicates"].encode("ascii"),
        "ansi.ini": "[main]\r\npath=C:\\Caf\u00e9\r\nopen=1\r\nkeep=\u00e9\u20ac\r\n".encode("cp1252"),
        "utf8.ini": TEXTS["non-latin"].encode("utf-8"),
        "utf8-marked.ini": b"\xef\xbb\xbf" + TEXTS["non-latin"].replace("\r\n", "\n").encode("utf-8"),
        "utf16.ini": utf16(TEXTS["non-latin"]),
        "not-utf8.ini": "[other]\r\nkeep=\u0424\r\n".encode("utf-8") + b"[main]\r\npath=C:\\Caf\xe9\r\n",
        "utf8-short-format.ini": "[main]\r\npath=C:\\\u0424\r\nformat=bm\r\nkeep=\r\n".encode("utf-8"),
    }


def settings_encoding():
    # The first byte: the form (0 ANSI, 1 UTF-8, 2 UTF-8 marked, 3 UTF-16,
    # 4 the bytes as they are), plus 0x80 for a folder written back that
    # the code page lacks. The rest is the text in UTF-8.
    latin = "[main]\r\npath=C:\\Caf\u00e9\r\nformat=bmp\r\nopen=1\r\nkeep=\u00e9\r\n"
    return {
        "ansi.bin": b"\x00" + latin.encode("utf-8"),
        "ansi-to-unicode.bin": b"\x80" + TEXTS["hand-edited"].encode("utf-8"),
        "utf8.bin": b"\x01" + TEXTS["non-latin"].encode("utf-8"),
        "utf8-marked.bin": b"\x82" + TEXTS["non-latin"].encode("utf-8"),
        "utf16.bin": b"\x03" + TEXTS["lf-duplicates"].encode("utf-8"),
        "raw-not-utf8.bin": b"\x84" + "[other]\r\nkeep=\u0424\r\n".encode("utf-8") + b"[main]\r\npath=C:\\Caf\xe9\r\n",
    }


def packed(width, height, bpp, compression=0, header=40, masks=None, colours=0, pixels=None):
    """A packed picture: the header, masks after a 40-byte one, the colour table, the rows."""
    stride = (width * bpp + 31) // 32 * 4
    rows = abs(height)
    body = struct.pack("<IiiHHIIiiII", header, width, height, 1, bpp, compression, stride * rows, 2835, 2835,
                       colours, 0)
    if header > 40:
        # The masks (and the alpha mask) inside the longer header.
        body += struct.pack("<IIII", *(masks or (0, 0, 0)), 0).ljust(header - 40, b"\0")[:header - 40]
    elif masks:
        body += struct.pack("<III", *masks)
    table = colours or (1 << bpp if bpp <= 8 else 0)
    body += bytes((i * 37) & 0xFF for i in range(table * 4))
    data = pixels if pixels is not None else bytes((i * 29 + 7) & 0xFF for i in range(stride * rows))
    return body + data


def packed_dib():
    return {
        "rgb24-bottom-up.dib": packed(3, 2, 24),
        "rgb32-top-down.dib": packed(2, -3, 32),
        "bitfields32.dib": packed(3, 2, 32, compression=3, masks=(0xFF0000, 0xFF00, 0xFF)),
        "bitfields16-v4.dib": packed(4, 2, 16, compression=3, header=108, masks=(0xF800, 0x7E0, 0x1F)),
        "bitfields32-v5.dib": packed(2, 2, 32, compression=3, header=124, masks=(0xFF0000, 0xFF00, 0xFF)),
        "palette8.dib": packed(5, 2, 8, colours=4),
        "palette4.dib": packed(7, -1, 4),
        "mono.dib": packed(9, 2, 1),
    }


def main():
    for target, files in (("settings_ini", settings_ini()), ("settings_encoding", settings_encoding()),
                          ("packed_dib", packed_dib())):
        folder = os.path.join(HERE, "corpus", target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
