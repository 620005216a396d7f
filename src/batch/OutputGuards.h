// What vornax-batch checks before it writes: that no output takes the place of the input, of
// another output or of a file it did not write, that the folders exist and take files, and that
// a refused run leaves the files beside the data as it found them.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vornax::batch {

// A file the run reads or writes, with the words that name it in a message.
struct NamedFile {
  std::filesystem::path Path;
  std::string Role;  // "the input", "the report", ...
};

// Whether `a` and `b` name the same file (existing or not).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Why the file an option names cannot be written, or "" when it can: its folder is missing or
// takes no files, or it is one of `taken` (the input, the run's own files, the other option's
// file). `alsoWritten` is a second name the option may write under (a graph's .bmp).
std::string CheckOptionFile(const std::string& option, const std::filesystem::path& path,
                            const std::vector<std::filesystem::path>& alsoWritten,
                            const std::vector<NamedFile>& taken);

// Why the run may not replace `path`, or "" when it may: nothing is there, or a file this
// program wrote (FreeToReplace), or `overwrite` was given and it is a file. Otherwise the refusal
// names the file and --overwrite; `elsewhere` says the other way out ("--output-dir to
// write elsewhere").
std::string NotOursToReplace(const std::filesystem::path& path, bool overwrite,
                             const std::string& elsewhere);

// Why nothing can be written into `folder` (the system's reason), or "" when it can.
std::string FolderNotWritable(const std::filesystem::path& folder);

// Whether `inputFile` is the input file this program wrote from the table named `tableName`
// (its title line says "Imported from NAME"): rerunning the table may replace it.
bool WrittenFromTable(const std::filesystem::path& inputFile, const std::string& tableName);

// The earlier outputs beside the data, taken note of before a run; after a refusal Report()
// says which of them the run removed and which, not being this program's, it left.
class EarlierOutputs {
 public:
  explicit EarlierOutputs(std::vector<std::filesystem::path> paths);
  void Report(std::ostream& err) const;

 private:
  std::vector<std::filesystem::path> existed_;
};

// NAME.inp as it was before the run writes it, so that a refused run leaves none behind (or
// the earlier one as it was).
class InputFileGuard {
 public:
  InputFileGuard() = default;
  explicit InputFileGuard(std::filesystem::path path);
  void Restore() const;

 private:
  std::filesystem::path path_;
  std::optional<std::string> before_;
};

// The files a run may replace, kept as they were until it has ended (under a second name beside
// each: a hard link, or a copy where the file system takes none). PutBack() leaves every one as
// before the run, the earlier file back in place or, where there was none, none; Discard()
// drops what was kept, as the destructor does.
class KeptFiles {
 public:
  KeptFiles() = default;
  explicit KeptFiles(const std::vector<std::filesystem::path>& paths);
  ~KeptFiles();
  KeptFiles(KeptFiles&& other) noexcept;
  KeptFiles& operator=(KeptFiles&& other) noexcept;
  KeptFiles(const KeptFiles&) = delete;
  KeptFiles& operator=(const KeptFiles&) = delete;

  void PutBack();
  void Discard();

 private:
  struct Kept {
    std::filesystem::path Path;
    std::filesystem::path Copy;  // empty: there was no file (or none could be kept)
    bool Existed = false;
  };
  std::vector<Kept> kept_;
};

// Whether the analysis refused the options given for these data (a fixed breakpoint or a search
// range outside them, more breakpoints than they hold) rather than the data themselves.
bool RefusedForTheOptions(const std::vector<std::string>& shown);

// Whether the analysis refused the data as unfit (too few data sets, no variation, values out
// of range) rather than finding no result in them.
bool RefusedAsUnfit(const std::vector<std::string>& shown);

}  // namespace vornax::batch
