#!/usr/bin/env python3
# The JPEG IN with an Exif block of orientation 6 (turned a quarter) after its
# SOI marker, written to OUT: the benchmarks' picture a change must turn.
#   bench/turned-jpeg.py IN OUT
import sys

data = open(sys.argv[1], 'rb').read()
tiff = b'MM\x00*\x00\x00\x00\x08' + b'\x00\x01' + b'\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00' + b'\x00\x00\x00\x00'
body = b'Exif\x00\x00' + tiff
open(sys.argv[2], 'wb').write(data[:2] + b'\xff\xe1' + (len(body) + 2).to_bytes(2, 'big') + body + data[2:])
