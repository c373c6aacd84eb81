#include "mensajes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWindow>

#include "texto_qt.h"

namespace zi::gui {

namespace {

// A box asks for the arrow even while a run shows the hourglass.
class CursorNormal {
 public:
  CursorNormal() : activo_(QApplication::overrideCursor() != nullptr) {
    if (activo_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~CursorNormal() {
    if (activo_) QApplication::restoreOverrideCursor();
  }

 private:
  bool activo_;
};

void Caja(QWidget* parent, QMessageBox::Icon icono, const QString& texto) {
  CursorNormal cursor;
  QMessageBox box(icono, QApplication::applicationName(), texto, QMessageBox::Ok, parent);
  Propietaria(&box);
  box.exec();
}

}  // namespace

void Propietaria(QWidget* dialogo) {
  QWidget* dueno = dialogo->parentWidget();
  QWindow* w = dueno ? dueno->window()->windowHandle() : nullptr;
  if (!w || !w->parent()) return;
  while (w->parent()) w = w->parent();
  dialogo->winId();
  dialogo->windowHandle()->setTransientParent(w);
}

void MostrarMensaje(QWidget* parent, const QString& texto) { Caja(parent, QMessageBox::NoIcon, texto); }

void MostrarError(QWidget* parent, const QString& texto) { Caja(parent, QMessageBox::Critical, texto); }

void MostrarFinalizado(QWidget* parent, const QString& texto, const QString& resumen,
                       const std::function<void()>& abrirInforme) {
  CursorNormal cursor;
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), texto, QMessageBox::Ok, parent);
  box.setObjectName("Finalizado");
  box.setDetailedText(resumen);
  QPushButton* ver = box.addButton(QStringLiteral("Ver informe"), QMessageBox::ActionRole);
  ver->setObjectName("VerInforme");
  Propietaria(&box);
  // The report button opens the report and leaves the box where it was.
  do {
    box.exec();
    if (box.clickedButton() == ver) abrirInforme();
  } while (box.clickedButton() == ver);
}

Respuesta PreguntasCaja::preguntar(const std::string& texto) {
  CursorNormal cursor;
  QMessageBox box(QMessageBox::Question, Mostrar(kCaptionConfirmacion), Mensaje(texto), QMessageBox::NoButton,
                  parent_);
  box.setObjectName("Confirmacion");
  QPushButton* si = box.addButton(Mostrar(kBotonSi), QMessageBox::YesRole);
  QPushButton* no = box.addButton(Mostrar(kBotonNo), QMessageBox::NoRole);
  // Escape and the close box need a button of their own, or they would answer
  // "No"; it is never shown.
  QPushButton* cerrar = box.addButton(QMessageBox::Cancel);
  cerrar->hide();
  box.setEscapeButton(cerrar);
  box.setDefaultButton(si);
  Propietaria(&box);
  box.exec();
  if (box.clickedButton() == si) return Respuesta::Si;
  if (box.clickedButton() == no) return Respuesta::No;
  return Respuesta::Cerrada;
}

CursorEspera::CursorEspera() { QApplication::setOverrideCursor(Qt::WaitCursor); }
CursorEspera::~CursorEspera() { QApplication::restoreOverrideCursor(); }

}  // namespace zi::gui
