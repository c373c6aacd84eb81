// TransZarvelonItaca: carries a school's data between ITACA and Zarvelon.
//
//   TransZarvelonItaca                       by itself, both directions
//   TransZarvelonItaca importar|exportar HWND   docked into the host's window
#include <QApplication>

#include "ayuda.h"
#include "entorno.h"
#include "main_form.h"
#include "mensajes.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  zi::gui::setArchivoAyuda(QStringLiteral("ITACA.chm"));
  QApplication::setApplicationName(QStringLiteral("TransZarvelonItaca"));

  QStringList parametros = QApplication::arguments();
  parametros.removeFirst();
  const zi::gui::Arranque arranque = zi::gui::LeerParametros(parametros);
  if (arranque.ventanaNoValida)
    zi::gui::MostrarMensaje(nullptr, zi::gui::AvisoVentanaNoValida(arranque.textoVentana));

  zi::gui::TMForm MForm(arranque);
  MForm.show();
  return app.exec();
}
