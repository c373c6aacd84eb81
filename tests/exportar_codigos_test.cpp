// The code rules of the first five steps: teachers, courses and groups,
// subjects, occupations and rooms.
#include <gtest/gtest.h>

#include "exportar/exportar_run.h"
#include "support/escuela.h"
#include "support/tablas.h"
#include "tables/working_tables.h"

namespace zi {
namespace {

using test::Centro;
using test::W;
using Attrs = std::vector<std::pair<std::string, std::string>>;

class SinPreguntas : public Preguntas {
 public:
  Respuesta preguntar(const std::string&) override { return Respuesta::No; }
};

// Loads a document and runs the steps up to (and including) `hasta`.
class Pasos : public ::testing::Test {
 protected:
  ExportarRun& cargar(const std::vector<test::Lista>& listas, const std::string& idioma = std::string(kValencia)) {
    test::Escribir(dir_ / "centro.xml", Centro(listas));
    run_ = std::make_unique<ExportarRun>(dir_.path(), preguntas_);
    run_->CargarDocumento(dir_ / "centro.xml");
    run_->ComboBoxValCast = idioma;
    return *run_;
  }
  // The values of one field, row by row (live rows only).
  std::vector<std::string> columna(const std::string& tabla, const std::string& campo) {
    return test::Columna(run_->tabla(tabla), campo);
  }
  std::vector<std::string> avisos(TipoAviso tipo) {
    std::vector<std::string> v;
    for (const auto& a : run_->avisos().lista())
      if (a.tipo == tipo) v.push_back(a.datos.empty() ? "" : a.datos[0].second);
    return v;
  }

  test::DirTemporal dir_;
  SinPreguntas preguntas_;
  std::unique_ptr<ExportarRun> run_;
};

Attrs Docente(const std::string& ap1, const std::string& ap2, const std::string& nom, const std::string& doc = "1",
              const std::string& tipo = "D") {
  return {{"apellido1", ap1}, {"apellido2", ap2}, {"nombre", nom}, {"tipo_docente", tipo},
          {"fecha_ingreso", "01/09/2010"}, {"documento", doc}, {"ensenanza", "ESO"},
          {"email1", " "}, {"email2", "b@x.es"}};
}

TEST_F(Pasos, TeacherCodesAreInitialsMadeUniqueWithoutRegardToCase) {
  cargar({{"docentes/docente",
           {Docente("P\xC3\xA9rez", "G\xC3\xB3mez", "Ana"), Docente("Pons", "Garc\xC3\xAD" "a", "Alberto"),
            Docente("Puig", "Gil", "Amparo"), Docente("p\xC3\xA9rez", "g\xC3\xB3mez", "ana"),
            Docente("", "", ""), Docente("", "", ""), Docente("", "", ""),
            Docente("Soler", "", "Rosa", "2", "d"), Docente(" Vidal ", " Mas ", " Pau ", "3", " D ")}}});
  run_->ImportarDocentes();
  EXPECT_EQ(columna("PROFT", "ABREV"),
            (std::vector<std::string>{"PGA", "PGA1", "PGA2", "pga3", "", "1", "2", "SR", "VMP"}));
  const auto nombres = columna("PROFT", "NOMBRE");
  EXPECT_EQ(nombres[0], W("P\xC3\xA9rez G\xC3\xB3mez, Ana"));
  EXPECT_EQ(nombres[7], "Soler , Rosa");  // no second surname: the blank stays before the comma
  EXPECT_EQ(nombres[8], "Vidal Mas, Pau");
  const auto fechas = columna("PROFT", "F_TOMAPOS");
  EXPECT_EQ(fechas[7], "");  // tipo "d" is no "D"
  EXPECT_EQ(fechas[8], "01/09/2010");
  EXPECT_EQ(columna("PROFT", "EMAIL")[0], "b@x.es");
}

TEST_F(Pasos, OneElementListsAreTakenLikeAnyOther) {
  cargar({{"docentes/docente", {Docente("Roig", "Sanz", "Marta")}},
          {"aulas/aula", {{{"codigo", "A1"}, {"nombre", "Aula 1"}}}},
          {"cursos/curso", {{{"codigo", "11"}, {"abreviatura", "1ESO"}, {"padre", " "}, {"ensenanza", "E"}}}},
          {"ensenanzas/ensenanza", {{{"ensenanza", "E"}, {"abreviatura", "ESO"}}}}});
  run_->ImportarDocentes();
  run_->ImportarCursosGrupos();
  run_->ImportarAulas();
  EXPECT_EQ(columna("PROFT", "ABREV"), (std::vector<std::string>{"RSM"}));
  EXPECT_EQ(columna("AULAT", "ABREV"), (std::vector<std::string>{"A1"}));
  EXPECT_EQ(columna("CURSOST", "NIVEL"), (std::vector<std::string>{"ESO"}));
}

Attrs Curso(const std::string& codigo, const std::string& abrev, const std::string& padre = " ") {
  return {{"codigo", codigo}, {"abreviatura", abrev}, {"padre", padre}, {"ensenanza", "E1"}};
}
Attrs Grupo(const std::string& codigo, const std::string& tutor = " ", const std::string& tutor2 = " ") {
  return {{"codigo", codigo}, {"nombre", "Grupo " + codigo}, {"turno", "Matinal"}, {"ensenanza", "E2"},
          {"tutor_ppal", tutor}, {"tutor_sec", tutor2}};
}

TEST_F(Pasos, CoursesNeedALeadingDigitUnlessTheyHaveAParent) {
  cargar({{"cursos/curso",
           {Curso("11", "1ESO"), Curso("20", "BAT"), Curso("21", "BAT", "20"), Curso("22", ""),
            Curso("23", " 2BACH ")}},
          {"ensenanzas/ensenanza",
           {{{"ensenanza", "E1"}, {"abreviatura", "ESO-LOMLOE"}}, {{"ensenanza", "E1"}, {"abreviatura", "X"}}}}});
  run_->TurnoSel = "Matinal";
  run_->ImportarDocentes();
  run_->ImportarCursosGrupos();
  EXPECT_EQ(columna("CURSOST", "ABREV"), (std::vector<std::string>{"1ES", "BAT", "2BA"}));
  EXPECT_EQ(columna("CURSOST", "CURSO"), (std::vector<std::string>{"1", "B", "2"}));
  EXPECT_EQ(columna("CURSOST", "ESTUD"), (std::vector<std::string>{"1ESO", "BAT", "2BACH"}));
  EXPECT_EQ(columna("CURSOST", "TURNO"), (std::vector<std::string>{"M", "M", "M"}));
  EXPECT_EQ(columna("CURSOST", "NIVEL"), (std::vector<std::string>{"ESO-L", "ESO-L", "ESO-L"}));  // first match
  EXPECT_EQ(avisos(TipoAviso::CursoSinDigito), (std::vector<std::string>{"20", "22"}));
}

TEST_F(Pasos, GroupCodesFollowTheirOwnCutAndNumberRules) {
  std::vector<Attrs> grupos = {Grupo("1234"), Grupo("1234"), Grupo("a1B"), Grupo("A1b"), Grupo("ABCDEFGHIJKL")};
  for (int i = 0; i < 11; ++i) grupos.push_back(Grupo("KLMNOPQRST"));
  cargar({{"grupos/grupo", grupos}});
  run_->ImportarDocentes();
  run_->ImportarCursosGrupos();
  const auto abrev = columna("GRUPOST", "ABREV");
  const std::vector<std::string> esperado = {
      "1234", "12341", "a1B", "A1b1", "ABCDEFGHKL", "KLMNOPQRST", "KLMNOPQRS1", "KLMNOPQRS2", "KLMNOPQRS3",
      "KLMNOPQRS4", "KLMNOPQRS5", "KLMNOPQRS6", "KLMNOPQRS7", "KLMNOPQRS8", "KLMNOPQRS9", "KLMNOPQR10"};
  EXPECT_EQ(abrev, esperado);
  EXPECT_EQ(columna("GRUPOST", "CLAVE")[4], "ABCDEFGHIJ");
  EXPECT_EQ(columna("GRUPOST", "CURSO")[4], "A");
  EXPECT_EQ(columna("GRUPOST", "GRUPO")[4], "L");
  EXPECT_EQ(columna("GRUPOST", "TURNO")[0], "M");
  EXPECT_EQ(columna("GRUPOST", "MARCO")[0], "0");
}

TEST_F(Pasos, GroupsFindTheirCourseAndTutor) {
  cargar({{"docentes/docente", {Docente("Roig", "Sanz", "Marta", "111A"), Docente("Bosch", "Pla", "Joan", "222B")}},
          {"cursos_grupo/curso_grupo",
           {{{"grupo", "1A"}, {"curso", "11"}}, {{"grupo", "1A"}, {"curso", "99"}}, {{"grupo", "1B"}, {"curso", "11"}}}},
          {"grupos/grupo", {Grupo("1A", "111A"), Grupo("1B", " ", "222B"), Grupo("1C", "999Z"), Grupo("1D")}}});
  run_->ImportarDocentes();
  run_->ImportarCursosGrupos();
  EXPECT_EQ(columna("GRUPOST", "CLAVECURSO"), (std::vector<std::string>{"11", "11", "", ""}));
  EXPECT_EQ(columna("GRUPOST", "TUTOR"), (std::vector<std::string>{"RSM", "BPJ", "", ""}));
  EXPECT_EQ(avisos(TipoAviso::TutorNoEncontrado), (std::vector<std::string>{"1C"}));
}

Attrs Contenido(const std::string& codigo, const std::string& curso, const std::string& val, const std::string& cas) {
  return {{"codigo", codigo}, {"curso", curso}, {"nombre_val", val}, {"nombre_cas", cas}};
}

TEST_F(Pasos, SubjectsTakeLongCodesFromTheirNames) {
  struct Caso { const char* nombre; const char* largo; };
  const Caso casos[] = {
      {"F\xC3\xADsica", "F\xC3\xADSICA"},
      {"Matem\xC3\xA1ticas", "MATEM\xC3\xA1TICA"},
      {"Ciencias de la Naturaleza", "CN"},
      {"Lengua Castellana y Literatura", "LCL"},
      {"Educaci\xC3\xB3 F\xC3\xADsica", "EF"},
      {"Matem\xC3\xA1ticas II", "MI"},
      {"Abcdefghijk", "ABCDEFGHIJ"},  // eleven characters keep their first ten
      {"Abcdefghijkl", "A"},          // twelve take the initials form
  };
  std::vector<Attrs> contenidos;
  int i = 0;
  for (const auto& c : casos) contenidos.push_back(Contenido(std::to_string(100 + i++), "11", c.nombre, "x"));
  cargar({{"contenidos/contenido", contenidos}});
  run_->ImportarDocentes();
  run_->ImportarCursosGrupos();
  run_->ImportarContenidos();
  const auto largos = columna("ASIGNOMT", "CODLARGO");
  ASSERT_EQ(largos.size(), std::size(casos));
  for (size_t k = 0; k < largos.size(); ++k) EXPECT_EQ(largos[k], W(casos[k].largo)) << casos[k].nombre;
  EXPECT_EQ(columna("ASIGNOMT", "NOMBRE")[0], W("F\xC3\xADsica"));
}

TEST_F(Pasos, SubjectsMergeRepeatedContentsAndSkipTakenShortCodes) {
  cargar({{"cursos/curso", {Curso("11", "1ESO"), Curso("12", "2ESO"), Curso("31", "1BACH")}},
          {"ensenanzas/ensenanza", {{{"ensenanza", "E1"}, {"abreviatura", "ESO"}}}},
          {"contenidos/contenido",
           {Contenido("500", "11", "Matem\xC3\xA0tiques", "Matem\xC3\xA1ticas"),
            Contenido("500", "12", "Altre nom", "Otro nombre"),
            Contenido("ABCDEFGHIJKL", "11", "Val", "Cas"), Contenido("ABCDEFGHXYKL", "11", "Val2", "Cas2"),
            Contenido("600", "11", "Hist\xC3\xB2ria", "Historia"), Contenido("600", "11", "Hist\xC3\xB2ria", "Historia")}}},
         std::string(kCastellano));
  run_->ImportarDocentes();
  run_->ImportarCursosGrupos();
  run_->ImportarContenidos();
  EXPECT_EQ(columna("ASIGNOMT", "COD"), (std::vector<std::string>{"500", "ABCDEFGHKL", "600"}));
  EXPECT_EQ(columna("ASIGNOMT", "ABREV_ITACA"), (std::vector<std::string>{"500", "ABCDEFGHIJKL", "600"}));
  EXPECT_EQ(columna("ASIGNOMT", "NOMBRE")[0], W("Matem\xC3\xA1ticas"));  // the first element's name
  EXPECT_EQ(columna("ASIGNOMT", "DENIVEL"), (std::vector<std::string>{"ESO", "ESO", "ESO"}));
  EXPECT_EQ(columna("ASIGNOMT", "DECURSO"), (std::vector<std::string>{"", "1", "1"}));  // courses 1 and 2 disagree
  EXPECT_EQ(columna("ASIGNOMT", "ESTAREA"), (std::vector<std::string>{"F", "F", "F"}));
  EXPECT_EQ(avisos(TipoAviso::ContenidoCodigoOcupado), (std::vector<std::string>{"ABCDEFGHXYKL"}));
}

Attrs Ocupacion(const std::string& codigo, const std::string& nombre) {
  return {{"codigo", codigo}, {"nombre_val", nombre}, {"nombre_cas", "cas " + codigo}};
}

TEST_F(Pasos, OccupationsBecomeTasksWithStarCodes) {
  cargar({{"contenidos/contenido", {Contenido("001", "11", "Guàrdia", "x"), Contenido("002", "11", "Tutoria", "y")}},
          {"ocupaciones/ocupacion",
           {Ocupacion("1001", "Reunio"), Ocupacion("2001", "Biblioteca"), Ocupacion("3001", "Coordinacio"),
            Ocupacion("45", "Pati"), Ocupacion("45", "Pati 2"), Ocupacion("9", "Guàrdia"),
            Ocupacion("8", "guàrdia"), Ocupacion("7", "Reunio"), Ocupacion("", "Sense codi")}}});
  run_->ImportarDocentes();
  run_->ImportarCursosGrupos();
  run_->ImportarContenidos();
  run_->ImportarOcupaciones();
  auto cod = columna("ASIGNOMT", "COD");
  cod.erase(cod.begin(), cod.begin() + 2);
  EXPECT_EQ(cod, (std::vector<std::string>{"*001", "*00A", "*00B", "*45", "*45A", "*8", "*"}));
  auto tareas = columna("ASIGNOMT", "CODTAREA");
  EXPECT_EQ(tareas[2], "1001");
  EXPECT_EQ(columna("ASIGNOMT", "ESTAREA")[2], "T");
  EXPECT_EQ(columna("ASIGNOMT", "ABREV_ITACA")[2], "1001");
  EXPECT_EQ(avisos(TipoAviso::OcupacionNombreRepetido), (std::vector<std::string>{"9", "7"}));
}

TEST_F(Pasos, RoomCodesFollowTheirOwnCutAndNumberRules) {
  auto aula = [](const std::string& c, const std::string& n) { return Attrs{{"codigo", c}, {"nombre", n}}; };
  cargar({{"aulas/aula",
           {aula("A12", "Aula"), aula("A12", "Aula"), aula("a12", "Aula"), aula(" ", "Laboratorio de F\xC3\xADsica"),
            aula("", "Laboratori"), aula("ABCDEFGHIJK", "x"), aula("ABCDEFGHXYZ", "y"), aula("KLMNOPQRST", "z"),
            aula("KLMNOPQRST", "z")}}});
  run_->ImportarAulas();
  EXPECT_EQ(columna("AULAT", "ABREV"), (std::vector<std::string>{"A12", "A121", "a122", "Labo", "Labo1", "ABCDEFGH1",
                                                                  "ABCDEFGH2", "KLMNOPQRST", "KLMNOPQR1"}));
  EXPECT_EQ(columna("AULAT", "ABREV_ITACA")[3], "");
  EXPECT_EQ(columna("AULAT", "ABREV_ITACA")[5], "ABCDEFGHIJK");
}

}  // namespace
}  // namespace zi
