#!/usr/bin/env python3
"""plendra-report renumber as a user types it: the plan of the drawing written
by ezdxf (tests/report/make_renumber_drawing.py), a system that needs
nothing, a drawing rewritten as the plan says, and the mistakes that must
not pass for "nothing to change".

usage: renumber_cli.py PLENDRA_REPORT
"""
import os
import shutil
import subprocess
import sys
import tempfile

PROGRAM = os.path.abspath(sys.argv[1])
HERE = os.path.dirname(os.path.abspath(__file__))
failures = []


def run(*args):
    r = subprocess.run([PROGRAM, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    return r.returncode, r.stdout.decode("utf-8"), r.stderr.decode("utf-8")


def check(name, got, want):
    if got != want:
        failures.append(f"{name}:\n  got  {got!r}\n  want {want!r}")


try:
    import ezdxf
    sys.path.insert(0, HERE)
    import make_renumber_drawing
except ImportError:
    print("ezdxf is missing: the renumbering drawing is not written")
    sys.exit(0)

folder = tempfile.mkdtemp(prefix="plendra-renumber-cli-")
drawing = os.path.join(folder, "配管.dxf")
make_renumber_drawing.main(drawing)
with open(drawing, "rb") as f:
    before = f.read()

# The plan: old, new, length, X, Y in the order of the new numbers; the lower
# of the two 1s moves, and 2, 5 and the orphan 7 follow it. A1 is named apart.
status, out, err = run("renumber", drawing, "給水")
check("plan status", status, 1)
check("plan", out.splitlines(), [
    "1\t2\t1200\t600\t-3400",
    "2\t3\t800\t1400\t-400",
    "5\t4\t1500\t2550\t-400",
    "7\t5\t900\t8000\t2000",
    "4 changes",
])
check("unnumbered named", err, "plendra-report: 番号が数値でない部品表 1 件はそのままにします: 「A1」\n")
with open(drawing, "rb") as f:
    check("the drawing is not changed", f.read() == before, True)

# Nothing to change: exit 0 and "0 changes".
status, out, err = run("renumber", drawing, "排水")
check("clean status", (status, out, err), (0, "0 changes\n", ""))

# The drawing renumbered as the plan says (by ezdxf, attribute by attribute)
# has nothing left to change, and the check finds neither duplicate nor gap.
doc = ezdxf.readfile(drawing)
plan = {}
for line in run("renumber", drawing, "給水")[1].splitlines()[:-1]:
    old, new, length, x, y = line.split("\t")
    plan[(old, x, y)] = new
for ref in doc.modelspace().query("INSERT"):
    a = {att.dxf.tag: att for att in ref.attribs}
    if "(1)系統" in a and a["(1)系統"].dxf.text == "給水":
        key = (a["(2)番号"].dxf.text, a["X"].dxf.text, a["Y"].dxf.text)
        if key in plan:
            a["(2)番号"].dxf.text = plan.pop(key)
check("every planned entry found", plan, {})
after = os.path.join(folder, "after.dxf")
doc.saveas(after, encoding="cp932")
check("after: nothing to change", run("renumber", after, "給水")[:2], (0, "0 changes\n"))
status, out, _ = run("check", after)
check("after: check", [line for line in out.splitlines() if line.split("\t")[:2] in (["duplicate", "給水"], ["gap", "給水"])], [])

# Mistakes: exit 2 with a message, never 0.
for name, args, words in [
    ("a system the drawing lacks", ["renumber", drawing, "冷却水"], "配管.dxf: 系統「冷却水」の部品表はこの図面にありません。図面にある系統: 「排水」「給水」「給湯」\n"),
    ("a system with a trailing blank is another", ["renumber", drawing, "給水 "], "系統「給水 」の部品表はこの図面にありません。図面にある系統: 「排水」「給水」「給湯」"),
    ("no system", ["renumber", drawing], "図面と系統を一つずつ指定してください"),
    ("two systems", ["renumber", drawing, "給水", "排水"], "図面と系統を一つずつ指定してください"),
    ("an empty system", ["renumber", drawing, ""], "系統が空です"),
    ("a missing file", ["renumber", os.path.join(folder, "none.dxf"), "給水"], "ファイルが見つからないか、読めません"),
    ("a rounding", ["renumber", drawing, "給水", "--marume", "2"], "--marume は check と takeoff のオプションです"),
    ("an output", ["renumber", drawing, "給水", "--out", os.path.join(folder, "x.csv")], "--out と --utf8 は takeoff のオプションです"),
    ("statistics", ["renumber", drawing, "給水", "--stats"], "--stats は check と takeoff のオプションです"),
    ("a folder: the plan is of the one drawing AutoCAD has open", ["renumber", folder, "給水"], "renumber は図面を一つだけ読みます"),
]:
    status, out, err = run(*args)
    check(name + ": status", status, 2)
    check(name + ": output", out, "")
    check(name + ": says why", words in err, True)
    if not words in err:
        failures.append(f"  stderr was {err!r}")

# The usage names the command.
status, out, _ = run("--help")
check("help", (status, "plendra-report renumber 図面.dxf 系統" in out), (0, True))

shutil.rmtree(folder)
for f in failures:
    print(f)
sys.exit(1 if failures else 0)
