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

// A small school: two teachers, one course with two groups, a subject, an
// occupation, a room, two templates with two periods each, a lesson and an
// occupation period.
inline std::vector<Lista> EscuelaPequena() {
  return {
      {"docentes/docente",
       {{{"apellido1", "P\xC3\xA9rez"}, {"apellido2", "G\xC3\xB3mez"}, {"nombre", "Ana"}, {"documento", "111A"},
         {"tipo_docente", "D"}, {"fecha_ingreso", "01/09/2015"}, {"email1", "ana@centro.es"}, {"ensenanza", "E"}},
        {{"apellido1", "Pons"}, {"apellido2", "Garc\xC3\xAD" "a"}, {"nombre", "Alberto"}, {"documento", "222B"}}}},
      {"ensenanzas/ensenanza", {{{"ensenanza", "E"}, {"abreviatura", "ESO"}}}},
      {"cursos/curso", {{{"codigo", "11"}, {"abreviatura", "1ESO"}, {"padre", " "}, {"ensenanza", "E"}}}},
      {"cursos_grupo/curso_grupo", {{{"grupo", "1A"}, {"curso", "11"}}, {{"grupo", "1B"}, {"curso", "11"}}}},
      {"grupos/grupo",
       {{{"codigo", "1A"}, {"nombre", "1r ESO A"}, {"turno", "M"}, {"ensenanza", "E"}, {"tutor_ppal", "111A"}},
        {{"codigo", "1B"}, {"nombre", "1r ESO B"}, {"turno", "M"}, {"ensenanza", "E"}}}},
      {"contenidos/contenido",
       {{{"codigo", "2001"}, {"curso", "11"}, {"nombre_val", "F\xC3\xADsica i Qu\xC3\xADmica"},
         {"nombre_cas", "F\xC3\xADsica y Qu\xC3\xADmica"}}}},
      {"ocupaciones/ocupacion", {{{"codigo", "100070"}, {"nombre_val", "Gu\xC3\xA0rdia"}, {"nombre_cas", "Guardia"}}}},
      {"aulas/aula", {{{"codigo", "A12"}, {"nombre", "Aula 12"}}}},
      {"plantillas_horario/plantilla_horario",
       {{{"codigo", "MAT"}, {"descripcion_val", "Mat\xC3\xAD"}, {"turno", "M"}},
        {{"codigo", "VES"}, {"descripcion_val", "Vesprada"}, {"turno", "V"}}}},
      {"sesiones_horario/sesion_horario",
       {{{"plantilla", "MAT"}, {"dia_semana", "L"}, {"sesion_orden", "1"}, {"hora_desde", "08:00"}, {"hora_hasta", "08:55"}},
        {{"plantilla", "MAT"}, {"dia_semana", "L"}, {"sesion_orden", "2"}, {"hora_desde", "08:55"}, {"hora_hasta", "09:50"}},
        {{"plantilla", "VES"}, {"dia_semana", "L"}, {"sesion_orden", "1"}, {"hora_desde", "15:00"}, {"hora_hasta", "15:55"}}}},
      {"horarios_grupo/horario_grupo",
       {{{"plantilla", "MAT"}, {"grupo", "1A"}, {"curso", "11"}, {"contenido", "2001"}, {"docente", "111A"}, {"aula", "A12"}},
        {{"plantilla", "MAT"}, {"grupo", "1A"}, {"curso", "11"}, {"contenido", "2001"}, {"docente", "111A"}, {"aula", "A12"}}}},
      {"horarios_ocupaciones/horario_ocupacion",
       {{{"ocupacion", "100070"}, {"docente", "222B"}, {"plantilla", "MAT"}}}}};
}

// Windows-1252 text from UTF-8, to compare with what the tables hold.
inline std::string W(const std::string& utf8) { return text::utf8ToCp1252(utf8); }

}  // namespace zi::test
