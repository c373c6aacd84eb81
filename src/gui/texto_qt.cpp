#include "texto_qt.h"

#include <QFile>

#include "text/cp1252.h"

namespace zi::gui {

QString Mostrar(std::string_view cp1252) {
  const std::string utf8 = text::cp1252ToUtf8(cp1252);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string Cp1252(const QString& s) {
  const QByteArray utf8 = s.toUtf8();
  return text::utf8ToCp1252(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

QStringList Mostrar(const std::vector<std::string>& lineas) {
  QStringList l;
  l.reserve(static_cast<qsizetype>(lineas.size()));
  for (const auto& s : lineas) l << Mostrar(s);
  return l;
}

std::vector<std::string> Cp1252(const QStringList& lineas) {
  std::vector<std::string> v;
  v.reserve(static_cast<size_t>(lineas.size()));
  for (const auto& s : lineas) v.push_back(Cp1252(s));
  return v;
}

QString Mensaje(std::string_view texto) {
  // A Windows-1252 text with any letter beyond ASCII is never valid UTF-8.
  QString m = text::isValidUtf8(texto) ? QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()))
                                       : Mostrar(texto);
  m.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return m;
}

std::filesystem::path Ruta(const QString& archivo) {
#ifdef _WIN32
  return std::filesystem::path(archivo.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(archivo).toStdString());
#endif
}

QString Ruta(const std::filesystem::path& archivo) {
#ifdef _WIN32
  return QString::fromStdWString(archivo.wstring());
#else
  return QFile::decodeName(QByteArray::fromStdString(archivo.string()));
#endif
}

}  // namespace zi::gui
