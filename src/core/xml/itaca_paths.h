// Every path and attribute of the ITACA document that the tool reads or writes.
//
// One block per element: the path that selects it (kDocentes, kCursos, ...)
// and a namespace with the names of its attributes. Nothing else in the tool
// spells an ITACA name; when ITACA renames something, this is the only file to
// touch.
#pragma once

#include <string_view>

namespace zi::itaca {

// Element names used when building the document to write.
namespace element {
inline constexpr std::string_view centro = "centro";
inline constexpr std::string_view horarios_grupo = "horarios_grupo";
inline constexpr std::string_view horario_grupo = "horario_grupo";
inline constexpr std::string_view horarios_ocupaciones = "horarios_ocupaciones";
inline constexpr std::string_view horario_ocupacion = "horario_ocupacion";
}  // namespace element

// The root.
inline constexpr std::string_view kCentro = "/centro";
namespace centro {
inline constexpr std::string_view codigo = "codigo";
inline constexpr std::string_view denominacion = "denominacion";
inline constexpr std::string_view curso = "curso";
inline constexpr std::string_view fecha_exportacion = "fecha_exportacion";
inline constexpr std::string_view version = "version";
}  // namespace centro

inline constexpr std::string_view kDocentes = "/centro/docentes/docente";
namespace docente {
inline constexpr std::string_view apellido1 = "apellido1";
inline constexpr std::string_view apellido2 = "apellido2";
inline constexpr std::string_view nombre = "nombre";
inline constexpr std::string_view tipo_docente = "tipo_docente";
inline constexpr std::string_view fecha_ingreso = "fecha_ingreso";
inline constexpr std::string_view documento = "documento";
inline constexpr std::string_view ensenanza = "ensenanza";
inline constexpr std::string_view email1 = "email1";
inline constexpr std::string_view email2 = "email2";
}  // namespace docente

inline constexpr std::string_view kCursos = "/centro/cursos/curso";
namespace curso {
inline constexpr std::string_view codigo = "codigo";
inline constexpr std::string_view abreviatura = "abreviatura";
inline constexpr std::string_view padre = "padre";
inline constexpr std::string_view ensenanza = "ensenanza";
}  // namespace curso

inline constexpr std::string_view kEnsenanzas = "/centro/ensenanzas/ensenanza";
namespace ensenanza {
inline constexpr std::string_view ensenanza = "ensenanza";
inline constexpr std::string_view abreviatura = "abreviatura";
}  // namespace ensenanza

inline constexpr std::string_view kCursosGrupo = "/centro/cursos_grupo/curso_grupo";
namespace curso_grupo {
inline constexpr std::string_view grupo = "grupo";
inline constexpr std::string_view curso = "curso";
}  // namespace curso_grupo

inline constexpr std::string_view kGrupos = "/centro/grupos/grupo";
namespace grupo {
inline constexpr std::string_view codigo = "codigo";
inline constexpr std::string_view nombre = "nombre";
inline constexpr std::string_view turno = "turno";
inline constexpr std::string_view ensenanza = "ensenanza";
inline constexpr std::string_view tutor_ppal = "tutor_ppal";
inline constexpr std::string_view tutor_sec = "tutor_sec";
}  // namespace grupo

inline constexpr std::string_view kContenidos = "/centro/contenidos/contenido";
namespace contenido {
inline constexpr std::string_view codigo = "codigo";
inline constexpr std::string_view curso = "curso";
inline constexpr std::string_view nombre_val = "nombre_val";
inline constexpr std::string_view nombre_cas = "nombre_cas";
}  // namespace contenido

inline constexpr std::string_view kOcupaciones = "/centro/ocupaciones/ocupacion";
namespace ocupacion {
inline constexpr std::string_view codigo = "codigo";
inline constexpr std::string_view nombre_val = "nombre_val";
inline constexpr std::string_view nombre_cas = "nombre_cas";
}  // namespace ocupacion

inline constexpr std::string_view kAulas = "/centro/aulas/aula";
namespace aula {
inline constexpr std::string_view codigo = "codigo";
inline constexpr std::string_view nombre = "nombre";
}  // namespace aula

inline constexpr std::string_view kPlantillasHorario =
    "/centro/plantillas_horario/plantilla_horario";
namespace plantilla_horario {
inline constexpr std::string_view codigo = "codigo";
inline constexpr std::string_view descripcion_val = "descripcion_val";
inline constexpr std::string_view descripcion_cas = "descripcion_cas";
inline constexpr std::string_view turno = "turno";
}  // namespace plantilla_horario

inline constexpr std::string_view kSesionesHorario = "/centro/sesiones_horario/sesion_horario";
namespace sesion_horario {
inline constexpr std::string_view plantilla = "plantilla";
inline constexpr std::string_view dia_semana = "dia_semana";
inline constexpr std::string_view sesion_orden = "sesion_orden";
inline constexpr std::string_view hora_desde = "hora_desde";
inline constexpr std::string_view hora_hasta = "hora_hasta";
}  // namespace sesion_horario

inline constexpr std::string_view kHorariosGrupo = "/centro/horarios_grupo/horario_grupo";
namespace horario_grupo {
inline constexpr std::string_view plantilla = "plantilla";
inline constexpr std::string_view grupo = "grupo";
inline constexpr std::string_view curso = "curso";
inline constexpr std::string_view contenido = "contenido";
inline constexpr std::string_view docente = "docente";
inline constexpr std::string_view aula = "aula";
// Written only.
inline constexpr std::string_view dia_semana = "dia_semana";
inline constexpr std::string_view sesion_orden = "sesion_orden";
inline constexpr std::string_view hora_desde = "hora_desde";
inline constexpr std::string_view hora_hasta = "hora_hasta";
inline constexpr std::string_view ensenanza = "ensenanza";
inline constexpr std::string_view idioma = "idioma";
}  // namespace horario_grupo

inline constexpr std::string_view kHorariosOcupaciones =
    "/centro/horarios_ocupaciones/horario_ocupacion";
namespace horario_ocupacion {
inline constexpr std::string_view ocupacion = "ocupacion";
inline constexpr std::string_view docente = "docente";
inline constexpr std::string_view plantilla = "plantilla";
// Written only.
inline constexpr std::string_view dia_semana = "dia_semana";
inline constexpr std::string_view sesion_orden = "sesion_orden";
inline constexpr std::string_view hora_desde = "hora_desde";
inline constexpr std::string_view hora_hasta = "hora_hasta";
inline constexpr std::string_view ensenanza = "ensenanza";
}  // namespace horario_ocupacion

}  // namespace zi::itaca
