// Message boxes, the confirmation box of the runs' questions, and the
// hourglass while a run works.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "run/preguntas.h"

class QWidget;

namespace zi::gui {

// Makes a dialog of a docked window stay above the host's window: the docked
// window is no top-level window, so the dialog is owned by the top-level
// window it lives in. Nothing to do for a window by itself.
void Propietaria(QWidget* dialogo);

// A plain message: the application's title as caption, no icon, one button.
void MostrarMensaje(QWidget* parent, const QString& texto);
// An error that stopped a run.
void MostrarError(QWidget* parent, const QString& texto);
// The end of a run: "Proceso finalizado", the run's summary behind the box's
// details, and a button that shows the whole report in the browser
// (`abrirInforme` writes it and opens it; the box stays until closed).
void MostrarFinalizado(QWidget* parent, const QString& texto, const QString& resumen,
                       const std::function<void()>& abrirInforme);

// The runs' questions in the confirmation box: caption "Confirmación", a
// question mark, the buttons "&Si" and "&No". Closing the box in any other way
// (its close box, Escape) answers Respuesta::Cerrada.
class PreguntasCaja : public Preguntas {
 public:
  explicit PreguntasCaja(QWidget* parent) : parent_(parent) {}
  Respuesta preguntar(const std::string& texto) override;

 private:
  QWidget* parent_;
};

// The hourglass over the whole application while it lives; the cursor comes
// back however the run ends.
class CursorEspera {
 public:
  CursorEspera();
  ~CursorEspera();
  CursorEspera(const CursorEspera&) = delete;
  CursorEspera& operator=(const CursorEspera&) = delete;
};

}  // namespace zi::gui
