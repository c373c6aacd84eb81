// Any bytes as a list of edits on a table: appends, texts and numbers set,
// rows deleted, packs, copies. After each, locate by one or two fields must
// give what a scan of the whole table gives.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/tablas.h"
#include "tables/dbf.h"

using zi::dbf::FieldType;
using zi::dbf::RecNo;
using zi::dbf::Table;

using zi::test::PrimeraFila;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Table t("T", {{"A", FieldType::Text, 3}, {"B", FieldType::Text, 1}, {"N", FieldType::Float, 6, 1}});
  const int a = t.requireField("A"), b = t.requireField("B"), n = t.requireField("N");
  // Few values, so that keys repeat and rows share them.
  const std::string textos[] = {"", "x", "y", "xy", "xyz", "xyzw", " x", "Y"};
  size_t i = 0;
  auto next = [&]() -> unsigned { return i < size ? data[i++] : 0u; };
  while (i < size) {
    const unsigned op = next(), arg = next();
    const RecNo filas = t.recordCount();
    const RecNo r = filas ? static_cast<RecNo>(arg % filas + 1) : 0;
    switch (op % 8) {
      case 0:
      case 1: t.append(); break;
      case 2: if (r) t.setText(r, a, textos[next() % 8]); break;
      case 3: if (r) t.setText(r, b, textos[next() % 4]); break;
      case 4: if (r) t.setFloat(r, n, static_cast<double>(next() % 7) / 2); break;
      case 5: if (r) t.remove(r); break;
      case 6: if (arg % 8 == 0) t.pack(); break;
      case 7: if (arg % 16 == 0) { Table copia(t); t = copia; } break;
    }
    const unsigned q = next();
    const std::string v1 = textos[q % 8], v2 = q & 8 ? "3" : textos[(q >> 4) % 4];
    if (q & 0x80) {
      if (t.locate("A;N", {v1, v2}) != PrimeraFila(t, {a, n}, std::vector<std::string>{v1, v2})) __builtin_trap();
    } else if (q & 0x40) {
      if (t.locate("B;A", {v2, v1}) != PrimeraFila(t, {b, a}, std::vector<std::string>{v2, v1})) __builtin_trap();
    } else {
      if (t.locate("A", v1) != PrimeraFila(t, {a}, std::vector<std::string>{v1})) __builtin_trap();
    }
  }
  return 0;
}
