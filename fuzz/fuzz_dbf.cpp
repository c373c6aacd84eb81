// Any bytes as a dBase table. Reading either fails with a DbfError or gives a
// table whose every field of every row can be read in every way; a table we
// can write reads back with the same values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tables/dbf.h"

using zi::dbf::DbfError;
using zi::dbf::Level;
using zi::dbf::RecNo;
using zi::dbf::Table;

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Table t = [&] {
    try {
      return Table::readBytes(bytes, "fuzz.dbf");
    } catch (const DbfError&) {
      return Table("VACIA", {{"X", zi::dbf::FieldType::Text, 1}});
    }
  }();
  const int nf = static_cast<int>(t.fields().size());
  RecNo live = 0;
  for (RecNo r = 1; r <= t.recordCount(); ++r) {
    if (!t.isDeleted(r)) ++live;
    for (int f = 0; f < nf; ++f) {
      (void)t.getText(r, f);
      (void)t.getFloat(r, f);
      (void)t.getInteger(r, f);
      (void)t.getLogical(r, f);
    }
  }
  check(live == t.liveCount());
  for (int f = 0; f < nf; ++f) check(t.fieldIndex(t.fields()[f].name) == f);

  // A locate key lists field names joined by ';': a name holding one cannot
  // be asked for.
  if (t.recordCount() > 0 && t.fields()[0].name.find(';') == std::string::npos) {
    // The first live row is found by its own values.
    RecNo first = 0;
    for (RecNo r = 1; r <= t.recordCount() && !first; ++r)
      if (!t.isDeleted(r)) first = r;
    const std::string key = t.fields()[0].name;
    const std::string value = t.getText(first ? first : 1, 0);
    const auto hit = t.locate(key, value);
    if (first) {
      check(hit.has_value());
      check(*hit <= first);
      check(t.getText(*hit, 0) == value);
    }
  }

  if (t.level() != Level::Foreign) {
    const std::string out = t.serialize();
    const Table back = Table::readBytes(out, "copia.dbf");
    check(back.recordCount() == t.recordCount());
    check(back.fields().size() == t.fields().size());
    for (RecNo r = 1; r <= t.recordCount(); ++r) {
      check(back.isDeleted(r) == t.isDeleted(r));
      for (int f = 0; f < nf; ++f) check(back.getText(r, f) == t.getText(r, f));
    }
  }
  return 0;
}
