// Recognising this program's own output files by their first lines.
#include "data/OwnFiles.h"

#include <fstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "data/TextFile.h"

namespace vornax {
namespace {

// Every file this program writes says what it is in its first few hundred bytes; reading no
// more keeps the check cheap for a large file of someone else's.
constexpr size_t kHeadBytes = 4096;

std::string Head(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string bytes(kHeadBytes, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A variance file before the ANOVA has replaced it: the analysis's sums of squares, one number
// a line, opened by the count of independent variables. Short, so it lies within the head.
bool IsVarianceFile(const std::string& head, const std::vector<std::string>& lines) {
  if (head.size() >= kHeadBytes || lines.size() < 3) return false;
  const auto first = SplitTokens(lines[0]);
  if (first.size() != 1 || (first[0] != "1" && first[0] != "2")) return false;
  for (const std::string& line : lines) {
    const auto tokens = SplitTokens(line);
    double value = 0;
    if (tokens.size() != 1 || !ParseFiniteNumber(tokens[0], value)) return false;
  }
  return true;
}

bool IsJsonResults(const std::string& head) {
  const size_t brace = head.find_first_not_of(" \t\r\n");
  if (brace == std::string::npos || head[brace] != '{') return false;
  const size_t key = head.find("\"program\"");
  if (key == std::string::npos) return false;
  const size_t colon = head.find_first_not_of(" \t\r\n", key + 9);
  if (colon == std::string::npos || head[colon] != ':') return false;
  const size_t value = head.find_first_not_of(" \t\r\n", colon + 1);
  return value != std::string::npos && head.compare(value, 8, "\"vornax\"") == 0;
}

}  // namespace

bool WrittenByThisProgram(const std::filesystem::path& path) {
  const std::string head = Head(path);
  if (head.empty()) return false;
  if (IsJsonResults(head)) return true;
  std::string reason, text = head;
  if (!DecodeText(text, reason)) return false;
  bool ended = true;
  std::vector<std::string> lines = SplitLines(text, &ended);
  // The last line of a cut head may be a part of one.
  if (head.size() >= kHeadBytes && !ended && !lines.empty()) lines.pop_back();
  if (lines.empty()) return false;
  if (StartsWith(lines[0], " Results of program ")) return true;
  if (StartsWith(lines[0], " Variance Analysis, ANOVA table")) return true;
  if (lines.size() >= 3 && StartsWith(lines[2], " BP=breakpoint, N")) {
    return true;  // the scan table of a partial regression
  }
  return IsVarianceFile(head, lines);
}

StaleFile RemoveOwnFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return StaleFile::Absent;
  // A folder or a link is never an output of this program.
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec)) ||
      !WrittenByThisProgram(path)) {
    return StaleFile::Left;
  }
  return std::filesystem::remove(path, ec) ? StaleFile::Removed : StaleFile::Left;
}

StaleFile RemoveOwnFile(const std::filesystem::path& path, MemoryFiles* memory) {
  if (memory == nullptr) return RemoveOwnFile(path);
  return memory->Remove(path) ? StaleFile::Removed : StaleFile::Absent;
}

std::string LeftAsItIsNote(const std::filesystem::path& path) {
  return "\"" + PathText(path) + "\" is not a file this program wrote; it is left as it is.";
}

}  // namespace vornax
