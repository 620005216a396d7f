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

TEST(TextFile, ALoneCrEndsALineAsLfAndCrLfDo) {
  bool ended = false;
  EXPECT_EQ(SplitLines("a\r\nb\rc\n\nd", &ended),
            (std::vector<std::string>{"a", "b", "c", "", "d"}));
  EXPECT_FALSE(ended);
  EXPECT_EQ(SplitLines("one\rtwo\r", &ended), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(ended);
  EXPECT_TRUE(SplitLines("", &ended).empty());
  TempDir dir;
  WriteFileBytes(dir / "mac.txt", "Y,X\r1,2\r3,4\r");
  std::string reason;
  auto read = ReadTextLines(dir / "mac.txt", reason);
  ASSERT_TRUE(read.has_value()) << reason;
  EXPECT_EQ(read->Lines, (std::vector<std::string>{"Y,X", "1,2", "3,4"}));
}

TEST(TextFile, Utf16IsReadAsUtf8AndBinaryIsRefused) {
  auto decode = [](std::string bytes, bool expectUtf16) {
    std::string reason;
    bool utf16 = false;
    EXPECT_TRUE(DecodeText(bytes, reason, &utf16)) << reason;
    EXPECT_EQ(utf16, expectUtf16);
    return bytes;
  };
  using namespace std::string_literals;
  // "Y;é\r\n" little endian with its mark; é is U+00E9, two bytes C3 A9 in UTF-8.
  EXPECT_EQ(decode("\xFF\xFEY\0;\0\xE9\0\r\0\n\0"s, true), "Y;\xC3\xA9\r\n");
  EXPECT_EQ(decode("\xFE\xFF\0Y\0;\0X"s, true), "Y;X");
  // Without a mark, found by the zero bytes.
  EXPECT_EQ(decode("1\0\t\0002\0\n\0"s, true), "1\t2\n");
  EXPECT_EQ(decode("\0001\0\t\0002"s, true), "1\t2");
  // A UTF-8 mark goes, plain text stays.
  EXPECT_EQ(decode("\xEF\xBB\xBFY,X\n", false), "Y,X\n");
  EXPECT_EQ(decode("1,2\n", false), "1,2\n");

  auto refuse = [](std::string bytes) {
    std::string reason;
    EXPECT_FALSE(DecodeText(bytes, reason));
    EXPECT_EQ(reason.find('\0'), std::string::npos);
    return reason;
  };
  EXPECT_EQ(refuse("PK\x03\x04\0\0\x08\0\0\0abc\x01\x02\x03xyz"s),
            "it holds NUL bytes, so it is not a text file");
  EXPECT_EQ(refuse("\xFF\xFEY\0X"s),
            "its UTF-16 text is damaged (an odd number of bytes or an invalid character)");
  // A lone low surrogate is no character.
  EXPECT_EQ(refuse("\xFF\xFE\x00\xDC"s),
            "its UTF-16 text is damaged (an odd number of bytes or an invalid character)");

  TempDir dir;
  WriteFileBytes(dir / "bin.dat", "\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0\x01\0\0\0"s);
  std::string reason;
  EXPECT_FALSE(ReadTextLines(dir / "bin.dat", reason).has_value());
  EXPECT_EQ(reason, "it holds NUL bytes, so it is not a text file");
  EXPECT_FALSE(ReadTextLines(dir / "missing.txt", reason).has_value());
  EXPECT_EQ(reason, "No such file or directory");
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
