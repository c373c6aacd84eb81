// The local date and time, as the tool writes it in files and reports.
#pragma once

#include <ctime>
#include <string>

namespace zi::text {

// Now, in local time.
std::tm AhoraLocal();
// Now, in local time, formatted by strftime (e.g. "%d/%m/%Y %H:%M:%S").
std::string AhoraLocal(const char* formato);

}  // namespace zi::text
