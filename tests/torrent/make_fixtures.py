#!/usr/bin/python3
# Makes the fixtures and manifest.tsv (file, has_video, v1 info-hash or "-", info begin and end or
# -1) with libtorrent, mktorrent and transmission-create and hashlib, never with our code; and
# sha1_lengths.tsv, hashlib's digest of every message length across the padding boundaries.
# An argument names another output folder, to compare a fresh run with the committed one.
import hashlib, os, shutil, subprocess, sys, tempfile

import libtorrent as lt

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures")
TRACKER = "http://tracker.invalid/announce"
VIDEO = ".rmvb;.rm;.wmv;.mp4;.avi;.mkv;.ts;.asf;.mpg;.mov;.3gp;.mpeg;.m4v;.vob;.flv;.xv;".split(";")[:-1]

manifest = []


def record_by_libtorrent(name):
    path = os.path.join(OUT, name)
    info = lt.torrent_info(path)
    if not info.info_hashes().has_v1():
        # v2 only: its SHA-1 names no swarm, so no link and no video.
        manifest.append((name, 0, "-", -1, -1))
        return
    v1 = str(info.info_hashes().v1).upper()
    fs = info.files()
    names = [os.path.basename(fs.file_path(i)) for i in range(fs.num_files())
             if not fs.file_flags(i) & lt.file_storage.flag_pad_file]
    video = any("." in n and n[n.rfind("."):].lower() in VIDEO for n in names)
    section = info.info_section()
    begin = open(path, "rb").read().find(section)
    assert begin >= 0 and hashlib.sha1(section).hexdigest().upper() == v1, name
    # A second reader must agree where it can read the file (it rejects hybrids).
    shown = subprocess.run(["transmission-show", "-m", path], capture_output=True, text=True)
    assert shown.returncode != 0 or v1.lower() in shown.stdout.lower(), (name, shown.stdout)
    manifest.append((name, int(video), v1, begin, begin + len(section)))


def created(tool, kind, files, single=False, hybrid=False, v2=False):
    name = f"{tool}_{kind}.torrent"
    tmp = tempfile.mkdtemp()
    for rel, size in files:
        path = os.path.join(tmp, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        open(path, "wb").write(bytes((i * 7 + len(rel)) & 0xFF for i in range(size)))
    target = os.path.join(tmp, files[0][0] if single else files[0][0].split("/")[0])
    out = os.path.join(OUT, name)
    command = {"mktorrent": ["mktorrent", "-d", "-l", "15", "-a", TRACKER, "-o", out, target],
               "transmission": ["transmission-create", "-s", "16", "-t", TRACKER, "-o", out, target]}.get(tool)
    if command:
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    else:
        fs = lt.file_storage()
        lt.add_files(fs, target)
        ct = lt.create_torrent(fs, 16384, flags=lt.create_torrent.v2_only if v2 else 0 if hybrid else lt.create_torrent.v1_only)
        ct.add_tracker(TRACKER)
        ct.set_creator("fixture script")
        lt.set_piece_hashes(ct, os.path.dirname(target))
        open(out, "wb").write(lt.bencode(ct.generate()))
    shutil.rmtree(tmp)
    record_by_libtorrent(name)


def handmade(name, before, info, after, video):
    open(os.path.join(OUT, name), "wb").write(before + info + after)
    # White space the reader skips before the value is not part of it.
    lead = len(info) - len(info.lstrip(b" \t\n\r\f\v"))
    digest = hashlib.sha1(info[lead:]).hexdigest().upper()
    manifest.append((name, video, digest, len(before) + lead, len(before) + len(info)) if info else (name, 0, "-", -1, -1))


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    created("mktorrent", "single", [("film.mkv", 3000)], single=True)
    created("mktorrent", "multi", [("show/readme.txt", 10), ("show/extras/notes.txt", 20), ("show/season 1/clip.AVI", 40000)])
    created("mktorrent", "no_video", [("docs/a.txt", 10), ("docs/b.nfo", 10), ("docs/clip.mp", 10)])
    created("transmission", "single", [("movie.mp4", 5000)], single=True)
    created("transmission", "multi", [("pack/cover.jpg", 100), ("pack/cd1/track.flac", 300), ("pack/video/trailer.m4v", 20000)])
    created("libtorrent", "single", [("episode.ts", 100)], single=True)
    created("libtorrent", "non_ascii", [("电影合集/说明.txt", 10), ("电影合集/第一部/影片.MKV", 50), ("电影合集/españa/vídeo.mpeg", 30)])
    created("libtorrent", "hybrid", [("hybrid/a.bin", 20000), ("hybrid/b/clip.webm", 17000), ("hybrid/c/z.flv", 100)], hybrid=True)
    created("libtorrent", "hybrid_single", [("film.vob", 40000)], single=True, hybrid=True)
    created("libtorrent", "hybrid_no_video", [("set/x.iso", 20000), ("set/y.txt", 10)], hybrid=True)
    created("libtorrent", "v2_only", [("v2/clip.mkv", 20000), ("v2/notes.txt", 10)], v2=True)
    created("libtorrent", "v2_only_single", [("film.mp4", 20000)], single=True, v2=True)
    # A non-ASCII file name for the torrent itself: opened by wide path.
    shutil.copyfile(os.path.join(OUT, "libtorrent_single.torrent"), os.path.join(OUT, "фильм 电影.torrent"))
    record_by_libtorrent("фильм 电影.torrent")

    p, i, pl = b"6:pieces20:" + bytes(range(20)), b"d4:info", b"12:piece lengthi16384e"
    unusable = (b"d6:lengthi1ee"                    # no path
                b"d6:lengthi1e4:path8:clip.avie"    # path not a list
                b"d6:lengthi1e4:pathlee"            # empty path
                b"i42e"                             # entry not a dictionary
                b"d6:lengthi1e4:pathll5:x.mkveee"   # last element a list
                b"d6:lengthi1e4:pathli7eee")        # last element an integer
    for name, before, info, after, video in [
        # Keys out of order, at the root and inside info.
        ("unsorted", i, b"d4:name8:film.mkv6:lengthi5e" + p + pl + b"e", b"8:announce3:urle", 1),
        # Two info entries, two names: the first one counts.
        ("duplicate_info", i, b"d6:lengthi5e4:name8:film.mkv" + pl + p + b"e",
         b"4:infod6:lengthi5e4:name9:notes.txt" + pl + p + b"ee", 1),
        ("duplicate_name", i, b"d6:lengthi5e4:name9:notes.txt4:name8:film.mkv" + pl + p + b"e", b"e", 0),
        ("leading_zeros", b"d8:announce3:url4:info",
         b"d6:lengthi005e4:name08:film.avi12:piece lengthi+016384e" + p + b"e", b"e", 1),
        ("white_space", b"\n d 4:info",
         b" \td 4 :name 8:film.wmv 6:length i 5 e 12:piece length\ni16384 e" + p + b" e", b"\r\ne", 1),
        ("plus_key", i, b"d+4:name8:film.mkv" + p + b"e", b"e", 1),
        ("cut_after_info", i, b"d4:name9:clip.MPEG" + p + b"e", b"8:announce5:ab", 1),
        ("cut_in_info", b"d8:announce3:url4:info", b"", b"d4:name8:film.mkv6:lengt", 0),
        ("no_info", b"", b"", b"d8:announce3:url7:comment8:film.mkve", 0), ("info_string", b"", b"", b"d4:info8:film.mkve", 0),
        ("info_list", b"", b"", b"d4:infol4:name8:film.mkvee", 0), ("root_list", b"", b"", b"l4:infod4:name8:film.mkvee", 0),
        ("not_bencode", b"", b"", b"<html>film.mkv</html>", 0), ("empty", b"", b"", b"", 0),
        ("unusable_paths", i, b"d5:filesl" + unusable + b"e4:name3:set" + p + b"e", b"e", 0),
        ("unusable_then_video", i,
         b"d5:filesl" + unusable + b"d6:lengthi1e4:pathl1:x8:film.avieee4:name3:set" + p + b"e", b"e", 1),
        ("files_not_list", i, b"d5:files4:oops4:name8:film.mkv" + p + b"e", b"e", 1),
        ("empty_files", i, b"d5:filesle4:name8:film.mkv" + p + b"e", b"e", 0),
        ("first_entry_video", i,
         b"d5:filesld6:lengthi1e4:pathl1:x8:film.avieed6:lengthi1e4:pathl9:notes.txteee4:name1:x" + p + b"e", b"e", 1),
    ]:
        handmade("hand_" + name + ".torrent", before, info, after, video)

    with open(os.path.join(OUT, "manifest.tsv"), "w", encoding="utf-8", newline="\n") as f:
        f.writelines("\t".join(str(x) for x in row) + "\n" for row in manifest)
    # Message n is bytes (7 i + 1) mod 256 for i < n; lengths 55, 56 and 64 are where padding slips.
    with open(os.path.join(OUT, "sha1_lengths.tsv"), "w", newline="\n") as f:
        for n in range(301):
            f.write(f"{n}\t{hashlib.sha1(bytes((7 * i + 1) & 0xFF for i in range(n))).hexdigest().upper()}\n")
    print(f"{len(manifest)} fixtures in {OUT}")


if __name__ == "__main__":
    sys.exit(main())
