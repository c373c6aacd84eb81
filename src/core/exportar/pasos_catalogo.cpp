// Steps one to five: teachers, courses and groups, subjects, occupations and
// rooms. Each rebuilds its table from one or more lists of the document.
#include <unordered_map>

#include "exportar/codigos.h"
#include "exportar/exportar_run.h"
#include "tables/working_tables.h"
#include "text/Clipper.h"
#include "text/cp1252.h"
#include "xml/itaca_paths.h"

namespace zi {
namespace {

using Datos = std::vector<std::pair<std::string, std::string>>;

// An attribute as the steps use it: trimmed of blanks.

std::string primera(const std::string& s) { return Izquierda(s, 1); }

// Long code of a subject or task name: the first ten characters of a short
// name, the first character and the initials of a long one; only a..z raised.
std::string CodigoLargo(const std::string& nombre) {
  std::string c = nombre.size() <= 11 ? Izquierda(nombre, 10) : primera(nombre) + Iniciales(nombre, " ");
  return text::upperAscii(c);
}

// First match of a key in document order: later duplicates do not replace it.
using PrimeraCoincidencia = std::unordered_map<std::string, std::string>;

}  // namespace

void ExportarRun::ImportarDocentes() {
  namespace D = itaca::docente;
  crear(tables::PROFT);
  dbf::Table& t = tabla(tables::PROFT);
  CodigosDados dados(true);
  for (const auto& e : DocXML.select(itaca::kDocentes)) {
    const std::string ap1 = e.trimmedAttr(D::apellido1), ap2 = e.trimmedAttr(D::apellido2),
                      nom = e.trimmedAttr(D::nombre);
    const std::string nombre = ap1 + " " + ap2 + ", " + nom;
    const std::string fecha = e.trimmedAttr(D::tipo_docente) == "D" ? e.trimmedAttr(D::fecha_ingreso) : "";
    std::string email = e.trimmedAttr(D::email1);
    if (email.empty()) email = e.trimmedAttr(D::email2);
    std::string codigo = primera(ap1) + primera(ap2) + primera(nom);
    if (dados.contiene(codigo)) codigo = dados.primeroLibre(Izquierda(codigo, 3));
    dados.add(codigo);
    dbf::RecNo r = t.append();
    t.setText(r, "ABREV", codigo);
    t.setText(r, "NOMBRE", nombre);
    t.setText(r, "EMAIL", email);
    t.setText(r, "DNI", e.trimmedAttr(D::documento));
    t.setText(r, "F_TOMAPOS", fecha);
    t.setText(r, "ENSENANZA", e.trimmedAttr(D::ensenanza));
  }
}

void ExportarRun::ImportarCursosGrupos() {
  crear(tables::CURSOST);
  crear(tables::GRUPOST);
  dbf::Table& cursos = tabla(tables::CURSOST);
  dbf::Table& grupos = tabla(tables::GRUPOST);
  dbf::Table& profes = tabla(tables::PROFT);

  PrimeraCoincidencia nivelDe;  // teaching branch -> its short name
  for (const auto& e : DocXML.select(itaca::kEnsenanzas))
    nivelDe.emplace(e.trimmedAttr(itaca::ensenanza::ensenanza), e.trimmedAttr(itaca::ensenanza::abreviatura));
  auto nivel = [&](const std::string& ensenanza) {
    auto it = nivelDe.find(ensenanza);
    return it == nivelDe.end() ? std::string() : it->second;
  };

  namespace C = itaca::curso;
  for (const auto& e : DocXML.select(itaca::kCursos)) {
    const std::string abreviatura = e.trimmedAttr(C::abreviatura);
    const bool cifra = !abreviatura.empty() && abreviatura[0] >= '0' && abreviatura[0] <= '9';
    if (e.trimmedAttr(C::padre).empty() && !cifra) {
      avisos_.add(TipoAviso::CursoSinDigito, {{"curso", e.trimmedAttr(C::codigo)}, {"abreviatura", abreviatura}},
                  "Un curso sin curso padre cuya abreviatura no empieza por una cifra no se toma.");
      continue;
    }
    dbf::RecNo r = cursos.append();
    cursos.setText(r, "ABREV", Izquierda(abreviatura, 3));
    cursos.setText(r, "TURNO", TurnoSel);
    cursos.setText(r, "NIVEL", nivel(e.trimmedAttr(C::ensenanza)));
    cursos.setText(r, "CURSO", primera(abreviatura));
    cursos.setText(r, "CLAVE", e.trimmedAttr(C::codigo));
    cursos.setText(r, "ESTUD", abreviatura);
  }

  PrimeraCoincidencia cursoDeGrupo;
  for (const auto& e : DocXML.select(itaca::kCursosGrupo))
    cursoDeGrupo.emplace(e.trimmedAttr(itaca::curso_grupo::grupo), e.trimmedAttr(itaca::curso_grupo::curso));

  namespace G = itaca::grupo;
  CodigosDados dados(true);
  for (const auto& e : DocXML.select(itaca::kGrupos)) {
    const std::string clave = e.trimmedAttr(G::codigo);
    const std::string ensenanza = e.trimmedAttr(G::ensenanza);
    auto cg = cursoDeGrupo.find(clave);
    std::string tutor = e.trimmedAttr(G::tutor_ppal);
    if (tutor.empty()) tutor = e.trimmedAttr(G::tutor_sec);
    std::string abrevTutor;
    if (auto p = profes.locate("DNI", tutor)) {
      abrevTutor = profes.getText(*p, "ABREV");
    } else if (!tutor.empty()) {
      avisos_.add(TipoAviso::TutorNoEncontrado, {{"grupo", clave}, {"tutor", tutor}},
                  "El tutor del grupo no está entre los docentes: el grupo queda sin tutor.");
    }

    std::string codigo = clave;
    if (dados.contiene(codigo)) codigo = dados.primeroLibre(codigo.size() >= 10 ? Izquierda(codigo, 9) : codigo);
    if (codigo.size() > 10) codigo = Izquierda(codigo, 8) + Derecha(codigo, 2);
    dados.add(codigo);

    dbf::RecNo r = grupos.append();
    grupos.setText(r, "ABREV", codigo);
    grupos.setText(r, "TURNO", e.trimmedAttr(G::turno));
    grupos.setText(r, "NIVEL", nivel(ensenanza));
    grupos.setText(r, "CURSO", primera(clave));
    grupos.setText(r, "GRUPO", Derecha(clave, 1));
    grupos.setText(r, "DESCRIP", e.trimmedAttr(G::nombre));
    grupos.setText(r, "MARCO", "0");
    grupos.setText(r, "CLAVE", clave);
    grupos.setText(r, "CLAVECURSO", cg == cursoDeGrupo.end() ? std::string() : cg->second);
    grupos.setText(r, "ENSENANZA", ensenanza);
    grupos.setText(r, "TUTOR", abrevTutor);
  }
}

void ExportarRun::ImportarContenidos() {
  namespace C = itaca::contenido;
  crear(tables::ASIGNOMT);
  dbf::Table& asig = tabla(tables::ASIGNOMT);
  dbf::Table& cursos = tabla(tables::CURSOST);
  const bool valenciano = ComboBoxValCast == kValencia;
  for (const auto& e : DocXML.select(itaca::kContenidos)) {
    const std::string c = e.trimmedAttr(C::codigo);
    std::string nivel, curso;
    if (auto r = cursos.locate("CLAVE", e.trimmedAttr(C::curso))) {
      nivel = cursos.getText(*r, "NIVEL");
      curso = cursos.getText(*r, "CURSO");
    }
    const std::string nombre = e.trimmedAttr(valenciano ? C::nombre_val : C::nombre_cas);
    NombresUsados.insert(nombre);
    if (!ContenidosUsados.count(c)) {
      const std::string corto = c.size() > 10 ? Izquierda(c, 8) + Derecha(c, 2) : c;
      if (CodigosUsados.count(corto)) {
        avisos_.add(TipoAviso::ContenidoCodigoOcupado, {{"contenido", c}, {"nombre", nombre}, {"código", corto}},
                    "Su código corto ya lo tiene otra asignatura: el contenido no entra en ASIGNOMT.");
        continue;
      }
      CodigosUsados.insert(corto);
      ContenidosUsados.insert(c);
      dbf::RecNo r = asig.append();
      asig.setText(r, "COD", corto);
      asig.setText(r, "CODLARGO", CodigoLargo(nombre));
      asig.setText(r, "NOMBRE", nombre);
      asig.setLogical(r, "ESTAREA", false);
      asig.setText(r, "DENIVEL", nivel);
      asig.setText(r, "DECURSO", curso);
      asig.setText(r, "ABREV_ITACA", c);
    } else if (auto r = asig.locate("ABREV_ITACA", c)) {
      // The same content in another course: level and course number are kept
      // only while every element agrees on them.
      if (asig.getText(*r, "DENIVEL") != nivel) asig.setText(*r, "DENIVEL", "");
      if (asig.getText(*r, "DECURSO") != curso) asig.setText(*r, "DECURSO", "");
    }
  }
}

void ExportarRun::ImportarOcupaciones() {
  namespace O = itaca::ocupacion;
  dbf::Table& asig = tabla(tables::ASIGNOMT);
  const bool valenciano = ComboBoxValCast == kValencia;
  for (const auto& e : DocXML.select(itaca::kOcupaciones)) {
    const std::string c = e.trimmedAttr(O::codigo);
    const std::string nombre = e.trimmedAttr(valenciano ? O::nombre_val : O::nombre_cas);
    std::string tarea = "*" + Derecha(c, 3);
    if (NombresUsados.count(nombre)) {
      avisos_.add(TipoAviso::OcupacionNombreRepetido, {{"ocupación", c}, {"nombre", nombre}},
                  "Ya hay una asignatura u ocupación con ese nombre: la ocupación no entra como tarea.");
      continue;
    }
    NombresUsados.insert(nombre);
    if (CodigosUsados.count(tarea)) {
      const std::string base = Izquierda(tarea, 3);
      std::string libre;
      for (int letra = 'A'; letra <= 0xFF && libre.empty(); ++letra) {
        std::string candidato = base + static_cast<char>(letra);
        if (!CodigosUsados.count(candidato)) libre = candidato;
      }
      if (libre.empty()) {
        avisos_.add(TipoAviso::OcupacionSinCodigoLibre, {{"ocupación", c}, {"nombre", nombre}},
                    "No queda ningún código de tarea libre con la base " + text::cp1252ToUtf8(base) + ".");
        continue;
      }
      tarea = libre;
    }
    CodigosUsados.insert(tarea);
    dbf::RecNo r = asig.append();
    asig.setText(r, "COD", tarea);
    asig.setText(r, "CODLARGO", CodigoLargo(nombre));
    asig.setText(r, "NOMBRE", nombre);
    asig.setText(r, "CODTAREA", c);
    asig.setLogical(r, "ESTAREA", true);
    asig.setText(r, "ABREV_ITACA", c);
  }
  CodigosUsados.clear();
  NombresUsados.clear();
  ContenidosUsados.clear();
}

void ExportarRun::ImportarAulas() {
  namespace A = itaca::aula;
  crear(tables::AULAT);
  dbf::Table& t = tabla(tables::AULAT);
  CodigosDados dados(true);
  for (const auto& e : DocXML.select(itaca::kAulas)) {
    const std::string nombre = e.trimmedAttr(A::nombre);
    const std::string itaca = e.trimmedAttr(A::codigo);
    std::string codigo = itaca.empty() ? Izquierda(nombre, 4) : itaca;
    if (dados.contiene(codigo)) codigo = dados.primeroLibre(codigo.size() > 10 ? Izquierda(codigo, 9) : codigo);
    if (codigo.size() > 10) codigo = dados.primeroLibre(Izquierda(codigo, 8));
    dados.add(codigo);
    dbf::RecNo r = t.append();
    t.setText(r, "ABREV", codigo);
    t.setText(r, "NOMBRE", nombre);
    t.setText(r, "ABREV_ITACA", itaca);
  }
}

}  // namespace zi
