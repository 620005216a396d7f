// Reading graph data back out of a report with the segmented reader, on arbitrary bytes: it never
// crashes or reads out of bounds, a read that succeeds has at least three rows with every array
// of that length and finite values, and the data set is never touched.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "data/GraphDataReader.h"

using namespace vornax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const auto path = fuzz::WriteScratchFile("graph.out", bytes, size);
  TDMVornax data;
  data.FileName = path.string();
  data.Resize(5);
  data.NrOfData = 5;
  fuzz::SilentDialogs dialogs;
  if (!ReadSegmentedGraphData(data, dialogs)) return 0;
  const GraphData& g = data.Graph;
  const size_t n = static_cast<size_t>(g.NrOfRows);
  if (g.NrOfRows < 3 || data.NrOfData != 5 || data.XData.size() != 5) std::abort();
  for (const auto* column : {&g.GraphX, &g.GraphY, &g.GraphZ, &g.GraphResidual, &g.GraphYcalc}) {
    if (column->size() != n) std::abort();
    for (double v : *column) {
      if (!std::isfinite(v)) std::abort();
    }
  }
  if (g.Added.size() != n || g.ConfidenceT < 1.7 || g.ConfidenceT > 2.6) std::abort();
  return 0;
}
