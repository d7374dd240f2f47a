#!/usr/bin/python3
"""Writes tests/report/seeded.dxf: a drawing with parts-table entries seeded
as duplicates, gaps, stale lengths, orphans and an unreadable number, among
clean ones, for the tests of plendra-report.

The drawing is written by ezdxf, not by cadsim, so that the report's reader
is checked against another program's output. The entries are the block of
data/Plendra1.dxf (taken from cadsim/tools/make_data.py), with their
attributes as Plendra answers them: the dimension's text point, the length
rounded to 10 mm, material, nominal size, the system and the number.

    /usr/bin/python3 tests/report/make_drawing.py tests/report/seeded.dxf [VERSION]

VERSION is ezdxf's name of the DXF release, R2000 by default (code page 932);
from R2007 on the file is UTF-8 with the same $DWGCODEPAGE, as AutoCAD writes
it, and the tests write it so to check that the report reads it as such.

What is seeded, with the rounding index 2 (10 mm):
  給水 1, 2           clean
  給水 3 (twice)      duplicate; the second on a dimension of 1234.4, which
                      rounds to the written 1230 only with 10 mm
  給水 4              missing: gap
  給水 5              clean
  給水 6              written 1450, the dimension now measures 1500: stale
  給水 7.0            read as 7; its text point has more digits than the entry keeps
  給水 8              missing: gap
  給水 9              its dimension was erased: orphan
  給水 A1             no number
  給水_ (trailing blank) 2: another system, whose 1 is missing: gap
  SA 1, sa 1, ＳＡ 1  three systems, each clean
  排水 1, 2           clean
  冷却水,"A" 1        clean; comma and quotes in the system and material
"""
import math
import os
import sys

import ezdxf

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cadsim", "tools"))
from make_data import define_balloon, fmt, new_doc  # noqa: E402


def main(path, version="R2000"):
    doc = new_doc()
    if version != "R2000":
        doc.dxfversion = version
    d100 = doc.dimstyles.new("配管100")
    d100.dxf.dimscale = 100
    d100.dxf.dimtxt = 2.5
    d100.dxf.dimgap = 0.625
    d100.dxf.dimtxsty = "ゴシック"
    blk = doc.blocks.new("Plendra1", base_point=(0, 0))
    define_balloon(doc, blk)
    # A title block with attributes of its own: no entry.
    title = doc.blocks.new("図枠", base_point=(0, 0))
    title.add_attdef("図番", (0, 0), "M-01")
    title.add_attdef("(1)系統名", (0, -1), "")
    msp = doc.modelspace()
    for name in ["寸法", "給水", "給水 ", "排水", "SA", "ＳＡ", "冷却水", "図枠"]:
        if name.strip() == name:
            doc.layers.add(name)
    dim = {"layer": "寸法"}

    def linear(p1, p2, base, angle=0, location=None):
        d = msp.add_linear_dim(base=base, p1=p1, p2=p2, angle=angle, dimstyle="配管100", dxfattribs=dim)
        if location is not None:
            d.set_location(location, leader=False, relative=False)
        d.render()
        e = d.dimension
        r = math.radians(angle)
        e.dxf.actual_measurement = abs((p2[0] - p1[0]) * math.cos(r) + (p2[1] - p1[1]) * math.sin(r))
        return e

    d1 = linear((0, 0), (1230, 0), (0, -400))
    d2 = linear((1230, 0), (3680, 0), (0, -400))
    d3 = linear((3680, 0), (5000, 0), (0, -400))
    d4 = linear((5000, 0), (6234.4, 0), (0, -400))
    d5 = linear((0, 0), (0, 1800), (-500, 0), angle=90)
    d6 = linear((0, 1800), (0, 2700), (-500, 0), angle=90)
    d7 = linear((0, -3000), (3000, -3000), (0, -3400))
    d8 = linear((3000, -3000), (3600, -3000), (0, -3400))
    d9 = linear((0, -2000), (1500, -2000), (0, -2400))  # was 1450 when it was numbered
    d10 = linear((0, 5000), (3100, 5000), (0, 5400))
    d11 = linear((9625.123456, 1000), (10375.123456, 1000), (0, 1400), location=(10000.123456, 1400.987654))

    def entry(point, length, system, number, material="SGP", size="20A", layer=None):
        ref = msp.add_blockref("Plendra1", (point[0], point[1] + 475),
                               dxfattribs={"xscale": 250, "yscale": 250, "zscale": 250,
                                           "layer": layer or system})
        ref.add_auto_attribs({"X": fmt(point[0]), "Y": fmt(point[1]), "Z": "0", "長さ": fmt(length),
                              "材質": material, "呼び径": size, "(1)系統": system, "(2)番号": number})

    def on(d, system, number, **kw):
        length = kw.pop("length", round(d.dxf.actual_measurement / 10) * 10)
        entry(d.dxf.text_midpoint, length, system, number, **kw)

    on(d1, "給水", "1")
    on(d2, "給水", "2")
    on(d3, "給水", "3", size="25A")
    on(d4, "給水", "3", size="25A")
    on(d5, "給水", "5", material="VP")
    on(d9, "給水", "6", length=1450)
    on(d11, "給水", "7.0")
    entry((7777, 7777), 500, "給水", "9")
    on(d6, "給水", "A1")
    on(d10, "給水 ", "2", material="SUS", layer="給水")
    on(d7, "排水", "1", material="VP", size="50A")
    on(d8, "排水", "2", material="VP", size="50A")
    on(d1, "SA", "1")
    on(d3, "sa", "1", layer="SA")  # layer names ignore case
    on(d2, "ＳＡ", "1")
    on(d8, '冷却水,"A"', "1", material='STPG,"Sch40"', size="25A", layer="冷却水")
    frame = msp.add_blockref("図枠", (0, -5000), dxfattribs={"layer": "図枠"})
    frame.add_auto_attribs({"図番": "M-01", "(1)系統名": "給水"})
    # AutoCAD 2007 and later write UTF-8 whatever $DWGCODEPAGE says.
    doc.saveas(path, encoding="cp932" if doc.dxfversion < "AC1021" else "utf-8")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tests/report/seeded.dxf", *sys.argv[2:3])
