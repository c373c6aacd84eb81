// One run of the ITACA-to-Zarvelon direction: the ITACA document is read and
// the seven working tables are rebuilt from it by ten steps, in a fixed order.
//
// The steps hand data to each other only through the working tables and the
// state below. Every table is built in memory; only when all ten steps have
// ended are the tables written over the old ones (each through a temporary
// file and a rename), so a run that fails changes no working table.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "exportar/lista_lecciones.h"
#include "plantillas/plantillas.h"
#include "run/avisos.h"
#include "run/preguntas.h"
#include "tables/dbf.h"
#include "xml/xml_document.h"

namespace zi {

class ExportarRun {
 public:
  // `directorio`: where the working tables live. `preguntas`: how the user is
  // asked the two questions of the run.
  ExportarRun(std::filesystem::path directorio, Preguntas& preguntas);

  // State the steps share, under the names the windows give it.
  std::filesystem::path ArchivoXML;
  std::string PlantillaSel;  // code of the chosen template
  std::string TurnoSel;      // its turn, as the template dialog shows it
  std::string ComboBoxValCast{kValencia};  // language of the texts
  std::vector<std::string> ListBoxPlanti;  // period lines of the chosen template
  int SoloPlantillaSel = 0;  // 1: only the chosen template's timetables are taken

  // Loads the ITACA file. Throws ArchivoNoExiste when there is no such file,
  // xml::XmlError when it cannot be read as an ITACA document.
  void CargarDocumento(const std::filesystem::path& archivo);
  // The same with a document already parsed; `archivo` only names it.
  void UsarDocumento(xml::Document documento, const std::filesystem::path& archivo);
  const xml::Document& documento() const { return DocXML; }
  bool tienePlantillas() const;
  // Takes back what the template choice gives: code, turn, period lines and
  // the language of the texts.
  void AplicarPlantilla(const EleccionPlantilla& eleccion, std::string_view idioma);

  // Runs the ten steps and writes the tables. Throws on any failure, before a
  // single table is written.
  void Ejecutar();

  // The ten steps, in the order Ejecutar runs them.
  void ImportarDocentes();
  void ImportarCursosGrupos();
  void ImportarContenidos();
  void ImportarOcupaciones();
  void ImportarAulas();
  void GenerarAsignaciones();
  void ImportarHorariosGrupo();
  void ImportarHorariosOcupaciones();
  void QuitarSinClases();
  void CrearTramos();

  // Writes every table built so far over the old ones.
  void GuardarTablas();

  // A table built by this run. Throws RunError when the step that builds it
  // has not run.
  dbf::Table& tabla(const std::string& nombre);
  const dbf::Table& tabla(const std::string& nombre) const;
  bool tieneTabla(const std::string& nombre) const { return tablas_.count(nombre) > 0; }
  const Avisos& avisos() const { return avisos_; }
  const std::filesystem::path& directorio() const { return dir_; }

 private:
  void crear(const std::string& nombre);

  std::filesystem::path dir_;
  Preguntas& preguntas_;
  xml::Document DocXML;
  // The lesson list, read from the document on a thread of its own from the
  // start of Ejecutar on, while the steps before the group timetables run.
  // Declared after the document, which it reads: it goes first.
  std::unique_ptr<LecturaLecciones> lecturaLecciones_;
  std::map<std::string, dbf::Table> tablas_;
  Avisos avisos_;
  // Run-wide lists of the subject and task steps (exact comparison).
  std::unordered_set<std::string> CodigosUsados;
  std::unordered_set<std::string> NombresUsados;
  std::unordered_set<std::string> ContenidosUsados;
};

// The lesson pattern for c weekly hours: one digit per lesson, from 1 to 9,
// adding up to c, at most 20 digits. Empty when c is 0 or less, or when c is
// more than 20 lessons of 9 hours can hold.
std::string PatronSesiones(long c);

}  // namespace zi
