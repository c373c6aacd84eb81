// zarvelon-itaca from the outside: exit codes, messages, and the tables it
// writes as an independent reader sees them.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/escuela.h"
#include "support/proceso.h"
#include "support/solucion.h"
#include "tables/dbf.h"
#include "tables/working_tables.h"

namespace zi {
namespace {

namespace fs = std::filesystem;
using test::Centro;
using test::Citar;

std::string Escuela() { return Centro(test::EscuelaPequena()); }

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Escribir(dir_ / "centro.xml", Escuela());
    fs::create_directories(dir_ / "ZTEMP");
  }
  test::Salida cli(const std::string& args) { return test::Ejecutar(std::string(ZI_CLI) + " " + args); }
  std::string ztemp() const { return Citar((dir_ / "ZTEMP").string()); }
  // Every file of the working directory with its bytes.
  std::map<std::string, std::string> contenido() const {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::directory_iterator(dir_ / "ZTEMP")) m[e.path().filename().string()] = test::Leer(e.path());
    return m;
  }
  test::DirTemporal dir_;
};

TEST_F(Cli, ExportarWritesTheSevenTablesThatAnIndependentReaderOpens) {
  test::Escribir(dir_ / "ZTEMP" / "PROFT.MDX", "old index");
  auto s = cli("exportar " + Citar((dir_ / "centro.xml").string()) + " --dir " + ztemp());
  ASSERT_EQ(s.codigo, 0) << s.texto;
  EXPECT_EQ(s.texto.rfind("Proceso finalizado\n", 0), 0u) << s.texto;
  EXPECT_FALSE(fs::exists(dir_ / "ZTEMP" / "PROFT.MDX"));
  for (const auto& nombre : tables::builtTables()) {
    SCOPED_TRACE(nombre);
    const fs::path f = dir_ / "ZTEMP" / (nombre + ".DBF");
    ASSERT_TRUE(fs::exists(f));
    // Our reader sees the exact field list.
    dbf::Table t = dbf::Table::readFile(f);
    const auto& defs = tables::fieldsOf(nombre);
    ASSERT_EQ(t.fields().size(), defs.size());
    for (size_t i = 0; i < defs.size(); ++i) {
      EXPECT_EQ(t.fields()[i].name, defs[i].name);
      EXPECT_EQ(t.fields()[i].width, defs[i].width);
    }
  }
  // The dBase III tables through dbfread.
  auto dump = test::Ejecutar(std::string(ZI_PYTHON) + " " + Citar(std::string(ZI_TEST_TOOLS) + "/dbf_dump.py") + " " +
                             Citar((dir_ / "ZTEMP" / "PROFT.DBF").string()));
  if (dump.codigo != 0 && dump.texto.find("dbfread") != std::string::npos) GTEST_SKIP() << "no dbfread";
  ASSERT_EQ(dump.codigo, 0) << dump.texto;
  EXPECT_NE(dump.texto.find("\"P\\u00e9rez G\\u00f3mez, Ana\""), std::string::npos) << dump.texto;
  EXPECT_NE(dump.texto.find("\"PGA\""), std::string::npos) << dump.texto;
  EXPECT_NE(dump.texto.find("\"PGA1\""), std::string::npos) << dump.texto;
  auto asig = test::Ejecutar(std::string(ZI_PYTHON) + " " + Citar(std::string(ZI_TEST_TOOLS) + "/dbf_dump.py") + " " +
                             Citar((dir_ / "ZTEMP" / "ASIGT.DBF").string()));
  ASSERT_EQ(asig.codigo, 0) << asig.texto;
  EXPECT_NE(asig.texto.find("[\"HORAS\", \"N\", 12, 2]"), std::string::npos) << asig.texto;
  EXPECT_NE(asig.texto.find("\"11\""), std::string::npos) << asig.texto;  // SESIONES of two lessons
}

TEST_F(Cli, BadInputFailsCleanlyAndLeavesTheWorkingTablesAsTheyWere) {
  ASSERT_EQ(cli("exportar " + Citar((dir_ / "centro.xml").string()) + " --dir " + ztemp()).codigo, 0);
  const auto antes = contenido();
  test::Escribir(dir_ / "roto.xml", "<?xml version=\"1.0\"?><centro><docentes>");
  test::Escribir(dir_ / "otra.xml", "<?xml version=\"1.0\"?><escuela/>");
  test::Escribir(dir_ / "texto.xml", "esto no es XML");
  test::Escribir(dir_ / "periodo.xml",
                 Centro({{"plantillas_horario/plantilla_horario", {{{"codigo", "P"}}}},
                         {"sesiones_horario/sesion_horario",
                          {{{"plantilla", "P"}, {"dia_semana", "L"}, {"sesion_orden", "1"}, {"hora_desde", "8:00"},
                            {"hora_hasta", "8:55"}}}}}));
  struct Caso {
    std::string args;
    int codigo;
    std::string mensaje;
  };
  const std::string d = " --dir " + ztemp();
  const std::vector<Caso> casos = {
      {"exportar " + Citar((dir_ / "nada.xml").string()) + d, 1, "No existe archivo"},
      {"exportar " + Citar((dir_ / "roto.xml").string()) + d, 1, "roto.xml"},
      {"exportar " + Citar((dir_ / "otra.xml").string()) + d, 1, "otra.xml"},
      {"exportar " + Citar((dir_ / "texto.xml").string()) + d, 1, "texto.xml"},
      {"exportar " + Citar((dir_ / "periodo.xml").string()) + d, 1, "8:00"},
      {"exportar " + Citar((dir_ / "centro.xml").string()) + d + " --plantilla XYZ", 1, "XYZ"},
      {"exportar " + Citar((dir_ / "centro.xml").string()) + " --dir " + Citar((dir_ / "no").string()), 1, "no"},
      {"exportar " + Citar((dir_ / "centro.xml").string()) + d + " --idioma klingon", 2, "klingon"},
      {"exportar", 2, "--help"},
      {"exportar a.xml --nada", 2, "--nada"},
      {"importar " + Citar((dir_ / "centro.xml").string()) + d, 1, "No existe archivo XML o Soluci\xC3\xB3n."},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.args);
    auto s = cli(c.args);
    EXPECT_EQ(s.codigo, c.codigo) << s.texto;
    EXPECT_NE(s.texto.find(c.mensaje), std::string::npos) << s.texto;
    EXPECT_EQ(contenido(), antes);
  }
}

TEST_F(Cli, ImportarTakesTheTemplateUsedOnTheWayIn) {
  ASSERT_EQ(cli("exportar " + Citar((dir_ / "centro.xml").string()) + " --dir " + ztemp() + " --plantilla VES --conservar-sin-clases").codigo, 0);
  dbf::Table soluc = test::TablaSoluc({{"2001", "*479", 2, 1, "0", "1A", "", ""}});
  soluc.writeFile(dir_ / "ZTEMP" / "SOLUC.DBF");
  auto s = cli("importar " + Citar((dir_ / "centro.xml").string()) + " --dir " + ztemp() + " --curso 2027");
  ASSERT_EQ(s.codigo, 0) << s.texto;
  const std::string res = test::Leer(dir_ / "ResultadoZarveloncentro.xml");
  EXPECT_NE(res.find("curso=\"2027\""), std::string::npos) << res;
  EXPECT_NE(res.find("plantilla=\"VES\" dia_semana=\"M\" sesion_orden=\"1\" hora_desde=\"15:00\""), std::string::npos)
      << res;
}

}  // namespace
}  // namespace zi
