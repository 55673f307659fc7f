#!/usr/bin/env python3
"""Reads a show written by orvanne-cjf create with nothing but the format's tables, and checks it
byte for byte against the files that went into it.

    independent_reader.py BIN_DIR
"""
import os
import struct
import subprocess
import sys
import tempfile


def short_string(raw, capacity):
    length = raw[0]
    assert length <= capacity, f"length byte {length} over capacity {capacity}"
    return raw[1:1 + length], raw[1 + length:capacity + 1]


def main():
    bin_dir = sys.argv[1]
    with tempfile.TemporaryDirectory() as tmp:
        def write(name, data):
            path = os.path.join(tmp, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
            return path

        cam1 = write("cam1/IMG_0001.JPG", b"first camera" * 100)
        cam2 = write("cam2/IMG_0001.JPG", b"second camera" * 77)
        pic = write("pics/caf\u00e9.png", os.urandom(5000))
        wav = write("snd/ring.wav", b"RIFF" + os.urandom(300))
        mid = write("music/tune.mid", b"MThd" + os.urandom(50))
        manifest = write("show.txt", (
            f"{cam1}\t2.5\tBeach \u00e9t\u00e9\t{wav}\n"
            f"{cam2}\t\t\t\n"
            f"{pic}\t0\t\u5bcc\u58eb\t \n").encode("utf-8"))
        out = os.path.join(tmp, "out.cjf")
        subprocess.run([os.path.join(bin_dir, "orvanne-cjf"), "create", out, "--delay", "12", "--no-fit",
                        "--music", mid, "--manifest", manifest], check=True)

        data = open(out, "rb").read()
        magic, rest = short_string(data[0:28], 27)
        assert magic == b"CJFF" and rest == bytes(23), (magic, rest)
        assert data[28:32] == b"\x00\x00\xc0\x3f", data[28:32]
        count, delay = struct.unpack("<ii", data[32:40])
        assert delay == 12 and data[40:44] == b"\x01\x00\x01\x01", (delay, data[40:44])

        records = []
        for i in range(count):
            rec = data[44 + 344 * i:44 + 344 * (i + 1)]
            name, _ = short_string(rec[0:256], 255)
            caption, _ = short_string(rec[256:337], 80)
            assert rec[337:340] == b"\0\0\0", "padding"
            size, = struct.unpack("<i", rec[340:344])
            records.append((name, caption, size))
        offset = 44 + 344 * count
        payload = {}
        for name, _, size in records:
            payload[name] = data[offset:offset + size]
            offset += size
        assert offset == len(data), f"{len(data) - offset} bytes after the last file"

        names = [r[0] for r in records]
        expected_order = [b"IMG_0001.JPG", b"IMG_0001 (2).JPG", "caf\u00e9.png".encode("cp1252"), b"tune.mid",
                          b"ring.wav", b"DisplayList.lst", b"SlideTiming.lst", b"SlideAudio.lst",
                          b"SongList.lst", b"Captions.lst", b"CfgSet.lst"]
        assert names == expected_order, names
        captions = [r[1] for r in records]
        # Record i carries caption i while there are captions, then one blank.
        assert captions[:3] == ["Beach \u00e9t\u00e9".encode("cp1252"), b"", "\u5bcc\u58eb".encode("utf-8")], captions
        assert all(c == b" " for c in captions[3:]), captions

        assert payload[b"IMG_0001.JPG"] == open(cam1, "rb").read()
        assert payload[b"IMG_0001 (2).JPG"] == open(cam2, "rb").read()
        assert payload[b"ring.wav"] == open(wav, "rb").read()
        assert payload[b"tune.mid"] == open(mid, "rb").read()
        lists = {
            b"DisplayList.lst": b"IMG_0001.JPG\r\nIMG_0001 (2).JPG\r\ncaf\xe9.png\r\n",
            b"SlideTiming.lst": b"2500\r\n0\r\n0\r\n",
            b"Captions.lst": "Beach \u00e9t\u00e9\r\n\r\n".encode("cp1252") + "\u5bcc\u58eb\r\n".encode("utf-8"),
            b"SlideAudio.lst": b"ring.wav\r\n\r\n \r\n",
            b"SongList.lst": b"tune.mid\r\n",
            b"CfgSet.lst": b"-2147483633\r\nTRUE\r\n",
        }
        for name, content in lists.items():
            assert payload[name] == content, (name, payload[name], content)
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
