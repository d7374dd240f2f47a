#!/usr/bin/env bash
# The number lookup end to end under Wine with real processes: cadsim.exe
# holding a generated drawing of about MB megabytes, Plendra.exe (through
# korvel.dll) choosing a system, AutoCAD's (cadsim's) export of the whole
# drawing to the scratch DXF, Plendra's scan of it, and the status line that
# names the next number.
#
# It writes the drawing with bench/dxf_scan's generator (parts-table entries
# of Plendra's own block, each system's numbers going round from 1, 給水's up
# to 40 and 給湯's up to 39), starts cadsim.exe holding it, starts
# Plendra.exe, waits for the lookup of 給水 at start-up ("41番から書き込みます"), then for ROUNDS rounds chooses 給湯 and
# 給水 in turn in the system list and waits for the status of that system
# ("40番から…", "41番から…"). Per round it prints:
#   total    from the choice to the status line, both ends on one clock: one
#            uidrive process chooses and then polls the status (every 50 ms,
#            so the status is seen up to 50 ms late) and prints the
#            performance counter after each (uidrive --clock ... --then ...);
#   export   from the SAVEAS line Plendra typed to the next line it typed
#            after the export (the DWGNAME read that looks for a renamed
#            drawing), from cadsim.exe's --log: AutoCAD's share, with the
#            writing of the DXF, the replace answer and FILEDIA's restore;
#   waited   of the export, the time cadsim waited for its client (korvel's
#            waits for the prompt, Wine's passing of messages);
#   rest     total - export: Plendra's share (the scan of the scratch DXF,
#            its other steps) and cadsim's work outside the export;
#   cadsim   of the rest, the time cadsim.exe was busy (from its log: the
#            time between the lookup's first line and the SAVEAS line, and
#            between the line after the export and the next line typed, less
#            the time cadsim waited for its client meanwhile): its DWGNAME
#            reads before and after the export, each of which repaints the
#            whole drawing and copies it for U, as every command does;
#   ours     rest - cadsim: Plendra and korvel (the scan, the waits, the
#            prompt and history reads) and Wine's passing of messages;
#   scratch  the size of the DXF cadsim wrote.
#
#   bench/wine_lookup/wine_lookup.sh
#   MB=20 ROUNDS=5 bench/wine_lookup/wine_lookup.sh
#   COMMAND_MS=50 ...   every cadsim command takes 50 ms (default: none)
#   NO_BUILD=1 ...      uses build/native and build/mingw as they are
#
# It builds dxf_scan_bench (build/native) and the MinGW programs it needs
# (build/mingw), and runs Wine in a prefix of its own under
# build/mingw/bench-wine-lookup on a virtual X display; it ends every process
# it started (Xvfb by its PID, the prefix's Wine processes with wineserver -k).
# It takes the whole machine while it runs, and memory: cadsim keeps a copy
# of the whole drawing for U per command typed (five per lookup).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
mb=${MB:-50}
rounds=${ROUNDS:-3}
command_ms=${COMMAND_MS:-}
# Each system's numbers go round from 1 to this less its place in the
# drawing: 給水 (first in data/Keitou.txt) ends at it, 給湯 one below.
highest=40

if [[ -z "${NO_BUILD:-}" ]]; then
  cmake --preset native >/dev/null
  cmake --build --preset native -j2 --target dxf_scan_bench >/dev/null
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw -j2 --target plendra korvel cadsim_win uidrive desktop_keeper >/dev/null
fi
bin="$root/build/mingw/bin"

bench_name=wine_lookup
state="$root/build/mingw/bench-wine-lookup"
source "$root/bench/wine_session.sh"
wine_session_start

# One dimension and one parts-table entry take about 2990 bytes of the drawing.
pairs=$((mb * 1000000 / 2990))
drawing="$state/drawing.dxf"
"$root/build/native/bin/dxf_scan_bench" --keep="$drawing" --write-only --dimensions="$pairs" \
  --entries="$pairs" --highest-number="$highest" --plendra-block >"$state/drawing.log"
drawing_mb=$(python3 -c "import os,sys; print('%.1f' % (os.path.getsize(sys.argv[1]) / 1e6))" "$drawing")

run="$state/run"
mkdir -p "$run"
cp "$bin/Plendra.exe" "$run/"
cp data/Keitou.txt data/plendra.ini "$run/"
cad_args=(--release 8 --drawing "$(winpath "$drawing")" --log "$(winpath "$run/cadsim.log")")
[[ -n "$command_ms" ]] && cad_args+=(--command-ms "$command_ms")
started=$EPOCHREALTIME
(cd "$run" && wine "$bin/cadsim.exe" "${cad_args[@]}" >"$run/cadsim.out" 2>&1) &
cad_pid=$!
drive wait-window "AutoCAD 2006*" 600000 >/dev/null
held=$EPOCHREALTIME
(cd "$run" && wine "$run/Plendra.exe" >"$run/plendra.out" 2>&1) &
plendra_pid=$!
# The lookup at start-up leaves AutoCAD's drawing named as the scratch file.
drive answer-box 600000 OK "AutoCAD で開いている図面が、書き出しに使った一時ファイル *" >/dev/null
drive wait-text Plendra status "$((highest + 1))番から書き込みます" 600000 >/dev/null
ready=$EPOCHREALTIME

systems=(給水 給湯)
: >"$state/rounds.txt"
for ((r = 1; r <= rounds; r++)); do
  system=${systems[r % 2]}
  next=$((highest + 1 - r % 2))
  drive --clock select-combo Plendra 系統 "$system" \
    --then wait-text Plendra status "${next}番から書き込みます" 600000 >"$state/round-$r.txt"
  chosen=$(sed -n 's/^clock: //p' "$state/round-$r.txt" | sed -n 1p | tr -d '\r')
  shown=$(sed -n 's/^clock: //p' "$state/round-$r.txt" | sed -n 2p | tr -d '\r')
  echo "$r $system $next $chosen $shown" >>"$state/rounds.txt"
done

scratch=$(find "$WINEPREFIX/drive_c" -name Wexa.dxf -print -quit)
scratch_bytes=$(stat -c %s "$scratch")
drive close Plendra >/dev/null
wait "$plendra_pid" || true
drive close "AutoCAD 2006*" >/dev/null
wait "$cad_pid" || true

python3 - "$run/cadsim.log" "$state/rounds.txt" "$drawing_mb" "$scratch_bytes" \
  "$(python3 -c "print('%.1f' % ($held - $started))")" "$(python3 -c "print('%.1f' % ($ready - $held))")" \
  "${command_ms:-0}" <<'PY'
import sys
log, rounds_file, drawing_mb, scratch_bytes, held_s, ready_s, command_ms = sys.argv[1:]
rows = []
for raw in open(log, 'rb').read().split(b'\r\n'):
    if not raw:
        continue
    t, finished, reads, waited, text = raw.split(b' ', 4)
    rows.append((float(t), float(waited), text))
saves = [i for i, r in enumerate(rows) if b'saveas^M' in r[2]]
rounds = [line.split() for line in open(rounds_file, encoding='utf-8')]
# The export at start-up, then one per round.
if len(saves) != len(rounds) + 1:
    sys.exit('wine_lookup: %d exports in the log, %d expected' % (len(saves), len(rounds) + 1))
print('wine_lookup: drawing %s MB; cadsim.exe held it %s s after its start, Plendra\'s start-up lookup '
      'ended %s s later; command time %s ms' % (drawing_mb, held_s, ready_s, command_ms))
print('%8s %5s %-6s %8s %9s %9s %9s %9s %9s %9s %10s' % (
    'drawing', 'round', 'system', 'status', 'total ms', 'export ms', 'waited ms', 'rest ms', 'cadsim ms',
    'ours ms', 'scratch MB'))

def busy(start, end):
    return (rows[end][0] - rows[start][0]) - (rows[end][1] - rows[start][1])

sums = [0.0] * 6
for (number, system, status, chosen, shown), s in zip(rounds, saves[1:]):
    first = s - 2  # the lookup's cancel, then the DWGNAME read before the export
    if rows[first][2] != b'^C^C' or not rows[s - 1][2].startswith(b'^C^CDWGNAME'):
        sys.exit('wine_lookup: round %s: the lines before the export are not the lookup\'s' % number)
    after = next((i for i in range(s + 1, len(rows)) if rows[i][2].startswith(b'^C^CDWGNAME')), None)
    if after is None or after + 1 >= len(rows):
        sys.exit('wine_lookup: round %s: no line after the export, or none after that' % number)
    total = float(shown) - float(chosen)
    export = rows[after][0] - rows[s][0]
    cadsim = busy(first, s) + busy(after, after + 1)
    waited = rows[after][1] - rows[s][1]
    figures = (total, export, waited, total - export, cadsim, total - export - cadsim)
    sums = [a + b for a, b in zip(sums, figures)]
    print('%8s %5s %-6s %8s %9.0f %9.0f %9.0f %9.0f %9.0f %9.0f %10.1f' % (
        drawing_mb, number, system, status + '番', *figures, int(scratch_bytes) / 1e6))
n = float(len(rounds))
print('%8s %5s %-6s %8s %9.0f %9.0f %9.0f %9.0f %9.0f %9.0f %10.1f' % (
    drawing_mb, 'mean', '', '', *[x / n for x in sums], int(scratch_bytes) / 1e6))
PY
