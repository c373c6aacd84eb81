#include "run/preguntas.h"

namespace zi {
namespace {
const std::string kCrLf = "\r\n";
const std::string kGuiones(88, '-');
}  // namespace

const std::string kPreguntaTodasPlantillas =
    "       !!! I M P O R T A N T E !!!  \xBFImportar Datos de todas las Plantillas?" + kCrLf +
    "       " + std::string(39, '=') + "    " + kCrLf +
    "Se han encontrado Datos que pueden pertenecer a varias Plantillas Horarias." + kCrLf +
    "RECOMENDAMOS IMPORTAR SOLAMENTE LOS DATOS PERTENECIENTES A UNA SOLA PLANTILLA." + kCrLf +
    "Si quiere Importar los Datos de todas las Plantillas Pulse el Bot\xF3n \"S\xED\"." + kCrLf +
    "Para Importar solo los Datos de la Plantilla seleccionada,Pulse el Bot\xF3n \"No\"." + kCrLf +
    kGuiones + kCrLf +
    "(RECOMENDAMOS Pulsar \"No\", y trabajar solo con datos de una Plantilla.)" + kCrLf +
    kGuiones;

const std::string kPreguntaQuitarSinClases =
    std::string(23, ' ') + "!!! I M P O R T A N T E !!!" + std::string(25, ' ') + kCrLf +
    "Existen Grupos de Clase y Profesores que NO tienen Clases en esta Plantilla." + kCrLf +
    "Tanto, QUITAR como DEJAR estos Grupos y Profesores, No afectar\xE1 al Horario." + kCrLf +
    "\xBFQuieren quitar dichos Grupos y Profesores, del Horario que se va a Importar?.";

}  // namespace zi
