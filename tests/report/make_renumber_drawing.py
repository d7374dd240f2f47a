#!/usr/bin/python3
"""Writes tests/report/renumber.dxf: a drawing whose system 給水 needs
renumbering, for the tests of the plan (plendra-report renumber) and of
番号の振り直し in Plendra. Written by ezdxf, like seeded.dxf, so that the
reader and cadsim meet another program's output.

    /usr/bin/python3 tests/report/make_renumber_drawing.py tests/report/renumber.dxf

給水, by number (balloons at the dimension's text point + 475 up, scale 250):
  1 on a dimension of 1000 at the top row         keeps 1
  1 on a dimension of 1200 on the row below       duplicate: becomes 2
  2 on a dimension of 800                         becomes 3
  5 on a dimension of 1500                        gap at 3, 4: becomes 4
  7 with no dimension                             orphan: becomes 5
  A1 on a dimension of 600                        no number: stays
排水 1 and 2, the 2 on the row of 給水 2 with the same number: untouched.
給湯 3 twice on one dimension (a copy pasted in place): no selection can
reach one of them alone, so Plendra refuses to type that plan.
So the plan moves two entries down (5, 7) and two up (1, 2), and the 1 -> 2
meets a 2 still held unless the 2 moves first.
"""
import os
import sys

import ezdxf

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cadsim", "tools"))
from make_data import define_balloon, fmt, new_doc  # noqa: E402


def main(path):
    doc = new_doc()
    d100 = doc.dimstyles.new("配管100")
    d100.dxf.dimscale = 100
    d100.dxf.dimtxt = 2.5
    d100.dxf.dimgap = 0.625
    d100.dxf.dimtxsty = "ゴシック"
    blk = doc.blocks.new("Plendra1", base_point=(0, 0))
    define_balloon(doc, blk)
    msp = doc.modelspace()
    for name in ["寸法", "給水", "排水", "給湯"]:
        doc.layers.add(name)

    def linear(x1, x2, y):
        d = msp.add_linear_dim(base=(0, y - 400), p1=(x1, y), p2=(x2, y), dimstyle="配管100",
                               dxfattribs={"layer": "寸法"})
        d.render()
        e = d.dimension
        e.dxf.actual_measurement = abs(x2 - x1)
        return e

    def entry(point, length, system, number, material="SGP", size="20A"):
        ref = msp.add_blockref("Plendra1", (point[0], point[1] + 475),
                               dxfattribs={"xscale": 250, "yscale": 250, "zscale": 250, "layer": system})
        ref.add_auto_attribs({"X": fmt(point[0]), "Y": fmt(point[1]), "Z": "0", "長さ": fmt(length),
                              "材質": material, "呼び径": size, "(1)系統": system, "(2)番号": number})

    def on(d, system, number, **kw):
        entry(d.dxf.text_midpoint, d.dxf.actual_measurement, system, number, **kw)

    top1 = linear(0, 1000, 0)
    top2 = linear(1000, 1800, 0)
    top3 = linear(1800, 3300, 0)
    low1 = linear(0, 1200, -3000)
    low2 = linear(1200, 1800, -3000)
    drain1 = linear(0, 2000, -6000)
    drain2 = linear(3000, 5000, 0)
    hot = linear(0, 700, -9000)

    on(top2, "給水", "2")
    on(top1, "給水", "1")
    on(low1, "給水", "1")
    on(top3, "給水", "5", size="25A")
    entry((8000, 2000), 900, "給水", "7")
    on(low2, "給水", "A1", material="VP")
    on(drain1, "排水", "1", material="VP", size="50A")
    on(drain2, "排水", "2", material="VP", size="50A")
    on(hot, "給湯", "3")
    on(hot, "給湯", "3")
    doc.saveas(path, encoding="cp932")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tests/report/renumber.dxf")
