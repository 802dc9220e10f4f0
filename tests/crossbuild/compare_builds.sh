#!/usr/bin/env bash
# Runs the same requests through the Linux host on velora.so and through a
# Windows host on its DLL under Wine, and compares the results byte for byte.
# The last argument picks the Windows build: win32 (velora-host.exe with
# velora.dll) or win64 (velora-host64.exe with velora64.dll). Each has its
# own Wine prefix, created on the first run.
set -euo pipefail
native_host=$1 native_plugin=$2 windows_dir=$3 scenarios=$4 work=$5 arch=${6:-win32}

case "$arch" in
  win32) windows_host="$windows_dir/velora-host.exe" windows_plugin="$windows_dir/velora.dll" ;;
  win64) windows_host="$windows_dir/velora-host64.exe" windows_plugin="$windows_dir/velora64.dll" ;;
  *) echo "unknown Windows build '$arch' (win32 or win64)" >&2; exit 2 ;;
esac
mkdir -p "$work"
work=$(cd "$work" && pwd)  # Wine wants an absolute prefix
export WINEPREFIX="$work/wineprefix-$arch" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
for file in "$windows_host" "$windows_plugin"; do
  [[ -f "$file" ]] || { echo "missing $file: build the Windows target first" >&2; exit 1; }
done

failures=0 rendered=0
compare() {  # name, native file, windows file
  if cmp -s "$2" "$3"; then
    echo "same: $1"
  else
    echo "DIFFERENT: $1" >&2
    diff <(od -An -tx1 -w16 -v "$2") <(od -An -tx1 -w16 -v "$3") | head -5 >&2 || true
    failures=$((failures + 1))
  fi
}

for command in info params programs; do
  "$native_host" --plugin "$native_plugin" "$command" >"$work/$command.linux.txt"
  wine "$windows_host" --plugin "$windows_plugin" "$command" >"$work/$command.windows.txt"
  compare "velora-host $command" "$work/$command.linux.txt" "$work/$command.windows.txt"
done

# Each scenario line: a name, a MIDI file in the scenarios folder, then render options.
while read -r name midi options; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  # shellcheck disable=SC2086
  "$native_host" --plugin "$native_plugin" render "$scenarios/$midi" "$work/$name.linux.wav" --format float $options >/dev/null
  # shellcheck disable=SC2086
  wine "$windows_host" --plugin "$windows_plugin" render "$scenarios/$midi" "$work/$name.windows.wav" --format float $options >/dev/null
  compare "render $name" "$work/$name.linux.wav" "$work/$name.windows.wav"
  rendered=$((rendered + 1))
done <"$scenarios/list.txt"
if ((rendered == 0)); then
  echo "no render scenario in $scenarios/list.txt" >&2
  failures=$((failures + 1))
fi

# Refusals and warnings: the same exit status and the same lines from both
# hosts, the 32-bit one's size arithmetic included. Relative paths keep the
# messages alike.
files="$work/files"
mkdir -p "$files/folder"
"$native_host" --plugin "$native_plugin" export-program 0 "$files/program.fxp" >/dev/null
cp "$files/program.fxp" "$files/loud.fxp"
printf '\x40\x00\x00\x00' | dd of="$files/loud.fxp" bs=1 seek=96 conv=notrunc status=none  # parameter 10 = 2.0
cp "$files/program.fxp" "$files/wrapped.fxp"
printf '\xff\xff\xff\xff' | dd of="$files/wrapped.fxp" bs=1 seek=4 conv=notrunc status=none  # size 4 GB - 1
# Running status after a tempo event, then an End of Track with a length.
printf 'MThd\0\0\0\6\0\0\0\1\1\xe0MTrk\0\0\0\x13\0\x90\x3c\x64\0\xff\x51\3\7\xa1\x20\x60\x3c\0\0\xff\x2f\1\0' \
  >"$files/lenient.mid"
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
native_host=$(absolute "$native_host") native_plugin=$(absolute "$native_plugin")
windows_host=$(absolute "$windows_host") windows_plugin=$(absolute "$windows_plugin")
refusal() {  # host and arguments: stderr without carriage returns, then the exit status
  local status=0
  (cd "$files" && "$@" 2>"$work/refusal.err" >/dev/null) || status=$?
  tr -d '\r' <"$work/refusal.err"
  echo "exit $status"
}
for request in "render folder out.wav" "render lenient.mid out.wav --preset loud.fxp" \
               "render lenient.mid out.wav --preset wrapped.fxp" "render lenient.mid out.wav --tail 0"; do
  # shellcheck disable=SC2086
  refusal "$native_host" --plugin "$native_plugin" $request >"$work/refusal.linux.txt"
  # shellcheck disable=SC2086
  refusal wine "$windows_host" --plugin "$windows_plugin" $request >"$work/refusal.windows.txt"
  compare "velora-host $request" "$work/refusal.linux.txt" "$work/refusal.windows.txt"
done

echo "$((failures == 0 ? 1 : 0)) passed, $((failures > 0 ? 1 : 0)) failed"
exit $((failures > 0))
