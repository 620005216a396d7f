#include "forms/FinishForm.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vornax::forms {

TFinishForm::TFinishForm(QWidget* parent) : TBaseForm(parent) {
  setWindowTitle("Vornax finish");
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  FinishMemo = new QPlainTextEdit(central);
  FinishMemo->setObjectName("FinishMemo");
  FinishMemo->setReadOnly(true);
  FinishMemo->setPlainText("\n Thank you for using VornaxA");
  FinishButton = new QPushButton("Finish", central);
  FinishButton->setObjectName("FinishButton");
  FinishButton->setDefault(true);
  layout->addWidget(FinishMemo);
  layout->addWidget(FinishButton, 0, Qt::AlignRight);
  setCentralWidget(central);
  resize(320, 200);
  connect(FinishButton, &QPushButton::clicked, this, [this] { Finish(); });
}

void TFinishForm::showEvent(QShowEvent* event) {
  TBaseForm::showEvent(event);
  ShowStatus("  Click on Finish to end the program");
  FinishButton->setFocus();
}

void TFinishForm::closeEvent(QCloseEvent* event) {
  event->accept();
  Finish();
}

void TFinishForm::Finish() {
  if (finishing_) return;
  finishing_ = true;
  hide();
  if (OnFinish) OnFinish();
  finishing_ = false;
}

}  // namespace vornax::forms
