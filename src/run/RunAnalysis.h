// Choosing and running the one analysis of a "Save-Calculate", then its ANOVA table.
//
// The analyses are reached through a table with one line per analysis, so a newly written
// analysis plugs in by filling its line in DefaultAnalysisTable(); an empty line makes the run
// say plainly that the analysis is not there yet and fail, never succeed silently. Tests hand in
// a table of their own to watch the dispatch.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"

namespace vornax {

// Every analysis entry reads the data set and the options, writes its files beside
// data.FileName and reports failure only through the run-state flags.
using AnalysisEntry = std::function<void(TDMVornax&, RunOptions&, UserDialogs&)>;

enum class Analysis : size_t {
  OneVariable,
  TwoVariable,
  Logistic,
  Gumbel,
  InvertedGumbel,
  Fisk,
  Power,
  Quadratic,
  Cubic,
  Partial,
  SegmentedAnova,
  CurveAnova,
  BrokenLines,
  Count
};

struct AnalysisSlot {
  std::string Name;     // as in "The <Name> is not available in this version."
  AnalysisEntry Entry;  // empty: not available yet
};

class AnalysisTable {
 public:
  AnalysisSlot& operator[](Analysis a) { return slots_[static_cast<size_t>(a)]; }
  const AnalysisSlot& operator[](Analysis a) const { return slots_[static_cast<size_t>(a)]; }

 private:
  std::array<AnalysisSlot, static_cast<size_t>(Analysis::Count)> slots_;
};

// The analyses this build contains.
AnalysisTable DefaultAnalysisTable();

// Runs one analysis chosen by data.NrOfVar and the options, then the ANOVA table, with the
// progress lines of the wait panel. `decimalSeparator` is the conversion state of grid cells; a
// run sets it to '.', as every file it writes uses the point.
void RunAnalysis(TDMVornax& data, RunOptions& options, UserDialogs& dialogs,
                 char& decimalSeparator, const AnalysisTable& analyses);

}  // namespace vornax
