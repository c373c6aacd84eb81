// The template dialog: the user picks one of the ITACA file's timetable
// templates (and, when data go into Zarvelon, the language of the texts). It
// shows the template's name, turn and periods of the first day, and hands back
// what it shows however it is closed: there is no cancel.
//
// Modes, given by the caller as the tag:
//   0  ITACA to Zarvelon: the first template chosen, the language box shown;
//   2  Zarvelon to ITACA: no template chosen, the language box hidden.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "plantillas/plantillas.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace zi::gui {

class GradientPanel;

class TPlantillas : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kTagExportar = 0;  // from ITACA to Zarvelon
  static constexpr int kTagImportar = 2;  // from Zarvelon to ITACA

  // `catalogo` must outlive the dialog. `idiomaPrincipal`: the text of the
  // main window's language box.
  TPlantillas(QWidget* owner, int tag, const CatalogoPlantillas& catalogo, const QString& idiomaPrincipal);

  int tag() const { return tag_; }

  // Handed back when the dialog closes.
  QString Plantilla;  // the code in the code box, trimmed
  QString Turno;      // as LabelTurno shows it

  QStringList Periodos() const;  // the lines of ListBox1
  QString Idioma() const;        // the text of the dialog's language box
  // All of it as a run takes it (Windows-1252).
  EleccionPlantilla Eleccion() const;

  GradientPanel* Draw3D4;
  QLabel* Label9;
  QComboBox* ComboBoxValCast;
  QLabel* LabelPlantillas;
  QLabel* Label1;
  QComboBox* ComboBoxPlantilla;
  QListWidget* ListBox1;
  QLabel* Label3;
  QLabel* LabelNombre;
  QLabel* Label2;
  QLabel* LabelTurno;
  QPushButton* BitBtnContinuar;

 public slots:
  void done(int r) override;  // every way of closing ends here

 private slots:
  void ComboBoxPlantillaChange();

 private:
  void FormActivate(const QString& idiomaPrincipal);
  void FormClose();

  int tag_;
  const CatalogoPlantillas& catalogo_;
};

}  // namespace zi::gui
