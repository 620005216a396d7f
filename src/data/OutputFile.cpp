// Reading output and ANOVA files back for display.
#include "data/OutputFile.h"

#include "data/NumberFormat.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string_view>
#include <system_error>

#include "data/GraphData.h"
#include "data/TextFile.h"

namespace vornax {
namespace {

std::string AnovaFileMissingMessage(const std::string& path) {
  return "The anova file \"" + path + "\"could not be found. Please " +
         "go to the input tabsheet and run the program again to create it.";
}

// The kind codes that curve reports carry on their second line.
bool IsCurveKind(std::string_view code) {
  static constexpr std::array<std::string_view, 7> kCodes = {" Nam", " Thi", " Inv", " Out",
                                                             " Fil", " Gum", " Fis"};
  for (std::string_view c : kCodes) {
    if (code == c) return true;
  }
  return false;
}

std::string FirstFour(const std::vector<std::string>& lines, size_t index) {
  return index < lines.size() ? lines[index].substr(0, 4) : std::string();
}

}  // namespace

std::string OutputFileOpenMessage(const std::string& path) {
  return "The file \"" + path + "\"could not be opened. It may be " +
         "damaged or in use by another program.";
}

bool ReadTextFile(TDMVornax& data, const std::filesystem::path& path,
                  const std::string& expectedExtension, UserDialogs& dialogs) {
  std::string reason;
  auto lines = ReadTextLines(path, reason, data.Memory);
  if (!lines) {
    // A report that cannot be opened gets the system's reason on a line of its own; a missing
    // ANOVA table is said to be missing already.
    dialogs.ShowMessage(expectedExtension == ".out"
                            ? OutputFileOpenMessage(PathText(path)) + "\n" + reason
                            : AnovaFileMissingMessage(PathText(path)));
    return false;
  }
  if (lines->Lines.size() < 2) {
    // Not a report of a run: said so, and the file stays as it is (it may be anything the user
    // picked). What was shown before is left untouched for the caller to withdraw.
    dialogs.ShowMessage(" The output file is invalid due to inadequate input data");
    return false;
  }
  data.OutputLines = std::move(lines->Lines);
  return true;
}

namespace {

// A report kept in memory, read as the file would be.
struct TextSource {
  std::string_view text;
  size_t at = 0;
  int get() { return at < text.size() ? static_cast<unsigned char>(text[at++]) : EOF; }
  int peek() const { return at < text.size() ? static_cast<unsigned char>(text[at]) : EOF; }
};

// Two lines: a line end (CR LF, LF or a lone CR) with something after it. Reads no further
// than that, however long the report.
template <class Source>
bool HoldsTwoLines(Source& in) {
  int c = 0;
  while ((c = in.get()) != EOF && c != '\r' && c != '\n') {
  }
  if (c == '\r' && in.peek() == '\n') in.get();
  return c != EOF && in.peek() != EOF;
}

}  // namespace

bool CheckReportFile(const std::filesystem::path& path, UserDialogs& dialogs,
                     const MemoryFiles* memory) {
  bool two = false;
  if (memory != nullptr) {
    const std::string* text = memory->Find(path);
    if (text == nullptr) {
      if (!memory->ReportText()) return true;  // the analysis gave its numbers alone
      dialogs.ShowMessage(OutputFileOpenMessage(PathText(path)) + "\n" + std::strerror(ENOENT));
      return false;
    }
    TextSource source{*text};
    two = HoldsTwoLines(source);
  } else {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    if (!in || std::filesystem::is_directory(path, ec)) {
      dialogs.ShowMessage(OutputFileOpenMessage(PathText(path)) + "\n" +
                          std::strerror(errno != 0 ? errno : EISDIR));
      return false;
    }
    two = HoldsTwoLines(in);
  }
  if (!two) {
    dialogs.ShowMessage(" The output file is invalid due to inadequate input data");
    return false;
  }
  return true;
}

bool RemoveInvalidRunOutput(TDMVornax& data, const std::filesystem::path& outputPath) {
  bool removed = RemoveFile(outputPath, data.Memory);
  const std::filesystem::path varPath = WithExtension(outputPath, ".var");
  removed = RemoveFile(varPath, data.Memory) || removed;
  data.FileName = PathText(varPath);
  return removed;
}

std::string OutputKindOf(const std::vector<std::string>& lines) {
  std::string code = FirstFour(lines, 1);
  return IsCurveKind(code) ? code : FirstFour(lines, 2);
}

bool ReadOutputKind(TDMVornax& data, UserDialogs& dialogs) {
  auto lines = ReadTextLines(data.FileName);
  if (!lines) {
    dialogs.ShowMessage(OutputFileOpenMessage(data.FileName));
    return false;
  }
  data.OutputKind = OutputKindOf(*lines);
  return true;
}

std::string NotAReportReason(const std::vector<std::string>& lines, const std::string& path) {
  auto startsWith = [&lines](size_t index, std::string_view text) {
    return index < lines.size() && std::string_view(lines[index]).substr(0, text.size()) == text;
  };
  if (startsWith(0, " Results of program ") && OutputFamilyOf(OutputKindOf(lines)) != OutputFamily::Unknown) {
    return {};
  }
  const std::string file = "\"" + path + "\" ";
  if (startsWith(0, " Variance Analysis, ANOVA table")) {
    return file + "is an ANOVA table, not a report. Open the report (\".out\") and use \"Anova table\".";
  }
  if (startsWith(2, " File name:") && startsWith(3, " Number of independent variables:")) {
    return file + "is an input file, not a report. Open it with \"Open input\".";
  }
  return file + "is not a report of this program. Open an output file (\".out\") written by "
                "\"Save-Calculate\".";
}

void WriteReportNames(TextFileWriter& out, const std::string& outputPath,
                      const std::string& inputPath, const std::string& title1,
                      const std::string& title2, int confidencePercent) {
  out.WriteLine();
  out.WriteLine(" Name of this output file:  " + outputPath);
  out.WriteLine(" Name of input file used :  " + inputPath);
  out.WriteLine();
  out.WriteLine(" " + title1);
  out.WriteLine(" " + title2);
  out.WriteLine(" Minimum confidence % : " + FormatInt(confidencePercent));
}

}  // namespace vornax
