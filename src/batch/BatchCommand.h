// vornax-batch as a library: parses the command line, reads the input file or imports a table,
// runs one "Save-Calculate" and prints where the report is.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "run/MemoryRun.h"
#include "run/RunAnalysis.h"
#include "run/SaveCalculate.h"

namespace vornax::batch {

// Exit status: 0 the report was written; 1 the analysis refused the data (its message is on
// `err`); 2 bad usage, unreadable input, or a file that could not be written.
constexpr int kExitDone = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// Runs the command with argv[0] the program name. The report's path goes to `out`; messages,
// questions with their answers and progress lines go to `err`.
int RunBatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
// The same with the analyses given (tests watch the command through stand-in analyses).
int RunBatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             const AnalysisTable& analyses);

// Shared with every run without a window.
using vornax::SmallSpanLines;

}  // namespace vornax::batch
