// The groups of a long table: one run per group, side by side, collected in group order.
#include "batch/GroupRun.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#include "batch/BatchCommand.h"
#include "batch/GroupResults.h"
#include "batch/OutputGuards.h"
#include "data/TextFile.h"
#include "run/MemoryRun.h"

namespace vornax::batch {
namespace {

namespace fs = std::filesystem;

// The length of the UTF-8 character that starts at text[at] (2 to 4), or 0 when the bytes there
// are no whole, well-formed character of more than one byte.
size_t Utf8Length(const std::string& text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                        : lead >= 0xE0                 ? 3
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                                                       : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  }
  return length;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// 2000 as "2,000".
std::string Thousands(size_t n) {
  std::string digits = std::to_string(n);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

// The data sets of a group as numbers, in table order.
GridValues GroupValues(const ImportedTable& table, const std::vector<size_t>& rows) {
  const GridValues& all = table.Values;
  GridValues values;
  values.Y.reserve(rows.size());
  values.X.reserve(rows.size());
  for (size_t r : rows) {
    values.Y.push_back(all.Y[r]);
    values.X.push_back(all.X[r]);
    if (!all.Z.empty()) values.Z.push_back(all.Z[r]);
    if (!all.Weight.empty()) values.Weight.push_back(all.Weight[r]);
  }
  return values;
}

}  // namespace

std::string GroupDisplayName(const std::string& value) {
  return value.empty() ? "(empty)" : value;
}

std::vector<std::string> SafeGroupFileNames(const std::vector<std::string>& values) {
  constexpr size_t kMaxBytes = 100;
  std::vector<std::string> names;
  std::set<std::string> taken;  // in lower case
  for (const std::string& value : values) {
    const std::string shown = GroupDisplayName(value);
    std::string name;
    for (size_t at = 0; at < shown.size() && name.size() < kMaxBytes;) {
      const unsigned char c = static_cast<unsigned char>(shown[at]);
      if (std::isalnum(c) || c == '-' || c == '_' || (c == '.' && !name.empty())) {
        name += static_cast<char>(c);
        ++at;
      } else if (const size_t length = c >= 0x80 ? Utf8Length(shown, at) : 0;
                 length > 0 && name.size() + length <= kMaxBytes) {
        name += shown.substr(at, length);
        at += length;
      } else {
        name += '_';
        at += c >= 0x80 && Utf8Length(shown, at) > 0 ? Utf8Length(shown, at) : 1;
      }
    }
    std::string unique = name;
    for (int n = 2; taken.count(Lower(unique)) > 0; ++n) unique = name + "-" + std::to_string(n);
    taken.insert(Lower(unique));
    names.push_back(unique);
  }
  return names;
}

GroupOutcome RunGroup(const GroupRunSetup& setup, const ImportedTable& table, uint32_t group,
                      const std::vector<size_t>& rows, size_t rowsLeftOut) {
  GroupOutcome outcome;
  const std::string& value = table.Groups[group];
  outcome.Group = value;
  outcome.RowsUsed = rows.size();
  outcome.RowsLeftOut = rowsLeftOut;
  if (rows.empty()) {
    outcome.Reason = "no complete data rows: each row misses a value in a column used";
    return outcome;
  }
  try {
    GridInput grid = GridHeading(table, setup.TableName);
    grid.Title1 += ", " + table.ByName + " " + GroupDisplayName(value);
    MemoryRunSetup run = setup;
    // Without reports only the group's numbers are wanted: the analysis fills them without
    // putting its report's text together, and its files stay in memory.
    const bool reports = !setup.ReportFolder.empty();
    run.FilesOnDisk = reports;
    const std::string name = group < setup.FileNames.size() ? setup.FileNames[group]
                                                            : SafeGroupFileNames({value}).front();
    const fs::path inputPath =
        (reports ? setup.ReportFolder : fs::path()) / (setup.FileStem + "-" + name + ".inp");
    MemoryRunOutcome ran = RunInMemory(run, grid, GroupValues(table, rows), inputPath);
    if (!ran.Analysed) {
      outcome.Reason = ran.Reason();
      if (outcome.Reason.empty()) outcome.Reason = "the analysis gave no report";
      return outcome;
    }
    outcome.Result = std::move(ran.Result);
    outcome.Options = std::move(ran.Options);
    if (reports) outcome.ReportPath = ran.OutputPath;
    outcome.Analysed = true;
  } catch (const std::bad_alloc&) {
    outcome.Analysed = false;
    outcome.Reason = "not enough memory for this group";
  } catch (const std::exception& e) {
    outcome.Analysed = false;
    outcome.Reason = std::string("the run stopped: ") + e.what();
  }
  return outcome;
}

bool RunInOrder(size_t count, int threads, const std::function<FinishedGroup(size_t)>& job,
                const std::function<bool(FinishedGroup&&)>& take,
                const std::function<void(size_t done, double seconds)>& progress,
                double interval) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  std::mutex mutex;
  std::condition_variable allDone;
  std::vector<std::optional<FinishedGroup>> ready(count);
  std::atomic<size_t> next{0};
  size_t taken = 0;  // under `mutex`, as are the two below
  bool ok = true;
  int running = std::max(threads, 1);
  // The worker that finishes the job next in order hands it on, with those after it that are
  // done: no thread is woken for every job, which with thousands of small jobs would cost more
  // than the handing on itself.
  auto work = [&]() {
    for (size_t i = next++; i < count; i = next++) {
      FinishedGroup result = job(i);
      const std::lock_guard<std::mutex> lock(mutex);
      if (!ok) break;
      ready[i] = std::move(result);
      while (ok && taken < count && ready[taken]) {
        FinishedGroup finished = std::move(*ready[taken]);
        ready[taken].reset();
        ok = take(std::move(finished));
        ++taken;
      }
      if (!ok) {
        next = count;  // no further job starts
        break;
      }
    }
    const std::lock_guard<std::mutex> lock(mutex);
    if (--running == 0) allDone.notify_all();
  };
  std::vector<std::thread> workers;
  for (int t = 0; t < std::max(threads, 1); ++t) workers.emplace_back(work);

  double lastShown = 0;
  {
    std::unique_lock<std::mutex> lock(mutex);
    const auto wait = std::chrono::duration<double>(std::clamp(interval, 0.001, 0.1));
    while (running > 0) {
      allDone.wait_for(lock, wait);
      const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      if (progress && running > 0 && seconds - lastShown >= interval) {
        lastShown = seconds;
        const size_t done = taken;
        lock.unlock();
        progress(done, seconds);
        lock.lock();
      }
    }
  }
  for (std::thread& worker : workers) worker.join();
  return ok;
}

int RunGroupsCommand(const GroupCommand& command, std::ostream& out, std::ostream& err) {
  auto usage = [&](const std::string& text) {
    err << "vornax-batch: " << text << '\n';
    return kExitUsage;
  };
  ImportedTable table;
  std::string error;
  ImportChoices columns = command.Columns;
  columns.AsValues = true;  // a long table is held as numbers, not as the text of its cells
  if (!ImportTable(command.Input, columns, table, error)) return usage(error);
  if (!command.Quiet) {
    err << ColumnsUsedLine(table) << ", groups = " << table.ByName
        << (table.RowNamesSkipped ? " (the first column holds row names and is left aside)" : "")
        << '\n';
    const std::string leftOutLine = LeftOutLine(table);
    if (!leftOutLine.empty()) err << leftOutLine << '\n';
  }

  GroupRunSetup setup;
  setup.Options.WeightsUsed = table.HasWeights;
  const std::string problem =
      command.ApplyChoices(table.NrOfVarInData, setup.Options, setup.Option);
  if (!problem.empty()) return usage(problem);
  setup.ConfidencePercent = command.ConfidencePercent;
  setup.TransformAnswer = command.TransformAnswer;
  setup.Permutations = command.Permutations;
  setup.StopAfter = command.StopAfter;
  setup.Seed = command.Seed;
  setup.Analyses = command.Analyses;
  setup.TableName = command.Input.filename().string();
  setup.FileStem = command.Input.stem().string();
  if (command.Reports) setup.ReportFolder = command.Folder.empty() ? fs::path(".") : command.Folder;
  setup.FileNames = SafeGroupFileNames(table.Groups);

  // The rows of every group, read once; the groups keep the order in which they first appear.
  const size_t groups = table.Groups.size();
  std::vector<std::vector<size_t>> rows(groups);
  std::vector<size_t> leftOut(groups, 0);
  for (size_t r = 0; r < table.GroupOfRow.size(); ++r) rows[table.GroupOfRow[r]].push_back(r);
  for (uint32_t g : table.GroupOfLeftOut) ++leftOut[g];

  // No report may take the place of the table or of another output of this command, nor of a
  // file this program did not write (unless --overwrite).
  if (command.Reports) {
    const std::vector<std::string>& names = setup.FileNames;
    std::vector<NamedFile> others = {{command.Input, "the input"}};
    if (!command.Results.empty()) others.push_back({command.Results, "--results"});
    if (!command.JsonLines.empty()) others.push_back({command.JsonLines, "--json-lines"});
    const bool partial = setup.Options.PartialX || setup.Options.PartialZ;
    for (const std::string& name : names) {
      for (const char* extension : {".out", ".var", ".txt"}) {
        if (std::string(extension) == ".txt" && !partial) continue;  // only a partial run's
        const fs::path report = setup.ReportFolder / (setup.FileStem + "-" + name + extension);
        for (const NamedFile& other : others) {
          if (SameFile(report, other.Path)) {
            return usage("the report \"" + PathText(report) + "\" would take the place of " +
                         other.Role + " \"" + PathText(other.Path) +
                         "\"; choose another name or use --output-dir");
          }
        }
        const std::string problem =
            NotOursToReplace(report, command.Overwrite, "--output-dir to write elsewhere");
        if (!problem.empty()) return usage(problem);
      }
    }
  }

  StreamedFile results, lines;
  if (!command.Results.empty() && !results.Open(command.Results, error)) {
    return usage("the file \"" + command.Results + "\" could not be written\n" + error);
  }
  if (!command.JsonLines.empty() && !lines.Open(command.JsonLines, error)) {
    return usage("the file \"" + command.JsonLines + "\" could not be written\n" + error);
  }
  if (results.IsOpen() && !results.Write(ResultsTableHeader(), error)) {
    return usage("the file \"" + command.Results + "\" could not be written\n" + error);
  }

  size_t analysed = 0;
  std::string failedFile;
  auto job = [&](size_t g) {
    const GroupOutcome outcome =
        RunGroup(setup, table, static_cast<uint32_t>(g), rows[g], leftOut[g]);
    FinishedGroup finished;
    finished.Analysed = outcome.Analysed;
    if (results.IsOpen()) finished.Row = ResultsTableRow(outcome);
    if (lines.IsOpen()) finished.JsonLine = GroupJsonLine(outcome);
    return finished;
  };
  auto take = [&](FinishedGroup&& finished) {
    if (finished.Analysed) ++analysed;
    if (results.IsOpen() && !results.Write(finished.Row, error)) {
      failedFile = command.Results;
      return false;
    }
    if (lines.IsOpen() && !lines.Write(finished.JsonLine, error)) {
      failedFile = command.JsonLines;
      return false;
    }
    return true;
  };
  auto progress = [&](size_t done, double seconds) {
    if (!command.Quiet && seconds >= 2) {
      err << Thousands(done) << " of " << Thousands(groups) << " groups" << std::endl;
    }
  };
  const int cores =
      command.Threads > 0 ? command.Threads
                          : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int threads = static_cast<int>(std::min<size_t>(static_cast<size_t>(cores), groups));
  // Fewer groups than cores leave the break test the cores the groups do not use.
  setup.BreakTestThreads = std::max(cores / std::max(threads, 1), 1);
  if (!RunInOrder(groups, threads, job, take, progress)) {
    return usage("the file \"" + failedFile + "\" could not be written\n" + error);
  }
  if (results.IsOpen() && !results.Commit(error)) {
    return usage("the file \"" + command.Results + "\" could not be written\n" + error);
  }
  if (lines.IsOpen() && !lines.Commit(error)) {
    return usage("the file \"" + command.JsonLines + "\" could not be written\n" + error);
  }
  if (!command.Quiet) {
    err << Thousands(analysed) << " of " << Thousands(groups) << " groups analysed";
    if (analysed < groups) err << "; the column reason says why the others could not be";
    err << '\n';
  }
  if (!command.Results.empty()) out << command.Results << '\n';
  if (!command.JsonLines.empty()) out << command.JsonLines << '\n';
  return kExitDone;
}

}  // namespace vornax::batch
