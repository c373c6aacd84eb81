// zarvelon-itaca against bad input and files it cannot replace. Every case
// starts from a working directory that a good exportar and importar left
// behind (the seven tables, SOLUC.DBF, an earlier result file), spoils one
// thing and runs the command line. A failure must exit with 1, say which file
// and what is wrong, and leave every file exactly as it was (no half-replaced
// table, no stray temporary file). Input that is odd but readable (attributes
// missing, values too long, characters Windows-1252 lacks) must convert.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "support/escuela.h"
#include "support/proceso.h"
#include "tables/dbf.h"
#include "tables/working_tables.h"

namespace zi {
namespace {

namespace fs = std::filesystem;
using test::Centro;
using test::Citar;
using Attrs = std::vector<std::pair<std::string, std::string>>;


// The fields of the solution table that importar reads, in a table of the
// host's layout (plus one field the tool does not read).
const std::vector<dbf::FieldDef>& CamposSoluc() {
  using dbf::FieldType;
  static const std::vector<dbf::FieldDef> campos = {
      {"ASIG", FieldType::Text, 10},     {"TAREA", FieldType::Text, 10}, {"DIA", FieldType::Integer, 2},
      {"HORA", FieldType::Integer, 3},   {"MARCO", FieldType::Text, 1},  {"CODGRUPO", FieldType::Text, 10},
      {"PROF", FieldType::Text, 10},     {"AULA", FieldType::Text, 10},  {"SOLUCION", FieldType::Integer, 3}};
  return campos;
}

// A class on Monday, period 1, and the occupation on Tuesday, period 2, in the
// codes the exportar of test::EscuelaPequena() gives; `sin` leaves one field out.
std::string Soluc(const std::string& sin = "") {
  std::vector<dbf::FieldDef> campos;
  for (const auto& c : CamposSoluc())
    if (c.name != sin) campos.push_back(c);
  dbf::Table t("SOLUC", campos);
  const std::vector<std::map<std::string, std::string>> filas = {
      {{"ASIG", "2001"}, {"TAREA", "*479"}, {"DIA", "1"}, {"HORA", "1"}, {"MARCO", "0"}, {"CODGRUPO", "1A"},
       {"PROF", "PGA"}, {"AULA", "A12"}},
      {{"ASIG", "*070"}, {"TAREA", "*070"}, {"DIA", "2"}, {"HORA", "2"}, {"MARCO", "0"}, {"PROF", "PGA1"}}};
  for (const auto& f : filas) {
    const dbf::RecNo r = t.append();
    for (const auto& [campo, valor] : f)
      if (t.fieldIndex(campo) >= 0) t.setText(r, campo, valor);
  }
  t.setUpdateDate(2026, 1, 15);
  return t.serialize();
}

// Every file and folder under a directory, with the bytes of the files.
std::map<std::string, std::string> Foto(const fs::path& raiz) {
  std::map<std::string, std::string> m;
  for (const auto& e : fs::recursive_directory_iterator(raiz)) {
    const std::string nombre = fs::relative(e.path(), raiz).generic_string();
    m[nombre] = e.is_directory() ? std::string("<carpeta>") : test::Leer(e.path());
  }
  return m;
}

// Differences between two pictures, for the failure message.
std::string Diferencias(const std::map<std::string, std::string>& a, const std::map<std::string, std::string>& b) {
  std::string s;
  std::set<std::string> nombres;
  for (const auto& [k, v] : a) nombres.insert(k);
  for (const auto& [k, v] : b) nombres.insert(k);
  for (const auto& k : nombres) {
    auto x = a.find(k), y = b.find(k);
    if (x == a.end()) s += " +" + k;
    else if (y == b.end()) s += " -" + k;
    else if (x->second != y->second) s += " ~" + k;
  }
  return s;
}

std::string Cambiar(std::string bytes, size_t en, std::initializer_list<unsigned char> nuevos) {
  for (unsigned char c : nuevos) bytes.at(en++) = static_cast<char>(c);
  return bytes;
}

class Robustez : public ::testing::Test {
 public:
  // The state a good exportar and importar leave behind.
  void SetUp() override {
    fs::create_directories(z());
    test::Escribir(xml(), Centro(test::EscuelaPequena()));
    ASSERT_EQ(cli("exportar", xml()).codigo, 0);
    test::Escribir(z() / "SOLUC.DBF", Soluc());
    auto s = cli("importar", xml());
    ASSERT_EQ(s.codigo, 0) << s.texto;
    ASSERT_TRUE(fs::exists(raiz_ / "ResultadoZarveloncentro.xml"));
  }

  // Where the case at hand works: the directory SetUp filled, or a copy of it.
  const fs::path& raiz() const { return raiz_; }
  fs::path z() const { return raiz_ / "ZTEMP"; }
  fs::path xml() const { return raiz_ / "centro.xml"; }
  test::Salida cli(const std::string& orden, const fs::path& archivo, const std::string& mas = "") {
    return test::Ejecutar(std::string(ZI_CLI) + " " + orden + " " + Citar(archivo.string()) + " --dir " +
                          Citar(z().string()) + mas);
  }
  dbf::Table tabla(const std::string& nombre) const { return dbf::Table::readFile(z() / (nombre + ".DBF")); }

  test::DirTemporal dir_;
  fs::path raiz_ = dir_.path();
};

// ---------------------------------------------------------------------------
// Failures: exit 1, the file and the problem named, nothing changed.

struct Fallo {
  std::string nombre;
  std::string orden;                       // exportar or importar
  std::function<void(Robustez&)> estropear;  // spoils one thing
  std::vector<std::string> mensaje;        // all of these in the output
  std::string archivo = "centro.xml";      // the ITACA file given
};

class RobustezFallos : public Robustez {
 protected:
  void Comprobar(const std::vector<Fallo>& casos);
};

void RobustezFallos::Comprobar(const std::vector<Fallo>& casos) {
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nombre + " (" + c.orden + ")");
    // Every case starts from the state SetUp left.
    test::DirTemporal copia;
    fs::copy(dir_.path(), copia.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    raiz_ = copia.path();
    c.estropear(*this);
    const auto antes = Foto(raiz_);
    const auto s = cli(c.orden, raiz_ / c.archivo);
    EXPECT_EQ(s.codigo, 1) << s.texto;
    for (const auto& m : c.mensaje) EXPECT_NE(s.texto.find(m), std::string::npos) << "\"" << m << "\" in: " << s.texto;
    EXPECT_EQ(s.texto.find("Proceso finalizado"), std::string::npos) << s.texto;
    const auto despues = Foto(raiz_);
    EXPECT_TRUE(despues == antes) << "changed:" << Diferencias(antes, despues);
    raiz_ = dir_.path();
  }
}

// Files that cannot be read as an ITACA document stop both directions before
// anything is read or written.
TEST_F(RobustezFallos, AnUnreadableItacaFileStopsBothDirections) {
  const std::string bueno = Centro(test::EscuelaPequena());
  struct Xml {
    std::string nombre, bytes;
    std::vector<std::string> mensaje;
  };
  const std::vector<Xml> malos = {
      {"not XML", "esto no es XML, es texto\n", {"malo.xml", "no tiene elemento ra\xC3\xADz"}},
      {"empty", "", {"malo.xml", "vac\xC3\xAD"}},
      {"another root", "<?xml version=\"1.0\"?><escuela codigo=\"1\"><docentes/></escuela>",
       {"malo.xml", "<escuela>", "<centro>"}},
      {"two roots", "<centro/><centro/>", {"malo.xml", "m\xC3\xA1s de un elemento ra\xC3\xADz"}},
      {"truncated", bueno.substr(0, bueno.size() / 2), {"malo.xml", "XML mal formado en la l\xC3\xADnea"}},
      {"truncated in a character",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><centro><docentes><docente nombre=\"\xC3",
       {"malo.xml", "UTF-8"}},
      {"unknown encoding", "<?xml version=\"1.0\" encoding=\"EBCDIC-CP-ES\"?><centro/>",
       {"malo.xml", "codificaci\xC3\xB3n", "EBCDIC-CP-ES"}},
      // A declaration after other text does not decide the reading, but saving
      // would have to write what it names.
      {"late declaration of an unknown encoding", "\x1A\n<?xml version=\"1.0\" encoding=\"windows-2504\"?><centro/>",
       {"malo.xml", "codificaci\xC3\xB3n", "windows-2504"}},
      {"UTF-32", std::string("\xFF\xFE\0\0<\0\0\0", 8), {"malo.xml", "UTF-32"}},
      {"odd UTF-16", std::string("\xFF\xFE<\0c\0e", 7), {"malo.xml", "UTF-16"}},
      {"NUL inside", std::string("<centro>\0</centro>", 18), {"malo.xml", "nulo"}},
  };
  std::vector<Fallo> casos;
  for (const auto& m : malos)
    for (const char* orden : {"exportar", "importar"})
      casos.push_back({m.nombre, orden, [m](Robustez& r) { test::Escribir(r.raiz() / "malo.xml", m.bytes); },
                       m.mensaje, "malo.xml"});
  Comprobar(casos);
}

// A solution table that is not a whole dBase table, or lacks a field the run
// reads, stops importar; the earlier result and DIASHORAST stay.
TEST_F(RobustezFallos, ABrokenSolutionTableStopsImportar) {
  const std::string soluc = Soluc();
  const std::string ruta = "SOLUC.DBF";
  auto poner = [](std::string bytes) { return [bytes](Robustez& r) { test::Escribir(r.z() / "SOLUC.DBF", bytes); }; };
  // Header of the table Soluc() writes: dBase III, 9 fields of 32 bytes.
  const size_t cabecera = 32 + 9 * 32 + 1;
  std::vector<Fallo> casos = {
      {"empty file", "importar", poner(""), {ruta, "vac\xC3\xAD"}},
      {"not a dBase table", "importar", poner("PK\x03\x04 un zip"), {ruta, "no es una tabla dBase"}},
      {"header cut", "importar", poner(soluc.substr(0, 20)), {ruta, "cabecera est\xC3\xA1 truncada"}},
      {"field list cut", "importar", poner(soluc.substr(0, 32 + 3 * 32 + 5)), {ruta, "lista de campos"}},
      {"no end of the field list", "importar", poner(Cambiar(soluc, cabecera - 1, {' '})),
       {ruta, "lista de campos"}},
      {"header longer than the file", "importar", poner(Cambiar(soluc, 8, {0xFF, 0xFF})), {ruta, "cabecera"}},
      {"record length off", "importar", poner(Cambiar(soluc, 10, {0x05, 0x00})), {ruta, "longitud de registro"}},
      {"record count past the end", "importar", poner(Cambiar(soluc, 4, {0x03, 0x00, 0x00, 0x00})),
       {ruta, "n\xC3\xBAmero de registros"}},
      {"huge record count", "importar", poner(Cambiar(soluc, 4, {0xFF, 0xFF, 0xFF, 0xFF})),
       {ruta, "n\xC3\xBAmero de registros"}},
      {"records cut", "importar", poner(soluc.substr(0, soluc.size() - 30)), {ruta, "n\xC3\xBAmero de registros"}},
      {"field of width 0", "importar", poner(Cambiar(soluc, 32 + 16, {0x00})), {ruta, "longitud 0"}},
      {"nameless field", "importar", poner(Cambiar(soluc, 32, {0x00})), {ruta, "nombre"}},
      {"repeated field", "importar", poner(Cambiar(soluc, 32 + 32, {'A', 'S', 'I', 'G', 0x00})), {ruta, "repetido"}},
  };
  for (const auto& campo : CamposSoluc())
    if (campo.name != "SOLUCION")
      casos.push_back({"without " + campo.name, "importar", poner(Soluc(campo.name)), {ruta, campo.name}});
  Comprobar(casos);
}

// The working tables importar reads: missing, or unreadable, or without a
// field it needs.
TEST_F(RobustezFallos, AMissingOrBrokenWorkingTableStopsImportar) {
  std::vector<Fallo> casos;
  for (const char* t : {"GRUPOST", "PROFT", "AULAT", "ASIGNOMT"}) {
    const std::string archivo = std::string(t) + ".DBF";
    casos.push_back({std::string(t) + " missing", "importar",
                     [archivo](Robustez& r) { fs::remove(r.z() / archivo); }, {archivo, "Falta la tabla"}});
    casos.push_back({std::string(t) + " cut", "importar",
                     [archivo](Robustez& r) {
                       const std::string b = test::Leer(r.z() / archivo);
                       test::Escribir(r.z() / archivo, b.substr(0, b.size() - 10));
                     },
                     {archivo, "n\xC3\xBAmero de registros"}});
  }
  // Each field importar reads from a working table, renamed away.
  const std::vector<std::pair<std::string, std::string>> campos = {
      {"GRUPOST", "ABREV"},  {"GRUPOST", "CLAVE"},     {"GRUPOST", "CLAVECURSO"}, {"GRUPOST", "ENSENANZA"},
      {"PROFT", "ABREV"},    {"PROFT", "DNI"},         {"PROFT", "ENSENANZA"},    {"AULAT", "ABREV"},
      {"AULAT", "ABREV_ITACA"}, {"ASIGNOMT", "COD"},   {"ASIGNOMT", "ABREV_ITACA"}};
  for (const auto& [t, campo] : campos) {
    const std::string archivo = t + ".DBF";
    casos.push_back({t + " without " + campo, "importar",
                     [archivo, campo = campo](Robustez& r) {
                       std::string b = test::Leer(r.z() / archivo);
                       const bool nivel7 = b[0] == 0x04;
                       const size_t inicio = nivel7 ? 68 : 32, paso = nivel7 ? 48 : 32;
                       for (size_t at = inicio; at + paso < b.size() && b[at] != 0x0D; at += paso)
                         if (b.compare(at, campo.size() + 1, campo + '\0') == 0) b[at] = 'Q';
                       test::Escribir(r.z() / archivo, b);
                     },
                     {archivo, campo}});
  }
  Comprobar(casos);
}

// A period line of the chosen template that cannot be read, and a working
// directory that is not there or is a file.
TEST_F(RobustezFallos, ABadPeriodOrWorkingDirectoryStopsBothDirections) {
  auto periodo = [](std::string desde, std::string hasta) {
    return [desde, hasta](Robustez& r) {
      auto listas = test::EscuelaPequena();
      for (auto& l : listas)
        if (l.ruta == "sesiones_horario/sesion_horario")
          l.elementos = {{{"plantilla", "MAT"}, {"dia_semana", "L"}, {"sesion_orden", "1"}, {"hora_desde", desde},
                          {"hora_hasta", hasta}}};
      test::Escribir(r.xml(), Centro(listas));
    };
  };
  std::vector<Fallo> casos;
  for (const char* orden : {"exportar", "importar"}) {
    casos.push_back({"hour of one digit", orden, periodo("8:00", "8:55"), {"8:00", "HH:MM"}});
    casos.push_back({"no time", orden, periodo("", ""), {"periodo", "HH:MM"}});
    casos.push_back({"letters", orden, periodo("ab:cd", "ef:gh"), {"ab:cd", "HH:MM"}});
  }
  casos.push_back({"directory missing", "exportar", [](Robustez& r) { fs::remove_all(r.z()); },
                   {"ZTEMP", "No existe el directorio"}});
  casos.push_back({"directory is a file", "exportar",
                   [](Robustez& r) {
                     fs::remove_all(r.z());
                     test::Escribir(r.z(), "no soy una carpeta");
                   },
                   {"ZTEMP", "No existe el directorio"}});
  // importar looks for SOLUC.DBF first, and names the file it misses.
  casos.push_back({"directory missing", "importar", [](Robustez& r) { fs::remove_all(r.z()); },
                   {"ZTEMP/SOLUC.DBF", "No existe archivo XML o Soluci\xC3\xB3n."}});
  Comprobar(casos);
}

// A table (or the result file) whose path is taken by a folder cannot be
// replaced; whatever the run replaced before it must be put back, so that no
// table of the working directory and no earlier result changes. The ITACA
// file changes first, so that every file the run writes would differ from
// the one there. (Permissions would not stop root, under which the tests may
// run; a folder does.)
TEST_F(RobustezFallos, AFileThatCannotBeReplacedLeavesEveryFileAsItWas) {
  auto carpeta = [](std::string archivo) {
    return [archivo](Robustez& r) {
      auto listas = test::EscuelaPequena();
      for (auto& l : listas)
        for (auto& e : l.elementos)
          for (auto& [k, v] : e)
            if (k == "nombre" || k == "nombre_val" || k == "hora_hasta" || k == "descripcion_val" || k == "turno" ||
                k == "abreviatura")
              v += "9";
      test::Escribir(r.xml(), Centro(listas, R"(codigo="46000002" denominacion="IES Otro" curso="2030")"));
      const fs::path p = archivo.find('/') == std::string::npos ? r.z() / archivo : r.raiz() / archivo.substr(1);
      fs::remove(p);
      fs::create_directories(p / "dentro");
      test::Escribir(p / "dentro" / "algo.txt", "x");
    };
  };
  std::vector<Fallo> casos;
  // Each of the seven tables, the first and the last written included.
  for (const auto& t : tables::builtTables())
    casos.push_back({t + " is a folder", "exportar", carpeta(t + ".DBF"), {t + ".DBF"}});
  casos.push_back({"DIASHORAST is a folder", "importar", carpeta("DIASHORAST.DBF"), {"DIASHORAST.DBF"}});
  casos.push_back({"the result is a folder", "importar", carpeta("/ResultadoZarveloncentro.xml"),
                   {"ResultadoZarveloncentro.xml"}});
  Comprobar(casos);
}

// ---------------------------------------------------------------------------
// Odd but readable input converts.

// Every element without a single attribute (the tool reads a missing
// attribute as the empty text): both directions run and the tables hold what
// empty values give.
TEST_F(Robustez, AttributesMissingEverywhereStillConvert) {
  auto listas = test::EscuelaPequena();
  for (auto& l : listas)
    for (auto& e : l.elementos) e.clear();
  test::Escribir(xml(), Centro(listas, ""));
  auto s = cli("exportar", xml(), " --conservar-sin-clases");
  ASSERT_EQ(s.codigo, 0) << s.texto;
  EXPECT_EQ(s.texto.rfind("Proceso finalizado\n", 0), 0u) << s.texto;

  dbf::Table profes = tabla("PROFT");
  ASSERT_EQ(profes.liveCount(), 2u);
  // Two teachers without names still get two different codes.
  EXPECT_NE(profes.getText(1, "ABREV"), profes.getText(2, "ABREV"));
  EXPECT_EQ(profes.getText(1, "NOMBRE"), " ,");
  // A course without a short name is no course; its groups are kept.
  EXPECT_EQ(tabla("CURSOST").liveCount(), 0u);
  EXPECT_EQ(tabla("GRUPOST").liveCount(), 2u);
  EXPECT_EQ(tabla("AULAT").liveCount(), 1u);
  EXPECT_EQ(tabla("DIASHORAST").liveCount(), 0u);  // no period of day "L"
  for (const auto& t : tables::builtTables()) {
    SCOPED_TRACE(t);
    dbf::Table x = tabla(t);
    EXPECT_EQ(x.fields().size(), tables::fieldsOf(t).size());
  }

  test::Escribir(z() / "SOLUC.DBF", Soluc());
  s = cli("importar", xml());
  ASSERT_EQ(s.codigo, 0) << s.texto;
  pugi::xml_document d;
  ASSERT_TRUE(d.load_file((raiz_ / "ResultadoZarveloncentro.xml").c_str()));
  EXPECT_STREQ(d.document_element().name(), "centro");
  // No time slot: nothing can be placed, but both sections are written.
  EXPECT_TRUE(d.document_element().child("horarios_grupo"));
  EXPECT_FALSE(d.document_element().child("horarios_grupo").first_child());
}

// Values far longer than any field are cut to the field; characters that
// Windows-1252 lacks become '?'. Both directions run.
TEST_F(Robustez, LongValuesAreCutAndForeignCharactersBecomeQuestionMarks) {
  const std::string largo(5000, 'x');
  const std::string ajeno = "\xCE\xA9\xE6\xBC\xA2\xF0\x9F\x98\x80";  // Ω 漢 😀
  auto listas = test::EscuelaPequena();
  for (auto& l : listas)
    for (auto& e : l.elementos)
      for (auto& [k, v] : e) {
        if (k == "apellido1") v = ajeno + largo;
        else if (k == "nombre" && l.ruta == "docentes/docente") v = largo;
        else if (k == "nombre" || k == "nombre_val" || k == "nombre_cas" || k == "email1") v = largo + ajeno;
        else if (k == "codigo" && l.ruta == "aulas/aula") v = "A" + ajeno + largo;
      }
  const std::string xmlTexto = Centro(listas);
  test::Escribir(xml(), xmlTexto);
  auto s = cli("exportar", xml());
  ASSERT_EQ(s.codigo, 0) << s.texto;

  dbf::Table profes = tabla("PROFT");
  ASSERT_EQ(profes.liveCount(), 2u);
  EXPECT_EQ(profes.getText(1, "NOMBRE"), "???" + std::string(77, 'x'));
  EXPECT_EQ(profes.getText(1, "EMAIL"), std::string(100, 'x'));
  EXPECT_EQ(profes.getText(1, "ABREV"), "?Gx");
  dbf::Table aulas = tabla("AULAT");
  ASSERT_EQ(aulas.liveCount(), 1u);
  EXPECT_EQ(aulas.getText(1, "ABREV_ITACA"), "A???" + std::string(16, 'x'));
  // A code too long for ABREV is cut and numbered.
  EXPECT_EQ(aulas.getText(1, "ABREV"), "A???xxxx1");
  dbf::Table nom = tabla("ASIGNOMT");
  EXPECT_EQ(nom.getText(1, "NOMBRE"), std::string(80, 'x'));

  // The solution places the class in that room.
  dbf::Table soluc = dbf::Table::readBytes(Soluc(), "SOLUC.DBF");
  soluc.setText(1, "AULA", "A???xxxx1");
  soluc.writeFile(z() / "SOLUC.DBF");
  s = cli("importar", xml());
  ASSERT_EQ(s.codigo, 0) << s.texto;
  EXPECT_EQ(test::Leer(xml()), xmlTexto);
  pugi::xml_document d;
  ASSERT_TRUE(d.load_file((raiz_ / "ResultadoZarveloncentro.xml").c_str()));
  // The class of SOLUC is written, with the room's code as the table holds it.
  auto h = d.document_element().child("horarios_grupo").child("horario_grupo");
  ASSERT_TRUE(h);
  EXPECT_EQ(std::string(h.attribute("aula").value()), "A???" + std::string(16, 'x'));
}

// A successful run never touches the ITACA file or SOLUC.DBF, whatever it
// reads from them.
TEST_F(Robustez, NeitherDirectionWritesItsInputs) {
  const auto xmlAntes = test::Leer(xml()), solucAntes = test::Leer(z() / "SOLUC.DBF");
  ASSERT_EQ(cli("exportar", xml()).codigo, 0);
  ASSERT_EQ(cli("importar", xml()).codigo, 0);
  EXPECT_EQ(test::Leer(xml()), xmlAntes);
  EXPECT_EQ(test::Leer(z() / "SOLUC.DBF"), solucAntes);
  for (const auto& e : fs::directory_iterator(z()))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

}  // namespace
}  // namespace zi
