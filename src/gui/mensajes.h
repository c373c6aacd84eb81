// Message boxes, the confirmation box of the runs' questions, and the
// hourglass while a run works.
#pragma once

#include <QString>
#include <string>

#include "run/preguntas.h"

class QWidget;

namespace zi::gui {

// A plain message: the application's title as caption, no icon, one button.
void MostrarMensaje(QWidget* parent, const QString& texto);
// An error that stopped a run.
void MostrarError(QWidget* parent, const QString& texto);

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
