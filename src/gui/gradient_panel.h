// A panel painted with a three-colour gradient (start, middle, end), the
// background of every panel of the windows. It is a plain container: labels
// and buttons placed on it are its children.
#pragma once

#include <QColor>
#include <QWidget>

namespace zi::gui {

class GradientPanel : public QWidget {
  Q_OBJECT
 public:
  explicit GradientPanel(QWidget* parent = nullptr);

  // The colours as the form designer gives them: BGR integers ($00BBGGRR).
  static QColor DesdeBgr(unsigned bgr);

  void setColores(QColor inicio, QColor medio, QColor fin);
  // Vertical (top to bottom, the default) or horizontal (left to right).
  void setOrientacion(Qt::Orientation o);

  QColor inicio() const { return inicio_; }
  QColor medio() const { return medio_; }
  QColor fin() const { return fin_; }
  Qt::Orientation orientacion() const { return orientacion_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor inicio_{Qt::white}, medio_{Qt::white}, fin_{Qt::white};
  Qt::Orientation orientacion_ = Qt::Vertical;
};

}  // namespace zi::gui
