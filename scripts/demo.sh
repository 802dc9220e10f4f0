#!/usr/bin/env bash
# The main job: builds the plug-in (Linux and 32-bit Windows) and the
# command-line host, then renders the demo song through several factory
# sounds into out/ and lists what it made.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/packages.sh build

jobs=$(nproc)
echo "== Building" >&2
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELORA_TESTS=OFF >/dev/null
cmake --build build -j "$jobs" --target velora velora-host >/dev/null
cmake -S . -B build-win -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$jobs" >/dev/null
echo "Built build/velora.so, build-win/velora.dll and the host build/velora-host" >&2

mkdir -p out
echo "== Rendering tools/demo/demo.mid" >&2
for program in "21: symphony strings" "29: piano velora" "45: bells of elsewhere" "4: silver chimes" "44: nubo bass"; do
  file="out/demo-$(echo "${program#*: }" | tr ' ' '-').wav"
  build/velora-host render tools/demo/demo.mid "$file" --program "$program"
done
