// Steps six to nine: the assignments. Default assignments for every subject
// and group of its course, then the group timetables turn them into real ones,
// the occupation timetables add the task rows and every row gets its lesson
// pattern, and last the groups and teachers without classes may be removed.
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "exportar/exportar_run.h"
#include "tables/working_tables.h"
#include "text/Clipper.h"
#include "xml/itaca_paths.h"

namespace zi {
namespace {

std::string val(const xml::Element& e, std::string_view atributo) { return QuitarBlancos(e.attr(atributo)); }
bool enBlanco(const std::string& s) { return QuitarBlancos(s).empty(); }

// Fills a blank teacher or room of an assignment.
void completar(dbf::Table& asig, dbf::RecNo r, const std::string& profesor, const std::string& aula) {
  if (enBlanco(asig.getText(r, "CPROF"))) asig.setText(r, "CPROF", profesor);
  if (enBlanco(asig.getText(r, "CAULA"))) asig.setText(r, "CAULA", aula);
}

}  // namespace

std::string PatronSesiones(long c) {
  if (c <= 0) return "";
  auto digito = [](long d) { return static_cast<char>('0' + d); };
  if (c <= 14) return std::string(c, '1');
  if (c <= 22) return digito(c - 13) + std::string(13, '1');
  const long q = c / 14, m = c - 14 * q, r = c - 13 * q;
  if (q <= 9) {
    if (m == 0) return std::string(14, digito(q));
    if (r <= 9) return digito(r) + std::string(13, digito(q));
    if (r - 9 + q <= 9) return std::string(1, '9') + digito(r - 9 + q) + std::string(12, digito(q));
  }
  // Past what fourteen digits can hold: the hours spread as evenly as they go
  // over fourteen lessons, or over more (up to twenty) when fourteen are too
  // few, the longer lessons first.
  const long k = std::max(14L, (c + 8) / 9);
  if (k > 20) return "";
  const long base = c / k, resto = c % k;
  return std::string(resto, digito(base + 1)) + std::string(k - resto, digito(base));
}

void ExportarRun::GenerarAsignaciones() {
  namespace C = itaca::contenido;
  crear(tables::ASIGT);
  dbf::Table& asig = tabla(tables::ASIGT);
  dbf::Table& nom = tabla(tables::ASIGNOMT);
  dbf::Table& grupos = tabla(tables::GRUPOST);

  // The groups of each course, in table order.
  std::unordered_map<std::string, std::vector<dbf::RecNo>> gruposDeCurso;
  for (dbf::RecNo g = 1; g <= grupos.recordCount(); ++g)
    if (!grupos.isDeleted(g)) gruposDeCurso[grupos.getText(g, "CLAVECURSO")].push_back(g);
  const int clavecursoAncho = grupos.fields()[grupos.requireField("CLAVECURSO")].width;

  auto codigoPorNombre = [&](const std::string& nombre) {
    auto r = nom.locate("NOMBRE", nombre);
    return r ? nom.getText(*r, "COD") : std::string();
  };

  for (const auto& e : DocXML.select(itaca::kContenidos)) {
    const std::string curso = val(e, C::curso), codigo = val(e, C::codigo);
    std::string cod;
    if (auto r = nom.locate("ABREV_ITACA", codigo)) cod = nom.getText(*r, "COD");
    if (cod.empty() && ComboBoxValCast == kCastellano) cod = codigoPorNombre(val(e, C::nombre_cas));
    if (cod.empty() && ComboBoxValCast == kValencia) cod = codigoPorNombre(val(e, C::nombre_val));
    if (cod.empty()) {
      avisos_.add(TipoAviso::ContenidoSinAsignatura, {{"contenido", codigo}, {"curso", curso}},
                  "No se encuentra su asignatura ni por código ni por nombre: no tiene asignaciones.");
      continue;
    }
    auto it = static_cast<int>(curso.size()) <= clavecursoAncho ? gruposDeCurso.find(curso) : gruposDeCurso.end();
    if (it == gruposDeCurso.end()) {
      avisos_.add(TipoAviso::ContenidoSinGrupos, {{"contenido", codigo}, {"curso", curso}},
                  "Ningún grupo pertenece al curso del contenido: no tiene asignaciones.");
      continue;
    }
    for (dbf::RecNo g : it->second) {
      dbf::RecNo r = asig.append();
      asig.setText(r, "CASIG", cod);
      asig.setText(r, "CGRUP", grupos.getText(g, "ABREV"));
      for (const char* f : {"TURNO", "NIVEL", "CURSO", "GRUPO"}) asig.setText(r, f, grupos.getText(g, f));
      asig.setFloat(r, "HORAS", 4);
      asig.setText(r, "SESIONES", "1111");
      asig.setText(r, "CLAVE", grupos.getText(g, "CLAVE"));
      asig.setText(r, "CLAVECURSO", curso);
      asig.setText(r, "CTAREA", "*479");
      asig.setText(r, "ASIG_ITACA", codigo);
    }
  }
}

void ExportarRun::ImportarHorariosGrupo() {
  namespace H = itaca::horario_grupo;
  SoloPlantillaSel = 0;
  const auto lecciones = DocXML.select(itaca::kHorariosGrupo);
  if (lecciones.empty()) return;
  if (preguntas_.preguntar(kPreguntaTodasPlantillas) == Respuesta::Si) return;
  SoloPlantillaSel = 1;

  dbf::Table& asig = tabla(tables::ASIGT);
  dbf::Table& grupos = tabla(tables::GRUPOST);
  dbf::Table& profes = tabla(tables::PROFT);
  dbf::Table& aulas = tabla(tables::AULAT);
  std::unordered_set<dbf::RecNo> guardadas;

  for (const auto& e : lecciones) {
    const std::string plantilla = val(e, H::plantilla);
    if (plantilla != PlantillaSel) {
      avisos_.add(TipoAviso::LeccionOtraPlantilla,
                  {{"plantilla", plantilla}, {"grupo", val(e, H::grupo)}, {"contenido", val(e, H::contenido)}},
                  "La sesión es de otra plantilla que la elegida.");
      continue;
    }
    const std::string grupo = val(e, H::grupo), curso = val(e, H::curso), contenido = val(e, H::contenido),
                      docente = val(e, H::docente), aula = val(e, H::aula);
    auto R = asig.locate("CLAVE;CLAVECURSO;ASIG_ITACA", {grupo, curso, contenido});
    if (!R) {
      avisos_.add(TipoAviso::LeccionSinAsignacion,
                  {{"grupo", grupo}, {"curso", curso}, {"contenido", contenido}, {"docente", docente}},
                  "No hay asignación de ese grupo, curso y contenido: la sesión no cuenta.");
      continue;
    }
    std::string T, A;
    if (auto p = profes.locate("DNI", docente)) {
      T = profes.getText(*p, "ABREV");
    } else {
      avisos_.add(TipoAviso::DocenteNoEncontrado, {{"docente", docente}, {"grupo", grupo}, {"contenido", contenido}},
                  "Ningún docente tiene ese documento: la sesión cuenta sin profesor.");
    }
    if (auto a = aulas.locate("ABREV_ITACA", aula)) {
      A = aulas.getText(*a, "ABREV");
    } else if (!aula.empty()) {
      avisos_.add(TipoAviso::AulaNoEncontrada, {{"aula", aula}, {"grupo", grupo}, {"contenido", contenido}},
                  "Ninguna aula tiene ese código: la sesión cuenta sin aula.");
    }

    if (!guardadas.count(*R)) {  // the assignment's first lesson
      guardadas.insert(*R);
      asig.setFloat(*R, "HORAS", 1);
      completar(asig, *R, T, A);
    } else if (asig.getText(*R, "CPROF") == T) {
      asig.setFloat(*R, "HORAS", asig.getFloat(*R, "HORAS") + 1);
      completar(asig, *R, T, A);
    } else if (auto R2 = asig.locate("CLAVE;CLAVECURSO;ASIG_ITACA;CPROF", {grupo, curso, contenido, T})) {
      asig.setFloat(*R2, "HORAS", asig.getFloat(*R2, "HORAS") + 1);
      completar(asig, *R2, T, A);
    } else if (auto G = grupos.locate("ABREV", asig.getText(*R, "CGRUP"))) {
      // A further teacher of the same group and content: a row of its own.
      dbf::RecNo n = asig.append();
      asig.setText(n, "CASIG", asig.getText(*R, "CASIG"));
      asig.setText(n, "CPROF", T);
      asig.setText(n, "CGRUP", asig.getText(*R, "CGRUP"));
      asig.setText(n, "CAULA", A);
      for (const char* f : {"TURNO", "NIVEL", "CURSO", "GRUPO"}) asig.setText(n, f, grupos.getText(*G, f));
      asig.setFloat(n, "HORAS", 1);
      asig.setText(n, "SESIONES", "1111");
      asig.setText(n, "CLAVE", grupo);
      asig.setText(n, "CLAVECURSO", curso);
      asig.setText(n, "CTAREA", "*479");
      asig.setText(n, "ASIG_ITACA", contenido);
      guardadas.insert(n);
    } else {
      avisos_.add(TipoAviso::LeccionSinGrupo, {{"grupo", grupo}, {"contenido", contenido}, {"docente", docente}},
                  "El grupo de la asignación no está en GRUPOST: la sesión del otro profesor no cuenta.");
    }
  }

  for (dbf::RecNo r = 1; r <= asig.recordCount(); ++r)
    if (!asig.isDeleted(r) && !guardadas.count(r)) asig.remove(r);
  asig.pack();
}

void ExportarRun::ImportarHorariosOcupaciones() {
  namespace H = itaca::horario_ocupacion;
  const auto periodos = DocXML.select(itaca::kHorariosOcupaciones);
  dbf::Table& nom = tabla(tables::ASIGNOMT);
  dbf::Table& asig = tabla(tables::ASIGT);
  dbf::Table& profes = tabla(tables::PROFT);

  for (const auto& e : periodos) {
    const std::string ocupacion = val(e, H::ocupacion), docente = val(e, H::docente),
                      plantilla = val(e, H::plantilla);
    std::string K, T;
    if (auto r = nom.locate("ABREV_ITACA", ocupacion)) K = nom.getText(*r, "COD");
    if (auto p = profes.locate("DNI", docente)) T = profes.getText(*p, "ABREV");
    if (SoloPlantillaSel == 1 && plantilla != PlantillaSel) {
      avisos_.add(TipoAviso::LeccionOtraPlantilla,
                  {{"plantilla", plantilla}, {"ocupación", ocupacion}, {"docente", docente}},
                  "El periodo de ocupación es de otra plantilla que la elegida.");
      continue;
    }
    if (K.empty())
      avisos_.add(TipoAviso::OcupacionNoEncontrada, {{"ocupación", ocupacion}, {"docente", docente}},
                  "La ocupación no está entre las tareas: la asignación queda sin código de tarea.");
    if (T.empty())
      avisos_.add(TipoAviso::DocenteNoEncontrado, {{"docente", docente}, {"ocupación", ocupacion}},
                  "Ningún docente tiene ese documento: el periodo cuenta sin profesor.");
    if (auto r = asig.locate("CPROF;ASIG_ITACA", {T, ocupacion})) {
      asig.setFloat(*r, "HORAS", asig.getFloat(*r, "HORAS") + 1);
    } else {
      dbf::RecNo n = asig.append();
      asig.setText(n, "CASIG", K);
      asig.setText(n, "CPROF", T);
      asig.setFloat(n, "HORAS", 1);
      asig.setText(n, "CTAREA", K);
      asig.setText(n, "ASIG_ITACA", ocupacion);
    }
  }

  // Every row gets the pattern of its hours, also when the document holds no
  // occupation period: the hours counted from the group timetables need their
  // own pattern, not the default's four lessons.
  for (dbf::RecNo r = 1; r <= asig.recordCount(); ++r) {
    if (asig.isDeleted(r)) continue;
    const double horas = asig.getFloat(r, "HORAS");
    const long c = static_cast<long>(std::ceil(horas));
    const std::string patron = PatronSesiones(c);
    if (patron.empty() && c > 0)
      avisos_.add(TipoAviso::HorasSinPatron,
                  {{"asignatura", asig.getText(r, "CASIG")}, {"grupo", asig.getText(r, "CGRUP")},
                   {"profesor", asig.getText(r, "CPROF")}, {"horas", asig.getText(r, "HORAS")}},
                  "Las horas semanales no caben en veinte sesiones de nueve horas: SESIONES queda vacío.");
    asig.setText(r, "SESIONES", patron);
  }
}

void ExportarRun::QuitarSinClases() {
  if (SoloPlantillaSel != 1) return;
  dbf::Table& asig = tabla(tables::ASIGT);
  dbf::Table& profes = tabla(tables::PROFT);
  dbf::Table& grupos = tabla(tables::GRUPOST);
  auto sinClases = [&](dbf::Table& t, dbf::RecNo r, const char* campo) {
    return !asig.locate(campo, t.getText(r, "ABREV"));
  };

  for (dbf::RecNo g = 1; g <= grupos.recordCount(); ++g) {
    if (grupos.isDeleted(g) || !sinClases(grupos, g, "CGRUP")) continue;
    if (preguntas_.preguntar(kPreguntaQuitarSinClases) == Respuesta::No) return;
    break;
  }
  for (dbf::RecNo g = 1; g <= grupos.recordCount(); ++g) {
    if (grupos.isDeleted(g) || !sinClases(grupos, g, "CGRUP")) continue;
    avisos_.add(TipoAviso::GrupoQuitado,
                {{"grupo", grupos.getText(g, "ABREV")}, {"clave", grupos.getText(g, "CLAVE")}},
                "El grupo no tiene ninguna asignación en la plantilla elegida.");
    grupos.remove(g);
  }
  grupos.pack();
  for (dbf::RecNo p = 1; p <= profes.recordCount(); ++p) {
    if (profes.isDeleted(p) || !sinClases(profes, p, "CPROF")) continue;
    avisos_.add(TipoAviso::DocenteQuitado,
                {{"profesor", profes.getText(p, "ABREV")}, {"nombre", profes.getText(p, "NOMBRE")}},
                "El profesor no tiene ninguna asignación ni tarea en la plantilla elegida.");
    profes.remove(p);
  }
  profes.pack();
}

}  // namespace zi
