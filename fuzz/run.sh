#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ (unless --bin points at
# them) and runs each for a while over its seed corpus.
#
#   fuzz/run.sh [--seconds N] [--seed N] [--bin DIR] [--work DIR] [dbf] [locate] [itaca]
#   fuzz/run.sh --available    exits 0 when clang++ can build a fuzz target
#
# New inputs the fuzzer finds go to WORK/<target>/ (default
# build-fuzz/work), never into fuzz/corpus/; a crash leaves its input as
# WORK/<target>-crash-* and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=60
seed=0
bin=""
work=""
targets=()
while (($#)); do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --available) available=1; shift ;;
    --bin) bin=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    dbf|locate|itaca) targets+=("$1"); shift ;;
    *) echo "fuzz/run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
((${#targets[@]})) || targets=(dbf locate itaca)
cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ "${available:-0}" = 1 ]; then
  [ -n "$cxx" ] || exit 1
  probe=$(mktemp -d)
  trap 'rm -rf "$probe"' EXIT
  echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' >"$probe/p.cpp"
  "$cxx" -fsanitize=fuzzer,address,undefined "$probe/p.cpp" -o "$probe/p" >/dev/null 2>&1
  exit $?
fi
if [ -z "$bin" ]; then
  [ -n "$cxx" ] || { echo "fuzz/run.sh: clang++ not found" >&2; exit 2; }
  mkdir -p build-fuzz
  cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZI_FUZZ=ON \
    -DZI_BUILD_GUI=OFF -DZI_BUILD_TESTS=OFF >/dev/null
  cmake --build build-fuzz -j"$(nproc)" --target fuzz_dbf fuzz_locate fuzz_itaca >build-fuzz/build.log 2>&1 || {
    tail -40 build-fuzz/build.log >&2
    exit 1
  }
  bin=$root/build-fuzz
fi
[ -n "$work" ] || work=$root/build-fuzz/work
for t in "${targets[@]}"; do
  mkdir -p "$work/$t"
  case "$t" in
    dbf) max_len=8192 ;;
    locate) max_len=4096 ;;
    itaca) max_len=32768 ;;
  esac
  echo "fuzz_$t: ${seconds}s"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$bin/fuzz_$t" -max_total_time="$seconds" -seed="$seed" -timeout=20 -rss_limit_mb=2048 -max_len=$max_len \
    $([ -f "$root/fuzz/$t.dict" ] && echo "-dict=$root/fuzz/$t.dict") -artifact_prefix="$work/$t-crash-" -print_final_stats=1 \
    "$work/$t" $([ -d "$root/fuzz/corpus/$t" ] && echo "$root/fuzz/corpus/$t") 2>"$work/$t.log" || {
      tail -60 "$work/$t.log" >&2
      echo "fuzz_$t found a fault; the input is in $work/$t-crash-*" >&2
      exit 1
    }
  grep -E "stat::number_of_executed_units|stat::new_units_added" "$work/$t.log" | sed 's/^/  /'
done
