#!/usr/bin/python3
"""Writes data/Plendra1.dxf (the parts-table block) and data/sample.dxf (a
small piping plan with a dozen dimensions and a few parts-table entries).

The files are made with ezdxf rather than with cadsim's own writer so that
cadsim's reader is checked against another program's output. Run it again
after changing the block: the block in the sample must be the same.

    /usr/bin/python3 cadsim/tools/make_data.py data/
"""
import math
import sys

import ezdxf
from ezdxf.enums import TextEntityAlignment

# Attribute definitions in the order AutoCAD asks for their values when the
# block is inserted: the position of the dimension text, the length, two with
# defaults, then the system and directly after it the number.
ATTDEFS = [
    # tag, prompt, default, visible, position, height
    ("X", "寸法文字の X 座標", "", False, (1.3, 0.6), 0.3),
    ("Y", "寸法文字の Y 座標", "", False, (1.3, 0.2), 0.3),
    ("Z", "寸法文字の Z 座標", "", False, (1.3, -0.2), 0.3),
    ("長さ", "長さ(mm)", "", False, (1.3, -0.6), 0.3),
    ("材質", "材質", "SGP", False, (1.3, -1.0), 0.3),
    ("呼び径", "呼び径", "20A", False, (1.3, -1.4), 0.3),
    ("(1)系統", "系統名", "", True, (0.0, 0.45), 0.5),
    ("(2)番号", "番号", "", True, (0.0, -0.45), 0.5),
]


def define_balloon(doc, container):
    """A numbering balloon one unit in radius around the base point: the
    system above the line, the number below it. Inserted at the scale of the
    dimension text height."""
    container.add_circle((0, 0), 1.0, dxfattribs={"layer": "0"})
    container.add_line((-1.0, 0), (1.0, 0), dxfattribs={"layer": "0"})
    for tag, prompt, default, visible, pos, height in ATTDEFS:
        a = container.add_attdef(tag, pos, default, dxfattribs={"prompt": prompt, "height": height, "style": "ゴシック"})
        if not visible:
            a.dxf.flags = 1
        if visible:
            a.set_placement(pos, align=TextEntityAlignment.MIDDLE_CENTER)


def new_doc():
    doc = ezdxf.new("R2000", setup=True)
    doc.encoding = "cp932"
    doc.header["$INSUNITS"] = 4
    doc.styles.new("ゴシック", dxfattribs={"font": "msgothic.ttc", "width": 0.85})
    return doc


def block_file(path):
    doc = new_doc()
    define_balloon(doc, doc.modelspace())
    doc.saveas(path, encoding="cp932")


def sample(path):
    doc = new_doc()
    doc.styles.new("JIS", dxfattribs={"font": "romans.shx", "bigfont": "extfont2.shx", "width": 0.8})
    for name, color in [("配管-給水", 5), ("配管-給湯", 1), ("配管-排水", 30), ("寸法", 3), ("文字", 7)]:
        doc.layers.add(name, color=color)
    d100 = doc.dimstyles.new("配管100")
    d100.dxf.dimscale = 100
    d100.dxf.dimtxt = 2.5
    d100.dxf.dimdec = 0
    d100.dxf.dimgap = 0.625
    d100.dxf.dimtmove = 1
    d100.dxf.dimasz = 2.0
    d100.dxf.dimtxsty = "ゴシック"
    d50 = doc.dimstyles.new("配管50")
    d50.dxf.dimscale = 50
    d50.dxf.dimtxt = 3.0
    d50.dxf.dimdec = 1
    d50.dxf.dimzin = 8
    d50.dxf.dimrnd = 0.5
    d50.dxf.dimgap = 1.0
    d50.dxf.dimtmove = 2
    d50.dxf.dimtxsty = "JIS"
    blk = doc.blocks.new("Plendra1", base_point=(0, 0))
    define_balloon(doc, blk)
    msp = doc.modelspace()

    water = {"layer": "配管-給水"}
    hot = {"layer": "配管-給湯"}
    drain = {"layer": "配管-排水"}
    dim = {"layer": "寸法"}
    # A water main along the corridor, a riser and a branch to the kitchen.
    msp.add_line((0, 0), (1230, 0), dxfattribs=water)
    msp.add_line((1230, 0), (3680, 0), dxfattribs=water)
    msp.add_line((3680, 0), (3680, 1800), dxfattribs=water)
    msp.add_line((3680, 1800), (3680, 2700), dxfattribs=water)
    msp.add_line((0, 600), (2450, 600), dxfattribs=hot)
    msp.add_line((2450, 600), (3300, 1450), dxfattribs=hot)
    msp.add_line((0, -900), (3000, -900), dxfattribs=drain)
    msp.add_line((3000, -900), (3000, -1500), dxfattribs=drain)
    msp.add_text("給水管 SGP-VB 20A", dxfattribs={"layer": "文字", "height": 250, "style": "ゴシック",
                                                "insert": (200, 2200)})

    def linear(p1, p2, base, angle=0, style="配管100", location=None, override=None):
        d = msp.add_linear_dim(base=base, p1=p1, p2=p2, angle=angle, dimstyle=style, dxfattribs=dim,
                               override=override)
        if location is not None:
            d.set_location(location, leader=False, relative=False)
        d.render()
        e = d.dimension
        # AutoCAD keeps the measured value in group 42; ezdxf leaves it out.
        r = math.radians(angle)
        e.dxf.actual_measurement = abs((p2[0] - p1[0]) * math.cos(r) + (p2[1] - p1[1]) * math.sin(r))
        return e

    first = linear((0, 0), (1230, 0), (0, -400))                 # horizontal
    second = linear((1230, 0), (3680, 0), (0, -400))             # horizontal
    linear((3680, 0), (3680, 1800), (4100, 0), angle=90)         # vertical
    linear((3680, 1800), (3680, 2700), (4100, 0), angle=90)      # vertical
    moved = linear((0, 600), (2450, 600), (0, 1000), location=(1600, 1350))  # text moved by hand
    moved.discard_xdata("ACAD")  # follows the style's DIMTMOVE
    linear((0, -900), (3000, -900), (0, -1300), location=(2200, -1650),
           override={"dimtmove": 2})                              # moved, with a DSTYLE override
    linear((3000, -900), (3000, -1500), (3400, 0), angle=90, style="配管50")
    linear((-400, 0), (834.4, 0), (0, -2200), style="配管50")    # 1234.4, for rounding
    linear((0, 2700), (3680, 2700), (0, 3100))
    linear((0, 0), (0, 600), (-500, 0), angle=90)
    al = msp.add_aligned_dim(p1=(2450, 600), p2=(3300, 1450), distance=300, dimstyle="配管100", dxfattribs=dim)
    al.render()
    al.dimension.dxf.dimtype = 33  # aligned: ezdxf makes it a rotated one
    al.dimension.dxf.actual_measurement = math.hypot(850, 850)
    an = msp.add_angular_dim_2l(base=(2900, 900), line1=((0, 600), (2450, 600)),
                                line2=((2450, 600), (3300, 1450)), dimstyle="配管100", dxfattribs=dim)
    an.render()
    an.dimension.dxf.actual_measurement = math.radians(45)

    # Entries already written: 給水 1 and 2 above the first two dimensions,
    # 給湯 1 above the moved one.
    def entry(dimension, system, number):
        text_point = dimension.dxf.text_midpoint
        length = round(dimension.dxf.actual_measurement / 10) * 10
        # Above the text: half the text height, two gaps and the balloon's radius.
        at = (text_point[0], text_point[1] + 125 + 100 + 250)
        ref = msp.add_blockref("Plendra1", at, dxfattribs={"xscale": 250, "yscale": 250, "zscale": 250,
                                                           "layer": system})
        ref.add_auto_attribs({"X": fmt(text_point[0]), "Y": fmt(text_point[1]), "Z": "0", "長さ": fmt(length),
                              "材質": "SGP", "呼び径": "20A", "(1)系統": system, "(2)番号": str(number)})

    doc.layers.add("給水", color=5)
    doc.layers.add("給湯", color=1)
    entry(first, "給水", 1)
    entry(second, "給水", 2)
    entry(moved, "給湯", 1)
    doc.saveas(path, encoding="cp932")


def fmt(v):
    return ("%.7g" % v).rstrip("0").rstrip(".") if "." in ("%.7g" % v) else "%.7g" % v


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "data"
    block_file(out + "/Plendra1.dxf")
    sample(out + "/sample.dxf")
