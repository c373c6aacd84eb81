#pragma once

#include <stdexcept>
#include <string>

namespace zi {

// A run that cannot go on: the message (UTF-8, ready to show) says what
// failed, on which file, and why. Every error the core raises carries its
// message in UTF-8; the data of the run stays in Windows-1252.
class RunError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The input file the user chose does not exist.
class ArchivoNoExiste : public RunError {
 public:
  using RunError::RunError;
};

}  // namespace zi
