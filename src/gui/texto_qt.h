// Where the windows meet the core: the core's texts are Windows-1252 bytes,
// the windows' texts are QStrings. Every text crosses here, and only here.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zi::gui {

// Windows-1252 text of the core as shown in a window.
QString Mostrar(std::string_view cp1252);
// What a window holds, as the core wants it (a character the code page lacks
// becomes '?').
std::string Cp1252(const QString& s);

QStringList Mostrar(const std::vector<std::string>& lineas);
std::vector<std::string> Cp1252(const QStringList& lineas);

// A message for a message box: the core's messages are Windows-1252 (the fixed
// texts) or UTF-8 (those naming files and reasons); lines separated by CR LF
// become single line breaks.
QString Mensaje(std::string_view texto);

// A path chosen in a window, as the core's path, and back.
std::filesystem::path Ruta(const QString& archivo);
QString Ruta(const std::filesystem::path& archivo);

}  // namespace zi::gui
