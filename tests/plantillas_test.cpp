// The template choice both directions share: codes, name by language, turn
// and the period lines the time-slot step reads by position.
#include <gtest/gtest.h>

#include "plantillas/plantillas.h"
#include "support/escuela.h"

namespace zi {
namespace {

using Attrs = std::vector<std::pair<std::string, std::string>>;

Attrs Sesion(const std::string& plantilla, const std::string& dia, const std::string& orden,
             const std::string& desde = "08:00", const std::string& hasta = "08:55") {
  return {{"plantilla", plantilla}, {"dia_semana", dia}, {"sesion_orden", orden},
          {"hora_desde", desde}, {"hora_hasta", hasta}};
}

CatalogoPlantillas Catalogo(std::vector<Attrs> plantillas, std::vector<Attrs> sesiones) {
  std::vector<test::Lista> l = {{"plantillas_horario/plantilla_horario", std::move(plantillas)}};
  if (!sesiones.empty()) l.push_back({"sesiones_horario/sesion_horario", std::move(sesiones)});
  static xml::Document doc;
  doc = xml::Document::parse(test::Centro(l), "prueba.xml");
  return CatalogoPlantillas(doc);
}

TEST(Plantillas, CodesNamesAndTurns) {
  auto cat = Catalogo({{{"codigo", " A "}, {"descripcion_val", "Mat\xC3\xAD"}, {"descripcion_cas", "Ma\xC3\xB1" "ana"},
                        {"turno", "M"}},
                       {{"codigo", "B"}, {"descripcion_val", "Vesprada"}, {"turno", "V"}},
                       {{"codigo", "A"}, {"descripcion_val", "Mat\xC3\xAD 2"}, {"turno", "\tM2 "}}},
                      {});
  EXPECT_EQ(cat.codigos(), (std::vector<std::string>{"A", "B", "A"}));  // trimmed, duplicates kept
  EXPECT_EQ(cat.nombre("A", kValencia), test::W("Mat\xC3\xAD 2"));      // the last with the code decides
  EXPECT_EQ(cat.nombre("A", kCastellano), "");
  EXPECT_EQ(cat.nombre("A", "valencia"), "");  // only exactly "VALENCIÁ" takes the Valencian name
  EXPECT_EQ(cat.turno("A"), "M2");
  EXPECT_EQ(cat.nombre("a", kValencia), "-");  // case counts
  EXPECT_EQ(cat.turno("C"), "-");
  EXPECT_EQ(cat.nombre(" A", kValencia), "-");  // the typed text is compared as it is
  EXPECT_EQ(Elegir(cat, " B ").plantilla, "B");
}

TEST(Plantillas, PeriodLinesOfDayLInNumberOrder) {
  auto cat = Catalogo({{{"codigo", "A"}}, {{"codigo", "B"}}},
                      {Sesion("A", "L", "10", "13:00", "13:55"), Sesion("A", "L", "1", "08:00", "08:55"),
                       Sesion("A", "M", "3"), Sesion("B", "L", "4"), Sesion(" A ", " L ", "2", "08:55", "09:50"),
                       Sesion("A", "l", "5"), Sesion("A", "L", "100", "14:00", "14:55"), Sesion("A", "L", "")});
  EXPECT_EQ(cat.lineasPeriodos("A"),
            (std::vector<std::string>{" 1 de 08:00 a 08:55", " 2 de 08:55 a 09:50", " de 08:00 a 08:55",
                                      "10 de 13:00 a 13:55", "100 de 14:00 a 14:55"}));
  EXPECT_EQ(cat.lineasPeriodos("B"), (std::vector<std::string>{" 4 de 08:00 a 08:55"}));
  EXPECT_TRUE(cat.lineasPeriodos("Z").empty());
  EXPECT_EQ(LineaPeriodo("1234", "08:00", "08:55").substr(0, 7), "123 de ");
}

TEST(Plantillas, ASinglePeriodElementIsTaken) {
  auto cat = Catalogo({{{"codigo", "A"}}}, {Sesion("A", "L", "1")});
  EXPECT_EQ(cat.lineasPeriodos("A"), (std::vector<std::string>{" 1 de 08:00 a 08:55"}));
}

}  // namespace
}  // namespace zi
