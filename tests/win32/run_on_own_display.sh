#!/usr/bin/env bash
# Runs a Windows test program under Wine on an X server of its own (Xvfb on
# a display number it picks itself), in a Wine prefix of its own, and stops
# the server afterwards. Also checks that the program needs only system DLLs.
set -euo pipefail
program=$1 work=$2
[[ -f "$program" ]] || { echo "missing $program: build the Windows target first" >&2; exit 1; }
mkdir -p "$work"
export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if command -v i686-w64-mingw32-objdump >/dev/null; then
  if i686-w64-mingw32-objdump -p "$program" | grep 'DLL Name' | grep -Eiv 'KERNEL32|USER32|GDI32|ole32|msvcrt|ADVAPI32|api-ms-win-'; then
    echo "the program needs DLLs beyond the system's (listed above)" >&2
    exit 1
  fi
fi

rm -f "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [[ -s "$work/display" ]] && break
  kill -0 "$xvfb" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[[ -s "$work/display" ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

status=0
timeout 300 wine "$program" || status=$?
# Wine's own processes end before their X server goes.
timeout 30 wineserver -w || wineserver -k || true
exit "$status"
