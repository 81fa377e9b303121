#!/usr/bin/env python3
"""Rebuilds the hand-made reproducers of the fuzzing run's findings in this folder.
Inputs the fuzzers found themselves are kept as they were found (crash-*, oom-*,
timeout-*, slow-unit-*); this script only writes the ones named after their finding."""
import json
import os
import struct
import zlib

here = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    os.makedirs(os.path.join(here, target), exist_ok=True)
    with open(os.path.join(here, target, name), 'wb') as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def page_header(width, height, fmt, bpl, colors, bands):
    return b'QRPAGE1\0' + struct.pack('<8i', width, height, fmt, bpl, 11811, 11811, colors, bands)


ARGB32, GRAY8 = 5, 24

# Signed overflow in the band count: a height near 2^31, header only.
put('page_file', 'band-count-overflow.qpage', page_header(1, 0x7ffffff0, GRAY8, 4, 0, 8388608))
# 45 bytes asking for 5 GB: one band of one byte for 4 882 813 x 256 ARGB32 pixels.
put('page_file', 'five-gigabytes-in-45-bytes.qpage',
    page_header(4882813, 256, ARGB32, 4882813 * 4, 0, 1) + struct.pack('<i', 1) + b'\0')
# 100 megapixels within the limits, but 40 bands of 16 bytes cannot hold them.
put('page_file', 'more-than-lz4-holds.qpage',
    page_header(10000, 10000, GRAY8, 10000, 0, 40) + struct.pack('<40i', *([16] * 40)) + b'\0' * 640)

# 30 000 names: checked one against all before, 10.7 s.
def index(names):
    return json.dumps({'version': 1, 'title': 'x', 'time': '2026-01-01T10:00:00.000', 'pages': names})

put('page_index', 'thirty-thousand-names.json', index(['page-%d.qpage' % i for i in range(1, 30001)]))
put('page_index', 'ten-thousand-names.json', index(['page-%d.qpage' % i for i in range(1, 10001)]))

# A recovery folder whose only page is the band-count overflow: read at every start.
sep = b'\n--quirra-page--\n'
put('recovery_folder', 'band-count-overflow-at-start',
    index(['page-1.qpage']).encode() + sep + page_header(1, 0x7ffffff0, GRAY8, 4, 0, 8388608))


def tiff(pages, width, height):
    """Little-endian TIFF, 8-bit grey, deflate, one strip per page."""
    strip = zlib.compress(b'\0' * 4096)
    out = bytearray(b'II*\0' + struct.pack('<I', 8))
    for page in range(pages):
        entries = [(256, 4, width), (257, 4, height), (258, 3, 8), (259, 3, 8), (262, 3, 1), (273, 4, 0),
                   (277, 3, 1), (278, 4, height), (279, 4, len(strip))]
        ifd_at = len(out)
        data_at = ifd_at + 2 + 12 * len(entries) + 4
        out += struct.pack('<H', len(entries))
        for tag, kind, value in entries:
            if tag == 273:
                value = data_at
            out += struct.pack('<HHI', tag, kind, 1) + (struct.pack('<HH', value, 0) if kind == 3 else struct.pack('<I', value))
        next_at = data_at + len(strip) if page + 1 < pages else 0
        out += struct.pack('<I', next_at) + strip
    return bytes(out)

# The TIFF bomb's shape: 50 deflate pages, here each over the page limit (20000 x 20000).
put('document_tiff', 'fifty-oversized-pages.tif', tiff(50, 20000, 20000))

# SANE parameters announcing 1.18e9 lines of 16 pixels: 18.9 GB before a byte arrives.
def frame(fmt, depth, pixels, lines, bpl, data=b''):
    return struct.pack('<5i', fmt, depth, pixels, lines, bpl) + data

put('sane_frames', 'billion-lines', frame(0, 8, 16, 1180000000, 16, b'\x10' + b'\x80' * 16))
put('sane_frames', 'pixels-beyond-line', frame(1, 8, 2147483647, 1, 3, b'\x03abc'))

# A rectangle whose right edge is beyond the int range.
put('annotation_json', 'rect-overflow.json', json.dumps({'annotations': [
    {'type': 2, 'x': 2147483000, 'y': -2147483000, 'width': 2147483000, 'height': -2147483000,
     'points': [{'x': 2147483647, 'y': -2147483648}]}]}))


def png_header(width, height):
    ihdr = struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)
    chunk = lambda kind, body: struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(b'\0' * 64))
            + chunk(b'IEND', b''))

# Headers claiming a page beyond the limits.
put('document_image', 'png-60000-squared', b'\0' + png_header(60000, 60000))
put('escl_document', 'png-60000-squared', png_header(60000, 60000))

# One page whole, the next cut short: the whole folder was refused, now only that page.
good = page_header(4, 2, GRAY8, 4, 0, 1) + struct.pack('<i', 9) + b'\x80' + bytes(range(10, 90, 10))
put('recovery_folder', 'second-page-cut-short',
    index(['page-1.qpage', 'page-2.qpage']).encode() + sep + good + sep + good[:-3])
