#include "app/WindowDialogs.h"

#include "app/TableDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QFileInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>

namespace vornax::app {
namespace {

QString Title() { return QApplication::applicationName(); }

}  // namespace

WindowDialogs::WindowDialogs(QWidget* parent, QPlainTextEdit* waitMemo)
    : parent_(parent), waitMemo_(waitMemo) {}

void WindowDialogs::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, Title(), QString::fromStdString(text), QMessageBox::Ok,
                  parent_);
  box.exec();
}

bool WindowDialogs::Ask(const std::string& question, bool yesIsDefault) {
  QMessageBox box(QMessageBox::Question, Title(), QString::fromStdString(question),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

int WindowDialogs::AskChoice(const std::string& question, const std::vector<std::string>& buttons,
                             int safest) {
  QMessageBox box(QMessageBox::Question, Title(), QString::fromStdString(question),
                  QMessageBox::NoButton, parent_);
  std::vector<QAbstractButton*> shown;
  for (const std::string& text : buttons) {
    shown.push_back(box.addButton(QString::fromStdString(text), QMessageBox::AcceptRole));
  }
  if (safest >= 0 && static_cast<size_t>(safest) < shown.size()) {
    box.setDefaultButton(qobject_cast<QPushButton*>(shown[static_cast<size_t>(safest)]));
    box.setEscapeButton(shown[static_cast<size_t>(safest)]);
  }
  box.exec();
  const auto at = std::find(shown.begin(), shown.end(), box.clickedButton());
  return at == shown.end() ? safest : static_cast<int>(at - shown.begin());
}

std::optional<std::vector<ColumnRole>> WindowDialogs::AskColumnRoles(const ColumnQuestion& question) {
  return AskColumnRolesInDialog(question, parent_);
}

void WindowDialogs::ShowProgress() {
  if (!waitMemo_) return;
  waitMemo_->clear();
  waitMemo_->show();
  KeepPainting();
}

void WindowDialogs::AddProgress(const std::string& line) {
  if (!waitMemo_) return;
  waitMemo_->appendPlainText(QString::fromStdString(line));
  KeepPainting();
}

void WindowDialogs::HideProgress() {
  if (waitMemo_) waitMemo_->hide();
}

void WindowDialogs::Pause(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) {
    const int left = milliseconds - static_cast<int>(clock.elapsed());
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, left);
    QThread::msleep(static_cast<unsigned long>(std::min(left > 0 ? left : 0, 15)));
  }
}

void WindowDialogs::KeepPainting() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString WindowDialogs::GetOpenFileName(const QString& caption, const QString& folder,
                                       const QString& filter) {
  return QFileDialog::getOpenFileName(parent_, caption, folder, filter);
}

QString WindowDialogs::GetSaveFileName(const QString& caption, const QString& folder,
                                       const QString& filter, const QString& defaultSuffix) {
  QFileDialog dialog(parent_, caption, folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setDefaultSuffix(defaultSuffix);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
    // "PNG picture (*.png)": a name without an extension becomes a .png.
    const qsizetype star = chosen.indexOf("(*.");
    const qsizetype end = chosen.indexOf(QRegularExpression("[ ;)]"), star + 3);
    if (star >= 0 && end > star + 3) dialog.setDefaultSuffix(chosen.mid(star + 3, end - star - 3));
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

bool WindowDialogs::ChooseTableColumns(const QString& fileName, const TablePreview& preview,
                                       ImportChoices& choices) {
  TTableColumnsDialog dialog(fileName, preview, choices, parent_);
  if (dialog.exec() != QDialog::Accepted) return false;
  choices = dialog.Choices();
  return true;
}

bool WindowDialogs::SetUpPrinter(QPrinter& printer) {
  QPrintDialog dialog(&printer, parent_);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vornax::app
