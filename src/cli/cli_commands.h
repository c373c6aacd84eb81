#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zi::cli {

// Runs the command line; returns the exit code: 0 done, 1 failed, 2 usage.
int Principal(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zi::cli
