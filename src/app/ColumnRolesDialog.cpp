#include "app/ColumnRolesDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vornax::app {

ColumnRolesDialog::ColumnRolesDialog(const ColumnQuestion& question, QWidget* parent)
    : QDialog(parent), choices_(question.choices) {
  setObjectName("ColumnRolesDialog");
  setWindowTitle(QApplication::applicationName());
  choices_.push_back(ColumnRole::None);
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel(QString::fromStdString(question.text), this);
  text->setWordWrap(true);
  text->setMinimumWidth(380);
  layout->addWidget(text);
  auto* form = new QFormLayout;
  for (size_t j = 0; j < question.columns.size(); ++j) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString("ColumnRole%1").arg(j + 1));
    for (ColumnRole role : choices_) box->addItem(QString::fromStdString(RoleName(role)));
    const ColumnRole chosen = j < question.preselected.size() ? question.preselected[j] : ColumnRole::None;
    const auto at = std::find(choices_.begin(), choices_.end(), chosen);
    box->setCurrentIndex(at == choices_.end() ? static_cast<int>(choices_.size()) - 1
                                              : static_cast<int>(at - choices_.begin()));
    connect(box, &QComboBox::currentIndexChanged, this, [this] { Check(); });
    form->addRow(QString::fromStdString(question.columns[j]), box);
    Boxes.push_back(box);
  }
  layout->addLayout(form);
  problem_ = new QLabel(this);
  problem_->setStyleSheet("QLabel { color: #a01010; }");
  layout->addWidget(problem_);
  Buttons = new QDialogButtonBox(this);
  PasteButton = Buttons->addButton("Paste", QDialogButtonBox::AcceptRole);
  Buttons->addButton(QDialogButtonBox::Cancel);
  connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(Buttons);
  Check();
}

std::vector<ColumnRole> ColumnRolesDialog::Roles() const {
  std::vector<ColumnRole> roles;
  for (const QComboBox* box : Boxes) roles.push_back(choices_[static_cast<size_t>(box->currentIndex())]);
  return roles;
}

void ColumnRolesDialog::Check() {
  const std::string problem = CheckRoles(Roles());
  problem_->setText(QString::fromStdString(problem));
  problem_->setVisible(!problem.empty());
  PasteButton->setEnabled(problem.empty());
}

std::optional<std::vector<ColumnRole>> AskColumnRolesInDialog(const ColumnQuestion& question,
                                                              QWidget* parent) {
  ColumnRolesDialog dialog(question, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Roles();
}

}  // namespace vornax::app
