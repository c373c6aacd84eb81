#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds into build/ and runs every test.
# Then, unless ZI_QUICK=1:
#   - a short fuzzing run of the dBase reader and the ITACA document (fuzz/run.sh,
#     into build-fuzz/), when clang with libFuzzer is there (ZI_FUZZ=1 installs it);
#   - the core, the command line and every test again under AddressSanitizer and
#     UndefinedBehaviorSanitizer (build-asan/, no windows): any finding fails.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
[ "${ZI_QUICK:-0}" = 1 ] && exit 0

if fuzz/run.sh --available; then
  rm -rf build-fuzz/work-test
  fuzz/run.sh --seconds "${ZI_FUZZ_SECONDS:-10}" --seed 1 --work build-fuzz/work-test
else
  echo "fuzzing skipped: no clang++ with libFuzzer (ZI_FUZZ=1 ./test.sh installs it)"
fi

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DZI_SANITIZE=ON \
  -DZI_BUILD_GUI=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
