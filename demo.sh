#!/usr/bin/env bash
# Both directions on the sample school, from a fresh Debian 12:
#   1. installs what is missing and builds the tool (scripts/setup.sh, build/);
#   2. exportar: samples/centro_ejemplo.xml -> working tables in build/demo/ZTEMP,
#      with the first template (MATINS), and shows them;
#   3. writes the SOLUC.DBF that the host would leave after timetabling (here
#      simply the sample's own MATINS timetable, in the host's codes);
#   4. importar: SOLUC.DBF + working tables -> build/demo/ResultadoZarveloncentro_ejemplo.xml.
set -euo pipefail
cd "$(dirname "$0")"

PY=/usr/bin/python3
SAMPLE=samples/centro_ejemplo.xml
DEMO=build/demo
ZTEMP=$DEMO/ZTEMP
TOOL=build/zarvelon-itaca

step() { printf '\n==== %s\n' "$*"; }
run() { printf '+ %s\n' "$*"; "$@"; }

step "Set-up and build"
run ./scripts/setup.sh
run cmake --build build -j"$(nproc)"

step "ITACA -> Zarvelon: exportar"
rm -rf "$DEMO"
mkdir -p "$ZTEMP"
run "$TOOL" exportar "$SAMPLE" --dir "$ZTEMP"

step "Working tables in $ZTEMP (rows, fields, first rows)"
for t in PROFT CURSOST GRUPOST ASIGNOMT AULAT ASIGT DIASHORAST; do
  $PY tools/leer_dbf.py "$ZTEMP/$t.DBF" --filas 4
  echo
done

step "The host's solution: SOLUC.DBF"
run $PY tools/hacer_soluc.py "$SAMPLE" "$ZTEMP" MATINS
$PY tools/leer_dbf.py "$ZTEMP/SOLUC.DBF" --filas 4

step "Zarvelon -> ITACA: importar"
run cp "$SAMPLE" "$DEMO/"
run "$TOOL" importar "$DEMO/centro_ejemplo.xml" --dir "$ZTEMP"

RESULT=$DEMO/ResultadoZarveloncentro_ejemplo.xml
count() { grep -o "<$1 " "$2" | wc -l; }
step "Result: $RESULT"
echo "size:               $(stat -c %s "$RESULT") bytes"
echo "horario_grupo:      $(count horario_grupo "$RESULT")" \
     "(the sample holds $(grep -c '<horario_grupo plantilla="MATINS"' "$SAMPLE") lessons of MATINS)"
echo "horario_ocupacion:  $(count horario_ocupacion "$RESULT")" \
     "(the sample holds $(grep -c '<horario_ocupacion plantilla="MATINS"' "$SAMPLE") occupation periods of MATINS)"
echo "first lines:"
head -n 8 "$RESULT" | cut -c1-220
