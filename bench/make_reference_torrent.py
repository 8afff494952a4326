#!/usr/bin/env python3
# Writes the reference torrent for speed measurements: about 12 MB, 100,000 files in
# nested folders, canonical bencode, the only video file last (so a video check must walk
# every entry). Deterministic. With --near-misses every name looks like a video to a
# quick byte filter (".ts.bak", ".txt" style) without being one.
# Usage: make_reference_torrent.py [--near-misses] OUTPUT
import random
import sys

FILES = 100_000
PIECE = 16384


def bencode(value, out):
    if isinstance(value, int):
        out += b"i%de" % value
    elif isinstance(value, bytes):
        out += b"%d:" % len(value) + value
    elif isinstance(value, str):
        bencode(value.encode("utf-8"), out)
    elif isinstance(value, list):
        out += b"l"
        for item in value:
            bencode(item, out)
        out += b"e"
    elif isinstance(value, dict):
        out += b"d"
        for key in sorted(value, key=lambda k: k.encode("utf-8")):
            bencode(key, out)
            bencode(value[key], out)
        out += b"e"
    else:
        raise TypeError(type(value))


def main():
    args = sys.argv[1:]
    near_misses = args[:1] == ["--near-misses"]
    args = args[1:] if near_misses else args
    if len(args) != 1:
        sys.exit("usage: make_reference_torrent.py [--near-misses] OUTPUT")
    rng = random.Random(20261206)
    files = []
    total = 0
    for i in range(FILES):
        length = rng.randrange(1, 106000)
        total += length
        other = (".ts.bak" if i % 2 else ".mkv.txt") if near_misses else ".dat"
        name = f"file_{i:06d}" + (".mkv" if i == FILES - 1 else other)
        files.append({"length": length, "path": [f"set_{i // 10000:02d}", f"group_{i // 100 % 100:02d}", name]})
    pieces = (total + PIECE - 1) // PIECE
    info = {
        "files": files,
        "name": "reference",
        "piece length": PIECE,
        "pieces": rng.randbytes(20 * pieces),
    }
    root = {"announce": "http://tracker.invalid/announce", "created by": "make_reference_torrent.py",
            "creation date": 1765000000, "info": info}
    out = bytearray()
    bencode(root, out)
    with open(args[0], "wb") as f:
        f.write(out)
    print(f"{args[0]}: {len(out)} bytes, {FILES} files, {pieces} pieces")


if __name__ == "__main__":
    main()
