#!/usr/bin/python3
"""Writes two drawings whose dimension styles carry their values the way
AutoCAD writes them: only the values that differ from the DXF reference's
defaults (the imperial ones), whatever the drawing's measurement system.

    /usr/bin/python3 tests/scenarios/drawings/make_styles.py tests/scenarios/drawings/

imperial_style.dxf: an imperial drawing ($MEASUREMENT 0) as AutoCAD 2018
writes it. Its Standard style says DIMSCALE 100 and nothing else, so its
DIMTXT is 0.18, its DIMGAP 0.09, its DIMDEC 4 and its DIMZIN 0.

metric_style.dxf: a metric drawing ($MEASUREMENT 1) as AutoCAD 2013 writes
it. Its ISO-25 style carries DIMTXT 2.5, DIMGAP 0.625, DIMDEC 2, DIMZIN 8,
DIMASZ 2.5 and DIMEXO 0.625 written out, with DIMSCALE 100.

fixed_text_height.dxf: the metric drawing again, with a current text style
of fixed height (文字250, 250 high) and a current layer 配管: the block
script must neither fall out of step there nor leave them changed.

Each holds one horizontal dimension whose text lies at (1000, 500),
measuring 1234.4, in that style. The files are code page 932.
"""
import sys

import ezdxf

# The group codes of the dimension variables a DIMSTYLE record may carry.
VARIABLE_CODES = (
    {3, 4}
    | set(range(40, 49))
    | set(range(140, 149))
    | set(range(71, 80))
    | set(range(170, 180))
    | set(range(271, 290))
    | {341, 342, 343, 344, 371, 372}
)


def as_autocad_writes(path, style_name, keep):
    """ezdxf writes every variable, AutoCAD only those that differ from the
    reference's defaults: the named style's record keeps the variables whose
    codes are in keep, and its name, flags, handles and text style."""
    with open(path, encoding="cp932", newline="") as f:
        lines = f.read().split("\n")
    out, i, record, in_style = [], 0, "", False
    while i + 1 < len(lines):
        code, value = lines[i].strip(), lines[i + 1].rstrip("\r")
        if code == "0":
            record, in_style = value, False
        elif code == "2" and record == "DIMSTYLE" and value == style_name:
            in_style = True
        if not (in_style and code.isdigit() and int(code) in VARIABLE_CODES and int(code) not in keep):
            out += [lines[i], lines[i + 1]]
        i += 2
    out += lines[i:]
    with open(path, "w", encoding="cp932", newline="") as f:
        f.write("\n".join(out))


def drawing(path, measurement, style_name, values, fixed_text_height=False):
    """values: {group code: (ezdxf's name, value)} of what the style carries."""
    doc = ezdxf.new("R2000", units=4 if measurement else 1)
    if fixed_text_height:
        doc.styles.new("文字250", dxfattribs={"font": "txt.shx", "height": 250})
        doc.layers.new("配管")
        doc.header["$TEXTSTYLE"] = "文字250"
        doc.header["$CLAYER"] = "配管"
    doc.header["$MEASUREMENT"] = measurement
    doc.header["$DIMSTYLE"] = style_name
    if style_name not in doc.dimstyles:
        doc.dimstyles.new(style_name)
    style = doc.dimstyles.get(style_name)
    for name, value in values.values():
        style.dxf.set(name, value)
    style.dxf.dimtxsty = "Standard"  # group 340, which AutoCAD always writes
    msp = doc.modelspace()
    dim = msp.add_linear_dim(base=(1000, 500), p1=(382.8, 0), p2=(1617.2, 0), angle=0, dimstyle=style_name)
    dim.render()
    entity = dim.dimension
    entity.dxf.text_midpoint = (1000, 500, 0)
    entity.dxf.actual_measurement = 1234.4
    msp.add_text("給水管", dxfattribs={"insert": (0, -500), "height": 250})
    doc.saveas(path, encoding="cp932")
    as_autocad_writes(path, style_name, set(values))
    print(path, "dimension", entity.dxf.handle)


METRIC = {
    40: ("dimscale", 100),
    41: ("dimasz", 2.5),
    42: ("dimexo", 0.625),
    140: ("dimtxt", 2.5),
    147: ("dimgap", 0.625),
    78: ("dimzin", 8),
    271: ("dimdec", 2),
}

if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    drawing(folder + "/imperial_style.dxf", 0, "Standard", {40: ("dimscale", 100)})
    drawing(folder + "/metric_style.dxf", 1, "ISO-25", METRIC)
    drawing(folder + "/fixed_text_height.dxf", 1, "ISO-25", METRIC, fixed_text_height=True)
