// One run of the Zarvelon-to-ITACA direction: the timetable that the host
// computed (SOLUC.DBF) is turned back into ITACA's keys, periods and clock
// times with the help of the working tables, and written as a new ITACA file,
// "ResultadoZarvelon" followed by the name of the ITACA file, beside it.
//
// The time slots are rebuilt first from the chosen template. Nothing is
// written until everything has been read and built: then the result file and
// DIASHORAST.DBF replace the old ones, each through a temporary file and a
// rename. A run that fails leaves both as they were. The ITACA file and
// SOLUC.DBF are never written.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "plantillas/plantillas.h"
#include "run/avisos.h"
#include "tables/dbf.h"
#include "xml/xml_document.h"

namespace zi {

// One timetable element the run wrote, in the host's codes (Windows-1252), as
// the report shows it.
struct SesionEscrita {
  dbf::RecNo fila = 0;     // its row in SOLUC
  bool ocupacion = false;  // an occupation period: no group and no room
  long long dia = 0;       // 1 Monday .. 7 Sunday
  long long hora = 0;      // HORA of its time slot (1 for the template's first period)
  // GRUPOST, PROFT, AULAT and ASIGNOMT codes; empty when written without.
  std::string grupo, profesor, aula, asignatura;
};

class ImportarRun {
 public:
  explicit ImportarRun(std::filesystem::path directorio);

  std::filesystem::path ArchivoXML;
  std::string PlantillaSel;                // the template the timetable is written under
  std::vector<std::string> ListBoxPlanti;  // its period lines
  std::string ComboBoxValCast{kValencia};  // language of the rebuilt slots' day names
  std::string CursoDestino;                // the school year the new file declares

  // Tests for the ITACA file and SOLUC.DBF (ArchivoNoExiste with "No existe
  // archivo XML o Solución." when either is missing), then loads the document
  // (xml::XmlError when it cannot be read).
  void Preparar(const std::filesystem::path& archivo);
  const xml::Document& documento() const { return DocXML; }
  // The `curso` of the file's root, trimmed: where CursoDestino starts.
  std::string CursoDelArchivo() const;
  // The template recorded in the existing DIASHORAST.DBF (the one used when
  // the data went into Zarvelon), or the empty text.
  std::string PlantillaAnterior() const;
  void AplicarPlantilla(const EleccionPlantilla& eleccion, std::string_view idioma);

  // Builds the new document and writes it with the rebuilt time slots.
  void Ejecutar();

  std::filesystem::path ArchivoResultado() const;
  const Avisos& avisos() const { return avisos_; }
  const std::filesystem::path& directorio() const { return dir_; }
  // Every element written, classes first, in the order of SOLUC.
  const std::vector<SesionEscrita>& sesionesEscritas() const { return escritas_; }
  size_t horariosGrupo() const { return horariosGrupo_; }
  size_t horariosOcupacion() const { return horariosOcupacion_; }
  // The tables as this run read or rebuilt them (for the report).
  const dbf::Table* tabla(const std::string& nombre) const;

 private:
  // Reads a table of the working directory; a missing table, or one without
  // one of `campos`, is a RunError naming the file.
  dbf::Table leerTabla(const std::string& nombre, std::initializer_list<const char*> campos = {}) const;

  std::filesystem::path dir_;
  xml::Document DocXML;
  std::map<std::string, dbf::Table> tablas_;
  Avisos avisos_;
  std::vector<SesionEscrita> escritas_;
  size_t horariosGrupo_ = 0, horariosOcupacion_ = 0;
};

// "3" for 3, "2.5" for 2.5: a number without needless zeros.
std::string TextoNumero(double v);

// The day letter of days 1 (Monday) to 7, empty for any other number.
std::string LetraDia(long long dia);

}  // namespace zi
