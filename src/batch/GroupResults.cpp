// The results table of a --by command and the streamed files.
#include "batch/GroupResults.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "data/TextFile.h"
#include "run/ResultJson.h"
#include "run/ResultSummary.h"

namespace vornax::batch {
namespace {

std::string Number(double value) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::string Number(const std::optional<double>& value) {
  return value ? Number(*value) : std::string();
}

// The messages of a run in one field.
std::string Joined(const std::vector<std::string>& texts) {
  std::string all;
  for (const std::string& text : texts) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    const size_t last = text.find_last_not_of(' ');
    all += (all.empty() ? "" : " | ") + text.substr(first, last - first + 1);
  }
  return all;
}

// The test of the break: the ANOVA's extra row of the breakpoint (of the curve, for curves; with
// two variables the first stage that has a breakpoint).
const AnovaRowResult* BreakRow(const RunResult& r) {
  for (const AnovaRowResult& row : r.Anova) {
    if (row.Kind == "extra") return &row;
  }
  return nullptr;
}

// The columns after "reason" came later; a reader that takes the first twenty by position
// still finds them where they were.
constexpr const char* kColumns[] = {
    "group",       "rows_used",        "rows_left_out",    "analysis",
    "type",        "type_text",        "method",           "breakpoint",
    "standard_error", "lower_limit",   "upper_limit",      "likelihood_lower",
    "likelihood_upper", "ce",          "ce_straight_line", "anova_f",
    "anova_significance_percent",      "break_test_p",     "warnings",
    "reason",      "number_of_breakpoints",
    "breakpoint_2", "standard_error_2", "lower_limit_2", "upper_limit_2",
    "likelihood_lower_2", "likelihood_upper_2",
    "breakpoint_3", "standard_error_3", "lower_limit_3", "upper_limit_3",
    "likelihood_lower_3", "likelihood_upper_3"};
constexpr size_t kNumberOfBreakpoints = 20;
constexpr size_t kFurtherBreakpoints = 21;  // six columns per breakpoint from the second on
constexpr size_t kPointColumns = 6;

// A broken line's breakpoint in six cells from `first`: value, standard error, confidence
// limits and likelihood interval.
void PointCells(const BrokenLinePoint& p, std::vector<std::string>& cells, size_t first) {
  const double values[kPointColumns] = {p.Value,      p.StandardError,   p.LowerLimit,
                                        p.UpperLimit, p.LikelihoodLower, p.LikelihoodUpper};
  for (size_t i = 0; i < kPointColumns; ++i) cells[first + i] = Number(values[i]);
}

// The number of breakpoints of the function reported.
int BreakpointCount(const RunResult& r) {
  if (r.BrokenLines) return r.BrokenLines->Breakpoints;
  if (r.Analysis == "two-variable") {
    int count = 0;
    for (const StageResult& stage : r.Stages) count += stage.HasBreakpoint ? 1 : 0;
    return count;
  }
  return r.HasBreakpoint ? 1 : 0;
}

}  // namespace

std::string CsvField(std::string_view text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return std::string(text);
  std::string field = "\"";
  for (char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + "\"";
}

std::string ResultsTableHeader() {
  std::string row;
  for (const char* column : kColumns) row += (row.empty() ? "" : ",") + std::string(column);
  return row + "\r\n";
}

std::string ResultsTableRow(const GroupOutcome& g) {
  std::vector<std::string> cells(std::size(kColumns));
  cells[0] = g.Group;
  cells[1] = std::to_string(g.RowsUsed);
  cells[2] = std::to_string(g.RowsLeftOut);
  if (g.Analysed) {
    const RunResult& r = g.Result;
    cells[3] = r.Analysis;
    if (r.BrokenLines) {
      // Not a function type: a type 2 here would read as two connected segments with one
      // breakpoint.
      cells[3] = "broken line";
      cells[5] = r.TypeText;
    } else if (!r.Curve) {
      cells[4] = std::to_string(r.Type);
      cells[5] = r.TypeText;
    }
    if (r.Method > 0) cells[6] = std::to_string(r.Method);
    if (r.HasBreakpoint && (r.Analysis != "two-variable" || r.Stages.empty() ||
                            r.Stages.front().HasBreakpoint)) {
      cells[7] = Number(r.Breakpoint);
    }
    cells[8] = Number(r.BreakpointSE);
    cells[9] = Number(r.LowerLimit);
    cells[10] = Number(r.UpperLimit);
    cells[11] = Number(r.LikelihoodLower);
    cells[12] = Number(r.LikelihoodUpper);
    cells[13] = Number(r.CE);
    cells[14] = Number(r.CEStraight);
    if (const AnovaRowResult* row = BreakRow(r)) {
      cells[15] = Number(row->F);
      cells[16] = Number(row->Significance);
    }
    if (r.BreakTest.Done) cells[17] = Number(r.BreakTest.P);
    std::vector<std::string> warnings = r.Warnings;
    for (std::string& warning : SummaryWarnings(r)) warnings.push_back(std::move(warning));
    cells[18] = Joined(warnings);
    cells[kNumberOfBreakpoints] = std::to_string(BreakpointCount(r));
    if (r.BrokenLines) {
      const BrokenLinesResult& b = *r.BrokenLines;
      for (size_t j = 0; j < b.Points.size() && j < 3; ++j) {
        PointCells(b.Points[j], cells, j == 0 ? 7 : kFurtherBreakpoints + (j - 1) * kPointColumns);
      }
      // The break test of a broken line is the permutation test of one breakpoint against none.
      if (b.Steps.size() > 1 && b.Steps[1].PermutationP) cells[17] = Number(*b.Steps[1].PermutationP);
    }
  } else {
    cells[19] = Joined({g.Reason});
  }
  std::string line;
  for (size_t c = 0; c < cells.size(); ++c) line += (c > 0 ? "," : "") + CsvField(cells[c]);
  return line + "\r\n";
}

std::string GroupJsonLine(const GroupOutcome& g) {
  GroupHead head;
  head.Group = g.Group;
  head.RowsUsed = g.RowsUsed;
  head.RowsLeftOut = g.RowsLeftOut;
  head.Reason = g.Reason;
  ResultFiles files;
  if (!g.ReportPath.empty()) {
    files.Output = g.ReportPath;
    files.Anova = PathText(WithExtension(g.ReportPath, ".var"));
  }
  return ResultJsonLine(g.Analysed ? &g.Result : nullptr, g.Options, files, head);
}

StreamedFile::~StreamedFile() {
  if (file_ != nullptr) {
    std::fclose(file_);
    ::unlink(temporary_.c_str());
  }
}

bool StreamedFile::Open(const std::filesystem::path& target, std::string& error) {
  target_ = target;
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  temporary_ = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary_.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  // mkstemp makes the file private; give it the ordinary permissions of a new file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    error = std::strerror(errno);
    ::close(fd);
    ::unlink(temporary_.c_str());
    return false;
  }
  return true;
}

bool StreamedFile::Write(std::string_view text, std::string& error) {
  if (file_ == nullptr) return false;
  if (std::fwrite(text.data(), 1, text.size(), file_) == text.size()) return true;
  error = std::strerror(errno);
  return false;
}

bool StreamedFile::Commit(std::string& error) {
  if (file_ == nullptr) return false;
  std::FILE* file = file_;
  file_ = nullptr;
  const bool written = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
  const int saved = errno;
  if (std::fclose(file) != 0 || !written) {
    error = std::strerror(written ? errno : saved);
    ::unlink(temporary_.c_str());
    return false;
  }
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    error = std::strerror(errno);
    ::unlink(temporary_.c_str());
    return false;
  }
  return true;
}

}  // namespace vornax::batch
