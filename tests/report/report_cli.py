#!/usr/bin/env python3
"""plendra-report as a user types it, on bad input: the output never lands on
the drawing, a failed write never costs an older sheet and never passes for
success, a sheet never carries a formula, a long gap is one line, a drawing
whose texts were not recognised never looks clean, and --help is an answer.

usage: report_cli.py PLENDRA_REPORT SEEDED_DXF
"""
import os
import resource
import signal
import subprocess
import sys
import tempfile

PROGRAM = os.path.abspath(sys.argv[1])
SEEDED = os.path.abspath(sys.argv[2])
HERE = os.path.dirname(os.path.abspath(__file__))
failures = []


def run(args, stdout=subprocess.PIPE, max_file_bytes=None, cwd=None):
    def limit():
        # A write past the limit fails with EFBIG instead of ending the program.
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (max_file_bytes, max_file_bytes))

    r = subprocess.run([PROGRAM, *args], stdout=stdout, stderr=subprocess.PIPE, timeout=60, cwd=cwd,
                       preexec_fn=limit if max_file_bytes is not None else None)
    return r.returncode, r.stdout or b"", r.stderr.decode("utf-8")


def check(name, got, want):
    if got != want:
        failures.append(f"{name}:\n  got  {got!r}\n  want {want!r}")


def dxf(*groups, encoding="cp932"):
    """An ASCII DXF from (code, value) pairs, LF line ends."""
    return "".join(f"{code:3d}\n{value}\n" for code, value in groups).encode(encoding)


def entry(system, number, length, material="SGP", size="20A", x="1", y="2"):
    groups = [(0, "INSERT"), (8, "給水"), (66, "1"), (2, "Plendra1"), (10, "0"), (20, "0")]
    tags = ["X", "Y", "Z", "長さ", "材質", "呼び径", "(1)系統", "(2)番号"]
    values = [x, y, "0", length, material, size, system, number]
    for tag, value in zip(tags, values):
        groups += [(0, "ATTRIB"), (8, "0"), (1, value), (2, tag)]
    return groups + [(0, "SEQEND")]


def drawing(*entries, dimension=("1", "2", "300")):
    groups = [(0, "SECTION"), (2, "ENTITIES")]
    if dimension:
        groups += [(0, "DIMENSION"), (8, "寸法"), (11, dimension[0]), (21, dimension[1]), (42, dimension[2])]
    for e in entries:
        groups += e
    return dxf(*groups, (0, "ENDSEC"), (0, "EOF"))


folder = tempfile.mkdtemp(prefix="plendra-report-cli-")


def write(name, data):
    path = os.path.join(folder, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


def read(path):
    with open(path, "rb") as f:
        return f.read()


clean = write("clean.dxf", drawing(entry("A", "1", "300")))
clean_bytes = read(clean)

# --- Words: one language, the usage on stdout when asked for. ----------------
for args in (["--help"], ["-h"], ["takeoff", clean, "-h"], ["check", "--help"]):
    code, out, err = run(args)
    text = out.decode("utf-8")
    check(f"help {args}", (code, text.startswith("使い方: plendra-report check"), "終了コード" in text, err),
          (0, True, True, ""))
for name, args, says in [
        ("no arguments", [], "コマンド (check, takeoff か renumber) と図面を指定してください"),
        ("unknown option", ["check", clean, "--bogus"], "知らないオプションです: --bogus"),
        ("empty --out", ["takeoff", clean, "--out", ""], "--out に集計表のファイル名がありません"),
        ("empty --out=", ["takeoff", clean, "--out="], "--out に集計表のファイル名がありません"),
        ("empty drawing name", ["check", ""], "図面のファイル名が空です")]:
    code, out, err = run(args)
    check(f"usage: {name}", (code, out, says in err, "使い方: plendra-report" in err, "usage" in err),
          (2, b"", True, True, False))

# --- The output is never the drawing. ----------------------------------------
os.mkdir(os.path.join(folder, "sub"))
os.symlink(clean, os.path.join(folder, "link.dxf"))
os.link(clean, os.path.join(folder, "hard.dxf"))
for name, out_path, cwd in [("the same path", clean, None),
                            ("another path", os.path.join(folder, "sub", "..", "clean.dxf"), None),
                            ("a relative path", "clean.dxf", folder),
                            ("a symbolic link", os.path.join(folder, "link.dxf"), None),
                            ("a hard link", os.path.join(folder, "hard.dxf"), None)]:
    code, out, err = run(["takeoff", clean, "--out", out_path], cwd=cwd)
    check(f"output is input through {name}",
          (code, "集計表の書き込み先が図面そのものです" in err, read(clean)), (2, True, clean_bytes))
code, out, err = run(["takeoff", clean, "--out", os.path.join(folder, "sub")])
check("output is a folder", (code, "フォルダーです" in err), (2, True))

# --- The sheet is replaced whole or not at all. -------------------------------
sheet = os.path.join(folder, "sheet.csv")
with open(sheet, "wb") as f:
    f.write(b"OLD SHEET\r\n")
many = write("many.dxf", drawing(*[entry("A", str(n), "300") for n in range(1, 400)]))
code, out, err = run(["takeoff", many, "--out", sheet], max_file_bytes=4096)
check("a write cut short keeps the older sheet",
      (code, "集計表を書き込めません" in err, read(sheet), sorted(os.listdir(folder)).count("sheet.csv")),
      (2, True, b"OLD SHEET\r\n", 1))
check("a write cut short leaves no scratch file", [n for n in os.listdir(folder) if n.endswith(".tmp")], [])
code, out, err = run(["takeoff", clean, "--out", sheet])
check("a sheet replaces the older one", (code, read(sheet).startswith("系統,".encode("cp932"))), (0, True))
check("a sheet says how many entries it added up", "部品表 1 件を集計しました" in err, True)
code, out, err = run(["takeoff", clean, "--out", os.path.join(folder, "none", "x.csv")])
check("a sheet in a missing folder", (code, "x.csv: 集計表を書き込めません (フォルダーがありません)" in err),
      (2, True))
code, out, err = run(["takeoff", clean, "--out", "/dev/stdout"])
check("a sheet to a device is written into it", (code, out.startswith("系統,".encode("cp932"))), (0, True))

# --- Writes to the standard output that fail are failures. --------------------
with open("/dev/full", "wb") as full:
    for args in (["check", clean], ["check", SEEDED], ["takeoff", clean], ["takeoff", SEEDED, "--utf8"],
                 ["--help"]):
        code, out, err = run(args, stdout=full)
        check(f"{args[0]} > /dev/full", (code, "標準出力に書き込めません" in err), (2, True))

# --- A formula never reaches the sheet; numbers stay numbers. -----------------
formulas = write("formulas.dxf", drawing(
    entry("=cmd|'/c calc'!A1", "1", "300"),
    entry("+1+1", "1", "-300", material="@SUM(A1)", size="-2+3"),
    entry("\tTAB", "1", "300", material="\rCR", size="-", x="-1.5E+07", y="-400"),
    entry("B", "-1", "-", material="=1", size="+20A")))
code, out, err = run(["takeoff", formulas, "--utf8"])
rows = out.decode("utf-8-sig").split("\r\n")
check("formulas: status", code, 0)
check("formulas: entry rows", rows[1:5], [
    "\"'\tTAB\",1,300,\"'\rCR\",\"'-\",-1.5E+07,-400,給水",
    "\"'+1+1\",1,-300,\"'@SUM(A1)\",\"'-2+3\",1,2,給水",
    "\"'=cmd|'/c calc'!A1\",1,300,SGP,20A,1,2,給水",
    "B,-1,\"'-\",\"'=1\",\"'+20A\",1,2,給水"])
check("formulas: totals", [r for r in rows if r.startswith(("小計,B", "小計,\"'+"))],
      ["小計,\"'+1+1\",1,-300", "小計,B,1,0"])

# --- Lengths that overflow are unreadable, not summands. ----------------------
huge = write("huge.dxf", drawing(entry("A", "1", "100"), entry("A", "2", "1e999"), entry("A", "3", "1e39"),
                                 entry("A", "4", "-1e999")))
code, out, err = run(["takeoff", huge])
rows = out.decode("cp932").split("\r\n")
check("huge lengths: subtotal", [r for r in rows if r.startswith(("小計", "合計"))],
      ["小計,A,4,100", "合計,A,SGP,20A,4,100"])
check("huge lengths: warned", (code, "3 件の部品表は長さが数値でないため" in err), (0, True))

# --- A run of missing numbers is one line. -----------------------------------
far = write("far.dxf", drawing(entry("A", "2147483647", "300"), entry("B", "2", "300"), entry("B", "5", "300"),
                               entry("B", "7", "300")))
code, out, err = run(["check", far])
check("gap runs", (code, out.decode("utf-8")), (1, "gap\tA\t1\t2147483646\ngap\tB\t1\ngap\tB\t3\t4\ngap\tB\t6\n"
                                               "4 findings in 4 entries\n"))

# --- A drawing whose texts are not recognised is not clean. ------------------
empty = write("empty.dxf", dxf((0, "SECTION"), (2, "ENTITIES"), (0, "ENDSEC"), (0, "EOF")))
for name, args in [("check, no entries", ["check", empty]), ("takeoff, no entries", ["takeoff", empty]),
                   ("check, a 932 drawing read as 1252", ["check", clean, "--encoding", "1252"])]:
    code, out, err = run(args)
    check(name, (code, "部品表 (タグ「(1)系統」の属性) が一つも見つかりません" in err), (3, True))
    if args[0] == "check":
        check(f"{name}: last line", out.decode("utf-8"), "0 findings in 0 entries\n")
    else:
        check(f"{name}: no sheet", out, b"")
sheet_before = read(sheet)
code, out, err = run(["takeoff", empty, "--out", sheet])
check("no entries keeps the older sheet", (code, read(sheet)), (3, sheet_before))

try:
    sys.path.insert(0, HERE)
    import make_drawing  # needs ezdxf
except ImportError:
    make_drawing = None
    print("ezdxf is missing: the drawings written by it are not checked")
if make_drawing is not None:
    # AutoCAD 2007 and later write UTF-8 and keep $DWGCODEPAGE as it was: the
    # header decides, and the findings are those of the drawing in code page 932.
    utf8 = os.path.join(folder, "seeded2010.dxf")
    make_drawing.main(utf8, "R2010")
    with open(os.path.join(HERE, "seeded_check.txt"), encoding="utf-8") as f:
        expected = f.read()
    code, out, err = run(["check", utf8, "--marume", "2"])
    check("R2010 check", (code, out.decode("utf-8"), err), (1, expected, ""))
    code, out, err = run(["check", utf8, "--marume", "2", "--encoding", "65001"])
    check("R2010 check, --encoding 65001", (code, out.decode("utf-8")), (1, expected))
    code, out, err = run(["check", utf8, "--marume", "2", "--encoding", "932"])
    check("R2010 check, --encoding 932 overrides", (code, out.decode("utf-8")), (3, "0 findings in 0 entries\n"))
    code, sheet2010, err = run(["takeoff", utf8, "--marume", "2"])
    code2000, sheet2000, err2000 = run(["takeoff", SEEDED, "--marume", "2"])
    check("R2010 takeoff is the R2000 one", (code, sheet2010, err), (0, sheet2000, err2000))
    check("R2010 takeoff counts", "部品表 16 件を集計しました" in err, True)

for f in failures:
    print(f)
print(f"{len(failures)} failures")
subprocess.run(["rm", "-rf", folder])
sys.exit(1 if failures else 0)
