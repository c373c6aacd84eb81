// The report from the command line: the summary after "Proceso finalizado"
// and the page that --informe writes, in both directions.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include <pugixml.hpp>

#include "support/escuela.h"
#include "support/proceso.h"
#include "tables/dbf.h"

namespace zi {
namespace {

namespace fs = std::filesystem;
using test::Centro;
using test::Citar;

std::string Escuela() {
  return Centro(
      {{"docentes/docente",
        {{{"apellido1", "P\xC3\xA9rez"}, {"apellido2", "G\xC3\xB3mez"}, {"nombre", "Ana"}, {"documento", "111A"}},
         {{"apellido1", "Pons"}, {"apellido2", "Garc\xC3\xAD" "a"}, {"nombre", "Alberto"}, {"documento", "222B"}}}},
       {"cursos/curso", {{{"codigo", "11"}, {"abreviatura", "1ESO"}, {"padre", " "}}}},
       {"cursos_grupo/curso_grupo", {{{"grupo", "1A"}, {"curso", "11"}}}},
       {"grupos/grupo", {{{"codigo", "1A"}, {"nombre", "1r ESO A"}, {"tutor_ppal", "999Z"}}}},
       {"contenidos/contenido", {{{"codigo", "2001"}, {"curso", "11"}, {"nombre_val", "F\xC3\xADsica"}}}},
       {"aulas/aula", {{{"codigo", "A12"}, {"nombre", "Aula 12"}}}},
       {"plantillas_horario/plantilla_horario", {{{"codigo", "MAT"}}}},
       {"sesiones_horario/sesion_horario",
        {{{"plantilla", "MAT"}, {"dia_semana", "L"}, {"sesion_orden", "1"}, {"hora_desde", "08:00"},
          {"hora_hasta", "08:55"}}}},
       {"horarios_grupo/horario_grupo",
        {{{"plantilla", "MAT"}, {"grupo", "1A"}, {"curso", "11"}, {"contenido", "2001"}, {"docente", "111A"},
          {"aula", "A12"}}}}});
}

class InformeCli : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Escribir(dir_ / "centro.xml", Escuela());
    fs::create_directories(dir_ / "ZTEMP");
  }
  test::Salida cli(const std::string& args) { return test::Ejecutar(std::string(ZI_CLI) + " " + args); }
  std::string xml() const { return Citar((dir_ / "centro.xml").string()); }
  std::string ztemp() const { return " --dir " + Citar((dir_ / "ZTEMP").string()); }
  // The solution: the one lesson on Tuesday, period 1.
  void solucion() {
    using dbf::FieldType;
    dbf::Table t("SOLUC", {{"ASIG", FieldType::Text, 10}, {"TAREA", FieldType::Text, 10}, {"DIA", FieldType::Integer, 2},
                           {"HORA", FieldType::Integer, 3}, {"MARCO", FieldType::Text, 1},
                           {"CODGRUPO", FieldType::Text, 10}, {"PROF", FieldType::Text, 10},
                           {"AULA", FieldType::Text, 10}});
    dbf::RecNo r = t.append();
    for (auto [f, v] : std::map<std::string, std::string>{{"ASIG", "2001"}, {"TAREA", "*479"}, {"DIA", "2"},
                                                           {"HORA", "1"}, {"MARCO", "0"}, {"CODGRUPO", "1A"},
                                                           {"PROF", "PGA"}, {"AULA", "A12"}})
      t.setText(r, f, v);
    t.writeFile(dir_ / "ZTEMP" / "SOLUC.DBF");
  }
  std::map<std::string, std::string> contenido(const fs::path& d) const {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::directory_iterator(d))
      if (e.is_regular_file()) m[e.path().filename().string()] = test::Leer(e.path());
    return m;
  }
  test::DirTemporal dir_;
};

TEST_F(InformeCli, BothOrdersPrintTheSummaryAndWriteTheReportWhenAsked) {
  struct Caso {
    std::string orden;
    std::vector<std::string> resumen;  // lines of the summary, in order
    std::string encabezado, seccion;   // the page's title and a section it must have
  };
  const std::vector<Caso> casos = {
      {"exportar",
       {"De ITACA a Zarvelon, plantilla MAT.", "  PROFT.DBF ", "  ASIGT.DBF ", "Avisos: 2",
        "  Tutores no encontrados: 1", "    - grupo: 1A, tutor: 999Z. El tutor del grupo no est\xC3\xA1 entre los docentes",
        "  Profesores quitados por no tener clases: 1"},
       "De ITACA a Zarvelon", "asignaciones"},
      {"importar",
       {"De Zarvelon a ITACA, plantilla MAT.", "  Horarios de grupo ", "Sin choques", "Sin avisos."},
       "De Zarvelon a ITACA", "grupos"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.orden);
    if (c.orden == "importar") solucion();
    const fs::path informe = dir_ / ("informe " + c.orden + ".html");
    auto s = cli(c.orden + " " + xml() + ztemp() + " --informe " + Citar(informe.string()));
    ASSERT_EQ(s.codigo, 0) << s.texto;
    EXPECT_EQ(s.texto.rfind("Proceso finalizado\n", 0), 0u) << s.texto;
    size_t pos = 0;
    for (const auto& linea : c.resumen) {
      const size_t p = s.texto.find(linea, pos);
      EXPECT_NE(p, std::string::npos) << linea << "\n" << s.texto;
      if (p != std::string::npos) pos = p;
    }
    EXPECT_NE(s.texto.find("Informe completo: " + informe.string() + "\n"), std::string::npos) << s.texto;

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(test::Leer(informe).c_str()));
    EXPECT_STREQ(doc.select_node("//h1").node().text().get(), c.encabezado.c_str());
    EXPECT_TRUE(doc.select_node(("//section[@id='" + c.seccion + "']").c_str()));
    // Without --informe: the same summary, no page.
    auto sin = cli(c.orden + " " + xml() + ztemp());
    ASSERT_EQ(sin.codigo, 0) << sin.texto;
    EXPECT_EQ(sin.texto, s.texto.substr(0, s.texto.find("Informe completo: ")));
  }
  // The grid of group 1A has the lesson on Tuesday.
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(test::Leer(dir_ / "informe importar.html").c_str()));
  EXPECT_TRUE(doc.select_node("//section[@id='grupos']/section//tbody/tr/td[2]/span[@class='clase']"));
}

TEST_F(InformeCli, TheReportNeverTakesThePlaceOfTheFilesOfTheRun) {
  ASSERT_EQ(cli("exportar " + xml() + ztemp()).codigo, 0);
  solucion();
  ASSERT_EQ(cli("importar " + xml() + ztemp()).codigo, 0);
  const auto antes = contenido(dir_.path());
  const auto tablas = contenido(dir_ / "ZTEMP");
  const std::vector<std::string> casos = {
      "exportar " + xml() + ztemp() + " --informe " + xml(),
      "importar " + xml() + ztemp() + " --informe " + xml(),
      "importar " + xml() + ztemp() + " --informe " + Citar((dir_ / "." / "ResultadoZarveloncentro.xml").string()),
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c);
    auto s = cli(c);
    EXPECT_EQ(s.codigo, 2) << s.texto;
    EXPECT_NE(s.texto.find("informe"), std::string::npos) << s.texto;
    EXPECT_EQ(contenido(dir_.path()), antes);
    EXPECT_EQ(contenido(dir_ / "ZTEMP"), tablas);
  }
}

TEST_F(InformeCli, AReportThatCannotBeWrittenFailsAfterTheRunHasWritten) {
  auto s = cli("exportar " + xml() + ztemp() + " --informe " + Citar((dir_ / "no" / "informe.html").string()));
  EXPECT_EQ(s.codigo, 1) << s.texto;
  EXPECT_EQ(s.texto.rfind("Proceso finalizado\n", 0), 0u) << s.texto;
  EXPECT_NE(s.texto.find("el informe no se ha podido escribir"), std::string::npos) << s.texto;
  EXPECT_TRUE(fs::exists(dir_ / "ZTEMP" / "ASIGT.DBF"));
  EXPECT_FALSE(fs::exists(dir_ / "no"));
}

TEST_F(InformeCli, HelpExplainsTheReport) {
  auto s = cli("--help");
  ASSERT_EQ(s.codigo, 0);
  EXPECT_NE(s.texto.find("[--informe FICHERO.html]"), std::string::npos) << s.texto;
  EXPECT_NE(s.texto.find("--informe: escribe el informe completo"), std::string::npos) << s.texto;
}

}  // namespace
}  // namespace zi
