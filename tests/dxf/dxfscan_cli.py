#!/usr/bin/env python3
"""The command line of dxfscan: output format, escapes, failures, --encoding.

usage: dxfscan_cli.py DXFSCAN
"""
import os
import subprocess
import sys
import tempfile

DXFSCAN = sys.argv[1]
failures = []


def run(data, *args):
    with tempfile.NamedTemporaryFile(suffix=".dxf", delete=False) as f:
        f.write(data)
    try:
        r = subprocess.run([DXFSCAN, *[a.replace("FILE", f.name) for a in args]], capture_output=True)
        return r.returncode, r.stdout, r.stderr
    finally:
        os.unlink(f.name)


def check(name, got, want):
    if got != want:
        failures.append(f"{name}: got {got!r}, want {want!r}")


def dxf(*lines, eol=b"\r\n"):
    return b"".join(line + eol for line in lines)


# Fields in code-list order, blanks kept, TAB and CR inside a value escaped,
# a missing code as an empty field, UTF-8 out of code page 932 in.
data = dxf(b"  0", b"SECTION", b"  2", b"ENTITIES",
           b"  0", b"ATTRIB", b"  1", b" a\tb\rc ", b"  2", b"\x8c\x6e\x93\x9d",
           b"  0", b"ATTRIB", b"  2", b"TAG",
           b"  0", b"ENDSEC")
check("records", run(data, "FILE", "ENTITIES", "ATTRIB", "2|1"),
      (0, "2\n系統\t a\\tb\\rc \nTAG\t\n".encode(), b""))

# A failure: nothing on stdout, number and description on stderr, status 1.
code, out, err = run(dxf(b"  0", b"SECTION", b"  2", b"ENTITIES", b"x"), "FILE", "ENTITIES", "ATTRIB", "1")
check("failure status", code, 1)
check("failure stdout", out, b"")
check("failure stderr", err.decode("utf-8").startswith("dxfscan: 13 型が一致しません。"), True)
code, out, err = run(b"", "FILE.missing", "ENTITIES", "ATTRIB", "1")
check("missing file", (code, out, err.decode("utf-8").startswith("dxfscan: 53 ")), (1, b"", True))

# A UTF-8 file with a byte-order mark, as some programs write it, and a blank
# last line: the mark belongs to no line, the blank line ends the file.
data = b"\xef\xbb\xbf" + dxf(b"0", b"SECTION", b"2", b"ENTITIES", b"0", b"TEXT", b"1", "配管".encode("utf-8"),
                              b"0", b"ENDSEC", b"0", b"EOF", b"")
check("byte-order mark", run(data, "--encoding=utf-8", "FILE", "ENTITIES", "TEXT", "1"),
      (0, "1\n配管\n".encode(), b""))
# Asked for a section the file lacks, dxfscan reads it to the end: no record,
# the warning that the section is missing, and no failure at the last line.
code, out, err = run(data[3:], "--encoding=utf-8", "FILE", "OBJECTS", "TEXT", "1")
check("blank last line", (code, out, err.decode("utf-8")), (3, b"0\n", "dxfscan: 注意: セクション OBJECTS がありません\n"))

# Another code page: 0xE9 is é in 1252 and a lead byte in 932.
data = dxf(b"  0", b"SECTION", b"  2", b"ENTITIES", b"  0", b"TEXT", b"  1", b"caf\xe9", b"  0", b"ENDSEC")
check("encoding 1252", run(data, "--encoding=1252", "FILE", "ENTITIES", "TEXT", "1"),
      (0, "1\ncafé\n".encode(), b""))

# Code pages by number or name, in either form of the option.
sjis = dxf(b"  0", b"SECTION", b"  2", b"ENTITIES", b"  0", b"TEXT", b"  1", "配管".encode("cp932"), b"  0", b"ENDSEC")
utf8 = sjis.replace("配管".encode("cp932"), "配管".encode("utf-8"))
for option, data in [(["--encoding=932"], sjis), (["--encoding=cp932"], sjis), (["--encoding", "shift_jis"], sjis),
                     (["--encoding=65001"], utf8), (["--encoding=utf-8"], utf8), (["--encoding", "UTF8"], utf8)]:
    check(f"encoding {' '.join(option)}", run(data, *option, "FILE", "ENTITIES", "TEXT", "1"),
          (0, "1\n配管\n".encode(), b""))
code, out, err = run(sjis, "--encoding=klingon", "FILE", "ENTITIES", "TEXT", "1")
check("unknown encoding", (code, out, "「klingon」はコード ページではありません" in err.decode("utf-8")), (2, b"", True))


# Without the option the header decides: from AC1021 the file is UTF-8 whatever
# $DWGCODEPAGE says; before, $DWGCODEPAGE names the code page; without either, 932.
def with_header(version, code_page, value):
    header = [b"  0", b"SECTION", b"  2", b"HEADER"]
    if version:
        header += [b"  9", b"$ACADVER", b"  1", version]
    if code_page:
        header += [b"  9", b"$DWGCODEPAGE", b"  3", code_page]
    return dxf(*header, b"  0", b"ENDSEC", b"  0", b"SECTION", b"  2", b"ENTITIES",
               b"  0", b"TEXT", b"  1", value, b"  0", b"ENDSEC")


for version, code_page, value in [(b"AC1021", b"ANSI_1252", "配管".encode("utf-8")),
                                  (b"AC1032", b"ANSI_932", "配管".encode("utf-8")),
                                  (b"AC1015", b"ANSI_932", "配管".encode("cp932")),
                                  (b"AC1018", b"ANSI_1252", "café".encode("cp1252")),
                                  (b"AC1009", b"DOS932", "配管".encode("cp932")),
                                  (b"AC1015", None, "配管".encode("cp932")),
                                  (None, None, "配管".encode("cp932"))]:
    want = "1\n" + ("café" if b"caf" in value else "配管") + "\n"
    check(f"header {version} {code_page}", run(with_header(version, code_page, value), "FILE", "ENTITIES", "TEXT", "1"),
          (0, want.encode(), b""))
# The option wins over the header.
check("option over header", run(with_header(b"AC1015", b"ANSI_932", b"caf\xe9"), "--encoding=1252", "FILE",
                                "ENTITIES", "TEXT", "1"), (0, "1\ncafé\n".encode(), b""))

# Usage and option errors are not scan failures, and speak Japanese as the
# data errors do, the usage with them; asked for, the usage goes to stdout.
for args, says in [(["FILE", "ENTITIES"], "四つを指定してください"),
                   (["--bogus", "FILE", "ENTITIES", "TEXT", "1"], "知らないオプションです: --bogus"),
                   (["FILE", "ENTITIES", "TEXT", "1", "--encoding"], "--encoding の後にコード ページがありません")]:
    code, out, err = run(b"", *args)
    err = err.decode("utf-8")
    check(f"usage {args}", (code, out, says in err, "使い方: dxfscan" in err, "usage" in err), (2, b"", True, True, False))
for args in (["--help"], ["-h"], ["FILE", "ENTITIES", "--help"]):
    code, out, err = run(b"", *args)
    out = out.decode("utf-8")
    check(f"help {args}", (code, out.startswith("使い方: dxfscan"), "終了コード" in out, err), (0, True, True, b""))

# A section that never ends, a file cut in the middle of a value, an empty
# file, a section that is not there: what was found is written, with a warning
# and status 3, never as a whole answer. A file cut after a group code is a
# scan failure; one cut after the section asked for is whole for this scan.
text = [b"  0", b"SECTION", b"  2", b"ENTITIES", b"  0", b"TEXT", b"  1", b"abc"]
for name, data, section, status, stdout, says in [
        ("no ENDSEC", dxf(*text), "ENTITIES", 3, b"1\nabc\n", "ENDSEC で終わらずにファイルが終わっています"),
        ("cut in a value", dxf(*text)[:-3], "ENTITIES", 3, b"1\nab\n", "ENDSEC で終わらずにファイルが終わっています"),
        ("cut after a code", dxf(*text, b"  0"), "ENTITIES", 1, b"", "62 ファイルにこれ以上データがありません"),
        ("empty", b"", "ENTITIES", 3, b"0\n", "ファイルが空です"),
        ("no such section", dxf(*text, b"  0", b"ENDSEC"), "ENTITY", 3, b"0\n", "セクション ENTITY がありません"),
        ("cut after the section", dxf(*text, b"  0", b"ENDSEC", b"  0", b"SECTION", b"  2", b"OBJ"), "ENTITIES", 0,
         b"1\nabc\n", ""),
        ("whole", dxf(*text, b"  0", b"ENDSEC", b"  0", b"EOF"), "ENTITIES", 0, b"1\nabc\n", "")]:
    code, out, err = run(data, "FILE", section, "TEXT", "1")
    err = err.decode("utf-8")
    check(name, (code, out, says in err, err == ""), (status, stdout, True, says == ""))

# Output that does not arrive is a failure that says so.
with open("/dev/full", "wb") as full:
    with tempfile.NamedTemporaryFile(suffix=".dxf") as f:
        f.write(dxf(*text, b"  0", b"ENDSEC"))
        f.flush()
        for args in ([f.name, "ENTITIES", "TEXT", "1"], ["--help"]):
            r = subprocess.run([DXFSCAN, *args], stdout=full, stderr=subprocess.PIPE)
            check(f"{args[0]} > /dev/full", (r.returncode, "標準出力に書き込めません" in r.stderr.decode("utf-8")),
                  (1, True))

for f in failures:
    print(f)
print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
