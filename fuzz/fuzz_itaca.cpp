// Any bytes as an ITACA document. Loading either fails with an XmlError or
// gives a document that every reader of the tool can walk: each path and
// attribute it reads, the template choice, the ten exportar steps (in memory:
// nothing is written to disk) and the written forms of the seven tables and
// of the document itself. A step may stop a run only with the run's own
// errors; anything else (or a sanitizer finding) is a fault.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "exportar/exportar_run.h"
#include "plantillas/plantillas.h"
#include "run/errores.h"
#include "run/preguntas.h"
#include "tables/working_tables.h"
#include "xml/itaca_paths.h"
#include "xml/xml_document.h"

namespace {

namespace it = zi::itaca;

struct Ruta {
  std::string_view path;
  std::vector<std::string_view> attrs;
};

const std::vector<Ruta>& Rutas() {
  static const std::vector<Ruta> rutas = {
      {it::kCentro, {it::centro::codigo, it::centro::denominacion, it::centro::curso, it::centro::fecha_exportacion,
                     it::centro::version}},
      {it::kDocentes, {it::docente::apellido1, it::docente::apellido2, it::docente::nombre, it::docente::tipo_docente,
                       it::docente::fecha_ingreso, it::docente::documento, it::docente::ensenanza,
                       it::docente::email1, it::docente::email2}},
      {it::kCursos, {it::curso::codigo, it::curso::abreviatura, it::curso::padre, it::curso::ensenanza}},
      {it::kEnsenanzas, {it::ensenanza::ensenanza, it::ensenanza::abreviatura}},
      {it::kCursosGrupo, {it::curso_grupo::grupo, it::curso_grupo::curso}},
      {it::kGrupos, {it::grupo::codigo, it::grupo::nombre, it::grupo::turno, it::grupo::ensenanza,
                     it::grupo::tutor_ppal, it::grupo::tutor_sec}},
      {it::kContenidos, {it::contenido::codigo, it::contenido::curso, it::contenido::nombre_val,
                         it::contenido::nombre_cas}},
      {it::kOcupaciones, {it::ocupacion::codigo, it::ocupacion::nombre_val, it::ocupacion::nombre_cas}},
      {it::kAulas, {it::aula::codigo, it::aula::nombre}},
      {it::kPlantillasHorario, {it::plantilla_horario::codigo, it::plantilla_horario::descripcion_val,
                                it::plantilla_horario::descripcion_cas, it::plantilla_horario::turno}},
      {it::kSesionesHorario, {it::sesion_horario::plantilla, it::sesion_horario::dia_semana,
                              it::sesion_horario::sesion_orden, it::sesion_horario::hora_desde,
                              it::sesion_horario::hora_hasta}},
      {it::kHorariosGrupo, {it::horario_grupo::plantilla, it::horario_grupo::grupo, it::horario_grupo::curso,
                            it::horario_grupo::contenido, it::horario_grupo::docente, it::horario_grupo::aula}},
      {it::kHorariosOcupaciones, {it::horario_ocupacion::ocupacion, it::horario_ocupacion::docente,
                                  it::horario_ocupacion::plantilla}},
  };
  return rutas;
}

// Only the chosen template's timetables; groups and teachers without classes
// removed (the command line's answers).
class Respuestas : public zi::Preguntas {
 public:
  zi::Respuesta preguntar(const std::string& texto) override {
    return texto == zi::kPreguntaTodasPlantillas ? zi::Respuesta::No : zi::Respuesta::Si;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zi::xml::Document doc;
  try {
    doc = zi::xml::Document::parse(bytes, "fuzz.xml");
  } catch (const zi::xml::XmlError&) {
    return 0;
  }

  for (const auto& r : Rutas()) {
    for (const auto& e : doc.select(r.path)) {
      (void)e.name();
      for (auto a : r.attrs) {
        // A missing attribute reads as the empty text.
        const std::string v = e.attr(a);
        if (!e.hasAttr(a) && !v.empty()) __builtin_trap();
      }
    }
    (void)doc.selectFirst(r.path);
  }
  (void)doc.serialize();

  zi::CatalogoPlantillas cat(doc);
  std::set<std::string> vistos;
  std::vector<std::string> codigos;
  for (const auto& c : cat.codigos())
    if (vistos.insert(c).second && codigos.size() < 3) codigos.push_back(c);
  for (const auto& c : codigos) {
    (void)cat.nombre(c, zi::kValencia);
    (void)cat.nombre(c, zi::kCastellano);
    (void)cat.turno(c);
  }

  Respuestas respuestas;
  zi::ExportarRun run("/nonexistent-zi-fuzz", respuestas);
  run.UsarDocumento(std::move(doc), "fuzz.xml");
  // The language follows the input's size, so both are tried.
  const std::string_view idioma = size % 2 ? zi::kCastellano : zi::kValencia;
  run.ComboBoxValCast = std::string(idioma);
  if (!codigos.empty()) run.AplicarPlantilla(zi::Elegir(cat, codigos.front()), idioma);
  try {
    run.ImportarDocentes();
    run.ImportarCursosGrupos();
    run.ImportarContenidos();
    run.ImportarOcupaciones();
    run.ImportarAulas();
    run.GenerarAsignaciones();
    run.ImportarHorariosGrupo();
    run.ImportarHorariosOcupaciones();
    run.QuitarSinClases();
    run.CrearTramos();
  } catch (const zi::RunError&) {
    return 0;  // a period line that cannot be read
  }
  for (const auto& nombre : zi::tables::builtTables()) (void)run.tabla(nombre).serialize();
  return 0;
}
