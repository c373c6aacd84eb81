// The few lines shown at the end of a run.
#include <sstream>

#include "informe/informe.h"

namespace zi {
namespace {

constexpr std::size_t kPrimeros = 3;  // notices shown per kind

// Characters, not bytes, of a UTF-8 text.
std::size_t Ancho(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

std::string Rellenar(const std::string& s, std::size_t ancho) {
  const std::size_t a = Ancho(s);
  return a >= ancho ? s : s + std::string(ancho - a, ' ');
}

std::string Numero(std::size_t n, std::size_t ancho) {
  std::string s = std::to_string(n);
  return s.size() >= ancho ? s : std::string(ancho - s.size(), ' ') + s;
}

// "grupo: 1A, curso: 11": the codes of a notice on one line.
std::string DatosEnLinea(const Aviso& a) {
  std::string s;
  for (const auto& [etiqueta, valor] : a.datos) {
    if (!s.empty()) s += ", ";
    s += etiqueta + ": " + (valor.empty() ? std::string("(en blanco)") : valor);
  }
  return s;
}

std::string Periodo(const PeriodoInforme& p) {
  return "periodo " + p.numero + " (" + p.desde + "-" + p.hasta + ")";
}

}  // namespace

std::string ResumenInforme(const Informe& inf) {
  std::ostringstream o;
  const bool exportar = inf.sentido == Sentido::ItacaAZarvelon;
  if (exportar) {
    o << "De ITACA a Zarvelon, plantilla " << (inf.plantilla.empty() ? "(ninguna)" : inf.plantilla) << ". "
      << "Filas escritas en " << inf.directorio << ":\n";
  } else {
    o << "De Zarvelon a ITACA, plantilla " << (inf.plantilla.empty() ? "(ninguna)" : inf.plantilla)
      << ". Escrito " << inf.resultado << ":\n";
  }
  std::size_t ancho = 0;
  for (const auto& r : inf.recuentos) ancho = std::max(ancho, Ancho(r.que));
  for (const auto& r : inf.recuentos)
    o << "  " << Rellenar(r.que, ancho) << " " << Numero(r.filas, 6) << "  " << r.detalle << "\n";

  if (!exportar) {
    if (!inf.fueraDeCuadricula.empty())
      o << "Clases escritas sin d\xC3\xAD" "a de la semana: " << inf.fueraDeCuadricula.size() << "\n";
    if (inf.choques.empty()) {
      o << "Sin choques: ning\xC3\xBAn profesor, grupo ni aula est\xC3\xA1 dos veces en el mismo periodo.\n";
    } else {
      o << "Posibles choques (el mismo profesor, grupo o aula dos veces en un periodo): " << inf.choques.size()
        << "\n";
      for (std::size_t i = 0; i < inf.choques.size() && i < kPrimeros; ++i) {
        const Choque& c = inf.choques[i];
        std::string dia = NombreDia(c.dia);
        if (!dia.empty()) dia[0] = static_cast<char>(dia[0] - 'A' + 'a');
        o << "  - " << c.de << " " << c.codigo << ", " << dia << ", " << Periodo(inf.periodos[c.periodo])
          << ": " << c.clases.size() << " clases\n";
      }
      if (inf.choques.size() > kPrimeros) o << "    ... y " << inf.choques.size() - kPrimeros << " m\xC3\xA1s\n";
    }
  }

  if (inf.totalAvisos == 0) {
    o << "Sin avisos.\n";
    return o.str();
  }
  o << "Avisos: " << inf.totalAvisos << "\n";
  for (const auto& t : inf.avisos) {
    o << "  " << t.titulo << ": " << t.avisos.size() << "\n";
    for (std::size_t i = 0; i < t.avisos.size() && i < kPrimeros; ++i)
      o << "    - " << DatosEnLinea(t.avisos[i]) << ". " << t.avisos[i].motivo() << "\n";
    if (t.avisos.size() > kPrimeros) o << "    ... y " << t.avisos.size() - kPrimeros << " m\xC3\xA1s\n";
  }
  return o.str();
}

}  // namespace zi
