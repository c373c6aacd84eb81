#include "estilo.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace zi::gui {

QFont FuenteFormulario() {
  QFont f;
  f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                 QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                 QStringLiteral("Nimbus Sans")});
  f.setPointSize(8);
  return f;
}

QFont FuenteArial(int puntos, bool negrita) {
  QFont f;
  f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                 QStringLiteral("Nimbus Sans")});
  f.setPointSize(puntos);
  f.setBold(negrita);
  return f;
}

QLabel* Etiqueta(QWidget* parent, const char* nombre, const QString& texto, int x, int y, int ancho, int alto) {
  auto* l = new QLabel(texto, parent);
  l->setObjectName(QString::fromLatin1(nombre));
  l->setAttribute(Qt::WA_TranslucentBackground);
  l->setTextFormat(Qt::PlainText);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (ancho > 0) {
    l->setWordWrap(true);
    l->setGeometry(x, y, ancho, alto);
  } else {
    l->move(x, y);
    l->adjustSize();
  }
  return l;
}

void Colorear(QLabel* l, QColor color, bool negrita) {
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, color);
  l->setPalette(p);
  if (negrita) {
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
  }
  if (!l->wordWrap()) l->adjustSize();
}

QComboBox* Combo(QWidget* parent, const char* nombre, int x, int y, int ancho, int alto) {
  auto* c = new QComboBox(parent);
  c->setObjectName(QString::fromLatin1(nombre));
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  c->setCompleter(nullptr);
  c->setGeometry(x, y, ancho, alto);
  return c;
}

void FondoCombo(QComboBox* c, QColor color) {
  QPalette p = c->palette();
  p.setColor(QPalette::Base, color);
  p.setColor(QPalette::Button, color);
  c->setPalette(p);
  if (c->lineEdit()) c->lineEdit()->setPalette(p);
}

}  // namespace zi::gui
