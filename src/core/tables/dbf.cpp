#include "tables/dbf.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <system_error>

#include "io/atomic_file.h"
#include "text/fecha.h"

namespace zi::dbf {
namespace {

// ---------------------------------------------------------------------------
// Layout constants

constexpr unsigned char kTerminator = 0x0D;
constexpr unsigned char kEndOfFile = 0x1A;
constexpr std::size_t kBlock = 64 * 1024;  // bytes of records handed over at once when writing

constexpr int kHeader3 = 32;      // dBase III header
constexpr int kDescriptor3 = 32;  // dBase III field descriptor
constexpr int kName3 = 11;        // name area of a dBase III descriptor
constexpr int kHeader7 = 68;      // level 7 header
constexpr int kDescriptor7 = 48;  // level 7 field descriptor
constexpr int kName7 = 32;        // name area of a level 7 descriptor

constexpr int kMaxName3 = 10;
constexpr int kMaxName7 = 31;

constexpr unsigned char kDriverAnsi3 = 0x03;  // Windows ANSI for dBase III readers
constexpr unsigned char kDriverAnsi7 = 0x57;  // Windows ANSI, level 7
constexpr const char* kDriverName7 = "DBWINUS0";

// FoxPro / Visual FoxPro version bytes: these may pad the record beyond the
// sum of the field widths.
bool isFoxPro(unsigned char v) { return v == 0x30 || v == 0x31 || v == 0x32 || v == 0xF5 || v == 0xFB; }
bool isLevel7(unsigned char v) { return (v & 0x07) == 0x04; }
bool isDBase3or4(unsigned char v) {
  return v == 0x03 || v == 0x83 || v == 0x8B || v == 0x43 || v == 0x63 || v == 0xCB;
}

// ---------------------------------------------------------------------------
// Little helpers

unsigned readU16(std::string_view b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | (static_cast<unsigned>(static_cast<unsigned char>(b[at + 1])) << 8);
}
std::uint32_t readU32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}
std::uint32_t readU32BE(std::string_view b) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(b[i]);
  return v;
}
std::uint64_t readU64(std::string_view b) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[i]);
  return v;
}
std::uint64_t readU64BE(std::string_view b) {
  std::uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | static_cast<unsigned char>(b[i]);
  return v;
}

void putU16(std::string& out, std::size_t at, unsigned v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void putU32(std::string& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string upperAsciiName(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Text as stored: trailing blanks (and the NUL padding some writers use) go.
std::string_view storedText(std::string_view s) {
  // Fields are mostly blanks at the end: eight at a time first.
  constexpr std::uint64_t kBlanks = 0x2020202020202020ULL;
  while (s.size() >= 8) {
    std::uint64_t w;
    std::memcpy(&w, s.data() + s.size() - 8, 8);
    if (w != kBlanks) break;
    s.remove_suffix(8);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}


// ---------------------------------------------------------------------------
// Numbers as text. Locale-independent on purpose: the windows set the user's
// locale, where printf and strtod would use a decimal comma.

// A plain decimal number: optional sign, digits, optional point and digits, at
// least one digit in all. Splits it into its parts.
struct Decimal {
  bool negative = false;
  std::string_view whole;  // may be empty (".5")
  std::string_view frac;   // may be empty
};

std::optional<Decimal> parseDecimal(std::string_view s) {
  Decimal d;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) d.negative = s[i++] == '-';
  std::size_t w = i;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
  d.whole = s.substr(w, i - w);
  if (i < s.size() && s[i] == '.') {
    std::size_t f = ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    d.frac = s.substr(f, i - f);
  }
  if (i != s.size() || (d.whole.empty() && d.frac.empty())) return std::nullopt;
  return d;
}

// "007.50" -> "7.5", "-0.00" -> "0", "+3" -> "3".
std::string canonicalDecimal(const Decimal& d) {
  std::string_view whole = d.whole, frac = d.frac;
  while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
  while (!frac.empty() && frac.back() == '0') frac.remove_suffix(1);
  std::string r;
  if (d.negative && !(whole.empty() && frac.empty())) r += '-';
  r += whole.empty() ? std::string_view("0") : whole;
  if (!frac.empty()) {
    r += '.';
    r += frac;
  }
  return r;
}

std::optional<double> parseDouble(std::string_view s) {
  s = trimBlanks(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  double v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

long long clampToInteger(double v) {
  if (std::isnan(v)) return 0;
  v = std::trunc(v);
  if (v >= 9223372036854775807.0) return std::numeric_limits<long long>::max();
  if (v <= -9223372036854775808.0) return std::numeric_limits<long long>::min();
  return static_cast<long long>(v);
}

// The shortest text of a double that reads back the same ("2.5", "-1", "1e+300"
// never: fixed notation only when it stays short).
std::string shortestText(double v) {
  if (v == 0) return "0";
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
  if (ec != std::errc()) return "0";
  return std::string(buf, p);
}

// A value with exactly `decimals` digits after the point, rounded half away
// from zero on its shortest decimal form (so 2.675 gives 2.68, as written).
std::string fixedText(double v, int decimals) {
  // Whole numbers, nearly every value written (hours, counts), are their
  // digits and the decimals' zeros: no rounding to do. Below 1e15 a double
  // holds every whole number exactly, so the digits are those of the integer.
  // (-0 is "0", as below.)
  if (v == std::trunc(v) && std::fabs(v) < 1e15) {
    char digits[32];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(v));
    std::string r(digits, end);
    if (decimals > 0) {
      r += '.';
      r.append(static_cast<std::size_t>(decimals), '0');
    }
    return r;
  }
  char buf[1100];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  if (ec != std::errc()) return std::string(2000, '9');  // cannot fit any field
  std::string s(buf, p);
  bool negative = !s.empty() && s[0] == '-';
  if (negative) s.erase(0, 1);
  std::size_t dot = s.find('.');
  std::string whole = dot == std::string::npos ? s : s.substr(0, dot);
  std::string frac = dot == std::string::npos ? std::string() : s.substr(dot + 1);
  bool roundUp = static_cast<int>(frac.size()) > decimals && frac[decimals] >= '5';
  frac.resize(decimals, '0');
  if (roundUp) {
    std::string digits = whole + frac;
    int i = static_cast<int>(digits.size()) - 1;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0)
      ++digits[i];
    else
      digits.insert(digits.begin(), '1');
    whole = digits.substr(0, digits.size() - decimals);
    frac = digits.substr(digits.size() - decimals);
  }
  bool zero = std::all_of(whole.begin(), whole.end(), [](char c) { return c == '0'; }) &&
              std::all_of(frac.begin(), frac.end(), [](char c) { return c == '0'; });
  std::string r = (negative && !zero) ? "-" : "";
  r += whole;
  if (decimals > 0) r += "." + frac;
  return r;
}

// Currency: a 64-bit count of ten-thousandths, exact.
std::string currencyText(std::int64_t units) {
  bool negative = units < 0;
  std::uint64_t u = negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
  std::string whole = std::to_string(u / 10000);
  std::string frac = std::to_string(u % 10000);
  frac.insert(0, 4 - frac.size(), '0');
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  std::string r = (negative ? "-" : "") + whole;
  if (!frac.empty()) r += "." + frac;
  return r;
}

// ---------------------------------------------------------------------------
// Dates of the binary date-time types

// Civil date of a count of days since 1970-01-01.
void civilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
}

// "YYYYMMDDhhmmss", or empty when the moment is out of the years 1..9999.
std::string momentText(long long daysSince1970, long long msOfDay) {
  if (msOfDay < 0 || msOfDay >= 86400000LL) return "";
  if (daysSince1970 < -719162 || daysSince1970 > 2932896) return "";  // 0001-01-01 .. 9999-12-31
  long long y;
  unsigned m, d;
  civilFromDays(daysSince1970, y, m, d);
  long long s = msOfDay / 1000;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04lld%02u%02u%02lld%02lld%02lld", y, m, d, s / 3600, s / 60 % 60, s % 60);
  return buf;
}

constexpr long long kJulianDayOf1970 = 2440588;  // Julian day number of 1970-01-01
constexpr long long kDayOneOf1970 = 719163;      // 1970-01-01 counted with 0001-01-01 as day 1

// ---------------------------------------------------------------------------
// Reading a field

}  // namespace

enum class Kind : std::uint8_t { Text, Numeric, Logical, Int32, Double, Currency, DateTime, Timestamp, MemoRef };

namespace {

Kind kindOf(const Field& f, bool bigEndianBinary) {
  switch (f.type) {
    case 'N':
    case 'F':
      return Kind::Numeric;
    case 'L':
      return Kind::Logical;
    case 'I':
    case '+':
      return f.width == 4 ? Kind::Int32 : Kind::Text;
    case 'O':
      return f.width == 8 && bigEndianBinary ? Kind::Double : Kind::Text;
    case 'B':  // FoxPro double; in dBase IV a memo reference of 10 characters
      if (f.width == 8 && !bigEndianBinary) return Kind::Double;
      return Kind::MemoRef;
    case 'Y':
      return f.width == 8 ? Kind::Currency : Kind::Text;
    case 'T':
      return f.width == 8 ? Kind::DateTime : Kind::Text;
    case '@':
      return f.width == 8 ? Kind::Timestamp : Kind::Text;
    case 'M':
    case 'G':
    case 'P':
      return Kind::MemoRef;
    default:
      return Kind::Text;
  }
}

bool isBinaryKind(Kind k) {
  return k == Kind::Int32 || k == Kind::Double || k == Kind::Currency || k == Kind::DateTime ||
         k == Kind::Timestamp;
}

std::int32_t int32Of(std::string_view b, bool bigEndian) {
  if (bigEndian) return static_cast<std::int32_t>(readU32BE(b) ^ 0x80000000u);
  return static_cast<std::int32_t>(readU32(b, 0));
}

double doubleOf(std::string_view b, bool bigEndian) {
  std::uint64_t u;
  if (bigEndian) {
    u = readU64BE(b);
    // Stored so that the bytes sort like the numbers: positives have the sign
    // bit set, negatives are all bits inverted.
    u = (u & 0x8000000000000000ULL) ? (u & 0x7FFFFFFFFFFFFFFFULL) : ~u;
  } else {
    u = readU64(b);
  }
  return std::bit_cast<double>(u);
}

bool isTrue(char c) { return c == 'T' || c == 't' || c == 'Y' || c == 'y'; }
bool isFalse(char c) { return c == 'F' || c == 'f' || c == 'N' || c == 'n'; }

}  // namespace

// ---------------------------------------------------------------------------
// Construction

Table::Table(std::string name, const std::vector<FieldDef>& defs) : name_(std::move(name)) {
  if (defs.empty()) throw std::invalid_argument(name_ + ": a table needs at least one field");
  bool short_names = std::all_of(defs.begin(), defs.end(), [](const FieldDef& d) { return d.name.size() <= kMaxName3; });
  level_ = short_names ? Level::DBase3 : Level::DBase7;
  version_ = short_names ? 0x03 : 0x04;
  int offset = 0;
  for (const FieldDef& d : defs) {
    std::string n = upperAsciiName(d.name);
    auto bad = [&](const std::string& why) { return std::invalid_argument(name_ + "." + d.name + ": " + why); };
    if (n.empty() || n.size() > kMaxName7 || n.find('\0') != std::string::npos || n.find(' ') != std::string::npos)
      throw bad("invalid field name");
    Field f{n, 'C', d.width, 0, offset};
    switch (d.type) {
      case FieldType::Text:
        if (d.width < 1 || d.width > 254) throw bad("text width must be 1..254");
        break;
      case FieldType::Logical:
        if (d.width != 1) throw bad("logical width must be 1");
        f.type = 'L';
        break;
      case FieldType::Float:
      case FieldType::Integer:
        f.type = 'N';
        f.decimals = d.type == FieldType::Float ? d.decimals : 0;
        if (d.width < 1 || d.width > 20) throw bad("numeric width must be 1..20");
        if (f.decimals < 0 || (f.decimals > 0 && f.decimals > d.width - 2)) throw bad("bad decimals");
        break;
    }
    if (!byName_.emplace(n, static_cast<int>(fields_.size())).second) throw bad("duplicate field name");
    fields_.push_back(f);
    offset += d.width;
  }
  recordLength_ = offset + 1;
  const int headerLength = level_ == Level::DBase3 ? kHeader3 + kDescriptor3 * static_cast<int>(defs.size()) + 1
                                                   : kHeader7 + kDescriptor7 * static_cast<int>(defs.size()) + 1;
  if (recordLength_ > 0xFFFF || headerLength > 0xFFFF) throw std::invalid_argument(name_ + ": too many fields");
  indexesOfField_.resize(fields_.size());
  prepareFields();
}

void Table::prepareFields() {
  blank_.assign(static_cast<std::size_t>(recordLength_) - 1, ' ');
  kinds_.clear();
  const bool be = binaryBigEndian();
  for (const Field& f : fields_) {
    kinds_.push_back(kindOf(f, be));
    if (isBinaryKind(kinds_.back())) std::fill_n(blank_.begin() + f.offset, f.width, '\0');
  }
}

Table::Table(const Table& other) { copyFrom(other); }

Table& Table::operator=(const Table& other) {
  if (this != &other) copyFrom(other);
  return *this;
}

void Table::copyFrom(const Table& o) {
  name_ = o.name_;
  level_ = o.level_;
  version_ = o.version_;
  fields_ = o.fields_;
  kinds_ = o.kinds_;
  byName_ = o.byName_;
  recordLength_ = o.recordLength_;
  data_ = o.data_;
  blank_ = o.blank_;
  deleted_ = o.deleted_;
  deletedCount_ = o.deletedCount_;
  year_ = o.year_;
  month_ = o.month_;
  day_ = o.day_;
  // The indexes point into their own table; this copy builds its own.
  indexes_.clear();
  indexesOfField_.assign(fields_.size(), {});
}

// ---------------------------------------------------------------------------
// Reading files

Table Table::readFile(const std::filesystem::path& path) {
  const std::string what = io::nombreArchivo(path);
  std::string bytes;
  try {
    bytes = io::readAll(path);
  } catch (const io::FileError& e) {
    throw DbfError(e.what());
  }
  Table t = readBytes(bytes, what);
  t.name_ = path.stem().string();
  return t;
}

Table Table::readBytes(std::string_view b, const std::string& what) {
  auto fail = [&](const std::string& why) { return DbfError(what + ": " + why); };
  if (b.empty()) throw fail("el archivo está vacío");
  const unsigned char version = static_cast<unsigned char>(b[0]);
  const bool level7 = isLevel7(version);
  const bool foxPro = isFoxPro(version);
  if (!level7 && !foxPro && !isDBase3or4(version)) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", version);
    throw fail(std::string("no es una tabla dBase (byte de versión ") + hex + ")");
  }
  const std::size_t headerSize = level7 ? kHeader7 : kHeader3;
  const std::size_t descSize = level7 ? kDescriptor7 : kDescriptor3;
  const std::size_t nameSize = level7 ? kName7 : kName3;
  if (b.size() < headerSize) throw fail("la cabecera está truncada");

  const std::uint32_t count = readU32(b, 4);
  const std::size_t headerLength = readU16(b, 8);
  const std::size_t recordLength = readU16(b, 10);

  Table t;
  t.name_ = what;
  t.version_ = version;
  t.level_ = version == 0x03 ? Level::DBase3 : version == 0x04 ? Level::DBase7 : Level::Foreign;

  // Field descriptors up to the terminator, which must lie inside the header.
  const std::size_t limit = std::min(headerLength, b.size());
  std::size_t pos = headerSize;
  std::size_t offset = 0;  // within the record, after the flag
  bool skippedFields = false;
  for (;;) {
    if (pos < limit && static_cast<unsigned char>(b[pos]) == kTerminator) break;
    if (pos + descSize > limit) {
      if (headerLength > b.size()) throw fail("la lista de campos está truncada");
      throw fail("la lista de campos no termina dentro de la cabecera (falta el 0x0D)");
    }
    std::string_view d = b.substr(pos, descSize);
    const std::size_t fieldNo = t.fields_.size() + (skippedFields ? 1 : 0) + 1;
    std::string_view rawName = d.substr(0, nameSize);
    rawName = rawName.substr(0, std::min(rawName.find('\0'), rawName.size()));
    std::string name = upperAsciiName(trimBlanks(rawName));
    const char type = d[level7 ? 32 : 11];
    std::size_t width = static_cast<unsigned char>(d[level7 ? 33 : 16]);
    int decimals = static_cast<unsigned char>(d[level7 ? 34 : 17]);
    if (!level7 && type == 'C' && decimals != 0) {
      // Character fields longer than 255: the decimals byte is the high byte.
      width += 256 * static_cast<std::size_t>(decimals);
      decimals = 0;
    }
    if (name.empty()) throw fail("el campo número " + std::to_string(fieldNo) + " no tiene nombre");
    if (width == 0) throw fail("el campo " + name + " tiene longitud 0");
    if (type == '0') {
      // FoxPro's null-flags system field: it takes room in the record, no more.
      skippedFields = true;
    } else {
      if (!t.byName_.emplace(name, static_cast<int>(t.fields_.size())).second)
        throw fail("el campo " + name + " está repetido");
      t.fields_.push_back(Field{name, type, static_cast<int>(width), decimals, static_cast<int>(offset)});
    }
    offset += width;
    pos += descSize;
  }
  if (t.fields_.empty()) throw fail("la tabla no tiene campos");
  if (headerLength > b.size())
    throw fail("la longitud de la cabecera (" + std::to_string(headerLength) + ") excede el archivo (" +
               std::to_string(b.size()) + " bytes)");
  if (offset + 1 != recordLength && !(foxPro && recordLength > offset + 1))
    throw fail("la longitud de registro (" + std::to_string(recordLength) + ") no cuadra con los campos (" +
               std::to_string(offset + 1) + ")");
  const std::uint64_t needed = static_cast<std::uint64_t>(headerLength) +
                               static_cast<std::uint64_t>(count) * static_cast<std::uint64_t>(recordLength);
  if (needed > b.size())
    throw fail("el número de registros (" + std::to_string(count) + ") es mayor que el archivo");

  if (skippedFields || recordLength != offset + 1 ||
      std::any_of(t.fields_.begin(), t.fields_.end(), [](const Field& f) { return f.width > 255; }))
    t.level_ = Level::Foreign;
  t.recordLength_ = static_cast<int>(recordLength);
  t.data_.reserve(static_cast<std::size_t>(count) * (recordLength - 1));
  t.deleted_.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string_view rec = b.substr(headerLength + static_cast<std::size_t>(i) * recordLength, recordLength);
    bool del = rec[0] == '*';
    t.deleted_.push_back(del);
    if (del) ++t.deletedCount_;
    t.data_.append(rec.substr(1));
  }
  t.indexesOfField_.resize(t.fields_.size());
  t.prepareFields();
  return t;
}

// ---------------------------------------------------------------------------
// Writing files

void Table::setUpdateDate(int year, int month, int day) {
  if (year < 1900 || year > 2155 || month < 1 || month > 12 || day < 1 || day > 31)
    throw std::invalid_argument(name_ + ": bad date of last update");
  year_ = year;
  month_ = month;
  day_ = day;
}

void Table::serializeTo(const std::function<void(std::string_view)>& put) const {
  if (level_ == Level::Foreign)
    throw DbfError(name_ + ": una tabla de este formato se puede leer pero no escribir");
  int y = year_, m = month_, d = day_;
  if (y == 0) {
    const std::tm tm = text::AhoraLocal();
    y = tm.tm_year + 1900;
    m = tm.tm_mon + 1;
    d = tm.tm_mday;
  }
  const bool level7 = level_ == Level::DBase7;
  const std::size_t n = fields_.size();
  const std::size_t headerSize = level7 ? kHeader7 : kHeader3;
  const std::size_t descSize = level7 ? kDescriptor7 : kDescriptor3;
  const std::size_t headerLength = headerSize + descSize * n + 1;
  const std::size_t recordWidth = static_cast<std::size_t>(recordLength_) - 1;

  std::string out(headerLength, '\0');
  out.reserve(std::max(headerLength, kBlock + recordWidth + 2));
  out[0] = static_cast<char>(level7 ? 0x04 : 0x03);
  out[1] = static_cast<char>(std::clamp(y, 1900, 2155) - 1900);
  out[2] = static_cast<char>(m);
  out[3] = static_cast<char>(d);
  putU32(out, 4, recordCount());
  putU16(out, 8, static_cast<unsigned>(headerLength));
  putU16(out, 10, static_cast<unsigned>(recordLength_));
  if (level7) {
    out[29] = static_cast<char>(kDriverAnsi7);
    std::memcpy(&out[32], kDriverName7, std::strlen(kDriverName7));
  } else {
    out[29] = static_cast<char>(kDriverAnsi3);
  }
  for (std::size_t i = 0; i < n; ++i) {
    const Field& f = fields_[i];
    const std::size_t at = headerSize + i * descSize;
    const std::size_t nameMax = level7 ? kName7 : kMaxName3;
    std::memcpy(&out[at], f.name.data(), std::min(f.name.size(), nameMax));
    out[at + (level7 ? 32 : 11)] = f.type;
    out[at + (level7 ? 33 : 16)] = static_cast<char>(f.width);
    out[at + (level7 ? 34 : 17)] = static_cast<char>(f.decimals);
  }
  out[headerLength - 1] = static_cast<char>(kTerminator);
  // The records follow a block at a time, each with its flag; the end-of-file
  // mark closes the last block.
  put(out);
  const std::size_t porBloque = std::max<std::size_t>(1, kBlock / (recordWidth + 1));
  RecNo r = 0;
  do {
    out.clear();
    const RecNo hasta = static_cast<RecNo>(std::min<std::size_t>(recordCount(), r + porBloque));
    for (; r < hasta; ++r) {
      out += deleted_[r] ? '*' : ' ';
      out.append(data_, static_cast<std::size_t>(r) * recordWidth, recordWidth);
    }
    if (r == recordCount()) out += static_cast<char>(kEndOfFile);
    put(out);
  } while (r < recordCount());
}

std::string Table::serialize() const {
  std::string out;
  out.reserve(static_cast<std::size_t>(kHeader7) + kDescriptor7 * fields_.size() + 1 +
              deleted_.size() * static_cast<std::size_t>(recordLength_) + 1);
  serializeTo([&](std::string_view piece) { out.append(piece); });
  return out;
}

void Table::writeFile(const std::filesystem::path& path) const {
  const std::string bytes = serialize();
  try {
    io::writeAtomically(path, bytes);
  } catch (const io::FileError& e) {
    throw DbfError(e.what());
  }
}

// ---------------------------------------------------------------------------
// Fields and rows

int Table::fieldIndex(std::string_view name) const {
  // The working tables have a dozen fields or so, named on every access: a
  // look along the list beats hashing the name.
  if (fields_.size() <= 24) {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      const std::string& n = fields_[i].name;
      if (n.size() == name.size() && (name.empty() || n[0] == name[0]) &&
          std::memcmp(n.data(), name.data(), name.size()) == 0)
        return static_cast<int>(i);
    }
    return -1;
  }
  auto it = byName_.find(name);
  return it == byName_.end() ? -1 : it->second;
}

int Table::requireField(std::string_view name) const {
  int i = fieldIndex(name);
  if (i < 0) throw DbfError(name_ + ": no existe el campo " + std::string(name));
  return i;
}

void Table::rowOutOfRange(RecNo r) const {
  throw std::out_of_range(name_ + ": record " + std::to_string(r) + " out of 1.." + std::to_string(recordCount()));
}

bool Table::isDeleted(RecNo r) const {
  checkRow(r);
  return deleted_[r - 1];
}

bool Table::binaryBigEndian() const { return isLevel7(version_); }

std::string_view Table::raw(RecNo r, int field) const {
  checkRow(r);
  const Field& f = fields_.at(static_cast<std::size_t>(field));
  const std::size_t at = static_cast<std::size_t>(r - 1) * (recordLength_ - 1) + f.offset;
  return std::string_view(data_).substr(at, static_cast<std::size_t>(f.width));
}

char* Table::rawMut(RecNo r, int field) {
  checkRow(r);
  const Field& f = fields_.at(static_cast<std::size_t>(field));
  return data_.data() + static_cast<std::size_t>(r - 1) * (recordLength_ - 1) + f.offset;
}

RecNo Table::append() { return appendRecord(blank_, 0); }

RecNo Table::appendCopy(RecNo from) {
  checkRow(from);
  return appendRecord(data_, static_cast<std::size_t>(from - 1) * (static_cast<std::size_t>(recordLength_) - 1));
}

RecNo Table::appendRecord(const std::string& source, std::size_t at) {
  if (recordCount() == std::numeric_limits<RecNo>::max()) throw DbfError(name_ + ": la tabla está llena");
  // `source` may be data_ itself: append copes with that.
  data_.append(source, at, static_cast<std::size_t>(recordLength_) - 1);
  deleted_.push_back(false);
  const RecNo r = recordCount();
  for (auto& [key, ix] : indexes_) ix.rows.insert(keyOf(ix, r), r);
  return r;
}

void Table::reserve(RecNo rows) {
  data_.reserve(static_cast<std::size_t>(rows) * (static_cast<std::size_t>(recordLength_) - 1));
  deleted_.reserve(rows);
}

void Table::remove(RecNo r) {
  checkRow(r);
  if (deleted_[r - 1]) return;
  for (auto it = indexes_.begin(); it != indexes_.end();) {
    Index& ix = it->second;
    // Once a quarter of the rows it was built on are gone (as when a step
    // deletes rows by the thousand before packing), an index is dropped, to
    // be built again if it is asked for: cheaper than keeping it right.
    if (++ix.removed > ix.built / 4 + 16) {
      it = dropIndex(it);
      continue;
    }
    ix.rows.erase(keyOf(ix, r), r);
    ++it;
  }
  deleted_[r - 1] = true;
  ++deletedCount_;
}

void Table::remove(const std::vector<RecNo>& rows) {
  for (RecNo r : rows) checkRow(r);
  // An index that this many deletions would drop part way (see above) goes
  // first, instead of being kept right row by row until then.
  for (auto it = indexes_.begin(); it != indexes_.end();) {
    const Index& ix = it->second;
    if (ix.removed + rows.size() > ix.built / 4 + 16) it = dropIndex(it);
    else ++it;
  }
  for (RecNo r : rows) remove(r);
}

std::map<std::string, Table::Index, std::less<>>::iterator Table::dropIndex(
    std::map<std::string, Index, std::less<>>::iterator it) {
  Index* ix = &it->second;
  for (auto& lista : indexesOfField_) lista.erase(std::remove(lista.begin(), lista.end(), ix), lista.end());
  return indexes_.erase(it);
}

void Table::pack() {
  if (deletedCount_ == 0) return;
  // The kept rows slide down in place, in order.
  const std::size_t w = static_cast<std::size_t>(recordLength_) - 1;
  std::size_t to = 0;
  for (std::size_t i = 0; i < deleted_.size(); ++i) {
    if (deleted_[i]) continue;
    if (to != i * w) std::memmove(&data_[to], &data_[i * w], w);
    to += w;
  }
  data_.resize(to);
  const RecNo live = liveCount();
  deleted_.assign(live, false);
  deletedCount_ = 0;
  // Record numbers changed: the indexes are built again when next needed.
  indexes_.clear();
  indexesOfField_.assign(fields_.size(), {});
}

// ---------------------------------------------------------------------------
// Reading values

std::string Table::getText(RecNo r, int field) const {
  std::string_view v = raw(r, field);
  const Field& f = fields_[static_cast<std::size_t>(field)];
  const bool be = binaryBigEndian();
  switch (kinds_[static_cast<std::size_t>(field)]) {
    case Kind::Text:
      return std::string(storedText(v));
    case Kind::Numeric: {
      std::string_view t = trimBlanks(v);
      if (t.empty()) return "";
      if (auto d = parseDecimal(t)) return canonicalDecimal(*d);
      if (auto x = parseDouble(t)) return shortestText(*x);
      return std::string(t);
    }
    case Kind::Logical:
      if (isTrue(v[0])) return "T";
      if (isFalse(v[0])) return "F";
      return "";
    case Kind::Int32:
      return std::to_string(int32Of(v, be));
    case Kind::Double:
      return shortestText(doubleOf(v, be));
    case Kind::Currency:
      return currencyText(static_cast<std::int64_t>(readU64(v)));
    case Kind::DateTime: {
      // Julian day number, then milliseconds since midnight.
      std::uint32_t day = readU32(v, 0);
      if (day == 0) return "";
      return momentText(static_cast<long long>(day) - kJulianDayOf1970, static_cast<std::int32_t>(readU32(v, 4)));
    }
    case Kind::Timestamp: {
      // Milliseconds, 0001-01-01 being day 1, as a big-endian double.
      std::uint64_t u = readU64BE(v);
      if (u & 0x8000000000000000ULL) u &= 0x7FFFFFFFFFFFFFFFULL;
      double ms = std::bit_cast<double>(u);
      if (!(ms > 0) || !std::isfinite(ms) || ms > 4e14) return "";
      long long total = static_cast<long long>(std::floor(ms + 0.5));
      long long days = total / 86400000LL;
      return momentText(days - kDayOneOf1970, total % 86400000LL);
    }
    case Kind::MemoRef: {
      if (f.width == 4) {
        std::uint32_t block = readU32(v, 0);
        return block == 0 ? "" : std::to_string(block);
      }
      return std::string(trimBlanks(storedText(v)));
    }
  }
  return "";
}

double Table::getFloat(RecNo r, int field) const {
  std::string_view v = raw(r, field);
  const bool be = binaryBigEndian();
  switch (kinds_[static_cast<std::size_t>(field)]) {
    case Kind::Int32:
      return int32Of(v, be);
    case Kind::Double: {
      double d = doubleOf(v, be);
      return std::isfinite(d) ? d : 0;
    }
    case Kind::Currency:
      return static_cast<double>(static_cast<std::int64_t>(readU64(v))) / 10000.0;
    case Kind::DateTime:
    case Kind::Timestamp:
      return 0;
    default:
      return parseDouble(v).value_or(0);
  }
}

long long Table::getInteger(RecNo r, int field) const {
  std::string_view v = raw(r, field);
  const bool be = binaryBigEndian();
  switch (kinds_[static_cast<std::size_t>(field)]) {
    case Kind::Int32:
      return int32Of(v, be);
    case Kind::Currency:
      return static_cast<std::int64_t>(readU64(v)) / 10000;
    case Kind::Double:
    case Kind::DateTime:
    case Kind::Timestamp:
      return clampToInteger(getFloat(r, field));
    default: {
      // Exact for plain decimals, whatever their size.
      std::string_view t = trimBlanks(v);
      if (auto d = parseDecimal(t)) {
        if (d->whole.empty()) return 0;
        long long w = 0;
        auto [p, ec] = std::from_chars(d->whole.data(), d->whole.data() + d->whole.size(), w);
        if (ec == std::errc::result_out_of_range)
          return d->negative ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
        if (ec != std::errc()) return 0;
        return d->negative ? -w : w;
      }
      return clampToInteger(parseDouble(t).value_or(0));
    }
  }
}

bool Table::getLogical(RecNo r, int field) const {
  std::string_view v = raw(r, field);
  if (isBinaryKind(kinds_[static_cast<std::size_t>(field)])) return getFloat(r, field) != 0;
  return isTrue(v[0]);
}

// ---------------------------------------------------------------------------
// Writing values

namespace {

std::string fieldLabel(const std::string& table, const Field& f) {
  std::string s = table + ", campo " + f.name + " (" + f.type + " " + std::to_string(f.width);
  if (f.decimals) s += "," + std::to_string(f.decimals);
  return s + ")";
}

}  // namespace

std::string_view Table::textView(RecNo r, int field) const {
  std::string_view v = raw(r, field);
  if (kinds_[static_cast<std::size_t>(field)] != Kind::Text)
    throw DbfError(fieldLabel(name_, fields_[static_cast<std::size_t>(field)]) + ": no es un campo de texto");
  return storedText(v);
}

void Table::setText(RecNo r, int field, std::string_view value) {
  checkRow(r);
  const Field& f = fields_.at(static_cast<std::size_t>(field));
  switch (kinds_[static_cast<std::size_t>(field)]) {
    case Kind::Numeric: {
      std::string_view t = trimBlanks(value);
      if (t.empty()) break;
      auto d = parseDouble(t);
      if (!d) throw DbfError(fieldLabel(name_, f) + ": \"" + std::string(value) + "\" no es un número");
      setFloat(r, field, *d);
      return;
    }
    case Kind::Logical: {
      std::string_view t = trimBlanks(value);
      if (t.empty()) break;
      if (t.size() == 1 && (isTrue(t[0]) || isFalse(t[0]))) {
        setLogical(r, field, isTrue(t[0]));
        return;
      }
      throw DbfError(fieldLabel(name_, f) + ": \"" + std::string(value) + "\" no es un valor lógico");
    }
    case Kind::Text:
    case Kind::MemoRef:
      break;
    default:
      throw DbfError(fieldLabel(name_, f) + ": este tipo de campo no se escribe");
  }
  unindex(r, field);
  char* p = rawMut(r, field);
  const std::size_t n = std::min(value.size(), static_cast<std::size_t>(f.width));
  if (n > 0) std::memcpy(p, value.data(), n);  // an empty view may have no data at all
  std::memset(p + n, ' ', f.width - n);
  reindex(r, field);
}

void Table::setFloat(RecNo r, int field, double value) {
  checkRow(r);
  const Field& f = fields_.at(static_cast<std::size_t>(field));
  if (kinds_[static_cast<std::size_t>(field)] != Kind::Numeric)
    throw DbfError(fieldLabel(name_, f) + ": no es un campo numérico");
  if (!std::isfinite(value)) throw DbfError(fieldLabel(name_, f) + ": el valor no es un número finito");
  std::string text = fixedText(value, f.decimals);
  if (text.size() > static_cast<std::size_t>(f.width))
    throw DbfError(fieldLabel(name_, f) + ": el valor " + shortestText(value) + " no cabe");
  unindex(r, field);
  char* p = rawMut(r, field);
  std::memset(p, ' ', f.width - text.size());
  std::memcpy(p + (f.width - text.size()), text.data(), text.size());
  reindex(r, field);
}

void Table::setInteger(RecNo r, int field, long long value) {
  checkRow(r);
  const Field& f = fields_.at(static_cast<std::size_t>(field));
  if (kinds_[static_cast<std::size_t>(field)] != Kind::Numeric)
    throw DbfError(fieldLabel(name_, f) + ": no es un campo numérico");
  std::string text = std::to_string(value);
  if (f.decimals > 0) text += "." + std::string(static_cast<std::size_t>(f.decimals), '0');
  if (text.size() > static_cast<std::size_t>(f.width))
    throw DbfError(fieldLabel(name_, f) + ": el valor " + std::to_string(value) + " no cabe");
  unindex(r, field);
  char* p = rawMut(r, field);
  std::memset(p, ' ', f.width - text.size());
  std::memcpy(p + (f.width - text.size()), text.data(), text.size());
  reindex(r, field);
}

void Table::setLogical(RecNo r, int field, bool value) {
  checkRow(r);
  const Field& f = fields_.at(static_cast<std::size_t>(field));
  if (f.type != 'L') throw DbfError(fieldLabel(name_, f) + ": no es un campo lógico");
  unindex(r, field);
  *rawMut(r, field) = value ? 'T' : 'F';
  reindex(r, field);
}

// ---------------------------------------------------------------------------
// Locate
//
// An index maps the hash of the key of every live row to those rows, in
// ascending order; the first of them whose fields equal the wanted values is
// the answer. Edits move a row between hashes, deletion takes it out; packing
// discards the indexes, and so do deletions by the thousand (see remove).

namespace {

// A 64-bit hash over the parts of a key, eight bytes at a time (after
// MurmurHash64A); each part's tail goes in with its length, so that lists of
// parts that only split the same bytes differently hash apart.
class KeyHash {
 public:
  void add(std::string_view part) {
    const char* p = part.data();
    std::size_t n = part.size();
    for (; n >= 8; p += 8, n -= 8) {
      std::uint64_t k;
      std::memcpy(&k, p, 8);
      mix(k);
    }
    std::uint64_t tail = static_cast<std::uint64_t>(part.size() & 0xFF) << 56;
    if (n >= 4) {
      // Two words of four that overlap when n < 8: each byte lands in its own
      // place either way.
      std::uint32_t a, b;
      std::memcpy(&a, p, 4);
      std::memcpy(&b, p + n - 4, 4);
      tail |= a | (static_cast<std::uint64_t>(b) << (8 * (n - 4)));
    } else {
      for (std::size_t i = 0; i < n; ++i)
        tail |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    }
    mix(tail);
  }
  std::uint64_t value() const {
    std::uint64_t h = h_;
    h ^= h >> 47;
    h *= kM;
    h ^= h >> 47;
    return h;
  }

 private:
  static constexpr std::uint64_t kM = 0xC6A4A7935BD1E995ULL;
  void mix(std::uint64_t k) {
    k *= kM;
    k ^= k >> 47;
    k *= kM;
    h_ ^= k;
    h_ *= kM;
  }
  std::uint64_t h_ = 0x9E3779B97F4A7C15ULL;
};

}  // namespace

std::string_view Table::keyPart(const Index& ix, std::size_t i, const char* record, RecNo r,
                                std::string& buffer) const {
  // Text, by far the most common, is taken as it stands, without a copy.
  const Field& f = fields_[static_cast<std::size_t>(ix.fields[i])];
  if (ix.text[i]) return storedText(std::string_view(record + f.offset, static_cast<std::size_t>(f.width)));
  buffer = getText(r, ix.fields[i]);
  return buffer;
}

void Table::HashRows::reserve(std::size_t n) {
  std::size_t capacity = 16;
  while (capacity < 2 * n) capacity *= 2;
  if (capacity > slots_.size()) rehash(capacity);
}

std::size_t Table::HashRows::slotOf(std::uint64_t h) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = static_cast<std::size_t>(h) & mask;
  while (slots_[i].first != 0 && slots_[i].hash != h) i = (i + 1) & mask;
  return i;
}

void Table::MoreRows::insert(RecNo r) {
  if (many_) {
    many_->insert(r);
    return;
  }
  // Rows mostly come in ascending order (an index is built, rows are
  // appended): at the end, without a search.
  if (few_.empty() || r > few_.back()) {
    few_.push_back(r);
  } else {
    auto it = std::lower_bound(few_.begin(), few_.end(), r);
    if (*it != r) few_.insert(it, r);
  }
  if (few_.size() > kFew) {
    many_ = std::make_unique<std::set<RecNo>>(few_.begin(), few_.end());
    few_.clear();
    few_.shrink_to_fit();
  }
}

void Table::MoreRows::erase(RecNo r) {
  if (many_) {
    many_->erase(r);
    return;
  }
  auto it = std::lower_bound(few_.begin(), few_.end(), r);
  if (it != few_.end() && *it == r) few_.erase(it);
}

RecNo Table::MoreRows::takeFirst() {
  if (many_) {
    const RecNo r = *many_->begin();
    many_->erase(many_->begin());
    return r;
  }
  const RecNo r = few_.front();
  few_.erase(few_.begin());
  return r;
}

RecNo Table::HashRows::find(std::uint64_t h, const MoreRows** more) const {
  *more = nullptr;
  if (slots_.empty()) return 0;
  const Slot& s = slots_[slotOf(h)];
  if (s.first != 0 && s.more != 0) *more = &more_[s.more - 1];
  return s.first;
}

void Table::HashRows::insert(std::uint64_t h, RecNo r) {
  if (2 * (used_ + 1) > slots_.size()) rehash(slots_.empty() ? 16 : 2 * slots_.size());
  Slot& s = slots_[slotOf(h)];
  if (s.first == 0) {
    s.hash = h;
    s.first = r;
    ++used_;
    return;
  }
  if (s.first == r) return;
  if (s.more == 0) {
    if (freeMore_.empty()) {
      more_.emplace_back();
      s.more = static_cast<std::uint32_t>(more_.size());
    } else {
      s.more = freeMore_.back();
      freeMore_.pop_back();
    }
  }
  if (r < s.first) std::swap(r, s.first);
  more_[s.more - 1].insert(r);
}

void Table::HashRows::erase(std::uint64_t h, RecNo r) {
  if (slots_.empty()) return;
  std::size_t i = slotOf(h);
  Slot& s = slots_[i];
  if (s.first == 0) return;
  MoreRows* rest = s.more != 0 ? &more_[s.more - 1] : nullptr;
  if (r != s.first) {
    if (rest) rest->erase(r);
    return;
  }
  if (rest && !rest->empty()) {
    s.first = rest->takeFirst();
    return;
  }
  // The slot is free again: the slots after it that would no longer be
  // reached from their own place move back into it, one by one.
  if (s.more != 0) freeMore_.push_back(s.more);
  s = Slot{};
  --used_;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t j = (i + 1) & mask; slots_[j].first != 0; j = (j + 1) & mask) {
    const std::size_t home = static_cast<std::size_t>(slots_[j].hash) & mask;
    const bool reachable = i <= j ? (home > i && home <= j) : (home > i || home <= j);
    if (reachable) continue;
    slots_[i] = slots_[j];
    slots_[j] = Slot{};
    i = j;
  }
}

void Table::HashRows::rehash(std::size_t capacity) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(capacity, Slot{});
  for (const Slot& s : old)
    if (s.first != 0) slots_[slotOf(s.hash)] = s;
}

std::uint64_t Table::keyOf(const Index& ix, RecNo r) const {
  checkRow(r);
  const char* record = data_.data() + static_cast<std::size_t>(r - 1) * (recordLength_ - 1);
  KeyHash h;
  std::string buffer;
  for (std::size_t i = 0; i < ix.fields.size(); ++i) h.add(keyPart(ix, i, record, r, buffer));
  return h.value();
}

bool Table::keyIs(const Index& ix, RecNo r, const std::string_view* values) const {
  checkRow(r);
  const char* record = data_.data() + static_cast<std::size_t>(r - 1) * (recordLength_ - 1);
  std::string buffer;
  for (std::size_t i = 0; i < ix.fields.size(); ++i)
    if (keyPart(ix, i, record, r, buffer) != values[i]) return false;
  return true;
}

void Table::unindex(RecNo r, int field) {
  if (deleted_[r - 1]) return;
  for (Index* ix : indexesOfField_[static_cast<std::size_t>(field)]) {
    ix->rows.erase(keyOf(*ix, r), r);
  }
}

void Table::reindex(RecNo r, int field) {
  if (deleted_[r - 1]) return;
  for (Index* ix : indexesOfField_[static_cast<std::size_t>(field)]) ix->rows.insert(keyOf(*ix, r), r);
}

std::optional<RecNo> Table::locate(std::string_view key, const std::string_view* values, std::size_t count) const {
  auto it = indexes_.find(key);
  if (it == indexes_.end()) {
    Index ix;
    std::size_t start = 0;
    for (;;) {
      std::size_t semi = key.find(';', start);
      std::string_view name = key.substr(start, semi == std::string_view::npos ? std::string_view::npos : semi - start);
      int f = fieldIndex(name);
      if (f < 0) throw DbfError(name_ + ": no existe el campo " + std::string(name) + " (búsqueda por " + std::string(key) + ")");
      ix.fields.push_back(f);
      ix.text.push_back(kinds_[static_cast<std::size_t>(f)] == Kind::Text);
      if (semi == std::string_view::npos) break;
      start = semi + 1;
    }
    if (count != ix.fields.size())
      throw std::invalid_argument(name_ + ": locate by " + std::string(key) + " needs " +
                                  std::to_string(ix.fields.size()) + " values, got " + std::to_string(count));
    ix.rows.reserve(liveCount());
    ix.built = liveCount();
    for (RecNo r = 1; r <= recordCount(); ++r)
      if (!deleted_[r - 1]) ix.rows.insert(keyOf(ix, r), r);
    it = indexes_.emplace(std::string(key), std::move(ix)).first;
    std::vector<int> distinct = it->second.fields;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    for (int f : distinct) indexesOfField_[static_cast<std::size_t>(f)].push_back(&it->second);
  }
  const Index& ix = it->second;
  if (count != ix.fields.size())
    throw std::invalid_argument(name_ + ": locate by " + std::string(key) + " needs " +
                                std::to_string(ix.fields.size()) + " values, got " + std::to_string(count));
  KeyHash h;
  for (std::size_t i = 0; i < count; ++i) h.add(values[i]);
  const MoreRows* more = nullptr;
  const RecNo first = ix.rows.find(h.value(), &more);
  if (first == 0) return std::nullopt;
  if (keyIs(ix, first, values)) return first;
  if (more) {
    const RecNo r = more->findIf([&](RecNo x) { return keyIs(ix, x, values); });
    if (r != 0) return r;
  }
  return std::nullopt;
}

}  // namespace zi::dbf
