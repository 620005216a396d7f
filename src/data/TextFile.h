// The checked text-file layer: every file this program writes or reads goes through here.
//
// Writing: a TextFileWriter collects the lines (each ended by CR LF) and Commit() writes them to
// a fresh temporary file in the target's folder and renames it over the target. A long file goes
// to its temporary file as it grows, so that a report of a million lines is never held whole. A
// failure at any point leaves the previous file as it was and no half-written file behind.
// Reading: lines may end in CR LF or LF; numbers must be finite decimals.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vornax {

// The files of a run kept in memory instead of on disk. A run whose numbers alone are wanted
// (each group of a long table in vornax-batch --by) hands one in through TDMVornax::Memory: its
// analysis writes the report and the variance file here, the variance analysis and the run read
// them back from here, and a removal removes them from here. So runs side by side never touch the
// disk, and a file of the same name on disk is never read, replaced or removed by them.
class MemoryFiles {
 public:
  // `reportText` false: the run's numbers alone are wanted, not the text of its report. An
  // analysis then leaves its report unwritten (see TextFileWriter::ForReport); the variance file
  // is still written, since the variance analysis reads its sums of squares from it.
  explicit MemoryFiles(bool reportText = true) : reportText_(reportText) {}
  bool ReportText() const { return reportText_; }

  void Write(const std::filesystem::path& target, std::string_view content);
  // What was written under `path`, or nullptr.
  const std::string* Find(const std::filesystem::path& path) const;
  bool Remove(const std::filesystem::path& path);

 private:
  std::vector<std::pair<std::filesystem::path, std::string>> files_;  // a run writes two or three
  bool reportText_ = true;
};

// Whether a run that keeps its files in `memory` (null: on disk) wants the text of its reports.
inline bool WantsReportText(const MemoryFiles* memory) {
  return memory == nullptr || memory->ReportText();
}

class TextFileWriter {
 public:
  // With `memory`, Commit() keeps the text there instead of writing the file.
  explicit TextFileWriter(std::filesystem::path target, MemoryFiles* memory = nullptr);
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;
  // A writer dropped without Commit() takes its temporary file with it.
  ~TextFileWriter();

  // The writer of a run's report (".out"). With `memory` that wants no report text it keeps
  // nothing: its writes and Commit() do nothing, and Discards() tells the report's writer that
  // it need not put the text together at all.
  static TextFileWriter ForReport(std::filesystem::path target, MemoryFiles* memory) {
    return TextFileWriter(std::move(target), memory, !WantsReportText(memory));
  }
  bool Discards() const { return discard_; }

  // Appends text to the current line / ends the current line with CR LF.
  void Write(std::string_view text) {
    if (discard_) return;
    content_.append(text);
    if (content_.size() >= kSpillBytes) Spill();
  }
  void WriteLine(std::string_view text = {}) {
    if (discard_) return;
    content_.append(text);
    content_.append("\r\n");
    if (content_.size() >= kSpillBytes) Spill();
  }

  // Writes everything to a temporary file beside the target and renames it over the target
  // (with `memory`, keeps the whole text there instead, and nothing spills to disk).
  // Returns false (and leaves the target untouched) on any failure; Error() then says why.
  bool Commit();

  // Whether the file at the target holds exactly the text written so far already, so that
  // committing would change nothing but its date. False for text that has gone to a temporary
  // file, and for writers that keep their text in memory.
  bool TargetHoldsText() const;

  const std::filesystem::path& Target() const { return target_; }
  MemoryFiles* Memory() const { return memory_; }
  const std::string& Error() const { return error_; }
  // The text written so far, while the file is short enough to be held (below kSpillBytes).
  const std::string& Content() const { return content_; }

  static constexpr size_t kSpillBytes = 1 << 20;

 private:
  TextFileWriter(std::filesystem::path target, MemoryFiles* memory, bool discard)
      : TextFileWriter(std::move(target), memory) {
    discard_ = discard;
  }
  // Moves the text held so far into the temporary file, which it makes the first time.
  void Spill();

  std::filesystem::path target_;
  MemoryFiles* memory_ = nullptr;
  std::string content_;
  std::string error_;
  std::string temporary_;  // the temporary file once the text has spilled into it
  int fd_ = -1;
  bool discard_ = false;
};

// Writes `content` to `target` through a temporary file and a rename; false on failure with the
// reason in `error`.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view content,
                         std::string* error = nullptr);

// A new empty file with a name of its own beside `target` (".NAME.XXXXXX"), for a writer that
// opens the file itself and then renames it over the target: no file of the user's, whatever
// its name, is written over or removed on the way. std::nullopt with the reason in `error`.
std::optional<std::filesystem::path> MakeTemporaryBeside(const std::filesystem::path& target,
                                                         std::string& error);

// All lines of a text file without their line ends (CR LF, LF or a lone CR). UTF-16 text (with
// a byte-order mark, or recognised by its zero bytes) is turned into UTF-8 and a UTF-8 mark is
// dropped. std::nullopt when the file cannot be opened or read, or holds binary data.
// With `memory`, the file is looked up there and never on disk.
std::optional<std::vector<std::string>> ReadTextLines(const std::filesystem::path& path,
                                                      const MemoryFiles* memory = nullptr);

// The same, saying why a file could not be read: the system's reason ("Permission denied", "No
// such file or directory") or what is wrong with its bytes. `finalLineEnded` tells whether the
// last line carried a line end (a file cut short mid-line does not).
struct TextLines {
  std::vector<std::string> Lines;
  bool FinalLineEnded = true;
  bool WasUtf16 = false;
};
std::optional<TextLines> ReadTextLines(const std::filesystem::path& path, std::string& reason,
                                       const MemoryFiles* memory = nullptr);

// Removes a file from the disk, or from `memory` when given; true when there was one.
bool RemoveFile(const std::filesystem::path& path, MemoryFiles* memory = nullptr);
// Whether the file is there, on disk or in `memory` when given.
bool FileExists(const std::filesystem::path& path, const MemoryFiles* memory = nullptr);

// The whole text of a file as UTF-8 (decoded as DecodeText does), for a reader that splits it
// itself without a second copy of every line; std::nullopt with the reason as above.
std::optional<std::string> ReadTextBytes(const std::filesystem::path& path, std::string& reason,
                                         bool* wasUtf16 = nullptr);

// The bytes of a text file as UTF-8: UTF-16 (little or big endian, with or without a byte-order
// mark) is converted and a UTF-8 byte-order mark removed. False with the reason for bytes that
// are not text (zero bytes that do not make UTF-16, or UTF-16 that does not convert).
bool DecodeText(std::string& bytes, std::string& reason, bool* wasUtf16 = nullptr);

// Whether `text` is well-formed UTF-8 (plain ASCII is).
bool IsValidUtf8(std::string_view text);

// Text of the 8-bit Windows code page 1252 (which agrees with Latin-1 on every letter) as UTF-8;
// false when the converter is missing.
bool ConvertWindows1252(std::string& text);

// Splits text into lines at CR LF, LF or a lone CR; the line ends are not kept.
std::vector<std::string> SplitLines(std::string_view text, bool* finalLineEnded = nullptr);
// The same as views into `text`, for a long text that should not be copied line by line.
std::vector<std::string_view> SplitLineViews(std::string_view text,
                                             bool* finalLineEnded = nullptr);

// Splits a line into tokens separated by blanks and tabs.
std::vector<std::string_view> SplitTokens(std::string_view line);

// A finite decimal number: optional sign, digits with an optional '.', an optional exponent.
// "nan", "inf", hexadecimal floats, empty text and values outside the 64-bit range are refused.
bool ParseFiniteNumber(std::string_view token, double& value);

// A decimal integer within the 32-bit range (optional sign, digits only).
bool ParseInt32(std::string_view token, int& value);

// The path with its extension replaced (extension given with its dot, e.g. ".out").
std::filesystem::path WithExtension(const std::filesystem::path& path, const std::string& ext);

// A path as text for messages and reports.
std::string PathText(const std::filesystem::path& path);

}  // namespace vornax
