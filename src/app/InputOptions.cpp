// The Input tab's choices of a run: the variable, confidence, preference, exclusion and weight
// boxes, and the selection and exclusion panels they show below them. Every choice is written
// into the session's RunOptions at once; the panels show RunOptions again after every run.
#include "app/InputTab.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include "app/DataGrid.h"
#include "app/TabControls.h"
#include "app/VornaxForm.h"
#include "data/TextFile.h"
#include "forms/SelectForms.h"

namespace vornax::app {
namespace {

constexpr const char* kPrefItems[] = {"     Select your regression preference",
                                      " Prefer: Best of segmented Types 1 - 6",
                                      "    Select a preferred segmented type",
                                      "    Select a preferred curved function",
                                      "    Select two or three breakpoints"};
constexpr const char* kExclItems[] = {"      No exclusion of regression types",
                                      "       Yes, exclude a regression type"};

// The exclusion box's text while a preference holds.
constexpr const char* kNotApplicable = "          Exclusion: not applicable";

}  // namespace

void TInputTab::BuildPreferencePanel(QWidget* page, QVBoxLayout* right) {
  PrefComboBox = Combo(page, {kPrefItems[0], kPrefItems[1], kPrefItems[2], kPrefItems[3], kPrefItems[4]}, "PrefComboBox");
  ExclComboBox = Combo(page, {kExclItems[0], kExclItems[1]}, "ExclComboBox");
  // Wide enough for the texts the boxes show besides their items.
  PrefComboBox->setMinimumContentsLength(38);
  ExclComboBox->setMinimumContentsLength(38);
  PrefLabel = Label("Standard: Best of all segmented regression types ", page, "PrefLabel");
  SelectLabel = Label("Note: wihout selection      Best of Type 1-6 is used", page, "SelectLabel");
  PartLabel = Label("Partial regression finds the longest horizontal stretch (range of \"no effect\")",
                    page, "PartLabel");
  PartLabel->setWordWrap(true);
  for (QLabel* l : {SelectLabel, PartLabel}) {
    l->setStyleSheet("QLabel { color: #1d4f91; }");
    l->hide();
  }
  PrefLabel->setStyleSheet("QLabel { color: #555555; }");
  // Hidden while another choice than the standard holds; the boxes below stay where they are.
  QSizePolicy keepRoom = PrefLabel->sizePolicy();
  keepRoom.setRetainSizeWhenHidden(true);
  PrefLabel->setSizePolicy(keepRoom);
  right->addWidget(PrefComboBox, 0, Qt::AlignLeft);
  right->addWidget(PrefLabel);
  right->addWidget(SelectLabel);
  right->addWidget(PartLabel);
  right->addWidget(ExclComboBox, 0, Qt::AlignLeft);

  // A breakpoint that theory gives, or the range the search keeps to; empty fields leave the
  // search as it is.
  BreakpointEdit = new QLineEdit(page);
  SearchLowEdit = new QLineEdit(page);
  SearchHighEdit = new QLineEdit(page);
  BreakpointEdit->setObjectName("BreakpointEdit");
  SearchLowEdit->setObjectName("SearchLowEdit");
  SearchHighEdit->setObjectName("SearchHighEdit");
  BreakpointEdit->setPlaceholderText("searched");
  SearchLowEdit->setPlaceholderText("lowest");
  SearchHighEdit->setPlaceholderText("highest");
  for (QLineEdit* e : {BreakpointEdit, SearchLowEdit, SearchHighEdit}) {
    e->setFixedWidth(80);
    e->setAlignment(Qt::AlignRight);
  }
  BreakpointEdit->setToolTip("A breakpoint that theory gives: the preferred type, or the best "
                             "type that holds there, is fitted at it alone");
  const QString rangeTip = "The search tries only the candidate breakpoints in this range";
  SearchLowEdit->setToolTip(rangeTip);
  SearchHighEdit->setToolTip(rangeTip);
  auto* breakpointRow = new QHBoxLayout;
  breakpointRow->addWidget(Label("Breakpoint fixed at", page, "BreakpointLabel"));
  breakpointRow->addWidget(BreakpointEdit);
  breakpointRow->addSpacing(12);
  breakpointRow->addWidget(Label("or searched from", page, "SearchRangeLabel"));
  breakpointRow->addWidget(SearchLowEdit);
  breakpointRow->addWidget(Label("to", page, "SearchToLabel"));
  breakpointRow->addWidget(SearchHighEdit);
  breakpointRow->addStretch(1);
  right->addLayout(breakpointRow);

  // The exclusion panels, the picture and the wait panel share the space below the boxes.
  optionArea_ = new QHBoxLayout;
  QHBoxLayout* area = optionArea_;
  auto makePanel = [&](const QString& title, bool z, std::array<QRadioButton*, 7>& buttons,
                       QButtonGroup*& group) {
    auto* panel = new QGroupBox(title, page);
    panel->setObjectName(z ? "Exclude2Panel" : "Exclude1Panel");
    auto* v = new QVBoxLayout(panel);
    v->setSpacing(2);
    group = new QButtonGroup(panel);
    for (int t = 2; t <= 6; ++t) {
      auto* b = new QRadioButton(QString("Exclude type %1").arg(t), panel);
      b->setObjectName(QString("Excl%1%2RadioButton").arg(z ? 'Z' : 'X').arg(t));
      buttons[static_cast<size_t>(t)] = b;
      group->addButton(b, t);
      v->addWidget(b);
    }
    connect(group, &QButtonGroup::idToggled, this, [this, z](int id, bool checked) {
      if (checked) ChooseExclusion(z, id);
    });
    panel->hide();
    area->addWidget(panel, 0, Qt::AlignTop);
    return panel;
  };
  Exclude1Panel = makePanel("    X variable  ", false, ExclXRadioButtons, exclXGroup_);
  Exclude2Panel = makePanel("    Z variable  ", true, ExclZRadioButtons, exclZGroup_);
}

// ---------------------------------------------------------------------------------------------
// The option boxes

bool TInputTab::TwoUsedTogether() const {
  return NrOfVarInData == 2 && OptionComboBox->currentIndex() <= 0;
}

bool TInputTab::SecondOnly() const {
  return NrOfVarInData == 2 && OptionComboBox->currentIndex() == 2;
}

void TInputTab::SetComboText(QComboBox* box, const QString& text) {
  // A box shows a text of its own, not one of its items, until the user picks an item.
  box->setPlaceholderText(text);
  box->setCurrentIndex(-1);
}

void TInputTab::HideSelection() {
  SelectForm->hide();
  Select2Form->hide();
  BreakpointsForm->hide();
  SelectLabel->hide();
  PartLabel->hide();
  Exclude1Panel->hide();
  Exclude2Panel->hide();
  InputImage->show();
}

void TInputTab::StartChoicesAfresh() {
  ClearBreakpointFields();
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  HideSelection();
  // The boxes now show no preference: nor may the options hold one, or the next run would make
  // an analysis that nothing on the screen shows was chosen.
  ResetPreferences();
}

void TInputTab::ResetPreferences() {
  form_.session().Options.ResetPreferences();
  ShowOptions();
}

void TInputTab::ShowOptions() {
  showingOptions_ = true;
  SelectForm->ShowOptions();
  Select2Form->ShowOptions();
  BreakpointsForm->ShowOptions();
  auto check = [](QButtonGroup* group, int type) {
    if (QAbstractButton* b = group->button(type)) {
      b->setChecked(true);
      return;
    }
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
  };
  check(exclXGroup_, form_.session().Options.ExcludedTypeX);
  check(exclZGroup_, form_.session().Options.ExcludedTypeZ);
  showingOptions_ = false;
  ShowPreferenceLine();
}

void TInputTab::ShowPreferenceLine() {
  // The line names the standard only while the standard is what the next run makes.
  const RunOptions& o = form_.session().Options;
  const bool standard = o.PreferredTypeX < 0 && o.PreferredTypeZ < 0 && !o.PartialX &&
                        !o.PartialZ && o.ExcludedTypeX == 0 && o.ExcludedTypeZ == 0 &&
                        o.CurveX == CurveChoice::None && o.CurveZ == CurveChoice::None &&
                        o.SeveralBreakpoints == 0;
  PrefLabel->setVisible(standard);
  // A panel open with "No preference" still in it has chosen nothing: the partial line waits
  // for the partial regression, and an exclusion may still be chosen instead.
  const bool partial = o.PartialX || o.PartialZ;
  const bool preferred = partial || o.PreferredTypeX >= 0 || o.PreferredTypeZ >= 0 ||
                         o.CurveX != CurveChoice::None || o.CurveZ != CurveChoice::None ||
                         o.SeveralBreakpoints != 0;
  PartLabel->setVisible(partial);
  if (preferred) {
    SetComboText(ExclComboBox, kNotApplicable);
  } else if (ExclComboBox->currentIndex() < 0) {
    ExclComboBox->setCurrentIndex(0);
  }
}

void TInputTab::ChooseExclusion(bool z, int type) {
  if (showingOptions_) return;
  RunOptions& o = form_.session().Options;
  // With one variable analysed the one panel shown holds the choice for it, whichever it is.
  const bool single = !TwoUsedTogether();
  if (!z || single) o.ExcludedTypeX = type;
  if (z || single) o.ExcludedTypeZ = type;
  ShowPreferenceLine();
}

void TInputTab::PlaceSelectionWindow(QWidget* window) {
  // A panel below the boxes, in the place of the picture.
  InputImage->hide();
  window->show();
}

void TInputTab::NrOfVarComboBoxChange(int index) {
  NrOfVarComboBox->setCurrentIndex(index);  // as the user chose it
  StringGrid1->CommitEdit();
  const int n = index == 1 ? 2 : 1;
  if (n != NrOfVarInData) {
    // A new layout: the first column is X again (with two columns the second is Z).
    form_.session().Data.SingleIsZ = false;
    form_.session().Data.SingleIsX = true;
  }
  NrOfVarInData = n;
  form_.session().Data.NrOfVarInData = n;
  form_.session().Data.NrOfVar = n;
  OptionComboBox->setEnabled(n == 2);
  OptionComboBox->setCurrentIndex(n == 2 ? 0 : 1);
  form_.session().Data.VarOption = n == 2 ? 3 : 0;
  SelectForm->SetPartialEnabled(n != 2);
  HideSelection();
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  ResetPreferences();
  // The Z column and the weight column keep what was typed: the one is shown or hidden, the
  // other stays as the user set it.
  ShowColumns();
}

void TInputTab::OptionComboBoxChange(int index) {
  OptionComboBox->setCurrentIndex(index);  // as the user chose it
  ResetPreferences();
  HideSelection();
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  TDMVornax& data = form_.session().Data;
  if (index == 0) {
    SelectForm->SetPartialEnabled(false);
    data.VarOption = 3;
    data.NrOfVar = 2;
  } else {
    SelectForm->SetPartialEnabled(true);
    data.SingleIsZ = index == 2;
    data.SingleIsX = index != 2;
    data.VarOption = index == 2 ? 2 : 1;
    data.NrOfVar = 1;
  }
  // The preference is the standard again, so an exclusion may be chosen for either use of the
  // variables: the box offers its items, not a "not applicable" of the choice just undone.
  ShowColumns();
}

void TInputTab::ConfComboBoxChange(int index) {
  ConfComboBox->setCurrentIndex(index);  // as the user chose it
  static constexpr int kPercent[] = {90, 95, 98};
  form_.session().Options.ConfidenceT = ConfidenceFactorForPercent(index >= 0 && index < 3 ? kPercent[index] : 90);
}

void TInputTab::PrefComboBoxChange(int index) {
  PrefComboBox->setCurrentIndex(index);  // as the user chose it
  InputImage->hide();
  ExclComboBox->setCurrentIndex(0);
  Exclude1Panel->hide();
  Exclude2Panel->hide();
  ResetPreferences();
  const bool both = TwoUsedTogether();
  const bool second = SecondOnly();
  SelectForm->SetPartialEnabled(!both);
  SelectForm->SingleVariable = !both;
  Select2Form->SingleVariable = true;
  SelectForm->hide();
  Select2Form->hide();
  BreakpointsForm->hide();
  SelectLabel->hide();
  PartLabel->hide();
  if (index <= 1) {
    InputImage->show();
    ExclComboBox->setCurrentIndex(0);
    return;
  }
  if (index == 4 && both) {
    // The broken line is fitted to one variable: refused here rather than after a save.
    form_.Dialogs().ShowMessage(kBrokenLinesOneVariable);
    PrefComboBox->setCurrentIndex(0);
    InputImage->show();
    return;
  }
  if (index == 4) {
    PlaceSelectionWindow(BreakpointsForm);
  } else if (index == 2) {
    SelectForm->ShowGroups(both || !second, both || second);
    PlaceSelectionWindow(SelectForm);
  } else if (both) {
    form_.Dialogs().ShowMessage(
        "With two independent variables, the option of curved functions is not yet operational "
        "and, instead, the segmented procedure will be followed.");
    SelectForm->ShowGroups(true, true);
    PlaceSelectionWindow(SelectForm);
    SelectLabel->show();
  } else {
    Select2Form->ShowGroups(!second, second);
    PlaceSelectionWindow(Select2Form);
  }
  // The panel may open with a choice the options still hold; the lines say what it is.
  ShowPreferenceLine();
}

void TInputTab::ExclComboBoxChange(int index) {
  ExclComboBox->setCurrentIndex(index);  // as the user chose it
  PrefComboBox->setCurrentIndex(0);
  SelectForm->hide();
  Select2Form->hide();
  BreakpointsForm->hide();
  SelectLabel->hide();
  PartLabel->hide();
  InputImage->hide();
  ResetPreferences();
  if (index == 1) {
    SetComboText(PrefComboBox, "Preference: best of all except excluded");
    const bool both = TwoUsedTogether();
    Exclude1Panel->setVisible(both || !SecondOnly());
    Exclude2Panel->setVisible(both || SecondOnly());
  } else {
    SetComboText(PrefComboBox, "   Prefer: Best of segmented Types 1-6");
    Exclude1Panel->hide();
    Exclude2Panel->hide();
  }
}

void TInputTab::WeightComboBoxChange(int index) {
  WeightComboBox->setCurrentIndex(index);  // as the user chose it
  StringGrid1->CommitEdit();
  form_.session().Options.WeightsUsed = index == 1;
  ShowColumns();
}

bool TInputTab::BreakpointChoicesFromWindow() {
  RunOptions& o = form_.session().Options;
  const QLineEdit* edits[3] = {BreakpointEdit, SearchLowEdit, SearchHighEdit};
  std::optional<double> values[3];
  for (int i = 0; i < 3; ++i) {
    // A decimal comma is read as the grid reads it.
    const QString text = edits[i]->text().trimmed().replace(',', '.');
    if (text.isEmpty()) continue;
    double value = 0;
    if (!ParseFiniteNumber(Std(text), value)) {
      form_.Dialogs().ShowMessage("\"" + Std(edits[i]->text().trimmed()) + "\" is not a number. Enter the " +
                                  (i == 0 ? "fixed breakpoint" : "search range") +
                                  " as a number, or leave the field empty.");
      return false;
    }
    values[i] = value;
  }
  if (values[1].has_value() != values[2].has_value()) {
    form_.Dialogs().ShowMessage("Enter both ends of the search range, or neither.");
    return false;
  }
  if (values[0] && values[1]) {
    form_.Dialogs().ShowMessage("Enter either a fixed breakpoint or a search range, not both.");
    return false;
  }
  o.FixedBreakpoint = values[0];
  o.SearchLow = o.SearchHigh = std::nullopt;
  if (values[1]) {
    o.SearchLow = std::min(*values[1], *values[2]);
    o.SearchHigh = std::max(*values[1], *values[2]);
  }
  return true;
}

void TInputTab::ClearBreakpointFields() {
  for (QLineEdit* e : {BreakpointEdit, SearchLowEdit, SearchHighEdit}) e->clear();
}

}  // namespace vornax::app
