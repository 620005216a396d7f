// An input file that the reader accepts, carried on into the one-variable analysis, so that the
// segment engine, the breakpoint search and the report meet odd numbers: huge, tiny, equal,
// negative and badly spread values. Files of more than 300 data sets are only read: the search
// grows with the square of the count, and size is not what this target is after.
// The first character of the file (part of the free first title) chooses the confidence and
// the preferred and excluded types. A run that goes through goes on to its ANOVA table.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "anova/Anova.h"
#include "data/InputFile.h"
#include "data/TextFile.h"
#include "regression/OneVariable.h"

using namespace vornax;

namespace {

constexpr int32_t kMaxDataSets = 300;


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const auto path = fuzz::WriteScratchFile("onevar.inp", bytes, size);
  TDMVornax data;
  data.FileName = path.string();
  RunOptions options;
  fuzz::SilentDialogs dialogs;
  if (!ReadInputFile(data, options, dialogs) || data.NrOfData > kMaxDataSets) return 0;

  const uint8_t choice = size > 0 ? bytes[0] : 0;
  options.ConfidenceT = ConfidenceFactorForPercent(choice % 3 == 0 ? 90 : choice % 3 == 1 ? 95 : 98);
  const int preferred = (choice >> 2) & 7;  // 0 and 7: no preference
  options.PreferredTypeX = preferred >= 1 && preferred <= 6 ? preferred : -1;
  options.PreferredTypeZ = options.PreferredTypeX;
  const int excluded = (choice >> 5) & 7;   // 0, 1 and 7: none
  options.ExcludedTypeX = excluded >= 2 && excluded <= 6 ? excluded : 0;
  const std::string title1 = data.Title1, title2 = data.Title2;
  RunOneVariable(data, options, dialogs);
  if (options.AnalysisFailed) {
    fuzz::RemoveCompanions(path);
    return 0;
  }
  // A run that went through must not have printed an overflowed or undefined number: that
  // would be a report that looks like a result and is none.
  const std::string outPath = WithExtension(path, ".out").string();
  if (const std::string* bad = fuzz::NonFiniteLine(outPath, title1, title2)) {
    std::fprintf(stderr, "non-finite number in the report: %s\n", bad->c_str());
    std::abort();
  }
  // The variance file the run left must make an ANOVA table, as the next step of a run does:
  // the only refusal allowed is a Y without variation.
  fuzz::SilentDialogs anovaDialogs;
  MakeSegmentedAnova(data, options, anovaDialogs);
  for (const std::string& message : anovaDialogs.messages) {
    if (message.rfind("Please check the Anova table", 0) != 0 &&
        message != "There is no variation. Variance analysis is not done.") {
      std::fprintf(stderr, "ANOVA refused the run's own variance file: %s\n", message.c_str());
      std::abort();
    }
  }
  if (const std::string* bad = fuzz::NonFiniteLine(WithExtension(path, ".var").string(), "", "")) {
    std::fprintf(stderr, "non-finite number in the ANOVA table: %s\n", bad->c_str());
    std::abort();
  }
  fuzz::RemoveCompanions(path);
  return 0;
}
