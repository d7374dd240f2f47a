#!/usr/bin/python3
"""A drawing the way another program writes it, and the check that cadsim
gave it back whole. Run by tests/cadsim/ezdxf_round_trip_test.cpp.

    ezdxf_drawing.py make IN.dxf        writes the drawing (code page 932)
    ezdxf_drawing.py compare IN.dxf OUT.dxf
        prints one line per entity, object, table entry or value of IN that
        OUT lost or changed, then "lost N" and ezdxf's audit of OUT as
        "errors N fixes M".
"""
import math
import sys

import ezdxf

# The DXF reference's defaults of the dimension variables, which are AutoCAD's
# imperial ones (acad.dwt) from its system variable reference: a style
# written without one of these values means this value, whatever the
# drawing's $MEASUREMENT says.
REFERENCE_DEFAULTS = {
    "dimpost": "", "dimapost": "", "dimscale": 1, "dimasz": 0.18, "dimexo": 0.0625, "dimdli": 0.38,
    "dimexe": 0.18, "dimrnd": 0, "dimdle": 0, "dimtp": 0, "dimtm": 0, "dimtxt": 0.18, "dimcen": 0.09,
    "dimtsz": 0, "dimaltf": 25.4, "dimlfac": 1, "dimtvp": 0, "dimtfac": 1, "dimgap": 0.09,
    "dimaltrnd": 0, "dimtol": 0, "dimlim": 0, "dimtih": 1, "dimtoh": 1, "dimse1": 0, "dimse2": 0,
    "dimtad": 0, "dimzin": 0, "dimazin": 0, "dimalt": 0, "dimaltd": 2, "dimtofl": 0, "dimsah": 0,
    "dimtix": 0, "dimsoxd": 0, "dimclrd": 0, "dimclre": 0, "dimclrt": 0, "dimadec": 0, "dimdec": 4,
    "dimtdec": 4, "dimaltu": 2, "dimalttd": 2, "dimaunit": 0, "dimfrac": 0, "dimlunit": 2,
    "dimdsep": 46, "dimtmove": 0, "dimjust": 0, "dimsd1": 0, "dimsd2": 0, "dimtolj": 1, "dimtzin": 0,
    "dimaltz": 0, "dimalttz": 0, "dimupt": 0, "dimatfit": 3, "dimlwd": -2, "dimlwe": -2,
}


def make(path):
    doc = ezdxf.new("R2000", setup=True)
    doc.encoding = "cp932"
    doc.header["$MEASUREMENT"] = 1
    doc.appids.new("PLENDRA_TEST")
    doc.layers.add("外形", color=2)
    style = doc.dimstyles.new("寸法2")
    style.dxf.dimlfac = 2.0
    style.dxf.dimtad = 0
    style.dxf.dimtxt = 3.5
    style.dxf.dimdec = 1
    msp = doc.modelspace()
    msp.add_point((5, 5), dxfattribs={"layer": "外形"})
    msp.add_lwpolyline([(0, 0), (10, 0), (10, 10), (0, 10)], close=True)
    msp.add_polyline2d([(0, 0), (4, 3), (8, 0)], dxfattribs={"layer": "外形"})  # VERTEX records and SEQEND
    msp.add_mtext("二行の\\P文字", dxfattribs={"char_height": 2.5, "insert": (20, 20)})
    hatch = msp.add_hatch(color=3)
    hatch.paths.add_polyline_path([(0, 0), (5, 0), (5, 5)], is_closed=True)
    line = msp.add_line((0, 0), (100, 0))
    line.set_xdata("PLENDRA_TEST", [(1000, "系統"), (1070, 7), (1040, 2.5)])
    record = line.new_extension_dict().add_xrecord("PLENDRA")
    record.reset([(1, "kept"), (40, 1.5)])
    block = doc.blocks.new("ARCS")
    block.add_arc((0, 0), 5, 0, 90)
    block.add_point((1, 1))
    msp.add_blockref("ARCS", (50, 50))
    linear = msp.add_linear_dim(base=(0, 20), p1=(0, 0), p2=(30, 0), dimstyle="寸法2")
    linear.render()
    linear.dimension.dxf.oblique_angle = 15       # 52
    linear.dimension.dxf.text_rotation = 5        # 53
    linear.dimension.dxf.horizontal_direction = 0  # 51
    angular = msp.add_angular_dim_3p(base=(10, 10), center=(0, 0), p1=(20, 0), p2=(0, 20), dimstyle="寸法2")
    angular.render()
    doc.layout("Layout1").add_line((0, 0), (210, 297))  # paper space
    doc.saveas(path, encoding="cp932")


def same(x, y):
    if isinstance(x, (int, float)) and isinstance(y, (int, float)):
        return math.isclose(x, y, rel_tol=1e-9, abs_tol=1e-12)
    if hasattr(x, "__iter__") and not isinstance(x, str):
        x, y = list(x), list(y) if y is not None else []
        return len(x) == len(y) and all(same(p, q) for p, q in zip(x, y))
    return x == y


def xdata(entity):
    if not entity.xdata:
        return []
    return sorted((name, [(t.code, t.value) for t in entity.xdata.get(name)]) for name in entity.xdata.data)


def compare(before_path, after_path):
    before, after = ezdxf.readfile(before_path), ezdxf.readfile(after_path)
    lost = 0

    def report(*what):
        nonlocal lost
        lost += 1
        print(*what)

    for e in before.entitydb.values():
        kind = e.dxftype()
        # Table heads are the writer's own; ezdxf makes a SEQEND for every
        # INSERT whether the file has one or not.
        if kind in ("TABLE", "SEQEND"):
            continue
        f = after.entitydb.get(e.dxf.handle)
        if f is None or f.dxftype() != kind:
            report("lost", kind, e.dxf.handle)
            continue
        for name, value in e.dxf.all_existing_dxf_attribs().items():
            if name == "owner" and kind in ("LAYER", "STYLE", "LTYPE", "DIMSTYLE", "APPID", "VPORT", "BLOCK_RECORD",
                                            "VIEW", "UCS"):
                continue
            if f.dxf.hasattr(name):
                kept = f.dxf.get(name)
            elif kind == "DIMSTYLE" and name in REFERENCE_DEFAULTS:
                kept = REFERENCE_DEFAULTS[name]  # left out as AutoCAD leaves out a default
            else:
                kept = None
            if kept is None or not same(value, kept):
                report("changed", kind, e.dxf.handle, name, repr(value), repr(kept))
        if not same(xdata(e), xdata(f)):
            report("xdata", kind, e.dxf.handle)
        if e.has_extension_dict != f.has_extension_dict:
            report("extension dictionary", kind, e.dxf.handle)
    print("lost", lost)
    audit = after.audit()
    for error in audit.errors:
        print("error", error.code, error.message)
    print("errors %d fixes %d" % (len(audit.errors), len(audit.fixes)))


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2])
    else:
        compare(sys.argv[2], sys.argv[3])
