#!/usr/bin/env python3
"""dxfscan against ezdxf's low-level tag reader on real DXF files.

Writes drawings with ezdxf (dimensions, blocks with attributes, Japanese
text in code page 932, R12 and R2000, LF and CRLF line ends), takes the
DXF files in the given folders as well, and for several queries per file
compares dxfscan's output with the records read through
ezdxf.lldxf.tagger.ascii_tags_loader. Exit 0 when all agree, 1 otherwise,
77 (skipped) when ezdxf is not installed.

usage: dxfscan_vs_ezdxf.py DXFSCAN [FOLDER...]
"""
import collections
import os
import subprocess
import sys
import tempfile

try:
    import ezdxf
    from ezdxf.lldxf.tagger import ascii_tags_loader
except ImportError:
    print("ezdxf is not installed (Debian: python3-ezdxf); skipped")
    sys.exit(77)


def write_drawings(folder):
    """A few drawings of the kind the product reads; returns their paths."""
    paths = []
    for version in ("R12", "R2000"):
        doc = ezdxf.new(version, setup=True)
        doc.header["$DWGCODEPAGE"] = "ANSI_932"
        msp = doc.modelspace()
        block = doc.blocks.new("PLENDRA1")
        for i, tag in enumerate(("KEITOU", "BANGOU", "NAGASA", "ITI")):
            block.add_attdef(tag, (0, -3 * i), dxfattribs={"height": 2.5})
        systems = ["給水", "給湯", "ソケット表", "  先頭に空白", "末尾に空白  ", "ｷｬﾝｾﾙ"]
        for i in range(12):
            x, y = 1000.0 * i, 700.0 * (i % 3)
            dim = msp.add_linear_dim(base=(x, y + 10), p1=(x, y), p2=(x + 500 + i, y),
                                     angle=0 if i % 2 == 0 else 90, dimstyle="EZDXF")
            dim.render()
            ref = msp.add_blockref("PLENDRA1", (x + 200, y + 30))
            ref.add_auto_attribs({"KEITOU": systems[i % len(systems)], "BANGOU": str(i + 1),
                                  "NAGASA": str(500 + i), "ITI": f"{x:.1f},{y:.1f}"})
            msp.add_text(systems[(i + 1) % len(systems)], dxfattribs={"insert": (x, y - 20)})
            msp.add_line((x, y), (x + 10, y + 10), dxfattribs={"layer": "配管"})
        if version == "R2000":
            msp.add_mtext("一行目\\P二行目", dxfattribs={"insert": (0, -100)})
        path = os.path.join(folder, f"ezdxf_{version}.dxf")
        doc.saveas(path, encoding="cp932")
        # ezdxf writes R12 files as ANSI_1252 whatever the header was given;
        # the bytes are code page 932, and dxfscan believes the header.
        with open(path, "rb") as f:
            data = f.read()
        with open(path, "wb") as f:
            f.write(data.replace(b"$DWGCODEPAGE\n  3\nANSI_1252\n", b"$DWGCODEPAGE\n  3\nANSI_932\n", 1))
        paths.append(path)
        with open(path, "rb") as f:
            data = f.read()
        crlf = os.path.join(folder, f"ezdxf_{version}_crlf.dxf")
        with open(crlf, "wb") as f:
            f.write(data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"))
        paths.append(crlf)
    return paths


def tags(path):
    with open(path, encoding="cp932", errors="surrogateescape") as f:
        return list(ascii_tags_loader(f, skip_comments=False))


def expected(all_tags, section, type_, codes):
    """What DxfScan reads from the tags: the records of one type in one section."""
    codes = [int(c) for c in codes.split("|")]
    records = []
    inside = wanted = False
    it = iter(all_tags)
    for tag in it:
        if tag.code == 0:
            wanted = False
            if tag.value == "SECTION":
                name = next(it)
                if name.value == section:
                    inside = True
            elif tag.value == "ENDSEC":
                if inside:
                    break
            elif inside and tag.value == type_:
                wanted = True
                records.append([""] * len(codes))
        elif wanted:
            for k, c in enumerate(codes):
                if c == tag.code:
                    records[-1][k] = tag.value
    escape = str.maketrans({"\t": "\\t", "\r": "\\r", "\n": "\\n"})
    lines = [str(len(records))] + ["\t".join(v.translate(escape) for v in r) for r in records]
    return "".join(line + "\n" for line in lines)


def queries(all_tags):
    """Per section, its most common record types with the codes they carry."""
    found = collections.OrderedDict()
    section = None
    current = None
    it = iter(all_tags)
    for tag in it:
        if tag.code == 0 and tag.value == "SECTION":
            section = next(it).value
            current = None
        elif tag.code == 0:
            current = (section, tag.value)
            found.setdefault(current, collections.Counter())
        elif current is not None:
            found[current][tag.code] += 1
    result = []
    for (section, type_), counter in found.items():
        if section is None or type_ in ("ENDSEC", "EOF"):
            continue
        codes = [str(c) for c, _ in counter.most_common(8)] or ["5"]
        codes.append(codes[0])  # a code listed twice
        result.append((section, type_, "|".join(codes)))
    return result


def main():
    dxfscan = sys.argv[1]
    failures = 0
    checked = 0
    with tempfile.TemporaryDirectory() as folder:
        paths = write_drawings(folder)
        for extra in sys.argv[2:]:
            paths += sorted(os.path.join(extra, n) for n in os.listdir(extra) if n.lower().endswith(".dxf"))
        for path in paths:
            all_tags = tags(path)
            for section, type_, codes in queries(all_tags):
                want = expected(all_tags, section, type_, codes)
                run = subprocess.run([dxfscan, path, section, type_, codes], capture_output=True)
                got = run.stdout.decode("utf-8", errors="surrogateescape")
                checked += 1
                if run.returncode != 0 or got != want:
                    failures += 1
                    print(f"DIFFERENT: {os.path.basename(path)} {section} {type_} {codes}")
                    print(run.stderr.decode("utf-8", "replace")[:500])
                    for a, b in zip(want.splitlines(), got.splitlines()):
                        if a != b:
                            print(f"  ezdxf:   {a!r}\n  dxfscan: {b!r}")
                            break
    print(f"{checked} queries over {len(paths)} files, {failures} different")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
