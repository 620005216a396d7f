// Reading graph data back out of a report with the curve reader, on arbitrary bytes: it never
// crashes or reads out of bounds, a read that succeeds has at least three rows with every array
// of that length and finite values, and the data set is never touched.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  return vornax::fuzz::CheckGraphDataRead(bytes, size, vornax::ReadCurveGraphData);
}
