#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the 32-bit Windows build
# checked against the native one under Wine, the native suite, the suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer, the threaded
# test under ThreadSanitizer, and short runs of the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/packages.sh test

jobs=$(nproc)
quiet() { "$@" >/dev/null; }

echo "== Windows build (32-bit, cross-compiled)"
quiet cmake -S . -B build-win -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build-win -j "$jobs"

echo "== Windows build (64-bit, cross-compiled)"
quiet cmake -S . -B build-win64 -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build-win64 -j "$jobs"

echo "== Native build and tests (with both Windows builds compared under Wine)"
quiet cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELORA_WINDOWS_BUILD="$PWD/build-win" -DVELORA_WINDOWS64_BUILD="$PWD/build-win64"
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs" -LE display)

echo "== Editor windows on X11 (each test program runs an Xvfb of its own)"
(cd build && ctest --output-on-failure --no-tests=error -L display)

echo "== ThreadSanitizer: automation while rendering, control state while drawing, editor updates while idling"
quiet cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELORA_TSAN=ON
cmake --build build-tsan -j "$jobs" --target thread_tests gui_thread_tests editor_thread_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/thread_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/gui_thread_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/editor_thread_tests

echo "== Fuzz targets (libFuzzer, short runs)"
quiet env CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELORA_FUZZ=ON
cmake --build build-fuzz -j "$jobs" --target host_surface_fuzzer parameter_text_fuzzer midi_file_fuzzer preset_file_fuzzer
(cd build-fuzz && ctest --output-on-failure)

echo "== AddressSanitizer and UndefinedBehaviorSanitizer: the whole suite"
quiet cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELORA_SANITIZE=ON
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs" -LE slow)
