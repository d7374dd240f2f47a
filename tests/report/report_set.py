#!/usr/bin/env python3
"""plendra-report on a building's sheets, as a user types it: drawings
written by ezdxf whose numbers run from one sheet to the next, one of them a
UTF-8 AutoCAD 2007 file beside AutoCAD 2000 ones in code page 932. The check
of the set reports only what the set holds (a duplicate across two sheets, a
gap no sheet fills, a dimension that prints another value than it measures,
an entry whose dimension lies on another sheet), each with its drawing; the
takeoff of the set adds up to the single sheets'.

usage: report_set.py PLENDRA_REPORT
"""
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
PROGRAM = os.path.abspath(sys.argv[1])
sys.path.insert(0, os.path.join(HERE, "..", "..", "cadsim", "tools"))
try:
    import ezdxf  # noqa: F401
    from make_data import define_balloon, fmt, new_doc
except ImportError:
    print("ezdxf is missing: the sets of drawings are not checked")
    sys.exit(0)

failures = []


def check(name, got, want):
    if got != want:
        failures.append(f"{name}:\n  got  {got!r}\n  want {want!r}")


def run(args, cwd):
    r = subprocess.run([PROGRAM, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60, cwd=cwd)
    return r.returncode, r.stdout, r.stderr.decode("utf-8")


class Sheet:
    """One floor's drawing: dimensions and the parts-table entries on them."""

    def __init__(self, version="R2000"):
        self.doc = new_doc()
        if version != "R2000":
            self.doc.dxfversion = version
        style = self.doc.dimstyles.new("配管100")
        style.dxf.dimscale = 100
        style.dxf.dimtxt = 2.5
        style.dxf.dimgap = 0.625
        define_balloon(self.doc, self.doc.blocks.new("Plendra1", base_point=(0, 0)))
        for name in ["寸法", "給水", "排水"]:
            self.doc.layers.add(name)
        self.msp = self.doc.modelspace()

    def dimension(self, x0, x1, y, text="<>"):
        """A horizontal dimension from x0 to x1; `text` typed over its measurement."""
        d = self.msp.add_linear_dim(base=(x0, y - 400), p1=(x0, y), p2=(x1, y), dimstyle="配管100", text=text,
                                    dxfattribs={"layer": "寸法"})
        d.render()
        e = d.dimension
        e.dxf.actual_measurement = float(x1 - x0)
        return (e.dxf.text_midpoint[0], e.dxf.text_midpoint[1]), x1 - x0

    def entry(self, point, length, system, number, material="SGP", size="20A"):
        ref = self.msp.add_blockref("Plendra1", (point[0], point[1] + 475),
                                    dxfattribs={"xscale": 250, "yscale": 250, "zscale": 250, "layer": system})
        ref.add_auto_attribs({"X": fmt(point[0]), "Y": fmt(point[1]), "Z": "0", "長さ": fmt(length),
                              "材質": material, "呼び径": size, "(1)系統": system, "(2)番号": number})

    def on(self, dimension, system, number, **kw):
        point, length = dimension
        self.entry(point, length, system, number, **kw)

    def save(self, path):
        # AutoCAD 2007 and later write UTF-8, whatever $DWGCODEPAGE says.
        self.doc.saveas(path, encoding="cp932" if self.doc.dxfversion < "AC1021" else "utf-8")


folder = tempfile.mkdtemp(prefix="plendra-report-set-")
sheets = os.path.join(folder, "建物")
os.mkdir(sheets)

# 1F: 給水 1-3 and 排水 1-2. The dimension of 給水 3 measures 1230 but prints
# 1500; the one of 給水 2 prints its own measurement, typed as text.
f1 = Sheet()
d1 = f1.dimension(0, 1000, 0)
f1.on(d1, "給水", "1")
f1.on(f1.dimension(1000, 2450, 0, text="1450"), "給水", "2")
f1.on(f1.dimension(2450, 3680, 0, text="1500"), "給水", "3")
f1.on(f1.dimension(0, 3000, -3000), "排水", "1", material="VP", size="50A")
f1.on(f1.dimension(3000, 3600, -3000), "排水", "2", material="VP", size="50A")
f1.save(os.path.join(sheets, "1F.dxf"))

# 2F, AutoCAD 2007 in UTF-8: 給水 5-6 (4 is on no sheet), 排水 2 again (a
# duplicate of 1F's) and 3. Texts around the measurement ("<> 既設") and a
# text that is no number make no finding.
f2 = Sheet("R2007")
f2.on(f2.dimension(0, 1800, 0, text="<> 既設"), "給水", "5")
f2.on(f2.dimension(1800, 2700, 0, text="既設管"), "給水", "6", material="VP")
f2.on(f2.dimension(0, 600, -3000), "排水", "2", material="VP", size="50A")
f2.on(f2.dimension(600, 2100, -3000), "排水", "3", material="VP", size="50A")
f2.save(os.path.join(sheets, "2F.dxf"))

# 3F: 給水 7, and 排水 4 recorded at the text point of a dimension that is
# on 1F only: on its own sheet it has none.
f3 = Sheet()
f3.on(f3.dimension(0, 750, 0), "給水", "7")
f3.entry(d1[0], 1000, "排水", "4", material="VP", size="50A")
f3.save(os.path.join(sheets, "3F.dxf"))

# --- Each sheet alone: the numbers of the others look missing. -------------
code, out, err = run(["check", "2F.dxf"], sheets)
check("2F alone (UTF-8, read as such)", (code, out.decode("utf-8"), err),
      (1, "gap\t排水\t1\ngap\t給水\t1\t4\n2 findings in 4 entries\n", ""))
code, out, err = run(["check", "3F.dxf"], sheets)
check("3F alone", (code, out.decode("utf-8")),
      (1, "gap\t排水\t1\t3\norphan\t排水\t4\ngap\t給水\t1\t6\n3 findings in 2 entries\n"))
# The printed value against the measurement as the entry was written: 1230
# is 1230 to the millimetre and to 10 mm, 1250 to 50 mm (and then the entry
# is stale as well); 1450 typed over 1450 is no finding.
for marume, findings in [("0", ["override\t給水\t3\t1500\t1230"]),
                         ("2", ["override\t給水\t3\t1500\t1230"]),
                         ("3", ["stale\t給水\t3\t1230\t1250", "override\t給水\t3\t1500\t1250"])]:
    code, out, err = run(["check", "1F.dxf", "--marume", marume], sheets)
    check(f"1F alone, --marume {marume}", (code, out.decode("utf-8")),
          (1, "".join(f + "\n" for f in findings) + f"{len(findings)} findings in 5 entries\n"))

# --- The set: one numbering, every finding with its drawings. ----------------
two = ("duplicate\t排水\t2\t2\t1F.dxf, 2F.dxf\n"
       "override\t給水\t3\t1500\t1230\t1F.dxf\n"
       "gap\t給水\t4\t1F.dxf, 2F.dxf\n"
       "3 findings in 9 entries\n")
code, out, err = run(["check", "1F.dxf", "2F.dxf"], sheets)
check("two sheets", (code, out.decode("utf-8"), err), (1, two, ""))
three = ("duplicate\t排水\t2\t2\t1F.dxf, 2F.dxf\n"
         "orphan\t排水\t4\t3F.dxf\n"
         "override\t給水\t3\t1500\t1230\t1F.dxf\n"
         "gap\t給水\t4\t1F.dxf, 2F.dxf\n"
         "4 findings in 11 entries\n")
code, out, err = run(["check", "1F.dxf", "2F.dxf", "3F.dxf"], sheets)
check("three sheets", (code, out.decode("utf-8"), err), (1, three, ""))
code, out, err = run(["check", "3F.dxf", "1F.dxf", "2F.dxf"], sheets)
check("three sheets in another order name the same drawings", (code, out.decode("utf-8")), (1, three))
code, out, err = run(["check", "建物"], folder)
check("a folder: its drawings in name order",
      (code, out.decode("utf-8")), (1, three.replace("1F.dxf", "建物/1F.dxf").replace("2F.dxf", "建物/2F.dxf")
                                    .replace("3F.dxf", "建物/3F.dxf")))
# A folder's drawings are its *.dxf in any case; nothing else in it is read.
mixed = os.path.join(folder, "大文字")
os.mkdir(mixed)
for source, target in [("2F.dxf", "B.DXF"), ("1F.dxf", "A.dxf")]:
    with open(os.path.join(sheets, source), "rb") as f, open(os.path.join(mixed, target), "wb") as g:
        g.write(f.read())
with open(os.path.join(mixed, "memo.txt"), "w") as f:
    f.write("0\nSECTION\n")
code, out, err = run(["check", "大文字"], folder)
check("a folder: *.DXF too", (code, out.decode("utf-8")),
      (1, two.replace("1F.dxf", "大文字/A.dxf").replace("2F.dxf", "大文字/B.DXF")))
code, out, err = run(["check", "1F.dxf", "2F.dxf", "--stats"], sheets)
check("--stats leaves the findings alone", out.decode("utf-8"), two)
check("--stats says the time and the rate",
      bool(re.fullmatch(r"plendra-report: 図面 2 枚、0\.\d MB を \d+\.\d{3} 秒で読みました "
                        r"\(\d+\.\d MB/s, 同時に \d 本\)\n", err)), True)

# --- Mistakes a set adds. -------------------------------------------------------
for name, args, cwd, says in [
        ("a drawing twice", ["check", "1F.dxf", "2F.dxf", "./1F.dxf"], sheets, "./1F.dxf: 同じ図面が二度指定されています"),
        ("a drawing and its folder", ["check", "建物", "建物/2F.dxf"], folder, "同じ図面が二度指定されています"),
        ("a folder without drawings", ["check", folder + "/empty"], folder, "フォルダーに DXF ファイル (*.dxf) がありません"),
        ("a missing sheet", ["check", "1F.dxf", "4F.dxf"], sheets, "4F.dxf: ファイルが見つからないか、読めません"),
        ("the sheet over a drawing of the set", ["takeoff", "1F.dxf", "2F.dxf", "--out", "2F.dxf"], sheets,
         "集計表の書き込み先が図面そのものです")]:
    os.makedirs(os.path.join(folder, "empty"), exist_ok=True)
    code, out, err = run(args, cwd)
    check(name, (code, out, says in err), (2, b"", True))

# A sheet that read as nothing (here: 2F read as 932) is said, and the set
# does not pass for clean.
code, out, err = run(["check", "3F.dxf", "2F.dxf", "--encoding", "932"], sheets)
check("a sheet without entries", (code, "2F.dxf: 部品表 (タグ「(1)系統」の属性) が一つも見つかりません" in err),
      (1, True))

# --- The takeoff of the set. ---------------------------------------------------
code, out, err = run(["takeoff", "1F.dxf", "2F.dxf", "3F.dxf", "--utf8"], sheets)
check("takeoff of three sheets", (code, out.decode("utf-8-sig")), (0, (
    "系統,番号,長さ(mm),材質,呼び径,X,Y,画層,図面\r\n"
    "排水,1,3000,VP,50A,1500,-3400,排水,1F.dxf\r\n"
    "排水,2,600,VP,50A,3300,-3212.5,排水,1F.dxf\r\n"
    "排水,2,600,VP,50A,300,-3212.5,排水,2F.dxf\r\n"
    "排水,3,1500,VP,50A,1350,-3400,排水,2F.dxf\r\n"
    "排水,4,1000,VP,50A,500,-212.5,排水,3F.dxf\r\n"
    "給水,1,1000,SGP,20A,500,-212.5,給水,1F.dxf\r\n"
    "給水,2,1450,SGP,20A,1725,-400,給水,1F.dxf\r\n"
    "給水,3,1230,SGP,20A,3065,-400,給水,1F.dxf\r\n"
    "給水,5,1800,SGP,20A,900,-400,給水,2F.dxf\r\n"
    "給水,6,900,VP,20A,2250,-400,給水,2F.dxf\r\n"
    "給水,7,750,SGP,20A,375,-212.5,給水,3F.dxf\r\n"
    "小計,排水,5,6700\r\n"
    "図面小計,排水,1F.dxf,2,3600\r\n"
    "図面小計,排水,2F.dxf,2,2100\r\n"
    "図面小計,排水,3F.dxf,1,1000\r\n"
    "合計,排水,VP,50A,5,6700\r\n"
    "小計,給水,6,7130\r\n"
    "図面小計,給水,1F.dxf,3,3680\r\n"
    "図面小計,給水,2F.dxf,2,2700\r\n"
    "図面小計,給水,3F.dxf,1,750\r\n"
    "合計,給水,SGP,20A,5,6230\r\n"
    "合計,給水,VP,20A,1,900\r\n"
    "図面計,1F.dxf,5,7280\r\n"
    "図面計,2F.dxf,4,4800\r\n"
    "図面計,3F.dxf,2,1750\r\n"
    "総計,11,13830\r\n")))
check("takeoff of three sheets: what it says", err, "plendra-report: 部品表 11 件を集計しました\n"
      "plendra-report: 注意: 1 件の部品表は長さが寸法と合わないか寸法がありません (plendra-report check で確かめてください)\n"
      "plendra-report: 注意: 1 件の部品表は寸法の表示値が測定値と違います (集計表は測定値です。plendra-report check で確かめてください)\n")


def totals(rows):
    """The count and length of a sheet's 小計 rows added up."""
    count = length = 0
    for row in rows:
        fields = row.split(",")
        if fields[0] == "小計":
            count += int(fields[2])
            length += float(fields[3])
    return count, length


# Two sheets to a file, in code page 932 as Excel opens it: each sheet's row
# and the grand total are what the sheets alone add up to.
sheet_csv = os.path.join(folder, "集計表.csv")
code, out, err = run(["takeoff", "1F.dxf", "2F.dxf", "--out", sheet_csv], sheets)
rows = []
if os.path.exists(sheet_csv):
    with open(sheet_csv, "rb") as f:
        rows = f.read().decode("cp932").split("\r\n")
check("takeoff of two sheets", (code, rows[:1], rows[-4:]),
      (0, ["系統,番号,長さ(mm),材質,呼び径,X,Y,画層,図面"], ["図面計,1F.dxf,5,7280", "図面計,2F.dxf,4,4800", "総計,9,12080", ""]))
alone = []
for name in ["1F.dxf", "2F.dxf"]:
    code, out, err = run(["takeoff", name], sheets)
    alone.append(totals(out.decode("cp932").split("\r\n")))
    check(f"{name} alone has no column 図面", out.decode("cp932").split("\r\n")[0], "系統,番号,長さ(mm),材質,呼び径,X,Y,画層")
check("the grand total is the sheets' totals added", (sum(c for c, _ in alone), sum(n for _, n in alone)),
      (9, 12080.0))
check("the set's subtotals are the sheets' together", totals(rows), (9, 12080.0))

for f in failures:
    print(f)
print(f"{len(failures)} failures")
subprocess.run(["rm", "-rf", folder])
sys.exit(1 if failures else 0)
