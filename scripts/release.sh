#!/usr/bin/env bash
# Builds Velora from a clean copy of the committed tree (HEAD) and writes the
# release archives and their SHA-256 list into dist/:
#   velora-VERSION-linux-x86_64.tar.gz   velora.so, velora-host, the LV2 bundle velora.lv2/
#   velora-VERSION-windows.zip           velora.dll and velora-host.exe (32-bit hosts),
#                                        velora64.dll and velora-host64.exe (64-bit hosts)
#   velora-VERSION-sha256sums.txt
# Both archives also hold README.md, LICENSE, the factory bank
# velora-factory.fxb and licences/: the third-party texts that
# scripts/third-party-texts.txt lists for the binaries of that archive.
# VERSION is the CMake project version, as `velora-host --version` reports it.
#
#   scripts/release.sh
#   scripts/release.sh --package LINUX_BUILD WIN32_BUILD WIN64_BUILD OUT_DIR   (package existing builds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Copies the shared files (README, licence, factory bank) into a folder, and
# the third-party texts of the binaries already there.
add_common_files() {  # folder, factory bank
  local folder=$1 bank=$2
  cp "$root/README.md" "$root/LICENSE" "$bank" "$folder/"
  mkdir -p "$folder/licences"
  local binary name source
  while read -r binary name source; do
    [[ -z "$binary" || "$binary" == \#* ]] && continue
    [[ -f "$folder/$binary" || -f "$folder/velora.lv2/$binary" ]] || continue
    [[ "$source" == /* ]] || source="$root/$source"
    cp "$source" "$folder/licences/$name"
  done <"$root/scripts/third-party-texts.txt"
}

package() {  # linux build, win32 build, win64 build, output folder
  local linux=$1 win32=$2 win64=$3 out=$4
  local version
  version=$("$linux/velora-host" --version | awk '{print $2}')
  local major=${version%%.*}
  local vendor
  vendor=$("$linux/velora-host" --plugin "$linux/velora.so" info | awk -F': *' '/^vendor version:/ {print $2}')
  if [[ -z "$version" || "$vendor" != "$major" ]]; then
    echo "version mismatch: velora-host says '$version', the plug-in's vendor version is '$vendor'" >&2
    exit 1
  fi

  mkdir -p "$out"
  out=$(cd "$out" && pwd)
  local staging
  staging=$(mktemp -d)
  trap 'rm -rf "$staging"' RETURN
  local bank="$staging/velora-factory.fxb"
  "$linux/velora-host" --plugin "$linux/velora.so" export-bank "$bank" >/dev/null

  local linux_name="velora-$version-linux-x86_64" windows_name="velora-$version-windows"
  mkdir -p "$staging/$linux_name" "$staging/$windows_name"
  cp "$linux/velora.so" "$linux/velora-host" "$staging/$linux_name/"
  cp -r "$linux/velora.lv2" "$staging/$linux_name/"
  add_common_files "$staging/$linux_name" "$bank"
  cp "$win32/velora.dll" "$win32/velora-host.exe" "$win64/velora64.dll" "$win64/velora-host64.exe" \
     "$staging/$windows_name/"
  add_common_files "$staging/$windows_name" "$bank"

  # Same input, same archive: fixed order, owner and time stamps.
  local stamp
  stamp=$(git -C "$root" log -1 --format=%cI 2>/dev/null || date -u +%Y-%m-%dT%H:%M:%SZ)
  find "$staging" -exec touch -d "$stamp" {} +
  rm -f "$out/$linux_name.tar.gz" "$out/$windows_name.zip"
  tar -C "$staging" --sort=name --owner=0 --group=0 --numeric-owner -cf - "$linux_name" | gzip -n -9 >"$out/$linux_name.tar.gz"
  (cd "$staging" && find "$windows_name" -print | LC_ALL=C sort | zip -X -q -9 "$out/$windows_name.zip" -@)
  (cd "$out" && sha256sum "$linux_name.tar.gz" "$windows_name.zip" >"velora-$version-sha256sums.txt")
  echo "wrote $out/$linux_name.tar.gz, $out/$windows_name.zip and velora-$version-sha256sums.txt"
}

if [[ "${1:-}" == --package ]]; then
  (($# == 5)) || { echo "usage: $0 --package LINUX_BUILD WIN32_BUILD WIN64_BUILD OUT_DIR" >&2; exit 2; }
  package "$2" "$3" "$4" "$5"
  exit 0
fi

"$root/scripts/packages.sh" build
if [[ -n "$(git -C "$root" status --porcelain)" ]]; then
  echo "note: uncommitted changes are not part of the release (it is built from HEAD)" >&2
fi
work="$root/dist/work"
rm -rf "$work"
mkdir -p "$work/source"
git -C "$root" archive --format=tar HEAD | tar -x -C "$work/source"
jobs=$(nproc)
build() {  # folder, targets, cmake options...
  local folder=$1 targets=$2
  shift 2
  echo "== Building $folder" >&2
  cmake -S "$work/source" -B "$work/$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELORA_TESTS=OFF "$@" >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$work/$folder" -j "$jobs" --target $targets >/dev/null
}
build linux "velora velora-host velora_lv2_bundle"
build win32 "velora velora-host" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE="$work/source/cmake/mingw-i686.cmake"
build win64 "velora velora-host" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE="$work/source/cmake/mingw-x86_64.cmake"
package "$work/linux" "$work/win32" "$work/win64" "$root/dist"
rm -rf "$work"
