// The time slots of the chosen template: every period line of day "L" repeated
// for the seven days of the week, hour by hour.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tables/dbf.h"

namespace zi {

// Builds DIASHORAST from the period lines. Day names in Castilian when
// `idioma` is exactly "CASTELLANO", in Valencian otherwise. A line whose
// number or times cannot be read is a RunError that names the line.
dbf::Table ConstruirTramos(const std::vector<std::string>& lineas, std::string_view plantilla,
                           std::string_view idioma);

}  // namespace zi
