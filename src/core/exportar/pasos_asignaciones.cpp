// Steps six to nine: the assignments. Default assignments for every subject
// and group of its course, then the group timetables turn them into real ones,
// the occupation timetables add the task rows and every row gets its lesson
// pattern, and last the groups and teachers without classes may be removed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <utility>

#include "exportar/exportar_run.h"
#include "tables/working_tables.h"
#include "text/Clipper.h"
#include "xml/itaca_paths.h"

namespace zi {
namespace {

bool enBlanco(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// The fields of ASIGT and GRUPOST that the steps use on every row, looked up
// by name once per step.
struct CamposAsig {
  int casig, cprof, cgrup, caula, horas, sesiones, clave, clavecurso, ctarea, asigItaca;
  int copiados[4];  // TURNO, NIVEL, CURSO, GRUPO, as in GRUPOST
  explicit CamposAsig(const dbf::Table& t)
      : casig(t.requireField("CASIG")), cprof(t.requireField("CPROF")), cgrup(t.requireField("CGRUP")),
        caula(t.requireField("CAULA")), horas(t.requireField("HORAS")), sesiones(t.requireField("SESIONES")),
        clave(t.requireField("CLAVE")), clavecurso(t.requireField("CLAVECURSO")), ctarea(t.requireField("CTAREA")),
        asigItaca(t.requireField("ASIG_ITACA")),
        copiados{t.requireField("TURNO"), t.requireField("NIVEL"), t.requireField("CURSO"), t.requireField("GRUPO")} {}
};
struct CamposGrupo {
  int abrev, clave;
  int copiados[4];  // TURNO, NIVEL, CURSO, GRUPO
  explicit CamposGrupo(const dbf::Table& t)
      : abrev(t.requireField("ABREV")), clave(t.requireField("CLAVE")),
        copiados{t.requireField("TURNO"), t.requireField("NIVEL"), t.requireField("CURSO"), t.requireField("GRUPO")} {}
};

// Fills a blank teacher or room of an assignment.
void completar(dbf::Table& asig, const CamposAsig& c, dbf::RecNo r, std::string_view profesor,
               std::string_view aula) {
  if (enBlanco(asig.textView(r, c.cprof))) asig.setText(r, c.cprof, profesor);
  if (enBlanco(asig.textView(r, c.caula))) asig.setText(r, c.caula, aula);
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
  const CamposAsig a(asig);
  const CamposGrupo cg(grupos);

  // The groups of each course, in table order.
  std::unordered_map<std::string, std::vector<dbf::RecNo>> gruposDeCurso;
  for (dbf::RecNo g = 1; g <= grupos.recordCount(); ++g)
    if (!grupos.isDeleted(g)) gruposDeCurso[grupos.getText(g, "CLAVECURSO")].push_back(g);
  const int clavecursoAncho = grupos.fields()[grupos.requireField("CLAVECURSO")].width;

  auto codigoPorNombre = [&](const std::string& nombre) {
    auto r = nom.locate("NOMBRE", nombre);
    return r ? nom.getText(*r, "COD") : std::string();
  };

  // One row per content and group of its course at most: room for all of them
  // at once (within reason: the room is only taken as rows come), and half as
  // many again for the rows the lesson step adds for further teachers. Room
  // never written costs no memory, while outgrowing it copies the whole table.
  const auto contenidos = DocXML.select(itaca::kContenidos);
  std::size_t filas = 0;
  for (const auto& e : contenidos) {
    auto it = gruposDeCurso.find(e.trimmedAttr(C::curso));
    if (it != gruposDeCurso.end()) filas += it->second.size();
  }
  asig.reserve(static_cast<dbf::RecNo>(std::min<std::size_t>(filas + filas / 2, 1u << 18)));

  // Each group's first row: the rows after it copy what comes from the group.
  std::vector<dbf::RecNo> filaDeGrupo(grupos.recordCount() + 1, 0);
  for (const auto& e : contenidos) {
    const std::string curso = e.trimmedAttr(C::curso), codigo = e.trimmedAttr(C::codigo);
    std::string cod;
    if (auto r = nom.locate("ABREV_ITACA", codigo)) cod = nom.getText(*r, "COD");
    if (cod.empty() && ComboBoxValCast == kCastellano) cod = codigoPorNombre(e.trimmedAttr(C::nombre_cas));
    if (cod.empty() && ComboBoxValCast == kValencia) cod = codigoPorNombre(e.trimmedAttr(C::nombre_val));
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
    for (dbf::RecNo gr : it->second) {
      dbf::RecNo r;
      if (filaDeGrupo[gr] != 0) {
        // What comes from the group is already in its first row.
        r = asig.appendCopy(filaDeGrupo[gr]);
      } else {
        r = asig.append();
        asig.setText(r, a.cgrup, grupos.getText(gr, cg.abrev));
        for (int i = 0; i < 4; ++i) asig.setText(r, a.copiados[i], grupos.getText(gr, cg.copiados[i]));
        asig.setFloat(r, a.horas, 4);
        asig.setText(r, a.sesiones, "1111");
        asig.setText(r, a.clave, grupos.getText(gr, cg.clave));
        asig.setText(r, a.ctarea, "*479");
        filaDeGrupo[gr] = r;
      }
      asig.setText(r, a.casig, cod);
      asig.setText(r, a.clavecurso, curso);
      asig.setText(r, a.asigItaca, codigo);
    }
  }
}

void ExportarRun::ImportarHorariosGrupo() {
  SoloPlantillaSel = 0;
  // The lessons come a block at a time from the reading Ejecutar started, or
  // from the step's own reading when it runs by itself.
  std::deque<ListaLecciones> propias;
  if (!lecturaLecciones_) propias = LecturaLecciones::LeerTodas(DocXML);
  auto siguientes = [&] {
    if (lecturaLecciones_) return lecturaLecciones_->siguiente();
    if (propias.empty()) return ListaLecciones{};
    ListaLecciones b = std::move(propias.front());
    propias.pop_front();
    return b;
  };
  ListaLecciones lecciones = siguientes();
  if (lecciones.size() == 0) return;
  if (preguntas_.preguntar(kPreguntaTodasPlantillas) == Respuesta::Si) return;
  SoloPlantillaSel = 1;

  dbf::Table& asig = tabla(tables::ASIGT);
  dbf::Table& grupos = tabla(tables::GRUPOST);
  dbf::Table& profes = tabla(tables::PROFT);
  dbf::Table& aulas = tabla(tables::AULAT);
  const CamposAsig c(asig);
  const CamposGrupo cg(grupos);
  const int profAbrev = profes.requireField("ABREV"), aulaAbrev = aulas.requireField("ABREV");
  // The lessons counted into each row, by record number (rows appended here
  // too): a row's HORAS once every lesson is read; no lesson, no row.
  std::vector<std::uint32_t> horas(asig.recordCount() + 1, 0);
  auto contadas = [&](dbf::RecNo r) { return r < horas.size() ? horas[r] : 0; };
  auto contar = [&](dbf::RecNo r) {
    if (r >= horas.size()) horas.resize(r + 1, 0);
    ++horas[r];
  };

  for (; lecciones.size() > 0; lecciones = siguientes()) {
    for (std::size_t k = 0; k < lecciones.size(); ++k) {
      const std::string_view plantilla = lecciones.valor(k, 0), grupo = lecciones.valor(k, 1),
                             curso = lecciones.valor(k, 2), contenido = lecciones.valor(k, 3),
                             docente = lecciones.valor(k, 4), aula = lecciones.valor(k, 5);
      if (plantilla != PlantillaSel) {
        avisos_.add(TipoAviso::LeccionOtraPlantilla,
                    {{"plantilla", plantilla}, {"grupo", grupo}, {"contenido", contenido}},
                    "La sesión es de otra plantilla que la elegida.");
        continue;
      }
      auto R = asig.locate("CLAVE;CLAVECURSO;ASIG_ITACA", {grupo, curso, contenido});
      if (!R) {
        avisos_.add(TipoAviso::LeccionSinAsignacion,
                    {{"grupo", grupo}, {"curso", curso}, {"contenido", contenido}, {"docente", docente}},
                    "No hay asignación de ese grupo, curso y contenido: la sesión no cuenta.");
        continue;
      }
      // Views of PROFT and AULAT, which this step does not change.
      std::string_view T, A;
      if (auto p = profes.locate("DNI", docente)) {
        T = profes.textView(*p, profAbrev);
      } else {
        avisos_.add(TipoAviso::DocenteNoEncontrado,
                    {{"docente", docente}, {"grupo", grupo}, {"contenido", contenido}},
                    "Ningún docente tiene ese documento: la sesión cuenta sin profesor.");
      }
      if (auto a = aulas.locate("ABREV_ITACA", aula)) {
        A = aulas.textView(*a, aulaAbrev);
      } else if (!aula.empty()) {
        avisos_.add(TipoAviso::AulaNoEncontrada,
                    {{"aula", aula}, {"grupo", grupo}, {"contenido", contenido}},
                    "Ninguna aula tiene ese código: la sesión cuenta sin aula.");
      }

      if (contadas(*R) == 0) {  // the assignment's first lesson
        contar(*R);
        completar(asig, c, *R, T, A);
      } else if (asig.textView(*R, c.cprof) == T) {
        contar(*R);
        completar(asig, c, *R, T, A);
      } else if (auto R2 = asig.locate("CLAVE;CLAVECURSO;ASIG_ITACA;CPROF", {grupo, curso, contenido, T})) {
        contar(*R2);
        completar(asig, c, *R2, T, A);
      } else if (auto G = grupos.locate("ABREV", asig.getText(*R, c.cgrup))) {
        // A further teacher of the same group and content: a row of its own.
        dbf::RecNo n = asig.append();
        asig.setText(n, c.casig, asig.getText(*R, c.casig));
        asig.setText(n, c.cprof, T);
        asig.setText(n, c.cgrup, asig.getText(*R, c.cgrup));
        asig.setText(n, c.caula, A);
        for (int i = 0; i < 4; ++i) asig.setText(n, c.copiados[i], grupos.getText(*G, cg.copiados[i]));
        asig.setText(n, c.sesiones, "1111");
        asig.setText(n, c.clave, grupo);
        asig.setText(n, c.clavecurso, curso);
        asig.setText(n, c.ctarea, "*479");
        asig.setText(n, c.asigItaca, contenido);
        contar(n);
      } else {
        avisos_.add(TipoAviso::LeccionSinGrupo,
                    {{"grupo", grupo}, {"contenido", contenido}, {"docente", docente}},
                    "El grupo de la asignación no está en GRUPOST: la sesión del otro profesor no cuenta.");
      }
    }
  }

  std::vector<dbf::RecNo> sinLecciones;
  for (dbf::RecNo r = 1; r <= asig.recordCount(); ++r) {
    if (asig.isDeleted(r)) continue;
    if (contadas(r) == 0) sinLecciones.push_back(r);
    else asig.setFloat(r, c.horas, contadas(r));
  }
  asig.remove(sinLecciones);
  asig.pack();
}

void ExportarRun::ImportarHorariosOcupaciones() {
  namespace H = itaca::horario_ocupacion;
  dbf::Table& nom = tabla(tables::ASIGNOMT);
  dbf::Table& asig = tabla(tables::ASIGT);
  dbf::Table& profes = tabla(tables::PROFT);
  const CamposAsig ca(asig);
  const int nomCod = nom.requireField("COD"), profAbrev = profes.requireField("ABREV");

  static const xml::AttrNames nombres{H::ocupacion, H::docente, H::plantilla};
  std::string valores[3];
  DocXML.forEach(itaca::kHorariosOcupaciones, [&](const xml::Element& e) {
    e.attrs(nombres, valores);
    for (auto& v : valores) QuitarBlancosEn(v);
    const std::string &ocupacion = valores[0], &docente = valores[1], &plantilla = valores[2];
    std::string K, T;
    if (auto r = nom.locate("ABREV_ITACA", ocupacion)) K = nom.getText(*r, nomCod);
    if (auto p = profes.locate("DNI", docente)) T = profes.getText(*p, profAbrev);
    if (SoloPlantillaSel == 1 && plantilla != PlantillaSel) {
      avisos_.add(TipoAviso::LeccionOtraPlantilla,
                  {{"plantilla", plantilla}, {"ocupación", ocupacion}, {"docente", docente}},
                  "El periodo de ocupación es de otra plantilla que la elegida.");
      return;
    }
    if (K.empty())
      avisos_.add(TipoAviso::OcupacionNoEncontrada, {{"ocupación", ocupacion}, {"docente", docente}},
                  "La ocupación no está entre las tareas: la asignación queda sin código de tarea.");
    if (T.empty())
      avisos_.add(TipoAviso::DocenteNoEncontrado, {{"docente", docente}, {"ocupación", ocupacion}},
                  "Ningún docente tiene ese documento: el periodo cuenta sin profesor.");
    if (auto r = asig.locate("CPROF;ASIG_ITACA", {T, ocupacion})) {
      asig.setFloat(*r, ca.horas, asig.getFloat(*r, ca.horas) + 1);
    } else {
      dbf::RecNo n = asig.append();
      asig.setText(n, ca.casig, K);
      asig.setText(n, ca.cprof, T);
      asig.setFloat(n, ca.horas, 1);
      asig.setText(n, ca.ctarea, K);
      asig.setText(n, ca.asigItaca, ocupacion);
    }
  });

  // Every row gets the pattern of its hours, also when the document holds no
  // occupation period: the hours counted from the group timetables need their
  // own pattern, not the default's four lessons.
  for (dbf::RecNo r = 1; r <= asig.recordCount(); ++r) {
    if (asig.isDeleted(r)) continue;
    const double horas = asig.getFloat(r, ca.horas);
    const long c = static_cast<long>(std::ceil(horas));
    const std::string patron = PatronSesiones(c);
    if (patron.empty() && c > 0)
      avisos_.add(TipoAviso::HorasSinPatron,
                  {{"asignatura", asig.getText(r, "CASIG")}, {"grupo", asig.getText(r, "CGRUP")},
                   {"profesor", asig.getText(r, "CPROF")}, {"horas", asig.getText(r, "HORAS")}},
                  "Las horas semanales no caben en veinte sesiones de nueve horas: SESIONES queda vacío.");
    asig.setText(r, ca.sesiones, patron);
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
