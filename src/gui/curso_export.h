// The target course dialog: before the timetable is written back for ITACA
// the user confirms or changes the school year the new file declares. The
// label, not the combo box, carries the value: it starts with the year read
// from ITACA and follows what is picked or typed. Closing in any way keeps
// what the label shows.
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;

namespace zi::gui {

class GradientPanel;

class TCurExp : public QDialog {
  Q_OBJECT
 public:
  TCurExp(QWidget* owner, const QString& cursoDestino);

  // The year handed back when the dialog closes.
  QString CursoDestino;

  GradientPanel* Draw3D4;
  QLabel* LabelCurso;
  QLabel* LabelCurSelected;
  QLabel* LabelCurActual;
  QLabel* LabelSeleccion;
  QComboBox* ComboBoxCurso;
  QPushButton* BitBtnContinuar;

 public slots:
  void done(int r) override;

 private slots:
  void ComboBoxCursoChange(const QString& texto);
};

}  // namespace zi::gui
