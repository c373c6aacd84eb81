// What the windows take from their surroundings: the working directory of the
// host's tables, the command line that docks the tool into the host, and the
// result flag the host reads back.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <filesystem>

namespace zi::gui {

// The directory of the working tables: C:\ZTEMP on Windows; elsewhere $ZTEMP,
// or $HOME/ZTEMP when it is not set (as the command-line tool decides).
std::filesystem::path DirectorioTrabajo();

// Which panels the window shows.
enum class Panel { Ambos, Importar, Exportar };

// How the tool was started. With exactly two parameters it runs docked into
// the host: the first one names the direction, the second is the handle of
// the host's window in hexadecimal digits without a prefix.
struct Arranque {
  bool alojado = false;
  Panel panel = Panel::Ambos;
  quintptr ventanaAnfitrion = 0;
  // Two parameters, but the second is no hexadecimal number: the tool says so
  // and runs by itself.
  bool ventanaNoValida = false;
  QString textoVentana;  // the second parameter as given
};

// `parametros`: the command line without the program's name.
Arranque LeerParametros(const QStringList& parametros);

// The message for a handle that is not hexadecimal.
QString AvisoVentanaNoValida(const QString& ventana);

// The INI file beside the executable where the host reads the result flag.
QString RutaIniAnfitrion();
inline constexpr char kSeccionIni[] = "Transformadores";
inline constexpr char kClaveIni[] = "Transformado";

// The INI text with `clave` of `seccion` set to `valor`; every other line is
// kept byte for byte (the host's own entries, comments, line ends). Section
// and key are found without regard to case; a missing key is added at the end
// of its section, a missing section at the end of the text.
QByteArray ConClaveIni(const QByteArray& ini, const QByteArray& seccion, const QByteArray& clave,
                       const QByteArray& valor);

// Writes the flag into `rutaIni` (created when missing). False when the file
// cannot be written.
bool EscribirTransformado(const QString& rutaIni, int transformado);

}  // namespace zi::gui
