// The frame of a run: loading, the order of the steps, writing the tables.
#include "exportar/exportar_run.h"

#include <functional>
#include <memory>
#include <string_view>
#include <system_error>

#include "io/atomic_file.h"
#include "plantillas/tramos.h"
#include "run/errores.h"
#include "tables/working_tables.h"
#include "text/cp1252.h"
#include "xml/itaca_paths.h"

namespace zi {
namespace fs = std::filesystem;

ExportarRun::ExportarRun(fs::path directorio, Preguntas& preguntas)
    : dir_(std::move(directorio)), preguntas_(preguntas) {}

void ExportarRun::CargarDocumento(const fs::path& archivo) {
  std::error_code ec;
  if (archivo.empty() || !fs::is_regular_file(archivo, ec)) throw ArchivoNoExiste(kNoExisteArchivo, io::nombreArchivo(archivo));
  UsarDocumento(xml::Document::load(archivo), archivo);
}

void ExportarRun::UsarDocumento(xml::Document documento, const fs::path& archivo) {
  DocXML = std::move(documento);
  ArchivoXML = archivo;
  AvisarCodificacion(avisos_, DocXML.fellBackTo1252(), ArchivoXML);
}

bool ExportarRun::tienePlantillas() const { return DocXML.selectFirst(itaca::kPlantillasHorario).valid(); }

void ExportarRun::AplicarPlantilla(const EleccionPlantilla& eleccion, std::string_view idioma) {
  PlantillaSel = eleccion.plantilla;
  ComboBoxValCast = std::string(idioma);
  TurnoSel = eleccion.turno;
  ListBoxPlanti = eleccion.periodos;
}

void ExportarRun::Ejecutar() {
  std::error_code ec;
  if (!fs::is_directory(dir_, ec))
    throw RunError("No existe el directorio de trabajo " + io::nombreArchivo(dir_) + ".");
  // A run starts from empty lists, tables and notices, also after a run that
  // failed.
  tablas_.clear();
  avisos_.clear();
  AvisarCodificacion(avisos_, DocXML.fellBackTo1252(), ArchivoXML);
  CodigosUsados.clear();
  NombresUsados.clear();
  ContenidosUsados.clear();

  // The lesson list is the largest part of the document to read; a second
  // thread reads it from now on. Nothing changes the document during a run,
  // and the reading stops and is waited for however the run ends.
  try {
    lecturaLecciones_ = std::make_unique<LecturaLecciones>(DocXML);
  } catch (const std::system_error&) {
    // No thread to be had: the step reads the list itself.
  }
  struct Espera {
    std::unique_ptr<LecturaLecciones>& lectura;
    ~Espera() { lectura.reset(); }
  } espera{lecturaLecciones_};

  ImportarDocentes();
  ImportarCursosGrupos();
  ImportarContenidos();
  ImportarOcupaciones();
  ImportarAulas();
  GenerarAsignaciones();
  ImportarHorariosGrupo();
  ImportarHorariosOcupaciones();
  QuitarSinClases();
  CrearTramos();
  GuardarTablas();
}

void ExportarRun::crear(const std::string& nombre) { tablas_.insert_or_assign(nombre, tables::newTable(nombre)); }

dbf::Table& ExportarRun::tabla(const std::string& nombre) {
  auto it = tablas_.find(nombre);
  if (it == tablas_.end()) throw RunError("La tabla " + nombre + " no se ha creado en esta ejecución.");
  return it->second;
}

const dbf::Table& ExportarRun::tabla(const std::string& nombre) const {
  auto it = tablas_.find(nombre);
  if (it == tablas_.end()) throw RunError("La tabla " + nombre + " no se ha creado en esta ejecución.");
  return it->second;
}

void ExportarRun::CrearTramos() {
  tablas_.insert_or_assign(tables::DIASHORAST, ConstruirTramos(ListBoxPlanti, PlantillaSel, ComboBoxValCast));
}

void ExportarRun::GuardarTablas() {
  // Every file is staged first; only when all are written do they replace the
  // old ones, all or none, so a failure while writing or replacing leaves every
  // table as it was.
  // The files are written and flushed to disk side by side (stageAll).
  // Each table goes to its file straight from memory, a block at a time.
  std::vector<std::pair<fs::path, io::Producer>> archivos;
  for (const auto& nombre : tables::builtTables()) {
    auto it = tablas_.find(nombre);
    if (it == tablas_.end()) continue;
    const dbf::Table* t = &it->second;
    archivos.emplace_back(io::findFile(dir_, nombre + ".DBF"),
                          [t](const std::function<void(std::string_view)>& put) { t->serializeTo(put); });
  }
  std::vector<io::StagedFile> staged = io::stageAll(archivos);
  io::commitAll(staged);
  for (auto& f : staged) io::removeTableIndex(f.target());
}

}  // namespace zi
