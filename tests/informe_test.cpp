// The run report: the summary, the HTML page, the assignments of the ITACA
// to Zarvelon direction and the weekly grids and clashes of the way back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include <pugixml.hpp>

#include "exportar/exportar_run.h"
#include "importar/importar_run.h"
#include "informe/informe.h"
#include "support/escuela.h"
#include "support/solucion.h"
#include "tables/working_tables.h"

namespace zi {
namespace {

namespace fs = std::filesystem;
using test::Centro;
using Attrs = std::vector<std::pair<std::string, std::string>>;

// Thousands of notices of one kind share their reason; each still reads its
// own, also when the reasons of a kind alternate, and values become UTF-8.
TEST(Avisos, EachNoticeKeepsItsValuesAndItsReason) {
  Avisos avisos;
  const std::string valor = "F\xEDsica";  // Windows-1252, as the run holds it
  avisos.add(TipoAviso::OcupacionSinCodigoLibre, {{"ocupaci\xC3\xB3n", valor}}, "uno");
  avisos.add(TipoAviso::OcupacionSinCodigoLibre, {{"ocupaci\xC3\xB3n", "A"}}, "dos");
  avisos.add(TipoAviso::OcupacionSinCodigoLibre, Attrs{{"ocupaci\xC3\xB3n", "B"}}, "uno");
  avisos.add(TipoAviso::GrupoQuitado, {}, "uno");
  const auto& l = avisos.lista();
  ASSERT_EQ(l.size(), 4u);
  EXPECT_EQ(l[0].datos, (Attrs{{"ocupaci\xC3\xB3n", "F\xC3\xADsica"}}));
  EXPECT_EQ(l[2].datos, (Attrs{{"ocupaci\xC3\xB3n", "B"}}));
  const char* motivos[] = {"uno", "dos", "uno", "uno"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(l[i].motivo(), motivos[i]) << i;
  avisos.clear();
  avisos.add(TipoAviso::GrupoQuitado, {}, "tres");
  EXPECT_EQ(avisos.lista().at(0).motivo(), "tres");
}

class Guion : public Preguntas {
 public:
  Respuesta todas = Respuesta::No, quitar = Respuesta::Si;
  Respuesta preguntar(const std::string& texto) override { return texto == kPreguntaTodasPlantillas ? todas : quitar; }
};

// Every file of a directory with its bytes.
std::map<std::string, std::string> Contenido(const fs::path& dir) {
  std::map<std::string, std::string> m;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) m[e.path().filename().string()] = test::Leer(e.path());
  return m;
}

// ---------------------------------------------------------------------------
// Reading the page back.

std::string Texto(const pugi::xml_node& n) {
  return pugi::xpath_query("normalize-space(string(.))").evaluate_string(n);
}

// The page parsed as XML; a page that does not parse fails the test.
struct Pagina {
  explicit Pagina(const std::string& html) {
    // Blanks between elements kept, as a browser keeps them.
    auto r = doc.load_string(html.c_str(), pugi::parse_default | pugi::parse_ws_pcdata);
    EXPECT_TRUE(r) << r.description() << " at " << r.offset << ": " << html.substr(r.offset > 80 ? r.offset - 80 : 0, 160);
  }
  // The kind of notice whose folding heading starts with `titulo`.
  pugi::xml_node tipo(const std::string& titulo) const {
    for (auto d : doc.select_nodes("//details"))
      if (Texto(d.node().child("summary")).rfind(titulo, 0) == 0) return d.node();
    return {};
  }
  // The weekly grid of `codigo` in section "grupos" or "profesores".
  pugi::xml_node horario(const std::string& seccion, const std::string& codigo) const {
    for (auto s : doc.select_nodes(("//section[@id='" + seccion + "']/section").c_str()))
      if (Texto(s.node().select_node("h3/span[@class='codigo']").node()) == codigo) return s.node();
    return {};
  }
  // The cell of the grid in the row of the period that starts at `desde` and
  // the column headed `dia`.
  pugi::xml_node celda(const std::string& seccion, const std::string& codigo, const std::string& desde,
                       const std::string& dia) const {
    pugi::xml_node h = horario(seccion, codigo);
    int columna = -1, i = 0;
    for (auto th : h.select_nodes(".//thead/tr/th")) {
      if (Texto(th.node()) == dia) columna = i;
      ++i;
    }
    if (columna < 1) return {};
    for (auto tr : h.select_nodes(".//tbody/tr")) {
      if (std::string(tr.node().attribute("class").value()) == "pausa") continue;
      if (Texto(tr.node().child("th")).find(desde + "–") == std::string::npos) continue;
      int k = 0;
      for (auto td : tr.node().children("td"))
        if (++k == columna) return td;
    }
    return {};
  }
  std::vector<std::string> dias(const std::string& seccion, const std::string& codigo) const {
    std::vector<std::string> v;
    for (auto th : horario(seccion, codigo).select_nodes(".//thead/tr/th")) v.push_back(Texto(th.node()));
    return v;
  }
  pugi::xml_document doc;
};

bool Contiene(const std::string& s, const std::string& parte) { return s.find(parte) != std::string::npos; }

// The cells of a table row, joined by " | ".
std::string Celdas(const pugi::xml_node& tr) {
  std::string s;
  bool primera = true;
  for (auto td : tr.children("td")) {
    s += (primera ? "" : " | ") + Texto(td);
    primera = false;
  }
  return s;
}

// The number on the summary's line of `que` ("  PROFT.DBF   3  profesores").
long Cifra(const std::string& resumen, const std::string& que) {
  const size_t pos = resumen.find("\n  " + que + " ");
  if (pos == std::string::npos) return -1;
  const std::string linea = resumen.substr(pos + 3 + que.size(), resumen.find('\n', pos + 1) - pos - 3 - que.size());
  return std::stol(linea);
}

// The lines of one kind in the summary: its title line and the notices under it.
std::string Bloque(const std::string& resumen, size_t pos) {
  size_t fin = pos;
  while ((fin = resumen.find('\n', fin + 1)) != std::string::npos && fin + 1 < resumen.size())
    if (resumen.compare(fin + 1, 4, "    ") != 0) break;
  return resumen.substr(pos, fin == std::string::npos ? std::string::npos : fin - pos);
}

// A page that needs nothing from outside: no script, no external reference of
// any kind, every link pointing at a part of the page, and UTF-8 declared.
void AutonomaYBienFormada(const std::string& html) {
  Pagina p(html);
  EXPECT_TRUE(p.doc.select_node("/html/head/meta[@charset='utf-8']")) << "no charset";
  EXPECT_FALSE(Contiene(html, "<script")) << "script";
  EXPECT_FALSE(Contiene(html, "http://"));
  EXPECT_FALSE(Contiene(html, "https://"));
  EXPECT_FALSE(Contiene(html, "url("));
  EXPECT_FALSE(Contiene(html, "@import"));
  for (const char* e : {"script", "link", "img", "iframe", "object", "embed", "base", "form"})
    EXPECT_FALSE(p.doc.select_node(("//" + std::string(e)).c_str())) << e;
  EXPECT_FALSE(p.doc.select_node("//*[@src]"));
  std::set<std::string> ids;
  for (auto n : p.doc.select_nodes("//*[@id]")) ids.insert(n.node().attribute("id").value());
  for (auto n : p.doc.select_nodes("//*[@href]")) {
    const std::string href = n.node().attribute("href").value();
    ASSERT_FALSE(href.empty());
    EXPECT_EQ(href[0], '#') << href;
    EXPECT_TRUE(ids.count(href.substr(1))) << "dangling link " << href;
  }
  for (auto n : p.doc.select_nodes("//@*"))
    EXPECT_NE(std::string(n.attribute().name()).rfind("on", 0), 0u) << "event handler " << n.attribute().name();
}

// One notice the fixture is built to raise: a label and value among its
// first three, and a piece of its reason.
struct AvisoEsperado {
  TipoAviso tipo;
  std::string etiqueta, valor, motivo;
};

// Checks that each notice shows in the summary (title with count, the value
// with its label, the reason) and in the page (its kind's block with the value
// in a cell and the reason), and that the kinds come most important first.
void AvisosEnInforme(const Informe& inf, const std::vector<AvisoEsperado>& esperados) {
  const std::string resumen = ResumenInforme(inf);
  const std::string html = InformeHtml(inf);
  Pagina p(html);
  size_t anterior = 0;
  std::set<TipoAviso> vistos;
  for (const auto& a : inf.avisos) vistos.insert(a.tipo);
  for (const auto& e : esperados) {
    const std::string titulo = TituloAviso(e.tipo);
    SCOPED_TRACE(titulo);
    EXPECT_TRUE(vistos.count(e.tipo)) << "the fixture did not raise it";
    size_t n = 0;
    for (const auto& a : inf.avisos)
      if (a.tipo == e.tipo) n = a.avisos.size();
    const size_t pos = resumen.find("  " + titulo + ": " + std::to_string(n) + "\n");
    ASSERT_NE(pos, std::string::npos) << resumen;
    EXPECT_GT(pos, anterior) << "kinds out of order";
    anterior = pos;
    const std::string bloque = Bloque(resumen, pos);
    EXPECT_TRUE(Contiene(bloque, e.etiqueta + ": " + e.valor)) << bloque;
    EXPECT_TRUE(Contiene(bloque, e.motivo)) << bloque;

    pugi::xml_node d = p.tipo(titulo);
    ASSERT_TRUE(d) << "no block for the kind";
    EXPECT_TRUE(Contiene(Texto(d.child("summary")), std::to_string(n)));
    bool valor = false;
    for (auto td : d.select_nodes(".//td")) valor = valor || Texto(td.node()) == e.valor;
    EXPECT_TRUE(valor) << "value " << e.valor << " not in a cell";
    int columna = 0, i = 0;
    for (auto th : d.select_nodes(".//thead/tr/th")) {
      ++i;
      if (Texto(th.node()) == e.etiqueta) columna = i;
    }
    EXPECT_GT(columna, 0) << "no column " << e.etiqueta;
    EXPECT_TRUE(Contiene(Texto(d), e.motivo));
  }
  // The page lists every notice: one row each.
  size_t filas = 0;
  for (auto d : p.doc.select_nodes("//details")) filas += d.node().select_nodes(".//tbody/tr").size();
  EXPECT_EQ(filas, inf.totalAvisos);
  EXPECT_EQ(p.doc.select_nodes("//details").size(), inf.avisos.size());
}

// ---------------------------------------------------------------------------
// ITACA to Zarvelon.

Attrs Docente(const std::string& ap, const std::string& doc) {
  return {{"apellido1", ap}, {"apellido2", "X"}, {"nombre", "Y"}, {"tipo_docente", "D"}, {"documento", doc}};
}
Attrs Leccion(const std::string& plantilla, const std::string& contenido, const std::string& docente,
              const std::string& aula) {
  return {{"plantilla", plantilla}, {"grupo", "101"}, {"curso", "11"}, {"contenido", contenido},
          {"docente", docente}, {"aula", aula}, {"dia_semana", "L"}, {"sesion_orden", "1"}};
}
Attrs Periodo(const std::string& plantilla, const std::string& ocupacion, const std::string& docente) {
  return {{"plantilla", plantilla}, {"ocupacion", ocupacion}, {"docente", docente}};
}

// A school that raises each notice of the way in once at least, in a file
// that declares no encoding and is not UTF-8.
std::string EscuelaConAvisos() {
  std::vector<Attrs> ocupaciones = {{{"codigo", "70"}, {"nombre_val", "Matem\xC3\xA0tiques"}},
                                    {{"codigo", "80"}, {"nombre_val", "Gu\xC3\xA0rdia"}}};
  // 193 occupations whose codes end in 070: the task codes *070 and *07A to
  // *07\xFF run out for the last one.
  for (int i = 1; i <= 193; ++i)
    ocupaciones.push_back({{"codigo", std::to_string(i) + "070"}, {"nombre_val", "Tasca " + std::to_string(i)}});
  std::vector<Attrs> lecciones = {Leccion("P1", "2001", "DX", "R1"), Leccion("P1", "2001", "DX", "R1"),
                                  Leccion("P1", "2001", "DX", "R1"), Leccion("P2", "2001", "DX", "R1"),
                                  Leccion("P2", "2001", "DX", "R1"), Leccion("P2", "2001", "DX", "R1"),
                                  Leccion("P2", "2001", "DX", "R1"), Leccion("P2", "2001", "DX", "R1"),
                                  Leccion("P1", "9999", "DX", "R1"),
                                  Leccion("P1", "ABCDEFGHIJKL", "NODOC", "NOAULA")};
  std::vector<Attrs> periodos = {Periodo("P1", "5555", "DY")};
  for (int i = 0; i < 181; ++i) periodos.push_back(Periodo("P1", "80", "DY"));
  periodos.push_back(Periodo("P2", "80", "DY"));
  return test::W(Centro(
      {{"docentes/docente", {Docente("Xarc", "DX"), Docente("Yago", "DY"), Docente("Zulo", "DZ")}},
       {"cursos/curso",
        {{{"codigo", "11"}, {"abreviatura", "1ESO"}, {"padre", " "}},
         {{"codigo", "20"}, {"abreviatura", "FPB"}, {"padre", " "}},
         {{"codigo", "12"}, {"abreviatura", "2ESO"}, {"padre", " "}}}},
       {"cursos_grupo/curso_grupo", {{{"grupo", "101"}, {"curso", "11"}}, {{"grupo", "102"}, {"curso", "11"}}}},
       {"grupos/grupo",
        {{{"codigo", "101"}, {"nombre", "1r ESO <A> &amp; \"B\""}, {"tutor_ppal", "DX"}},
         {{"codigo", "102"}, {"nombre", "1r ESO C"}, {"tutor_ppal", "NOEXISTE"}}}},
       {"contenidos/contenido",
        {{{"codigo", "2001"}, {"curso", "11"}, {"nombre_val", "Matem\xC3\xA0tiques"}},
         {{"codigo", "ABCDEFGHIJKL"}, {"curso", "11"}, {"nombre_val", "Qu\xC3\xADmica"}},
         {{"codigo", "ABCDEFGHXYKL"}, {"curso", "11"}, {"nombre_val", "F\xC3\xADsica"}},
         {{"codigo", "3001"}, {"curso", "12"}, {"nombre_val", "Dibuix"}}}},
       {"ocupaciones/ocupacion", ocupaciones},
       {"aulas/aula", {{{"codigo", "R1"}, {"nombre", "Aula 1"}}}},
       {"plantillas_horario/plantilla_horario", {{{"codigo", "P1"}}, {{"codigo", "P2"}}}},
       {"sesiones_horario/sesion_horario",
        {{{"plantilla", "P1"}, {"dia_semana", "L"}, {"sesion_orden", "1"}, {"hora_desde", "08:00"},
          {"hora_hasta", "08:55"}}}},
       {"horarios_grupo/horario_grupo", lecciones},
       {"horarios_ocupaciones/horario_ocupacion", periodos}}));
}

class InformeExportarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Escribir(dir_ / "centro.xml", EscuelaConAvisos());
    run_ = std::make_unique<ExportarRun>(dir_.path(), guion_);
    run_->CargarDocumento(dir_ / "centro.xml");
    CatalogoPlantillas cat(run_->documento());
    run_->AplicarPlantilla(Elegir(cat, "P1"), kValencia);
    run_->Ejecutar();
  }
  test::DirTemporal dir_;
  Guion guion_;
  std::unique_ptr<ExportarRun> run_;
};

TEST_F(InformeExportarTest, EveryKindOfNoticeShowsWithItsCodesAndReason) {
  const Informe inf = InformeExportar(*run_);
  AvisosEnInforme(
      inf,
      {{TipoAviso::LeccionSinAsignacion, "contenido", "9999", "No hay asignación de ese grupo"},
       {TipoAviso::ContenidoSinAsignatura, "contenido", "ABCDEFGHXYKL", "ni por código ni por nombre"},
       {TipoAviso::ContenidoCodigoOcupado, "código", "ABCDEFGHKL", "ya lo tiene otra asignatura"},
       {TipoAviso::OcupacionNombreRepetido, "ocupación", "70", "Ya hay una asignatura u ocupación con ese nombre"},
       {TipoAviso::OcupacionSinCodigoLibre, "ocupación", "193070", "No queda ningún código de tarea libre"},
       {TipoAviso::OcupacionNoEncontrada, "ocupación", "5555", "no está entre las tareas"},
       {TipoAviso::CursoSinDigito, "curso", "20", "no empieza por una cifra"},
       {TipoAviso::ContenidoSinGrupos, "contenido", "3001", "Ningún grupo pertenece al curso"},
       {TipoAviso::DocenteNoEncontrado, "docente", "NODOC", "Ningún docente tiene ese documento"},
       {TipoAviso::AulaNoEncontrada, "aula", "NOAULA", "Ninguna aula tiene ese código"},
       {TipoAviso::TutorNoEncontrado, "tutor", "NOEXISTE", "queda sin tutor"},
       {TipoAviso::HorasSinPatron, "horas", "181", "SESIONES queda vacío"},
       {TipoAviso::LeccionOtraPlantilla, "plantilla", "P2", "otra plantilla que la elegida"},
       {TipoAviso::GrupoQuitado, "grupo", "102", "no tiene ninguna asignación"},
       {TipoAviso::DocenteQuitado, "profesor", "ZXY", "no tiene ninguna asignación ni tarea"},
       {TipoAviso::CodificacionSupuesta, "archivo", "centro.xml", "se ha leído como Windows-1252"}});
  // The summary shows three notices of a kind and says how many more there
  // are: five lessons and one occupation period of the other template.
  const std::string resumen = ResumenInforme(inf);
  const std::string bloque = Bloque(resumen, resumen.find("  Horarios de otra plantilla: 6\n"));
  EXPECT_EQ(std::count(bloque.begin(), bloque.end(), '\n'), 4) << bloque;
  EXPECT_TRUE(Contiene(bloque, "    ... y 3 más")) << bloque;
}

TEST_F(InformeExportarTest, TheSummaryCountsTheRowsOfEveryTable) {
  const std::string resumen = ResumenInforme(InformeExportar(*run_));
  EXPECT_EQ(resumen.rfind("De ITACA a Zarvelon, plantilla P1.", 0), 0u) << resumen;
  for (const auto& nombre : tables::builtTables()) {
    EXPECT_EQ(Cifra(resumen, nombre + ".DBF"), static_cast<long>(run_->tabla(nombre).liveCount())) << nombre << "\n"
                                                                                                    << resumen;
  }
}

TEST_F(InformeExportarTest, ThePageListsTheAssignmentsOfEachGroupAndTheTasksOfEachTeacher) {
  const std::string html = InformeHtml(InformeExportar(*run_));
  AutonomaYBienFormada(html);
  Pagina p(html);
  // Group 101 with its name escaped and read back whole; 102 was removed.
  auto grupos = p.doc.select_nodes("//section[@id='asignaciones']/section");
  ASSERT_EQ(grupos.size(), 1u);
  pugi::xml_node g = grupos.first().node();
  EXPECT_EQ(Texto(g.select_node("h3/span[@class='nombre']").node()), "1r ESO <A> &amp; \"B\"");
  EXPECT_TRUE(Contiene(Texto(g.child("h3")), "4 h semanales"));
  std::vector<std::string> filas;
  for (auto tr : g.select_nodes(".//tbody/tr")) filas.push_back(Celdas(tr.node()));
  // Code, subject, hours, teacher, room, lesson pattern.
  EXPECT_EQ(filas, (std::vector<std::string>{
                       "2001 | Matemàtiques | 3 | Xarc X, Y (XXY) | Aula 1 (R1) | 111",
                       "ABCDEFGHKL | Química | 1 | — | — | 1",
                   }));
  auto tareas = p.doc.select_nodes("//section[@id='tareas']/section");
  ASSERT_EQ(tareas.size(), 1u);
  EXPECT_EQ(Texto(tareas.first().node().select_node("h3/span[@class='codigo']").node()), "YXY");
  filas.clear();
  for (auto tr : tareas.first().node().select_nodes(".//tbody/tr")) filas.push_back(Celdas(tr.node()));
  EXPECT_EQ(filas, (std::vector<std::string>{" | (no está en ASIGNOMT) | 1 | 1", "*80 | Guàrdia | 181 | (vacío)"}));
}

TEST_F(InformeExportarTest, MakingAndSavingTheReportChangesNoTable) {
  const auto antes = Contenido(dir_.path());
  const Informe inf = InformeExportar(*run_);
  GuardarInforme(inf, dir_ / "informe.html");
  auto despues = Contenido(dir_.path());
  ASSERT_TRUE(despues.count("informe.html"));
  EXPECT_EQ(despues["informe.html"], InformeHtml(inf));
  despues.erase("informe.html");
  EXPECT_EQ(despues, antes);
}

// ---------------------------------------------------------------------------
// Zarvelon to ITACA.

using Fila = test::FilaSoluc;

// One course, groups 1A and 1B (the second with a name that needs escaping),
// teachers PGA, RSM and VMJ, rooms A12 and LAB, subjects 2001 and 2002, the
// occupation 70 (task *70), template P with a break between periods 2 and 3.
std::string EscuelaDeVuelta() {
  return test::W(Centro(
      {{"docentes/docente",
        {{{"apellido1", "P\xC3\xA9rez"}, {"apellido2", "G\xC3\xB3mez"}, {"nombre", "Ana"}, {"documento", "111A"}},
         {{"apellido1", "Roig"}, {"apellido2", "Sanz"}, {"nombre", "Marta"}, {"documento", "222B"}},
         {{"apellido1", "Vidal"}, {"apellido2", "Mas"}, {"nombre", "Joan"}, {"documento", "333C"}}}},
       {"cursos_grupo/curso_grupo", {{{"grupo", "1A"}, {"curso", "11"}}, {{"grupo", "1B"}, {"curso", "11"}}}},
       {"grupos/grupo",
        {{{"codigo", "1A"}, {"nombre", "1r ESO A"}}, {{"codigo", "1B"}, {"nombre", "1r <ESO> &amp; \"B\""}},
         {{"codigo", "1C"}, {"nombre", "1r ESO C"}}}},
       {"contenidos/contenido",
        {{{"codigo", "2001"}, {"curso", "11"}, {"nombre_val", "Matem\xC3\xA0tiques"}},
         {{"codigo", "2002"}, {"curso", "11"}, {"nombre_val", "Hist\xC3\xB2ria & <Geografia>"}}}},
       {"ocupaciones/ocupacion", {{{"codigo", "70"}, {"nombre_val", "Gu\xC3\xA0rdia"}}}},
       {"aulas/aula", {{{"codigo", "A12"}, {"nombre", "Aula 12"}}, {{"codigo", "LAB"}, {"nombre", "Laboratori"}}}},
       {"plantillas_horario/plantilla_horario", {{{"codigo", "P"}}}},
       {"sesiones_horario/sesion_horario",
        {{{"plantilla", "P"}, {"dia_semana", "L"}, {"sesion_orden", "1"}, {"hora_desde", "08:00"}, {"hora_hasta", "08:55"}},
         {{"plantilla", "P"}, {"dia_semana", "L"}, {"sesion_orden", "2"}, {"hora_desde", "08:55"}, {"hora_hasta", "09:50"}},
         {{"plantilla", "P"}, {"dia_semana", "L"}, {"sesion_orden", "3"}, {"hora_desde", "10:20"}, {"hora_hasta", "11:15"}}}}}));
}

class InformeImportarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Escribir(dir_ / "centro.xml", EscuelaDeVuelta());
    test::TablasDeTrabajo(dir_.path(), dir_ / "centro.xml", "P");
  }
  void solucion(const std::vector<Fila>& filas) { test::TablaSoluc(filas).writeFile(dir_ / "SOLUC.DBF"); }
  ImportarRun& correr() {
    run_ = std::make_unique<ImportarRun>(dir_.path());
    run_->Preparar(dir_ / "centro.xml");
    CatalogoPlantillas cat(run_->documento());
    run_->AplicarPlantilla(Elegir(cat, "P"), kValencia);
    run_->CursoDestino = "2027";
    run_->Ejecutar();
    return *run_;
  }
  test::DirTemporal dir_;
  std::unique_ptr<ImportarRun> run_;
};

// A week with a double-booked cell, a teacher and a room in two places at
// once, a Saturday, rows written without teacher, room or day, and one row of
// each kind that is left out.
const std::vector<Fila> kSemana = {
    {"2001", "*479", 1, 1, "0", "1A", "PGA", "A12"},     // 1: Monday 1, 1A
    {"2002", "*479", 1, 1, "0", "1A", "RSM", "LAB"},     // 2: the same cell of 1A
    {"2001", "*479", 1, 1, "0", "1B", "PGA", "A12"},     // 3: PGA and A12 twice on Monday 1
    {"2002", "*479", 2, 3, "0", "1A", "RSM", "LAB"},     // 4: Tuesday 3, after the break
    {"*70", "*70", 6, 2, "0", "", "RSM", ""},            // 5: an occupation on Saturday
    {"2001", "*479", 3, 2, "0", "1B", "ZZZ", "A12"},     // 6: written without teacher
    {"2001", "*479", 3, 1, "0", "1B", "VMJ", "NOAULA"},  // 7: written without room
    {"2001", "*479", 1, 2, "0", "9Z", "PGA", "A12"},     // 8: no such group
    {"XXX", "*479", 1, 2, "0", "1A", "PGA", "A12"},      // 9: no such subject
    {"2001", "*479", 1, 7, "0", "1A", "PGA", "A12"},     // 10: no such period
    {"*70", "*70", 1, 2, "0", "", "NOPE", ""},           // 11: an occupation of no teacher
    {"2001", "*479", 0, 1, "0", "1A", "PGA", "A12"},     // 12: no day
    {"2001", "*479", 9, 2, "0", "1B", "VMJ", "A12"},     // 13: day 9: written without a day
};

TEST_F(InformeImportarTest, EveryKindOfNoticeShowsWithItsCodesAndReason) {
  solucion(kSemana);
  const Informe inf = InformeImportar(correr());
  AvisosEnInforme(inf, {{TipoAviso::FilaSinGrupo, "grupo", "9Z", "El grupo no está en GRUPOST"},
                        {TipoAviso::FilaSinAsignatura, "asignatura", "XXX", "no está en ASIGNOMT"},
                        {TipoAviso::FilaSinTramo, "hora", "7", "Ningún tramo de la plantilla tiene esa hora"},
                        {TipoAviso::FilaOcupacionSinDocente, "profesor", "NOPE", "la ocupación no se exporta"},
                        {TipoAviso::FilaSinDocente, "profesor", "ZZZ", "la clase va sin docente"},
                        {TipoAviso::FilaSinAula, "fila", "7", "la clase va sin aula"},
                        {TipoAviso::FilaSinDiaHora, "fila", "12", "La fila no tiene día u hora"},
                        {TipoAviso::CodificacionSupuesta, "archivo", "centro.xml", "se ha leído como Windows-1252"}});
}

TEST_F(InformeImportarTest, TheSummaryTellsWhatWasWrittenAndTheClashes) {
  solucion(kSemana);
  const std::string resumen = ResumenInforme(InformeImportar(correr()));
  EXPECT_EQ(Cifra(resumen, "Horarios de grupo"), 7) << resumen;
  EXPECT_EQ(Cifra(resumen, "Horarios de ocupación"), 1);
  EXPECT_EQ(Cifra(resumen, "DIASHORAST.DBF"), 21);
  EXPECT_EQ(Cifra(resumen, "SOLUC.DBF"), 13);
  for (const char* linea : {"Clases escritas sin día de la semana: 1\n",
                            "Posibles choques (el mismo profesor, grupo o aula dos veces en un periodo): 3\n",
                            "  - Profesor PGA, lunes, periodo 1 (08:00-08:55): 2 clases\n",
                            "  - Grupo 1A, lunes, periodo 1 (08:00-08:55): 2 clases\n",
                            "  - Aula A12, lunes, periodo 1 (08:00-08:55): 2 clases\n"})
    EXPECT_TRUE(Contiene(resumen, linea)) << linea << "\n" << resumen;
}

TEST_F(InformeImportarTest, TheGridsShowWhatWasWrittenCellByCell) {
  solucion(kSemana);
  const Informe inf = InformeImportar(correr());
  const std::string html = InformeHtml(inf);
  AutonomaYBienFormada(html);
  Pagina p(html);

  // Saturday is used, Sunday is not.
  const std::vector<std::string> semana = {"Periodo", "Lunes", "Martes", "Miércoles", "Jueves", "Viernes", "Sábado"};
  EXPECT_EQ(p.dias("grupos", "1A"), semana);
  EXPECT_EQ(p.dias("profesores", "RSM"), semana);
  // Only the groups with classes get a grid, in GRUPOST order; 1C is named as
  // having none.
  std::vector<std::string> grupos, profesores;
  for (const auto& h : inf.horariosGrupo) grupos.push_back(h.codigo);
  for (const auto& h : inf.horariosProfesor) profesores.push_back(h.codigo);
  EXPECT_EQ(grupos, (std::vector<std::string>{"1A", "1B"}));
  EXPECT_EQ(profesores, (std::vector<std::string>{"PGA", "RSM", "VMJ"}));
  EXPECT_EQ(inf.gruposSinClases, (std::vector<std::string>{"1C"}));
  EXPECT_TRUE(Contiene(Texto(p.doc.select_node("//section[@id='grupos']/p[@class='nota']").node()), "1C"));
  // The name that needed escaping reads back whole.
  EXPECT_EQ(Texto(p.horario("grupos", "1B").select_node("h3/span[@class='nombre']").node()), "1r <ESO> &amp; \"B\"");

  struct Caso {
    std::string seccion, codigo, desde, dia;
    std::string texto;  // the cell's text
    std::string clase;  // its class attribute
  };
  const std::vector<Caso> casos = {
      // Two classes in one cell: both shown, the cell marked.
      {"grupos", "1A", "08:00", "Lunes", "2 a la vez Matemàtiques 2001 · PGA · A12 Història & <Geografia> 2002 · RSM · LAB",
       "varias"},
      {"grupos", "1A", "10:20", "Martes", "Història & <Geografia> 2002 · RSM · LAB", ""},
      {"grupos", "1A", "08:55", "Lunes", "", ""},
      {"grupos", "1B", "08:00", "Lunes", "Matemàtiques 2001 · PGA · A12", ""},
      {"grupos", "1B", "08:55", "Miércoles", "Matemàtiques 2001 · sin profesor · A12", ""},
      {"grupos", "1B", "08:00", "Miércoles", "Matemàtiques 2001 · VMJ", ""},
      // A teacher's cell names the group; an occupation has neither group nor room.
      {"profesores", "PGA", "08:00", "Lunes", "2 a la vez Matemàtiques 2001 · 1A · A12 Matemàtiques 2001 · 1B · A12",
       "varias"},
      {"profesores", "RSM", "08:55", "Sábado", "Guàrdia *70", "ocupacion"},
      {"profesores", "RSM", "08:00", "Lunes", "Història & <Geografia> 2002 · 1A · LAB", ""},
      {"profesores", "VMJ", "08:00", "Miércoles", "Matemàtiques 2001 · 1B", ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.seccion + " " + c.codigo + " " + c.dia + " " + c.desde);
    pugi::xml_node td = p.celda(c.seccion, c.codigo, c.desde, c.dia);
    ASSERT_TRUE(td);
    EXPECT_EQ(Texto(td), c.texto);
    EXPECT_EQ(std::string(td.attribute("class").value()), c.clase);
  }
  // The teacher's full name is at hand in the cell and the group's key.
  pugi::xml_node td = p.celda("grupos", "1B", "08:00", "Lunes");
  EXPECT_TRUE(td.select_node(".//span[@title='Pérez Gómez, Ana']"));
  EXPECT_TRUE(Contiene(Texto(p.horario("grupos", "1A").child("p")), "PGA Pérez Gómez, Ana"));
  // The break between periods 2 and 3 is a row of its own.
  EXPECT_TRUE(Contiene(Texto(p.horario("grupos", "1A").select_node(".//tr[@class='pausa']").node()), "09:50–10:20"));
  // The class without a day is listed apart.
  ASSERT_EQ(inf.fueraDeCuadricula.size(), 1u);
  EXPECT_EQ(inf.clases[inf.fueraDeCuadricula[0]].fila, 13u);
}

TEST_F(InformeImportarTest, ClashesAreListedTeachersFirstWithTheirClasses) {
  solucion(kSemana);
  const Informe inf = InformeImportar(correr());
  std::vector<std::string> choques;
  for (const auto& c : inf.choques) {
    std::string s = c.de + " " + c.codigo + " " + NombreDia(c.dia) + " " + inf.periodos[c.periodo].numero + ":";
    for (size_t i : c.clases) s += " " + std::to_string(inf.clases[i].fila);
    choques.push_back(s);
  }
  EXPECT_EQ(choques, (std::vector<std::string>{"Profesor PGA Lunes 1: 1 3", "Grupo 1A Lunes 1: 1 2", "Aula A12 Lunes 1: 1 3"}));
  Pagina p(InformeHtml(inf));
  auto filas = p.doc.select_nodes("//section[@id='choques']/table[1]/tbody/tr");
  ASSERT_EQ(filas.size(), 3u);
  const std::string primera = Texto(filas.first().node());
  for (const char* parte : {"Profesor", "Pérez Gómez, Ana (PGA)", "Lunes", "1 (08:00–08:55)", "grupo 1A", "grupo 1B",
                            "fila 1 de SOLUC", "fila 3 de SOLUC"})
    EXPECT_TRUE(Contiene(primera, parte)) << parte << " in " << primera;
}

TEST_F(InformeImportarTest, ACleanWeekHasNoClashNoWeekendAndNoNotice) {
  solucion({{"2001", "*479", 1, 1, "0", "1A", "PGA", "A12"},
            {"2001", "*479", 5, 3, "0", "1B", "PGA", "A12"},
            {"*70", "*70", 1, 1, "0", "", "RSM", ""}});
  const Informe inf = InformeImportar(correr());
  EXPECT_TRUE(inf.choques.empty());
  EXPECT_EQ(inf.dias, (std::vector<long long>{1, 2, 3, 4, 5}));
  const std::string resumen = ResumenInforme(inf);
  EXPECT_TRUE(Contiene(resumen, "Sin choques")) << resumen;
  // The file's encoding is the only notice left.
  ASSERT_EQ(inf.avisos.size(), 1u);
  EXPECT_EQ(inf.avisos[0].tipo, TipoAviso::CodificacionSupuesta);
  const std::string html = InformeHtml(inf);
  AutonomaYBienFormada(html);
  Pagina p(html);
  EXPECT_FALSE(p.doc.select_node("//td[@class='varias']"));
  EXPECT_TRUE(p.doc.select_node("//section[@id='choques']/p[@class='vacio']"));
}

TEST_F(InformeImportarTest, MakingAndSavingTheReportChangesNothingTheRunWrote) {
  solucion(kSemana);
  ImportarRun& run = correr();
  const auto antes = Contenido(dir_.path());
  GuardarInforme(InformeImportar(run), dir_ / "informe.html");
  auto despues = Contenido(dir_.path());
  EXPECT_EQ(despues.erase("informe.html"), 1u);
  EXPECT_EQ(despues, antes);
}

// A school of 40,000 lessons: every lesson reaches its grids, and lessons of
// different groups in one slot are no clash. (Its speed is the benchmark's
// business, not a test's.)
TEST(InformeGrande, FortyThousandLessonsAllReachTheirGrids) {
  test::DirTemporal dir;
  const int grupos = 150, profesores = 400, periodos = 60, porGrupo = 267;
  auto escribir = [&](const char* nombre, int n, auto rellenar) {
    dbf::Table t = tables::newTable(nombre);
    for (int i = 0; i < n; ++i) rellenar(t, t.append(), i);
    t.writeFile(dir / (std::string(nombre) + ".DBF"));
  };
  escribir(tables::GRUPOST, grupos, [](dbf::Table& t, dbf::RecNo r, int i) {
    t.setText(r, "ABREV", "G" + std::to_string(i));
    t.setText(r, "DESCRIP", "Grupo " + std::to_string(i));
  });
  escribir(tables::PROFT, profesores, [](dbf::Table& t, dbf::RecNo r, int i) {
    t.setText(r, "ABREV", "P" + std::to_string(i));
    t.setText(r, "NOMBRE", "Profesor " + std::to_string(i));
  });
  escribir(tables::AULAT, grupos, [](dbf::Table& t, dbf::RecNo r, int i) { t.setText(r, "ABREV", "A" + std::to_string(i)); });
  escribir(tables::ASIGNOMT, 50, [](dbf::Table& t, dbf::RecNo r, int i) {
    t.setText(r, "COD", "S" + std::to_string(i));
    t.setText(r, "NOMBRE", "Asignatura " + std::to_string(i));
  });
  dbf::Table soluc("SOLUC", {{"ASIG", dbf::FieldType::Text, 10}, {"TAREA", dbf::FieldType::Text, 10},
                             {"DIA", dbf::FieldType::Integer, 2}, {"HORA", dbf::FieldType::Integer, 3},
                             {"MARCO", dbf::FieldType::Text, 1}, {"CODGRUPO", dbf::FieldType::Text, 10},
                             {"PROF", dbf::FieldType::Text, 10}, {"AULA", dbf::FieldType::Text, 10}});
  // Lesson k of group g in slot k: at each slot the groups have different
  // teachers, so nothing clashes.
  for (int g = 0; g < grupos; ++g)
    for (int k = 0; k < porGrupo; ++k) {
      dbf::RecNo r = soluc.append();
      soluc.setText(r, "ASIG", "S" + std::to_string(k % 50));
      soluc.setText(r, "TAREA", "*479");
      soluc.setInteger(r, "DIA", 1 + k / periodos);
      soluc.setInteger(r, "HORA", 1 + k % periodos);
      soluc.setText(r, "MARCO", "0");
      soluc.setText(r, "CODGRUPO", "G" + std::to_string(g));
      soluc.setText(r, "PROF", "P" + std::to_string((g + grupos * k) % profesores));
      soluc.setText(r, "AULA", "A" + std::to_string(g));
    }
  soluc.writeFile(dir / "SOLUC.DBF");
  test::Escribir(dir / "centro.xml", Centro({}));
  ImportarRun run(dir.path());
  run.Preparar(dir / "centro.xml");
  for (int p = 1; p <= periodos; ++p) {
    char linea[32];
    std::snprintf(linea, sizeof linea, "%2d de %02d:%02d a %02d:%02d", p, 7 + p / 6, (p % 6) * 10, 7 + p / 6, (p % 6) * 10 + 9);
    run.ListBoxPlanti.push_back(linea);
  }
  run.Ejecutar();
  ASSERT_EQ(run.horariosGrupo(), static_cast<size_t>(grupos * porGrupo));

  const Informe inf = InformeImportar(run);
  const std::string html = InformeHtml(inf);
  const std::string resumen = ResumenInforme(inf);
  EXPECT_EQ(inf.clases.size(), 40050u);
  EXPECT_EQ(inf.horariosGrupo.size(), static_cast<size_t>(grupos));
  EXPECT_EQ(inf.horariosProfesor.size(), static_cast<size_t>(profesores));
  EXPECT_TRUE(inf.choques.empty());
  EXPECT_EQ(Cifra(resumen, "Horarios de grupo"), 40050);
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(html.c_str()));
}

}  // namespace
}  // namespace zi
