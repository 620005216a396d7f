#include "forms/InfoForms.h"

#include <QTextBrowser>
#include <QVBoxLayout>

#include "forms/HelpTexts.h"

namespace vornax::forms {
namespace {

const Qt::WindowFlags kInfoWindow = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

QTextBrowser* InfoMemo(QWidget* window, const char* name, const HelpText& text, const QColor& background) {
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* memo = new QTextBrowser(window);
  memo->setObjectName(name);
  memo->setOpenLinks(false);
  memo->setFrameShape(QFrame::NoFrame);
  ShowHelpText(memo, text, background);
  layout->addWidget(memo);
  return memo;
}

}  // namespace

THelpForm::THelpForm(QWidget* parent) : QWidget(parent, kInfoWindow) {
  setObjectName("HelpForm");
  setWindowTitle("Help St.Err.BP and confidence analysis");
  HelpMemo = InfoMemo(this, "HelpMemo", kConfidenceHelpText, QColor(0xfb, 0xf8, 0xee));
  resize(560, 470);
}

TMoreInfoForm::TMoreInfoForm(QWidget* parent) : QWidget(parent, kInfoWindow) {
  setObjectName("MoreInfoForm");
  setWindowTitle("More Info");
  MoreInfoMemo = InfoMemo(this, "MoreInfoMemo", kMoreInfoText, QColor(0xf3, 0xf9, 0xf3));
  resize(600, 520);
}

}  // namespace vornax::forms
