// The timetable templates of an ITACA document: the choice both directions
// need before they run, as the template dialog and the command line share it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "xml/xml_document.h"

namespace zi {

// Texts of the language box, in Windows-1252.
inline constexpr std::string_view kValencia = "VALENCI\xC1";  // VALENCIÁ
inline constexpr std::string_view kCastellano = "CASTELLANO";

// A period line of the chosen template: the period number (one blank before a
// number of one character, at most three characters), " de ", the start time,
// " a ", the end time. The time-slot step reads it by character position.
std::string LineaPeriodo(std::string_view sesionOrden, std::string_view horaDesde, std::string_view horaHasta);

// Blanks and control characters removed at both ends.
std::string RecortarControl(std::string_view s);

class CatalogoPlantillas {
 public:
  explicit CatalogoPlantillas(const xml::Document& doc);

  // The template codes, trimmed, in document order, duplicates kept.
  const std::vector<std::string>& codigos() const { return codigos_; }
  bool vacio() const { return codigos_.empty(); }
  bool contiene(std::string_view codigo) const;

  // For the text of the code box (compared unchanged with the trimmed codes;
  // the last template with the code decides): its name in the language of the
  // language box (the Valencian one only for exactly "VALENCIÁ") and its turn;
  // "-" when no template has the code.
  std::string nombre(std::string_view codigo, std::string_view idioma) const;
  std::string turno(std::string_view codigo) const;

  // The period lines of the template on day "L", in the list's order: sorted
  // as text without regard to case, so by period number.
  std::vector<std::string> lineasPeriodos(std::string_view codigo) const;

 private:
  struct Plantilla {
    std::string codigo, descripcionVal, descripcionCas, turno;
  };
  struct Sesion {
    std::string plantilla, dia, orden, desde, hasta;
  };
  const Plantilla* ultima(std::string_view codigo) const;

  std::vector<std::string> codigos_;
  std::vector<Plantilla> plantillas_;
  std::vector<Sesion> sesiones_;
};

// What a run takes back from the template choice.
struct EleccionPlantilla {
  std::string plantilla;              // the chosen code, trimmed
  std::string turno;                  // as shown: "-" when none
  std::vector<std::string> periodos;  // the period lines
};

// The choice for a code (as typed in the code box).
EleccionPlantilla Elegir(const CatalogoPlantillas& cat, std::string_view codigo);

}  // namespace zi
