// Reading output files back into graph data.
#include "data/GraphDataReader.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "data/OutputFile.h"
#include "data/TextFile.h"

namespace vornax {

// ---------------------------------------------------------------------------------------------
// The kind codes.

std::optional<CurveKind> CurveKindOfCode(const std::string& code) {
  if (code == " Nam") return CurveKind::Quadratic;
  if (code == " Thi") return CurveKind::Cubic;
  if (code == " Out") return CurveKind::Power;
  if (code == " Fil") return CurveKind::Logistic;
  if (code == " Gum") return CurveKind::Gumbel;
  if (code == " Inv") return CurveKind::InvertedGumbel;
  if (code == " Fis") return CurveKind::Fisk;
  return std::nullopt;
}

OutputFamily OutputFamilyOf(const std::string& code) {
  if (CurveKindOfCode(code)) return OutputFamily::Curve;
  if (code == " THI") return OutputFamily::Partial;
  if (code == " The") return OutputFamily::Segmented;
  if (code == " Bro") return OutputFamily::BrokenLine;
  return OutputFamily::Unknown;
}

double ConfidenceTFromPercent(double percent) {
  if (percent < 91) return 1.75;
  if (percent >= 96) return 2.5;
  return 2.1;
}

std::string ReduceDoubleBlanks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out.push_back(c);
  }
  // The writer puts one blank before a title; the title itself is what follows it.
  const size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const size_t last = out.find_last_not_of(' ');
  return out.substr(first, last - first + 1);
}

// ---------------------------------------------------------------------------------------------
// The line reader.

std::string_view OutputLineReader::Line() const {
  return AtEnd() ? std::string_view() : std::string_view(lines_[line_]);
}

bool OutputLineReader::NextLine() {
  if (AtEnd()) return false;
  ++line_;
  pos_ = 0;
  return !AtEnd();
}

bool OutputLineReader::LineStartsWith(std::string_view marker) const {
  return !AtEnd() && Line().substr(0, marker.size()) == marker;
}

bool OutputLineReader::ScanTo(std::string_view marker) {
  pos_ = 0;
  while (!AtEnd()) {
    if (LineStartsWith(marker)) return true;
    ++line_;
  }
  return false;
}

std::string_view OutputLineReader::ReadChars(size_t n) {
  const std::string_view line = Line();
  if (pos_ >= line.size()) return {};
  const std::string_view chars = line.substr(pos_, n);
  pos_ += chars.size();
  return chars;
}

bool OutputLineReader::SkipPast(char c) {
  const std::string_view line = Line();
  if (pos_ >= line.size()) return false;
  const size_t at = line.find(c, pos_);
  if (at == std::string_view::npos) {
    pos_ = line.size();
    return false;
  }
  pos_ = at + 1;
  return true;
}

bool OutputLineReader::ReadNumber(double& value) {
  const std::string_view line = Line();
  while (pos_ < line.size() && (line[pos_] == ' ' || line[pos_] == '\t')) ++pos_;
  const size_t start = pos_;
  while (pos_ < line.size() && line[pos_] != ' ' && line[pos_] != '\t') ++pos_;
  if (pos_ == start) return false;
  return ParseFiniteNumber(line.substr(start, pos_ - start), value);
}

// ---------------------------------------------------------------------------------------------
// Helpers on whole lines.

namespace {

std::string_view FirstFour(const std::vector<std::string>& lines, size_t index) {
  if (index >= lines.size()) return {};
  return std::string_view(lines[index]).substr(0, 4);
}

bool StartsWith(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

// The index of the first line from `from` on that starts with `prefix`, or lines.size().
size_t FindLine(const std::vector<std::string>& lines, std::string_view prefix, size_t from = 0,
                size_t to = std::string::npos) {
  to = std::min(to, lines.size());
  for (size_t i = from; i < to; ++i) {
    if (StartsWith(lines[i], prefix)) return i;
  }
  return lines.size();
}

// Every token of the line as a number; false when any token is not one (or there is none).
bool NumbersOf(std::string_view line, std::vector<double>& values) {
  values.clear();
  for (std::string_view token : SplitTokens(line)) {
    double v = 0;
    if (!ParseFiniteNumber(token, v)) return false;
    values.push_back(v);
  }
  return !values.empty();
}

// The number after the first `c` of the line (the first token there).
bool NumberAfter(std::string_view line, char c, double& value) {
  const size_t at = line.find(c);
  if (at == std::string_view::npos) return false;
  const auto tokens = SplitTokens(line.substr(at + 1));
  return !tokens.empty() && ParseFiniteNumber(tokens.front(), value);
}

// The "name = value" pairs of a line: the name is the run of characters before the "=" up to a
// blank, the value the token after it. Pairs whose value is no number ("W = X^E") are left out.
void CollectKeyValues(std::string_view line, std::multimap<std::string, double>& out) {
  size_t at = 0;
  while ((at = line.find('=', at)) != std::string_view::npos) {
    size_t end = at;
    while (end > 0 && line[end - 1] == ' ') --end;
    size_t begin = end;
    while (begin > 0 && line[begin - 1] != ' ' && line[begin - 1] != ':') --begin;
    const auto tokens = SplitTokens(line.substr(at + 1));
    double v = 0;
    if (begin < end && !tokens.empty() && ParseFiniteNumber(tokens.front(), v)) {
      out.emplace(std::string(line.substr(begin, end - begin)), v);
    }
    ++at;
  }
}

bool Lookup(const std::multimap<std::string, double>& values, const std::string& key, double& v) {
  auto it = values.find(key);
  if (it == values.end()) return false;
  v = it->second;
  return true;
}

// A statistics block: the line " BPx=  ..." (or BPz) and the two value lines under it.
bool IsStatisticsLine(std::string_view line) {
  const auto tokens = SplitTokens(line);
  return !tokens.empty() && tokens.front().size() >= 4 &&
         (StartsWith(tokens.front(), "BPx=") || StartsWith(tokens.front(), "BPz="));
}

bool ReadStatisticsBlock(const std::vector<std::string>& lines, size_t at,
                         SegmentStatistics& s, double* breakpoint = nullptr) {
  if (at + 2 >= lines.size()) return false;
  const std::string_view first = lines[at];
  const size_t eq = first.find('=');
  std::vector<double> a, b, c;
  if (eq == std::string_view::npos || !NumbersOf(first.substr(eq + 1), a) || a.size() < 4 ||
      !NumbersOf(lines[at + 1], b) || b.size() < 3 || !NumbersOf(lines[at + 2], c) ||
      c.size() < 3) {
    return false;
  }
  if (breakpoint != nullptr) *breakpoint = a[0];
  s.N = a[1];
  s.AvY = a[2];
  s.AvX = a[3];
  s.RC = b[0];
  s.CCsq = b[1];
  s.StDevRC = b[2];
  s.YAtZero = b.size() > 3 ? b[3] : 0;
  s.StDevY = c[0];
  s.StDevYr = c[1];
  s.StDevX = c[2];
  return true;
}

// The indices of every statistics block's first line, in order, before line `to`.
std::vector<size_t> StatisticsBlocks(const std::vector<std::string>& lines, size_t to) {
  std::vector<size_t> blocks;
  for (size_t i = 0; i < std::min(to, lines.size()); ++i) {
    if (IsStatisticsLine(lines[i])) blocks.push_back(i);
  }
  return blocks;
}

// The value lines of the parameter table that starts at line `at` (" Parameters for function
// type"), up to the blank line that ends it.
std::vector<std::vector<double>> ParameterValueLines(const std::vector<std::string>& lines,
                                                     size_t at) {
  std::vector<std::vector<double>> values;
  std::vector<double> v;
  for (size_t i = at + 1; i < lines.size(); ++i) {
    if (SplitTokens(lines[i]).empty()) break;
    if (NumbersOf(lines[i], v)) values.push_back(v);
  }
  return values;
}

// Ybp, SEBP and the coefficient of explanation from a parameter table of `type`.
void ReadParameterTable(const std::vector<std::vector<double>>& v, int type, GraphRegression& r) {
  auto at = [&](size_t line, size_t column, double& out) {
    if (line < v.size() && column < v[line].size()) out = v[line][column];
  };
  switch (type) {
    case 2:
      at(1, 0, r.Ybp);
      at(1, 1, r.SEBP);
      at(1, 2, r.CE);
      break;
    case 3:
    case 4:
      at(0, 1, r.Ybp);
      at(1, 1, r.SEBP);
      at(3, 2, r.CE);
      break;
    case 5:
      at(1, 2, r.CE);
      break;
    case 6:
      at(0, 2, r.SEBP);
      at(1, 2, r.CE);
      break;
    default:
      break;
  }
}

// The type on a summary line ("Function type : 7  - ..."): the printed codes 7 and 8 of the
// disconnected segments are type 6.
bool TypeOnLine(std::string_view line, int& type) {
  double v = 0;
  if (!NumberAfter(line, ':', v) || v < 0 || v > 8 || v != std::floor(v)) return false;
  type = std::min(static_cast<int>(v), 6);
  return true;
}

// A calculation method: 1 or 2; anything else on the line reads as 0 (no method).
int MethodOf(double v) { return v == 1 || v == 2 ? static_cast<int>(v) : 0; }

// The data table: the heading line before " ---" names the columns; rows follow until a line
// that is not a row. Returns the index after the last row.
GraphReadStatus ReadDataTable(const std::vector<std::string>& lines, size_t from, GraphData& g) {
  const size_t dashes = FindLine(lines, " ---", from);
  if (dashes >= lines.size() || dashes == 0) return GraphReadStatus::TooFewRows;
  const auto heading = SplitTokens(lines[dashes - 1]);
  if (heading.size() < 2 || heading.front() != "Serial") return GraphReadStatus::Unreadable;
  // A one-variable table (Yobs, X or Z, Ycalc) gives its variable the horizontal array.
  const bool oneVariable = heading.size() == 4;
  std::vector<std::vector<double>*> columns;
  for (size_t i = 1; i < heading.size(); ++i) {
    const std::string_view name = heading[i];
    if (oneVariable && i == 2 && (name == "X" || name == "Z")) {
      columns.push_back(&g.GraphX);
    } else if (name == "Yobs") {
      columns.push_back(&g.GraphY);
    } else if (name == "X") {
      columns.push_back(&g.GraphX);
    } else if (name == "Z") {
      columns.push_back(&g.GraphZ);
    } else if (name == "Ycalc") {
      columns.push_back(&g.GraphYcalc);
    } else if (name == "YXr" || name == "YZr") {
      columns.push_back(&g.GraphResidual);
    } else {
      return GraphReadStatus::Unreadable;
    }
  }
  // A one-variable table names its variable in the second column.
  if (heading.size() >= 3) g.TableVariable = std::string(heading[2]);
  for (size_t i = dashes + 1; i < lines.size(); ++i) {
    auto tokens = SplitTokens(lines[i]);
    bool added = false;
    if (!tokens.empty() && tokens.back() == "Added") {
      added = true;
      tokens.pop_back();
    }
    if (tokens.size() != columns.size() + 1) break;
    int serial = 0;
    if (!ParseInt32(tokens[0], serial)) break;
    std::vector<double> row(columns.size());
    bool ok = true;
    for (size_t c = 0; c < columns.size() && ok; ++c) ok = ParseFiniteNumber(tokens[c + 1], row[c]);
    if (!ok) break;
    for (size_t c = 0; c < columns.size(); ++c) columns[c]->push_back(row[c]);
    g.Added.push_back(added);
  }
  g.NrOfRows = static_cast<int32_t>(g.Added.size());
  // Columns a table lacks stay as long as the others, so every array has NrOfRows values.
  for (auto* column : {&g.GraphX, &g.GraphY, &g.GraphZ, &g.GraphResidual, &g.GraphYcalc}) {
    column->resize(g.Added.size(), 0.0);
  }
  return g.NrOfRows < 3 ? GraphReadStatus::TooFewRows : GraphReadStatus::Ok;
}

// The titles and the minimum confidence: the two lines above " Minimum confidence % :".
bool ReadTitlesAndConfidence(const std::vector<std::string>& lines, GraphData& g) {
  const size_t m = FindLine(lines, " Minimum confidence %");
  if (m >= lines.size() || m < 2) return false;
  g.Title1 = ReduceDoubleBlanks(lines[m - 2]);
  g.Title2 = ReduceDoubleBlanks(lines[m - 1]);
  double percent = 90;
  if (!NumberAfter(lines[m], ':', percent)) percent = 90;  // a damaged line: the lowest level
  g.ConfidencePercent = static_cast<int>(std::clamp(percent, 0.0, 100.0));
  g.ConfidenceT = ConfidenceTFromPercent(percent);
  return true;
}

// The one-variable summary (also the partial regression's): type, method, breakpoint and the
// equations. `summary` is the line after " SUMMARY".
bool ReadOneVariableSummary(const std::vector<std::string>& lines, size_t summary, size_t tableAt,
                            GraphRegression& r) {
  if (!TypeOnLine(lines[summary], r.Type)) return false;
  std::multimap<std::string, double> kv;
  for (size_t i = summary + 1; i < tableAt; ++i) {
    const std::string_view line = lines[i];
    double v = 0;
    if (StartsWith(line, " Calc. method") && NumberAfter(line, ':', v)) {
      r.Method = MethodOf(v);
    } else if (StartsWith(line, " Optimal breakpoint") && NumberAfter(line, ':', v)) {
      r.Breakpoint = v;
    } else {
      CollectKeyValues(line, kv);
    }
  }
  if (r.Type < 2) {
    if (!Lookup(kv, "A", r.Ag) || !Lookup(kv, "C", r.Cg)) return false;
    r.As = r.Ag;
    r.Cs = r.Cg;
  } else if (!Lookup(kv, "As", r.As) || !Lookup(kv, "Ag", r.Ag) || !Lookup(kv, "Cs", r.Cs) ||
             !Lookup(kv, "Cg", r.Cg)) {
    return false;
  }
  return true;
}

// The statistics of one regression from the blocks starting at `next`: all data, then the two
// segments for types 2 to 6. Advances `next` past what it used.
bool ReadRegressionStatistics(const std::vector<std::string>& lines,
                              const std::vector<size_t>& blocks, size_t& next,
                              GraphRegression& r) {
  if (next >= blocks.size() || !ReadStatisticsBlock(lines, blocks[next], r.All)) return false;
  ++next;
  r.Below = r.All;
  r.Above = r.All;
  if (r.Type < 2) {
    r.CE = r.All.CCsq;
    return true;
  }
  if (next + 1 >= blocks.size() || !ReadStatisticsBlock(lines, blocks[next], r.Below) ||
      !ReadStatisticsBlock(lines, blocks[next + 1], r.Above)) {
    return false;
  }
  next += 2;
  return true;
}

GraphReadStatus ParseOneVariableBody(const std::vector<std::string>& lines, size_t summary,
                                     GraphData& g) {
  const size_t dashes = FindLine(lines, " ---", summary);
  if (!ReadOneVariableSummary(lines, summary + 1, dashes, g.First)) {
    return GraphReadStatus::Unreadable;
  }
  const auto blocks = StatisticsBlocks(lines, summary);
  size_t next = 0;
  if (!ReadRegressionStatistics(lines, blocks, next, g.First)) return GraphReadStatus::Unreadable;
  if (g.First.Type >= 2) {
    const size_t table = FindLine(lines, " Parameters for function type", 0, summary);
    if (table >= summary) return GraphReadStatus::Unreadable;
    ReadParameterTable(ParameterValueLines(lines, table), g.First.Type, g.First);
  }
  g.StoredCE = g.First.CE;
  return ReadDataTable(lines, summary, g);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Segmented outputs.

GraphReadStatus ParseSegmentedGraphData(const std::vector<std::string>& lines, GraphData& g) {
  if (FirstFour(lines, 2) != " The") return GraphReadStatus::NotThisKind;
  g.Family = OutputFamily::Segmented;
  if (!ReadTitlesAndConfidence(lines, g)) return GraphReadStatus::Unreadable;
  const size_t summary = FindLine(lines, " SUM");
  if (summary + 1 >= lines.size()) return GraphReadStatus::Unreadable;
  g.OutputTag = std::string(FirstFour(lines, summary + 1));
  if (g.OutputTag == " Fun") return ParseOneVariableBody(lines, summary, g);
  if (g.OutputTag != " Y-X" && g.OutputTag != " Y-Z") return GraphReadStatus::Unreadable;

  // Two variables: the first regression is on the variable the tag names first.
  const bool xFirst = g.OutputTag == " Y-X";
  g.First.Variable = xFirst ? "X" : "Z";
  g.Second.Variable = xFirst ? "Z" : "X";
  if (summary + 2 >= lines.size() || !TypeOnLine(lines[summary + 1], g.First.Type) ||
      !TypeOnLine(lines[summary + 2], g.Second.Type)) {
    return GraphReadStatus::Unreadable;
  }
  const size_t dashes = FindLine(lines, " ---", summary);
  std::multimap<std::string, double> kv;
  bool overallCE = false;
  for (size_t i = summary + 3; i < dashes; ++i) {
    const std::string_view line = lines[i];
    double v = 0;
    if (StartsWith(line, xFirst ? " Y-X " : " Y-Z ") && line.find("method") != line.npos &&
        NumberAfter(line, ':', v)) {
      g.First.Method = MethodOf(v);
    } else if (StartsWith(line, xFirst ? " YXr-Z" : " YZr-X") &&
               line.find("method") != line.npos && NumberAfter(line, ':', v)) {
      g.Second.Method = MethodOf(v);
    } else if (StartsWith(line, " The optimal breakpoint of X") && NumberAfter(line, ':', v)) {
      (xFirst ? g.First : g.Second).Breakpoint = v;
    } else if (StartsWith(line, " The optimal breakpoint of Z") && NumberAfter(line, ':', v)) {
      (xFirst ? g.Second : g.First).Breakpoint = v;
    } else if (StartsWith(line, " The overall coefficient") && NumberAfter(line, ':', v)) {
      g.StoredCE = v;
      overallCE = true;
    } else {
      CollectKeyValues(line, kv);
    }
  }
  GraphPlane& p = g.Plane;
  if (!overallCE || !Lookup(kv, "As", p.As) || !Lookup(kv, "Ag", p.Ag) ||
      !Lookup(kv, "Bs", p.Bs) || !Lookup(kv, "Bg", p.Bg) || !Lookup(kv, "Css", p.Css) ||
      !Lookup(kv, "Csg", p.Csg) || !Lookup(kv, "Cgs", p.Cgs) || !Lookup(kv, "Cgg", p.Cgg)) {
    return GraphReadStatus::Unreadable;
  }
  // Each regression's own line: the first's slope is A of its variable; the second's is B.
  g.First.As = p.As;
  g.First.Ag = p.Ag;
  g.Second.As = p.Bs;
  g.Second.Ag = p.Bg;

  // Statistics blocks in report order: the first regression (all data, then its segments), the
  // relation between the two variables, then the second regression.
  const auto blocks = StatisticsBlocks(lines, summary);
  size_t next = 0;
  if (!ReadRegressionStatistics(lines, blocks, next, g.First)) return GraphReadStatus::Unreadable;
  ++next;  // the relation of the independent variables
  if (!ReadRegressionStatistics(lines, blocks, next, g.Second)) return GraphReadStatus::Unreadable;
  size_t table = 0;
  for (GraphRegression* r : {&g.First, &g.Second}) {
    if (r->Type < 2) continue;
    table = FindLine(lines, " Parameters for function type", table, summary);
    if (table >= summary) return GraphReadStatus::Unreadable;
    ReadParameterTable(ParameterValueLines(lines, table), r->Type, *r);
    ++table;
  }
  return ReadDataTable(lines, summary, g);
}

// ---------------------------------------------------------------------------------------------
// Partial regression outputs.

GraphReadStatus ParsePartialGraphData(const std::vector<std::string>& lines, GraphData& g) {
  if (FirstFour(lines, 2) != " THI") return GraphReadStatus::NotThisKind;
  g.Family = OutputFamily::Partial;
  if (!ReadTitlesAndConfidence(lines, g)) return GraphReadStatus::Unreadable;
  const size_t summary = FindLine(lines, " SUM");
  if (summary + 1 >= lines.size()) return GraphReadStatus::Unreadable;
  g.OutputTag = std::string(FirstFour(lines, summary + 1));
  if (g.OutputTag != " Fun") return GraphReadStatus::Unreadable;
  const GraphReadStatus status = ParseOneVariableBody(lines, summary, g);
  if (status != GraphReadStatus::Ok) return status;

  GraphPartial p;
  p.Type = g.First.Type;
  p.Threshold = g.First.Breakpoint;
  if (p.Type == 3 || p.Type == 4) {
    const size_t table = FindLine(lines, " Parameters for function type", 0, summary);
    const auto v = ParameterValueLines(lines, table);
    // An older layout stops after the explanation line or earlier: fall back as the earlier
    // program did and say so once.
    if (v.size() < 4 || v[3].size() < 3) {
      g.First.CE = 0.5;
      g.StoredCE = 0.5;
      g.OlderFile = true;
    } else if (v[3].size() >= 4) {
      p.CentralCE = v[3][3];
    }
    if (v.size() >= 5 && v[4].size() >= 4) {
      p.ConfLeft = v[4][0];
      p.ConfRight = v[4][1];
      p.OtherLevel = v[4][2];
      p.OtherThreshold = v[4][3];
      // The other end's level is written as 0 when no level was found there (an exact 0 level
      // is written as 0.0001), so a threshold at or below 0 is a threshold like any other.
      p.OtherFound = p.OtherLevel != 0;
    } else {
      p.ConfLeft = p.Threshold * 0.9;
      p.ConfRight = p.Threshold * 1.1;
      g.OlderFile = true;
    }
    if (v.size() >= 6 && v[5].size() >= 2) {
      p.OtherConfLow = v[5][0];
      p.OtherConfHigh = v[5][1];
    } else {
      p.OtherConfLow = p.OtherThreshold * 0.95;
      p.OtherConfHigh = p.OtherThreshold * 1.05;
      g.OlderFile = true;
    }
  }
  g.Partial = p;
  return GraphReadStatus::Ok;
}

// ---------------------------------------------------------------------------------------------
// Curve outputs.

bool ReadCurveParameters(const std::vector<std::string>& lines, CurveKind kind, GraphCurve& c) {
  const size_t tableAt = FindLine(lines, "Serial Nr.");
  std::multimap<std::string, double> kv;
  bool reduction = false;
  for (size_t i = 2; i < std::min(tableAt, lines.size()); ++i) {
    if (StartsWith(lines[i], " Reduction term")) reduction = true;
    CollectKeyValues(lines[i], kv);
  }
  c = GraphCurve();
  c.Kind = kind;
  auto need = [&](const char* key, double& v) { return Lookup(kv, key, v); };
  double shift = 0;
  switch (kind) {
    case CurveKind::Quadratic:
    case CurveKind::Cubic:
      if (!need("A", c.A) || !need("B", c.B) || !need("C", c.C)) return false;
      if (kind == CurveKind::Cubic && !need("D", c.D)) return false;
      if (!need("E", c.Exponent)) c.Exponent = 1;
      if (need("Xmin", shift) || need("Zmin", shift)) {
        c.Shifted = true;
        c.Shift = shift;
      }
      break;
    case CurveKind::Power:
      if (!need("C", c.Shift) || !need("P", c.Exponent) || !need("A", c.A) || !need("B", c.B)) {
        return false;
      }
      c.Shifted = true;
      break;
    case CurveKind::Logistic:
    case CurveKind::Gumbel:
    case CurveKind::InvertedGumbel:
      if (!need("Ymax", c.Ymax) || !need("Ymin", c.Ymin) || !need("E", c.Exponent) ||
          !need("A", c.A) || !need("B", c.B)) {
        return false;
      }
      if (reduction) {
        if (!need("C", c.Shift)) return false;
        c.Shifted = true;
      }
      break;
    case CurveKind::Fisk:
      if (!need("C", c.C) || !need("A", c.A) || !need("B", c.B)) return false;
      if (need("D", shift)) {
        c.Shifted = true;
        c.Shift = shift;
      }
      break;
  }
  return true;
}

GraphReadStatus ParseCurveGraphData(const std::vector<std::string>& lines, GraphData& g) {
  const std::string code(FirstFour(lines, 1));
  const auto kind = CurveKindOfCode(code);
  if (!kind) return GraphReadStatus::NotThisKind;
  g.Family = OutputFamily::Curve;
  g.OutputTag = code;
  // The titles are the first two lines after the blank line under the file name; the Fisk
  // report puts a line " *" before them.
  size_t t = 3;
  if (t < lines.size() && lines[t] == " *") ++t;
  if (t + 1 >= lines.size()) return GraphReadStatus::Unreadable;
  g.Title1 = ReduceDoubleBlanks(lines[t]);
  g.Title2 = ReduceDoubleBlanks(lines[t + 1]);
  // Curve tables are always printed at 90 %.
  g.ConfidencePercent = 90;
  g.ConfidenceT = 1.75;

  GraphCurve curve;
  if (!ReadCurveParameters(lines, *kind, curve)) return GraphReadStatus::Unreadable;
  const size_t heading = FindLine(lines, "Serial Nr.");
  if (heading + 2 >= lines.size()) return GraphReadStatus::TooFewRows;
  const auto columns = SplitTokens(lines[heading]);
  curve.IsZ = columns.size() > 2 && columns[2] == "Zvalue";
  g.TableVariable = curve.IsZ ? "Z" : "X";

  // The coefficient of explanation: ExplCoeff(Yc,X) or (Yc,Z).
  std::multimap<std::string, double> kv;
  for (size_t i = 2; i < heading; ++i) CollectKeyValues(lines[i], kv);
  bool ce = false;
  for (const auto& [key, value] : kv) {
    if (StartsWith(key, "ExplCoeff")) {
      g.StoredCE = value;
      ce = true;
      break;
    }
  }
  if (!ce) return GraphReadStatus::Unreadable;

  std::vector<double> v;
  for (size_t i = heading + 2; i < lines.size(); ++i) {
    if (StartsWith(lines[i], " #")) break;
    const auto tokens = SplitTokens(lines[i]);
    int serial = 0;
    if (tokens.size() < 6 || !ParseInt32(tokens[0], serial)) break;
    bool ok = true;
    v.assign(5, 0.0);
    for (size_t k = 0; k < 5 && ok; ++k) ok = ParseFiniteNumber(tokens[k + 1], v[k]);
    if (!ok) break;
    g.GraphX.push_back(v[0]);
    g.GraphY.push_back(v[1]);
    g.GraphYcalc.push_back(v[2]);
    g.GraphLower.push_back(v[3]);
    g.GraphUpper.push_back(v[4]);
    g.Added.push_back(false);
  }
  g.NrOfRows = static_cast<int32_t>(g.GraphX.size());
  g.GraphZ.assign(g.GraphX.size(), 0.0);
  g.GraphResidual.assign(g.GraphX.size(), 0.0);
  g.First.Type = 1;
  g.First.CE = g.StoredCE;
  g.Curve = curve;
  return g.NrOfRows < 3 ? GraphReadStatus::TooFewRows : GraphReadStatus::Ok;
}

// ---------------------------------------------------------------------------------------------
// The readers on files.

GraphReadStatus ParseBrokenLineGraphData(const std::vector<std::string>& lines, GraphData& g) {
  g = GraphData{};
  if (FirstFour(lines, 2) != " Bro") return GraphReadStatus::NotThisKind;
  g.Family = OutputFamily::BrokenLine;
  g.OutputTag = " Bro";
  if (!ReadTitlesAndConfidence(lines, g)) return GraphReadStatus::Unreadable;
  GraphBrokenLine b;
  // The breakpoint table: number, value, standard error, limits, "a to b".
  const size_t head = FindLine(lines, "   Nr.      BP");
  for (size_t i = head + 1; head < lines.size() && i < lines.size(); ++i) {
    const auto t = SplitTokens(lines[i]);
    double v[6];
    // Words may follow the interval (where it reaches the end of the range).
    if (t.size() < 8 || t[6] != "to") break;
    bool ok = true;
    for (size_t k = 0, at = 1; k < 6 && ok; ++k, at += (at == 5 ? 2 : 1)) ok = ParseFiniteNumber(t[at], v[k]);
    if (!ok) return GraphReadStatus::Unreadable;
    b.Breakpoints.push_back(v[0]);
    b.LowerLimits.push_back(v[2]);
    b.UpperLimits.push_back(v[3]);
    b.LikelihoodLower.push_back(v[4]);
    b.LikelihoodUpper.push_back(v[5]);
  }
  const size_t summary = FindLine(lines, " SUMMARY OF THE BROKEN-LINE");
  if (summary >= lines.size()) return GraphReadStatus::Unreadable;
  // The equations: "     A1 = …      C1 = …", one line per segment.
  for (size_t i = summary; i < lines.size(); ++i) {
    const auto t = SplitTokens(lines[i]);
    if (t.size() != 6 || t[0].front() != 'A' || t[1] != "=" || t[4] != "=") continue;
    double a = 0, c = 0;
    if (!ParseFiniteNumber(t[2], a) || !ParseFiniteNumber(t[5], c)) return GraphReadStatus::Unreadable;
    b.Slopes.push_back(a);
    b.Intercepts.push_back(c);
  }
  if (b.Slopes.size() != b.Breakpoints.size() + 1) return GraphReadStatus::Unreadable;
  const size_t ce = FindLine(lines, " Expl.Coeff. of the broken line");
  if (ce < lines.size()) NumberAfter(lines[ce], ':', g.StoredCE);
  g.BrokenLine = std::move(b);
  return ReadDataTable(lines, summary, g);
}

namespace {

using Parser = GraphReadStatus (*)(const std::vector<std::string>&, GraphData&);

bool ReadWith(TDMVornax& data, UserDialogs& dialogs, Parser parse, const char* notThisKind) {
  std::string reason;
  auto lines = ReadTextLines(data.FileName, reason);
  if (!lines) {
    dialogs.ShowMessage(OutputFileOpenMessage(data.FileName));
    return false;
  }
  GraphData g;
  switch (parse(lines->Lines, g)) {
    case GraphReadStatus::Ok:
      break;
    case GraphReadStatus::NotThisKind:
    case GraphReadStatus::Unreadable:
      dialogs.ShowMessage(notThisKind);
      return false;
    case GraphReadStatus::TooFewRows:
      dialogs.ShowMessage(kNoGraphDataMessage);
      return false;
  }
  if (g.OlderFile && !data.OlderFileShown) {
    dialogs.ShowMessage(kOlderOutputMessage);
    data.OlderFileShown = true;
  }
  data.Graph = std::move(g);
  return true;
}

}  // namespace

bool ReadSegmentedGraphData(TDMVornax& data, UserDialogs& dialogs) {
  return ReadWith(data, dialogs, ParseSegmentedGraphData, kNotSegmentedOutputMessage);
}

bool ReadPartialGraphData(TDMVornax& data, UserDialogs& dialogs) {
  return ReadWith(data, dialogs, ParsePartialGraphData, kNotPartialOutputMessage);
}

bool ReadCurveGraphData(TDMVornax& data, UserDialogs& dialogs) {
  return ReadWith(data, dialogs, ParseCurveGraphData, kNoGraphDataMessage);
}

bool ReadGraphData(TDMVornax& data, UserDialogs& dialogs) {
  if (!ReadOutputKind(data, dialogs)) return false;
  switch (OutputFamilyOf(data.OutputKind)) {
    case OutputFamily::Curve:
      return ReadCurveGraphData(data, dialogs);
    case OutputFamily::Partial:
      return ReadPartialGraphData(data, dialogs);
    case OutputFamily::BrokenLine:
      return ReadWith(data, dialogs, ParseBrokenLineGraphData, kNoGraphDataMessage);
    case OutputFamily::Segmented:
    case OutputFamily::Unknown:
      return ReadSegmentedGraphData(data, dialogs);
  }
  return false;
}

}  // namespace vornax
