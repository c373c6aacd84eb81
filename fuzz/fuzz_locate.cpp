// Any bytes as a list of edits on a table: appends, texts and numbers set,
// rows deleted, packs, copies. After each, locate by one or two fields must
// give what a scan of the whole table gives.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tables/dbf.h"

using zi::dbf::FieldType;
using zi::dbf::RecNo;
using zi::dbf::Table;

namespace {

std::optional<RecNo> scan(const Table& t, const std::vector<int>& campos, const std::vector<std::string>& valores) {
  for (RecNo r = 1; r <= t.recordCount(); ++r) {
    if (t.isDeleted(r)) continue;
    bool igual = true;
    for (size_t i = 0; i < campos.size() && igual; ++i) igual = t.getText(r, campos[i]) == valores[i];
    if (igual) return r;
  }
  return std::nullopt;
}

}  // namespace

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
      if (t.locate("A;N", {v1, v2}) != scan(t, {a, n}, {v1, v2})) __builtin_trap();
    } else if (q & 0x40) {
      if (t.locate("B;A", {v2, v1}) != scan(t, {b, a}, {v2, v1})) __builtin_trap();
    } else {
      if (t.locate("A", v1) != scan(t, {a}, {v1})) __builtin_trap();
    }
  }
  return 0;
}
