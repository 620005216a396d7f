// The common base of the program's main windows: a window with one status-bar text.
#pragma once

#include <QMainWindow>
#include <QString>

class QLabel;

namespace vornax::forms {

class TBaseForm : public QMainWindow {
 public:
  explicit TBaseForm(QWidget* parent = nullptr);

  // Sets the status text and repaints at once, so a text set before a long step is seen.
  void ShowStatus(const QString& text);
  QString StatusText() const;

 protected:
  QLabel* StatusBar1 = nullptr;  // the single text panel of the status bar
};

}  // namespace vornax::forms
