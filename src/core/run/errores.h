#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace zi {

// A run that cannot go on: the message (UTF-8, ready to show) says what
// failed, on which file, and why. Every error the core raises carries its
// message in UTF-8; the data of the run stays in Windows-1252.
class RunError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An input file does not exist: the ITACA file the user chose, or the
// solution table. The message is the tool's own; `ruta` is the file missing.
class ArchivoNoExiste : public RunError {
 public:
  ArchivoNoExiste(const std::string& mensaje, std::string ruta) : RunError(mensaje), ruta_(std::move(ruta)) {}
  const std::string& ruta() const { return ruta_; }

 private:
  std::string ruta_;
};

}  // namespace zi
