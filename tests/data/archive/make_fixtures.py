#!/usr/bin/env python3
"""Writes the archive fixtures of this folder. Each one is laid out by hand, byte by byte,
independently of the C++ writer, so the readers are checked against the format itself."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def word(v):
    return struct.pack('<H', v)


def dword(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def text(b):
    if len(b) < 255:
        return bytes([len(b)]) + b
    if len(b) <= 0xFFFD:
        return b'\xff' + word(len(b)) + b
    return b'\xff\xff\xff' + dword(len(b)) + b


def new_class(name, schema):
    return word(0xFFFF) + word(schema) + word(len(name)) + name


def pez2(url, title, first, last, size=0, reserved=0):
    return text(url) + text(title) + dword(reserved) + dword(first) + dword(last) + dword(size)


def write(name, data):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)


# The two-PageMark layout: an 11-byte URL, a one-byte title, reserved 0, size 0.
two = (word(2) + new_class(b'CPez', 2) + pez2(b'http://a.b/', b'T', 1000000000, 1000000300)
       + word(0x8001) + pez2(b'http://c.d/', b'U', 1000000400, 1000000500, size=4096))
write('cache_two_records.data', two)

# The same file cut off in the middle of the second record's fields.
write('cache_truncated.data', two[:-15])

# Schema 1 PageMarks: url, title, commandId, reserved, first, last; no size.
write('cache_schema1.data',
      word(2) + new_class(b'CPez', 1)
      + text(b'http://old.example/') + text(b'Old') + dword(1040) + dword(0) + dword(900000000) + dword(900000600)
      + word(0x8001)
      + text(b'http://older.example/') + text(b'Older') + dword(1041) + dword(7) + dword(800000000) + dword(800000001))

# Schema 1 topics: target, name, isFolder, first, last; no size.
write('topics_schema1.data',
      word(2) + new_class(b'CTopic', 1)
      + text(b'/home/u/Topics/900000000.data') + text(b'News') + dword(1) + dword(900000000) + dword(900000000)
      + word(0x8001)
      + text(b'http://news.example/') + text(b'Front page') + dword(0) + dword(900000100) + dword(900000200))

# Long-form class references (0x7FFF + 0x80000001) after the first element.
write('cache_long_refs.data',
      word(3) + new_class(b'CPez', 2) + pez2(b'http://1.example/', b'one', 1, 2)
      + word(0x7FFF) + dword(0x80000001) + pez2(b'http://2.example/', b'two', 3, 4)
      + word(0x7FFF) + dword(0x80000001) + pez2(b'http://3.example/', b'three', 5, 6))

# Titles with a quote, a backslash, control characters, a Latin-1 byte and valid UTF-8.
write('cache_mixed_text.data',
      word(1) + new_class(b'CPez', 2)
      + pez2(b'http://x.example/"q"', b'caf\xe9 \\ \x01\t\n \xc3\xa9\x7f', -1, 2147483647, size=4294967295,
             reserved=5))

# A title with C1 control characters: U+0085 in UTF-8, and 0x9B as a Latin-1 byte.
write('cache_c1_text.data',
      word(1) + new_class(b'CPez', 2) + pez2(b'http://c1.example/', b'a\xc2\x85b\x9b', 0, 0))

# One record of an unknown schema (no fields), then a schema 2 record described anew.
write('cache_unknown_schema.data',
      word(2) + new_class(b'CPez', 9) + new_class(b'CPez', 2) + pez2(b'http://k.example/', b'kept', 10, 20))

# A file of count 0.
write('cache_empty.data', word(0))
