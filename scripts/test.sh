#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the native build, the
# 32-bit Windows build checked against it under Wine, and the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/packages.sh test

jobs=$(nproc)

echo "== Windows build (32-bit, cross-compiled)"
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$jobs"

echo "== Native build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELORA_WINDOWS_BUILD="$PWD/build-win" >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELORA_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs" -LE slow)
