// The host's solution table and the working tables beside it, as a test
// writes them.
#pragma once

#include <string>
#include <vector>

#include "exportar/exportar_run.h"
#include "plantillas/plantillas.h"
#include "run/preguntas.h"
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

// The working tables an importar starts from: the ITACA file `xml` taken
// into `dir` with the template `plantilla`, answering "&Si" to every
// question (every group and teacher stays).
inline void TablasDeTrabajo(const std::filesystem::path& dir, const std::filesystem::path& xml,
                            const std::string& plantilla) {
  struct Si : Preguntas {
    Respuesta preguntar(const std::string&) override { return Respuesta::Si; }
  } si;
  ExportarRun exp(dir, si);
  exp.CargarDocumento(xml);
  CatalogoPlantillas cat(exp.documento());
  exp.AplicarPlantilla(Elegir(cat, plantilla), kValencia);
  exp.Ejecutar();
}

}  // namespace zi::test
