#!/usr/bin/python3
"""Prints the tags of a sound file as mutagen reads them, for the tag tests: one sorted line
per frame or comment, the cover pictures compared with an expected picture file.

usage: read_tags.py FILE [COVER]
Lines: "version 2.N" and "ID[encoding]=text" (text frames), "TXXX:description[encoding]=value",
"UFID:owner=identifier", "APIC type mime description=picture" for MP3 files;
"NAME=value" and "PICTURE type mime description=picture" for Vorbis comments, where picture
is "same" when the bytes equal COVER's, else "other N bytes". "no tags" when there are none.
"""
import base64
import sys

import mutagen
from mutagen.flac import Picture
from mutagen.id3 import ID3, ID3NoHeaderError

path = sys.argv[1]
cover = open(sys.argv[2], "rb").read() if len(sys.argv) > 2 and sys.argv[2] != "-" else None


lines = []
if path.endswith(".mp3"):
    try:
        tag = ID3(path, translate=False)
    except ID3NoHeaderError:
        print("no tags")
        sys.exit(0)
    lines.append("version 2.%d" % tag.version[1])
    for frame in tag.values():
        name = frame.FrameID
        if name == "TXXX":
            lines.append("TXXX:%s[%d]=%s" % (frame.desc, frame.encoding, "/".join(frame.text)))
        elif name == "UFID":
            lines.append("UFID:%s=%s" % (frame.owner, frame.data.decode("latin-1")))
        elif name == "APIC":
            same = "same" if frame.data == cover else "other %d bytes" % len(frame.data)
            lines.append("APIC %d %s %r=%s" % (frame.type, frame.mime, frame.desc, same))
        elif name == "TCON":
            # The genre as players show it: references and escapes undone.
            lines.append("TCON[%d]=%s" % (frame.encoding, "/".join(frame.genres)))
        elif name.startswith("T"):
            lines.append("%s[%d]=%s" % (name, frame.encoding, "/".join(str(t) for t in frame.text)))
        else:
            lines.append(name)
else:
    audio = mutagen.File(path)
    if audio is None:
        print("not a sound file")
        sys.exit(1)
    pictures = list(getattr(audio, "pictures", []))
    for name, value in (audio.tags or []):
        if name.upper() == "METADATA_BLOCK_PICTURE":
            pictures.append(Picture(base64.b64decode(value)))
        else:
            lines.append("%s=%s" % (name.upper(), value))
    for p in pictures:
        same = "same" if p.data == cover else "other %d bytes" % len(p.data)
        lines.append("PICTURE %d %s %r=%s" % (p.type, p.mime, p.desc, same))
    if not lines:
        print("no tags")
        sys.exit(0)
for line in sorted(lines):
    print(line)
