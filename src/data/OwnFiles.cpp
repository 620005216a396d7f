// Recognising this program's own output files by their first lines.
#include "data/OwnFiles.h"

#include <cstdint>
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

// A PNG whose text chunk "Software" before the pixels says "Vornax" (what the graph writer
// puts there). Every chunk up to the first IDAT is looked at, as far as the head reaches.
bool IsOwnPng(const std::string& head) {
  static const std::string kSignature("\x89PNG\r\n\x1a\n", 8);
  if (!StartsWith(head, kSignature)) return false;
  static const std::string kSoftware("Software\0", 9);
  for (size_t at = kSignature.size(); at + 8 <= head.size();) {
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(head[i])); };
    const uint32_t length = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
    const std::string_view type(head.data() + at + 4, 4);
    if (type == "IDAT" || length > head.size()) return false;
    const size_t data = at + 8;
    if (data + length > head.size()) return false;
    const std::string_view text(head.data() + data, length);
    if (type == "tEXt" && text == kSoftware + "Vornax") return true;
    at = data + length + 4;  // past the CRC
  }
  return false;
}

bool IsOwnSvg(const std::string& head) {
  return (StartsWith(head, "<?xml") || StartsWith(head, "<svg")) &&
         head.find("<svg") != std::string::npos &&
         head.find("<desc>Graph drawn by Vornax</desc>") != std::string::npos;
}

// Qt writes the document's information first, the creator in UTF-16 with its byte-order mark.
bool IsOwnPdf(const std::string& head) {
  static const std::string kCreator("/Creator (\xFE\xFF\0V\0o\0r\0n\0a\0x)", 25);
  return StartsWith(head, "%PDF-") &&
         (head.find(kCreator) != std::string::npos || head.find("/Creator (Vornax)") != std::string::npos);
}

bool IsOwnBmp(const std::string& head) {
  return StartsWith(head, "BM") && head.size() >= 14 &&
         head.compare(kBmpMarkOffset, kBmpMark.size(), kBmpMark) == 0;
}

}  // namespace

bool WrittenByThisProgram(const std::filesystem::path& path) {
  const std::string head = Head(path);
  if (head.empty()) return false;
  if (IsJsonResults(head) || IsOwnPng(head) || IsOwnSvg(head) || IsOwnPdf(head) || IsOwnBmp(head)) return true;
  std::string reason, text = head;
  if (!DecodeText(text, reason)) return false;
  bool ended = true;
  std::vector<std::string> lines = SplitLines(text, &ended);
  // The last line of a cut head may be a part of one.
  if (head.size() >= kHeadBytes && !ended && !lines.empty()) lines.pop_back();
  if (lines.empty()) return false;
  if (StartsWith(lines[0], " Results of program ")) return true;
  if (StartsWith(lines[0], " Variance Analysis, ANOVA table")) return true;
  // The results table of vornax-batch --by; its later columns grow with the program.
  if (StartsWith(lines[0], "group,rows_used,rows_left_out,")) return true;
  if (lines.size() >= 3 && StartsWith(lines[2], " BP=breakpoint, N")) {
    return true;  // the scan table of a partial regression
  }
  return IsVarianceFile(head, lines);
}

bool FreeToReplace(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::symlink_status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) return true;
  if (ec) return false;  // nothing can be said of it: it is not taken for ours
  return std::filesystem::is_regular_file(status) && WrittenByThisProgram(path);
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
