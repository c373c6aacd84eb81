// The host's solution table, as a test writes it.
#pragma once

#include <string>
#include <vector>

#include "tables/dbf.h"

namespace zi::test {

// One row of SOLUC: subject or task, task code, day, hour, frame, group,
// teacher and room, in the host's codes.
struct FilaSoluc {
  std::string asig, tarea;
  int dia;
  double hora;
  std::string marco, grupo, prof, aula;
};

// A solution table of the host's layout, with one field the tool does not read.
inline dbf::Table TablaSoluc(const std::vector<FilaSoluc>& filas) {
  using dbf::FieldType;
  dbf::Table t("SOLUC", {{"ASIG", FieldType::Text, 10}, {"TAREA", FieldType::Text, 10},
                         {"DIA", FieldType::Integer, 2}, {"HORA", FieldType::Float, 6, 2},
                         {"MARCO", FieldType::Text, 1}, {"CODGRUPO", FieldType::Text, 10},
                         {"PROF", FieldType::Text, 10}, {"AULA", FieldType::Text, 10},
                         {"OTRO", FieldType::Logical, 1}});
  for (const auto& f : filas) {
    dbf::RecNo r = t.append();
    t.setText(r, "ASIG", f.asig);
    t.setText(r, "TAREA", f.tarea);
    t.setInteger(r, "DIA", f.dia);
    t.setFloat(r, "HORA", f.hora);
    t.setText(r, "MARCO", f.marco);
    t.setText(r, "CODGRUPO", f.grupo);
    t.setText(r, "PROF", f.prof);
    t.setText(r, "AULA", f.aula);
  }
  return t;
}

}  // namespace zi::test
