#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the 32- and 64-bit Windows
# builds checked against the native one under Wine, the native suite
# (benchmarks built, not run), the editor's window systems on X servers of
# their own, the threaded tests under ThreadSanitizer, short runs of the fuzz
# targets, and the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
#
# Every build folder is configured with all of its options spelled out, so a
# folder left behind by the demo or by hand cannot change what runs, and
# every build treats warnings as errors. A stage fails when it runs no test,
# or when a test it must run is missing. To add a stage, write a stage_NAME
# function and add NAME to the list at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/packages.sh test

jobs=$(nproc)

# configure FOLDER [CMAKE OPTIONS...]: the defaults below, then the stage's own.
configure() {
  local folder=$1
  shift
  cmake -S . -B "$folder" -G Ninja --no-warn-unused-cli \
    -DCMAKE_BUILD_TYPE=Release -DVELORA_WERROR=ON -DVELORA_TESTS=ON -DVELORA_BENCH=OFF \
    -DVELORA_SANITIZE=OFF -DVELORA_TSAN=OFF -DVELORA_FUZZ=OFF -DVELORA_WINDOWS_BUILD= -DVELORA_WINDOWS64_BUILD= \
    "$@" >/dev/null
}

# run_tests FOLDER [CTEST OPTIONS...]: fails when no test runs.
run_tests() {
  local folder=$1
  shift
  (cd "$folder" && ctest --output-on-failure --no-tests=error "$@")
}

# require_tests FOLDER PATTERN...: each pattern must name at least one test.
require_tests() {
  local folder=$1 pattern count
  shift
  for pattern in "$@"; do
    count=$(cd "$folder" && ctest -N -R "$pattern" | sed -n 's/^Total Tests: //p')
    if ((${count:-0} == 0)); then
      echo "no test matching '$pattern' in $folder" >&2
      return 1
    fi
  done
}

stage_windows() {  # the 32-bit DLL and host, compared in the native stage
  configure build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
  cmake --build build-win -j "$jobs"
}

stage_windows64() {  # the 64-bit DLL and host, compared in the native stage
  configure build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
  cmake --build build-win64 -j "$jobs"
}

stage_native() {  # the suite, with both Windows builds compared under Wine
  configure build -DVELORA_BENCH=ON -DVELORA_WINDOWS_BUILD="$PWD/build-win" -DVELORA_WINDOWS64_BUILD="$PWD/build-win64"
  cmake --build build -j "$jobs"
  require_tests build '^crossbuild\.' '^crossbuild64\.' '^render\.' '^Threads\.' '^release\.' '^lv2\.'
  run_tests build -j "$jobs" -LE display
}

stage_display() {  # the editor's window systems; each test program runs an Xvfb of its own
  require_tests build '^display\.win32_window_backend$' '^X11FrameTest\.' '^EditorThroughPluginFile\.' '^EditorAbiTest\.' \
    '^JalvTest\.'
  run_tests build -L display
}

stage_tsan() {  # the threaded tests only
  configure build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELORA_TSAN=ON
  cmake --build build-tsan -j "$jobs" --target thread_tests gui_thread_tests editor_thread_tests
  local threaded='^(Threads|GuiThreads|SharedTextHandOver)\.|^EditorTest\.ChangesFromAnotherThreadShowAtTheNextIdle$'
  require_tests build-tsan '^Threads\.' '^GuiThreads\.' '^EditorTest\.ChangesFromAnotherThread'
  TSAN_OPTIONS=halt_on_error=1 run_tests build-tsan -R "$threaded"
}

stage_fuzz() {  # short libFuzzer runs, built with clang
  CC=clang CXX=clang++ configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELORA_FUZZ=ON -DVELORA_TESTS=OFF
  cmake --build build-fuzz -j "$jobs" --target host_surface_fuzzer parameter_text_fuzzer midi_file_fuzzer preset_file_fuzzer \
    lv2_input_fuzzer
  require_tests build-fuzz '^fuzz\.host_surface$' '^fuzz\.parameter_text$' '^fuzz\.midi_file$' '^fuzz\.preset_file$' \
    '^fuzz\.lv2_input$'
  run_tests build-fuzz
}

stage_asan() {  # the whole suite but the tests labelled slow (run natively)
  configure build-asan -DCMAKE_BUILD_TYPE=Debug -DVELORA_SANITIZE=ON
  cmake --build build-asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_tests build-asan -j "$jobs" -LE slow
}

for stage in windows windows64 native display tsan fuzz asan; do
  echo "== $stage"
  "stage_$stage"
done
echo "== all stages passed"
