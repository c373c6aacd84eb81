#include "text/cp1252.h"

#include <array>
#include <unordered_map>

namespace zi::text {
namespace {

// Code points of bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t cp1252ToUnicode(unsigned char c) {
  if (c >= 0x80 && c <= 0x9F) return kHigh[c - 0x80];
  return c;
}

int unicodeToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

char32_t nextUtf8(std::string_view s, size_t& i) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(i);
  if (c < 0x80) { ++i; return c; }
  int len = 0;
  char32_t cp = 0, min = 0;
  if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; min = 0x80; }
  else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; min = 0x800; }
  else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; min = 0x10000; }
  else { ++i; return 0xFFFD; }
  if (i + len > s.size()) { ++i; return 0xFFFD; }
  for (int k = 1; k < len; ++k) {
    unsigned char cc = b(i + k);
    if ((cc & 0xC0) != 0x80) { ++i; return 0xFFFD; }
    cp = (cp << 6) | (cc & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) { ++i; return 0xFFFD; }
  i += len;
  return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool isValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    size_t before = i;
    char32_t cp = nextUtf8(s, i);
    if (cp == 0xFFFD) {
      // U+FFFD written out properly is valid; a bad sequence advances one byte.
      if (i - before != 3) return false;
    }
  }
  return true;
}

std::string utf8ToCp1252(std::string_view utf8) {
  std::string out;
  utf8ToCp1252(utf8, out);
  return out;
}

void utf8ToCp1252(std::string_view utf8, std::string& out) {
  // ASCII, the bulk of any text, is the same in both: taken in one piece.
  size_t i = 0;
  while (i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80) ++i;
  out.assign(utf8.substr(0, i));
  if (i == utf8.size()) return;
  while (i < utf8.size()) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) { out += static_cast<char>(c); ++i; continue; }
    int b = unicodeToCp1252(nextUtf8(utf8, i));
    out += b < 0 ? '?' : static_cast<char>(b);
  }
}

void utf8ToCp1252(const char* utf8, std::string& out) {
  const char* p = utf8;
  while (*p != '\0' && static_cast<unsigned char>(*p) < 0x80) ++p;
  if (*p == '\0') {
    out.assign(utf8, static_cast<size_t>(p - utf8));
    return;
  }
  utf8ToCp1252(std::string_view(utf8), out);
}

std::string cp1252ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  size_t i = 0;
  while (i < s.size()) {
    // A run of ASCII goes over as it is.
    size_t j = i;
    while (j < s.size() && static_cast<unsigned char>(s[j]) < 0x80) ++j;
    out.append(s.substr(i, j - i));
    if (j == s.size()) break;
    appendUtf8(out, cp1252ToUnicode(static_cast<unsigned char>(s[j])));
    i = j + 1;
  }
  return out;
}

std::string latin1ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (unsigned char c : s) appendUtf8(out, c);
  return out;
}

unsigned char toUpper1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x9A: return 0x8A;  // š Š
    case 0x9C: return 0x8C;  // œ Œ
    case 0x9E: return 0x8E;  // ž Ž
    case 0xFF: return 0x9F;  // ÿ Ÿ
    default: return c;
  }
}

unsigned char toLower1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

std::string upper1252(std::string_view s) {
  std::string out(s);
  for (auto& ch : out) ch = static_cast<char>(toUpper1252(static_cast<unsigned char>(ch)));
  return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && compareNoCase(a, b) == 0;
}

int compareNoCase(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int x = toUpper1252(static_cast<unsigned char>(a[i]));
    int y = toUpper1252(static_cast<unsigned char>(b[i]));
    if (x != y) return x - y;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string upperAscii(std::string_view s) {
  std::string out(s);
  for (auto& ch : out)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
  return out;
}

}  // namespace zi::text
