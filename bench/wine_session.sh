# Sourced by the benches that run Plendra.exe and cadsim.exe under Wine: a
# virtual X display, a Wine prefix of the bench's own with the desktop keeper
# running and korvel.dll registered, and, when the script exits however it
# exits, the end of every process started here (Xvfb by its PID, the
# prefix's Wine processes with wineserver -k).
#
#   bench_name=wine_x; state=FOLDER; bin=build/mingw/bin
#   source bench/wine_session.sh
#   wine_session_start
#   drive wait-window "AutoCAD 2006*" 90000     (uidrive.exe, with a time-out)
#   winpath FILE                                (the file's Windows path)
#
# FOLDER is emptied first; the prefix, Xvfb's and Wine's logs go there.

xvfb_pid=""
keeper_pid=""

wine_session_cleanup() {
  local status=$?
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  if [[ -n "$keeper_pid" ]]; then wait "$keeper_pid" 2>/dev/null || true; fi
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  exit "$status"
}

wine_session_start() {
  rm -rf "$state"
  mkdir -p "$state"
  export WINEPREFIX="$state/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Plendra and cadsim read and write Japanese through the ANSI calls: code page 932.
  export LC_ALL=ja_JP.UTF-8
  trap wine_session_cleanup EXIT

  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$state/xvfb.display" 2>"$state/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s "$state/xvfb.display" ]] && break
    sleep 0.1
  done
  [[ -s "$state/xvfb.display" ]] || { echo "$bench_name: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(cat "$state/xvfb.display")"

  timeout 120 wineboot -i >"$state/wineboot.log" 2>&1
  timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >>"$state/wineboot.log" 2>&1
  timeout 30 wineserver -p >>"$state/wineboot.log" 2>&1 || true
  wine "$bin/desktop_keeper.exe" </dev/null >"$state/keeper.log" 2>&1 &
  keeper_pid=$!
  for _ in $(seq 1200); do
    grep -q "desktop kept" "$state/keeper.log" && break
    sleep 0.1
  done
  timeout 120 wine regsvr32 /s "$bin/korvel.dll"
}

drive() { timeout 700 wine "$bin/uidrive.exe" "$@"; }
winpath() { winepath -w "$1" 2>/dev/null; }
