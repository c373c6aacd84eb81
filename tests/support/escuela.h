// Small ITACA documents built inside a test, and a scratch directory for the
// working tables.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "text/cp1252.h"

namespace zi::test {

// A directory of its own for one test, removed afterwards.
class DirTemporal {
 public:
  DirTemporal() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("zi-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~DirTemporal() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline void Escribir(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

inline std::string Leer(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// One element: <name a="v" .../>. Values are given in UTF-8 and escaped.
inline std::string Elem(const std::string& name, const std::vector<std::pair<std::string, std::string>>& attrs) {
  std::string s = "<" + name;
  for (const auto& [k, v] : attrs) {
    s += " " + k + "=\"";
    for (char c : v) {
      if (c == '&') s += "&amp;";
      else if (c == '<') s += "&lt;";
      else if (c == '"') s += "&quot;";
      else s += c;
    }
    s += "\"";
  }
  return s + "/>";
}

// A document of lists: {"docentes/docente", {elements...}} in the given order.
struct Lista {
  std::string ruta;  // "docentes/docente"
  std::vector<std::vector<std::pair<std::string, std::string>>> elementos;
};

inline std::string Centro(const std::vector<Lista>& listas,
                          const std::string& raiz = R"(codigo="46000001" denominacion="IES Prueba" curso="2026" version="1.0")") {
  std::string s = "<?xml version=\"1.0\"?>\n<centro " + raiz + ">\n";
  for (const auto& l : listas) {
    const auto slash = l.ruta.find('/');
    const std::string padre = l.ruta.substr(0, slash), hijo = l.ruta.substr(slash + 1);
    s += "<" + padre + ">";
    for (const auto& e : l.elementos) s += Elem(hijo, e);
    s += "</" + padre + ">\n";
  }
  return s + "</centro>\n";
}

// Windows-1252 text from UTF-8, to compare with what the tables hold.
inline std::string W(const std::string& utf8) { return text::utf8ToCp1252(utf8); }

}  // namespace zi::test
