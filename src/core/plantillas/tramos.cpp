#include "plantillas/tramos.h"

#include "plantillas/plantillas.h"
#include "run/errores.h"
#include "tables/working_tables.h"
#include "text/cp1252.h"

namespace zi {
namespace {

const char* const kDiasValencia[7] = {"Dilluns", "Dimarts", "Dimecres", "Dijous",
                                      "Divendres", "Dissabte", "Diumenge"};
const char* const kDiasCastellano[7] = {"Lunes", "Martes", "Mi\xE9rcoles", "Jueves",
                                        "Viernes", ("S\xE1" "bado"), "Domingo"};

bool digito(char c) { return c >= '0' && c <= '9'; }

// Reads characters [from, from + 2) of the line (1-based positions) as a
// decimal number of two digits, or of one digit after a blank when
// `blancoDelante` allows it.
int dosCifras(const std::string& linea, size_t desde, bool blancoDelante) {
  char a = linea[desde - 1], b = linea[desde];
  if (!digito(b) || !(digito(a) || (blancoDelante && a == ' ')))
    throw RunError("");
  return (a == ' ' ? 0 : (a - '0') * 10) + (b - '0');
}

struct Periodo {
  int numero, hDesde, mDesde, hHasta, mHasta;
  std::string desde, hasta;
};

Periodo leer(const std::string& linea) {
  try {
    if (linea.size() < 19) throw RunError("");
    Periodo p;
    p.numero = dosCifras(linea, 1, true);
    p.hDesde = dosCifras(linea, 7, false);
    p.mDesde = dosCifras(linea, 10, false);
    p.hHasta = dosCifras(linea, 15, false);
    p.mHasta = dosCifras(linea, 18, false);
    p.desde = linea.substr(6, 5);
    p.hasta = linea.substr(14, 5);
    return p;
  } catch (const RunError&) {
    throw RunError("La línea de periodo \"" + text::cp1252ToUtf8(linea) +
                   "\" no se puede leer: se esperaba el número de periodo (una o dos cifras) y las horas "
                   "de inicio y fin en la forma HH:MM.");
  }
}

}  // namespace

dbf::Table ConstruirTramos(const std::vector<std::string>& lineas, std::string_view plantilla,
                           std::string_view idioma) {
  dbf::Table t = tables::newTable(tables::DIASHORAST);
  const int fDiho = t.requireField("DIHO"), fDia = t.requireField("DIA"), fTexto = t.requireField("TEXTODIA"),
            fHora = t.requireField("HORA"), fTextoHor = t.requireField("TEXTOHOR"),
            fDesde = t.requireField("HORADESDE"), fHasta = t.requireField("HORAHASTA"),
            fMin = t.requireField("MINUTOS"), fMarco = t.requireField("MARCO"),
            fMarcoXml = t.requireField("MARCOXML"), fOrden = t.requireField("SESION_ORDEN");
  for (size_t h = 1; h <= lineas.size(); ++h) {
    const Periodo p = leer(lineas[h - 1]);
    const int minutos = (p.hHasta * 60 + p.mHasta) - (p.hDesde * 60 + p.mDesde);
    for (int d = 1; d <= 7; ++d) {
      const char* nombreDia = idioma == kCastellano ? kDiasCastellano[d - 1] : kDiasValencia[d - 1];
      dbf::RecNo r = t.append();
      t.setText(r, fDiho, std::to_string(d) + std::to_string(h));
      t.setText(r, fDia, std::to_string(d));
      t.setText(r, fTexto, nombreDia);
      t.setText(r, fHora, std::to_string(h));
      t.setText(r, fTextoHor, std::to_string(p.numero) + "-" + p.desde + "-" + p.hasta);
      t.setText(r, fDesde, p.desde);
      t.setText(r, fHasta, p.hasta);
      t.setText(r, fMin, std::to_string(minutos));
      t.setText(r, fMarco, "0");
      t.setText(r, fMarcoXml, plantilla);
      t.setInteger(r, fOrden, p.numero);
    }
  }
  return t;
}

}  // namespace zi
