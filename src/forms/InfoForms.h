// Two small windows that explain: the confidence help of the Graphics tab, and the detailed
// procedure of the type determination opened from the Intro tab's significance tests. Both are
// modeless and are shown and hidden, never destroyed.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace vornax::forms {

class THelpForm : public QWidget {
 public:
  explicit THelpForm(QWidget* parent = nullptr);
  QTextBrowser* HelpMemo = nullptr;
};

class TMoreInfoForm : public QWidget {
 public:
  explicit TMoreInfoForm(QWidget* parent = nullptr);
  QTextBrowser* MoreInfoMemo = nullptr;
};

}  // namespace vornax::forms
