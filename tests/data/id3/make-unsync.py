#!/usr/bin/python3
# Applies ID3v2 unsynchronisation to tags written by eyeD3, as a writer that uses it would:
# the whole tag body of a version 2.3 tag; every frame of a version 2.4 tag (frame flags
# "unsynchronised" and "data length indicator", header flag set).
import sys

def unsync(data):
    out = bytearray()
    for i, b in enumerate(data):
        out.append(b)
        if b == 0xFF and (i + 1 == len(data) or data[i + 1] >= 0xE0 or data[i + 1] == 0):
            out.append(0)
    return bytes(out)

def syncsafe(n):
    return bytes((n >> s) & 0x7F for s in (21, 14, 7, 0))

def size(b):
    return b[0] << 21 | b[1] << 14 | b[2] << 7 | b[3]

def main(src, dst):
    data = open(src, 'rb').read()
    assert data[:3] == b'ID3'
    version, flags, body_size = data[3], data[5], size(data[6:10])
    body, rest = data[10:10 + body_size], data[10 + body_size:]
    if version == 3:
        new = unsync(body)
    else:
        assert version == 4 and not flags & 0x40
        frames, pos = b'', 0
        while pos + 10 <= len(body) and body[pos] != 0:
            fid, n, fl = body[pos:pos + 4], size(body[pos + 4:pos + 8]), body[pos + 8:pos + 10]
            content = body[pos + 10:pos + 10 + n]
            stored = syncsafe(len(content)) + unsync(content)
            frames += fid + syncsafe(len(stored)) + bytes([fl[0], fl[1] | 0x03]) + stored
            pos += 10 + n
        new = frames + body[pos:]
    header = b'ID3' + bytes([version, 0, flags | 0x80]) + syncsafe(len(new))
    open(dst, 'wb').write(header + new + rest)

main(sys.argv[1], sys.argv[2])
