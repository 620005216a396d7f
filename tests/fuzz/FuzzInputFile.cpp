// The input-file reader on arbitrary bytes. A file it accepts must leave a consistent data set
// (every array as long as the count of data sets), and one it refuses must leave the data set
// and the options exactly as they were.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "data/InputFile.h"

using namespace vornax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const auto path = fuzz::WriteScratchFile("input.inp", bytes, size);
  TDMVornax data;
  data.ResetToStartup();
  data.FileName = path.string();
  data.Title1 = "before";
  RunOptions options;
  fuzz::SilentDialogs dialogs;
  if (ReadInputFile(data, options, dialogs)) {
    const size_t n = static_cast<size_t>(data.NrOfData);
    if (data.NrOfData < 0 || data.SerialNr.size() != n || data.YData.size() != n ||
        data.XData.size() != n || data.ZData.size() != n || data.WeightFactor.size() != n ||
        data.GridRowCount != data.NrOfData || (data.NrOfVar != 1 && data.NrOfVar != 2) ||
        data.SingleIsX == data.SingleIsZ) {
      std::abort();
    }
  } else if (data.Title1 != "before" || data.NrOfData != 15 || data.SerialNr.size() != 15 ||
             options.WeightsUsed) {
    std::abort();
  }
  return 0;
}
