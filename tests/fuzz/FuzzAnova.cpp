// The variance analysis on an arbitrary variance file. The first byte chooses the run-state
// flags a real run would have left (segmented or curve table, the types found, which stages of
// a two-variable run are present, the curve and whether it was transformed, the confidence);
// the rest is the ".var" file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzSupport.h"
#include "anova/Anova.h"
#include "data/TextFile.h"

using namespace vornax;

namespace {
std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size < 1) return 0;
  const uint8_t flags = bytes[0];
  const auto varPath = fuzz::WriteScratchFile("anova.var", bytes + 1, size - 1);
  TDMVornax data;
  data.FileName = (fuzz::ScratchFolder() / "anova.out").string();
  RunOptions options;
  options.ConfidenceT = ConfidenceFactorForPercent((flags & 0x30) == 0x30 ? 98 : (flags & 0x10) ? 95 : 90);
  fuzz::SilentDialogs dialogs;
  if ((flags & 1) != 0) {
    switch ((flags >> 1) & 3) {
      case 0: options.CurveQuadratic = true; break;
      case 1: options.CurveCubic = true; break;
      case 2: options.CurvePower = true; break;
      default: options.CurveSCurve = true; break;
    }
    options.CurveExponent = (flags & 8) != 0 ? 0.5 : 1;
    // Now and then no curve at all: the table must refuse rather than invent one.
    if ((flags & 0xC0) == 0xC0) options.CurveQuadratic = options.CurveCubic = false,
                                options.CurvePower = options.CurveSCurve = false;
    MakeCurveAnova(data, options, dialogs);
  } else {
    // Types 1 to 8: 7 and 8 stand for a stale or foreign type code.
    options.FoundType = 1 + ((flags >> 1) & 7);
    options.FirstStageType = 1 + ((flags >> 2) & 7);
    options.SecondStageType = 1 + ((flags >> 4) & 7);
    options.FirstStagePresent = (flags & 0x40) == 0;
    options.SecondStagePresent = (flags & 0x80) == 0;
    MakeSegmentedAnova(data, options, dialogs);
  }
  // Either the variance file is as it was, or a whole table took its place: its own file name
  // near the top and the closing "#" near the end.
  if (ReadBytes(varPath) != std::string(bytes + 1, bytes + size)) {
    const auto table = ReadTextLines(varPath);
    if (!table || table->size() < 4) std::abort();
    const std::string nameLine = " File Name : " + PathText(varPath);
    const auto& t = *table;
    if (t[0] != nameLine && t[1] != nameLine) std::abort();
    if (t.back() != "#" && t[t.size() - 2] != "#") std::abort();
  }
  return 0;
}
