#include "app/TableDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

namespace vornax::app {
namespace {

constexpr const char* kNone = "(none)";

// The column number of a box: its item's data, 0 for "(none)".
int ColumnOf(const QComboBox* box) { return box->currentData().toInt(); }

}  // namespace

TTableColumnsDialog::TTableColumnsDialog(const QString& fileName, const TablePreview& preview,
                                         const ImportChoices& start, QWidget* parent)
    : QDialog(parent) {
  setObjectName("TableColumnsDialog");
  setWindowTitle("Open table: " + fileName);
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(
      QString("The first rows of %1. Choose the column of each variable; rows with a missing "
              "value in a chosen column are left out.")
          .arg(fileName),
      this);
  intro->setWordWrap(true);
  layout->addWidget(intro);

  const int columns = static_cast<int>(preview.Names.size());
  RowsTable = new QTableWidget(static_cast<int>(preview.Rows.size()), columns, this);
  RowsTable->setObjectName("RowsTable");
  RowsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  RowsTable->setSelectionMode(QAbstractItemView::NoSelection);
  QStringList headers;
  for (const std::string& name : preview.Names) headers << QString::fromStdString(name);
  RowsTable->setHorizontalHeaderLabels(headers);
  for (int r = 0; r < RowsTable->rowCount(); ++r) {
    const auto& row = preview.Rows[static_cast<size_t>(r)];
    for (int c = 0; c < columns && c < static_cast<int>(row.size()); ++c) {
      RowsTable->setItem(r, c, new QTableWidgetItem(QString::fromStdString(row[static_cast<size_t>(c)])));
    }
  }
  RowsTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  RowsTable->setMinimumHeight(180);
  layout->addWidget(RowsTable, 1);

  auto* form = new QFormLayout;
  auto makeBox = [&](const char* name, bool optional, const std::string& chosen) {
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    if (optional) box->addItem(kNone, 0);
    for (int c = 0; c < columns; ++c) {
      box->addItem(QString("%1: %2").arg(c + 1).arg(headers[c]), c + 1);
    }
    const int index = box->findData(chosen.empty() ? 0 : std::atoi(chosen.c_str()));
    box->setCurrentIndex(index >= 0 ? index : 0);
    connect(box, &QComboBox::currentIndexChanged, this, [this] { CheckChoices(); });
    return box;
  };
  YComboBox = makeBox("YComboBox", false, start.Y);
  XComboBox = makeBox("XComboBox", false, start.X);
  ZComboBox = makeBox("ZComboBox", true, start.Z);
  WeightComboBox = makeBox("WeightComboBox", true, start.Weight);
  form->addRow("Y (dependent)", YComboBox);
  form->addRow("X (independent)", XComboBox);
  form->addRow("Z (second independent)", ZComboBox);
  form->addRow("Weight factors", WeightComboBox);
  layout->addLayout(form);
  ClashLabel = new QLabel("Each column can hold one variable only.", this);
  ClashLabel->setObjectName("ClashLabel");
  ClashLabel->setStyleSheet("QLabel { color: #a03000; }");
  layout->addWidget(ClashLabel);

  Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  Buttons->button(QDialogButtonBox::Ok)->setText("Open");
  connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(Buttons);
  resize(560, 440);
  CheckChoices();
}

void TTableColumnsDialog::CheckChoices() {
  std::set<int> seen;
  bool clash = false;
  for (const QComboBox* box : {YComboBox, XComboBox, ZComboBox, WeightComboBox}) {
    const int column = ColumnOf(box);
    if (column != 0 && !seen.insert(column).second) clash = true;
  }
  ClashLabel->setVisible(clash);
  Buttons->button(QDialogButtonBox::Ok)->setEnabled(!clash);
}

ImportChoices TTableColumnsDialog::Choices() const {
  ImportChoices choices;
  auto text = [](const QComboBox* box) {
    const int column = ColumnOf(box);
    return column == 0 ? std::string() : std::to_string(column);
  };
  choices.Y = text(YComboBox);
  choices.X = text(XComboBox);
  choices.Z = text(ZComboBox);
  choices.Weight = text(WeightComboBox);
  return choices;
}

}  // namespace vornax::app
