// Reading and writing the input file.
//
// Reading parses the whole file into a scratch copy first and takes it over only when every line
// is good, so a damaged file never leaves a half-replaced data set behind and never ends the
// program. Writing goes through TextFileWriter, so the previous file survives a failed write.
#include "data/InputFile.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <system_error>
#include <vector>

#include "data/NumberFormat.h"
#include "data/TextFile.h"

namespace vornax {
namespace {

constexpr std::string_view kNrOfVarLabel = " Number of independent variables:  ";
constexpr std::string_view kNrOfDataLabel = " Number of data sets:  ";
constexpr std::string_view kFileNameLabel = " File name:  ";
// Characters skipped before the counts of lines 4 and 5 are read.
constexpr size_t kNrOfVarSkip = 33;
constexpr size_t kNrOfDataSkip = 22;
constexpr size_t kHeaderLineCount = 11;

std::string CorruptDetail(const std::string& path) {
  return "Real numbers in the inputfile \"" + path + "\" are corrupt";
}

// A count of line 4 or 5: the first token after the skipped label must be an integer.
// `column` is where that token stands (or should stand), counted from 1.
bool ReadCount(const std::string& line, size_t skip, int& value, size_t& column) {
  column = std::max(line.size(), skip) + 1;
  if (line.size() < skip) return false;
  const std::string_view rest = std::string_view(line).substr(skip);
  auto tokens = SplitTokens(rest);
  if (tokens.empty()) return false;
  column = skip + static_cast<size_t>(tokens.front().data() - rest.data()) + 1;
  return ParseInt32(tokens.front(), value);
}

bool HasWeightColumn(const std::string& headerLine8) {
  std::string compact;
  for (char c : headerLine8) {
    if (c != ' ' && c != '\t') compact.push_back(c);
  }
  const std::string_view word = "weight";
  return compact.size() >= word.size() &&
         std::string_view(compact).substr(compact.size() - word.size()) == word;
}

// A field that fills its width exactly would touch the previous one; one more blank keeps the
// record readable token by token.
std::string SeparatedField(std::string field) {
  if (!field.empty() && field.front() != ' ') field.insert(field.begin(), ' ');
  return field;
}

// Titles are single lines of the file: a line end inside one would shift every later line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// The system's reason at the end of a TextFileWriter error ("...: Permission denied").
std::string SystemReason(const std::string& error) {
  const size_t at = error.rfind(": ");
  return at == std::string::npos ? error : error.substr(at + 2);
}

// The data sets read from a file, held apart until the whole file has proved good.
struct ParsedInput {
  std::string title1, title2;
  int nrOfVar = 1;
  bool weights = false;
  bool singleIsZ = false;
  std::array<std::string, 6> headerLines;
  std::vector<int32_t> serial;
  std::vector<long double> y, x, z;
  std::vector<int32_t> weight;
};

}  // namespace

std::string InputFileOpenMessage(const std::string& path) {
  return "The file \"" + path + "\"could not be opened. It may be " +
         "in use by another program,  or the" + " programmer should incorporate more time.";
}

std::array<std::string, 6> InputHeaderLines(int nrOfVarInData, bool weightsUsed, bool singleIsZ) {
  const bool two = nrOfVarInData == 2;
  std::array<std::string, 6> h;
  h[0] = "";
  h[1] = two ? "                       First          Second" : "";
  if (two && weightsUsed) {
    h[2] = "          Dependent    independent    independent     weight";
    h[3] = "Serial    variable     variable       variable        factor";
    h[4] = "number    Y            X              Z";
    h[5] = std::string(60, '-');
  } else if (two) {
    h[2] = "          Dependent    independent    independent";
    h[3] = "Serial    variable     variable       variable";
    h[4] = "number    Y            X              Z";
    h[5] = std::string(49, '-');
  } else if (weightsUsed) {
    h[2] = "          Dependent    independent     weight";
    h[3] = "Serial    variable     variable        factor";
    h[4] = singleIsZ ? "number    Y            Z" : "number    Y            X";
    h[5] = std::string(45, '-');
  } else {
    h[2] = "          Dependent    independent";
    h[3] = "Serial    variable     variable";
    h[4] = singleIsZ ? "number    Y            Z" : "number    Y            X";
    h[5] = std::string(34, '-');
  }
  return h;
}

std::string InputRecordLine(int serial, double y, double x, const double* z, const int* weight) {
  std::string line = FormatInt(serial, 5) + " " + FormatRealLossless(y, 10);
  line += SeparatedField(FormatRealLossless(x, 13));
  if (z != nullptr) line += SeparatedField(FormatRealLossless(*z, 13));
  if (weight != nullptr) line += SeparatedField(FormatInt(*weight, 12));
  return line;
}

bool ReadInputFile(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  const std::string path = data.FileName;
  std::string reason;
  auto read = ReadTextLines(path, reason);
  if (!read) {
    // The system's reason goes on a line of its own: "could not be opened" alone leaves the
    // user guessing between a typing error, the permissions and a file that is not text.
    dialogs.ShowMessage(InputFileOpenMessage(path) + "\n" + reason);
    return false;
  }
  auto corrupt = [&](const std::string& where) {
    ShowProgramError(dialogs, CorruptDetail(path) + " (" + where + ")");
    return false;
  };
  size_t countColumn = 0;
  auto invalidCount = [&](int lineNumber) {
    dialogs.ShowMessage("Invalid numeric input (line " + std::to_string(lineNumber) +
                        ", column " + std::to_string(countColumn) + " of the inputfile \"" +
                        path + "\")");
    return false;
  };

  const std::vector<std::string>& l = read->Lines;
  if (l.size() < kHeaderLineCount) {
    return corrupt("the file ends after line " + std::to_string(l.size()));
  }
  ParsedInput in;
  in.title1 = l[0];
  in.title2 = l[1];
  if (!ReadCount(l[3], kNrOfVarSkip, in.nrOfVar, countColumn) || (in.nrOfVar != 1 && in.nrOfVar != 2)) {
    return invalidCount(4);
  }
  int announced = 0;  // checked against the records below; the records read win when more
  if (!ReadCount(l[4], kNrOfDataSkip, announced, countColumn)) return invalidCount(5);
  for (size_t i = 0; i < 6; ++i) in.headerLines[i] = l[5 + i];
  in.weights = HasWeightColumn(l[7]);
  in.singleIsZ = l[9].size() >= 24 && l[9].compare(22, 2, " Z") == 0;

  // Records: numbers are tokens separated by blanks, tabs or line ends, so a record may run on
  // over a line end; whatever follows its last number on that line is ignored.
  const size_t needed = 3 + (in.nrOfVar == 2 ? 1 : 0) + (in.weights ? 1 : 0);
  struct Token {
    std::string_view text;
    size_t line;    // 1-based
    size_t column;  // 1-based character position
  };
  size_t next = kHeaderLineCount;
  int64_t held = 0;  // data sets the records stand for, each counted by its weight factor
  std::string_view lastToken;
  size_t lastTokenLine = 0;
  for (;;) {
    while (next < l.size() && SplitTokens(l[next]).empty()) ++next;
    if (next >= l.size()) break;
    const size_t firstLine = next + 1;
    std::vector<Token> tokens;
    while (tokens.size() < needed && next < l.size()) {
      for (std::string_view t : SplitTokens(l[next])) {
        if (tokens.size() < needed) {
          tokens.push_back({t, next + 1, static_cast<size_t>(t.data() - l[next].data()) + 1});
        }
      }
      ++next;
    }
    if (tokens.size() < needed) {
      return corrupt("line " + std::to_string(firstLine) + ": the record is incomplete");
    }
    auto at = [&](const Token& t) {
      return "line " + std::to_string(t.line) + ", column " + std::to_string(t.column) + ": \"" +
             std::string(t.text) + "\"";
    };
    if (in.serial.size() >= static_cast<size_t>(INT32_MAX)) return corrupt(at(tokens[0]));
    size_t k = 0;
    int serial = 0;
    if (!ParseInt32(tokens[k].text, serial)) return corrupt(at(tokens[k]));
    ++k;
    double value[3] = {0, 0, 0};
    for (size_t v = 0; v < (in.nrOfVar == 2 ? 3u : 2u); ++v, ++k) {
      if (!ParseFiniteNumber(tokens[k].text, value[v])) return corrupt(at(tokens[k]));
    }
    int weight = 1;
    if (in.weights) {
      if (!ParseInt32(tokens[k].text, weight)) return corrupt(at(tokens[k]));
      ++k;
    }
    in.serial.push_back(serial);
    in.y.push_back(value[0]);
    in.x.push_back(value[1]);
    in.z.push_back(in.nrOfVar == 2 ? value[2] : 0.0);
    in.weight.push_back(weight);
    held += weight > 1 ? weight : 1;
    lastToken = tokens[k - 1].text;
    lastTokenLine = tokens[k - 1].line;
  }

  // A file cut short must not pass for a whole one. The program writes line 5 as the number of
  // data sets after weight expansion, so a file holding fewer has lost records (more records
  // than announced are taken as they are: the records read win).
  if (announced > held) {
    dialogs.ShowMessage("The inputfile \"" + path + "\" announces " + std::to_string(announced) +
                        " data sets on line 5, but its records hold only " +
                        std::to_string(held) +
                        ". The file may be incomplete; restore it, or correct line 5.");
    return false;
  }
  // Cut inside the last record: the program ends every line, and writes every real with a
  // decimal point and at least two decimals, so a last number without them has lost digits.
  if (!read->FinalLineEnded && lastTokenLine == l.size() && !in.weights) {
    const size_t point = lastToken.find('.');
    const bool whole = point != std::string_view::npos && lastToken.size() - point >= 3;
    if (!whole) {
      dialogs.ShowMessage("The inputfile \"" + path + "\" ends in the middle of line " +
                          std::to_string(lastTokenLine) + " (\"" + std::string(lastToken) +
                          "\"): the last record may be cut short. If it is complete, end the "
                          "line with a line end and run again.");
      return false;
    }
  }

  // The whole file is good: take it over.
  data.Title1 = std::move(in.title1);
  data.Title2 = std::move(in.title2);
  data.NrOfVar = in.nrOfVar;
  data.NrOfVarInData = in.nrOfVar;
  data.HeaderLines = std::move(in.headerLines);
  data.SingleIsZ = in.singleIsZ;
  data.SingleIsX = !in.singleIsZ;
  data.SerialNr = std::move(in.serial);
  data.YData = std::move(in.y);
  data.XData = std::move(in.x);
  data.ZData = std::move(in.z);
  data.WeightFactor = std::move(in.weight);
  data.ZSaved.clear();
  data.NrOfData = static_cast<int32_t>(data.SerialNr.size());
  data.GridRowCount = data.NrOfData;
  if (in.weights) options.WeightsUsed = true;
  return true;
}

bool WriteInputFile(TDMVornax& data, const RunOptions& options, UserDialogs& dialogs) {
  const int nrOfVar = data.NrOfVarInData == 2 ? 2 : 1;
  const bool weights = options.WeightsUsed;
  TextFileWriter out(data.FileName);
  out.WriteLine(OneLine(data.Title1));
  out.WriteLine(OneLine(data.Title2));
  out.WriteLine(std::string(kFileNameLabel) + OneLine(data.FileName));
  out.WriteLine(std::string(kNrOfVarLabel) + FormatInt(nrOfVar));
  out.WriteLine(std::string(kNrOfDataLabel) + FormatInt(data.NrOfData));
  data.HeaderLines = InputHeaderLines(nrOfVar, weights, data.SingleIsZ);
  for (const std::string& h : data.HeaderLines) out.WriteLine(h);

  size_t records = data.GridRowCount > 0 ? static_cast<size_t>(data.GridRowCount) : 0;
  for (size_t size : {data.YData.size(), data.XData.size()}) records = std::min(records, size);
  if (nrOfVar == 2) records = std::min(records, data.ZData.size());
  if (weights) records = std::min(records, data.WeightFactor.size());
  for (size_t i = 0; i < records; ++i) {
    // The arrays hold 64-bit values widened on entry, so narrowing back loses nothing.
    const double z = static_cast<double>(nrOfVar == 2 ? data.ZData[i] : 0.0L);
    const int weight = weights ? data.WeightFactor[i] : 1;
    out.WriteLine(InputRecordLine(static_cast<int>(i + 1), static_cast<double>(data.YData[i]),
                                  static_cast<double>(data.XData[i]),
                                  nrOfVar == 2 ? &z : nullptr, weights ? &weight : nullptr));
  }
  // A file that holds these very bytes already is left as it is, date and all.
  if (out.TargetHoldsText()) return true;
  if (!out.Commit()) {
    dialogs.ShowMessage(InputFileOpenMessage(data.FileName) + "\n" + SystemReason(out.Error()));
    return false;
  }
  return true;
}

}  // namespace vornax
