// The Zarvelon-to-ITACA direction: the solution table turned back into
// ITACA's group and occupation timetables.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "exportar/exportar_run.h"
#include "importar/importar_run.h"
#include "run/errores.h"
#include "support/escuela.h"
#include "support/solucion.h"
#include "tables/working_tables.h"

namespace zi {
namespace {

using test::Centro;
using Attrs = std::vector<std::pair<std::string, std::string>>;

using Fila = test::FilaSoluc;

// The ITACA file the working tables were built from: one group 1A (course 11,
// branch ESO), subject MAT (content 2001), teachers PGA and one more, room
// A12, the occupation 70 (task *70), template P with periods 2, 4 and 6.
std::string CentroItaca() {
  return Centro(
      {{"docentes/docente",
        {{{"apellido1", "P\xC3\xA9rez"}, {"apellido2", "G\xC3\xB3mez"}, {"nombre", "Ana"}, {"documento", "111A"},
          {"ensenanza", "ESO"}},
         {{"apellido1", "Roig"}, {"apellido2", "Sanz"}, {"nombre", "Marta"}, {"documento", "222B"},
          {"ensenanza", "BAC"}}}},
       {"cursos_grupo/curso_grupo", {{{"grupo", "1A"}, {"curso", "11"}}}},
       {"grupos/grupo", {{{"codigo", "1A"}, {"ensenanza", "ESO"}, {"turno", "M"}}}},
       {"contenidos/contenido", {{{"codigo", "2001"}, {"curso", "11"}, {"nombre_val", "MAT"}}}},
       {"ocupaciones/ocupacion", {{{"codigo", "70"}, {"nombre_val", "Gu\xC3\xA0rdia"}}}},
       {"aulas/aula", {{{"codigo", "A12"}, {"nombre", "Aula 12"}}}},
       {"plantillas_horario/plantilla_horario",
        {{{"codigo", "P"}, {"descripcion_val", "Mat\xC3\xAD"}, {"turno", "M"}}, {{"codigo", "Q"}}}},
       {"sesiones_horario/sesion_horario",
        {{{"plantilla", "P"}, {"dia_semana", "L"}, {"sesion_orden", "6"}, {"hora_desde", "10:45"}, {"hora_hasta", "11:40"}},
         {{"plantilla", "P"}, {"dia_semana", "L"}, {"sesion_orden", "2"}, {"hora_desde", "08:55"}, {"hora_hasta", "09:50"}},
         {{"plantilla", "P"}, {"dia_semana", "L"}, {"sesion_orden", "4"}, {"hora_desde", "09:50"}, {"hora_hasta", "10:45"}},
         {{"plantilla", "P"}, {"dia_semana", "M"}, {"sesion_orden", "9"}, {"hora_desde", "19:00"}, {"hora_hasta", "20:00"}}}}},
      R"(codigo="46000001" denominacion="IES L&apos;Horta" curso="2012" version="3.1")");
}

class Importar : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Escribir(dir_ / "centro.xml", CentroItaca());
    test::TablasDeTrabajo(dir_.path(), dir_ / "centro.xml", "P");
  }
  void solucion(const std::vector<Fila>& filas) { test::TablaSoluc(filas).writeFile(dir_ / "SOLUC.DBF"); }
  // Runs the direction and parses the result.
  pugi::xml_document correr(const std::string& plantilla = "P", const std::string& curso = "2013") {
    ImportarRun run(dir_.path());
    run.Preparar(dir_ / "centro.xml");
    CatalogoPlantillas cat(run.documento());
    run.AplicarPlantilla(Elegir(cat, plantilla), kValencia);
    run.CursoDestino = curso;
    run.Ejecutar();
    avisos_ = run.avisos().lista();
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file((dir_ / "ResultadoZarveloncentro.xml").c_str()));
    return doc;
  }
  static std::string atributos(const pugi::xml_node& n) {
    std::string s;
    for (auto a : n.attributes()) s += std::string(s.empty() ? "" : " ") + a.name() + "=" + a.value();
    return s;
  }

  test::DirTemporal dir_;
  std::vector<Aviso> avisos_;
};

TEST_F(Importar, ClassAndOccupationRowsBecomeTimetableElements) {
  solucion({{"2001", "*479", 3, 2, "0", "1A", "PGA", "A12"},
            {"*70", "*70", 1, 1, "0", "", "RSM", ""},
            {"2001", "*479", 9, 3, "0", "1A", "NOPE", "NOPE"}});
  auto doc = correr();
  auto centro = doc.child("centro");
  EXPECT_EQ(atributos(centro).substr(0, 57), "codigo=46000001 denominacion=IES L'Horta curso=2013 fecha");
  EXPECT_STREQ(centro.last_attribute().name(), "version");
  std::vector<std::string> hijos;
  for (auto h : centro.children()) hijos.push_back(h.name());
  EXPECT_EQ(hijos, (std::vector<std::string>{"horarios_grupo", "horarios_ocupaciones"}));

  auto g = centro.child("horarios_grupo").first_child();
  EXPECT_EQ(atributos(g),
            "plantilla=P dia_semana=X sesion_orden=4 hora_desde=09:50 hora_hasta=10:45 grupo=1A ensenanza=ESO "
            "curso=11 contenido=2001 docente=111A aula=A12 idioma=");
  EXPECT_EQ(atributos(g.next_sibling()),
            "plantilla=P dia_semana= sesion_orden=6 hora_desde=10:45 hora_hasta=11:40 grupo=1A ensenanza=ESO "
            "curso=11 contenido=2001 docente= aula= idioma=");
  auto o = centro.child("horarios_ocupaciones").first_child();
  EXPECT_EQ(atributos(o),
            "plantilla=P dia_semana=L sesion_orden=2 hora_desde=08:55 hora_hasta=09:50 docente=222B ensenanza=BAC "
            "ocupacion=70");
  EXPECT_FALSE(o.next_sibling());
  // The file read stays as it was.
  EXPECT_EQ(test::Leer(dir_ / "centro.xml"), CentroItaca());
}

TEST_F(Importar, RowsThatCannotBePlacedAreLeftOutWithANotice) {
  solucion({{"2001", "*479", 1, 1, "1", "1A", "PGA", "A12"},   // another frame
            {"2001", "*479", 1, 1, "", "1A", "PGA", "A12"},    // no frame
            {"2001", "*479", 0, 1, "0", "1A", "PGA", "A12"},   // no day
            {"2001", "*479", 1, 0, "0", "1A", "PGA", "A12"},   // no hour
            {"2001", "*479", 1, 4, "0", "1A", "PGA", "A12"},   // beyond the template's periods
            {"2001", "*479", 1, 1.5, "0", "1A", "PGA", "A12"},  // no such hour
            {"2001", "*479", 1, 1, "0", "9Z", "PGA", "A12"},   // unknown group
            {"XXX", "*479", 1, 1, "0", "1A", "PGA", "A12"},    // unknown subject
            {"*70", "*70", 1, 1, "0", "", "NOPE", ""},         // occupation of an unknown teacher
            {"*99", "*99", 1, 1, "0", "", "PGA", ""}});        // unknown task
  auto doc = correr();
  EXPECT_FALSE(doc.child("centro").child("horarios_grupo").first_child());
  EXPECT_FALSE(doc.child("centro").child("horarios_ocupaciones").first_child());
  std::map<TipoAviso, int> n;
  for (const auto& a : avisos_) ++n[a.tipo];
  EXPECT_EQ(n[TipoAviso::FilaSinTramo], 4);
  EXPECT_EQ(n[TipoAviso::FilaSinDiaHora], 2);
  EXPECT_EQ(n[TipoAviso::FilaSinGrupo], 1);
  EXPECT_EQ(n[TipoAviso::FilaSinAsignatura], 2);
  EXPECT_EQ(n[TipoAviso::FilaOcupacionSinDocente], 1);
}

TEST_F(Importar, AnEmptySolutionStillWritesBothSections) {
  solucion({});
  auto doc = correr("", "");
  auto centro = doc.child("centro");
  EXPECT_TRUE(centro.child("horarios_grupo"));
  EXPECT_TRUE(centro.child("horarios_ocupaciones"));
  EXPECT_STREQ(centro.attribute("curso").value(), "");
  EXPECT_FALSE(centro.child("docentes"));
}

TEST_F(Importar, TheSlotsAreRebuiltFromTheChosenTemplate) {
  solucion({{"2001", "*479", 1, 1, "0", "1A", "PGA", "A12"}});
  correr("Q");  // a template without periods: no slot, nothing placed
  auto t = dbf::Table::readFile(dir_ / "DIASHORAST.DBF");
  EXPECT_EQ(t.recordCount(), 0u);
  auto doc = correr("P");
  EXPECT_TRUE(doc.child("centro").child("horarios_grupo").first_child());
  EXPECT_EQ(dbf::Table::readFile(dir_ / "DIASHORAST.DBF").recordCount(), 21u);
}

TEST_F(Importar, AFailedRunChangesNothing) {
  solucion({{"2001", "*479", 1, 1, "0", "1A", "PGA", "A12"}});
  correr();
  const std::string resultado = test::Leer(dir_ / "ResultadoZarveloncentro.xml");
  const std::string tramos = test::Leer(dir_ / "DIASHORAST.DBF");
  // A solution table without the field HORA.
  dbf::Table mala("SOLUC", {{"ASIG", dbf::FieldType::Text, 10}});
  mala.writeFile(dir_ / "SOLUC.DBF");
  try {
    correr("Q");
    ADD_FAILURE() << "no error";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("TAREA"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("SOLUC"), std::string::npos) << e.what();
  }
  EXPECT_EQ(test::Leer(dir_ / "ResultadoZarveloncentro.xml"), resultado);
  EXPECT_EQ(test::Leer(dir_ / "DIASHORAST.DBF"), tramos);
}

TEST_F(Importar, AMissingFileIsReportedBeforeAnything) {
  ImportarRun run(dir_.path());
  EXPECT_THROW(run.Preparar(dir_ / "nada.xml"), ArchivoNoExiste);
  EXPECT_THROW(run.Preparar(dir_ / "centro.xml"), ArchivoNoExiste);  // no SOLUC.DBF yet
}

}  // namespace
}  // namespace zi
