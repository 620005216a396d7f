// The input-file reader on arbitrary bytes. A file it accepts must leave a consistent data set
// (every array as long as the count of data sets) that reads back unchanged after being written
// again; a file it refuses must leave the data set and the options exactly as they were.
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
    // What was read must survive being written and read again: same counts, same values.
    TDMVornax again;
    again.FileName = (fuzz::ScratchFolder() / "again.inp").string();
    TDMVornax written = data;
    written.FileName = again.FileName;
    RunOptions againOptions;
    if (!WriteInputFile(written, options, dialogs) ||
        !ReadInputFile(again, againOptions, dialogs)) {
      std::abort();
    }
    if (again.NrOfData != data.NrOfData || again.NrOfVar != data.NrOfVar ||
        again.YData != data.YData || again.XData != data.XData ||
        againOptions.WeightsUsed != options.WeightsUsed ||
        (options.WeightsUsed && again.WeightFactor != data.WeightFactor) ||
        (data.NrOfVar == 2 && again.ZData != data.ZData) ||
        (data.NrOfVar == 1 && again.SingleIsZ != data.SingleIsZ)) {
      std::abort();
    }
  } else if (data.Title1 != "before" || data.NrOfData != 15 || data.SerialNr.size() != 15 ||
             options.WeightsUsed) {
    std::abort();
  }
  return 0;
}
