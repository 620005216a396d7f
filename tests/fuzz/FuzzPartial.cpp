// An input file that the reader accepts, carried on into the partial regression, so that its
// scans, the walk of the threshold, the three-piece function and the report meet odd numbers:
// huge, tiny, equal, negative and badly spread values. Files of more than 2000 data sets are only
// read. The first character of the file (part of the free first title) chooses the confidence.
// A run that goes through goes on to its ANOVA table, as the dispatch does.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "anova/Anova.h"
#include "data/InputFile.h"
#include "data/TextFile.h"
#include "partial/PartialRegression.h"

using namespace vornax;

namespace {

constexpr int32_t kMaxDataSets = 2000;


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const auto path = fuzz::WriteScratchFile("partial.inp", bytes, size);
  TDMVornax data;
  data.FileName = path.string();
  RunOptions options;
  fuzz::SilentDialogs dialogs;
  if (!ReadInputFile(data, options, dialogs) || data.NrOfData > kMaxDataSets) return 0;

  const uint8_t choice = size > 0 ? bytes[0] : 0;
  options.ConfidenceT = ConfidenceFactorForPercent(choice % 3 == 0 ? 90 : choice % 3 == 1 ? 95 : 98);
  options.PartialX = true;
  const std::string title1 = data.Title1, title2 = data.Title2;
  RunPartialRegression(data, options, dialogs);
  auto removeAll = [&] {
    fuzz::RemoveCompanions(path);
    std::error_code ec;
    std::filesystem::remove(WithExtension(path, ".txt"), ec);
  };
  if (options.IrregularX || options.AnalysisFailed) {
    removeAll();
    return 0;
  }
  fuzz::CheckSegmentedRunFiles(path, data, options, title1, title2);
  removeAll();
  return 0;
}
