#!/usr/bin/env bash
# The working cycle under Wine with real processes: Plendra.exe (through
# korvel.dll) against cadsim.exe, whose every command takes a command time,
# as an AutoCAD's does. For each command time it starts cadsim.exe showing the
# sample drawing with a scripted user who picks at once, starts Plendra.exe,
# presses 開始 with uidrive as the GUI tests do, lets one continuous run write
# PICKS entries, ends it with Esc, closes both programs and reads cadsim.exe's
# --log: the wall milliseconds per entry (from one selection command to the
# next), the part beyond the command time (commands finished times the
# command time), the part in which cadsim.exe waited for its client with no
# command working (what Plendra and korvel add, Wine's passing of messages
# included; the rest of the part beyond is cadsim's own work: drawing,
# writing and reading files), command lines and prompt reads.
#
#   bench/wine_pick_cycle/wine_pick_cycle.sh [MS...]     (default 10 50 200)
#   PICKS=40 bench/wine_pick_cycle/wine_pick_cycle.sh 50
#   NO_BUILD=1 ...   uses build/mingw as it is
#
# It builds the MinGW programs it needs (build/mingw), and runs Wine in a
# prefix of its own under build/mingw/bench-wine on a virtual X display; it
# ends every process it started (Xvfb by its PID, the prefix's Wine
# processes with wineserver -k). It takes the whole machine while it runs.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
picks=${PICKS:-20}
if [[ $# -gt 0 ]]; then command_ms=("$@"); else command_ms=(10 50 200); fi

if [[ -z "${NO_BUILD:-}" ]]; then
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw -j2 --target plendra korvel cadsim_win uidrive desktop_keeper >/dev/null
fi
bin="$root/build/mingw/bin"

bench_name=wine_pick_cycle
state="$root/build/mingw/bench-wine"
source "$root/bench/wine_session.sh"
wine_session_start

# The picks: the sample's two horizontal dimensions and its vertical one, in turn.
handles=(125 115 C8)
script=""
for ((i = 0; i < picks; i++)); do script+="0:pick:${handles[i % 3]},"; done
script+="0:esc"

printf 'wine_pick_cycle: %d picks in one continuous run, the user picking at once; per entry:\n' "$picks"
printf '%10s %9s %9s %10s %10s %10s %7s %9s %12s\n' "command ms" "wall ms" "cmd ms" "beyond cmd" "cadsim ms" "added ms" \
  "lines" "commands" "prompt reads"
for ms in "${command_ms[@]}"; do
  run="$state/run-$ms"
  mkdir -p "$run"
  cp "$bin/Plendra.exe" "$run/"
  cp data/Keitou.txt data/plendra.ini "$run/"
  cp data/Plendra1.dxf "$run/Plendra1.dwg"  # cadsim reads the block's DXF text under the .dwg name
  (cd "$run" && wine "$bin/cadsim.exe" --release 8 --drawing "$(winpath "$root/data/sample.dxf")" \
    --command-ms "$ms" --picks "$script" --log "$(winpath "$run/cadsim.log")" \
    --out "$(winpath "$run/out.dxf")" >"$run/cadsim.out" 2>&1) &
  cad_pid=$!
  drive wait-window "AutoCAD 2006*" 90000 >/dev/null
  (cd "$run" && wine "$run/Plendra.exe" >"$run/plendra.out" 2>&1) &
  plendra_pid=$!
  # The lookup at start-up leaves AutoCAD's drawing named as the scratch file.
  drive answer-box 90000 OK "AutoCAD で開いている図面が、書き出しに使った一時ファイル *" >/dev/null
  # The sample holds entries 1 and 2 of 給水, the system Plendra starts with.
  first=3
  drive wait-text Plendra status "${first}番から書き込みます" 90000 >/dev/null
  drive click Plendra 開始 >/dev/null
  drive wait-text Plendra 番号 "$((first + picks))" 600000 >/dev/null
  drive wait-text Plendra "#1005" 開始 90000 >/dev/null
  drive close Plendra >/dev/null
  wait "$plendra_pid" || true
  drive close "AutoCAD 2006*" >/dev/null
  wait "$cad_pid" || true
  python3 - "$run/cadsim.log" "$ms" "$picks" <<'PY'
import sys
log, ms, picks = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
rows = []
for raw in open(log, 'rb').read().split(b'\r\n'):
    if not raw:
        continue
    t, finished, reads, waited, text = raw.split(b' ', 4)
    rows.append((float(t), int(finished), int(reads), text, float(waited)))
# One entry: from one selection command to the next.
selects = [i for i, r in enumerate(rows) if r[3].startswith(b'^C^Cselect^Msingle^M')]
if len(selects) < picks + 1:
    sys.exit('wine_pick_cycle: %d selections in the log, %d expected' % (len(selects), picks + 1))
a, b = rows[selects[0]], rows[selects[picks]]
n = float(picks)
wall = (b[0] - a[0]) / n
cad = (b[1] - a[1]) * ms / n
added = (b[4] - a[4]) / n
print('%10d %9.1f %9.1f %10.1f %10.1f %10.1f %7.2f %9.2f %12.2f' %
      (ms, wall, cad, wall - cad, wall - cad - added, added, (selects[picks] - selects[0]) / n,
       (b[1] - a[1]) / n, (b[2] - a[2]) / n))
PY
done
