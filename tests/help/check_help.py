#!/usr/bin/env python3
"""Reads the compiled Plendra_Help.chm back with chmls and checks what a user
of the help meets: every topic of the sources is inside, byte for byte in code
page 932 and declared Shift_JIS; the contents name every topic and the index
points only at topics that exist; the help opens on its default topic in
Japanese; the troubleshooting topic quotes Plendra's messages as Plendra
shows them; the settings topic names every control of the settings dialog by
its caption.

usage: check_help.py CHMLS CHM HELP_SOURCE_DIR TEXTS_H
ends with "N passed, N failed".
"""
import html
import pathlib
import re
import subprocess
import sys
import tempfile

chmls, chm, source_dir, texts_h = sys.argv[1], sys.argv[2], pathlib.Path(sys.argv[3]), sys.argv[4]
passed = failed = 0


def check(condition, what):
    global passed, failed
    if condition:
        passed += 1
    else:
        failed += 1
        print("FAILED:", what)


def chmls_run(*args):
    return subprocess.run([chmls, *args], capture_output=True, check=True).stdout


def extract(name):
    with tempfile.TemporaryDirectory() as folder:
        target = pathlib.Path(folder) / "out"
        subprocess.run([chmls, "extract", chm, "/" + name, str(target)], capture_output=True)
        return target.read_bytes() if target.exists() else None


def sitemap_entries(text):
    """(Name, Local) of each sitemap object of a contents or index file."""
    entries = []
    for obj in re.findall(r'<OBJECT type="text/sitemap">(.*?)</OBJECT>', text, flags=re.S | re.I):
        params = dict(re.findall(r'<param name="(\w+)" value="([^"]*)">', obj, flags=re.I))
        entries.append((params.get("Name", ""), params.get("Local", "")))
    return entries


# The project's files, as the sources name them.
hhp = (source_dir / "Plendra_Help.hhp").read_text(encoding="utf-8")
files = re.search(r"\[FILES\]\n(.*?)(\n\[|\Z)", hhp, flags=re.S).group(1).split()
topics = [f for f in files if f.endswith(".html")]
check(len(topics) >= 8, f"the project lists the topics ({len(topics)})")

listing = {line.strip() for line in chmls_run("-n", "list", chm).decode("latin-1").splitlines()}
for name in files + ["Plendra_Help.hhc", "Plendra_Help.hhk"]:
    check("/" + name in listing, f"{name} is inside the help")

# Each topic as the viewer reads it: code page 932, declared Shift_JIS.
for name in topics:
    stored = extract(name)
    expected = (source_dir / name).read_text(encoding="utf-8").replace("charset=UTF-8", "charset=Shift_JIS")
    check(stored is not None and stored == expected.encode("cp932"), f"{name} is stored as its source in code page 932")
    check(stored is not None and b"charset=Shift_JIS" in stored, f"{name} declares Shift_JIS")

system = chmls_run("printsystem", chm).decode("cp932", errors="replace")
check(re.search(r"Default topic from \[options\]\s*:index\.html", system) is not None, "the help opens on index.html")
check(re.search(r"LCID from HHP file\s*:\s*1041", system) is not None, "the help is Japanese (LCID 1041)")

contents = (extract("Plendra_Help.hhc") or b"").decode("cp932")
entries = sitemap_entries(contents)
named = [local for _, local in entries]
for name in topics:
    check(name in named, f"the contents name {name}")
check(all(title for title, _ in entries), "every contents entry has a title")
titles = dict((local, title) for title, local in entries)
check(titles.get("troubleshooting.html") == "困ったときは", "the contents call the messages topic 困ったときは")

index_entries = sitemap_entries((extract("Plendra_Help.hhk") or b"").decode("cp932"))
check(len(index_entries) >= 20, f"the index has keywords ({len(index_entries)})")
for keyword, local in index_entries:
    check("/" + local in listing, f"index keyword {keyword} points at a topic inside ({local})")


def topic_text(name):
    return html.unescape((extract(name) or b"").decode("cp932"))


# The messages a user may meet, quoted as Plendra shows them.
texts = pathlib.Path(texts_h).read_text(encoding="utf-8")
trouble = topic_text("troubleshooting.html")
for constant in ["kNoAutoCad", "kAlreadyRunning", "kClosingWhileWriting", "kSettingsNotWritten", "kKeitouMissing",
                 "kKeitouNoSystems", "kKeitouNoNumbers", "kLastNumberReached", "kLastNumberNoAdvance",
                 "kCancelledByUser", "kPickADimension", "kNoSystemName", "kNoNumber", "kAligned", "kNotLinear",
                 "kNoDimensionStyle", "kNoPosition", "kRunTimeError", "kNotConnected", "kExportFailed",
                 "kExportUnreadable", "kSyuukeiNotWritten", "kNoDrawingFolder", "kBlockMissing", "kBlockDeclined",
                 "kBlockScriptMissing", "kBlockNotMade", "kNumbersUnread", "kAlreadyInDrawing",
                 "kEntryUnconfirmed", "kEntryUnconfirmedAdvice",
                 "kLayerUnconfirmed"]:
    found = re.search(constant + r'\s*=\s*u"((?:[^"\\]|\\.)*)"', texts)
    check(found is not None, f"{constant} is in texts.h")
    if found:
        message = found.group(1).replace('\\"', '"')
        check(message in trouble, f"the messages topic quotes {constant}: {message}")

settings = topic_text("settings.html")
for caption in ["名称位置", "上", "下", "前", "後", "名称調整", "離れ → 大", "大きさ→大", "連続して書き込む", "丸め",
                "常に手前に表示", "透明度 → 不透明", "系統名のレイヤに制作", "系統の最大数をチェック", "OK", "キャンセル",
                "「1mm」「5mm」「10mm」「50mm」「丸め無し」"]:
    check(caption in settings, f"the settings topic names {caption}")

main_window = topic_text("main_window.html")
for caption in ["系統", "番号", "開始 / 停止", "ステータスバー", "設定", "ヘルプ → 使い方", "ヘルプ → バージョン情報",
                "検査 → 番号の検査", "検査 → 集計表の出力", "検査 → 番号の振り直し"]:
    check(caption in main_window, f"the main window topic names {caption}")
check("給水-1>1230mmを書き込みました" in topic_text("numbering.html"), "the numbering topic shows the status text")

# 番号の振り直し: its dialog's captions, and its messages as Plendra shows them.
renumber = topic_text("renumber.html")
for caption in ["系統", "旧番号 → 新番号", "そのままの部品表", "実行", "キャンセル", "停止", "U"]:
    check(caption in renumber, f"the renumbering topic names {caption}")
for constant in ["kRenumberNothing", "kRenumberNothingEnd", "kRenumberAmbiguous", "kRenumberStopped",
                 "kRenumberFailed", "kRenumberUnconfirmed", "kRenumberNotFound", "kRenumberUndoHint",
                 "kRenumberAcadClosed", "kRenumberCheckAgain", "kRenumberDiffers", "kRenumberOfferUndo",
                 "kRenumberDone", "kRenumberMissingEnd", "kRenumberSystemsHere"]:
    found = re.search(constant + r'\s*=\s*u"((?:[^"\\]|\\.)*)"', texts)
    check(found is not None, f"{constant} is in texts.h")
    if found:
        message = found.group(1).replace('\\"', '"').strip()
        check(message in renumber, f"the renumbering topic quotes {constant}: {message}")

print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
