// Help: the compiled help file "ITACA.chm", beside the executable.
#pragma once

#include <QString>

class QWidget;

namespace zi::gui {

// The help file's name, as the application was given it at start.
void setArchivoAyuda(const QString& nombre);
QString ArchivoAyuda();
// Where it is looked for: the executable's directory.
QString RutaAyuda();

// Opens the help file at its contents. `contexto` > 0 asks for that topic
// (where the system's help viewer can show one). When the file is missing the
// user is told so. False when nothing was opened.
bool AbrirAyuda(QWidget* parent, int contexto = 0);

// The help context of a control: its own or that of its nearest parent that
// has one; 0 when none has.
int ContextoAyuda(const QWidget* w);
void setContextoAyuda(QWidget* w, int contexto);

}  // namespace zi::gui
