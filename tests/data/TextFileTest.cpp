// The checked text layer: CR LF on writing, either line end on reading, atomic replacement, and
// the strict number parsers every reader relies on.
#include "data/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

TEST(TextFile, WriterEndsEveryLineWithCrLfAndReplacesTheTarget) {
  TempDir dir;
  const auto path = dir / "a.txt";
  WriteFileBytes(path, "old content that is longer than the new one\n");
  TextFileWriter out(path);
  out.Write("one");
  out.Write(" two");
  out.WriteLine();
  out.WriteLine("three");
  ASSERT_TRUE(out.Commit());
  EXPECT_EQ(ReadFileBytes(path), "one two\r\nthree\r\n");
  // No temporary file is left beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(TextFile, AFailedCommitLeavesNothingBehind) {
  TempDir dir;
  // A missing folder.
  TextFileWriter missing(dir / "nope" / "a.txt");
  missing.WriteLine("x");
  EXPECT_FALSE(missing.Commit());
  EXPECT_FALSE(missing.Error().empty());
  // A target that is a folder with contents cannot be replaced; the folder and its contents stay.
  std::filesystem::create_directory(dir / "b.txt");
  WriteFileBytes(dir / "b.txt" / "inside", "kept");
  TextFileWriter folder(dir / "b.txt");
  folder.WriteLine("x");
  EXPECT_FALSE(folder.Commit());
  EXPECT_EQ(ReadFileBytes(dir / "b.txt" / "inside"), "kept");
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(TextFile, ReadsCrLfLfAndAMissingLastLineEnd) {
  TempDir dir;
  const auto path = dir / "mixed.txt";
  WriteFileBytes(path, "a\r\nb\n\r\n  c  \r\nlast");
  auto lines = ReadTextLines(path);
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(*lines, (std::vector<std::string>{"a", "b", "", "  c  ", "last"}));
  WriteFileBytes(path, "");
  EXPECT_EQ(ReadTextLines(path)->size(), 0u);
  EXPECT_FALSE(ReadTextLines(dir / "missing.txt").has_value());
  EXPECT_FALSE(ReadTextLines(dir.path()).has_value());  // a folder is not a text file
}

TEST(TextFile, SplitsOnBlanksAndTabs) {
  auto t = SplitTokens("  12\t-3.5e2   x\r");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0], "12");
  EXPECT_EQ(t[1], "-3.5e2");
  EXPECT_EQ(t[2], "x");
  EXPECT_TRUE(SplitTokens(" \t ").empty());
}

TEST(TextFile, OnlyFiniteDecimalsAreNumbers) {
  double v = 0;
  struct Good {
    const char* text;
    double value;
  };
  for (const Good& g : {Good{"0", 0.0}, Good{"12", 12.0}, Good{"-4.25", -4.25}, Good{"+7", 7.0},
                        Good{".5", 0.5}, Good{"5.", 5.0}, Good{"1e3", 1000.0},
                        Good{"-2.5E-2", -0.025}, Good{"1.7976931348623157e308", 1.7976931348623157e308}}) {
    SCOPED_TRACE(g.text);
    ASSERT_TRUE(ParseFiniteNumber(g.text, v));
    EXPECT_EQ(v, g.value);
  }
  v = 99;
  for (const char* bad : {"", "nan", "NaN", "inf", "-Infinity", "0x1p3", "1e999", "-1e400", "1,5",
                          "1.2.3", "e5", "1e", "1e+", "--1", "12a", " 1", "1 ", "."}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseFiniteNumber(bad, v));
  }
  EXPECT_EQ(v, 99);  // a refused token leaves the value alone
  // The nearest 64-bit value.
  ASSERT_TRUE(ParseFiniteNumber("0.1", v));
  EXPECT_EQ(v, 0.1);
}

TEST(TextFile, Int32TakesDigitsOnlyWithinRange) {
  int v = 0;
  ASSERT_TRUE(ParseInt32("2147483647", v));
  EXPECT_EQ(v, 2147483647);
  ASSERT_TRUE(ParseInt32("-2147483648", v));
  EXPECT_EQ(v, -2147483647 - 1);
  ASSERT_TRUE(ParseInt32("+3", v));
  EXPECT_EQ(v, 3);
  for (const char* bad : {"", "+", "2147483648", "1.0", "1e2", "3x", "0x10"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseInt32(bad, v));
  }
}

TEST(TextFile, WithExtensionReplacesTheLastExtension) {
  EXPECT_EQ(WithExtension("/a/b/data.inp", ".out").string(), "/a/b/data.out");
  EXPECT_EQ(WithExtension("/a/b.c/data", ".var").string(), "/a/b.c/data.var");
  EXPECT_EQ(WithExtension("x.y.inp", ".out").string(), "x.y.out");
}

}  // namespace
}  // namespace vornax
