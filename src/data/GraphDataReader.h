// Reading an output file back into the values a graph is drawn from.
//
// Values are found by the markers and token counts of the layouts the analyses write (the first
// characters of a heading line, the numbers of the value lines under it), never by a count read
// from the file: a truncated file, a report of another kind or binary junk is refused with a
// message, never read out of bounds, and a scan that reaches the end of the file stops there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/DataSet.h"
#include "data/GraphData.h"
#include "data/UserDialogs.h"

namespace vornax {

// A small reader over the lines of one file: a current line and a position within it.
class OutputLineReader {
 public:
  explicit OutputLineReader(const std::vector<std::string>& lines) : lines_(lines) {}

  bool AtEnd() const { return line_ >= lines_.size(); }
  size_t LineIndex() const { return line_; }
  void SeekLine(size_t index) {
    line_ = index;
    pos_ = 0;
  }
  // The current line ("" at the end of the file).
  std::string_view Line() const;
  // Moves to the next line; false when there is none.
  bool NextLine();
  // Whether the first four characters of the current line are `marker`.
  bool LineStartsWith(std::string_view marker) const;
  // Moves to the first line, from the current one on, that starts with `marker`; false (and at
  // the end) when no line does.
  bool ScanTo(std::string_view marker);
  // Reads up to n characters of the current line (fewer at its end).
  std::string_view ReadChars(size_t n);
  // Skips past the next occurrence of `c` on the current line; false when there is none.
  bool SkipPast(char c);
  // Reads the next blank-separated token of the current line as a finite number; false (and the
  // position after the token) when the token is not one or the line is exhausted.
  bool ReadNumber(double& value);

 private:
  const std::vector<std::string>& lines_;
  size_t line_ = 0;
  size_t pos_ = 0;
};

// Why a parse failed; the readers turn it into the message the user sees.
enum class GraphReadStatus { Ok, NotThisKind, Unreadable, TooFewRows };

// The parsers on the lines of a file. On failure `out` may be partly filled; the readers below
// only copy a complete result. `olderFile` is set when fallbacks for an older layout were used.
GraphReadStatus ParseSegmentedGraphData(const std::vector<std::string>& lines, GraphData& out);
GraphReadStatus ParsePartialGraphData(const std::vector<std::string>& lines, GraphData& out);
GraphReadStatus ParseCurveGraphData(const std::vector<std::string>& lines, GraphData& out);
GraphReadStatus ParseBrokenLineGraphData(const std::vector<std::string>& lines, GraphData& out);
// The parameters of the fitted curve from the parameter lines of a curve report.
bool ReadCurveParameters(const std::vector<std::string>& lines, CurveKind kind, GraphCurve& out);

// The readers on the file data.FileName. Each shows its message and returns false when the
// file cannot be opened or read; data.Graph then keeps what it held. Nothing of the data set
// changes.
bool ReadSegmentedGraphData(TDMVornax& data, UserDialogs& dialogs);
bool ReadPartialGraphData(TDMVornax& data, UserDialogs& dialogs);
bool ReadCurveGraphData(TDMVornax& data, UserDialogs& dialogs);

// Reads the kind code of data.FileName and the graph data with the reader of its family.
bool ReadGraphData(TDMVornax& data, UserDialogs& dialogs);

// The messages.
inline constexpr const char* kNotSegmentedOutputMessage =
    "This output file cannot be read by Vornax. Graph will not be shown. Try VornaxA instead.";
inline constexpr const char* kNotPartialOutputMessage =
    "This is not a Lumitor output file. It can not be read.";
inline constexpr const char* kNoGraphDataMessage = "Graph could not be made due to absence of data";
inline constexpr const char* kOlderOutputMessage =
    "This is an older output file. Please do the calculations again from the input tabsheet.";

}  // namespace vornax
