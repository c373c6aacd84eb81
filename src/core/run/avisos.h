// Notices: every element or row that a run passes over or cannot match, with
// its codes and the reason, for the run report. Notices never change what a
// run writes.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zi {

// Kinds of notice, the most important first: what the head of studies will
// miss in the timetable comes before what is only informative.
enum class TipoAviso {
  // ITACA to Zarvelon
  LeccionSinAsignacion,     // a lesson whose group, course and content have no assignment
  LeccionSinGrupo,          // a further teacher's lesson whose group row is gone
  ContenidoSinAsignatura,   // a content found neither by code nor by name
  ContenidoCodigoOcupado,   // a content whose short code is already taken
  OcupacionNombreRepetido,  // an occupation whose name is already taken
  OcupacionSinCodigoLibre,  // an occupation for which no task code is left
  OcupacionNoEncontrada,    // an occupation period whose occupation is no task
  CursoSinDigito,           // a course without parent whose short name has no leading digit
  ContenidoSinGrupos,       // a content whose course has no group
  DocenteNoEncontrado,      // a teacher not found by document number
  AulaNoEncontrada,         // a room not found by ITACA code
  TutorNoEncontrado,        // a group's tutor not found by document number
  HorasSinPatron,           // weekly hours too many for a lesson pattern
  LeccionOtraPlantilla,     // a lesson or occupation period of another template
  GrupoQuitado,             // a group removed for having no classes
  DocenteQuitado,           // a teacher removed for having no classes
  // Zarvelon to ITACA
  FilaSinGrupo,             // a class row whose group is not in GRUPOST
  FilaSinAsignatura,        // a row whose subject or task is not in ASIGNOMT
  FilaSinTramo,             // a row whose hour and frame match no time slot
  FilaOcupacionSinDocente,  // an occupation row whose teacher is not in PROFT
  FilaSinDocente,           // a class row whose teacher is not in PROFT (written without)
  FilaSinAula,              // a class row whose room is not in AULAT (written without)
  FilaSinDiaHora,           // a row with day or hour 0
  // Either direction
  CodificacionSupuesta,     // the ITACA file was read as Windows-1252
};

// A notice is text to show: UTF-8 throughout.
struct Aviso {
  TipoAviso tipo;
  // The element's codes and names, as label and value.
  std::vector<std::pair<std::string, std::string>> datos;
  // The reason, in plain Spanish; one text shared by the notices that give it
  // (a run may pass over thousands of elements for one reason).
  std::shared_ptr<const std::string> texto;
  const std::string& motivo() const { return *texto; }
};

class Avisos {
 public:
  // Labels and reason in UTF-8; the values as the run holds them, in
  // Windows-1252 (converted here).
  void add(TipoAviso tipo, std::initializer_list<std::pair<std::string_view, std::string_view>> datos,
           std::string_view motivo);
  void add(TipoAviso tipo, const std::vector<std::pair<std::string, std::string>>& datos, std::string_view motivo);
  const std::vector<Aviso>& lista() const { return lista_; }
  size_t cuantos(TipoAviso t) const {
    size_t n = 0;
    for (const auto& a : lista_) n += a.tipo == t;
    return n;
  }
  void clear() {
    lista_.clear();
    ultimo_.clear();
  }

 private:
  template <class Datos>
  void anadir(TipoAviso tipo, const Datos& datos, std::string_view motivo);
  std::vector<Aviso> lista_;
  std::map<TipoAviso, std::shared_ptr<const std::string>> ultimo_;  // the last reason of each kind
};

// The notice that `archivo` was read as Windows-1252, when it was.
void AvisarCodificacion(Avisos& avisos, bool leidoComo1252, const std::filesystem::path& archivo);

// A short title of the kind, in Spanish.
const char* TituloAviso(TipoAviso t);

}  // namespace zi
