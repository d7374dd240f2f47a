#!/usr/bin/env python3
"""Checks Windows programs of the build by reading them, without running them.

  check_pe.py OBJDUMP imports ALLOWED FILE...
      every function FILE imports is in ALLOWED, the functions that Windows XP
      has (the oldest system the programs are built for);
  check_pe.py OBJDUMP exports FILE NAME...
      FILE exports exactly these names, undecorated;
  check_pe.py OBJDUMP resources FILE win32|win64 VERSION
      FILE carries type library 1 made for that system (what RegisterTypeLib
      files it under) and a version resource whose FileVersion is VERSION;
  check_pe.py OBJDUMP version VERSION FILE...
      each FILE's version resource says VERSION as its FileVersion and its
      ProductVersion (what the file's properties show).

The 32-bit build cannot run on these machines, so this is how it is checked;
the 64-bit build gets the same checks beside its tests under Wine.
"""
import os
import re
import struct
import subprocess
import sys


def objdump(tool, path):
    # objdump translates its headings; the Wine tests run under a Japanese locale.
    env = dict(os.environ, LC_ALL="C", LANGUAGE="C")
    return subprocess.run([tool, "-p", path], check=True, capture_output=True, text=True, env=env).stdout


def imports(dump):
    """{dll (lower case): [function, ...]} from objdump -p's import tables."""
    found = {}
    dll = None
    for line in dump.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            found.setdefault(dll, [])
            continue
        if dll is None:
            continue
        if not line.strip():
            dll = None
            continue
        # "	  11218	  267  DeleteCriticalSection" (vma, hint, name); by ordinal
        # there is no name.
        m = re.match(r"\s+[0-9a-fA-F]+\s+(\d+)\s+(\S+)\s*$", line)
        if m:
            found[dll].append(m.group(2))
        elif re.match(r"\s+[0-9a-fA-F]+\s+<none>\s+([0-9a-fA-F]+)", line):
            found[dll].append("#" + line.split()[-1])
    return found


def exports(dump):
    names = []
    inside = False
    for line in dump.splitlines():
        if line.startswith("[Ordinal/Name Pointer] Table"):
            inside = True
            continue
        if inside:
            m = re.match(r"\s+\[\s*\d+\]\s+(\S+)", line)
            if not m:
                break
            names.append(m.group(1))
    return names


def resources(path):
    """{(type, name): bytes} of a PE file's resources, first language each.

    Types and names are ints, or strings for named ones ("TYPELIB")."""
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise SystemExit(f"{path}: not a PE file")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    directories = pe + 24 + (96 if magic == 0x10B else 112)
    rsrc_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = pe + 24 + optional_size

    def offset(rva):
        for i in range(sections):
            size, address, _, raw = struct.unpack_from("<4I", data, table + i * 40 + 8)
            if address <= rva < address + max(size, 1):
                return raw + rva - address
        raise SystemExit(f"{path}: address {rva:#x} is in no section")

    base = offset(rsrc_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<12xHH", data, base + directory)
        for i in range(named + ids):
            key, target = struct.unpack_from("<II", data, base + directory + 16 + i * 8)
            if key & 0x80000000:
                at = base + (key & 0x7FFFFFFF)
                length = struct.unpack_from("<H", data, at)[0]
                key = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield key, target

    found = {}
    for type_key, type_target in entries(0):
        for name_key, name_target in entries(type_target & 0x7FFFFFFF):
            _, leaf = next(entries(name_target & 0x7FFFFFFF))
            rva, size = struct.unpack_from("<II", data, base + leaf)
            found[(type_key, name_key)] = data[offset(rva):offset(rva) + size]
    return found


def check_resources(path, system, version):
    found = resources(path)
    ok = True
    library = found.get(("TYPELIB", 1))
    # The MSFT header: magic, then the system kind in the low bits of the
    # flags at offset 20 (SYS_WIN32 = 1, SYS_WIN64 = 3).
    if library is None or library[:4] != b"MSFT":
        print(f"{path}: no type library resource TYPELIB 1")
        ok = False
    else:
        kind = {1: "win32", 3: "win64"}.get(struct.unpack_from("<I", library, 20)[0] & 0xF, "other")
        names = [n for n in (b"PwAcadCtrl", b"_PwAcad", b"_PwControl", b"DxfScan") if n not in library]
        print(f"{path}: type library for {kind}, {len(library)} bytes")
        if kind != system or names:
            print(f"{path}: expected a {system} type library naming PwAcadCtrl's interfaces; missing {names}")
            ok = False
    return check_version(path, found, version, ["FileVersion"]) and ok


def version_value(found, key):
    """The text of `key` in the version resource's string table, or None."""
    info = found.get((16, 1))  # RT_VERSION, VS_VERSION_INFO
    wanted = (key + "\0").encode("utf-16-le")
    if info is None or wanted not in info:
        return None
    at = info.index(wanted) + len(wanted)
    at = (at + 3) & ~3  # values start on a 32-bit boundary
    return info[at:].decode("utf-16-le", "replace").split("\0", 1)[0]


def check_version(path, found, version, keys):
    ok = True
    for key in keys:
        text = version_value(found, key)
        print(f"{path}: version resource {key} {text!r}")
        if text != version:
            print(f"{path}: expected {key} {version!r}")
            ok = False
    return ok


def allowed_list(path):
    """The allowed imports: "[dll]" headers, then one function a line,
    followed by "x64" when only 64-bit Windows XP has it: {dll: {name: arch}}."""
    allowed = {}
    dll = None
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            m = re.fullmatch(r"\[(\S+)\]", line)
            if m:
                dll = m.group(1).lower()
                allowed.setdefault(dll, {})
            elif dll is None:
                raise SystemExit(f"{path}: {line!r} comes before any [dll] header")
            else:
                name, *arch = line.split()
                allowed[dll][name] = arch[0] if arch else None
    return allowed


def check_imports(tool, allowed_path, files):
    allowed = allowed_list(allowed_path)
    bad = []
    for path in files:
        dump = objdump(tool, path)
        arch = "x64" if re.search(r"^Magic\s+020b", dump, re.M) else "x86"
        table = imports(dump)
        if not table:
            bad.append(f"{path}: no import table found")
        for dll, functions in sorted(table.items()):
            known = allowed.get(dll, {})
            for function in functions:
                if function not in known or known[function] not in (None, arch):
                    bad.append(f"{path}: {dll} {function}")
        print(f"{path}: {sum(map(len, table.values()))} imports from {', '.join(sorted(table))}")
    for line in bad:
        print("not on Windows XP (or not in the list):", line)
    return not bad


def check_exports(tool, path, wanted):
    names = exports(objdump(tool, path))
    print(f"{path}: exports {', '.join(names)}")
    if sorted(names) != sorted(wanted):
        print(f"{path}: expected exactly {', '.join(sorted(wanted))}")
        return False
    return True


def main(argv):
    if len(argv) >= 4 and argv[2] == "imports":
        ok = check_imports(argv[1], argv[3], argv[4:])
    elif len(argv) >= 4 and argv[2] == "exports":
        ok = check_exports(argv[1], argv[3], argv[4:])
    elif len(argv) == 6 and argv[2] == "resources":
        ok = check_resources(argv[3], argv[4], argv[5])
    elif len(argv) >= 5 and argv[2] == "version":
        ok = all([check_version(path, resources(path), argv[3], ["FileVersion", "ProductVersion"])
                  for path in argv[4:]])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
