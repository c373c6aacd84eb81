// The questions a run asks the user, and the way each front end answers them.
#pragma once

#include <string>

namespace zi {

enum class Respuesta { Si, No, Cerrada };  // "&Si", "&No", or the box closed otherwise

class Preguntas {
 public:
  virtual ~Preguntas() = default;
  // Shows `texto` (Windows-1252, lines separated by CR LF) in a confirmation
  // box with the caption "Confirmación" and the buttons "&Si" and "&No".
  virtual Respuesta preguntar(const std::string& texto) = 0;
};

// Asked by the group-timetable step when the document holds lessons.
extern const std::string kPreguntaTodasPlantillas;
// Asked by the removal step when a group has no classes.
extern const std::string kPreguntaQuitarSinClases;

inline constexpr const char* kCaptionConfirmacion = "Confirmaci\xF3n";
inline constexpr const char* kBotonSi = "&Si";
inline constexpr const char* kBotonNo = "&No";
inline constexpr const char* kProcesoFinalizado = "Proceso finalizado";
inline constexpr const char* kNoExisteArchivo = "No existe archivo";
inline constexpr const char* kNoExisteArchivoXmlOSolucion = "No existe archivo XML o Soluci\xF3n.";

}  // namespace zi
