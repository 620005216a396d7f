// The selection windows of the Input tab: a preferred segmented type (or partial regression)
// and a preferred curved function, one radio group per independent variable; and the number of
// breakpoints of a broken line, for the one variable it is fitted to.
//
// The windows show RunOptions and write every choice straight into it, so what an analysis
// changes in the options (it may copy the Z choices onto X) is what the windows show afterwards.
// With one variable analysed, a choice in the group shown is written for both variables: the
// analysis reads whichever group belongs to the variable it analyses.
#pragma once

#include <array>
#include <functional>

#include <QWidget>

#include "data/RunOptions.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace vornax::forms {

class TSelectForm : public QWidget {
 public:
  explicit TSelectForm(RunOptions& options, QWidget* parent = nullptr);

  // Which groups show; the window is 165 wide with one group and 325 with both.
  void ShowGroups(bool x, bool z);
  // "Partial regress." is not offered with two variables used together.
  void SetPartialEnabled(bool enabled);
  // The radio buttons take the states held in the options.
  void ShowOptions();
  bool SingleVariable = true;
  // After every choice the user makes here, with the options already changed.
  std::function<void()> OnChoice;

  QLabel* TopLabel = nullptr;
  QLabel* BottomLabel = nullptr;
  QGroupBox* XGroup = nullptr;
  QGroupBox* ZGroup = nullptr;
  // Index 1 to 6: "Prefer type N"; 7 "Partial regress."; 0 "No preference".
  std::array<QRadioButton*, 8> XButtons{};
  std::array<QRadioButton*, 8> ZButtons{};

 private:
  void Choose(bool z, int id);
  RunOptions& options_;
  QButtonGroup* xGroup_ = nullptr;
  QButtonGroup* zGroup_ = nullptr;
  bool showing_ = false;
};

class TSelect2Form : public QWidget {
 public:
  explicit TSelect2Form(RunOptions& options, QWidget* parent = nullptr);

  void ShowGroups(bool x, bool z);
  void ShowOptions();
  bool SingleVariable = true;
  // After every choice the user makes here, with the options already changed.
  std::function<void()> OnChoice;

  QGroupBox* XGroup = nullptr;
  QGroupBox* ZGroup = nullptr;
  // Indexed by CurveChoice: None "No preference", Power, SCurve, Quadratic, Cubic.
  std::array<QRadioButton*, 5> XButtons{};
  std::array<QRadioButton*, 5> ZButtons{};

 private:
  void Choose(bool z, int id);
  RunOptions& options_;
  QButtonGroup* xGroup_ = nullptr;
  QButtonGroup* zGroup_ = nullptr;
  bool showing_ = false;
};

// A broken line with two or three breakpoints, or as many as the tests find, instead of the
// segmented types; "No preference" goes back to them.
class TBreakpointsForm : public QWidget {
 public:
  explicit TBreakpointsForm(RunOptions& options, QWidget* parent = nullptr);

  void ShowOptions();
  std::function<void()> OnChoice;

  QGroupBox* Group = nullptr;
  // Indexed by the choice: 0 "Two breakpoints", 1 "Three breakpoints", 2 "As the tests find",
  // 3 "No preference".
  std::array<QRadioButton*, 4> Buttons{};

 private:
  void Choose(int choice);
  RunOptions& options_;
  QButtonGroup* group_ = nullptr;
  bool showing_ = false;
};

}  // namespace vornax::forms
