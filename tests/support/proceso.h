// Running the command line from a test.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace zi::test {

struct Salida {
  int codigo = -1;
  std::string texto;  // standard output and standard error together
};

inline std::string Citar(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline Salida Ejecutar(const std::string& orden) {
  Salida s;
  FILE* p = popen((orden + " 2>&1").c_str(), "r");
  if (!p) return s;
  std::array<char, 4096> buf{};
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) s.texto.append(buf.data(), n);
  int st = pclose(p);
  s.codigo = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return s;
}

}  // namespace zi::test
