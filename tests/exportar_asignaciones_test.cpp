// Steps six to ten: default assignments, group and occupation timetables,
// removal of groups and teachers without classes, time slots.
#include <gtest/gtest.h>

#include "exportar/exportar_run.h"
#include "run/errores.h"
#include "support/escuela.h"
#include "support/tablas.h"

namespace zi {
namespace {

namespace fs = std::filesystem;
using test::Centro;
using test::W;
using Attrs = std::vector<std::pair<std::string, std::string>>;

// Answers the questions from a script and records them.
class Guion : public Preguntas {
 public:
  Respuesta todas = Respuesta::No, quitar = Respuesta::Si;
  std::vector<std::string> hechas;
  Respuesta preguntar(const std::string& texto) override {
    hechas.push_back(texto);
    return texto == kPreguntaTodasPlantillas ? todas : quitar;
  }
};

Attrs Docente(const std::string& ap, const std::string& doc) {
  return {{"apellido1", ap}, {"apellido2", "X"}, {"nombre", "Y"}, {"tipo_docente", "D"}, {"documento", doc}};
}
Attrs Leccion(const std::string& grupo, const std::string& contenido, const std::string& docente,
              const std::string& aula = "R1", const std::string& plantilla = "P1", const std::string& curso = "11") {
  return {{"plantilla", plantilla}, {"grupo", grupo}, {"curso", curso}, {"contenido", contenido},
          {"docente", docente}, {"aula", aula}};
}
Attrs Periodo(const std::string& ocupacion, const std::string& docente, const std::string& plantilla = "P1") {
  return {{"ocupacion", ocupacion}, {"docente", docente}, {"plantilla", plantilla}};
}

// A school of one course (11) with groups 101, 102 and 103, two contents of
// that course, teachers X, Y and Z, rooms R1 and R2.
std::vector<test::Lista> Escuela(std::vector<Attrs> lecciones, std::vector<Attrs> periodos = {}) {
  std::vector<test::Lista> l = {
      {"docentes/docente", {Docente("Xarc", "DX"), Docente("Yago", "DY"), Docente("Zulo", "DZ")}},
      {"cursos/curso", {{{"codigo", "11"}, {"abreviatura", "1ESO"}, {"padre", " "}, {"ensenanza", "E"}}}},
      {"cursos_grupo/curso_grupo",
       {{{"grupo", "101"}, {"curso", "11"}}, {{"grupo", "102"}, {"curso", "11"}}, {{"grupo", "103"}, {"curso", "11"}}}},
      {"grupos/grupo",
       {{{"codigo", "101"}, {"turno", "M"}}, {{"codigo", "102"}, {"turno", "M"}}, {{"codigo", "103"}, {"turno", "M"}}}},
      {"contenidos/contenido",
       {{{"codigo", "2001"}, {"curso", "11"}, {"nombre_val", "Matem\xC3\xA0tiques"}, {"nombre_cas", "Mates"}},
        {{"codigo", "2002"}, {"curso", "11"}, {"nombre_val", "Hist\xC3\xB2ria"}, {"nombre_cas", "Historia"}}}},
      {"ocupaciones/ocupacion", {{{"codigo", "70"}, {"nombre_val", "Gu\xC3\xA0rdia"}, {"nombre_cas", "Guardia"}}}},
      {"aulas/aula", {{{"codigo", "R1"}, {"nombre", "Aula 1"}}, {{"codigo", "R2"}, {"nombre", "Aula 2"}}}},
  };
  if (!lecciones.empty()) l.push_back({"horarios_grupo/horario_grupo", std::move(lecciones)});
  if (!periodos.empty()) l.push_back({"horarios_ocupaciones/horario_ocupacion", std::move(periodos)});
  return l;
}

class Asignaciones : public ::testing::Test {
 protected:
  // Runs the first `pasos` steps (of ten) on the school.
  void correr(const std::vector<test::Lista>& listas, int pasos = 9) {
    test::Escribir(dir_ / "centro.xml", Centro(listas));
    run_ = std::make_unique<ExportarRun>(dir_.path(), guion_);
    run_->CargarDocumento(dir_ / "centro.xml");
    run_->PlantillaSel = "P1";
    void (ExportarRun::*orden[])() = {&ExportarRun::ImportarDocentes, &ExportarRun::ImportarCursosGrupos,
                                      &ExportarRun::ImportarContenidos, &ExportarRun::ImportarOcupaciones,
                                      &ExportarRun::ImportarAulas, &ExportarRun::GenerarAsignaciones,
                                      &ExportarRun::ImportarHorariosGrupo, &ExportarRun::ImportarHorariosOcupaciones,
                                      &ExportarRun::QuitarSinClases, &ExportarRun::CrearTramos};
    for (int i = 0; i < pasos; ++i) (run_.get()->*orden[i])();
  }
  // One line per live row of ASIGT: "CASIG CGRUP CPROF CAULA HORAS SESIONES".
  std::vector<std::string> asig() {
    std::vector<std::string> v;
    dbf::Table& t = run_->tabla("ASIGT");
    for (dbf::RecNo r = 1; r <= t.recordCount(); ++r) {
      if (t.isDeleted(r)) continue;
      std::string s;
      for (const char* f : {"CASIG", "CGRUP", "CPROF", "CAULA", "HORAS", "SESIONES"})
        s += (s.empty() ? "" : " ") + (t.getText(r, f).empty() ? std::string("-") : t.getText(r, f));
      v.push_back(s);
    }
    return v;
  }
  std::vector<std::string> columna(const std::string& tabla, const std::string& campo) {
    return test::Columna(run_->tabla(tabla), campo);
  }

  test::DirTemporal dir_;
  Guion guion_;
  std::unique_ptr<ExportarRun> run_;
};

TEST_F(Asignaciones, EverySubjectGetsADefaultAssignmentPerGroupOfItsCourse) {
  correr(Escuela({}), 6);
  EXPECT_EQ(asig(), (std::vector<std::string>{"2001 101 - - 4 1111", "2001 102 - - 4 1111", "2001 103 - - 4 1111",
                                              "2002 101 - - 4 1111", "2002 102 - - 4 1111", "2002 103 - - 4 1111"}));
  EXPECT_EQ(columna("ASIGT", "CTAREA")[0], "*479");
  EXPECT_EQ(columna("ASIGT", "CLAVECURSO")[0], "11");
}

TEST_F(Asignaciones, AnsweringYesKeepsEveryDefaultAndAsksNothingMore) {
  guion_.todas = Respuesta::Si;
  correr(Escuela({Leccion("101", "2001", "DX"), Leccion("101", "2001", "DX")}));
  EXPECT_EQ(asig().size(), 6u);
  EXPECT_EQ(asig()[0], "2001 101 - - 4 1111");
  EXPECT_EQ(guion_.hechas, (std::vector<std::string>{kPreguntaTodasPlantillas}));
  EXPECT_EQ(run_->SoloPlantillaSel, 0);
}

TEST_F(Asignaciones, LessonsOfTheChosenTemplateBecomeHoursTeachersAndRooms) {
  struct Caso {
    const char* nombre;
    std::vector<Attrs> lecciones;
    std::vector<std::string> esperado;
  };
  const std::vector<Caso> casos = {
      {"three lessons of one teacher",
       {Leccion("101", "2001", "DX"), Leccion("101", "2001", "DX"), Leccion("101", "2001", "DX")},
       {"2001 101 XXY R1 3 111"}},
      {"X X Y Y: the default carries X, a new row Y",
       {Leccion("101", "2001", "DX"), Leccion("101", "2001", "DX"), Leccion("101", "2001", "DY", "R2"),
        Leccion("101", "2001", "DY")},
       {"2001 101 XXY R1 2 11", "2001 101 YXY R2 2 11"}},
      {"Y X X Y: the first lesson decides",
       {Leccion("101", "2001", "DY"), Leccion("101", "2001", "DX"), Leccion("101", "2001", "DX"),
        Leccion("101", "2001", "DY")},
       {"2001 101 YXY R1 2 11", "2001 101 XXY R1 2 11"}},
      {"an unknown first room is filled by a later lesson",
       {Leccion("101", "2001", "DX", "NOPE"), Leccion("101", "2001", "DX", "R2")},
       {"2001 101 XXY R2 2 11"}},
      {"other templates, other courses and unknown contents are dropped",
       {Leccion("101", "2001", "DX", "R1", "P2"), Leccion("101", "2001", "DX", "R1", "p1"),
        Leccion("101", "2001", "DX", "R1", "P 1"), Leccion("101", "2001", "DX", "R1", "P1", "12"),
        Leccion("101", "9999", "DX"), Leccion("102", "2002", "DZ"), Leccion("102", "2002", "DZ", "R1", " P1 ")},
       {"2002 102 ZXY R1 2 11"}},
      {"an unknown teacher leaves the default without one",
       {Leccion("103", "2002", "NOBODY"), Leccion("103", "2002", "DX"), Leccion("103", "2002", "NOBODY")},
       {"2002 103 - R1 2 11", "2002 103 XXY R1 1 1"}},
      {"a single lesson counts", {Leccion("101", "2002", "DY")}, {"2002 101 YXY R1 1 1"}},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nombre);
    guion_.todas = Respuesta::No;
    correr(Escuela(c.lecciones), 8);
    EXPECT_EQ(asig(), c.esperado);
    EXPECT_EQ(run_->SoloPlantillaSel, 1);
  }
}

TEST_F(Asignaciones, ClosingTheTemplateQuestionCountsAsNo) {
  guion_.todas = Respuesta::Cerrada;
  correr(Escuela({Leccion("101", "2001", "DX")}), 8);
  EXPECT_EQ(asig(), (std::vector<std::string>{"2001 101 XXY R1 1 1"}));
}

TEST_F(Asignaciones, OccupationPeriodsBecomeTaskRowsCountedPerTeacher) {
  correr(Escuela({Leccion("101", "2001", "DX")},
                 {Periodo("70", "DX"), Periodo("70", "DX"), Periodo("70", "DY"), Periodo("70", "DX"),
                  Periodo("70", "DZ", "P2"), Periodo("71", "DZ"), Periodo("70", "NOBODY")}),
         8);
  EXPECT_EQ(asig(), (std::vector<std::string>{"2001 101 XXY R1 1 1", "*70 - XXY - 3 111", "*70 - YXY - 1 1",
                                              "- - ZXY - 1 1", "*70 - - - 1 1"}));
  EXPECT_EQ(columna("ASIGT", "CTAREA")[1], "*70");
  EXPECT_EQ(columna("ASIGT", "ASIG_ITACA")[3], "71");
}

TEST_F(Asignaciones, WithAllTemplatesEveryOccupationPeriodCounts) {
  guion_.todas = Respuesta::Si;
  correr(Escuela({Leccion("101", "2001", "DX")}, {Periodo("70", "DZ", "P1"), Periodo("70", "DZ", "P2")}), 8);
  EXPECT_EQ(asig().back(), "*70 - ZXY - 2 11");
  EXPECT_EQ(asig().front(), "2001 101 - - 4 1111");
}

TEST(PatronSesiones, DigitsFromOneToNineAddingUpToTheHours) {
  struct Caso { long horas; const char* patron; };
  const Caso casos[] = {
      {0, ""}, {1, "1"}, {4, "1111"}, {6, "111111"}, {14, "11111111111111"}, {15, "21111111111111"},
      {22, "91111111111111"}, {23, "92111111111111"}, {24, "93111111111111"}, {28, "22222222222222"},
      {30, "42222222222222"}, {41, "98222222222222"}, {54, "99333333333333"},
      {55, "44444444444443"},            // past the fourteen-digit rule: spread evenly
      {126, "99999999999999"}, {127, "999999988888888"}, {180, "99999999999999999999"}, {181, ""}};
  for (const auto& c : casos) {
    SCOPED_TRACE(c.horas);
    const std::string p = PatronSesiones(c.horas);
    EXPECT_EQ(p, c.patron);
    long suma = 0;
    for (char d : p) {
      EXPECT_GE(d, '1');
      EXPECT_LE(d, '9');
      suma += d - '0';
    }
    if (!p.empty()) {
      EXPECT_EQ(suma, c.horas);
    }
    EXPECT_LE(p.size(), 20u);
  }
  for (long h = 1; h <= 180; ++h) {
    const std::string p = PatronSesiones(h);
    long suma = 0;
    for (char d : p) suma += d - '0';
    EXPECT_EQ(suma, h) << h;
  }
}

TEST_F(Asignaciones, GroupsAndTeachersWithoutClassesGoAfterOneQuestion) {
  // Group 101 has a class, 102 and 103 none; X teaches, Z only has a task.
  correr(Escuela({Leccion("101", "2001", "DX")}, {Periodo("70", "DZ")}));
  EXPECT_EQ(guion_.hechas, (std::vector<std::string>{kPreguntaTodasPlantillas, kPreguntaQuitarSinClases}));
  EXPECT_EQ(columna("GRUPOST", "ABREV"), (std::vector<std::string>{"101"}));
  EXPECT_EQ(columna("PROFT", "ABREV"), (std::vector<std::string>{"XXY", "ZXY"}));
  EXPECT_EQ(run_->tabla("GRUPOST").recordCount(), 1u);  // packed
}

TEST_F(Asignaciones, AnsweringNoToRemovalKeepsEveryone) {
  guion_.quitar = Respuesta::No;
  correr(Escuela({Leccion("101", "2001", "DX")}));
  EXPECT_EQ(columna("GRUPOST", "ABREV").size(), 3u);
  EXPECT_EQ(columna("PROFT", "ABREV").size(), 3u);
}

TEST_F(Asignaciones, TeachersWithoutClassesAloneAreRemovedWithoutAQuestion) {
  correr(Escuela({Leccion("101", "2001", "DX"), Leccion("102", "2001", "DX"), Leccion("103", "2001", "DY")}));
  EXPECT_EQ(guion_.hechas, (std::vector<std::string>{kPreguntaTodasPlantillas}));
  EXPECT_EQ(columna("GRUPOST", "ABREV").size(), 3u);
  EXPECT_EQ(columna("PROFT", "ABREV"), (std::vector<std::string>{"XXY", "YXY"}));
}

TEST_F(Asignaciones, TimeSlotsRepeatEachPeriodForSevenDays) {
  correr(Escuela({}), 0);
  run_->PlantillaSel = "P1";
  run_->ListBoxPlanti = {" 2 de 08:00 a 08:55", " 5 de 13:30 a 14:20", " 7 de 14:20 a 15:15"};
  run_->ComboBoxValCast = std::string(kCastellano);
  run_->CrearTramos();
  dbf::Table& t = run_->tabla("DIASHORAST");
  ASSERT_EQ(t.recordCount(), 21u);
  EXPECT_EQ(t.getText(1, "DIHO"), "11");
  EXPECT_EQ(t.getText(2, "DIHO"), "21");
  EXPECT_EQ(t.getText(21, "DIHO"), "73");
  EXPECT_EQ(t.getText(3, "TEXTODIA"), W("Mi\xC3\xA9rcoles"));
  EXPECT_EQ(t.getText(8, "HORA"), "2");
  EXPECT_EQ(t.getText(8, "SESION_ORDEN"), "5");
  EXPECT_EQ(t.getText(8, "TEXTOHOR"), "5-13:30-14:20");
  EXPECT_EQ(t.getText(1, "MINUTOS"), "55");
  EXPECT_EQ(t.getText(8, "MINUTOS"), "50");
  EXPECT_EQ(t.getText(1, "MARCO"), "0");
  EXPECT_EQ(t.getText(1, "CODDIHO"), "");
  EXPECT_EQ(t.getText(1, "MARCOXML"), "P1");
  run_->ComboBoxValCast = "";
  run_->CrearTramos();
  EXPECT_EQ(run_->tabla("DIASHORAST").getText(7, "TEXTODIA"), "Diumenge");
}

TEST_F(Asignaciones, APeriodLineThatCannotBeReadStopsTheRunNamingIt) {
  correr(Escuela({}), 0);
  for (const char* linea : {"100 de 08:00 a 08:55", "de 08:00 a 08:55", " 1 de 8:00 a 8:55", " 1 de 08:00 a 08"}) {
    SCOPED_TRACE(linea);
    run_->ListBoxPlanti = {" 1 de 08:00 a 08:55", linea};
    try {
      run_->CrearTramos();
      ADD_FAILURE() << "no error";
    } catch (const RunError& e) {
      EXPECT_NE(std::string(e.what()).find(linea), std::string::npos) << e.what();
    }
  }
}

// A whole run reads the lessons on a second thread, a block of 2048 at a time,
// while the first steps run; the steps run one by one read them themselves.
// Both must count every lesson once, in document order, across the blocks.
TEST_F(Asignaciones, LessonsReadWhileTheFirstStepsRunCountAsReadInTheStep) {
  std::vector<Attrs> lecciones;
  for (int i = 0; i < 2 * 2048 + 5; ++i) {
    switch (i % 5) {
      case 0: lecciones.push_back(Leccion("101", "2001", "DX")); break;
      case 1: lecciones.push_back(Leccion("102", "2002", i < 2048 ? "DY" : "DZ", "R2")); break;
      case 2: lecciones.push_back(Leccion("103", "2001", "DZ", "R1", "P2")); break;
      case 3: lecciones.push_back(Leccion("103", "2002", i == 2048 * 2 + 2 ? "DX" : "DY")); break;
      default: lecciones.push_back(Leccion("101", "9999", "DX")); break;
    }
  }
  correr(Escuela(lecciones), 9);
  const std::vector<std::string> pasoAPaso = asig();
  // 4101 lessons: 821 of 2001/101, 820 of 2002/102 (410 with Y, then Z), 820
  // of another template, 820 of 2002/103 (the last but one with X) and 820
  // unknown. So many hours have no lesson pattern.
  EXPECT_EQ(pasoAPaso, (std::vector<std::string>{"2001 101 XXY R1 821 -", "2002 102 YXY R2 410 -",
                                                 "2002 103 YXY R1 819 -", "2002 102 ZXY R2 410 -",
                                                 "2002 103 XXY R1 1 1"}));

  run_ = std::make_unique<ExportarRun>(dir_.path(), guion_);
  run_->CargarDocumento(dir_ / "centro.xml");
  run_->PlantillaSel = "P1";
  run_->Ejecutar();
  EXPECT_EQ(asig(), pasoAPaso);
  EXPECT_EQ(run_->avisos().cuantos(TipoAviso::LeccionOtraPlantilla), 820u);
}

// A run that stops while the lessons are still being read (here the user's
// answer cannot be had) stops the reading too, and writes nothing.
TEST_F(Asignaciones, ARunThatFailsWhileTheLessonsAreReadWritesNothing) {
  class Falla : public Preguntas {
   public:
    Respuesta preguntar(const std::string&) override { throw RunError("sin respuesta"); }
  } falla;
  std::vector<Attrs> lecciones(3 * 2048, Leccion("101", "2001", "DX"));
  test::Escribir(dir_ / "centro.xml", Centro(Escuela(lecciones)));
  ExportarRun run(dir_.path(), falla);
  run.CargarDocumento(dir_ / "centro.xml");
  run.PlantillaSel = "P1";
  EXPECT_THROW(run.Ejecutar(), RunError);
  EXPECT_FALSE(fs::exists(dir_ / "ASIGT.DBF"));
  EXPECT_THROW(run.Ejecutar(), RunError);  // and again, from the start
}

}  // namespace
}  // namespace zi
