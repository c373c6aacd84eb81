#include "exportar/codigos.h"

#include "text/cp1252.h"

namespace zi {

std::string CodigosDados::clave(std::string_view codigo) const {
  return ci_ ? text::upper1252(codigo) : std::string(codigo);
}

std::string CodigosDados::primeroLibre(const std::string& base) {
  long& n = siguiente_[clave(base)];
  if (n < 1) n = 1;
  while (contiene(base + std::to_string(n))) ++n;
  return base + std::to_string(n);
}

}  // namespace zi
