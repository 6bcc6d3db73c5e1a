#!/usr/bin/env python3
# Converts a 24- or 32-bit-per-pixel ZPixmap XWD dump (xwd -root) to PNG with the standard library only.
#   xwd-to-png.py IN.xwd OUT.png
import struct, sys, zlib

data = open(sys.argv[1], 'rb').read()
h = struct.unpack('>25I', data[:100])
header_size, width, height = h[0], h[4], h[5]
bits_per_pixel, bytes_per_line, ncolors = h[11], h[12], h[19]
if bits_per_pixel not in (24, 32):
    sys.exit(f'{sys.argv[1]}: {bits_per_pixel} bits per pixel, expected 24 or 32')
step = 4 if bytes_per_line >= width * 4 else 3  # Xvfb stores 24-bit pixels in 32-bit words
red_mask, green_mask, blue_mask = h[14], h[15], h[16]
byte_order = h[7]  # 0: LSB first
pixels = data[header_size + ncolors * 12:]
rows = []
for y in range(height):
    line = pixels[y * bytes_per_line:y * bytes_per_line + width * step]
    out = bytearray(b'\0')
    for x in range(width):
        p = int.from_bytes(line[x * step:x * step + step], 'little' if byte_order == 0 else 'big')
        out += bytes(((p & red_mask) >> 16, (p & green_mask) >> 8, p & blue_mask))
    rows.append(bytes(out))

def chunk(tag, body):
    return struct.pack('>I', len(body)) + tag + body + struct.pack('>I', zlib.crc32(tag + body))

png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
png += chunk(b'IDAT', zlib.compress(b''.join(rows))) + chunk(b'IEND', b'')
open(sys.argv[2], 'wb').write(png)
