#include "ayuda.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <QVariant>
#include <QWidget>

#include "mensajes.h"

namespace zi::gui {

namespace {
QString& Nombre() {
  static QString nombre = QStringLiteral("ITACA.chm");
  return nombre;
}
constexpr char kPropiedadContexto[] = "contextoAyuda";
}  // namespace

void setArchivoAyuda(const QString& nombre) { Nombre() = nombre; }
QString ArchivoAyuda() { return Nombre(); }
QString RutaAyuda() { return QDir(QCoreApplication::applicationDirPath()).filePath(Nombre()); }

bool AbrirAyuda(QWidget* parent, int contexto) {
  const QString ruta = RutaAyuda();
  if (!QFileInfo(ruta).isFile()) {
    MostrarMensaje(parent, QStringLiteral("No se encuentra el archivo de ayuda %1.")
                               .arg(QDir::toNativeSeparators(ruta)));
    return false;
  }
#ifdef _WIN32
  if (contexto > 0 &&
      QProcess::startDetached(QStringLiteral("hh.exe"),
                              {QStringLiteral("-mapid"), QString::number(contexto), QDir::toNativeSeparators(ruta)}))
    return true;
#else
  (void)contexto;
#endif
  return QDesktopServices::openUrl(QUrl::fromLocalFile(ruta));
}

int ContextoAyuda(const QWidget* w) {
  for (; w; w = w->parentWidget())
    if (int c = w->property(kPropiedadContexto).toInt(); c > 0) return c;
  return 0;
}

void setContextoAyuda(QWidget* w, int contexto) { w->setProperty(kPropiedadContexto, contexto); }

}  // namespace zi::gui
