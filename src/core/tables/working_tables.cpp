#include "tables/working_tables.h"

#include <map>
#include <stdexcept>

namespace zi::tables {
namespace {

using dbf::FieldDef;
using dbf::FieldType;

FieldDef C(const char* n, int w) { return {n, FieldType::Text, w, 0}; }
FieldDef L(const char* n) { return {n, FieldType::Logical, 1, 0}; }
FieldDef F(const char* n) { return {n, FieldType::Float, kFloatWidth, kFloatDecimals}; }
FieldDef I(const char* n) { return {n, FieldType::Integer, kIntegerWidth, 0}; }

const std::map<std::string, std::vector<FieldDef>>& all() {
  static const std::map<std::string, std::vector<FieldDef>> m = {
      {ASIGNOMT,
       {C("COD", 10), C("CODLARGO", 10), C("NOMBRE", 80), C("MATERIA", 8), C("CODTAREA", 12), L("ESTAREA"),
        C("DENIVEL", 5), C("DECURSO", 3), C("ABREV_ITACA", 20)}},
      {PROFT,
       {C("ABREV", 10), C("NOMBRE", 80), C("DEPART", 40), C("EMAIL", 100), C("DNI", 14), C("X_EMPLEADO", 10),
        C("F_TOMAPOS", 10), C("ENSENANZA", 5)}},
      {CURSOST, {C("ABREV", 3), C("TURNO", 1), C("NIVEL", 5), C("CURSO", 3), C("CLAVE", 10), C("ESTUD", 40)}},
      {GRUPOST,
       {C("ABREV", 10), C("TURNO", 1), C("NIVEL", 5), C("CURSO", 3), C("GRUPO", 2), C("DESCRIP", 80), C("MARCO", 1),
        C("CLAVE", 10), C("CLAVECURSO", 10), C("ENSENANZA", 10), C("TUTOR", 10)}},
      {AULAT,
       {C("ABREV", 10), C("NOMBRE", 80), C("EDIFICIO", 1), I("MAXALUM"), C("DEPCENTRO", 10),
        C("ABREV_ITACA", 20)}},
      {ASIGT,
       {C("CASIG", 10), C("CPROF", 10), C("CGRUP", 10), C("CAULA", 10), C("TURNO", 1), C("NIVEL", 5),
        C("CURSO", 3), C("GRUPO", 2), F("HORAS"), C("SESIONES", 20), C("NCONEX", 4), C("CLAVE", 10),
        C("CLAVECURSO", 10), C("CTAREA", 10), C("ASIG_ITACA", 20)}},
      {DIASHORAST,
       {C("DIHO", 10), C("CODDIHO", 10), C("DIA", 20), C("TEXTODIA", 20), C("HORA", 8), C("TEXTOHOR", 15),
        C("HORADESDE", 8), C("HORAHASTA", 8), C("MINUTOS", 8), C("MARCO", 1), C("MARCOXML", 10),
        I("SESION_ORDEN")}},
  };
  return m;
}

}  // namespace

const std::vector<dbf::FieldDef>& fieldsOf(const std::string& table) {
  auto it = all().find(table);
  if (it == all().end()) throw std::invalid_argument("unknown working table " + table);
  return it->second;
}

const std::vector<std::string>& builtTables() {
  static const std::vector<std::string> order = {PROFT, CURSOST, GRUPOST, ASIGNOMT, AULAT, ASIGT, DIASHORAST};
  return order;
}

dbf::Table newTable(const std::string& table) { return dbf::Table(table, fieldsOf(table)); }

}  // namespace zi::tables
