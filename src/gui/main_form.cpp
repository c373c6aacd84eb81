#include "main_form.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QWindow>

#include "ayuda.h"
#include "estilo.h"
#include "exportar/exportar_run.h"
#include "glifos.h"
#include "gradient_panel.h"
#include "importar/importar_run.h"
#include "informe/informe.h"
#include "mensajes.h"
#include "plantillas/plantillas.h"
#include "plantihoras.h"
#include "curso_export.h"
#include "run/errores.h"
#include "texto_qt.h"

namespace zi::gui {

namespace {

constexpr int kAncho = 632, kAlto = 266;
constexpr int kAltoPaneles = 168;  // the panels end where the bottom strip begins

QPushButton* Boton(QWidget* parent, const char* nombre, const QIcon& icono, const QString& texto, int x, int y,
                   int ancho = 75, int alto = 25) {
  auto* b = new QPushButton(icono, texto, parent);
  b->setObjectName(QString::fromLatin1(nombre));
  b->setGeometry(x, y, ancho, alto);
  return b;
}

GradientPanel* Degradado(QWidget* parent, const char* nombre, unsigned inicio, unsigned medio, unsigned fin,
                     QRect geometria) {
  auto* p = new GradientPanel(parent);
  p->setObjectName(QString::fromLatin1(nombre));
  p->setColores(GradientPanel::DesdeBgr(inicio), GradientPanel::DesdeBgr(medio), GradientPanel::DesdeBgr(fin));
  p->setGeometry(geometria);
  return p;
}

constexpr unsigned kBlanco = 0xFFFFFF;

}  // namespace

TMForm::TMForm(const Arranque& arranque, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      rutaIni_(RutaIniAnfitrion()) {
  setObjectName("MForm");
  setWindowTitle(QStringLiteral("Exportar e importar datos entre Zarvelon e ITACA"));
  setFont(FuenteFormulario());
  setFixedSize(kAncho, kAlto);
  setContextoAyuda(this, 1);

  Draw3D1 = Degradado(this, "Draw3D1", 16698818, 16708303, 15128780, QRect(0, 168, 633, 97));
  setContextoAyuda(Draw3D1, 3);
  Draw3D2 = Degradado(this, "Draw3D2", 8246265, kBlanco, 14544639, QRect(0, 0, 315, 169));
  setContextoAyuda(Draw3D2, 3);
  BExportar = Boton(Draw3D2, "BExportar", GlifoAceptar(), QStringLiteral("Aceptar"), 88, 120, 89, 25);
  setContextoAyuda(BExportar, 3);
  BClose = Boton(Draw3D1, "BClose", GlifoSalir(), QStringLiteral("&Salir"), 256, 32);
  setContextoAyuda(BClose, 3);
  Label3 = Etiqueta(Draw3D2, "Label3", QStringLiteral("Transformar datos desde ITACA hacia Zarvelon "), 24, 24, 265, 57);
  Label3->setFont(FuenteArial(12, true));
  Draw3D3 = Degradado(this, "Draw3D3", 8246265, kBlanco, 14544639, QRect(316, 0, 317, 169));
  Label4 = Etiqueta(Draw3D3, "Label4", QStringLiteral("Transformar datos desde Zarvelon hacia ITACA"), 24, 24, 265, 57);
  Label4->setFont(FuenteArial(12, true));
  BImportar = Boton(Draw3D3, "BImportar", GlifoAceptar(), QStringLiteral("Aceptar"), 96, 120, 89, 25);
  setContextoAyuda(BImportar, 3);

  OpenDialogXML = new QFileDialog(this, QStringLiteral("Archivo XML"), QString(), QStringLiteral("*.xml"));
  OpenDialogXML->setObjectName("OpenDialogXML");
  OpenDialogXML->setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialogXML->setFileMode(QFileDialog::AnyFile);
  OpenDialogXML->setDefaultSuffix(QStringLiteral("xml"));

  Label1 = Etiqueta(Draw3D1, "Label1", QStringLiteral("TransZarvelonITACA para ZX30 V-1.0"), 8, 72);
  Colorear(Label1, kRojo, true);
  Button1 = Boton(Draw3D1, "Button1", QIcon(), QStringLiteral("F1 Ayuda"), 48, 40);
  setContextoAyuda(Button1, 1);
  Label9 = Etiqueta(Draw3D2, "Label9", QStringLiteral("Recoger Textos en:"), 6, 73);
  Colorear(Label9, kRojo, true);
  ComboBoxValCast = Combo(Draw3D2, "ComboBoxValCast", 168, 68, 133);
  ComboBoxValCast->addItems({Mostrar(kValencia), Mostrar(kCastellano)});
  ComboBoxValCast->setCurrentText(Mostrar(kValencia));
  setContextoAyuda(ComboBoxValCast, 1);
  ListBoxPlanti = new QListWidget(Draw3D1);
  ListBoxPlanti->setObjectName("ListBoxPlanti");
  ListBoxPlanti->setGeometry(576, 4, 49, 29);
  ListBoxPlanti->hide();

  connect(BExportar, &QPushButton::clicked, this, &TMForm::BExportarClick);
  connect(BImportar, &QPushButton::clicked, this, &TMForm::BImportarClick);
  connect(BClose, &QPushButton::clicked, this, &QWidget::close);
  connect(Button1, &QPushButton::clicked, this, &TMForm::Button1Click);
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(f1, &QShortcut::activated, this, [this] {
    const QWidget* foco = focusWidget();
    AbrirAyuda(this, ContextoAyuda(foco ? foco : this));
  });

  FormCreate(arranque);
}

TMForm::~TMForm() {
  // The host's window must not take ours down with it.
  if (anfitrion_) {
    if (QWindow* w = windowHandle(); w && w->parent() == anfitrion_) w->setParent(nullptr);
    delete anfitrion_;
  }
}

void TMForm::FormCreate(const Arranque& arranque) {
  Transformado = 0;
  if (!arranque.alojado) {
    move(194, 167);
    return;
  }
  NumParams = 2;
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  Acoplar(arranque.ventanaAnfitrion);
  move(0, 0);
  const QRect arriba(0, 0, kAncho, kAltoPaneles);
  if (arranque.panel == Panel::Importar) {
    Draw3D2->hide();
    Draw3D3->setGeometry(arriba);
  } else if (arranque.panel == Panel::Exportar) {
    Draw3D3->hide();
    Draw3D2->setGeometry(arriba);
  }
}

void TMForm::Acoplar(quintptr ventana) {
  if (ventana == 0) return;
  anfitrion_ = QWindow::fromWinId(static_cast<WId>(ventana));
  if (!anfitrion_) return;  // a platform without foreign windows: shown by itself
  winId();                  // our own native window, to hang under the host's
  windowHandle()->setParent(anfitrion_);
}

void TMForm::closeEvent(QCloseEvent* e) {
  // FormClose: the host reads the flag once the tool has gone.
  if (NumParams == 2 && !EscribirTransformado(rutaIni_, Transformado))
    MostrarError(this, QStringLiteral("No se puede escribir el resultado en %1.").arg(QDir::toNativeSeparators(rutaIni_)));
  e->accept();
  emit Cerrada();
}

void TMForm::Button1Click() { AbrirAyuda(this); }

void TMForm::ElegirArchivo() {
  if (!ArchivoXML.isEmpty()) OpenDialogXML->selectFile(ArchivoXML);
  Propietaria(OpenDialogXML);
  if (OpenDialogXML->exec() == QDialog::Accepted && !OpenDialogXML->selectedFiles().isEmpty())
    ArchivoXML = OpenDialogXML->selectedFiles().constFirst();
}

QStringList TMForm::LineasPlanti() const {
  QStringList l;
  for (int i = 0; i < ListBoxPlanti->count(); ++i) l << ListBoxPlanti->item(i)->text();
  return l;
}

void TMForm::setLineasPlanti(const QStringList& lineas) {
  ListBoxPlanti->clear();
  ListBoxPlanti->addItems(lineas);
}

void TMForm::FaltaArchivo(const char* mensaje) {
  MostrarMensaje(this, Mensaje(mensaje));
  if (NumParams == 2) {
    Transformado = -1;
    close();
  }
}

void TMForm::Fallo(const std::exception& e) { MostrarError(this, Mensaje(e.what())); }

bool TMForm::Cargar(const std::function<void()>& cargar, const char* siFalta) {
  try {
    cargar();
    return true;
  } catch (const ArchivoNoExiste&) {
    FaltaArchivo(siFalta);
  } catch (const std::exception& e) {
    Fallo(e);
  }
  return false;
}

void TMForm::Finalizado(const Informe& informe) {
  Transformado = 1;
  const QString resumen = QString::fromStdString(ResumenInforme(informe));
  MostrarFinalizado(this, Mensaje(kProcesoFinalizado), resumen, [this, &informe] {
    // The whole report, written where temporary files go and shown in the
    // browser; the user can keep it from there.
    const QString nombre = QStringLiteral("TransZarvelonItaca-informe-%1.html")
                               .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString ruta = QDir(QDir::tempPath()).filePath(nombre);
    try {
      GuardarInforme(informe, Ruta(ruta));
    } catch (const std::exception& e) {
      Fallo(e);
      return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(ruta)))
      MostrarError(this, QStringLiteral("No se puede abrir el navegador. El informe está en %1").arg(ruta));
  });
  BExportar->setEnabled(false);
  BImportar->setEnabled(false);
  if (NumParams == 2) close();
}

void TMForm::BExportarClick() {
  ElegirArchivo();
  PreguntasCaja preguntas(this);
  ExportarRun run(DirectorioTrabajo(), preguntas);
  if (!Cargar([&] { run.CargarDocumento(Ruta(ArchivoXML)); }, kNoExisteArchivo)) return;
  // Without templates in the file the run keeps what the window holds.
  run.PlantillaSel = Cp1252(PlantillaSel);
  run.TurnoSel = Cp1252(TurnoSel);
  run.ListBoxPlanti = Cp1252(LineasPlanti());
  run.ComboBoxValCast = Cp1252(ComboBoxValCast->currentText());
  if (run.tienePlantillas()) {
    PlantillaSel.clear();
    const CatalogoPlantillas catalogo(run.documento());
    TPlantillas dlg(this, TPlantillas::kTagExportar, catalogo, ComboBoxValCast->currentText());
    Propietaria(&dlg);
    dlg.exec();
    run.AplicarPlantilla(dlg.Eleccion(), Cp1252(dlg.Idioma()));
    PlantillaSel = dlg.Plantilla;
    ComboBoxValCast->setCurrentText(dlg.Idioma());
    TurnoSel = dlg.Turno;
    setLineasPlanti(dlg.Periodos());
  }
  try {
    CursorEspera espera;
    run.Ejecutar();
  } catch (const std::exception& e) {
    Fallo(e);
    return;
  }
  Finalizado(InformeExportar(run));
}

void TMForm::BImportarClick() {
  MostrarMensaje(this, Mensaje("Deber\xE1 Abrir el fichero XML de ITACA,\r\n"
                               "desde el cual realiz\xF3 la Importaci\xF3n a Zarvelon"));
  ElegirArchivo();
  ImportarRun run(DirectorioTrabajo());
  if (!Cargar([&] { run.Preparar(Ruta(ArchivoXML)); }, kNoExisteArchivoXmlOSolucion)) return;
  {
    const CatalogoPlantillas catalogo(run.documento());
    TPlantillas dlg(this, TPlantillas::kTagImportar, catalogo, ComboBoxValCast->currentText());
    Propietaria(&dlg);
    dlg.exec();
    // The language of the day names is the main window's; the dialog's is not taken.
    run.AplicarPlantilla(dlg.Eleccion(), Cp1252(ComboBoxValCast->currentText()));
    PlantillaSel = dlg.Plantilla;
    setLineasPlanti(dlg.Periodos());
  }
  {
    TCurExp dlg(this, Mostrar(run.CursoDelArchivo()));
    Propietaria(&dlg);
    dlg.exec();
    CursoDestino = dlg.CursoDestino;
    run.CursoDestino = Cp1252(CursoDestino);
  }
  try {
    CursorEspera espera;
    run.Ejecutar();
  } catch (const std::exception& e) {
    Fallo(e);
    return;
  }
  Finalizado(InformeImportar(run));
}

}  // namespace zi::gui
