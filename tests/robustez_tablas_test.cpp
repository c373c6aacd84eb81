// The locate index at the sizes of a large school: tens of thousands of keys,
// keys shared by thousands of rows, deletions by the thousand. Every answer is
// checked against a scan of the whole table.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/tablas.h"
#include "tables/dbf.h"

namespace zi::dbf {
namespace {

class IndiceGrande : public ::testing::Test {
 protected:
  // CLAVE is nearly unique (as a group, course and content are), GRUPO is
  // shared by thousands of rows (as a teacher's code is), HORAS is numeric.
  IndiceGrande()
      : t_("ASIGT", {{"CLAVE", FieldType::Text, 10}, {"GRUPO", FieldType::Text, 4}, {"HORAS", FieldType::Float, 12, 2}}) {}

  void Llenar(RecNo filas) {
    t_.reserve(filas);
    for (RecNo i = 0; i < filas; ++i) {
      const RecNo r = t_.append();
      t_.setText(r, "CLAVE", "K" + std::to_string(i % (filas - 7)));  // a few keys twice
      t_.setText(r, "GRUPO", "G" + std::to_string(i % 5));
      t_.setFloat(r, "HORAS", static_cast<double>(i % 9) / 2);
    }
  }

  // Asks every key in `claves` and compares with a scan; returns the count of
  // keys found.
  int Comprobar(const std::string& nombres, const std::vector<int>& campos,
                const std::vector<std::vector<std::string>>& claves) {
    int hallados = 0;
    for (const auto& valores : claves) {
      std::vector<std::string_view> v(valores.begin(), valores.end());
      const auto esperado = test::PrimeraFila(t_, campos, valores);
      EXPECT_EQ(t_.locate(nombres, v), esperado) << nombres << " = " << valores[0];
      hallados += esperado.has_value();
    }
    return hallados;
  }

  Table t_;
};

TEST_F(IndiceGrande, ManyKeysThroughDeletionsEditsAndPacks) {
  const RecNo filas = 20000;
  Llenar(filas);
  std::mt19937 rng(7);
  auto clave = [&] { return "K" + std::to_string(rng() % (filas + 50)); };  // some never stored
  std::vector<std::vector<std::string>> preguntas;
  for (int i = 0; i < 300; ++i) preguntas.push_back({clave()});
  const int campoClave = t_.requireField("CLAVE");
  EXPECT_GT(Comprobar("CLAVE", {campoClave}, preguntas), 250);

  // Deletions one by one, scattered: the index stays right while it is kept
  // and after it is dropped and built again.
  for (int i = 0; i < 9000; ++i) {
    t_.remove(static_cast<RecNo>(rng() % filas + 1));
    if (i % 1500 == 0) Comprobar("CLAVE", {campoClave}, preguntas);
  }
  Comprobar("CLAVE", {campoClave}, preguntas);

  // Edits move rows between keys, onto keys that exist and onto new ones.
  for (int i = 0; i < 3000; ++i) {
    const RecNo r = static_cast<RecNo>(rng() % filas + 1);
    if (!t_.isDeleted(r)) t_.setText(r, "CLAVE", i % 2 ? clave() : "N" + std::to_string(i));
  }
  Comprobar("CLAVE", {campoClave}, preguntas);
  std::vector<std::vector<std::string>> nuevas;
  for (int i = 0; i < 3000; i += 97) nuevas.push_back({"N" + std::to_string(i)});
  Comprobar("CLAVE", {campoClave}, nuevas);

  // Appends after the edits, then a pack renumbers everything.
  for (int i = 0; i < 500; ++i) t_.setText(t_.append(), "CLAVE", clave());
  Comprobar("CLAVE", {campoClave}, preguntas);
  t_.pack();
  Comprobar("CLAVE", {campoClave}, preguntas);
}

TEST_F(IndiceGrande, KeysSharedByThousandsOfRowsAndNumericParts) {
  Llenar(12000);
  const int grupo = t_.requireField("GRUPO"), horas = t_.requireField("HORAS");
  std::vector<std::vector<std::string>> preguntas;
  for (int g = 0; g < 6; ++g)
    for (const char* h : {"0", "0.5", "1", "4", "4.00", "9"}) preguntas.push_back({"G" + std::to_string(g), h});
  // Five groups by four of the hours: "4.00" is not how 4 reads, 9 hours and
  // group G5 are in no row.
  EXPECT_EQ(Comprobar("GRUPO;HORAS", {grupo, horas}, preguntas), 20);

  // The first rows of each shared key go, in order, thousands of them: the
  // answer is always the next live one.
  for (RecNo r = 1; r <= 6000; ++r) {
    t_.remove(r);
    if (r % 1000 == 0) Comprobar("GRUPO;HORAS", {grupo, horas}, preguntas);
  }
  // A deleted row's key moved onto a kept key does not come back.
  for (RecNo r = 6001; r <= 6100; ++r) t_.setText(r, "GRUPO", "G0");
  Comprobar("GRUPO;HORAS", {grupo, horas}, preguntas);
  Comprobar("GRUPO", {grupo}, {{"G0"}, {"G1"}, {"G4"}, {"G5"}});
}

}  // namespace
}  // namespace zi::dbf
