#include "curso_export.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "estilo.h"
#include "glifos.h"
#include "gradient_panel.h"

namespace zi::gui {

TCurExp::TCurExp(QWidget* owner, const QString& cursoDestino)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      CursoDestino(cursoDestino) {
  setObjectName("CurExp");
  setWindowTitle(QStringLiteral("Curso de destino"));
  setFont(FuenteFormulario());
  setFixedSize(387, 172);
  move(378, 334);
  setModal(true);

  Draw3D4 = new GradientPanel(this);
  Draw3D4->setObjectName("Draw3D4");
  Draw3D4->setColores(kAzulCielo, Qt::white, Qt::white);
  Draw3D4->setGeometry(0, 0, 387, 172);

  LabelCurso = Etiqueta(Draw3D4, "LabelCurso",
                        QStringLiteral("Seleccione el Curso para el que quiere Exportar el Resultado del Horario."), 6,
                        1, 315, 33);
  LabelCurSelected =
      Etiqueta(Draw3D4, "LabelCurSelected", QStringLiteral("Curso seleccionado actualmente:"), 6, 46, 233, 24);
  Colorear(LabelCurSelected, kAzul);
  LabelCurActual = Etiqueta(Draw3D4, "LabelCurActual", QStringLiteral("-"), 270, 42);
  LabelCurActual->setFont(FuenteArial(14, true));
  Colorear(LabelCurActual, kRojo);
  LabelSeleccion =
      Etiqueta(Draw3D4, "LabelSeleccion", QStringLiteral("Curso para el que se efectur\u00E1 la Exportaci\u00F3n:"), 7, 72);
  Colorear(LabelSeleccion, kRojo);
  ComboBoxCurso = Combo(Draw3D4, "ComboBoxCurso", 267, 69, 105);
  for (int anyo = 2010; anyo <= 2020; ++anyo) ComboBoxCurso->addItem(QString::number(anyo));
  ComboBoxCurso->setCurrentIndex(-1);
  ComboBoxCurso->setEditText(QString());
  BitBtnContinuar = new QPushButton(GlifoAceptar(), QStringLiteral("Continuar"), Draw3D4);
  BitBtnContinuar->setObjectName("BitBtnContinuar");
  BitBtnContinuar->setGeometry(153, 102, 89, 25);
  BitBtnContinuar->setDefault(true);
  connect(BitBtnContinuar, &QPushButton::clicked, this, &QDialog::accept);

  // FormActivate
  LabelCurActual->setText(CursoDestino);
  LabelCurActual->adjustSize();
  connect(ComboBoxCurso, &QComboBox::currentTextChanged, this, &TCurExp::ComboBoxCursoChange);
}

void TCurExp::ComboBoxCursoChange(const QString& texto) {
  LabelCurActual->setText(texto);
  LabelCurActual->adjustSize();
}

void TCurExp::done(int r) {
  CursoDestino = LabelCurActual->text();
  QDialog::done(r);
}

}  // namespace zi::gui
