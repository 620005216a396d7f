// Helpers shared by the test suites: a recording UserDialogs, temporary folders, file access.
#pragma once

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/UserDialogs.h"

namespace vornax::test {

// Records every dialog text in order. Questions are answered from `answers`, then `defaultAnswer`.
class RecordingDialogs : public UserDialogs {
 public:
  struct Event {
    enum Kind { Message, Question, ProgressShown, Progress, ProgressHidden, Pause } kind;
    std::string text;
  };

  void ShowMessage(const std::string& text) override { events.push_back({Event::Message, text}); }
  bool AskYesNo(const std::string& question) override {
    events.push_back({Event::Question, question});
    if (answers.empty()) return defaultAnswer;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowProgress() override { events.push_back({Event::ProgressShown, {}}); }
  void AddProgress(const std::string& line) override { events.push_back({Event::Progress, line}); }
  void HideProgress() override { events.push_back({Event::ProgressHidden, {}}); }
  void Pause(int milliseconds) override {
    events.push_back({Event::Pause, std::to_string(milliseconds)});
  }

  // The texts of one kind of event, in order.
  std::vector<std::string> Texts(Event::Kind kind) const;
  std::vector<std::string> Messages() const { return Texts(Event::Message); }
  std::vector<std::string> ProgressLines() const { return Texts(Event::Progress); }

  std::vector<Event> events;
  std::deque<bool> answers;
  bool defaultAnswer = true;
};

// A fresh empty folder, removed with its contents when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The threshold data of the one-variable golden report (tests/golden/one_variable_reference.py):
// X = 0..29, Y level at 10 up to X = 15, then falling by 0.8 per unit, with a fixed wobble.
void LoadGoldenThreshold(TDMVornax& data);

// Whole file as bytes ("" when missing) / written as given (no line-end translation).
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// The first lines of an earlier run's report, ANOVA table and partial scan table: files of this
// program's, which a refused run of the same name removes (a file of anyone else's it leaves).
inline constexpr const char kStaleReport[] =
    " Results of program Vornax for the segmented linear regression of Y upon X.\r\n"
    " of other data\r\n";
inline constexpr const char kStaleAnova[] = " Variance Analysis, ANOVA table, Regression Type: 1\r\n";
inline constexpr const char kStaleScanTable[] =
    "/old/run.txt\r\n\r\n BP=breakpoint, Nr1 = number of data below BP\r\n";

// Lines of a file without line ends; empty when missing.
std::vector<std::string> ReadLines(const std::filesystem::path& path);

// Lines of a golden file under tests/golden.
std::vector<std::string> GoldenLines(const std::string& name);

}  // namespace vornax::test
