#include "forms/SymbolsForm.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace vornax::forms {
namespace {

constexpr const char* kSymbols =
    "EXPLANATION OF SOME SYMBOLS IN THE OUTPUT FILE\n"
    "\n"
    "st.dev.Yr   standard deviation of the residuals of Y about the\n"
    "            regression lines\n"
    "BP          breakpoint\n"
    "BPx, BPz    breakpoint on the X axis, on the Z axis\n"
    "Ybp         value of Y at the breakpoint\n"
    "Y(X=0)      value of Y where the line meets X = 0\n"
    "N>, N<      number of data above, below the breakpoint\n"
    "Nt          total number of data\n"
    "Yav*        average of Y in the part of the line that is not\n"
    "            affected by the independent variable\n"
    "Yi          Yi = Ybp - Yav*, the increase of Y if all values of the\n"
    "            independent variable were brought into the unaffected\n"
    "            part of the line\n"
    "expl. coeff. coefficient of explanation:\n"
    "            1 - S(Yr sq.)/S({Y-Yav})sq.\n"
    "YXr         residuals of Y after the regression on X\n"
    "st.dev.YXr  standard deviation of YXr\n"
    "YZr         residuals of Y after the regression on Z\n"
    "st.dev.YZr  standard deviation of YZr\n"
    "st.dev.XZr  standard deviation of the residuals of X after a linear\n"
    "            regression on Z; it shows the correlation of X and Z\n"
    "YXZr        residuals of YXr after the regression on Z\n"
    "YZXr        residuals of YZr after the regression on X\n"
    "st.dev.YXZr standard deviation of YXZr\n"
    "st.dev.YZXr standard deviation of YZXr\n"
    "overall coefficient of explanation:\n"
    "            1 - S(YXZr sq.)/S({Y-Yav*})sq.  or\n"
    "            1 - S(YZXr sq.)/S({Y-Yav*})sq.\n";

}  // namespace

TSymbolsForm::TSymbolsForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setWindowTitle("Vornax output symbols");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  SymbolsMemo = new QPlainTextEdit(this);
  SymbolsMemo->setObjectName("SymbolsMemo");
  // Read-only, yet enabled: the list scrolls and a symbol can be copied.
  SymbolsMemo->setReadOnly(true);
  SymbolsMemo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  SymbolsMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  SymbolsMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  SymbolsMemo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  SymbolsMemo->setPlainText(kSymbols);
  layout->addWidget(SymbolsMemo);
  // Wide enough for the longest line, so that nothing hides behind a scroll bar.
  const QFontMetrics metrics(SymbolsMemo->font());
  int widest = 0;
  for (const QString& line : QString(kSymbols).split('\n')) widest = std::max(widest, metrics.horizontalAdvance(line));
  resize(widest + 48, std::min(metrics.lineSpacing() * 33 + 24, 560));
}

}  // namespace vornax::forms
