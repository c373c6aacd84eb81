#include "importar/importar_run.h"

#include <cmath>
#include <cstdio>
#include <system_error>

#include "io/atomic_file.h"
#include "plantillas/tramos.h"
#include "run/errores.h"
#include "run/preguntas.h"
#include "tables/working_tables.h"
#include "text/Clipper.h"
#include "text/cp1252.h"
#include "text/fecha.h"
#include "xml/itaca_paths.h"

namespace zi {
namespace fs = std::filesystem;

std::string TextoNumero(double v) {
  if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15) return std::to_string(static_cast<long long>(v));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10f", v);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  return s;
}

std::string LetraDia(long long dia) {
  static const char* const letras[7] = {"L", "M", "X", "J", "V", "S", "D"};
  return dia >= 1 && dia <= 7 ? letras[dia - 1] : "";
}

ImportarRun::ImportarRun(fs::path directorio) : dir_(std::move(directorio)) {}

void ImportarRun::Preparar(const fs::path& archivo) {
  std::error_code ec;
  const std::string mensaje = text::cp1252ToUtf8(kNoExisteArchivoXmlOSolucion);
  if (archivo.empty() || !fs::is_regular_file(archivo, ec)) throw ArchivoNoExiste(mensaje, io::nombreArchivo(archivo));
  const fs::path soluc = io::findFile(dir_, "SOLUC.DBF");
  if (!fs::is_regular_file(soluc, ec)) throw ArchivoNoExiste(mensaje, io::nombreArchivo(soluc));
  DocXML = xml::Document::load(archivo);
  ArchivoXML = archivo;
}

std::string ImportarRun::CursoDelArchivo() const { return DocXML.root().trimmedAttr(itaca::centro::curso); }

std::string ImportarRun::PlantillaAnterior() const {
  try {
    dbf::Table t = leerTabla(tables::DIASHORAST);
    const int f = t.fieldIndex("MARCOXML");
    for (dbf::RecNo r = 1; f >= 0 && r <= t.recordCount(); ++r)
      if (!t.isDeleted(r)) return t.getText(r, f);
  } catch (const std::exception&) {
    // No usable table: no recorded template.
  }
  return "";
}

void ImportarRun::AplicarPlantilla(const EleccionPlantilla& eleccion, std::string_view idioma) {
  PlantillaSel = eleccion.plantilla;
  ListBoxPlanti = eleccion.periodos;
  ComboBoxValCast = std::string(idioma);
}

fs::path ImportarRun::ArchivoResultado() const {
  return ArchivoXML.parent_path() / ("ResultadoZarvelon" + ArchivoXML.filename().string());
}

dbf::Table ImportarRun::leerTabla(const std::string& nombre, std::initializer_list<const char*> campos) const {
  const fs::path p = io::findFile(dir_, nombre + ".DBF");
  std::error_code ec;
  if (!fs::is_regular_file(p, ec))
    throw RunError("Falta la tabla de trabajo " + io::nombreArchivo(p) +
                   ": hay que pasar antes los datos de ITACA a Zarvelon.");
  dbf::Table t = dbf::Table::readFile(p);
  for (const char* c : campos)
    if (t.fieldIndex(c) < 0) throw RunError(io::nombreArchivo(p) + ": falta el campo " + c + ".");
  return t;
}

const dbf::Table* ImportarRun::tabla(const std::string& nombre) const {
  auto it = tablas_.find(nombre);
  return it == tablas_.end() ? nullptr : &it->second;
}

void ImportarRun::Ejecutar() {
  avisos_.clear();
  AvisarCodificacion(avisos_, DocXML.fellBackTo1252(), ArchivoXML);
  tablas_.clear();
  escritas_.clear();
  horariosGrupo_ = horariosOcupacion_ = 0;
  tablas_.insert_or_assign(tables::DIASHORAST, ConstruirTramos(ListBoxPlanti, PlantillaSel, ComboBoxValCast));
  tablas_.insert_or_assign(tables::SOLUC, leerTabla(tables::SOLUC, {"ASIG", "TAREA", "DIA", "HORA", "MARCO",
                                                                    "CODGRUPO", "PROF", "AULA"}));
  tablas_.insert_or_assign(tables::GRUPOST, leerTabla(tables::GRUPOST, {"ABREV", "CLAVE", "CLAVECURSO", "ENSENANZA"}));
  tablas_.insert_or_assign(tables::PROFT, leerTabla(tables::PROFT, {"ABREV", "DNI", "ENSENANZA"}));
  tablas_.insert_or_assign(tables::AULAT, leerTabla(tables::AULAT, {"ABREV", "ABREV_ITACA"}));
  tablas_.insert_or_assign(tables::ASIGNOMT, leerTabla(tables::ASIGNOMT, {"COD", "ABREV_ITACA"}));
  const dbf::Table& soluc = tablas_.at(tables::SOLUC);
  const dbf::Table& grupos = tablas_.at(tables::GRUPOST);
  const dbf::Table& profes = tablas_.at(tables::PROFT);
  const dbf::Table& aulas = tablas_.at(tables::AULAT);
  const dbf::Table& nom = tablas_.at(tables::ASIGNOMT);
  const dbf::Table& tramos = tablas_.at(tables::DIASHORAST);
  const int fAsig = soluc.requireField("ASIG"), fTarea = soluc.requireField("TAREA"),
            fDia = soluc.requireField("DIA"), fHora = soluc.requireField("HORA"),
            fMarco = soluc.requireField("MARCO"), fGrupo = soluc.requireField("CODGRUPO"),
            fProf = soluc.requireField("PROF"), fAula = soluc.requireField("AULA");

  namespace C = itaca::centro;
  const xml::Element viejo = DocXML.root();
  const std::string codigo = viejo.trimmedAttr(C::codigo), denominacion = viejo.trimmedAttr(C::denominacion),
                    version = viejo.trimmedAttr(C::version);

  xml::Element centro = DocXML.replaceRoot(itaca::element::centro);
  centro.setAttr(C::codigo, codigo);
  centro.setAttr(C::denominacion, denominacion);
  centro.setAttr(C::curso, CursoDestino);
  centro.setAttr(C::fecha_exportacion, text::AhoraLocal("%d/%m/%Y %H:%M:%S"));
  centro.setAttr(C::version, version);

  // A row's place in time: the slot of its hour in frame "0".
  struct Tramo {
    std::string orden, desde, hasta;
    long long hora;
  };
  auto tramo = [&](dbf::RecNo r) -> std::optional<Tramo> {
    const std::string hora = TextoNumero(soluc.getFloat(r, fHora));
    const std::string marco = Izquierda(soluc.getText(r, fMarco), 1);
    auto t = tramos.locate("HORA;MARCO", {hora, marco});
    if (!t) return std::nullopt;
    return Tramo{tramos.getText(*t, "SESION_ORDEN"), tramos.getText(*t, "HORADESDE"), tramos.getText(*t, "HORAHASTA"),
                 tramos.getInteger(*t, "HORA")};
  };
  auto datosFila = [&](dbf::RecNo r) {
    return std::vector<std::pair<std::string, std::string>>{
        {"fila", std::to_string(r)},         {"asignatura", soluc.getText(r, fAsig)},
        {"grupo", soluc.getText(r, fGrupo)}, {"profesor", soluc.getText(r, fProf)},
        {"día", soluc.getText(r, fDia)}, {"hora", soluc.getText(r, fHora)},
        {"marco", soluc.getText(r, fMarco)}};
  };
  // Rows of one kind with a day and an hour.
  auto exportable = [&](dbf::RecNo r, bool deClase) {
    if (soluc.isDeleted(r)) return false;
    if ((soluc.getText(r, fAsig) != soluc.getText(r, fTarea)) != deClase) return false;
    if (soluc.getInteger(r, fDia) == 0 || soluc.getFloat(r, fHora) == 0) {
      avisos_.add(TipoAviso::FilaSinDiaHora, datosFila(r), "La fila no tiene día u hora: no se exporta.");
      return false;
    }
    return true;
  };

  namespace G = itaca::horario_grupo;
  xml::Element seccionGrupos = centro.appendChild(itaca::element::horarios_grupo);
  for (dbf::RecNo r = 1; r <= soluc.recordCount(); ++r) {
    if (!exportable(r, true)) continue;
    auto g = grupos.locate("ABREV", soluc.getText(r, fGrupo));
    if (!g) {
      avisos_.add(TipoAviso::FilaSinGrupo, datosFila(r), "El grupo no está en GRUPOST: la clase no se exporta.");
      continue;
    }
    auto a = nom.locate("COD", soluc.getText(r, fAsig));
    if (!a) {
      avisos_.add(TipoAviso::FilaSinAsignatura, datosFila(r),
                  "La asignatura no está en ASIGNOMT: la clase no se exporta.");
      continue;
    }
    std::string dni, aulaItaca;
    const std::string prof = soluc.getText(r, fProf), aula = soluc.getText(r, fAula);
    const auto p = profes.locate("ABREV", prof);
    if (p) dni = profes.getText(*p, "DNI");
    else if (!prof.empty())
      avisos_.add(TipoAviso::FilaSinDocente, datosFila(r), "El profesor no está en PROFT: la clase va sin docente.");
    const auto au = aulas.locate("ABREV", aula);
    if (au) aulaItaca = aulas.getText(*au, "ABREV_ITACA");
    else if (!aula.empty())
      avisos_.add(TipoAviso::FilaSinAula, datosFila(r), "El aula no está en AULAT: la clase va sin aula.");
    auto t = tramo(r);
    if (!t) {
      avisos_.add(TipoAviso::FilaSinTramo, datosFila(r),
                  "Ningún tramo de la plantilla tiene esa hora en el marco 0: la clase no se exporta.");
      continue;
    }
    xml::Element e = seccionGrupos.appendChild(itaca::element::horario_grupo);
    e.setAttr(G::plantilla, PlantillaSel);
    e.setAttr(G::dia_semana, LetraDia(soluc.getInteger(r, fDia)));
    e.setAttr(G::sesion_orden, t->orden);
    e.setAttr(G::hora_desde, t->desde);
    e.setAttr(G::hora_hasta, t->hasta);
    e.setAttr(G::grupo, grupos.getText(*g, "CLAVE"));
    e.setAttr(G::ensenanza, grupos.getText(*g, "ENSENANZA"));
    e.setAttr(G::curso, grupos.getText(*g, "CLAVECURSO"));
    e.setAttr(G::contenido, nom.getText(*a, "ABREV_ITACA"));
    e.setAttr(G::docente, dni);
    e.setAttr(G::aula, aulaItaca);
    e.setAttr(G::idioma, "");
    escritas_.push_back({r, false, soluc.getInteger(r, fDia), t->hora, soluc.getText(r, fGrupo),
                         p ? prof : std::string(), au ? aula : std::string(), soluc.getText(r, fAsig)});
    ++horariosGrupo_;
  }

  namespace O = itaca::horario_ocupacion;
  xml::Element seccionOcupaciones = centro.appendChild(itaca::element::horarios_ocupaciones);
  for (dbf::RecNo r = 1; r <= soluc.recordCount(); ++r) {
    if (!exportable(r, false)) continue;
    auto a = nom.locate("COD", soluc.getText(r, fAsig));
    if (!a) {
      avisos_.add(TipoAviso::FilaSinAsignatura, datosFila(r),
                  "La tarea no está en ASIGNOMT: la ocupación no se exporta.");
      continue;
    }
    auto p = profes.locate("ABREV", soluc.getText(r, fProf));
    if (!p) {
      avisos_.add(TipoAviso::FilaOcupacionSinDocente, datosFila(r),
                  "El profesor no está en PROFT: la ocupación no se exporta.");
      continue;
    }
    auto t = tramo(r);
    if (!t) {
      avisos_.add(TipoAviso::FilaSinTramo, datosFila(r),
                  "Ningún tramo de la plantilla tiene esa hora en el marco 0: la ocupación no se exporta.");
      continue;
    }
    xml::Element e = seccionOcupaciones.appendChild(itaca::element::horario_ocupacion);
    e.setAttr(O::plantilla, PlantillaSel);
    e.setAttr(O::dia_semana, LetraDia(soluc.getInteger(r, fDia)));
    e.setAttr(O::sesion_orden, t->orden);
    e.setAttr(O::hora_desde, t->desde);
    e.setAttr(O::hora_hasta, t->hasta);
    e.setAttr(O::docente, profes.getText(*p, "DNI"));
    e.setAttr(O::ensenanza, profes.getText(*p, "ENSENANZA"));
    e.setAttr(O::ocupacion, nom.getText(*a, "ABREV_ITACA"));
    escritas_.push_back({r, true, soluc.getInteger(r, fDia), t->hora, "", soluc.getText(r, fProf), "",
                         soluc.getText(r, fAsig)});
    ++horariosOcupacion_;
  }

  // Both files are staged before either replaces its old one.
  std::vector<io::StagedFile> archivos;
  archivos.emplace_back(ArchivoResultado(), DocXML.serialize());
  archivos.emplace_back(io::findFile(dir_, std::string(tables::DIASHORAST) + ".DBF"), tramos.serialize());
  io::commitAll(archivos);
  io::removeTableIndex(archivos.back().target());
}

}  // namespace zi
