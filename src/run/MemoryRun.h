// One run for a caller without files: a data set and the run's options in, the numbers (and,
// when asked, the texts of the report and of the ANOVA table) out, every file of the run kept in
// memory. The groups of vornax-batch --by and the Python module both run through here, so a data
// set gives the same result whichever way it comes in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "data/RunOptions.h"
#include "data/RunResult.h"
#include "run/RunAnalysis.h"
#include "run/SaveCalculate.h"

namespace vornax {

struct MemoryRunSetup {
  RunOptions Options;  // the choices of the run (see ApplyChoices), before it
  VarChoice Option = VarChoice::Both;
  int ConfidencePercent = 90;
  bool TransformAnswer = true;  // the answer to the curves' transformation question
  int Permutations = 999;       // of the break test; 0: none
  int StopAfter = 0;            // its sequential stopping rule; 0: every shuffle
  uint64_t Seed = 1;
  int BreakTestThreads = 1;
  AnalysisTable Analyses = DefaultAnalysisTable();
  // Keep the text of the report and of the ANOVA table; without it the analysis fills its
  // numbers without putting the report's text together.
  bool ReportText = false;
  // Write the run's files beside `inputPath` on disk instead of keeping them in memory (the
  // reports of vornax-batch --by --reports).
  bool FilesOnDisk = false;
};

struct MemoryRunOutcome {
  bool Analysed = false;
  SaveCalculateOutcome Outcome = SaveCalculateOutcome::NotSaved;
  RunResult Result;    // when analysed, with the break test when it applies
  RunOptions Options;  // the run's options afterwards
  // What the run said, in order; for a run that stopped, followed by what to do about X (or Z)
  // varying too little (SmallSpanLines).
  std::vector<std::string> Messages;
  std::string Report, Anova;  // with ReportText
  std::string OutputPath;     // the report's name (on disk with FilesOnDisk)
  // The messages in one line, " | " between them: why a run was not made.
  std::string Reason() const;
};

// Runs the analysis of `values` with the titles and layout of `grid`; the values are taken over.
// The run's files are named after `inputPath` (which need not exist). Exceptions of the run
// (std::bad_alloc above all) go to the caller.
MemoryRunOutcome RunInMemory(const MemoryRunSetup& setup, const GridInput& grid,
                             GridValues&& values, const std::filesystem::path& inputPath);

// When the analysis found no variation in X (or Z) although the values do vary, by less than
// the 0.001 it needs: a plain line per variable saying what to do about it (`shown`: the
// messages of the run).
std::vector<std::string> SmallSpanLines(const std::vector<std::string>& shown,
                                        const GridInput& grid, const TDMVornax& data);

}  // namespace vornax
