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
  fuzz::CheckSegmentedRunFiles(path, data, options, title1, title2);
  fuzz::RemoveCompanions(path);
  return 0;
}
