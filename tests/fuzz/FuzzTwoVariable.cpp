// An input file with two independent variables that the reader accepts, carried on into the
// two-variable analysis, so that both calculation sequences, the combination of the stages and
// the report meet odd numbers: huge, tiny, equal, negative and badly spread values, X and Z
// alike or constant. Files of more than 300 data sets are only read: size is not what this
// target is after. The first two characters of the file (part of the free first title) choose
// the confidence and the preferred and excluded types of X and Z. A run that goes through goes
// on to its ANOVA table.
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
#include "regression/TwoVariable.h"

using namespace vornax;

namespace {

constexpr int32_t kMaxDataSets = 300;


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const auto path = fuzz::WriteScratchFile("twovar.inp", bytes, size);
  TDMVornax data;
  data.FileName = path.string();
  RunOptions options;
  fuzz::SilentDialogs dialogs;
  if (!ReadInputFile(data, options, dialogs) || data.NrOfData > kMaxDataSets ||
      data.NrOfVarInData != 2) {
    return 0;
  }
  data.NrOfVar = 2;

  const uint8_t choice = size > 0 ? bytes[0] : 0;
  const uint8_t choiceZ = size > 1 ? bytes[1] : 0;
  options.ConfidenceT = ConfidenceFactorForPercent(choice % 3 == 0 ? 90 : choice % 3 == 1 ? 95 : 98);
  auto preferred = [](uint8_t c) {  // 0 and 7: no preference
    const int p = (c >> 2) & 7;
    return p >= 1 && p <= 6 ? p : -1;
  };
  auto excluded = [](uint8_t c) {  // 0, 1 and 7: none
    const int e = (c >> 5) & 7;
    return e >= 2 && e <= 6 ? e : 0;
  };
  options.PreferredTypeX = preferred(choice);
  options.PreferredTypeZ = preferred(choiceZ);
  options.ExcludedTypeX = excluded(choice);
  options.ExcludedTypeZ = excluded(choiceZ);
  const std::vector<long double> y = data.YData, x = data.XData, z = data.ZData;
  const std::string title1 = data.Title1, title2 = data.Title2;
  RunTwoVariableRegression(data, options, dialogs);
  // Whatever happened, the data sets are where they were.
  if (data.YData != y || data.XData != x || data.ZData != z) {
    std::fprintf(stderr, "the run moved the data sets\n");
    std::abort();
  }
  if (options.AnalysisFailed) {
    fuzz::RemoveCompanions(path);
    return 0;
  }
  fuzz::CheckSegmentedRunFiles(path, data, options, title1, title2);
  fuzz::RemoveCompanions(path);
  return 0;
}
