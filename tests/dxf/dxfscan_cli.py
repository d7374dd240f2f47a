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

# Another code page: 0xE9 is é in 1252 and a lead byte in 932.
data = dxf(b"  0", b"SECTION", b"  2", b"ENTITIES", b"  0", b"TEXT", b"  1", b"caf\xe9", b"  0", b"ENDSEC")
check("encoding 1252", run(data, "--encoding=1252", "FILE", "ENTITIES", "TEXT", "1"),
      (0, "1\ncafé\n".encode(), b""))

# Usage errors are not scan failures.
check("usage", run(b"", "FILE", "ENTITIES")[0], 2)

for f in failures:
    print(f)
print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
