#include "forms/BaseForm.h"

#include <QLabel>
#include <QStatusBar>

namespace vornax::forms {

TBaseForm::TBaseForm(QWidget* parent) : QMainWindow(parent) {
  StatusBar1 = new QLabel(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setContentsMargins(6, 0, 6, 0);
  // A long status text is cut, never a reason for the window to be wider than the screen.
  StatusBar1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  statusBar()->addWidget(StatusBar1, 1);
  statusBar()->setSizeGripEnabled(true);
}

void TBaseForm::ShowStatus(const QString& text) {
  StatusBar1->setText(text);
  StatusBar1->repaint();
}

QString TBaseForm::StatusText() const { return StatusBar1->text(); }

}  // namespace vornax::forms
