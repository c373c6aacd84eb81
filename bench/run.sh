#!/usr/bin/env bash
# Builds the benchmark into build-bench/, makes three invented schools (a tenth,
# a quarter and the whole of the large one) with their working tables and
# SOLUC.DBF under build-bench/data/, and times parse, exportar and importar on
# each. Extra arguments go to zi_bench (e.g. --min-seconds 5).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-bench
py=/usr/bin/python3
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZI_BUILD_GUI=OFF -DZI_BUILD_TESTS=OFF \
  -DZI_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target zi_bench zarvelon-itaca >/dev/null

# name: teachers groups contents lessons occupation-periods. The tenth keeps
# more groups than a tenth: the generator needs a course's contents to hold a
# group's lessons.
declare -A sizes=(
  [decimo]="40 30 250 4000 500"
  [cuarto]="100 38 625 10000 1250"
  [completo]="400 150 2500 40000 5000"
)
cases=()
for name in decimo cuarto completo; do
  read -r d g c l o <<<"${sizes[$name]}"
  dir=$build/data/$name
  if [ ! -f "$dir/Z/SOLUC.DBF" ] || [ "$dir/centro.xml" -ot "$root/tools/generar_centro.py" ]; then
    rm -rf "$dir"
    mkdir -p "$dir/Z"
    $py tools/generar_centro.py "$dir/centro.xml" --docentes "$d" --grupos "$g" --contenidos "$c" \
      --lecciones "$l" --ocupaciones-periodos "$o" --one-line
    "$build/zarvelon-itaca" exportar "$dir/centro.xml" --dir "$dir/Z" >/dev/null
    $py tools/hacer_soluc.py "$dir/centro.xml" "$dir/Z"
  fi
  cases+=("$dir")
done
echo
echo "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/{print $2}') GiB"
"$build/zi_bench" --tsv "$build/bench.tsv" "$@" "${cases[@]}"
