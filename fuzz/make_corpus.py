#!/usr/bin/env python3
"""Writes the seed corpus of the timetable reader fuzzer into fuzz/corpus/.

Run from anywhere: python3 fuzz/make_corpus.py. The output is committed; re-run it only when
the seeds below change. The fuzzer never writes into fuzz/corpus/ itself (see fuzz/run.sh).
"""
import pathlib
import shutil

ROOT = pathlib.Path(__file__).resolve().parent.parent
SAMPLES = ROOT / "data" / "TimeData"
OUT = ROOT / "fuzz" / "corpus"

# The cases the reader tests spell out, as whole files.
EDGE_CASES = {
    "end_mark_alone": "=",
    "empty_file": "",
    "two_lines": "XXXX\t0002\t/\n0001\t0700\t/\n=",
    "empty_cell_between": "0001\t\t0702\t/\n=",
    "leading_tab_is_empty_cell": "\t0700\t/\n=",
    "tab_after_slash_line": "0001\t0700/\n\t0800\t/\n=",
    "char_after_slash_digit": "1111/92222\t/\n=",
    "char_after_slash_tab": "1111\t/\t2222\t/\n=",
    "char_after_slash_slash": "1111\t//2222\t/\n=",
    "end_mark_mid_line": "0001\t0700\t07=15\t0800\t/\n0002\t/\n=",
    "shorter_line_keeps_rest": "1111\t2222\t3333\t/\n4444\t/\n=",
    "long_cell_split": "1234567\t/\n=",
    "long_cell_rest_next": "12345678\t/\n=",
    "short_cell_completed_after_tab": "12\t34\t/\n=",
    "slash_in_cell": "12/\n3456\t/\n=",
    "no_end_mark": "1111\t2222",
    "end_right_after_slash": "1111\t/",
    "lone_tab_after_partial_cell": "12\t\t5678\t/\n=",
    "lone_tab_after_three_chars": "123\t\t/\n=",
    "text_after_end_mark": "0001\t0700\t/\n=0002\t0800\t/\n",
    "after_midnight_times": "A000\t1234\t/\n0000\t1234\t/\n0001\t2359\t3000\t3015\t2999\t/\n=",
    "line_break_without_slash": "0001\t0700\t\n0002\t0800\t/\n=",
    "tabs_only": "\t" * 1000,
    "slashes_only": "/" * 500,
}


def encode_utf16(text, big_endian):
    bom = b"\xfe\xff" if big_endian else b"\xff\xfe"
    return bom + text.encode("utf-16-be" if big_endian else "utf-16-le")


def oversize():
    """75 lines of 85 cells: more than the grid's 70 rows and 80 columns."""
    line = "1234\t" * 85 + "/\n"
    return (line * 75 + "=").encode()


def write(name, data):
    (OUT / name).write_bytes(data)


def main():
    if OUT.exists():
        shutil.rmtree(OUT)
    OUT.mkdir(parents=True)

    samples = sorted(SAMPLES.glob("*.txt"))
    for path in samples:
        write("sample_" + path.name, path.read_bytes())

    for name, text in EDGE_CASES.items():
        write("edge_" + name + ".txt", text.encode())

    small = (SAMPLES / "DownData_05.txt").read_bytes()
    large = max(samples, key=lambda p: p.stat().st_size).read_bytes()
    text = small.decode("utf-8")
    lf = text.replace("\r\n", "\n")
    crlf = lf.replace("\n", "\r\n")
    header = "열차\t" + lf.split("\t", 1)[1]  # Hangul where the reader never looks

    # Each accepted encoding, and line-break style.
    write("enc_ascii_lf.txt", lf.encode("ascii"))
    write("enc_ascii_crlf.txt", crlf.encode("ascii"))
    write("enc_utf8_hangul_nobom.txt", header.encode("utf-8"))
    write("enc_utf8_bom.txt", b"\xef\xbb\xbf" + header.encode("utf-8"))
    write("enc_utf16le_bom.txt", encode_utf16(header, False))
    write("enc_utf16be_bom.txt", encode_utf16(header, True))
    write("enc_utf16le_bom_crlf.txt", encode_utf16(crlf, False))
    write("enc_utf16be_bom_crlf.txt", encode_utf16(crlf, True))
    write("enc_bom_utf8_only.txt", b"\xef\xbb\xbf")
    write("enc_bom_utf16le_only.txt", b"\xff\xfe")
    write("enc_bom_utf16be_only.txt", b"\xfe\xff")
    write("enc_utf16le_odd_length.txt", encode_utf16(lf, False) + b"=")
    write("enc_utf16be_odd_length.txt", encode_utf16(lf, True)[:-1])
    write("enc_utf16le_lone_surrogates.txt",
          b"\xff\xfe" + b"\x00\xd8" + "12\t".encode("utf-16-le") + b"\x00\xdc" + b"=\x00")
    write("enc_utf16le_without_bom.txt", lf.encode("utf-16-le"))
    write("enc_cr_only.txt", lf.replace("\n", "\r").encode())
    write("enc_crlf_split_by_slash.txt", b"0001\t0700\t/\r\r\n0002\t/\r\n=")

    # Bytes that are not UTF-8: lone continuation, overlong, encoded surrogate, truncated
    # sequences, bytes never valid in UTF-8, a four-byte sequence beyond U+10FFFF.
    write("utf8_invalid_mixed.txt",
          b"\x80001\t0\xc0\xaf00\t\xed\xa0\x80\t\xe2\x82/\n\xff\xfe\xfe\xff\t\xf4\x90\x80\x80/\n=")
    write("utf8_truncated_at_end.txt", b"0001\t0700\t\xe2\x82")
    write("utf8_four_byte.txt", "\U0001F686\U0001F686\t0700\t/\n=".encode("utf-8"))

    # NUL bytes inside cells, as whole cells, and a file of NULs alone.
    write("nul_in_cells.txt", b"00\x0001\t\x00\x00\x00\x00\t0700\t/\x00\x00\t/\n=")
    write("nul_only.txt", b"\x00" * 256)

    # Input that would not fit, and files cut short.
    write("oversize_75_lines_85_cells.txt", oversize())
    write("oversize_one_endless_line.txt", b"7" * 60000)
    write("oversize_many_short_lines.txt", b"0001\t/\n" * 500 + b"=")
    write("truncated_mid_cell.txt", large[: len(large) // 2 - 3])
    write("truncated_after_slash.txt", large[: large.index(b"/") + 1])
    write("truncated_no_end_mark.txt", large.rstrip(b"\r\n=").rstrip())

    total = sum(p.stat().st_size for p in OUT.iterdir())
    print(f"{len(list(OUT.iterdir()))} files, {total} bytes in {OUT.relative_to(ROOT)}")


if __name__ == "__main__":
    main()
