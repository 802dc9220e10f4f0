#!/usr/bin/env bash
# The main job: builds the plug-in (Linux, 32- and 64-bit Windows) and the
# command-line host, then renders the demo song through several factory
# sounds into out/ and lists what it made.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/packages.sh build

jobs=$(nproc)
echo "== Building" >&2
# Every option spelled out: a folder configured before (by the test command
# or by hand) builds the plain plug-in and host all the same.
options=(-G Ninja --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release -DVELORA_TESTS=OFF -DVELORA_BENCH=OFF
  -DVELORA_SANITIZE=OFF -DVELORA_TSAN=OFF -DVELORA_FUZZ=OFF -DVELORA_WERROR=OFF -DVELORA_WINDOWS_BUILD= -DVELORA_WINDOWS64_BUILD=)
cmake -S . -B build "${options[@]}" >/dev/null
cmake --build build -j "$jobs" --target velora velora-host >/dev/null
cmake -S . -B build-win "${options[@]}" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build-win -j "$jobs" >/dev/null
cmake -S . -B build-win64 "${options[@]}" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
cmake --build build-win64 -j "$jobs" >/dev/null
echo "Built build/velora.so, build-win/velora.dll, build-win64/velora64.dll and the host build/velora-host" >&2

mkdir -p out
echo "== Rendering tools/demo/demo.mid" >&2
for program in "21: symphony strings" "29: piano velora" "45: bells of elsewhere" "4: silver chimes" "44: nubo bass"; do
  file="out/demo-$(echo "${program#*: }" | tr ' ' '-').wav"
  build/velora-host render tools/demo/demo.mid "$file" --program "$program"
done
