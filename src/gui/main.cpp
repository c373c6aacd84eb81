// TransZarvelonItaca: carries a school's data between ITACA and Zarvelon.
//
//   TransZarvelonItaca                       by itself, both directions
//   TransZarvelonItaca importar|exportar HWND   docked into the host's window
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "ayuda.h"
#include "entorno.h"
#include "main_form.h"
#include "mensajes.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  zi::gui::setArchivoAyuda(QStringLiteral("ITACA.chm"));
  QApplication::setApplicationName(QStringLiteral("TransZarvelonItaca"));
  // The platform's own texts (file dialog, standard buttons) in Spanish too.
  QTranslator qtbase;
  if (qtbase.load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtbase);

  // The program ends when the main window closes, and only then: docked into
  // the host the main window is not top-level, and a dialog closing must not
  // count as the last window.
  QApplication::setQuitOnLastWindowClosed(false);

  QStringList parametros = QApplication::arguments();
  parametros.removeFirst();
  const zi::gui::Arranque arranque = zi::gui::LeerParametros(parametros);
  if (arranque.ventanaNoValida)
    zi::gui::MostrarMensaje(nullptr, zi::gui::AvisoVentanaNoValida(arranque.textoVentana));

  zi::gui::TMForm MForm(arranque);
  QObject::connect(&MForm, &zi::gui::TMForm::Cerrada, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  MForm.show();
  return app.exec();
}
