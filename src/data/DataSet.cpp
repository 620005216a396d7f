// The data set's sizing and start-up state.
#include "data/DataSet.h"

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <system_error>

namespace vornax {

void TDMVornax::Resize(int32_t n) {
  const size_t size = n > 0 ? static_cast<size_t>(n) : 0;
  const size_t old = SerialNr.size();
  SerialNr.resize(size, 0);
  for (size_t i = old; i < size; ++i) SerialNr[i] = static_cast<int32_t>(i + 1);
  YData.resize(size, 0.0L);
  XData.resize(size, 0.0L);
  ZData.resize(size, 0.0L);
  WeightFactor.resize(size, 1);
  NrOfData = static_cast<int32_t>(size);
}

void TDMVornax::ResetToStartup() {
  std::error_code ec;
  FileName = std::filesystem::current_path(ec).string();
  Title1.clear();
  Title2.clear();
  NrOfVar = 1;
  NrOfVarInData = 1;
  SerialNr.clear();
  YData.clear();
  XData.clear();
  ZData.clear();
  ZSaved.clear();
  WeightFactor.clear();
  Resize(15);
  GridRowCount = 15;
  HeaderLines = {};
  VarOption = 0;
  SingleIsX = true;
  SingleIsZ = false;
  OutputLines.clear();
  OutputKind.clear();
}

void TDMVornax::SortDataSetsByX() {
  const size_t n = NrOfData > 0 ? std::min(static_cast<size_t>(NrOfData), XData.size()) : 0;
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return XData[a] < XData[b]; });
  auto permute = [&](auto& values) {
    if (values.size() < n) return;
    auto sorted = values;
    for (size_t i = 0; i < n; ++i) sorted[i] = values[order[i]];
    values.swap(sorted);
  };
  permute(YData);
  permute(XData);
  permute(ZData);
  permute(WeightFactor);
  permute(SerialNr);
}

}  // namespace vornax
