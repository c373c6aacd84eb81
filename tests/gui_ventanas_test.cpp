// The windows, run without a screen (QT_QPA_PLATFORM=offscreen unless the
// environment says otherwise). Modal windows are answered by a script: each
// step takes the next modal window that opens, checks it and closes it.
//
// Built only where the test target gets Qt and the windows' sources; without
// them this file holds a single skipped test.
#if __has_include(<QApplication>)

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QKeyEvent>
#include <QTimer>
#include <deque>
#include <cstdlib>
#include <functional>

#include "../src/gui/curso_export.h"
#include "../src/gui/entorno.h"
#include "../src/gui/gradient_panel.h"
#include "../src/gui/main_form.h"
#include "../src/gui/mensajes.h"
#include "../src/gui/plantihoras.h"
#include "../src/gui/texto_qt.h"
#include "plantillas/plantillas.h"
#include "support/escuela.h"
#include "tables/dbf.h"
#include "xml/xml_document.h"

namespace zi::gui {
namespace {

// One application for the whole program, gone before the static objects of
// the libraries are (a static QApplication would outlive them).
QApplication* gApp = nullptr;

QApplication& App() {
  static int argc = 1;
  static char nombre[] = "gui_ventanas_test";
  static char* argv[] = {nombre, nullptr};
  if (!gApp) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    gApp = new QApplication(argc, argv);
    QApplication::setApplicationName("TransZarvelonItaca");
  }
  return *gApp;
}

class EntornoQt : public ::testing::Environment {
 public:
  void TearDown() override {
    delete gApp;
    gApp = nullptr;
  }
};
[[maybe_unused]] ::testing::Environment* const kEntornoQt = ::testing::AddGlobalTestEnvironment(new EntornoQt);

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// A key pressed and released on a window.
void Tecla(QWidget* w, int tecla) {
  QKeyEvent pulsada(QEvent::KeyPress, tecla, Qt::NoModifier);
  QKeyEvent soltada(QEvent::KeyRelease, tecla, Qt::NoModifier);
  QApplication::sendEvent(w, &pulsada);
  QApplication::sendEvent(w, &soltada);
}

// ---------------------------------------------------------------------------
// A script for the modal windows.

class Guion {
 public:
  using Paso = std::function<void(QWidget*)>;

  explicit Guion(std::vector<Paso> pasos) : pasos_(pasos.begin(), pasos.end()) {
    reloj_.setInterval(5);
    QObject::connect(&reloj_, &QTimer::timeout, [this] { mirar(); });
    reloj_.start();
  }
  ~Guion() { reloj_.stop(); }

  bool terminado() const { return pasos_.empty(); }
  const QStringList& sobrantes() const { return sobrantes_; }

 private:
  void mirar() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible() || w == atendida_) return;
    atendida_ = w;
    if (auto* d = qobject_cast<QDialog*>(w))
      QObject::connect(d, &QDialog::finished, d, [this] { atendida_ = nullptr; }, Qt::SingleShotConnection);
    if (pasos_.empty()) {
      // A window nobody expected: noted, and closed so that the test goes on.
      auto* box = qobject_cast<QMessageBox*>(w);
      sobrantes_ << w->windowTitle() + ": " + (box ? box->text() : QString());
      QTimer::singleShot(0, w, &QWidget::close);
      return;
    }
    Paso paso = pasos_.front();
    pasos_.pop_front();
    QTimer::singleShot(0, w, [w, paso] { paso(w); });
  }

  std::deque<Paso> pasos_;
  QTimer reloj_;
  QPointer<QWidget> atendida_;
  QStringList sobrantes_;
};

// Steps.
Guion::Paso ElegirArchivo(const QString& ruta) {
  return [ruta](QWidget* w) {
    auto* fd = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(fd, nullptr) << "se esperaba el di\xC3\xA1logo de archivo, no " << w->windowTitle().toStdString();
    EXPECT_EQ(fd->windowTitle(), "Archivo XML");
    // Typed into the name field, as a user would.
    auto* nombre = fd->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(nombre, nullptr);
    nombre->setText(ruta);
    static_cast<QDialog*>(fd)->accept();
  };
}

Guion::Paso CancelarArchivo() {
  return [](QWidget* w) {
    auto* fd = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(fd, nullptr);
    fd->reject();
  };
}

// A message box: its text is kept in `texto`, then its button `boton` (the
// only one when empty) is pressed.
Guion::Paso Caja(QString* texto, const QString& boton = {}) {
  return [texto, boton](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr) << "se esperaba un mensaje, no " << w->windowTitle().toStdString();
    if (texto) *texto = box->text();
    for (QAbstractButton* b : box->buttons())
      if (b->isVisible() && (boton.isEmpty() || b->text() == boton)) {
        b->click();
        return;
      }
    ADD_FAILURE() << "no hay bot\xC3\xB3n " << boton.toStdString();
    box->close();
  };
}

// The box at the end of a run: its text, the summary behind its details,
// whether it offers the report; then it is closed with its OK button.
Guion::Paso Final(QString* texto, QString* resumen, bool* conInforme) {
  return [=](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr) << "se esperaba el mensaje final, no " << w->windowTitle().toStdString();
    *texto = box->text();
    *resumen = box->detailedText();
    *conInforme = box->findChild<QPushButton*>("VerInforme") != nullptr;
    box->button(QMessageBox::Ok)->click();
  };
}

template <class Dialogo>
Guion::Paso En(std::function<void(Dialogo*)> hacer) {
  return [hacer](QWidget* w) {
    auto* d = qobject_cast<Dialogo*>(w);
    ASSERT_NE(d, nullptr) << "otra ventana: " << w->windowTitle().toStdString();
    hacer(d);  // the step closes it
  };
}

// ---------------------------------------------------------------------------
// An ITACA file with two templates and a scratch working directory.

const char* const kDosPlantillas = R"(<?xml version="1.0" encoding="UTF-8"?>
<centro codigo="46000001" denominacion="IES Prueba" curso="2012" version="1.0">
  <plantillas_horario>
    <plantilla_horario codigo=" A " descripcion_val="Horari A" descripcion_cas="Horario A" turno="Matinal"/>
    <plantilla_horario codigo="B" descripcion_val="Horari de vesprada" descripcion_cas="Horario de tarde" turno="Vespertino"/>
  </plantillas_horario>
  <sesiones_horario>
    <sesion_horario plantilla="A" dia_semana="L" sesion_orden="10" hora_desde="14:00" hora_hasta="14:55"/>
    <sesion_horario plantilla="A" dia_semana="L" sesion_orden="1" hora_desde="08:00" hora_hasta="08:55"/>
    <sesion_horario plantilla="A" dia_semana="M" sesion_orden="3" hora_desde="09:50" hora_hasta="10:45"/>
    <sesion_horario plantilla=" A" dia_semana="L" sesion_orden="2" hora_desde="08:55" hora_hasta="09:50"/>
    <sesion_horario plantilla="B" dia_semana="L" sesion_orden="1" hora_desde="15:00" hora_hasta="15:55"/>
  </sesiones_horario>
</centro>
)";

const QStringList kPeriodosA = {" 1 de 08:00 a 08:55", " 2 de 08:55 a 09:50", "10 de 14:00 a 14:55"};
const QStringList kPeriodosB = {" 1 de 15:00 a 15:55"};

class ConDirectorio : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    trabajo_ = dir_ / "ZTEMP";
    std::filesystem::create_directories(trabajo_);
    anterior_ = qgetenv("ZTEMP");
    qputenv("ZTEMP", QByteArray::fromStdString(trabajo_.string()));
    test::Escribir(dir_ / "centro.xml", kDosPlantillas);
  }
  void TearDown() override {
    qputenv("ZTEMP", anterior_);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "el reloj de arena se ha quedado puesto";
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  }
  QString ruta(const std::string& nombre) const { return Ruta(dir_ / nombre); }
  QString ini() const { return ruta("Zarvelon.ini"); }
  void solucionVacia() const {
    using dbf::FieldType;
    dbf::Table t("SOLUC", {{"ASIG", FieldType::Text, 10}, {"TAREA", FieldType::Text, 10},
                           {"DIA", FieldType::Integer, 2}, {"HORA", FieldType::Float, 6, 2},
                           {"MARCO", FieldType::Text, 1}, {"CODGRUPO", FieldType::Text, 10},
                           {"PROF", FieldType::Text, 10}, {"AULA", FieldType::Text, 10}});
    t.writeFile(trabajo_ / "SOLUC.DBF");
  }
  // Clicks `boton` with the script answering what it opens.
  static void Pulsar(QPushButton* boton, Guion& guion) {
    boton->click();
    EXPECT_TRUE(guion.terminado()) << "faltaron ventanas del gui\xC3\xB3n";
    EXPECT_TRUE(guion.sobrantes().isEmpty()) << guion.sobrantes().join(" | ").toStdString();
  }

  test::DirTemporal dir_;
  std::filesystem::path trabajo_;
  QByteArray anterior_;
};

// ---------------------------------------------------------------------------
// Command line.

TEST(LineaComandos, DecideSiSeAlojaYQuePanelMuestra) {
  struct Caso {
    QStringList parametros;
    bool alojado;
    Panel panel;
    quintptr ventana;
    bool noValida;
  };
  const Caso casos[] = {
      {{}, false, Panel::Ambos, 0, false},
      {{"importar"}, false, Panel::Ambos, 0, false},
      {{"importar", "1A2B", "x"}, false, Panel::Ambos, 0, false},
      {{"importar", "1A2B"}, true, Panel::Importar, 0x1A2B, false},
      {{"IMPORTAR", "1a2b"}, true, Panel::Importar, 0x1A2B, false},
      {{"Exportar", "00400006"}, true, Panel::Exportar, 0x400006, false},
      {{"otra", "ff"}, true, Panel::Ambos, 0xFF, false},
      {{"importar", "0x1A2B"}, false, Panel::Ambos, 0, true},  // no prefix is written
      {{"importar", "12G"}, false, Panel::Ambos, 0, true},
      {{"importar", " 12"}, false, Panel::Ambos, 0, true},
      {{"importar", ""}, false, Panel::Ambos, 0, true},
      {{"importar", "1FFFFFFFFFFFFFFFF"}, false, Panel::Ambos, 0, true},  // more than a handle holds
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.parametros.join(' ').toStdString());
    const Arranque a = LeerParametros(c.parametros);
    EXPECT_EQ(a.alojado, c.alojado);
    EXPECT_EQ(a.panel, c.panel);
    EXPECT_EQ(a.ventanaAnfitrion, c.ventana);
    EXPECT_EQ(a.ventanaNoValida, c.noValida);
    if (c.noValida) {
      EXPECT_EQ(a.textoVentana, c.parametros[1]);
    }
  }
}

// ---------------------------------------------------------------------------
// The result flag in the host's INI file.

TEST(ArchivoIni, CambiaSoloLaClaveDelResultado) {
  struct Caso {
    const char* nombre;
    QByteArray antes, despues;
  };
  const Caso casos[] = {
      {"vac\xC3\xAD" "o", "", "[Transformadores]\r\nTransformado=1\r\n"},
      {"sin la secci\xC3\xB3n", "[Zarvelon]\r\nRuta=C:\\ZX30\r\n",
       "[Zarvelon]\r\nRuta=C:\\ZX30\r\n[Transformadores]\r\nTransformado=1\r\n"},
      {"sin salto al final", "[Zarvelon]\r\nRuta=C:\\ZX30",
       "[Zarvelon]\r\nRuta=C:\\ZX30\r\n[Transformadores]\r\nTransformado=1\r\n"},
      {"valor anterior, sin importar may\xC3\xBAsculas",
       "; del anfitri\xF3n\r\n[transformadores]\r\n transformado = -1\r\nOtra=2\r\n[Datos Curso]\r\nA\xF1o=2012\r\n",
       "; del anfitri\xF3n\r\n[transformadores]\r\nTransformado=1\r\nOtra=2\r\n[Datos Curso]\r\nA\xF1o=2012\r\n"},
      {"la secci\xC3\xB3n sin la clave, seguida de otra",
       "[Transformadores]\r\nOtra=2\r\n\r\n[Zarvelon]\r\nX=1\r\n",
       "[Transformadores]\r\nOtra=2\r\nTransformado=1\r\n\r\n[Zarvelon]\r\nX=1\r\n"},
      {"una clave comentada no cuenta", "[Transformadores]\n;Transformado=5\n",
       "[Transformadores]\n;Transformado=5\nTransformado=1\n"},
      {"una clave que solo empieza igual", "[Transformadores]\nTransformados=5\n",
       "[Transformadores]\nTransformados=5\nTransformado=1\n"},
      {"finales de l\xC3\xADnea LF", "[Transformadores]\nTransformado=0\n[Z]\n", "[Transformadores]\nTransformado=1\n[Z]\n"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nombre);
    EXPECT_EQ(ConClaveIni(c.antes, kSeccionIni, kClaveIni, "1"), c.despues);
  }
}

// ---------------------------------------------------------------------------
// Texts between the core and the windows.

TEST(Textos, MensajesDelNucleoEnCualquieraDeSusFormas) {
  struct Caso {
    std::string entrada;
    const char* mostrado;
  };
  const Caso casos[] = {
      {"No existe archivo XML o Soluci\xF3n.", "No existe archivo XML o Soluci\xC3\xB3n."},       // Windows-1252
      {"XML mal formado en la l\xC3\xADnea 3", "XML mal formado en la l\xC3\xADnea 3"},          // UTF-8
      {"Primera,\r\nsegunda", "Primera,\nsegunda"},
      {"\x80 \x81", "\xE2\x82\xAC \xC2\x81"},
  };
  for (const auto& c : casos) EXPECT_EQ(Mensaje(c.entrada), U(c.mostrado)) << c.entrada;
  EXPECT_EQ(Cp1252(Mostrar(std::string("VALENCI\xC1"))), "VALENCI\xC1");
  EXPECT_EQ(Cp1252(U("\xE2\x82\xAC y \xE4\xB8\xAD")), "\x80 y ?");
}

TEST(Degradado, ColoresDeDiseno) {
  App();
  struct Caso {
    unsigned bgr;
    QColor rgb;
  };
  const Caso casos[] = {{16698818, QColor(0xC2, 0xCD, 0xFE)},
                        {16708303, QColor(0xCF, 0xF2, 0xFE)},
                        {15128780, QColor(0xCC, 0xD8, 0xE6)},
                        {8246265, QColor(0xF9, 0xD3, 0x7D)},
                        {14544639, QColor(0xFF, 0xEE, 0xDD)}};
  for (const auto& c : casos) EXPECT_EQ(GradientPanel::DesdeBgr(c.bgr), c.rgb) << c.bgr;

  // Start at the top, middle halfway, end at the bottom; and sideways when
  // horizontal (pixels are sampled at their centres: a few units off).
  auto cerca = [](QRgb a, QColor b) {
    const QColor c(a);
    return std::abs(c.red() - b.red()) <= 6 && std::abs(c.green() - b.green()) <= 6 &&
           std::abs(c.blue() - b.blue()) <= 6;
  };
  GradientPanel p;
  p.resize(201, 201);
  p.setColores(Qt::red, Qt::white, Qt::blue);
  QImage img = p.grab().toImage();
  EXPECT_TRUE(cerca(img.pixel(10, 0), Qt::red));
  EXPECT_TRUE(cerca(img.pixel(10, 100), Qt::white));
  EXPECT_TRUE(cerca(img.pixel(10, 200), Qt::blue));
  EXPECT_TRUE(cerca(img.pixel(190, 0), Qt::red));
  p.setOrientacion(Qt::Horizontal);
  img = p.grab().toImage();
  EXPECT_TRUE(cerca(img.pixel(0, 190), Qt::red));
  EXPECT_TRUE(cerca(img.pixel(200, 10), Qt::blue));
}

// ---------------------------------------------------------------------------
// Questions of a run.

TEST(Preguntas, CadaFormaDeCerrarLaCajaDaSuRespuesta) {
  App();
  struct Caso {
    const char* nombre;
    std::function<void(QMessageBox*)> cerrar;
    Respuesta esperada;
  };
  auto pulsar = [](const char* texto) {
    return [texto](QMessageBox* b) {
      for (QAbstractButton* x : b->buttons())
        if (x->text() == texto) x->click();
    };
  };
  const Caso casos[] = {
      {"Si", pulsar("&Si"), Respuesta::Si},
      {"No", pulsar("&No"), Respuesta::No},
      {"Escape", [](QMessageBox* b) { Tecla(b, Qt::Key_Escape); }, Respuesta::Cerrada},
      {"cierre", [](QMessageBox* b) { b->close(); }, Respuesta::Cerrada},
      {"Intro", [](QMessageBox* b) { Tecla(b, Qt::Key_Return); }, Respuesta::Si},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nombre);
    QStringList visibles;
    QString titulo, texto;
    QMessageBox::Icon icono{};
    Guion guion({[&](QWidget* w) {
      auto* b = qobject_cast<QMessageBox*>(w);
      ASSERT_NE(b, nullptr);
      titulo = b->windowTitle();
      texto = b->text();
      icono = b->icon();
      for (QAbstractButton* x : b->buttons())
        if (x->isVisible()) visibles << x->text();
      c.cerrar(b);
    }});
    PreguntasCaja preguntas(nullptr);
    EXPECT_EQ(preguntas.preguntar("\xBFSeguro?\r\nS\xED"), c.esperada);
    EXPECT_EQ(titulo, U("Confirmaci\xC3\xB3n"));
    EXPECT_EQ(texto, U("\xC2\xBFSeguro?\nS\xC3\xAD"));
    EXPECT_EQ(icono, QMessageBox::Question);
    EXPECT_EQ(visibles, QStringList({"&Si", "&No"}));
  }
}

// ---------------------------------------------------------------------------
// Template dialog.

class DialogoPlantillas : public ::testing::Test {
 protected:
  void SetUp() override { App(); }
  xml::Document doc_ = xml::Document::parse(kDosPlantillas, "prueba");
  CatalogoPlantillas cat_{doc_};
  static QString Valencia() { return Mostrar(kValencia); }
};

TEST_F(DialogoPlantillas, SeAbreSegunElModo) {
  struct Caso {
    int tag;
    QString codigo, nombre, turno, label9;
    QStringList periodos;
    bool idiomaVisible;
  };
  const Caso casos[] = {
      {TPlantillas::kTagExportar, "A", "Horari A", "Matinal", "Recoger Textos en: -------------->", kPeriodosA, true},
      {TPlantillas::kTagImportar, "", "-", "-", U("EXPORTACI\xC3\x93N A ITACA"), {}, false},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.tag);
    TPlantillas d(nullptr, c.tag, cat_, Valencia());
    d.show();
    EXPECT_EQ(d.ComboBoxPlantilla->currentText(), c.codigo);
    EXPECT_EQ(d.ComboBoxPlantilla->count(), 2);
    EXPECT_EQ(d.LabelNombre->text(), c.nombre);
    EXPECT_EQ(d.LabelTurno->text(), c.turno);
    EXPECT_EQ(d.Periodos(), c.periodos);
    EXPECT_EQ(d.Label9->text(), c.label9);
    EXPECT_EQ(d.ComboBoxValCast->isVisible(), c.idiomaVisible);
    EXPECT_EQ(d.LabelPlantillas->text().endsWith(c.tag == 0 ? "Horario en Zarvelon." : "Horario a ITACA."), true);
  }
}

TEST_F(DialogoPlantillas, CadaCambioDeCualquierComboRefrescaLoMostrado) {
  TPlantillas d(nullptr, TPlantillas::kTagExportar, cat_, Valencia());
  struct Paso {
    const char* nombre;
    std::function<void()> hacer;
    QString nombrePlantilla, turno;
    QStringList periodos;
  };
  const Paso pasos[] = {
      {"elegir B", [&] { d.ComboBoxPlantilla->setCurrentIndex(1); }, "Horari de vesprada", "Vespertino", kPeriodosB},
      {"castellano", [&] { d.ComboBoxValCast->setCurrentIndex(1); }, "Horario de tarde", "Vespertino", kPeriodosB},
      {"escribir A", [&] { d.ComboBoxPlantilla->setEditText("A"); }, "Horario A", "Matinal", kPeriodosA},
      {"idioma escrito", [&] { d.ComboBoxValCast->setEditText(Valencia()); }, "Horari A", "Matinal", kPeriodosA},
      // Compared as typed: letter case counts, blanks are not removed.
      {"min\xC3\xBAscula", [&] { d.ComboBoxPlantilla->setEditText("a"); }, "-", "-", {}},
      {"con blancos", [&] { d.ComboBoxPlantilla->setEditText("B "); }, "-", "-", {}},
      {"desconocido", [&] { d.ComboBoxPlantilla->setEditText("ZZ"); }, "-", "-", {}},
      {"vac\xC3\xAD" "o", [&] { d.ComboBoxPlantilla->setEditText(""); }, "-", "-", {}},
  };
  for (const auto& p : pasos) {
    SCOPED_TRACE(p.nombre);
    p.hacer();
    EXPECT_EQ(d.LabelNombre->text(), p.nombrePlantilla);
    EXPECT_EQ(d.LabelTurno->text(), p.turno);
    EXPECT_EQ(d.Periodos(), p.periodos);
  }
}

TEST_F(DialogoPlantillas, CualquierCierreDevuelveLoQueMuestra) {
  struct Caso {
    const char* nombre;
    std::function<void(TPlantillas&)> cerrar;
  };
  const Caso casos[] = {
      {"Continuar", [](TPlantillas& d) { d.BitBtnContinuar->click(); }},
      {"cierre de la ventana", [](TPlantillas& d) { d.close(); }},
      {"Escape", [](TPlantillas& d) { Tecla(&d, Qt::Key_Escape); }},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nombre);
    TPlantillas d(nullptr, TPlantillas::kTagExportar, cat_, Valencia());
    d.show();
    d.ComboBoxValCast->setCurrentText("CASTELLANO");
    d.ComboBoxPlantilla->setEditText("  B ");  // trimmed only when handed back
    EXPECT_EQ(d.LabelTurno->text(), "-");
    d.ComboBoxPlantilla->setEditText("B");
    c.cerrar(d);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.Plantilla, "B");
    EXPECT_EQ(d.Turno, "Vespertino");
    EXPECT_EQ(d.Idioma(), "CASTELLANO");
    const EleccionPlantilla e = d.Eleccion();
    EXPECT_EQ(e.plantilla, "B");
    EXPECT_EQ(e.turno, "Vespertino");
    EXPECT_EQ(e.periodos, std::vector<std::string>{" 1 de 15:00 a 15:55"});
  }
  // Nothing chosen in mode 2: an empty template and the turn "-".
  TPlantillas d(nullptr, TPlantillas::kTagImportar, cat_, Valencia());
  d.show();
  d.close();
  EXPECT_EQ(d.Plantilla, "");
  EXPECT_EQ(d.Turno, "-");
  // A code typed with blanks around it is handed back trimmed.
  TPlantillas e(nullptr, TPlantillas::kTagImportar, cat_, Valencia());
  e.show();
  e.ComboBoxPlantilla->setEditText(" \tA  ");
  e.close();
  EXPECT_EQ(e.Plantilla, "A");
}

TEST_F(DialogoPlantillas, TomaElIdiomaDeLaVentanaPrincipal) {
  TPlantillas d(nullptr, TPlantillas::kTagExportar, cat_, "CASTELLANO");
  EXPECT_EQ(d.ComboBoxValCast->currentText(), "CASTELLANO");
  EXPECT_EQ(d.LabelNombre->text(), "Horario A");
  // Any text other than exactly VALENCIÁ gives the Castilian name.
  TPlantillas e(nullptr, TPlantillas::kTagExportar, cat_, "VALENCIA");
  EXPECT_EQ(e.LabelNombre->text(), "Horario A");
}

TEST_F(DialogoPlantillas, SinPlantillasNoHayNadaQueElegir) {
  const xml::Document vacio = xml::Document::parse("<centro/>", "vac\xC3\xAD" "o");
  const CatalogoPlantillas cat(vacio);
  for (int tag : {TPlantillas::kTagExportar, TPlantillas::kTagImportar}) {
    TPlantillas d(nullptr, tag, cat, Valencia());
    d.show();
    EXPECT_EQ(d.ComboBoxPlantilla->count(), 0);
    d.close();
    EXPECT_EQ(d.Plantilla, "");
    EXPECT_EQ(d.Turno, "-");
    EXPECT_TRUE(d.Periodos().isEmpty());
  }
}

// ---------------------------------------------------------------------------
// Target course dialog.

TEST(DialogoCurso, LaEtiquetaLlevaElCursoYCualquierCierreLoDevuelve) {
  App();
  struct Caso {
    const char* nombre;
    QString inicial;
    std::function<void(TCurExp&)> cambiar;
    std::function<void(TCurExp&)> cerrar;
    QString devuelto;
  };
  auto continuar = [](TCurExp& d) { d.BitBtnContinuar->click(); };
  auto cerrar = [](TCurExp& d) { d.close(); };
  const Caso casos[] = {
      {"sin tocar", "2012", [](TCurExp&) {}, cerrar, "2012"},
      {"elegir 2013", "2012", [](TCurExp& d) { d.ComboBoxCurso->setCurrentIndex(3); }, continuar, "2013"},
      {"escribir 2021", "2012", [](TCurExp& d) { d.ComboBoxCurso->lineEdit()->insert("2021"); }, cerrar,
       "2021"},
      {"borrar lo escrito", "2012",
       [](TCurExp& d) {
         d.ComboBoxCurso->lineEdit()->insert("20");
         d.ComboBoxCurso->lineEdit()->clear();
       },
       continuar, ""},
      {"curso vac\xC3\xAD" "o en ITACA", "", [](TCurExp&) {}, continuar, ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nombre);
    TCurExp d(nullptr, c.inicial);
    d.show();
    EXPECT_EQ(d.LabelCurActual->text(), c.inicial);
    EXPECT_EQ(d.ComboBoxCurso->currentText(), "");
    EXPECT_EQ(d.ComboBoxCurso->count(), 11);
    c.cambiar(d);
    EXPECT_EQ(d.LabelCurActual->text(), c.devuelto);
    c.cerrar(d);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.CursoDestino, c.devuelto);
  }
}

// ---------------------------------------------------------------------------
// Main window.

TEST(VentanaPrincipal, ComponentesConSusNombres) {
  App();
  TMForm f(Arranque{});
  EXPECT_EQ(f.objectName(), "MForm");
  EXPECT_EQ(f.windowTitle(), "Exportar e importar datos entre Zarvelon e ITACA");
  EXPECT_EQ(f.size(), QSize(632, 266));
  EXPECT_EQ(f.pos(), QPoint(194, 167));
  struct Caso {
    const char* nombre;
    const char* padre;
    QString texto;
  };
  const Caso casos[] = {
      {"Draw3D1", "MForm", ""},
      {"Draw3D2", "MForm", ""},
      {"Draw3D3", "MForm", ""},
      {"BExportar", "Draw3D2", "Aceptar"},
      {"BImportar", "Draw3D3", "Aceptar"},
      {"BClose", "Draw3D1", "&Salir"},
      {"Button1", "Draw3D1", "F1 Ayuda"},
      {"Label1", "Draw3D1", "TransZarvelonITACA para ZX30 V-1.0"},
      {"Label3", "Draw3D2", "Transformar datos desde ITACA hacia Zarvelon "},
      {"Label4", "Draw3D3", "Transformar datos desde Zarvelon hacia ITACA"},
      {"Label9", "Draw3D2", "Recoger Textos en:"},
      {"ComboBoxValCast", "Draw3D2", U("VALENCI\xC3\x81")},
      {"ListBoxPlanti", "Draw3D1", ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nombre);
    auto* w = f.findChild<QWidget*>(c.nombre);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget()->objectName(), c.padre);
    QString texto;
    if (auto* b = qobject_cast<QPushButton*>(w)) texto = b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) texto = l->text();
    if (auto* cb = qobject_cast<QComboBox*>(w)) texto = cb->currentText();
    EXPECT_EQ(texto, c.texto);
  }
  EXPECT_TRUE(f.ComboBoxValCast->isEditable());
  EXPECT_EQ(f.ComboBoxValCast->count(), 2);
  EXPECT_TRUE(f.ListBoxPlanti->isHidden());
  EXPECT_FALSE(f.BExportar->icon().isNull());
  EXPECT_EQ(f.OpenDialogXML->objectName(), "OpenDialogXML");
  EXPECT_EQ(f.OpenDialogXML->windowTitle(), "Archivo XML");
  EXPECT_EQ(f.OpenDialogXML->nameFilters(), QStringList{"*.xml"});
  EXPECT_EQ(f.OpenDialogXML->defaultSuffix(), "xml");
}

TEST(VentanaPrincipal, AlojadaMuestraSoloElPanelPedido) {
  App();
  struct Caso {
    Panel panel;
    bool exportarVisible, importarVisible;
  };
  const Caso casos[] = {{Panel::Importar, false, true}, {Panel::Exportar, true, false}, {Panel::Ambos, true, true}};
  for (const auto& c : casos) {
    SCOPED_TRACE(static_cast<int>(c.panel));
    Arranque a;
    a.alojado = true;
    a.panel = c.panel;
    TMForm f(a);
    f.show();
    EXPECT_EQ(f.NumParams, 2);
    EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(f.pos(), QPoint(0, 0));
    EXPECT_EQ(f.Draw3D2->isVisible(), c.exportarVisible);
    EXPECT_EQ(f.Draw3D3->isVisible(), c.importarVisible);
    EXPECT_TRUE(f.Draw3D1->isVisible());
    if (c.panel == Panel::Ambos) {
      EXPECT_EQ(f.Draw3D2->geometry(), QRect(0, 0, 315, 169));
      EXPECT_EQ(f.Draw3D3->geometry(), QRect(316, 0, 317, 169));
    } else {
      // The one panel takes everything above the bottom strip.
      QWidget* panel = c.panel == Panel::Importar ? f.Draw3D3 : f.Draw3D2;
      EXPECT_EQ(panel->geometry(), QRect(0, 0, 632, f.Draw3D1->y()));
    }
  }
}

TEST_F(ConDirectorio, AlCerrarSoloEscribeElResultadoAlojada) {
  struct Caso {
    bool alojado;
    int transformado;
    QByteArray antes;  // null: no file
    QByteArray despues;
  };
  const Caso casos[] = {
      {true, 0, {}, "[Transformadores]\r\nTransformado=0\r\n"},
      {true, -1, "[Zarvelon]\r\nRuta=C:\\ZX30\r\n[Transformadores]\r\nTransformado=1\r\n",
       "[Zarvelon]\r\nRuta=C:\\ZX30\r\n[Transformadores]\r\nTransformado=-1\r\n"},
      {false, 1, {}, {}},
      {false, 1, "[Transformadores]\r\nTransformado=7\r\n", "[Transformadores]\r\nTransformado=7\r\n"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(std::to_string(c.alojado) + " " + std::to_string(c.transformado));
    QFile::remove(ini());
    if (!c.antes.isNull()) test::Escribir(dir_ / "Zarvelon.ini", c.antes.toStdString());
    Arranque a;
    a.alojado = c.alojado;
    TMForm f(a);
    f.setRutaIni(ini());
    f.show();
    f.Transformado = c.transformado;
    f.BClose->click();
    EXPECT_FALSE(f.isVisible());
    QFile leido(ini());
    if (c.despues.isNull()) {
      EXPECT_FALSE(leido.exists());
    } else {
      ASSERT_TRUE(leido.open(QIODevice::ReadOnly));
      EXPECT_EQ(leido.readAll(), c.despues);
    }
  }
}

// ---------------------------------------------------------------------------
// The two runs as the user goes through them.

TEST_F(ConDirectorio, ExportarDejaElegirPlantillaEIdiomaYTerminaUnaSolaVez) {
  TMForm f(Arranque{});
  f.show();
  QString fin, resumen;
  bool conInforme = false;
  QString codigoAlAbrir;
  Guion guion({ElegirArchivo(ruta("centro.xml")), En<TPlantillas>([&](TPlantillas* d) {
                 EXPECT_EQ(d->tag(), TPlantillas::kTagExportar);
                 codigoAlAbrir = d->ComboBoxPlantilla->currentText();
                 d->ComboBoxPlantilla->setCurrentIndex(1);
                 d->ComboBoxValCast->setCurrentText("CASTELLANO");
                 d->close();  // the title bar's close box: no cancel
               }),
               Final(&fin, &resumen, &conInforme)});
  Pulsar(f.BExportar, guion);
  EXPECT_EQ(codigoAlAbrir, "A");
  EXPECT_EQ(fin, "Proceso finalizado");
  EXPECT_TRUE(resumen.contains("PROFT")) << resumen.toStdString();
  EXPECT_TRUE(conInforme);
  EXPECT_EQ(f.Transformado, 1);
  EXPECT_FALSE(f.BExportar->isEnabled());
  EXPECT_FALSE(f.BImportar->isEnabled());
  EXPECT_TRUE(f.isVisible());  // by itself the window stays
  EXPECT_EQ(f.ArchivoXML, ruta("centro.xml"));
  EXPECT_EQ(f.PlantillaSel, "B");
  EXPECT_EQ(f.TurnoSel, "Vespertino");
  EXPECT_EQ(f.ComboBoxValCast->currentText(), "CASTELLANO");
  ASSERT_EQ(f.ListBoxPlanti->count(), 1);
  EXPECT_EQ(f.ListBoxPlanti->item(0)->text(), kPeriodosB[0]);
  // The run got the choice: the time slots are those of B.
  const dbf::Table tramos = dbf::Table::readFile(trabajo_ / "DIASHORAST.DBF");
  ASSERT_GT(tramos.recordCount(), 0u);
  EXPECT_EQ(tramos.getText(1, tramos.fieldIndex("MARCOXML")), "B");
}

TEST_F(ConDirectorio, SinArchivoSeAvisaYAlojadaSeCierraConMenosUno) {
  struct Caso {
    const char* nombre;
    bool alojado;
    bool importar;
    std::function<Guion::Paso()> archivo;
  };
  const Caso casos[] = {
      {"exportar, cancelado", false, false, [] { return CancelarArchivo(); }},
      {"exportar, cancelado, alojada", true, false, [] { return CancelarArchivo(); }},
      {"exportar, nombre que no existe, alojada", true, false, [this] { return ElegirArchivo(ruta("otro")); }},
      {"importar, cancelado", false, true, [] { return CancelarArchivo(); }},
      {"importar, sin SOLUC, alojada", true, true, [this] { return ElegirArchivo(ruta("centro.xml")); }},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nombre);
    QFile::remove(ini());
    Arranque a;
    a.alojado = c.alojado;
    TMForm f(a);
    f.setRutaIni(ini());
    f.show();
    QString aviso;
    std::vector<Guion::Paso> pasos;
    if (c.importar) pasos.push_back(Caja(nullptr));
    pasos.push_back(c.archivo());
    pasos.push_back(Caja(&aviso));
    Guion guion(pasos);
    Pulsar(c.importar ? f.BImportar : f.BExportar, guion);
    EXPECT_EQ(aviso, c.importar ? U("No existe archivo XML o Soluci\xC3\xB3n.") : U("No existe archivo"));
    EXPECT_EQ(f.Transformado, c.alojado ? -1 : 0);
    EXPECT_EQ(f.isVisible(), !c.alojado);
    EXPECT_TRUE(f.BExportar->isEnabled());
    EXPECT_TRUE(f.BImportar->isEnabled());
    EXPECT_EQ(QFile::exists(ini()), c.alojado);
  }
}

TEST_F(ConDirectorio, UnErrorDelNucleoSeMuestraYNoCambiaNada) {
  struct Caso {
    const char* nombre;
    std::function<void()> preparar;
    bool conPlantillas;  // the file is read: the template dialog comes first
    const char* enElMensaje;
  };
  const Caso casos[] = {
      {"no es XML", [this] { test::Escribir(dir_ / "centro.xml", "esto no es XML"); }, false, "centro.xml"},
      {"sin directorio de trabajo", [this] { std::filesystem::remove_all(trabajo_); }, true, "ZTEMP"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nombre);
    std::filesystem::create_directories(trabajo_);
    test::Escribir(dir_ / "centro.xml", kDosPlantillas);
    c.preparar();
    TMForm f(Arranque{});
    f.show();
    QString error;
    std::vector<Guion::Paso> pasos{ElegirArchivo(ruta("centro.xml"))};
    if (c.conPlantillas) pasos.push_back(En<TPlantillas>([](TPlantillas* d) { d->accept(); }));
    pasos.push_back(Caja(&error));
    Guion guion(pasos);
    Pulsar(f.BExportar, guion);
    EXPECT_TRUE(error.contains(c.enElMensaje)) << error.toStdString();
    EXPECT_EQ(f.Transformado, 0);
    EXPECT_TRUE(f.BExportar->isEnabled());
    EXPECT_TRUE(f.BImportar->isEnabled());
    EXPECT_TRUE(f.isVisible());
  }
}

TEST_F(ConDirectorio, ImportarPideArchivoPlantillaYCursoYEscribeElResultado) {
  // The working tables as an earlier run into Zarvelon left them.
  {
    TMForm f(Arranque{});
    Guion guion({ElegirArchivo(ruta("centro.xml")), En<TPlantillas>([](TPlantillas* d) { d->accept(); }),
                 Caja(nullptr)});
    Pulsar(f.BExportar, guion);
    ASSERT_EQ(f.Transformado, 1);
  }
  solucionVacia();
  QFile::remove(ini());

  Arranque a;
  a.alojado = true;
  a.panel = Panel::Importar;
  TMForm f(a);
  f.setRutaIni(ini());
  f.show();
  QString aviso, fin;
  Guion guion({Caja(&aviso), ElegirArchivo(ruta("centro.xml")), En<TPlantillas>([](TPlantillas* d) {
                 EXPECT_EQ(d->tag(), TPlantillas::kTagImportar);
                 EXPECT_EQ(d->ComboBoxPlantilla->currentText(), "");
                 EXPECT_FALSE(d->ComboBoxValCast->isVisible());
                 d->ComboBoxPlantilla->setEditText("B");
                 d->BitBtnContinuar->click();
               }),
               En<TCurExp>([](TCurExp* d) {
                 EXPECT_EQ(d->LabelCurActual->text(), "2012");
                 d->ComboBoxCurso->setEditText("2021");
                 d->close();
               }),
               Caja(&fin)});
  Pulsar(f.BImportar, guion);
  EXPECT_EQ(aviso, U("Deber\xC3\xA1 Abrir el fichero XML de ITACA,\ndesde el cual realiz\xC3\xB3 la Importaci\xC3\xB3n a Zarvelon"));
  EXPECT_EQ(fin, "Proceso finalizado");
  EXPECT_EQ(f.Transformado, 1);
  EXPECT_EQ(f.PlantillaSel, "B");
  EXPECT_EQ(f.CursoDestino, "2021");
  EXPECT_FALSE(f.isVisible());  // hosted: closed after the run
  QFile flag(ini());
  ASSERT_TRUE(flag.open(QIODevice::ReadOnly));
  EXPECT_EQ(flag.readAll(), "[Transformadores]\r\nTransformado=1\r\n");

  const xml::Document resultado = xml::Document::load(dir_ / "ResultadoZarveloncentro.xml");
  EXPECT_EQ(resultado.root().attr("curso"), "2021");
  const dbf::Table tramos = dbf::Table::readFile(trabajo_ / "DIASHORAST.DBF");
  ASSERT_GT(tramos.recordCount(), 0u);
  EXPECT_EQ(tramos.getText(1, tramos.fieldIndex("MARCOXML")), "B");
}

}  // namespace
}  // namespace zi::gui

#else  // no Qt for this test target

#include <gtest/gtest.h>

TEST(Ventanas, SinQt) { GTEST_SKIP() << "this test target is built without Qt and the windows"; }

#endif
