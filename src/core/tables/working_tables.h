// The working tables shared with the host program: their file names and their
// fields (names, order, types, widths), in one place.
#pragma once

#include <string>
#include <vector>

#include "tables/dbf.h"

namespace zi::tables {

// Table names as the files are called in the working directory (plus ".DBF").
inline constexpr const char* ASIGNOMT = "ASIGNOMT";
inline constexpr const char* PROFT = "PROFT";
inline constexpr const char* CURSOST = "CURSOST";
inline constexpr const char* GRUPOST = "GRUPOST";
inline constexpr const char* AULAT = "AULAT";
inline constexpr const char* ASIGT = "ASIGT";
inline constexpr const char* DIASHORAST = "DIASHORAST";
inline constexpr const char* SOLUC = "SOLUC";

// Physical form of the logical number types: a float is N(12,2), an integer
// N(11,0) (any 32-bit integer fits).
inline constexpr int kFloatWidth = 12;
inline constexpr int kFloatDecimals = 2;
inline constexpr int kIntegerWidth = 11;

// The fields of one of the seven tables the tool builds. Throws
// std::invalid_argument for any other name.
const std::vector<dbf::FieldDef>& fieldsOf(const std::string& table);

// The seven tables the tool builds, in the order a full run creates them.
const std::vector<std::string>& builtTables();

// A new, empty table with its fields.
dbf::Table newTable(const std::string& table);

}  // namespace zi::tables
