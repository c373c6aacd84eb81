#include "plantillas/plantillas.h"

#include <algorithm>

#include "text/cp1252.h"
#include "xml/itaca_paths.h"

namespace zi {

std::string RecortarControl(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

std::string LineaPeriodo(std::string_view orden, std::string_view desde, std::string_view hasta) {
  std::string numero = orden.size() == 1 ? " " + std::string(orden) : std::string(orden.substr(0, 3));
  return numero + " de " + std::string(desde) + " a " + std::string(hasta);
}

CatalogoPlantillas::CatalogoPlantillas(const xml::Document& doc) {
  namespace P = itaca::plantilla_horario;
  for (const auto& e : doc.select(itaca::kPlantillasHorario)) {
    Plantilla p{RecortarControl(e.attr(P::codigo)), RecortarControl(e.attr(P::descripcion_val)),
                RecortarControl(e.attr(P::descripcion_cas)), RecortarControl(e.attr(P::turno))};
    codigos_.push_back(p.codigo);
    plantillas_.push_back(std::move(p));
  }
  namespace S = itaca::sesion_horario;
  for (const auto& e : doc.select(itaca::kSesionesHorario)) {
    sesiones_.push_back({RecortarControl(e.attr(S::plantilla)), RecortarControl(e.attr(S::dia_semana)),
                         RecortarControl(e.attr(S::sesion_orden)), RecortarControl(e.attr(S::hora_desde)),
                         RecortarControl(e.attr(S::hora_hasta))});
  }
}

bool CatalogoPlantillas::contiene(std::string_view codigo) const {
  return std::find(codigos_.begin(), codigos_.end(), codigo) != codigos_.end();
}

const CatalogoPlantillas::Plantilla* CatalogoPlantillas::ultima(std::string_view codigo) const {
  const Plantilla* found = nullptr;
  for (const auto& p : plantillas_)
    if (p.codigo == codigo) found = &p;
  return found;
}

std::string CatalogoPlantillas::nombre(std::string_view codigo, std::string_view idioma) const {
  const Plantilla* p = ultima(codigo);
  if (!p) return "-";
  return idioma == kValencia ? p->descripcionVal : p->descripcionCas;
}

std::string CatalogoPlantillas::turno(std::string_view codigo) const {
  const Plantilla* p = ultima(codigo);
  return p ? p->turno : "-";
}

std::vector<std::string> CatalogoPlantillas::lineasPeriodos(std::string_view codigo) const {
  std::vector<std::string> lineas;
  for (const auto& s : sesiones_)
    if (s.plantilla == codigo && s.dia == "L") lineas.push_back(LineaPeriodo(s.orden, s.desde, s.hasta));
  std::stable_sort(lineas.begin(), lineas.end(),
                   [](const std::string& a, const std::string& b) { return text::compareNoCase(a, b) < 0; });
  return lineas;
}

EleccionPlantilla Elegir(const CatalogoPlantillas& cat, std::string_view codigo) {
  return {RecortarControl(codigo), cat.turno(codigo), cat.lineasPeriodos(codigo)};
}

}  // namespace zi
