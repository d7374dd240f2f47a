#!/usr/bin/python3
"""Writes the drawings of the scenario tests with ezdxf, the way a program
other than AutoCAD writes them: a dimension style carries only the values
given here, and AutoCAD fills in the rest when it opens the drawing.

    /usr/bin/python3 tests/scenarios/drawings/make_drawings.py tests/scenarios/drawings/

worked_example.dxf: one horizontal dimension whose text lies at (1000, 500),
measuring 1234.4, in a style with DIMSCALE 100, DIMTXT 2.5, DIMGAP 0.625,
DIMDEC 0, DIMRND 0, DIMZIN 0 and a text style of width factor 1 (handle
given by the table); a second one, measuring 1500 with its text at
(3000, 500), in a style that gives nothing but DIMSCALE 50; a third, vertical
(its text at (5000, 500)), in the first style.

printed_value.dxf: the first style of worked_example.dxf and three horizontal
dimensions measuring 1234.4 whose texts the draughtsman typed over: "1500"
(text at (1000, 500)), "1234" (the measurement to the millimetre, at
(3000, 500)) and "<> 既設" (the measurement and a note, at (5000, 500)).
"""
import sys

import ezdxf


def dimension(msp, style, p1, p2, base, angle, text_mid, measurement, text="<>"):
    dim = msp.add_linear_dim(base=base, p1=p1, p2=p2, angle=angle, dimstyle=style, text=text)
    dim.render()
    entity = dim.dimension
    entity.dxf.text_midpoint = text_mid
    entity.dxf.actual_measurement = measurement
    return entity


def worked_example(folder):
    doc = ezdxf.new("R2000", units=4)  # millimetres
    doc.header["$MEASUREMENT"] = 1
    doc.styles.new("WIDE1", dxfattribs={"font": "txt.shx", "width": 1.0})
    doc.dimstyles.new(
        "WORK",
        dxfattribs={
            "dimscale": 100,
            "dimtxt": 2.5,
            "dimgap": 0.625,
            "dimdec": 0,
            "dimrnd": 0,
            "dimzin": 0,
            "dimtxsty": "WIDE1",
        },
    )
    doc.dimstyles.new("BARE", dxfattribs={"dimscale": 50})
    msp = doc.modelspace()
    dimension(msp, "WORK", (382.8, 0), (1617.2, 0), (1000, 500), 0, (1000, 500, 0), 1234.4)
    dimension(msp, "BARE", (2250, 0), (3750, 0), (3000, 500), 0, (3000, 500, 0), 1500)
    dimension(msp, "WORK", (5500, -500), (5500, 1500), (5000, 500), 90, (5000, 500, 0), 2000)
    msp.add_text("給水管", dxfattribs={"insert": (0, -500), "height": 250})
    doc.saveas(folder + "/worked_example.dxf", encoding="cp932")
    for e in msp:
        print(e.dxftype(), e.dxf.handle)


def printed_value(folder):
    doc = ezdxf.new("R2000", units=4)
    doc.header["$MEASUREMENT"] = 1
    doc.styles.new("WIDE1", dxfattribs={"font": "txt.shx", "width": 1.0})
    doc.dimstyles.new(
        "WORK",
        dxfattribs={"dimscale": 100, "dimtxt": 2.5, "dimgap": 0.625, "dimdec": 0, "dimrnd": 0, "dimzin": 0,
                    "dimtxsty": "WIDE1"},
    )
    msp = doc.modelspace()
    for x, text in [(1000, "1500"), (3000, "1234"), (5000, "<> 既設")]:
        dimension(msp, "WORK", (x - 617.2, 0), (x + 617.2, 0), (x, 500), 0, (x, 500, 0), 1234.4, text=text)
    doc.saveas(folder + "/printed_value.dxf", encoding="cp932")
    for e in msp:
        print(e.dxftype(), e.dxf.handle, e.dxf.get("text", ""))


if __name__ == "__main__":
    worked_example(sys.argv[1] if len(sys.argv) > 1 else ".")
    printed_value(sys.argv[1] if len(sys.argv) > 1 else ".")
