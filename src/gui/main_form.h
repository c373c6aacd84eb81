// The main window: two panels, one per direction (ITACA to Zarvelon on the
// left, Zarvelon to ITACA on the right), above a strip with help, the version
// and "Salir". Started by the host with two parameters it docks into the
// host's window and shows only the panel of the direction asked for; on
// closing it leaves the result flag for the host in Zarvelon.ini.
//
// The runs themselves are the core's (ExportarRun, ImportarRun): the window
// asks for the file, the template and the school year, hands them over, and
// reports how the run ended.
#pragma once

#include <QString>
#include <QWidget>
#include <exception>
#include <functional>

#include "entorno.h"

class QComboBox;
class QFileDialog;
class QLabel;
class QListWidget;
class QPushButton;
class QWindow;

namespace zi {
struct Informe;
}

namespace zi::gui {

class GradientPanel;

class TMForm : public QWidget {
  Q_OBJECT
 public:
  explicit TMForm(const Arranque& arranque, QWidget* parent = nullptr);
  ~TMForm() override;

  // The result flag: 0 nothing completed, 1 a run completed, -1 a run refused
  // for a missing file (hosted mode only).
  int Transformado = 0;
  // 2 when hosted, else 0.
  int NumParams = 0;

  QString ArchivoXML;    // the ITACA file last chosen
  QString PlantillaSel;  // the template chosen for the last run
  QString TurnoSel;      // its turn
  QString CursoDestino;  // the school year the last Zarvelon-to-ITACA run declared

  // Where the flag is written on closing in hosted mode (beside the
  // executable unless set).
  QString rutaIni() const { return rutaIni_; }
  void setRutaIni(const QString& ruta) { rutaIni_ = ruta; }
  // The host's window the tool is docked into, when the platform could take it.
  QWindow* ventanaAnfitrion() const { return anfitrion_; }

  GradientPanel* Draw3D1;  // bottom strip
  GradientPanel* Draw3D2;  // ITACA to Zarvelon
  QPushButton* BExportar;
  QPushButton* BClose;
  QLabel* Label3;
  GradientPanel* Draw3D3;  // Zarvelon to ITACA
  QLabel* Label4;
  QPushButton* BImportar;
  QFileDialog* OpenDialogXML;
  QLabel* Label1;
  QPushButton* Button1;
  QLabel* Label9;
  QComboBox* ComboBoxValCast;
  QListWidget* ListBoxPlanti;  // hidden: the period lines of the chosen template

 signals:
  // The window has closed, its flag written: the program ends here. Docked
  // into the host the window is no top-level window, so closing it does not
  // end the program by itself.
  void Cerrada();

 public slots:
  void BExportarClick();
  void BImportarClick();
  void Button1Click();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void FormCreate(const Arranque& arranque);
  void Acoplar(quintptr ventana);
  void ElegirArchivo();
  QStringList LineasPlanti() const;
  void setLineasPlanti(const QStringList& lineas);
  // A run refused for its missing input file.
  void FaltaArchivo(const char* mensaje);
  // A run that stopped on an error: the flag and the buttons stay as they are.
  void Fallo(const std::exception& e);
  // Loads a run's input; false, after telling the user, when it is missing
  // (`siFalta`, the tool's own message) or cannot be read.
  bool Cargar(const std::function<void()>& cargar, const char* siFalta);
  // A run that completed.
  void Finalizado(const Informe& informe);

  QString rutaIni_;
  QWindow* anfitrion_ = nullptr;
};

}  // namespace zi::gui
