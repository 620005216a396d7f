// Recognising this program's own files, and writing long files whole through their temporary
// file.
#include "data/OwnFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "data/OutputFile.h"
#include "data/TextFile.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every report, ANOVA table and scan table of the golden files (written by hand from the
// layouts, not by the program) is recognised; files of other programs are not.
TEST(OwnFiles, RecognisesThisProgramsFilesByTheirFirstLines) {
  int golden = 0;
  for (const auto& entry : fs::directory_iterator(VORNAX_GOLDEN_DIR)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".out" && ext != ".txt") continue;
    EXPECT_TRUE(WrittenByThisProgram(entry.path())) << entry.path();
    ++golden;
  }
  EXPECT_GE(golden, 20);

  std::string longNumbers;
  for (int i = 0; i < 2000; ++i) longNumbers += "  1.000000000000000E+000\r\n";
  struct Case {
    std::string name, bytes;
    bool ours;
  };
  const std::vector<Case> cases = {
      {"variance file", "    1\r\n   12\r\n  3.500000000000000E+001\r\n -99999\r\n", true},
      {"two-variable variance file", "    2\r\n   12\r\n  3.5E+001\r\n", true},
      {"JSON results", "{\n  \"program\": \"vornax\",\n  \"format\": 1\n}\n", true},
      {"JSON results on one line", "{\"program\":\"vornax\"}", true},
      {"UTF-16 report", std::string("\xFF\xFE \0R\0e\0s\0u\0l\0t\0s\0 \0o\0f\0 \0p\0r\0o\0g\0r\0a\0m\0 \0V\0\r\0\n\0", 48), true},
      {"another program's results", "precious results from another program\r\n", false},
      {"a table", "Y,X\n1,2\n3,4\n", false},
      {"empty", "", false},
      {"JSON of another program", "{\"program\": \"vornax-like\"}", false},
      {"JSON array", "[{\"program\": \"vornax\"}]", false},
      {"numbers that only start like a variance file", "1\n2\n3 4\n", false},
      {"a long column of numbers", "1\r\n" + longNumbers, false},
      {"a report's words further down", "notes\r\n Results of program Vornax\r\n", false},
  };
  TempDir dir;
  for (const Case& c : cases) {
    WriteFileBytes(dir / "f", c.bytes);
    EXPECT_EQ(WrittenByThisProgram(dir / "f"), c.ours) << c.name;
  }
  EXPECT_FALSE(WrittenByThisProgram(dir / "missing"));
}

// A PNG chunk: its length, type and data, and four bytes where the CRC goes (not checked).
std::string PngChunk(const std::string& type, const std::string& data) {
  const auto n = static_cast<uint32_t>(data.size());
  std::string chunk = {static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                       static_cast<char>(n >> 8), static_cast<char>(n)};
  return chunk + type + data + "CRC!";
}

// Graphs and results tables are known by their maker's mark within the first 4 KB; the same
// kinds of file from anywhere else are not.
TEST(OwnFiles, RecognisesItsGraphsAndResultsTables) {
  const std::string png("\x89PNG\r\n\x1a\n", 8);
  const std::string ihdr = PngChunk("IHDR", std::string(13, '\1'));
  const std::string software = PngChunk("tEXt", std::string("Software\0Vornax", 15));
  const std::string idat = PngChunk("IDAT", std::string(40, '\7'));
  const std::string pdfCreator("/Creator (\xFE\xFF\0V\0o\0r\0n\0a\0x)", 25);
  const std::string svgHead =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<svg width=\"1\">\n<title>t</title>\n";
  struct Case {
    std::string name, bytes;
    bool ours;
  };
  const std::vector<Case> cases = {
      {"PNG with our Software text", png + ihdr + software + idat, true},
      {"PNG with another program's", png + ihdr + PngChunk("tEXt", std::string("Software\0GIMP", 13)) + idat, false},
      {"PNG whose text comes after the pixels", png + ihdr + idat + software, false},
      {"PNG without text", png + ihdr + idat, false},
      {"PNG cut short", png + ihdr.substr(0, 6), false},
      {"our SVG", svgHead + "<desc>Graph drawn by Vornax</desc>\n<g/></svg>\n", true},
      {"another SVG", svgHead + "<desc>Drawn by hand</desc>\n</svg>\n", false},
      {"our PDF", "%PDF-1.4\n1 0 obj\n<<\n/Title (x)\n" + pdfCreator + "\n>>\n", true},
      {"another PDF", "%PDF-1.4\n1 0 obj\n<<\n/Creator (Writer)\n>>\n", false},
      {"text naming our PDF creator", "notes\n" + pdfCreator + "\n", false},
      {"results table", "group,rows_used,rows_left_out,analysis,type\r\nA,5,0,one-variable,3\r\n", true},
      {"a table with a group column", "group,rows,Y\r\nA,5,3\r\n", false},
      {"JSON Lines", "{\"program\":\"vornax\",\"format\":1,\"group\":\"A\"}\n{\"program\":\"vornax\"}\n", true},
      {"a BMP", std::string("BM\x36\0\0\0\0\0\0\0\x36\0\0\0", 14), false},
      {"a BMP with the program's mark", std::string("BM\x36\0\0\0Vrnx\x36\0\0\0", 14), true},
      {"a BMP with the mark elsewhere", std::string("BMVrnx\0\0\0\0\x36\0\0\0", 14), false},
  };
  TempDir dir;
  for (const Case& c : cases) {
    WriteFileBytes(dir / "f", c.bytes);
    EXPECT_EQ(WrittenByThisProgram(dir / "f"), c.ours) << c.name;
  }
}

// What may be replaced without asking: nothing, or a regular file of this program's.
TEST(OwnFiles, FreeToReplaceOnlyWhatIsAbsentOrItsOwn) {
  TempDir dir;
  WriteFileBytes(dir / "own.out", " Results of program Vornax for the cubic regression.\r\nx\r\n");
  WriteFileBytes(dir / "other.out", "results of another program\r\n");
  WriteFileBytes(dir / "empty.out", "");
  fs::create_directory(dir / "folder.out");
  fs::create_symlink(dir / "own.out", dir / "link.out");
  EXPECT_TRUE(FreeToReplace(dir / "none.out"));
  EXPECT_TRUE(FreeToReplace(dir / "own.out"));
  EXPECT_FALSE(FreeToReplace(dir / "other.out"));
  EXPECT_FALSE(FreeToReplace(dir / "empty.out"));
  EXPECT_FALSE(FreeToReplace(dir / "folder.out"));
  EXPECT_FALSE(FreeToReplace(dir / "link.out"));  // the link would go, not what it points to
}

TEST(OwnFiles, RemovesOnlyItsOwn) {
  TempDir dir;
  WriteFileBytes(dir / "own.out", " Results of program Vornax for the cubic regression.\r\nx\r\n");
  WriteFileBytes(dir / "other.out", "results of another program\r\n");
  fs::create_directory(dir / "folder.out");
  EXPECT_EQ(RemoveOwnFile(dir / "own.out"), StaleFile::Removed);
  EXPECT_EQ(RemoveOwnFile(dir / "other.out"), StaleFile::Left);
  EXPECT_EQ(RemoveOwnFile(dir / "folder.out"), StaleFile::Left);
  EXPECT_EQ(RemoveOwnFile(dir / "none.out"), StaleFile::Absent);
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"folder.out", "other.out"}));
  EXPECT_EQ(LeftAsItIsNote("a/b.out"),
            "\"a/b.out\" is not a file this program wrote; it is left as it is.");
}

// A file larger than what the writer holds goes to its temporary file as it grows: the target
// keeps its old content until Commit(), and a writer dropped or failing leaves nothing behind.
TEST(OwnFiles, LongFilesAreWrittenWholeOrNotAtAll) {
  const std::string line(99, 'x');  // 101 bytes with CR LF
  for (const size_t lines : {size_t{3}, size_t{30000}}) {
    SCOPED_TRACE(lines);
    std::string whole;
    for (size_t i = 0; i < lines; ++i) whole += line + "\r\n";
    TempDir dir;
    const fs::path target = dir / "r.out";
    WriteFileBytes(target, "old");
    {
      TextFileWriter out(target);
      for (size_t i = 0; i < lines; ++i) out.WriteLine(line);
      EXPECT_EQ(ReadFileBytes(target), "old");  // not yet
      ASSERT_TRUE(out.Commit()) << out.Error();
    }
    EXPECT_EQ(ReadFileBytes(target), whole);
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"r.out"}));
    {
      TextFileWriter dropped(target);
      for (size_t i = 0; i < lines; ++i) dropped.WriteLine("new");
    }
    EXPECT_EQ(ReadFileBytes(target), whole);
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"r.out"}));
    // The target's folder goes while the writer writes: nothing is left, the error says why.
    TextFileWriter lost(dir / "gone" / "r.out");
    for (size_t i = 0; i < lines; ++i) lost.WriteLine(line);
    EXPECT_FALSE(lost.Commit());
    EXPECT_NE(lost.Error().find("No such file or directory"), std::string::npos) << lost.Error();
  }
}

TEST(OwnFiles, AReportIsCheckedWithoutBeingRead) {
  TempDir dir;
  test::RecordingDialogs dialogs;
  struct Case {
    std::string bytes;
    bool good;
  };
  for (const Case& c : std::vector<Case>{{"one\r\ntwo\r\n", true},
                                         {"one\rtwo", true},
                                         {"one\ntwo", true},
                                         {"one\r\n", false},
                                         {"one", false},
                                         {"", false}}) {
    WriteFileBytes(dir / "r.out", c.bytes);
    EXPECT_EQ(CheckReportFile(dir / "r.out", dialogs), c.good) << c.bytes;
    // A report kept in memory is judged alike.
    MemoryFiles memory;
    memory.Write(dir / "m.out", c.bytes);
    EXPECT_EQ(CheckReportFile(dir / "m.out", dialogs, &memory), c.good) << c.bytes;
  }
  EXPECT_FALSE(CheckReportFile(dir / "none.out", dialogs));
  EXPECT_NE(dialogs.Messages().back().find("No such file or directory"), std::string::npos);
  // In memory a missing report is one only where reports were asked for.
  MemoryFiles withText, numbersOnly(/*reportText=*/false);
  EXPECT_FALSE(CheckReportFile(dir / "none.out", dialogs, &withText));
  EXPECT_NE(dialogs.Messages().back().find("No such file or directory"), std::string::npos);
  EXPECT_TRUE(CheckReportFile(dir / "none.out", dialogs, &numbersOnly));
}

TEST(OwnFiles, Utf8IsToldFromEightBitText) {
  struct Case {
    std::string text;
    bool utf8;
  };
  for (const Case& c : std::vector<Case>{{"plain", true},
                                         {"\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", true},
                                         {"\xE4", false},
                                         {"\xC3", false},
                                         {"\xC0\xAF", false},
                                         {"\xED\xA0\x80", false},
                                         {"\xF4\x90\x80\x80", false}}) {
    EXPECT_EQ(IsValidUtf8(c.text), c.utf8) << c.text;
  }
  std::string latin = "Ertrag \xE4 \x80 \x81";
  ASSERT_TRUE(ConvertWindows1252(latin));
  EXPECT_EQ(latin, "Ertrag \xC3\xA4 \xC2\x80 \xC2\x81");  // 0x81 has no 1252 character: Latin-1
  std::string windows = "Kosten \x80 \x93q\x94";
  ASSERT_TRUE(ConvertWindows1252(windows));
  EXPECT_EQ(windows, "Kosten \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D");
}

// A run kept in memory: a text of any length stays whole in the store, nothing reaches the
// disk (no temporary file either), and removing its files touches only the store.
TEST(OwnFiles, AMemoryRunKeepsItsFilesOffTheDisk) {
  for (const size_t lines : {size_t{3}, TextFileWriter::kSpillBytes / 8 + 10}) {
    SCOPED_TRACE(lines);
    TempDir dir;
    const fs::path target = dir.path() / "run.out";
    WriteFileBytes(target, " Results of program on disk\r\n");
    MemoryFiles memory;
    std::string expected;
    {
      TextFileWriter writer(target, &memory);
      for (size_t i = 0; i < lines; ++i) {
        writer.WriteLine("line " + std::to_string(i % 10));
        expected += "line " + std::to_string(i % 10) + "\r\n";
      }
      EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"run.out"});
      ASSERT_TRUE(writer.Commit());
    }
    ASSERT_NE(memory.Find(target), nullptr);
    EXPECT_EQ(*memory.Find(target), expected);
    EXPECT_EQ(ReadFileBytes(target), " Results of program on disk\r\n");
    EXPECT_EQ(RemoveOwnFile(target, &memory), StaleFile::Removed);
    EXPECT_EQ(memory.Find(target), nullptr);
    EXPECT_EQ(RemoveOwnFile(target, &memory), StaleFile::Absent);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"run.out"});
    // Without a store the same call removes the file of this program's on disk.
    EXPECT_EQ(RemoveOwnFile(target, nullptr), StaleFile::Removed);
    EXPECT_TRUE(FilesIn(dir.path()).empty());
  }
}

}  // namespace
}  // namespace vornax
