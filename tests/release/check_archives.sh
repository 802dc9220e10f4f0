#!/usr/bin/env bash
# The release archives built from the given builds hold exactly the listed
# files, both DLLs export both entry points, the SHA-256 list matches, and
# the version in the names is the one velora-host and the plug-in report.
set -euo pipefail
root=$1 linux=$2 win32=$3 win64=$4 work=$5
rm -rf "$work"
"$root/scripts/release.sh" --package "$linux" "$win32" "$win64" "$work" >/dev/null
version=$("$linux/velora-host" --version | awk '{print $2}')
linux_name="velora-$version-linux-x86_64" windows_name="velora-$version-windows"
failures=0
check() {  # description, command...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1" >&2; failures=$((failures + 1)); fi
}
listed() { printf '%s\n' "$@" | LC_ALL=C sort; }
common=(README.md LICENSE velora-factory.fxb)
check "linux archive holds exactly the listed files" diff -u \
  <(listed "${common[@]/#/$linux_name/}" "$linux_name/velora.so" "$linux_name/velora-host" \
           "$linux_name/licences/CLI11.txt" "$linux_name/licences/FONT-LICENCES.txt" \
           $(cd "$linux" && find velora.lv2 -type f | sed "s|^|$linux_name/|")) \
  <(tar -tzf "$work/$linux_name.tar.gz" | grep -v '/$' | LC_ALL=C sort)
check "windows archive holds exactly the listed files" diff -u \
  <(listed "${common[@]/#/$windows_name/}" "$windows_name/licences/CLI11.txt" "$windows_name/licences/FONT-LICENCES.txt" \
           "$windows_name/licences/mingw-w64-runtime.txt" "$windows_name/licences/gcc-runtime-library.txt" \
           "$windows_name/velora.dll" "$windows_name/velora64.dll" \
           "$windows_name/velora-host.exe" "$windows_name/velora-host64.exe") \
  <(unzip -Z1 "$work/$windows_name.zip" | grep -v '/$' | LC_ALL=C sort)
check "SHA-256 list matches both archives" \
  bash -c "cd '$work' && sha256sum --quiet -c 'velora-$version-sha256sums.txt' && [[ \$(wc -l <'velora-$version-sha256sums.txt') == 2 ]]"

mkdir -p "$work/unpacked"
unzip -q "$work/$windows_name.zip" -d "$work/unpacked"
tar -xzf "$work/$linux_name.tar.gz" -C "$work/unpacked"

# Every bundled binary has its third-party texts beside it, whole.
texts_of_every_binary() {  # unpacked archive folder
  local folder=$1 binary missing=0
  for binary in "$folder"/* "$folder"/velora.lv2/*; do
    [[ -f "$binary" && "$binary" != *.ttl && ( -x "$binary" || "$binary" == *.so || "$binary" == *.dll || "$binary" == *.exe ) ]] || continue
    local name rows
    name=$(basename "$binary")
    rows=$(awk -v b="$name" '$1 == b {print $2}' "$root/scripts/third-party-texts.txt")
    if [[ -z "$rows" ]]; then
      echo "$name has no row in scripts/third-party-texts.txt" >&2
      missing=1
    fi
    local text
    for text in $rows; do
      [[ -s "$folder/licences/$text" ]] || { echo "$name: licences/$text is missing" >&2; missing=1; }
    done
  done
  return $missing
}
check "every binary of the linux archive has its third-party texts" texts_of_every_binary "$work/unpacked/$linux_name"
check "every binary of the windows archive has its third-party texts" texts_of_every_binary "$work/unpacked/$windows_name"
check "the licence is the project's MIT licence" \
  bash -c "cmp -s '$root/LICENSE' '$work/unpacked/$linux_name/LICENSE' && cmp -s '$root/LICENSE' '$work/unpacked/$windows_name/LICENSE'"
exports() {  # objdump, dll
  "$1" -p "$2" | awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {exit} on {print $NF}' | LC_ALL=C sort | tr '\n' ' '
}
check "velora.dll exports VSTPluginMain and main" \
  test "$(exports i686-w64-mingw32-objdump "$work/unpacked/$windows_name/velora.dll")" == "VSTPluginMain main "
check "velora64.dll exports VSTPluginMain and main" \
  test "$(exports x86_64-w64-mingw32-objdump "$work/unpacked/$windows_name/velora64.dll")" == "VSTPluginMain main "
check "factory bank is the plug-in's own export" \
  bash -c "'$linux/velora-host' --plugin '$linux/velora.so' export-bank '$work/bank.fxb' >/dev/null &&
           cmp -s '$work/bank.fxb' '$work/unpacked/$linux_name/velora-factory.fxb' &&
           cmp -s '$work/bank.fxb' '$work/unpacked/$windows_name/velora-factory.fxb'"
check "the archived host runs the archived plug-in at the archive's version" \
  bash -c "'$work/unpacked/$linux_name/velora-host' --version | grep -qx 'velora-host $version' &&
           '$work/unpacked/$linux_name/velora-host' info | grep -Eq '^vendor version: +${version%%.*}\$'"

check "the archived LV2 bundle is the one built" diff -r "$linux/velora.lv2" "$work/unpacked/$linux_name/velora.lv2"

echo "$((failures == 0 ? 1 : 0)) passed, $((failures > 0 ? 1 : 0)) failed"
exit $((failures > 0))
