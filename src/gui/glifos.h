// The small pictures on the buttons, drawn here so that they look the same on
// every system: the check mark of the accept buttons and the door of "Salir".
#pragma once

#include <QIcon>

namespace zi::gui {

QIcon GlifoAceptar();
QIcon GlifoSalir();

}  // namespace zi::gui
