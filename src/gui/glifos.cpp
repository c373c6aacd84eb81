#include "glifos.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zi::gui {

namespace {

QPixmap Lienzo(int lado) {
  QPixmap pm(lado, lado);
  pm.fill(Qt::transparent);
  return pm;
}

QIcon Dibujar(void (*dibujo)(QPainter&)) {
  QIcon icono;
  for (int lado : {16, 32}) {
    QPixmap pm = Lienzo(lado);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(lado / 16.0, lado / 16.0);
    dibujo(p);
    p.end();
    icono.addPixmap(pm);
  }
  return icono;
}

void Check(QPainter& p) {
  QPainterPath path;
  path.moveTo(2.0, 8.5);
  path.lineTo(6.0, 12.5);
  path.lineTo(14.0, 3.5);
  p.setPen(QPen(QColor(0, 96, 0), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(path);
  p.setPen(QPen(QColor(0, 176, 0), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(path);
}

void Puerta(QPainter& p) {
  // The frame, the open door leaf and its knob.
  p.setPen(QPen(QColor(64, 64, 64), 1.0));
  p.setBrush(QColor(40, 40, 40));
  p.drawRect(QRectF(3.5, 1.5, 9.0, 13.0));
  QPolygonF hoja;
  hoja << QPointF(3.5, 1.5) << QPointF(9.5, 3.5) << QPointF(9.5, 15.5) << QPointF(3.5, 14.5);
  p.setBrush(QColor(0, 128, 128));
  p.setPen(QPen(QColor(0, 64, 64), 1.0));
  p.drawPolygon(hoja);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 0));
  p.drawEllipse(QPointF(8.0, 9.0), 0.9, 0.9);
}

}  // namespace

QIcon GlifoAceptar() { return Dibujar(Check); }
QIcon GlifoSalir() { return Dibujar(Puerta); }

}  // namespace zi::gui
