// Fonts and colours shared by the windows, and the helpers that place the
// components at their designed positions.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;
class QComboBox;

namespace zi::gui {

// The forms' font, MS Sans Serif 8 pt, with look-alikes where it is missing.
QFont FuenteFormulario();
// Arial, with its metric twins where it is missing.
QFont FuenteArial(int puntos, bool negrita);

inline const QColor kRojo{0xFF, 0x00, 0x00};
inline const QColor kAzul{0x00, 0x00, 0xFF};
inline const QColor kAmarillo{0xFF, 0xFF, 0x00};
inline const QColor kAzulCielo{0xA6, 0xCA, 0xF0};

// A label of a form: its name, text, position; it sizes itself to its text
// unless given a width (then it wraps its words into that box).
QLabel* Etiqueta(QWidget* parent, const char* nombre, const QString& texto, int x, int y, int ancho = 0,
                 int alto = 0);
void Colorear(QLabel* l, QColor color, bool negrita = false);

// An editable drop-down combo box without automatic completion; typing never
// adds items.
QComboBox* Combo(QWidget* parent, const char* nombre, int x, int y, int ancho, int alto = 21);
void FondoCombo(QComboBox* c, QColor color);

}  // namespace zi::gui
