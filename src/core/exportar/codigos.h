// Codes given out so far within one step or run, and the search for the first
// free numbered code.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace zi {

class CodigosDados {
 public:
  // With `sinDistinguirMayusculas` a code counts as taken when a given code
  // equals it without regard to case (Windows-1252 case rules).
  explicit CodigosDados(bool sinDistinguirMayusculas) : ci_(sinDistinguirMayusculas) {}

  bool contiene(std::string_view codigo) const { return dados_.count(clave(codigo)) > 0; }
  void add(std::string_view codigo) { dados_.insert(clave(codigo)); }

  // The first of base+"1", base+"2", ... that is not taken. Codes are never
  // taken back, so the numbers already found taken for a base are not tried
  // again: many equal codes cost linear time, not quadratic.
  std::string primeroLibre(const std::string& base);

 private:
  std::string clave(std::string_view codigo) const;

  bool ci_;
  std::unordered_set<std::string> dados_;
  std::unordered_map<std::string, long> siguiente_;
};

}  // namespace zi
