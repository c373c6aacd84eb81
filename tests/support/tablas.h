// Tables as the tests and the fuzz targets look at them: the slow answer
// locate must agree with, and the values of a column.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tables/dbf.h"

namespace zi::test {

// The first live row whose fields all read (getText) as the values: what
// locate must answer, found by reading every row.
template <class Valores>
std::optional<dbf::RecNo> PrimeraFila(const dbf::Table& t, const std::vector<int>& campos, const Valores& valores) {
  for (dbf::RecNo r = 1; r <= t.recordCount(); ++r) {
    if (t.isDeleted(r)) continue;
    bool igual = true;
    for (std::size_t i = 0; i < campos.size() && igual; ++i) igual = t.getText(r, campos[i]) == valores[i];
    if (igual) return r;
  }
  return std::nullopt;
}

// The values of one field, row by row (live rows only).
inline std::vector<std::string> Columna(const dbf::Table& t, const std::string& campo) {
  std::vector<std::string> v;
  for (dbf::RecNo r = 1; r <= t.recordCount(); ++r)
    if (!t.isDeleted(r)) v.push_back(t.getText(r, campo));
  return v;
}

}  // namespace zi::test
