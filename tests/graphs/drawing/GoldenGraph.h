// The graph data of a golden report, read by the reader of its family.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/GraphDataReader.h"
#include "data/TextFile.h"

namespace vornax::test {

inline GraphData ReadGoldenGraph(const std::string& name) {
  const auto lines = ReadTextLines(std::filesystem::path(VORNAX_GOLDEN_DIR) / name);
  GraphData g;
  EXPECT_TRUE(lines.has_value());
  if (!lines) return g;
  GraphReadStatus status = ParseCurveGraphData(*lines, g);
  if (status == GraphReadStatus::NotThisKind) status = ParsePartialGraphData(*lines, g);
  if (status == GraphReadStatus::NotThisKind) status = ParseSegmentedGraphData(*lines, g);
  EXPECT_EQ(status, GraphReadStatus::Ok) << name;
  return g;
}

}  // namespace vornax::test
