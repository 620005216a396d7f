#include "forms/SelectForms.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vornax::forms {
namespace {

QLabel* GreenLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setAutoFillBackground(true);
  label->setStyleSheet("QLabel { background: #c8f0c8; color: black; padding: 3px; }");
  return label;
}

// Checks the button of `id`, or none at all when there is no such button.
void CheckOnly(QButtonGroup* group, int id) {
  QAbstractButton* button = group->button(id);
  if (button) {
    button->setChecked(true);
    return;
  }
  group->setExclusive(false);
  for (QAbstractButton* b : group->buttons()) b->setChecked(false);
  group->setExclusive(true);
}

// A fixed width, and the height its wrapped labels need at that width.
void FitToWidth(QWidget* window, int width) {
  window->setFixedWidth(width);
  QLayout* layout = window->layout();
  layout->activate();
  const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                                 : layout->totalSizeHint().height();
  window->setFixedHeight(std::max(height, layout->totalMinimumSize().height()));
}

// The number of breakpoints each button of the broken-line window stands for (0: none chosen).
constexpr int kBreakpointChoices[] = {2, 3, -1, 0};

const Qt::WindowFlags kToolWindow = Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint;

}  // namespace

TSelectForm::TSelectForm(RunOptions& options, QWidget* parent)
    : QWidget(parent, kToolWindow), options_(options) {
  setWindowTitle("SelectForm");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 6);
  layout->setSpacing(4);
  TopLabel = new QLabel("Segmented regress. Make your selection", this);
  TopLabel->setWordWrap(true);
  layout->addWidget(TopLabel);
  auto* groups = new QHBoxLayout;
  layout->addLayout(groups);
  auto makeGroup = [&](const QString& title, bool z, std::array<QRadioButton*, 8>& buttons,
                       QButtonGroup*& buttonGroup) {
    auto* box = new QGroupBox(title, this);
    auto* v = new QVBoxLayout(box);
    v->setSpacing(0);
    v->setContentsMargins(6, 2, 6, 4);
    buttonGroup = new QButtonGroup(box);
    for (int t = 1; t <= 6; ++t) {
      // The Z group's first button has always been written without the blank.
      const QString caption = z && t == 1 ? QString("Prefer type1") : QString("Prefer type %1").arg(t);
      buttons[static_cast<size_t>(t)] = new QRadioButton(caption, box);
    }
    buttons[7] = new QRadioButton("Partial regress.", box);
    buttons[0] = new QRadioButton("No preference", box);
    for (int id : {1, 2, 3, 4, 5, 6, 7, 0}) {
      buttons[static_cast<size_t>(id)]->setObjectName(
          QString("Pref%1%2RadioButton").arg(z ? 'Z' : 'X').arg(id));
      buttonGroup->addButton(buttons[static_cast<size_t>(id)], id);
      v->addWidget(buttons[static_cast<size_t>(id)]);
    }
    buttons[0]->setChecked(true);
    connect(buttonGroup, &QButtonGroup::idToggled, this, [this, z](int id, bool checked) {
      if (checked) Choose(z, id);
    });
    groups->addWidget(box);
    return box;
  };
  XGroup = makeGroup("    X variable   ", false, XButtons, xGroup_);
  ZGroup = makeGroup("    Z variable   ", true, ZButtons, zGroup_);
  BottomLabel = GreenLabel("After selection click \"Save-Calculate\" ", this);
  layout->addWidget(BottomLabel);
  ShowGroups(true, false);
}

void TSelectForm::ShowGroups(bool x, bool z) {
  XGroup->setVisible(x);
  ZGroup->setVisible(z);
  FitToWidth(this, x && z ? 325 : 165);
}

void TSelectForm::SetPartialEnabled(bool enabled) {
  XButtons[7]->setEnabled(enabled);
  ZButtons[7]->setEnabled(enabled);
}

void TSelectForm::ShowOptions() {
  showing_ = true;
  auto id = [](int preferred, bool partial) { return partial ? 7 : preferred >= 1 ? preferred : 0; };
  CheckOnly(xGroup_, id(options_.PreferredTypeX, options_.PartialX));
  CheckOnly(zGroup_, id(options_.PreferredTypeZ, options_.PartialZ));
  showing_ = false;
}

void TSelectForm::Choose(bool z, int id) {
  if (showing_) return;
  const int preferred = id >= 1 && id <= 6 ? id : -1;
  const bool partial = id == 7;
  if (!z || SingleVariable) {
    options_.PreferredTypeX = preferred;
    options_.PartialX = partial;
  }
  if (z || SingleVariable) {
    options_.PreferredTypeZ = preferred;
    options_.PartialZ = partial;
  }
  // A preferred segmented type, a curved function and a broken line exclude each other.
  if (id != 0) {
    options_.CurveX = options_.CurveZ = CurveChoice::None;
    options_.SeveralBreakpoints = 0;
  }
  ShowOptions();
  if (OnChoice) OnChoice();
}

TSelect2Form::TSelect2Form(RunOptions& options, QWidget* parent)
    : QWidget(parent, kToolWindow), options_(options) {
  setWindowTitle("Select curve functions");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 6);
  layout->setSpacing(4);
  auto* top = new QLabel("Curved functions Make your selection", this);
  top->setWordWrap(true);
  layout->addWidget(top);
  auto* note = new QLabel(
      "The functions can be optimized by generalization through a transformation of the X "
      "values.                          ",
      this);
  note->setWordWrap(true);
  layout->addWidget(note);
  auto* groups = new QHBoxLayout;
  layout->addLayout(groups);
  auto makeGroup = [&](const QString& title, bool z, std::array<QRadioButton*, 5>& buttons,
                       QButtonGroup*& buttonGroup) {
    auto* box = new QGroupBox(title, this);
    auto* v = new QVBoxLayout(box);
    v->setSpacing(0);
    v->setContentsMargins(6, 2, 6, 4);
    buttonGroup = new QButtonGroup(box);
    const std::array<std::pair<CurveChoice, const char*>, 5> kButtons = {{
        {CurveChoice::Power, "Power function"},
        {CurveChoice::SCurve, "Prefer S-curve"},
        {CurveChoice::Quadratic, "Quadr. regress."},
        {CurveChoice::Cubic, "Cubic regress."},
        {CurveChoice::None, "No preference"},
    }};
    for (const auto& [choice, caption] : kButtons) {
      const int id = static_cast<int>(choice);
      auto* button = new QRadioButton(caption, box);
      button->setObjectName(QString("Curve%1%2RadioButton").arg(z ? 'Z' : 'X').arg(id));
      buttons[static_cast<size_t>(id)] = button;
      buttonGroup->addButton(button, id);
      v->addWidget(button);
    }
    buttons[0]->setChecked(true);
    connect(buttonGroup, &QButtonGroup::idToggled, this, [this, z](int id, bool checked) {
      if (checked) Choose(z, id);
    });
    groups->addWidget(box);
    return box;
  };
  XGroup = makeGroup("X variable", false, XButtons, xGroup_);
  ZGroup = makeGroup("Z variable", true, ZButtons, zGroup_);
  layout->addWidget(GreenLabel("After selection click \"Save-Calculate\".", this));
  ShowGroups(true, false);
}

void TSelect2Form::ShowGroups(bool x, bool z) {
  XGroup->setVisible(x);
  ZGroup->setVisible(z);
  FitToWidth(this, x && z ? 340 : 180);
}

void TSelect2Form::ShowOptions() {
  showing_ = true;
  CheckOnly(xGroup_, static_cast<int>(options_.CurveX));
  CheckOnly(zGroup_, static_cast<int>(options_.CurveZ));
  showing_ = false;
}

void TSelect2Form::Choose(bool z, int id) {
  if (showing_) return;
  const auto curve = static_cast<CurveChoice>(id);
  if (!z || SingleVariable) options_.CurveX = curve;
  if (z || SingleVariable) options_.CurveZ = curve;
  if (curve != CurveChoice::None) {
    options_.PreferredTypeX = options_.PreferredTypeZ = -1;
    options_.PartialX = options_.PartialZ = false;
    options_.SeveralBreakpoints = 0;
  }
  ShowOptions();
  if (OnChoice) OnChoice();
}

TBreakpointsForm::TBreakpointsForm(RunOptions& options, QWidget* parent)
    : QWidget(parent, kToolWindow), options_(options) {
  setWindowTitle("Select breakpoints");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 6);
  layout->setSpacing(4);
  auto* top = new QLabel("Broken line Make your selection", this);
  top->setWordWrap(true);
  layout->addWidget(top);
  auto* note = new QLabel(
      "Straight segments joined at the breakpoints, found by an exact search. One variable only.",
      this);
  note->setWordWrap(true);
  layout->addWidget(note);
  Group = new QGroupBox("Breakpoints", this);
  auto* v = new QVBoxLayout(Group);
  v->setSpacing(0);
  v->setContentsMargins(6, 2, 6, 4);
  group_ = new QButtonGroup(Group);
  const char* kCaptions[] = {"Two breakpoints", "Three breakpoints", "As the tests find",
                             "No preference"};
  for (int i = 0; i < 4; ++i) {
    Buttons[static_cast<size_t>(i)] = new QRadioButton(kCaptions[i], Group);
    Buttons[static_cast<size_t>(i)]->setObjectName(QString("Breakpoints%1RadioButton").arg(i));
    group_->addButton(Buttons[static_cast<size_t>(i)], i);
    v->addWidget(Buttons[static_cast<size_t>(i)]);
  }
  Buttons[1]->setToolTip("At least 12 data sets and 5 distinct values of the variable");
  Buttons[2]->setToolTip("0 to 3 breakpoints: each added one is kept when the F test and the "
                         "permutation test find its gain significant");
  Buttons[3]->setChecked(true);
  connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) Choose(id);
  });
  layout->addWidget(Group);
  layout->addWidget(GreenLabel("After selection click \"Save-Calculate\".", this));
  FitToWidth(this, 180);
}

void TBreakpointsForm::ShowOptions() {
  showing_ = true;
  const auto* at = std::find(std::begin(kBreakpointChoices), std::end(kBreakpointChoices),
                             options_.SeveralBreakpoints);
  CheckOnly(group_, at == std::end(kBreakpointChoices)
                        ? -1
                        : static_cast<int>(at - std::begin(kBreakpointChoices)));
  showing_ = false;
}

void TBreakpointsForm::Choose(int choice) {
  if (showing_ || choice < 0 || choice > 3) return;
  options_.SeveralBreakpoints = kBreakpointChoices[choice];
  // The broken line is an analysis of its own: no segmented type, partial regression or curve
  // goes with it.
  if (options_.SeveralBreakpoints != 0) {
    options_.PreferredTypeX = options_.PreferredTypeZ = -1;
    options_.PartialX = options_.PartialZ = false;
    options_.CurveX = options_.CurveZ = CurveChoice::None;
  }
  ShowOptions();
  if (OnChoice) OnChoice();
}

}  // namespace vornax::forms
