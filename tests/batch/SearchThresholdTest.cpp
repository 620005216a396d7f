// What the JSON's candidates carry besides their coefficients: the bar of the search after each
// type. Type 6 must beat the best before it by 10 %, so where no type-6 candidate did, its bar
// is 1.1 times the bar after type 2 - above 1 on a clear threshold - and is named a threshold,
// not a maximum of coefficients of explanation.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

#include "batch/BatchCommand.h"
#include "batch/CommandRun.h"
#include "support/TestSupport.h"

namespace vornax::batch {
namespace {

TEST(SearchThreshold, TypeSixCarriesTheMarginItHadToBeat) {
  test::TempDir dir;
  std::filesystem::copy_file(std::filesystem::path(VORNAX_EXAMPLES_DIR) /
                                 "01-yield-watertable.inp",
                             dir / "yield.inp");
  std::string out, err;
  ASSERT_EQ(test::RunBatchCommand({(dir / "yield.inp").string(), "--permutations", "0", "--json",
                                   (dir / "yield.json").string()},
                                  out, err),
            kExitDone)
      << err;
  const auto j = nlohmann::json::parse(test::ReadFileBytes(dir / "yield.json"));
  ASSERT_NE(j["type"], 6);
  double afterType2 = 0, afterType6 = 0;
  for (const auto& c : j["explanation"]["candidates"]) {
    EXPECT_FALSE(c.contains("search_maximum")) << c.dump();
    if (c["type"] == 2) afterType2 = c["search_threshold"];
    if (c["type"] == 6) afterType6 = c["search_threshold"];
    // The reported type's bar is the coefficient the search chose.
    if (c["type"] == j["type"]) {
      EXPECT_DOUBLE_EQ(c["search_threshold"].get<double>(),
                       j["explanation"]["ce_chosen_in_search"].get<double>());
    }
  }
  EXPECT_DOUBLE_EQ(afterType6, 1.1 * afterType2);
  EXPECT_GT(afterType6, 1.0);
}

}  // namespace
}  // namespace vornax::batch
