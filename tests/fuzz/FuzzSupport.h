// What every fuzz target shares: dialogs that answer and forget, and a private scratch folder in
// which the fuzzer's bytes become the file a reader is given.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "anova/Anova.h"
#include "data/GraphDataReader.h"
#include "data/RunOptions.h"
#include "data/TextFile.h"
#include "data/UserDialogs.h"

namespace vornax::fuzz {

// Progress lines are dropped and messages kept for the checks of a target; every question is
// answered yes, as a user clicking through would.
class SilentDialogs : public UserDialogs {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::string& question) override {
    seen += question.size();
    return true;
  }
  void ShowProgress() override {}
  void AddProgress(const std::string& line) override { seen += line.size(); }
  void HideProgress() override {}
  void Pause(int) override {}

  std::vector<std::string> messages;
  size_t seen = 0;  // keeps the optimiser from dropping the texts unbuilt
};

// One scratch folder per fuzzing process, made on first use under TMPDIR (or /tmp) and reused
// for every input: the targets write the same few names again and again. It goes when the
// process ends normally; after a crash it stays, with the files of the input that crashed.
inline const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                          "/vornax-fuzz.XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("vornax fuzz: cannot make a scratch folder");
      std::abort();
    }
    return std::filesystem::path(pattern);
  }();
  static const bool cleanupRegistered = [] {
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(folder, ec);
    });
    return true;
  }();
  (void)cleanupRegistered;
  return folder;
}

// Writes the bytes as they are (no line-end translation) to `name` in the scratch folder.
inline std::filesystem::path WriteScratchFile(const std::string& name, const uint8_t* bytes,
                                              size_t size) {
  const std::filesystem::path path = ScratchFolder() / name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    std::perror("vornax fuzz: cannot write a scratch file");
    std::abort();
  }
  if (size > 0 && std::fwrite(bytes, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

// Removes the file and what a run may have left beside it (".out", ".var"), so one input cannot
// lean on the files of the one before.
inline void RemoveCompanions(const std::filesystem::path& path) {
  std::error_code ec;
  for (const char* ext : {".inp", ".out", ".var"}) {
    std::filesystem::path p = path;
    p.replace_extension(ext);
    std::filesystem::remove(p, ec);
  }
}

// The first line of a report that shows Inf or NaN, outside the titles (the user's free text
// may say anything). Null when there is none.
inline const std::string* NonFiniteLine(const std::string& file, const std::string& title1,
                                 const std::string& title2) {
  static std::vector<std::string> lines;
  auto read = ReadTextLines(file);
  if (!read) std::abort();
  lines = std::move(*read);
  for (const std::string& line : lines) {
    if ((!title1.empty() && line.find(title1) != std::string::npos) ||
        (!title2.empty() && line.find(title2) != std::string::npos)) {
      continue;
    }
    for (std::string_view token : SplitTokens(line)) {
      if (token == "Inf" || token == "-Inf" || token == "NaN") return &line;
    }
  }
  return nullptr;
}

// One graph-data reader on arbitrary bytes: it never crashes or reads out of bounds, a read that
// succeeds has at least three rows with every array of that length and finite values, and the
// data set is never touched.
inline int CheckGraphDataRead(const uint8_t* bytes, size_t size,
                              bool (*read)(TDMVornax&, UserDialogs&)) {
  const auto path = WriteScratchFile("graph.out", bytes, size);
  TDMVornax data;
  data.FileName = path.string();
  data.Resize(5);
  data.NrOfData = 5;
  SilentDialogs dialogs;
  if (!read(data, dialogs)) return 0;
  const GraphData& g = data.Graph;
  const size_t n = static_cast<size_t>(g.NrOfRows);
  if (g.NrOfRows < 3 || data.NrOfData != 5 || data.XData.size() != 5) std::abort();
  for (const auto* column : {&g.GraphX, &g.GraphY, &g.GraphZ, &g.GraphResidual, &g.GraphYcalc}) {
    if (column->size() != n) std::abort();
    for (double v : *column) {
      if (!std::isfinite(v)) std::abort();
    }
  }
  if (g.Added.size() != n || g.ConfidenceT < 1.7 || g.ConfidenceT > 2.6) std::abort();
  return 0;
}


// After a segmented run that went through: neither its report nor the ANOVA table made from its
// own variance file may show an overflowed or undefined number (a report that looks like a
// result and is none), and the ANOVA may refuse the file only for a Y without variation.
inline void CheckSegmentedRunFiles(const std::filesystem::path& path, TDMVornax& data,
                                   RunOptions& options, const std::string& title1,
                                   const std::string& title2) {
  // A run that went through must not have printed an overflowed or undefined number: that
  // would be a report that looks like a result and is none.
  const std::string outPath = WithExtension(path, ".out").string();
  if (const std::string* bad = NonFiniteLine(outPath, title1, title2)) {
    std::fprintf(stderr, "non-finite number in the report: %s\n", bad->c_str());
    std::abort();
  }
  // The variance file the run left must make an ANOVA table, as the next step of a run does:
  // the only refusal allowed is a Y without variation.
  SilentDialogs anovaDialogs;
  MakeSegmentedAnova(data, options, anovaDialogs);
  for (const std::string& message : anovaDialogs.messages) {
    if (message.rfind("Please check the Anova table", 0) != 0 &&
        message != "There is no variation. Variance analysis is not done.") {
      std::fprintf(stderr, "ANOVA refused the run's own variance file: %s\n", message.c_str());
      std::abort();
    }
  }
  if (const std::string* bad = NonFiniteLine(WithExtension(path, ".var").string(), "", "")) {
    std::fprintf(stderr, "non-finite number in the ANOVA table: %s\n", bad->c_str());
    std::abort();
  }
}

}  // namespace vornax::fuzz
