#include "gradient_panel.h"

#include <QLinearGradient>
#include <QPainter>

namespace zi::gui {

GradientPanel::GradientPanel(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor GradientPanel::DesdeBgr(unsigned bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

void GradientPanel::setColores(QColor inicio, QColor medio, QColor fin) {
  inicio_ = inicio;
  medio_ = medio;
  fin_ = fin;
  update();
}

void GradientPanel::setOrientacion(Qt::Orientation o) {
  orientacion_ = o;
  update();
}

void GradientPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRectF r = rect();
  QLinearGradient g = orientacion_ == Qt::Vertical ? QLinearGradient(r.topLeft(), r.bottomLeft())
                                                   : QLinearGradient(r.topLeft(), r.topRight());
  g.setColorAt(0.0, inicio_);
  g.setColorAt(0.5, medio_);
  g.setColorAt(1.0, fin_);
  p.fillRect(r, g);
}

}  // namespace zi::gui
