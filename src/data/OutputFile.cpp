// Reading output and ANOVA files back for display.
#include "data/OutputFile.h"

#include <array>
#include <string_view>
#include <system_error>

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

bool RemoveInvalidRunOutput(TDMVornax& data, const std::filesystem::path& outputPath) {
  bool removed = RemoveFile(outputPath, data.Memory);
  const std::filesystem::path varPath = WithExtension(outputPath, ".var");
  removed = RemoveFile(varPath, data.Memory) || removed;
  data.FileName = PathText(varPath);
  return removed;
}

bool ReadOutputKind(TDMVornax& data, UserDialogs& dialogs) {
  auto lines = ReadTextLines(data.FileName);
  if (!lines) {
    dialogs.ShowMessage(OutputFileOpenMessage(data.FileName));
    return false;
  }
  std::string code = FirstFour(*lines, 1);
  if (!IsCurveKind(code)) code = FirstFour(*lines, 2);
  data.OutputKind = code;
  return true;
}

}  // namespace vornax
