#!/usr/bin/env python3
"""Builds Plendra_Help.chm from the UTF-8 sources beside this script.

HTML Help on a Japanese Windows reads a topic in the code page its meta tag
names, and the contents and index files in the ANSI code page (932). The
sources stay UTF-8 so that they diff and edit like every other file of the
project; here they are written out in code page 932 with their meta tags
saying Shift_JIS, and then compiled with chmcmd. A character that code page
932 cannot hold fails the build instead of turning into a question mark.

usage: make_help.py SOURCE_DIR WORK_DIR CHMCMD OUTPUT
"""
import pathlib
import re
import shutil
import subprocess
import sys


def project_files(hhp_text):
    """The files the project names: [FILES], the contents and the index."""
    files, section = [], None
    for line in hhp_text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1].upper()
        elif section == "FILES" and line:
            files.append(line)
        elif section == "OPTIONS" and "=" in line:
            key, value = line.split("=", 1)
            if key.strip() in ("Contents file", "Index file"):
                files.append(value.strip())
    return files


def to_cp932(text, name):
    text = re.sub(r"charset=UTF-8", "charset=Shift_JIS", text, flags=re.IGNORECASE)
    try:
        return text.encode("cp932")
    except UnicodeEncodeError as e:
        line = text.count("\n", 0, e.start) + 1
        sys.exit(f"{name}:{line}: {text[e.start]!r} (U+{ord(text[e.start]):04X}) is not in code page 932")


def main():
    source, work, chmcmd, output = sys.argv[1:5]
    source, work, output = pathlib.Path(source), pathlib.Path(work), pathlib.Path(output)
    if work.exists():
        shutil.rmtree(work)
    work.mkdir(parents=True)
    hhp = next(source.glob("*.hhp"))
    hhp_text = hhp.read_text(encoding="utf-8")
    for name in [hhp.name] + project_files(hhp_text):
        text = (source / name).read_text(encoding="utf-8")
        (work / name).write_bytes(to_cp932(text, name))
    run = subprocess.run([chmcmd, hhp.name], cwd=work, capture_output=True, text=True, errors="replace")
    compiled = re.search(r"^Compiled file=(.*)$", hhp_text, flags=re.MULTILINE).group(1).strip()
    if run.returncode != 0 or not (work / compiled).is_file():
        sys.stderr.write(run.stdout + run.stderr)
        sys.exit(f"chmcmd failed on {hhp.name}")
    # chmcmd reports a link to a file that is not in the project as a warning
    # and still writes the file; a help with a dead link is not shipped.
    problems = [line for line in (run.stdout + run.stderr).splitlines() if line.startswith(("Warning", "Error"))]
    if problems:
        sys.exit("\n".join(problems))
    output.parent.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(work / compiled, output)


if __name__ == "__main__":
    main()
