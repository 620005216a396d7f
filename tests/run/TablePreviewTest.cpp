// The first rows of a table for the column dialog, and the columns it suggests: named ones
// first, the rest by position as the import takes them.
#include <gtest/gtest.h>

#include "run/TableImport.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

TEST(TablePreview, NamesRowsAndSuggestedColumns) {
  struct Case {
    const char* text;
    std::vector<std::string> names;
    std::vector<std::string> firstRow;
    std::string y, x, z, weight;  // by number; empty: none
  };
  const Case cases[] = {
      // Two columns without a header: Y and X by position.
      {"1.5,2\n2.5,3\n", {"column 1", "column 2"}, {"1.5", "2"}, "1", "2", "", ""},
      // Named out of order, with a weight: every role found by its name.
      {"w;Z;x;Y\n1;0,5;1;4,2\n2;0,7;2;4,4\n", {"w", "Z", "x", "Y"}, {"1", "0,5", "1", "4,2"},
       "4", "3", "2", "1"},
      // Row names under an empty header; three more columns are Y, X and Z.
      {",yield,depth,salinity\na,4.2,1,0.5\nb,4.4,2,0.7\n", {"column 1", "yield", "depth", "salinity"},
       {"a", "4.2", "1", "0.5"}, "2", "3", "4", ""},
      // Four unnamed columns: Y, X, Z and the weight, as the import takes them.
      {"4.2 1 0.5 2\n4.4 2 0.7 1\n", {"column 1", "column 2", "column 3", "column 4"},
       {"4.2", "1", "0.5", "2"}, "1", "2", "3", "4"},
      // A column of site names holds no variable; a yield is Y wherever it stands.
      {"site;depth;yield\np1;22,00;2,00\np2;28,00;2,41\n", {"site", "depth", "yield"},
       {"p1", "22,00", "2,00"}, "3", "2", "", ""},
      // Columns that label the data sets are never a variable, numbers though they hold; a
      // name counts by its first word.
      {"block,Response (g),plot,depth\n1,4.2,1,30\n1,4.4,2,35\n", {"block", "Response (g)", "plot", "depth"},
       {"1", "4.2", "1", "30"}, "2", "4", "", ""},
      {"ID\tx\tgroup\tY\tz\n1\t2\t1\t3\t4\n", {"ID", "x", "group", "Y", "z"},
       {"1", "2", "1", "3", "4"}, "4", "2", "5", ""},
      // A third column headed as a weight is the weight, not Z.
      {"yield\tdepth\tWeight factor\n4.2\t1\t2\n", {"yield", "depth", "Weight factor"},
       {"4.2", "1", "2"}, "1", "2", "", "3"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "t.csv", c.text);
    TablePreview preview;
    std::string error;
    ASSERT_TRUE(PreviewTable(dir / "t.csv", 10, preview, error)) << c.text << error;
    EXPECT_EQ(preview.Names, c.names) << c.text;
    ASSERT_FALSE(preview.Rows.empty()) << c.text;
    EXPECT_EQ(preview.Rows.front(), c.firstRow) << c.text;
    EXPECT_EQ(preview.Suggested.Y, c.y) << c.text;
    EXPECT_EQ(preview.Suggested.X, c.x) << c.text;
    EXPECT_EQ(preview.Suggested.Z, c.z) << c.text;
    EXPECT_EQ(preview.Suggested.Weight, c.weight) << c.text;
    // The import takes the suggestion as it stands.
    ImportedTable table;
    EXPECT_TRUE(ImportTable(dir / "t.csv", preview.Suggested, table, error)) << c.text << error;
  }
}

TEST(TablePreview, OnlyTheFirstRowsAndNothingFromEmptyFiles) {
  test::TempDir dir;
  std::string text = "y,x\n";
  for (int i = 0; i < 50; ++i) text += std::to_string(i) + "," + std::to_string(2 * i) + "\n";
  test::WriteFileBytes(dir / "long.csv", text);
  TablePreview preview;
  std::string error;
  ASSERT_TRUE(PreviewTable(dir / "long.csv", 12, preview, error)) << error;
  EXPECT_EQ(preview.Rows.size(), 12u);
  EXPECT_EQ(preview.Rows.back(), (std::vector<std::string>{"11", "22"}));

  test::WriteFileBytes(dir / "empty.csv", "\n# a remark\n\n");
  EXPECT_FALSE(PreviewTable(dir / "empty.csv", 12, preview, error));
  EXPECT_NE(error.find("holds no data"), std::string::npos) << error;
  EXPECT_FALSE(PreviewTable(dir / "missing.csv", 12, preview, error));
}

}  // namespace
}  // namespace vornax
