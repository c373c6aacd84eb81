#include "plantihoras.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "estilo.h"
#include "glifos.h"
#include "gradient_panel.h"
#include "texto_qt.h"

namespace zi::gui {

TPlantillas::TPlantillas(QWidget* owner, int tag, const CatalogoPlantillas& catalogo, const QString& idiomaPrincipal)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      tag_(tag),
      catalogo_(catalogo) {
  setObjectName("Plantillas");
  setWindowTitle(QStringLiteral("Plantillas Horarias"));
  setFont(FuenteFormulario());
  setFixedSize(378, 299);
  move(444, 334);
  setModal(true);

  Draw3D4 = new GradientPanel(this);
  Draw3D4->setObjectName("Draw3D4");
  Draw3D4->setColores(kAzulCielo, Qt::white, Qt::white);
  Draw3D4->setGeometry(0, 0, 378, 299);

  Label9 = Etiqueta(Draw3D4, "Label9", QStringLiteral("Recoger Textos en: -------------->"), 6, 10);
  Colorear(Label9, kRojo, true);
  ComboBoxValCast = Combo(Draw3D4, "ComboBoxValCast", 205, 6, 133);
  ComboBoxValCast->addItems({Mostrar(kValencia), Mostrar(kCastellano)});
  ComboBoxValCast->setCurrentText(Mostrar(kValencia));
  LabelPlantillas = Etiqueta(
      Draw3D4, "LabelPlantillas",
      QStringLiteral("Seleccione la Plantilla Horaria que quiere aplicar a su Horario en Zarvelon."), 6, 33, 321, 33);
  Label1 = Etiqueta(Draw3D4, "Label1", QStringLiteral("HORAS"), 228, 61);
  ComboBoxPlantilla = Combo(Draw3D4, "ComboBoxPlantilla", 8, 80, 129);
  FondoCombo(ComboBoxPlantilla, kAmarillo);
  ListBox1 = new QListWidget(Draw3D4);
  ListBox1->setObjectName("ListBox1");
  ListBox1->setGeometry(168, 80, 197, 149);
  ListBox1->setSortingEnabled(false);
  Label3 = Etiqueta(Draw3D4, "Label3", QStringLiteral("Horario:"), 2, 105);
  LabelNombre = Etiqueta(Draw3D4, "LabelNombre", QStringLiteral("-"), 2, 127, 162, 36);
  Label2 = Etiqueta(Draw3D4, "Label2", QStringLiteral("Turno:"), 2, 185);
  LabelTurno = Etiqueta(Draw3D4, "LabelTurno", QStringLiteral("-"), 44, 185, 101, 23);
  BitBtnContinuar = new QPushButton(GlifoAceptar(), QStringLiteral("Continuar"), Draw3D4);
  BitBtnContinuar->setObjectName("BitBtnContinuar");
  BitBtnContinuar->setGeometry(255, 234, 89, 25);
  BitBtnContinuar->setDefault(true);
  connect(BitBtnContinuar, &QPushButton::clicked, this, &QDialog::accept);

  FormActivate(idiomaPrincipal);
  connect(ComboBoxPlantilla, &QComboBox::currentTextChanged, this, &TPlantillas::ComboBoxPlantillaChange);
  connect(ComboBoxValCast, &QComboBox::currentTextChanged, this, &TPlantillas::ComboBoxPlantillaChange);
}

void TPlantillas::FormActivate(const QString& idiomaPrincipal) {
  if (tag_ == kTagImportar) {
    Label9->setText(QStringLiteral("EXPORTACI\u00D3N A ITACA"));
    Label9->adjustSize();
    ComboBoxValCast->hide();
    LabelPlantillas->setText(
        QStringLiteral("Seleccione la Plantilla Horaria que quiere aplicar para Exportar su Horario a ITACA."));
  }
  ComboBoxValCast->setCurrentText(idiomaPrincipal);
  if (!catalogo_.vacio()) {
    ComboBoxPlantilla->clear();
    ComboBoxPlantilla->addItems(Mostrar(catalogo_.codigos()));
  }
  if (tag_ == kTagImportar) {
    ComboBoxPlantilla->setCurrentIndex(-1);
    ComboBoxPlantilla->setEditText(QString());
  } else if (ComboBoxPlantilla->count() > 0) {
    ComboBoxPlantilla->setCurrentIndex(0);
  }
  ComboBoxPlantillaChange();
}

void TPlantillas::ComboBoxPlantillaChange() {
  const std::string codigo = Cp1252(ComboBoxPlantilla->currentText());
  const std::string idioma = Cp1252(ComboBoxValCast->currentText());
  LabelNombre->setText(Mostrar(catalogo_.nombre(codigo, idioma)));
  LabelTurno->setText(Mostrar(catalogo_.turno(codigo)));
  ListBox1->clear();
  ListBox1->addItems(Mostrar(catalogo_.lineasPeriodos(codigo)));
}

void TPlantillas::FormClose() {
  Plantilla = Mostrar(RecortarControl(Cp1252(ComboBoxPlantilla->currentText())));
  Turno = LabelTurno->text();
}

void TPlantillas::done(int r) {
  FormClose();
  QDialog::done(r);
}

QStringList TPlantillas::Periodos() const {
  QStringList l;
  for (int i = 0; i < ListBox1->count(); ++i) l << ListBox1->item(i)->text();
  return l;
}

QString TPlantillas::Idioma() const { return ComboBoxValCast->currentText(); }

EleccionPlantilla TPlantillas::Eleccion() const { return {Cp1252(Plantilla), Cp1252(Turno), Cp1252(Periodos())}; }

}  // namespace zi::gui
