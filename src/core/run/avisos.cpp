#include "run/avisos.h"

#include "io/atomic_file.h"
#include "text/cp1252.h"

namespace zi {

template <class Datos>
void Avisos::anadir(TipoAviso tipo, const Datos& datos, std::string_view motivo) {
  Aviso a{tipo, {}, {}};
  a.datos.reserve(datos.size());
  for (const auto& [etiqueta, valor] : datos) a.datos.emplace_back(std::string(etiqueta), text::cp1252ToUtf8(valor));
  std::shared_ptr<const std::string>& ultimo = ultimo_[tipo];
  if (!ultimo || *ultimo != motivo) ultimo = std::make_shared<const std::string>(motivo);
  a.texto = ultimo;
  lista_.push_back(std::move(a));
}

void Avisos::add(TipoAviso tipo, std::initializer_list<std::pair<std::string_view, std::string_view>> datos,
                 std::string_view motivo) {
  anadir(tipo, datos, motivo);
}

void Avisos::add(TipoAviso tipo, const std::vector<std::pair<std::string, std::string>>& datos,
                 std::string_view motivo) {
  anadir(tipo, datos, motivo);
}

void AvisarCodificacion(Avisos& avisos, bool leidoComo1252, const std::filesystem::path& archivo) {
  if (leidoComo1252)
    avisos.add(TipoAviso::CodificacionSupuesta,
               {{"archivo", text::utf8ToCp1252(io::nombreArchivo(archivo.filename()))}},
               "El archivo no declara codificación y no es UTF-8 válido: se ha leído como Windows-1252.");
}

const char* TituloAviso(TipoAviso t) {
  switch (t) {
    case TipoAviso::LeccionSinAsignacion: return "Sesiones de grupo sin asignación";
    case TipoAviso::LeccionSinGrupo: return "Sesiones de otro profesor cuyo grupo no existe";
    case TipoAviso::ContenidoSinAsignatura: return "Contenidos sin asignatura";
    case TipoAviso::ContenidoCodigoOcupado: return "Contenidos cuyo código corto ya estaba dado";
    case TipoAviso::OcupacionNombreRepetido: return "Ocupaciones con nombre repetido";
    case TipoAviso::OcupacionSinCodigoLibre: return "Ocupaciones sin código de tarea libre";
    case TipoAviso::OcupacionNoEncontrada: return "Horarios de ocupación sin tarea";
    case TipoAviso::CursoSinDigito: return "Cursos no tomados";
    case TipoAviso::ContenidoSinGrupos: return "Contenidos cuyo curso no tiene grupos";
    case TipoAviso::DocenteNoEncontrado: return "Docentes no encontrados";
    case TipoAviso::AulaNoEncontrada: return "Aulas no encontradas";
    case TipoAviso::TutorNoEncontrado: return "Tutores no encontrados";
    case TipoAviso::HorasSinPatron: return "Horas que no caben en el patrón de sesiones";
    case TipoAviso::LeccionOtraPlantilla: return "Horarios de otra plantilla";
    case TipoAviso::GrupoQuitado: return "Grupos quitados por no tener clases";
    case TipoAviso::DocenteQuitado: return "Profesores quitados por no tener clases";
    case TipoAviso::FilaSinGrupo: return "Clases de la solución sin grupo";
    case TipoAviso::FilaSinAsignatura: return "Filas de la solución sin asignatura ni tarea";
    case TipoAviso::FilaSinTramo: return "Filas de la solución sin tramo horario";
    case TipoAviso::FilaOcupacionSinDocente: return "Ocupaciones de la solución sin profesor";
    case TipoAviso::FilaSinDocente: return "Clases de la solución sin profesor";
    case TipoAviso::FilaSinAula: return "Clases de la solución sin aula";
    case TipoAviso::FilaSinDiaHora: return "Filas de la solución sin día u hora";
    case TipoAviso::CodificacionSupuesta: return "Codificación del archivo supuesta";
  }
  return "";
}

}  // namespace zi
