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
  removeAll();
  return 0;
}
