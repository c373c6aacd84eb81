// zarvelon-itaca: both directions of the conversion without windows.
//
//   zarvelon-itaca exportar FICHERO.xml [--dir DIR] [--plantilla CODIGO] [--idioma valencia|castellano]
//                                       [--todas-plantillas] [--conservar-sin-clases]
//   zarvelon-itaca importar FICHERO.xml [--dir DIR] [--plantilla CODIGO] [--curso AÑO]
//                                       [--idioma valencia|castellano]
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli_commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return zi::cli::Principal(args, std::cout, std::cerr);
}
