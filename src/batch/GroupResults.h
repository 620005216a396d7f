// The files of a --by command: the results table (CSV as RFC 4180 describes it: a header row,
// CR LF line ends, fields with a comma, a quotation mark or a line break quoted, quotes doubled),
// one row per group, and the file they are streamed into.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "batch/GroupRun.h"

namespace vornax::batch {

// The header row and a group's row, each ended by CR LF. Numbers are written in full precision
// (the shortest text that reads back as the same number); what a run does not have stays empty.
std::string ResultsTableHeader();
std::string ResultsTableRow(const GroupOutcome& outcome);

// One field of a CSV row, quoted when it holds a comma, a quotation mark or a line break, or
// starts or ends with a blank.
std::string CsvField(std::string_view text);

// The group's JSON line (see ResultJsonLine).
std::string GroupJsonLine(const GroupOutcome& outcome);

// A file written piece by piece into a temporary file beside the target, and renamed over the
// target by Commit(): a failure or a stop half-way never leaves a half-written file where the
// user expects a result, nor destroys an older one. Without Commit() the temporary file goes.
class StreamedFile {
 public:
  StreamedFile() = default;
  StreamedFile(const StreamedFile&) = delete;
  StreamedFile& operator=(const StreamedFile&) = delete;
  ~StreamedFile();

  // False with the system's reason in `error`.
  bool Open(const std::filesystem::path& target, std::string& error);
  bool Write(std::string_view text, std::string& error);
  bool Commit(std::string& error);
  bool IsOpen() const { return file_ != nullptr; }

 private:
  std::filesystem::path target_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
};

}  // namespace vornax::batch
