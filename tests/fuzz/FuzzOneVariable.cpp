// An input file that the reader accepts, carried on into the one-variable analysis, so that the
// segment engine, the breakpoint search and the report meet odd numbers: huge, tiny, equal,
// negative and badly spread values. Files of more than 300 data sets are only read: the search
// grows with the square of the count, and size is not what this target is after.
// The first character of the file (part of the free first title) chooses the confidence and
// the preferred and excluded types.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "data/InputFile.h"
#include "data/TextFile.h"
#include "regression/OneVariable.h"

using namespace vornax;

namespace {
constexpr int32_t kMaxDataSets = 300;
}

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
  // A run that went through must not have printed an overflowed or undefined number: that
  // would be a report that looks like a result and is none.
  if (!options.AnalysisFailed) {
    const auto report = ReadTextLines(WithExtension(path, ".out"));
    if (!report) std::abort();
    for (const std::string& line : *report) {
      // The titles are the user's free text and may say anything.
      if ((!title1.empty() && line.find(title1) != std::string::npos) ||
          (!title2.empty() && line.find(title2) != std::string::npos)) {
        continue;
      }
      for (std::string_view token : SplitTokens(line)) {
        if (token == "Inf" || token == "-Inf" || token == "NaN") {
          std::fprintf(stderr, "non-finite number in the report: %s\n", line.c_str());
          std::abort();
        }
      }
    }
  }
  fuzz::RemoveCompanions(path);
  return 0;
}
