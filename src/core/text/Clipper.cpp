#include "text/Clipper.h"

#include <algorithm>

namespace zi {

std::string QuitarBlancosIzq(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return std::string(s.substr(i));
}

std::string QuitarBlancosDer(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return std::string(s.substr(0, n));
}

std::string QuitarBlancos(std::string_view s) {
  size_t b = 0, e = s.size();
  while (e > 0 && s[e - 1] == ' ') --e;
  while (b < e && s[b] == ' ') ++b;
  return std::string(s.substr(b, e - b));
}

void QuitarBlancosEn(std::string& s) {
  s.erase(s.find_last_not_of(' ') + 1);
  s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
}

std::string Izquierda(std::string_view s, long n) {
  if (n < static_cast<long>(s.size())) return n <= 0 ? std::string() : std::string(s.substr(0, n));
  return std::string(s);
}

std::string Derecha(std::string_view s, long n) {
  if (n < static_cast<long>(s.size())) return n <= 0 ? std::string() : std::string(s.substr(s.size() - n));
  return std::string(s);
}

std::string Iniciales(std::string_view s, std::string_view /*separador*/) {
  std::string r;
  const long L = static_cast<long>(s.size());
  // p is 1-based as in the rule; s[p] is s.at(p - 1).
  for (long p = 1; p <= L - 1; ++p) {
    if (s[p - 1] != ' ') continue;
    if (p < L - 4) {
      bool word = true;
      for (long k = 1; k <= 4; ++k)
        if (s[p - 1 + k] == ' ') word = false;
      if (word) r += s[p];
    } else {
      r += s[p];
    }
  }
  return r;
}

}  // namespace zi
