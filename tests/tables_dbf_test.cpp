// The dBase table engine: values as stored, row operations and locate, the
// exact bytes of the two levels we write, files from other writers, damaged
// files, and the safe write.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "support/tablas.h"
#include "tables/dbf.h"
#include "tables/working_tables.h"
#include "text/cp1252.h"

namespace zi::dbf {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Helpers

std::string hex(std::string_view s) {
  static const char* d = "0123456789abcdef";
  std::string r;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (i) r += (i % 16 == 0) ? '\n' : ' ';
    r += d[static_cast<unsigned char>(s[i]) >> 4];
    r += d[static_cast<unsigned char>(s[i]) & 15];
  }
  return r;
}

std::string zeros(std::size_t n) { return std::string(n, '\0'); }
std::string padNul(std::string s, std::size_t n) { s.resize(n, '\0'); return s; }
std::string le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string le32(std::uint32_t v) {
  std::string r;
  for (int i = 0; i < 4; ++i) r += static_cast<char>((v >> (8 * i)) & 0xFF);
  return r;
}
std::string be(std::uint64_t v, int n) {
  std::string r;
  for (int i = n - 1; i >= 0; --i) r += static_cast<char>((v >> (8 * i)) & 0xFF);
  return r;
}

// A dBase III-style file made by hand, independent of the engine. Records
// carry their own flag byte.
struct RawField {
  std::string name;
  char type;
  int width;
  int decimals = 0;
};

std::string buildDbf3(const std::vector<RawField>& fields, const std::vector<std::string>& records,
                      unsigned char version = 0x03) {
  int rl = 1;
  for (const auto& f : fields) rl += f.type == 'C' ? f.width + 256 * f.decimals : f.width;  // long text
  const unsigned hl = 32 + 32 * static_cast<unsigned>(fields.size()) + 1;
  std::string h;
  h += static_cast<char>(version);
  h += "\x7C\x01\x02";  // 2024-01-02
  h += le32(static_cast<std::uint32_t>(records.size()));
  h += le16(hl) + le16(static_cast<unsigned>(rl));
  h += zeros(17) + '\x03' + zeros(2);
  for (const auto& f : fields) {
    h += padNul(f.name, 11);
    h += f.type;
    h += zeros(4);
    h += static_cast<char>(f.width);
    h += static_cast<char>(f.decimals);
    h += zeros(14);
  }
  h += '\x0D';
  for (const auto& r : records) h += r;
  h += '\x1A';
  return h;
}

// The same for level 7 (68-byte header, 48-byte descriptors).
std::string buildDbf7(const std::vector<RawField>& fields, const std::vector<std::string>& records) {
  int rl = 1;
  for (const auto& f : fields) rl += f.width;
  const unsigned hl = 68 + 48 * static_cast<unsigned>(fields.size()) + 1;
  std::string h;
  h += '\x04';
  h += "\x7C\x01\x02";
  h += le32(static_cast<std::uint32_t>(records.size()));
  h += le16(hl) + le16(static_cast<unsigned>(rl));
  h += zeros(17) + '\x57' + zeros(2) + padNul("DBWINUS0", 32) + zeros(4);
  for (const auto& f : fields) {
    h += padNul(f.name, 32);
    h += f.type;
    h += static_cast<char>(f.width);
    h += static_cast<char>(f.decimals);
    h += zeros(13);
  }
  h += '\x0D';
  for (const auto& r : records) h += r;
  h += '\x1A';
  return h;
}

struct TempDir {
  fs::path path;
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "zi-dbf-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
  }
  std::vector<std::string> entries() const {
    std::vector<std::string> r;
    for (const auto& e : fs::directory_iterator(path)) r.push_back(e.path().filename().string());
    std::sort(r.begin(), r.end());
    return r;
  }
};

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void spit(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

std::string shellQuote(const std::string& s) {
  std::string r = "'";
  for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

// Runs a command, returns its standard output; false when it failed.
bool run(const std::string& cmd, std::string& out) {
  out.clear();
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return false;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  return pclose(p) == 0;
}

bool pythonHas(const char* module) {
  std::string out;
  return run(std::string(ZI_PYTHON) + " -c 'import " + module + "' 2>/dev/null", out);
}

// Just enough JSON for what the reader script prints.
struct Json {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  bool boolean = false;
  double number = 0;
  std::string text;  // UTF-8
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;

  const Json& operator[](const std::string& key) const {
    for (const auto& [k, v] : members)
      if (k == key) return v;
    throw std::runtime_error("no JSON member " + key);
  }
  const Json& operator[](std::size_t i) const { return items.at(i); }
};

class JsonParser {
 public:
  explicit JsonParser(std::string_view s) : s_(s) {}
  Json parse() {
    Json v = value();
    space();
    if (i_ != s_.size()) throw std::runtime_error("trailing JSON");
    return v;
  }

 private:
  void space() {
    while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
  }
  bool eat(std::string_view w) {
    if (s_.substr(i_, w.size()) != w) return false;
    i_ += w.size();
    return true;
  }
  Json value() {
    space();
    Json v;
    if (i_ >= s_.size()) throw std::runtime_error("short JSON");
    char c = s_[i_];
    if (eat("null")) return v;
    if (eat("true") || eat("false")) {
      v.kind = Json::Bool;
      v.boolean = s_[i_ - 1] == 'e' && s_[i_ - 2] == 'u';
      return v;
    }
    if (c == '"') {
      v.kind = Json::String;
      v.text = string();
      return v;
    }
    if (c == '[') {
      ++i_;
      v.kind = Json::Array;
      space();
      if (eat("]")) return v;
      for (;;) {
        v.items.push_back(value());
        space();
        if (eat("]")) return v;
        if (!eat(",")) throw std::runtime_error("bad JSON array");
      }
    }
    if (c == '{') {
      ++i_;
      v.kind = Json::Object;
      space();
      if (eat("}")) return v;
      for (;;) {
        space();
        std::string k = string();
        space();
        if (!eat(":")) throw std::runtime_error("bad JSON object");
        v.members.emplace_back(k, value());
        space();
        if (eat("}")) return v;
        if (!eat(",")) throw std::runtime_error("bad JSON object");
      }
    }
    std::size_t start = i_;
    while (i_ < s_.size() && std::strchr("+-.0123456789eE", s_[i_])) ++i_;
    if (start == i_) throw std::runtime_error("bad JSON value");
    v.kind = Json::Number;
    v.number = std::stod(std::string(s_.substr(start, i_ - start)));
    return v;
  }
  std::string string() {
    if (!eat("\"")) throw std::runtime_error("JSON string expected");
    std::string r;
    while (i_ < s_.size() && s_[i_] != '"') {
      char c = s_[i_++];
      if (c != '\\') {
        r += c;
        continue;
      }
      char e = s_.at(i_++);
      switch (e) {
        case 'n': r += '\n'; break;
        case 't': r += '\t'; break;
        case 'r': r += '\r'; break;
        case 'b': r += '\b'; break;
        case 'f': r += '\f'; break;
        case 'u': {
          char32_t cp = static_cast<char32_t>(std::stoul(std::string(s_.substr(i_, 4)), nullptr, 16));
          i_ += 4;
          if (cp >= 0xD800 && cp < 0xDC00 && eat("\\u")) {
            char32_t lo = static_cast<char32_t>(std::stoul(std::string(s_.substr(i_, 4)), nullptr, 16));
            i_ += 4;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
          }
          text::appendUtf8(r, cp);
          break;
        }
        default: r += e;
      }
    }
    if (!eat("\"")) throw std::runtime_error("unterminated JSON string");
    return r;
  }
  std::string_view s_;
  std::size_t i_ = 0;
};

// The bytes of one field of one record in a serialized table.
std::string storedBytes(const Table& t, RecNo r, int field) {
  const std::string img = t.serialize();
  const std::size_t hl = static_cast<unsigned char>(img[8]) | (static_cast<unsigned char>(img[9]) << 8);
  const std::size_t rl = static_cast<unsigned char>(img[10]) | (static_cast<unsigned char>(img[11]) << 8);
  return img.substr(hl + (r - 1) * rl + 1 + t.fields()[field].offset, t.fields()[field].width);
}

// ---------------------------------------------------------------------------
// Creating tables

TEST(DbfCreate, LevelIsTheLowestThatHoldsEveryFieldName) {
  Table ten("T", {{"ABCDEFGHIJ", FieldType::Text, 3}});
  EXPECT_EQ(ten.level(), Level::DBase3);
  EXPECT_EQ(static_cast<unsigned char>(ten.serialize()[0]), 0x03);
  Table eleven("T", {{"A", FieldType::Text, 3}, {"ABCDEFGHIJK", FieldType::Logical, 1}});
  EXPECT_EQ(eleven.level(), Level::DBase7);
  EXPECT_EQ(static_cast<unsigned char>(eleven.serialize()[0]), 0x04);

  for (const auto& name : tables::builtTables()) {
    SCOPED_TRACE(name);
    bool longName = false;
    for (const auto& d : tables::fieldsOf(name)) longName |= d.name.size() > 10;
    EXPECT_EQ(tables::newTable(name).level(), longName ? Level::DBase7 : Level::DBase3);
  }
  EXPECT_EQ(tables::newTable(tables::PROFT).level(), Level::DBase3);
  EXPECT_EQ(tables::newTable(tables::AULAT).level(), Level::DBase7);
}

TEST(DbfCreate, BadDefinitionsAreProgrammingErrors) {
  using D = std::vector<FieldDef>;
  const D cases[] = {
      {},
      {{"", FieldType::Text, 3}},
      {{"A", FieldType::Text, 0}},
      {{"A", FieldType::Text, 255}},
      {{"A", FieldType::Text, 3}, {"A", FieldType::Integer, 5}},
      {{"A", FieldType::Logical, 2}},
      {{"A", FieldType::Float, 4, 3}},
      {{"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", FieldType::Text, 3}},  // 32 characters
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_THROW(Table("T", cases[i]), std::invalid_argument);
  }
}

// ---------------------------------------------------------------------------
// Values

TEST(DbfValues, WhatIsStoredAndWhatReadsBack) {
  using Set = std::function<void(Table&, RecNo)>;
  struct Case {
    const char* what;
    FieldDef def;
    Set set;
    std::string stored;
    std::string text;
  };
  auto text = [](std::string v) { return Set([v](Table& t, RecNo r) { t.setText(r, 0, v); }); };
  auto flt = [](double v) { return Set([v](Table& t, RecNo r) { t.setFloat(r, 0, v); }); };
  auto integer = [](long long v) { return Set([v](Table& t, RecNo r) { t.setInteger(r, 0, v); }); };
  auto logical = [](bool v) { return Set([v](Table& t, RecNo r) { t.setLogical(r, 0, v); }); };
  auto nothing = Set([](Table&, RecNo) {});
  const FieldDef c5{"F", FieldType::Text, 5}, n12{"F", FieldType::Float, 12, 2}, n11{"F", FieldType::Integer, 11},
      l1{"F", FieldType::Logical, 1};
  const Case cases[] = {
      {"text left-aligned", c5, text("ab"), "ab   ", "ab"},
      {"text cut to width", c5, text("abcdefg"), "abcde", "abcde"},
      {"leading blanks kept", c5, text("  ab "), "  ab ", "  ab"},
      {"Windows-1252 bytes as they are", c5, text("F\xEDsica"), "F\xEDsic", "F\xEDsic"},
      {"empty text leaves it blank",
       c5, [](Table& t, RecNo r) { t.setText(r, 0, "xyz"); t.setText(r, 0, ""); }, "     ", ""},
      {"never set", c5, nothing, "     ", ""},
      {"a view of nothing leaves it blank",
       c5, [](Table& t, RecNo r) { t.setText(r, 0, "xyz"); t.setText(r, 0, std::string_view{}); }, "     ", ""},
      {"integer into a float field", n12, integer(4), "        4.00", "4"},
      {"float", n12, flt(2.5), "        2.50", "2.5"},
      {"negative", n12, flt(-1), "       -1.00", "-1"},
      {"rounds half away from zero as written", n12, flt(2.675), "        2.68", "2.68"},
      {"negative half rounds away", n12, flt(-0.125), "       -0.13", "-0.13"},
      {"no negative zero", n12, flt(-0.001), "        0.00", "0"},
      {"carry through nines", n12, flt(99.999), "      100.00", "100"},
      {"widest that fits", n12, flt(-99999999.99), "-99999999.99", "-99999999.99"},
      {"number as text", n12, text(" 3.5 "), "        3.50", "3.5"},
      {"blank number", n12, text(""), "            ", ""},
      {"integer", n11, integer(-2147483648LL), "-2147483648", "-2147483648"},
      {"eleven digits", n11, integer(12345678901LL), "12345678901", "12345678901"},
      {"float into an integer field", n11, flt(2.5), "          3", "3"},
      {"true", l1, logical(true), "T", "T"},
      {"false", l1, logical(false), "F", "F"},
      {"logical as text", l1, text("y"), "T", "T"},
      {"logical never set", l1, nothing, " ", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Table t("T", {c.def});
    t.append();
    RecNo r = t.append();
    c.set(t, r);
    EXPECT_EQ(storedBytes(t, r, 0), c.stored);
    EXPECT_EQ(t.getText(r, 0), c.text);
    if (c.def.type == FieldType::Text) EXPECT_EQ(t.textView(r, 0), c.text);
    else EXPECT_THROW(t.textView(r, 0), DbfError);
    EXPECT_EQ(storedBytes(t, 1, 0), std::string(c.def.width, ' ')) << "the other row was touched";
  }
}

TEST(DbfValues, NumberThatDoesNotFitIsAnErrorAndLeavesTheOldValue) {
  struct Case {
    const char* what;
    FieldDef def;
    std::function<void(Table&)> set;
  };
  const FieldDef n11{"MAXALUM", FieldType::Integer, 11}, n12{"HORAS", FieldType::Float, 12, 2},
      n5{"NOTA", FieldType::Float, 5, 2};
  const Case cases[] = {
      {"twelve digits in N(11)", n11, [](Table& t) { t.setInteger(1, 0, 123456789012LL); }},
      {"long long minimum", n11, [](Table& t) { t.setInteger(1, 0, std::numeric_limits<long long>::min()); }},
      {"float too big", n12, [](Table& t) { t.setFloat(1, 0, 1e9); }},
      {"rounding makes it too big", n5, [](Table& t) { t.setFloat(1, 0, 99.996); }},
      {"negative too wide", n5, [](Table& t) { t.setInteger(1, 0, -10); }},
      {"huge", n12, [](Table& t) { t.setFloat(1, 0, 1e300); }},
      {"not a number", n12, [](Table& t) { t.setFloat(1, 0, std::nan("")); }},
      {"infinity", n12, [](Table& t) { t.setFloat(1, 0, -HUGE_VAL); }},
      {"text that is no number", n12, [](Table& t) { t.setText(1, 0, "2,5"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Table t("ASIGT", {c.def});
    t.append();
    t.setInteger(1, 0, 7);
    const std::string before = t.serialize();
    try {
      c.set(t);
      ADD_FAILURE() << "no error";
    } catch (const DbfError& e) {
      EXPECT_NE(std::string(e.what()).find("ASIGT"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.def.name), std::string::npos) << e.what();
    }
    EXPECT_EQ(t.serialize(), before);
  }
}

TEST(DbfValues, WrongSetterForTheFieldTypeIsAnError) {
  Table t("T", {{"C", FieldType::Text, 3}, {"N", FieldType::Integer, 3}, {"L", FieldType::Logical, 1}});
  t.append();
  EXPECT_THROW(t.setFloat(1, "C", 1), DbfError);
  EXPECT_THROW(t.setInteger(1, "L", 1), DbfError);
  EXPECT_THROW(t.setLogical(1, "N", true), DbfError);
  EXPECT_THROW(t.setText(1, "L", "maybe"), DbfError);
  EXPECT_THROW(t.getText(1, "NOPE"), DbfError);
  EXPECT_THROW(t.getText(2, "C"), std::out_of_range);
  EXPECT_THROW(t.getText(0, "C"), std::out_of_range);
}

// Stored text in numeric and logical fields, as other programs leave it.
TEST(DbfValues, ReadsNumbersAndLogicalsAsOthersWriteThem) {
  struct Num {
    std::string stored;
    std::string text;
    double f;
    long long i;
  };
  const Num nums[] = {
      {"        ", "", 0, 0},          {"    3.00", "3", 3, 3},
      {"   007.5", "7.5", 7.5, 7},     {"   -0.00", "0", 0, 0},
      {"      +3", "3", 3, 3},         {"      .5", "0.5", 0.5, 0},
      {"   -2.75", "-2.75", -2.75, -2}, {"3       ", "3", 3, 3},
      {"  1.5e2 ", "150", 150, 150},   {"********", "********", 0, 0},
      {"   2,5  ", "2,5", 0, 0},       {"99999999", "99999999", 99999999, 99999999},
  };
  std::vector<std::string> records;
  for (const auto& n : nums) records.push_back(" " + n.stored + " ");
  const char logicals[] = "TtYyFfNn? ";
  for (std::size_t i = 0; i < records.size(); ++i) records[i].back() = i < 10 ? logicals[i] : ' ';
  Table t = Table::readBytes(buildDbf3({{"NUM", 'N', 8, 2}, {"OK", 'L', 1}}, records), "X.DBF");
  for (std::size_t i = 0; i < std::size(nums); ++i) {
    SCOPED_TRACE("\"" + nums[i].stored + "\"");
    const RecNo r = static_cast<RecNo>(i + 1);
    EXPECT_EQ(t.getText(r, "NUM"), nums[i].text);
    EXPECT_DOUBLE_EQ(t.getFloat(r, "NUM"), nums[i].f);
    EXPECT_EQ(t.getInteger(r, "NUM"), nums[i].i);
    const char l = records[i].back();
    const bool yes = std::strchr("TtYy", l) != nullptr;
    EXPECT_EQ(t.getLogical(r, "OK"), yes) << l;
    EXPECT_EQ(t.getText(r, "OK"), yes ? "T" : std::strchr("FfNn", l) ? "F" : "") << l;
  }
}

// ---------------------------------------------------------------------------
// Row operations and locate

// COD C(4), NOM C(10), N N(5,0):
//   1 A1 Ana 1 / 2 B2 Luis 2 / 3 A1 Ana 3 / 4 c3 Eva 4
Table sample() {
  Table t("MUESTRA", {{"COD", FieldType::Text, 4}, {"NOM", FieldType::Text, 10}, {"N", FieldType::Integer, 5}});
  const char* rows[][2] = {{"A1", "Ana"}, {"B2", "Luis"}, {"A1", "Ana"}, {"c3", "Eva"}};
  for (auto& row : rows) {
    RecNo r = t.append();
    t.setText(r, "COD", row[0]);
    t.setText(r, "NOM", row[1]);
    t.setInteger(r, "N", r);
  }
  return t;
}

// What locate must answer, found the slow way.
std::optional<RecNo> scan(const Table& t, const std::string& key, const std::vector<std::string_view>& values) {
  std::vector<int> fields;
  std::stringstream ss(key);
  for (std::string name; std::getline(ss, name, ';');) fields.push_back(t.requireField(name));
  return test::PrimeraFila(t, fields, values);
}

TEST(DbfLocate, FindsTheFirstLiveExactMatchAndFollowsEveryChange) {
  using Act = std::function<void(Table&)>;
  struct Case {
    const char* what;
    Act act;
    std::string key;
    std::vector<std::string_view> values;
    std::optional<RecNo> expected;
  };
  const Act none = [](Table&) {};
  const Case cases[] = {
      {"first in file order", none, "COD", {"A1"}, 1},
      {"case counts", none, "COD", {"a1"}, std::nullopt},
      {"no partial match", none, "COD", {"A"}, std::nullopt},
      {"trailing blank in the value", none, "COD", {"A1 "}, std::nullopt},
      {"lower-case stored value", none, "COD", {"c3"}, 4},
      {"two fields", none, "COD;NOM", {"B2", "Luis"}, 2},
      {"two fields, other order", none, "NOM;COD", {"Ana", "A1"}, 1},
      {"two fields, one wrong", none, "COD;NOM", {"B2", "Ana"}, std::nullopt},
      {"numeric field by its text", none, "N", {"3"}, 3},
      {"numeric field, stored form", none, "N", {"    3"}, std::nullopt},
      {"deleted row disappears", [](Table& t) { t.remove(1); }, "COD", {"A1"}, 3},
      {"all matches deleted", [](Table& t) { t.remove(1); t.remove(3); }, "COD;NOM", {"A1", "Ana"}, std::nullopt},
      {"edit moves a row out", [](Table& t) { t.setText(1, "COD", "Z9"); }, "COD", {"A1"}, 3},
      {"edit moves a row in", [](Table& t) { t.setText(1, "COD", "Z9"); }, "COD", {"Z9"}, 1},
      {"edit of the second field", [](Table& t) { t.setText(1, "NOM", "Eva"); }, "COD;NOM", {"A1", "Ana"}, 3},
      {"edit to an earlier match", [](Table& t) { t.setText(2, "COD", "c3"); }, "COD", {"c3"}, 2},
      {"numeric edit", [](Table& t) { t.setFloat(4, "N", 3); }, "N", {"3"}, 3},
      {"numeric edit, first wins", [](Table& t) { t.setInteger(2, "N", 3); }, "N", {"3"}, 2},
      {"pack renumbers", [](Table& t) { t.remove(1); t.pack(); }, "COD", {"A1"}, 2},
      {"pack then edit", [](Table& t) { t.remove(2); t.pack(); t.setText(3, "COD", "B2"); }, "COD", {"B2"}, 3},
      {"appended row is blank", [](Table& t) { t.append(); }, "COD;NOM", {"", ""}, 5},
      {"appended row then set", [](Table& t) { RecNo r = t.append(); t.setText(r, "NOM", "Luis"); t.remove(2); },
       "NOM", {"Luis"}, 5},
      {"copied row comes after its original", [](Table& t) { t.appendCopy(2); }, "COD;NOM", {"B2", "Luis"}, 2},
      {"copied row found once the original goes", [](Table& t) { t.appendCopy(2); t.remove(2); }, "COD;NOM",
       {"B2", "Luis"}, 5},
      {"copy of a deleted row is live", [](Table& t) { t.remove(2); t.appendCopy(2); }, "NOM", {"Luis"}, 5},
      {"copy edited apart from its original", [](Table& t) { t.setText(t.appendCopy(1), "COD", "Z9"); }, "COD;NOM",
       {"Z9", "Ana"}, 5},
      {"value cut to width matches", [](Table& t) { t.setText(2, "NOM", "Maximiliano"); }, "NOM", {"Maximilian"}, 2},
      {"value longer than the field never matches", [](Table& t) { t.setText(2, "NOM", "Maximiliano"); }, "NOM",
       {"Maximiliano"}, std::nullopt},
      {"empty text matches a blank field", [](Table& t) { t.setText(4, "NOM", ""); }, "NOM", {""}, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Table t = sample();
    (void)t.locate(c.key, c.values);  // the index exists before the change
    (void)t.locate("NOM", "x");
    c.act(t);
    EXPECT_EQ(t.locate(c.key, c.values), c.expected);
    EXPECT_EQ(scan(t, c.key, c.values), c.expected) << "the case itself is wrong";
    const Table fresh(t);  // a copy builds its index from scratch
    EXPECT_EQ(fresh.locate(c.key, c.values), c.expected);
  }
}

TEST(DbfLocate, MisuseIsReported) {
  Table t = sample();
  EXPECT_THROW(t.locate("COD;NOM", {"A1"}), std::invalid_argument);
  EXPECT_THROW(t.locate("COD", std::vector<std::string_view>{"A1", "Ana"}), std::invalid_argument);
  try {
    t.locate("COD;NOMBRE", {"A1", "Ana"});
    ADD_FAILURE() << "no error";
  } catch (const DbfError& e) {
    EXPECT_NE(std::string(e.what()).find("MUESTRA"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("NOMBRE"), std::string::npos) << e.what();
  }
}

// Random edits against the slow answer: any index left stale shows up here.
TEST(DbfLocate, AgreesWithAFullScanThroughRandomEdits) {
  std::mt19937 rng(20240901);
  Table t("R", {{"A", FieldType::Text, 2}, {"B", FieldType::Text, 1}, {"N", FieldType::Integer, 3}});
  const std::vector<std::string> vals = {"", "x", "y", "xy", "xyz"};
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  for (int step = 0; step < 3000; ++step) {
    const RecNo n = t.recordCount();
    switch (pick(n == 0 ? 1 : 9)) {
      case 0: t.append(); break;
      case 1: t.setText(static_cast<RecNo>(pick(n) + 1), "A", vals[pick(vals.size())]); break;
      case 2: t.setText(static_cast<RecNo>(pick(n) + 1), "B", vals[pick(3)]); break;
      case 3: t.setInteger(static_cast<RecNo>(pick(n) + 1), "N", static_cast<long long>(pick(3))); break;
      case 4: t.remove(static_cast<RecNo>(pick(n) + 1)); break;
      case 5: if (pick(20) == 0) t.pack(); break;
      case 6: { Table copy(t); t = copy; break; }
      case 7: t.appendCopy(static_cast<RecNo>(pick(n) + 1)); break;
      default: t.append(); break;
    }
    const std::string keys[] = {"A", "B;A", "A;N", "N"};
    const std::string& key = keys[pick(4)];
    std::vector<std::string_view> values;
    std::vector<std::string> store;
    for (char c : key) if (c == ';') store.emplace_back();
    store.emplace_back();
    for (auto& s : store) s = pick(2) ? vals[pick(vals.size())] : std::to_string(pick(3));
    for (auto& s : store) values.push_back(s);
    ASSERT_EQ(t.locate(key, values), scan(t, key, values)) << "step " << step << " key " << key;
  }
}

// Hundreds of rows under one key (a teacher's assignments, a blank field):
// taking them out and putting them back in any order keeps the first.
TEST(DbfLocate, ManyRowsUnderOneKey) {
  Table t("R", {{"A", FieldType::Text, 2}, {"B", FieldType::Text, 2}});
  for (int i = 0; i < 300; ++i) t.setText(t.append(), "A", "x");
  ASSERT_EQ(t.locate("A", "x"), RecNo{1});
  std::mt19937 rng(7);
  std::vector<RecNo> orden(300);
  for (RecNo i = 0; i < 300; ++i) orden[i] = i + 1;
  std::shuffle(orden.begin(), orden.end(), rng);
  for (std::size_t k = 0; k < orden.size(); ++k) {
    t.setText(orden[k], "A", "y");  // out of "x", into "y"
    ASSERT_EQ(t.locate("A", "x"), scan(t, "A", {"x"})) << k;
    ASSERT_EQ(t.locate("A", "y"), scan(t, "A", {"y"})) << k;
  }
  for (std::size_t k = 0; k < orden.size(); k += 2) t.setText(orden[k], "A", "x");
  EXPECT_EQ(t.locate("A", "x"), scan(t, "A", {"x"}));
  EXPECT_EQ(t.locate("A", "y"), scan(t, "A", {"y"}));
}

TEST(DbfRows, RecordNumbersStayUntilPack) {
  Table t = sample();
  t.remove(2);
  t.remove(2);  // twice is once
  EXPECT_EQ(t.recordCount(), 4u);
  EXPECT_EQ(t.liveCount(), 3u);
  EXPECT_TRUE(t.isDeleted(2));
  EXPECT_EQ(t.getText(3, "N"), "3");
  EXPECT_EQ(t.getText(2, "NOM"), "Luis");  // a deleted row keeps its values
  t.setUpdateDate(2024, 1, 2);
  const std::string img = t.serialize();
  EXPECT_EQ(img[4], '\x04');
  EXPECT_EQ(img[129 + 20], '*');  // flag of the second record (header 129, record 20)
  RecNo r = t.append();
  EXPECT_EQ(r, 5u);
  t.pack();
  ASSERT_EQ(t.recordCount(), 4u);
  EXPECT_EQ(t.liveCount(), 4u);
  const char* cods[] = {"A1", "A1", "c3", ""};
  for (RecNo i = 1; i <= 4; ++i) {
    EXPECT_FALSE(t.isDeleted(i));
    EXPECT_EQ(t.getText(i, "COD"), cods[i - 1]) << i;
  }
  EXPECT_EQ(t.getText(2, "N"), "3");
  const std::string packed = t.serialize();
  EXPECT_EQ(packed.size(), 129u + 4 * 20 + 1);
  EXPECT_EQ(packed.find('*', 129), std::string::npos);
}

// ---------------------------------------------------------------------------
// Exact bytes

TEST(DbfBytes, DBase3Layout) {
  Table t("T", {{"COD", FieldType::Text, 3}, {"HORAS", FieldType::Float, 6, 2}, {"ES", FieldType::Logical, 1}});
  t.setUpdateDate(2024, 3, 5);
  RecNo r = t.append();
  t.setText(r, "COD", "ab");
  t.setFloat(r, "HORAS", 3.5);
  t.setLogical(r, "ES", true);
  r = t.append();
  t.remove(r);
  std::string e;
  e += "\x03\x7C\x03\x05";        // version, 2024-03-05
  e += le32(2);                  // records
  e += le16(32 + 3 * 32 + 1);    // header length
  e += le16(1 + 3 + 6 + 1);      // record length
  e += zeros(17) + '\x03' + zeros(2);  // language driver at byte 29
  e += padNul("COD", 11) + 'C' + zeros(4) + '\x03' + '\x00' + zeros(14);
  e += padNul("HORAS", 11) + 'N' + zeros(4) + '\x06' + '\x02' + zeros(14);
  e += padNul("ES", 11) + 'L' + zeros(4) + '\x01' + '\x00' + zeros(14);
  e += '\x0D';
  e += " ab   3.50T";
  e += "*          ";
  e += '\x1A';
  EXPECT_EQ(hex(t.serialize()), hex(e));
}

// Files are written from the pieces serializeTo hands over: a large table
// comes in several, and together they are the whole image.
TEST(DbfBytes, PiecesMakeTheWholeImage) {
  for (int filas : {0, 1, 1500}) {
    SCOPED_TRACE(std::to_string(filas) + " rows");
    Table t = tables::newTable(tables::ASIGT);
    t.setUpdateDate(2024, 1, 2);
    for (int i = 0; i < filas; ++i) t.setText(t.append(), "CASIG", "X" + std::to_string(i));
    if (filas > 10) t.remove(7);
    std::vector<std::string> piezas;
    t.serializeTo([&](std::string_view p) { piezas.emplace_back(p); });
    std::string todo;
    for (const auto& p : piezas) todo += p;
    EXPECT_EQ(todo, t.serialize());
    EXPECT_EQ(todo.back(), '\x1A');
    if (filas == 1500) {
      EXPECT_GT(piezas.size(), 3u);  // 204 kB of records
    }
  }
}

TEST(DbfBytes, Level7Layout) {
  Table t("T", {{"ID", FieldType::Text, 3}, {"IMPORTE_TOTAL", FieldType::Float, 6, 2}, {"ACTIVO", FieldType::Logical, 1}});
  t.setUpdateDate(2024, 3, 5);
  RecNo r = t.append();
  t.setText(r, "ID", "ab");
  t.setFloat(r, "IMPORTE_TOTAL", 3.5);
  t.setLogical(r, "ACTIVO", true);
  std::string e;
  e += "\x04\x7C\x03\x05";
  e += le32(1);
  e += le16(68 + 3 * 48 + 1);
  e += le16(1 + 3 + 6 + 1);
  e += zeros(16);                        // 12-27
  e += '\x00';                           // 28: no production index
  e += '\x57';                           // 29: language driver
  e += zeros(2);                         // 30-31
  e += "DBWINUS0" + zeros(24);           // 32-63
  e += zeros(4);                         // 64-67
  auto desc = [&](const char* name, char type, int w, int d) {
    e += padNul(name, 32);
    e += type;
    e += static_cast<char>(w);
    e += static_cast<char>(d);
    e += zeros(13);  // reserved, index flag, next autoincrement value, reserved
  };
  desc("ID", 'C', 3, 0);
  desc("IMPORTE_TOTAL", 'N', 6, 2);
  desc("ACTIVO", 'L', 1, 0);
  e += '\x0D';
  e += " ab   3.50T";
  e += '\x1A';
  EXPECT_EQ(hex(t.serialize()), hex(e));
}

TEST(DbfBytes, TheThreeLevel7TablesReadBackWithTheirFields) {
  for (const char* name : {tables::ASIGNOMT, tables::AULAT, tables::DIASHORAST}) {
    SCOPED_TRACE(name);
    Table t = tables::newTable(name);
    RecNo r = t.append();
    const auto& defs = tables::fieldsOf(name);
    for (std::size_t i = 0; i < defs.size(); ++i) {
      if (defs[i].type == FieldType::Text) t.setText(r, static_cast<int>(i), "\xC1rbol");
      if (defs[i].type == FieldType::Integer) t.setInteger(r, static_cast<int>(i), -12);
      if (defs[i].type == FieldType::Logical) t.setLogical(r, static_cast<int>(i), true);
    }
    const std::string img = t.serialize();
    EXPECT_EQ(static_cast<unsigned char>(img[0]), 0x04);
    const Table back = Table::readBytes(img, name);
    EXPECT_EQ(back.level(), Level::DBase7);
    ASSERT_EQ(back.fields().size(), defs.size());
    for (std::size_t i = 0; i < defs.size(); ++i) {
      const Field& f = back.fields()[i];
      SCOPED_TRACE(f.name);
      EXPECT_EQ(f.name, defs[i].name);
      EXPECT_EQ(f.type, defs[i].type == FieldType::Text ? 'C' : defs[i].type == FieldType::Logical ? 'L' : 'N');
      EXPECT_EQ(f.width, defs[i].width);
      EXPECT_EQ(f.decimals, defs[i].type == FieldType::Float ? defs[i].decimals : 0);
      EXPECT_EQ(back.getText(1, static_cast<int>(i)), t.getText(1, static_cast<int>(i)));
    }
    EXPECT_EQ(back.serialize().substr(4), img.substr(4));  // all but the date
  }
}

// ---------------------------------------------------------------------------
// An independent reader: dbfread

TEST(DbfInterop, DBase3TablesAsDbfreadSeesThem) {
  if (!pythonHas("dbfread")) GTEST_SKIP() << ZI_PYTHON << " has no dbfread (Debian package python3-dbfread)";
  TempDir dir;
  const char* texts[] = {"F\xEDsica y Qu\xEDmica", "\xD1" "and\xFA \x80uro", "  sangr\xEDo"};
  for (const char* name : {tables::PROFT, tables::CURSOST, tables::GRUPOST, tables::ASIGT}) {
    SCOPED_TRACE(name);
    const auto& defs = tables::fieldsOf(name);
    Table t = tables::newTable(name);
    for (int row = 0; row < 3; ++row) {
      RecNo r = t.append();
      for (std::size_t i = 0; i < defs.size(); ++i) {
        const int f = static_cast<int>(i);
        switch (defs[i].type) {
          case FieldType::Text: t.setText(r, f, std::string(texts[row]) + " " + defs[i].name); break;
          case FieldType::Float: t.setFloat(r, f, row == 2 ? -1.5 : 2.25 + row); break;
          case FieldType::Integer: t.setInteger(r, f, row * 1000 - 7); break;
          case FieldType::Logical: t.setLogical(r, f, row == 0); break;
        }
      }
    }
    t.remove(2);
    t.pack();
    const fs::path file = dir.path / (std::string(name) + ".DBF");
    t.writeFile(file);

    std::string out;
    ASSERT_TRUE(run(std::string(ZI_PYTHON) + " " + shellQuote(std::string(ZI_TEST_TOOLS) + "/dbf_dump.py") + " " +
                        shellQuote(file.string()),
                    out))
        << out;
    const Json j = JsonParser(out).parse();
    EXPECT_EQ(j["encoding"].text, "cp1252");
    EXPECT_EQ(j["deleted"].number, 0);
    ASSERT_EQ(j["fields"].items.size(), defs.size());
    for (std::size_t i = 0; i < defs.size(); ++i) {
      const Json& f = j["fields"][i];
      SCOPED_TRACE(defs[i].name);
      EXPECT_EQ(f[0].text, defs[i].name);
      EXPECT_EQ(f[1].text, defs[i].type == FieldType::Text ? "C" : defs[i].type == FieldType::Logical ? "L" : "N");
      EXPECT_EQ(f[2].number, defs[i].width);
      EXPECT_EQ(f[3].number, defs[i].type == FieldType::Float ? defs[i].decimals : 0);
    }
    ASSERT_EQ(j["records"].items.size(), 2u);
    const int rows[] = {0, 2};  // the second row was deleted and packed away
    for (std::size_t k = 0; k < 2; ++k) {
      const Json& rec = j["records"][k];
      const int row = rows[k];
      for (std::size_t i = 0; i < defs.size(); ++i) {
        SCOPED_TRACE(std::string(defs[i].name) + " row " + std::to_string(row));
        const Json& v = rec[i];
        switch (defs[i].type) {
          case FieldType::Text: {
            std::string want = (std::string(texts[row]) + " " + defs[i].name).substr(0, defs[i].width);
            while (!want.empty() && want.back() == ' ') want.pop_back();
            EXPECT_EQ(v.text, text::cp1252ToUtf8(want));
            break;
          }
          case FieldType::Float: EXPECT_EQ(v.number, row == 2 ? -1.5 : 2.25 + row); break;
          case FieldType::Integer: EXPECT_EQ(v.number, row * 1000 - 7); break;
          case FieldType::Logical: EXPECT_EQ(v.boolean, row == 0); break;
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Tables written by another program: python-dbf

TEST(DbfInterop, ReadsWhatPythonDbfWrites) {
  if (!pythonHas("dbf")) GTEST_SKIP() << ZI_PYTHON << " has no dbf module (Debian package python3-dbf)";
  TempDir dir;
  std::string out;
  ASSERT_TRUE(run(std::string(ZI_PYTHON) + " " + shellQuote(std::string(ZI_TEST_TOOLS) + "/dbf_write_foreign.py") +
                      " " + shellQuote(dir.path.string()) + " 2>&1",
                  out))
      << out;

  struct FieldWant {
    const char* name;
    char type;
    int width;
    int decimals;
  };
  auto checkFields = [](const Table& t, const std::vector<FieldWant>& want) {
    ASSERT_EQ(t.fields().size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
      SCOPED_TRACE(want[i].name);
      EXPECT_EQ(t.fields()[i].name, want[i].name);
      EXPECT_EQ(t.fields()[i].type, want[i].type);
      EXPECT_EQ(t.fields()[i].width, want[i].width);
      EXPECT_EQ(t.fields()[i].decimals, want[i].decimals);
    }
  };
  const std::vector<FieldWant> common = {
      {"NOMBRE", 'C', 20, 0}, {"EDAD", 'N', 5, 0}, {"NOTA", 'N', 8, 2}, {"ACTIVO", 'L', 1, 0}, {"ALTA", 'D', 8, 0}};

  {
    SCOPED_TRACE("dBase III");
    const Table t = Table::readFile(dir.path / "db3.dbf");
    EXPECT_EQ(t.level(), Level::DBase3);
    EXPECT_EQ(t.name(), "db3");
    checkFields(t, common);
    ASSERT_EQ(t.recordCount(), 3u);
    EXPECT_EQ(t.liveCount(), 2u);
    EXPECT_EQ(t.getText(1, "NOMBRE"), "F\xEDsica");
    EXPECT_EQ(t.getInteger(1, "EDAD"), 42);
    EXPECT_EQ(t.getText(1, "NOTA"), "7.25");
    EXPECT_DOUBLE_EQ(t.getFloat(1, "NOTA"), 7.25);
    EXPECT_TRUE(t.getLogical(1, "ACTIVO"));
    EXPECT_EQ(t.getText(1, "ALTA"), "20230901");
    EXPECT_TRUE(t.isDeleted(2));
    EXPECT_EQ(t.getText(2, "NOMBRE"), "borrada");
    EXPECT_EQ(t.getInteger(2, "EDAD"), -3);
    EXPECT_EQ(t.getText(2, "NOTA"), "-0.5");
    EXPECT_EQ(t.locate("NOMBRE", "borrada"), std::nullopt);
    // The blank row: python-dbf leaves '?' in the logical field.
    for (const char* f : {"NOMBRE", "EDAD", "NOTA", "ACTIVO", "ALTA"}) EXPECT_EQ(t.getText(3, f), "") << f;
    EXPECT_FALSE(t.getLogical(3, "ACTIVO"));
    EXPECT_EQ(t.locate("NOMBRE;EDAD", {"", ""}), 3u);
  }
  {
    SCOPED_TRACE("FoxPro with memo");
    const Table t = Table::readFile(dir.path / "fp.dbf");
    EXPECT_EQ(t.level(), Level::Foreign);
    auto want = common;
    want[2].type = 'F';
    want.push_back({"OBS", 'M', 10, 0});
    checkFields(t, want);
    ASSERT_EQ(t.recordCount(), 1u);
    EXPECT_EQ(t.getText(1, "NOMBRE"), "A\xF1o");
    EXPECT_EQ(t.getInteger(1, "EDAD"), 7);
    EXPECT_EQ(t.getText(1, "NOTA"), "1.5");
    EXPECT_FALSE(t.getLogical(1, "ACTIVO"));
    EXPECT_EQ(t.getText(1, "ACTIVO"), "F");
    EXPECT_EQ(t.getText(1, "ALTA"), "20200229");
    const std::string block = t.getText(1, "OBS");  // the memo block number, never followed
    EXPECT_FALSE(block.empty());
    EXPECT_EQ(block.find_first_not_of("0123456789"), std::string::npos) << block;
    EXPECT_THROW(t.serialize(), DbfError);
  }
  {
    SCOPED_TRACE("Visual FoxPro");
    const Table t = Table::readFile(dir.path / "vfp.dbf");
    EXPECT_EQ(t.level(), Level::Foreign);
    auto want = common;
    want[2].type = 'F';
    for (const FieldWant& f : std::vector<FieldWant>{{"CONTADOR", 'I', 4, 0},
                                                     {"PRECIO", 'B', 8, 0},
                                                     {"SALDO", 'Y', 8, 0},
                                                     {"MOMENTO", 'T', 8, 0},
                                                     {"OBS", 'M', 4, 0},
                                                     {"NULA", 'C', 5, 0}})
      want.push_back(f);
    checkFields(t, want);  // no _NULLFLAGS
    EXPECT_EQ(t.fieldIndex("_NULLFLAGS"), -1);
    ASSERT_EQ(t.recordCount(), 2u);
    EXPECT_EQ(t.getText(1, "NOMBRE"), "F\xEDsica");
    EXPECT_EQ(t.getText(1, "NOTA"), "7.25");
    EXPECT_EQ(t.getText(1, "ALTA"), "20230901");
    EXPECT_EQ(t.getText(1, "CONTADOR"), "-5");
    EXPECT_EQ(t.getInteger(1, "CONTADOR"), -5);
    EXPECT_EQ(t.getText(1, "PRECIO"), "2.5");
    EXPECT_DOUBLE_EQ(t.getFloat(1, "PRECIO"), 2.5);
    EXPECT_EQ(t.getText(1, "SALDO"), "12.3456");
    EXPECT_DOUBLE_EQ(t.getFloat(1, "SALDO"), 12.3456);
    EXPECT_EQ(t.getInteger(1, "SALDO"), 12);
    EXPECT_EQ(t.getText(1, "MOMENTO"), "20230901083015");
    EXPECT_EQ(t.getText(1, "NULA"), "");
    EXPECT_FALSE(t.getText(1, "OBS").empty());
    EXPECT_TRUE(t.isDeleted(2));
    EXPECT_EQ(t.getInteger(2, "CONTADOR"), 2147483646);
    EXPECT_EQ(t.getText(2, "PRECIO"), "-0.125");
    EXPECT_EQ(t.getText(2, "SALDO"), "-7.5");
    EXPECT_EQ(t.getInteger(2, "SALDO"), -7);
    EXPECT_EQ(t.getText(2, "MOMENTO"), "");
    EXPECT_EQ(t.getText(2, "NULA"), "x");
    EXPECT_EQ(t.locate("CONTADOR", "-5"), 1u);
    EXPECT_THROW(t.serialize(), DbfError);
  }
}

// Level 7 binary fields, made by hand: integers big-endian with the sign bit
// flipped, doubles big-endian stored to sort as bytes, the timestamp as
// milliseconds with 0001-01-01 as day one.
TEST(DbfForeign, Level7BinaryFields) {
  auto dbl = [](double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    u = (u & 0x8000000000000000ULL) ? ~u : (u | 0x8000000000000000ULL);
    return be(u, 8);
  };
  const std::vector<RawField> fields = {{"NUMERO", 'I', 4}, {"AUTO", '+', 4}, {"DOBLE", 'O', 8}, {"CUANDO", '@', 8}};
  const std::string ts = std::string("\x42\xcc\xb2\x0e\x03\x40\xdf\x00", 8);  // 2000-08-16 17:21:41
  const std::vector<std::string> recs = {
      " " + be(0x80000005u, 4) + be(0x80000001u, 4) + dbl(3.5) + ts,
      " " + be(0x7FFFFFFBu, 4) + be(0x80000002u, 4) + dbl(-2) + zeros(8),
  };
  const Table t = Table::readBytes(buildDbf7(fields, recs), "B7.DBF");
  EXPECT_EQ(t.level(), Level::DBase7);
  EXPECT_EQ(t.getText(1, "NUMERO"), "5");
  EXPECT_EQ(t.getInteger(2, "NUMERO"), -5);
  EXPECT_EQ(t.getText(1, "AUTO"), "1");
  EXPECT_EQ(t.getText(2, "AUTO"), "2");
  EXPECT_EQ(t.getText(1, "DOBLE"), "3.5");
  EXPECT_DOUBLE_EQ(t.getFloat(2, "DOBLE"), -2);
  EXPECT_EQ(t.getInteger(1, "DOBLE"), 3);
  EXPECT_EQ(t.getText(1, "CUANDO"), "20000816172141");
  EXPECT_EQ(t.getText(2, "CUANDO"), "");
  EXPECT_EQ(t.locate("NUMERO", "-5"), 2u);
}

TEST(DbfForeign, TolerableVariantsAreRead) {
  const std::vector<RawField> fields = {{"COD", 'C', 3}, {"N", 'N', 4}};
  const std::string good = buildDbf3(fields, {" abc  12", " xyz   7"});
  struct Case {
    const char* what;
    std::string bytes;
    RecNo count;
    std::string firstCod;
  };
  std::string extraHeader = good;  // two spare bytes after the terminator
  extraHeader.insert(97, "\0\0", 2);
  extraHeader[8] = static_cast<char>(99);
  std::string foxPadded = buildDbf3(fields, {" abc  12!", " xyz   7!"}, 0x30);  // record longer than its fields
  foxPadded[10] = 9;
  std::string foxBacklink = buildDbf3(fields, {" abc  12"}, 0x30);
  foxBacklink.insert(97, zeros(263));
  foxBacklink[8] = static_cast<char>((97 + 263) & 0xFF);
  foxBacklink[9] = static_cast<char>((97 + 263) >> 8);
  std::string lower = good;
  lower.replace(32, 3, "cod");  // names are read upper case
  std::string blanksInName = good;
  blanksInName.replace(32, 5, std::string(" COD \0", 6).substr(0, 5));
  const std::string longChar = buildDbf3({{"TXT", 'C', 44, 1}}, {" " + std::string(300, 'q')});  // 44 + 256
  const Case cases[] = {
      {"as built", good, 2, "abc"},
      {"no end-of-file mark", good.substr(0, good.size() - 1), 2, "abc"},
      {"bytes after the data", good + "junk", 2, "abc"},
      {"odd deletion flag counts as live", std::string(good).replace(97, 1, "X"), 2, "abc"},
      {"header longer than the field list", extraHeader, 2, "abc"},
      {"FoxPro record padding", foxPadded, 2, "abc"},
      {"FoxPro backlink", foxBacklink, 1, "abc"},
      {"lower-case field name", lower, 2, "abc"},
      {"blanks around a field name", blanksInName, 2, "abc"},
      {"dBase IV version byte", std::string(good).replace(0, 1, "\x8B"), 2, "abc"},
      {"zero records", buildDbf3(fields, {}), 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Table t = Table::readBytes(c.bytes, "OK.DBF");
    EXPECT_EQ(t.recordCount(), c.count);
    EXPECT_EQ(t.liveCount(), c.count);
    if (c.count) {
      EXPECT_EQ(t.getText(1, "COD"), c.firstCod);
      EXPECT_EQ(t.getInteger(1, "N"), 12);
    }
  }
  const Table t = Table::readBytes(longChar, "LARGO.DBF");
  ASSERT_EQ(t.fields().size(), 1u);
  EXPECT_EQ(t.fields()[0].width, 300);
  EXPECT_EQ(t.getText(1, "TXT"), std::string(300, 'q'));
}

TEST(DbfForeign, DamagedFilesAreRejectedNamingTheFile) {
  const std::vector<RawField> fields = {{"COD", 'C', 3}, {"N", 'N', 4}};
  const std::string good = buildDbf3(fields, {" abc  12", " xyz   7"});  // header 97, records 8
  auto with = [&](std::size_t at, std::string_view b) { return std::string(good).replace(at, b.size(), b); };
  struct Case {
    const char* what;
    std::string bytes;
    const char* says;  // part of the message that tells the fault
  };
  const Case cases[] = {
      {"empty file", "", "vac"},
      {"truncated header", good.substr(0, 20), "cabecera est\xC3\xA1 truncada"},
      {"truncated level 7 header", "\x04" + zeros(40), "cabecera est\xC3\xA1 truncada"},
      {"truncated field list", good.substr(0, 32 + 40), "campos est\xC3\xA1 truncada"},
      {"cut right after the descriptors", good.substr(0, 96), "campos est\xC3\xA1 truncada"},
      {"no terminator", with(96, "X"), "0x0D"},
      {"header length inside the field list", with(8, le16(64)), "0x0D"},
      {"record length too big", with(10, le16(9)), "longitud de registro"},
      {"record length too small", with(10, le16(7)), "longitud de registro"},
      {"record count larger than the file", with(4, le32(3)), "registros"},
      {"record count near 2^32", with(4, le32(0xFFFFFFFFu)), "registros"},
      {"unknown version 0x02", with(0, "\x02"), "versi"},
      {"unknown version 0x00", with(0, std::string(1, '\0')), "versi"},
      {"unknown version 0xFF", with(0, "\xFF"), "versi"},
      {"zero fields", buildDbf3({}, {}), "no tiene campos"},
      {"header length beyond the file", with(8, le16(200)), "excede"},
      {"duplicate field names", buildDbf3({{"COD", 'C', 3}, {"cod", 'N', 4}}, {}), "repetido"},
      {"field without a name", buildDbf3({{"", 'C', 3}}, {}), "nombre"},
      {"blank field name", buildDbf3({{"   ", 'C', 3}}, {}), "nombre"},
      {"field of width zero", buildDbf3({{"COD", 'N', 0}}, {}), "longitud 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      Table::readBytes(c.bytes, "ROTA.DBF");
      ADD_FAILURE() << "read without error";
    } catch (const DbfError& e) {
      const std::string m = e.what();
      EXPECT_NE(m.find("ROTA.DBF"), std::string::npos) << m;
      EXPECT_NE(m.find(c.says), std::string::npos) << m;
    }
  }

  TempDir dir;
  const fs::path file = dir.path / "SOLUC.DBF";
  spit(file, good.substr(0, 50));
  try {
    Table::readFile(file);
    ADD_FAILURE() << "read without error";
  } catch (const DbfError& e) {
    EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
  }
  try {
    Table::readFile(dir.path / "NADA.DBF");
    ADD_FAILURE() << "read without error";
  } catch (const DbfError& e) {
    EXPECT_NE(std::string(e.what()).find("NADA.DBF"), std::string::npos) << e.what();
  }
}

// Damaged bytes of every kind give a DbfError or a table whose every value
// can be read: never a crash, never another exception.
TEST(DbfForeign, RandomDamageNeverCrashes) {
  Table ours = tables::newTable(tables::AULAT);
  for (int i = 0; i < 3; ++i) {
    RecNo r = ours.append();
    ours.setText(r, "ABREV", "A" + std::to_string(i));
    ours.setInteger(r, "MAXALUM", 30 + i);
  }
  const std::vector<RawField> fox = {{"C", 'C', 3}, {"I", 'I', 4}, {"B", 'B', 8}, {"Y", 'Y', 8},
                                     {"T", 'T', 8}, {"M", 'M', 4}, {"D", 'D', 8}, {"L", 'L', 1}};
  const std::vector<RawField> l7 = {{"I", 'I', 4}, {"O", 'O', 8}, {"TS", '@', 8}, {"A", '+', 4}};
  const std::string seeds[] = {
      ours.serialize(),
      buildDbf3({{"COD", 'C', 3}, {"N", 'N', 4}, {"F", 'F', 6, 2}}, {" abc  12  1.50", "*xyz   7 -2.00"}),
      buildDbf3(fox, {" " + std::string(44, '\x41')}, 0x30),
      buildDbf7(l7, {" " + std::string(24, '\x80'), " " + std::string(24, '\x7F')}),
  };
  std::mt19937 rng(7);
  int read = 0;
  for (const std::string& seed : seeds) {
    for (int round = 0; round < 3000; ++round) {
      std::string b = seed;
      const int edits = 1 + static_cast<int>(rng() % 4);
      for (int k = 0; k < edits; ++k) {
        const std::size_t at = rng() % b.size();
        // Mostly header bytes: that is where the damage matters.
        const std::size_t pos = (rng() % 3) ? at % std::min<std::size_t>(b.size(), 300) : at;
        b[pos] = static_cast<char>(rng() % 4 == 0 ? 0 : rng());
      }
      if (rng() % 5 == 0) b.resize(rng() % b.size());
      try {
        const Table t = Table::readBytes(b, "F.DBF");
        ++read;
        for (RecNo r = 1; r <= t.recordCount(); ++r)
          for (int f = 0; f < static_cast<int>(t.fields().size()); ++f) {
            (void)t.getText(r, f);
            (void)t.getFloat(r, f);
            (void)t.getInteger(r, f);
            (void)t.getLogical(r, f);
          }
        if (t.level() != Level::Foreign) (void)Table::readBytes(t.serialize(), "again");
      } catch (const DbfError&) {
      }
    }
  }
  EXPECT_GT(read, 100);  // the damage is not always fatal, so reading was exercised
}

// ---------------------------------------------------------------------------
// Writing files

Table small() {
  Table t("T", {{"COD", FieldType::Text, 3}});
  t.setText(t.append(), 0, "new");
  return t;
}

TEST(DbfWrite, ReplacesTheFileAndLeavesNothingElse) {
  TempDir dir;
  const fs::path file = dir.path / "PROFT.DBF";
  spit(file, "old bytes");
  Table t = small();
  t.writeFile(file);
  EXPECT_EQ(slurp(file), t.serialize());
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"PROFT.DBF"});
  EXPECT_EQ(Table::readFile(file).getText(1, "COD"), "new");
}

TEST(DbfWrite, FailureLeavesTheOldFileAndNoTemporary) {
  struct Case {
    const char* what;
    std::function<fs::path(const fs::path& dir)> prepare;  // the path to write
  };
  const Case cases[] = {
      {"parent is a regular file",
       [](const fs::path& d) { spit(d / "plain", "x"); return d / "plain" / "T.DBF"; }},
      {"missing directory", [](const fs::path& d) { return d / "missing" / "T.DBF"; }},
      {"target is a directory that is not empty",
       [](const fs::path& d) { fs::create_directory(d / "T.DBF"); spit(d / "T.DBF" / "keep", "k"); return d / "T.DBF"; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const fs::path target = c.prepare(dir.path);
    const auto before = dir.entries();
    try {
      small().writeFile(target);
      ADD_FAILURE() << "no error";
    } catch (const DbfError& e) {
      EXPECT_NE(std::string(e.what()).find(target.string()), std::string::npos) << e.what();
    }
    EXPECT_EQ(dir.entries(), before);
  }
}

// A write that fails halfway (the file-size limit stops it) must not touch
// the old file. Works for root too, unlike a read-only directory.
TEST(DbfWrite, WriteErrorHalfwayKeepsTheOldFile) {
  TempDir dir;
  const fs::path file = dir.path / "ASIGT.DBF";
  const std::string old = "old table bytes";
  spit(file, old);
  Table t = tables::newTable(tables::ASIGT);
  for (int i = 0; i < 10; ++i) t.setText(t.append(), "CASIG", "X" + std::to_string(i));
  ASSERT_GT(t.serialize().size(), 1024u);

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small{1024, saved.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string message;
  bool threw = false;
  try {
    t.writeFile(file);
  } catch (const DbfError& e) {
    threw = true;
    message = e.what();
  }
  setrlimit(RLIMIT_FSIZE, &saved);  // before any output: the log may be a file
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_TRUE(threw);
  EXPECT_NE(message.find(file.string()), std::string::npos) << message;
  EXPECT_EQ(slurp(file), old);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"ASIGT.DBF"});
}

TEST(DbfWrite, ReadOnlyDirectory) {
  TempDir dir;
  const fs::path file = dir.path / "AULAT.DBF";
  spit(file, "old");
  fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
  if (access(dir.path.c_str(), W_OK) == 0) GTEST_SKIP() << "this user can write in a read-only directory (root)";
  EXPECT_THROW(small().writeFile(file), DbfError);
  fs::permissions(dir.path, fs::perms::owner_all);
  EXPECT_EQ(slurp(file), "old");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"AULAT.DBF"});
}

}  // namespace
}  // namespace zi::dbf
