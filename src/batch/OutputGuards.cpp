// Guards of the files around a vornax-batch run.
#include "batch/OutputGuards.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "data/OwnFiles.h"
#include "data/TextFile.h"

namespace vornax::batch {

namespace fs = std::filesystem;

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(fs::absolute(a, ec), ec) ==
         fs::weakly_canonical(fs::absolute(b, ec), ec);
}

std::string FolderNotWritable(const fs::path& folder) {
  std::string probe = (folder / ".vornax-batch.XXXXXX").string();
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  ::unlink(probe.c_str());
  return {};
}

std::string NotOursToReplace(const fs::path& path, bool overwrite, const std::string& elsewhere) {
  if (FreeToReplace(path)) return {};
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(path, ec);
  if (overwrite && fs::is_regular_file(status)) return {};
  const std::string named = "\"" + PathText(path) + "\"";
  if (fs::is_directory(status)) {
    return "cannot write " + named + ": a folder of that name is in the way\n" + std::strerror(EISDIR);
  }
  return named + " already exists and is not a file this program wrote; it is left as it is. Use " +
         "--overwrite to replace it, or " + elsewhere + ".";
}

std::string CheckOptionFile(const std::string& option, const fs::path& path,
                            const std::vector<fs::path>& alsoWritten,
                            const std::vector<NamedFile>& taken) {
  const std::string named = option + " \"" + PathText(path) + "\"";
  std::vector<fs::path> written = {path};
  written.insert(written.end(), alsoWritten.begin(), alsoWritten.end());
  for (const fs::path& p : written) {
    for (const NamedFile& other : taken) {
      if (!other.Path.empty() && SameFile(p, other.Path)) {
        return named + " would take the place of " + other.Role + " \"" + PathText(other.Path) +
               "\"; choose another name";
      }
    }
  }
  std::error_code ec;
  if (fs::is_directory(path, ec)) return named + " is a folder; give a file name";
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  if (!fs::is_directory(folder, ec)) {
    const bool exists = fs::exists(folder, ec);
    return "cannot write " + named + ": " +
           (exists ? "\"" + PathText(folder) + "\" is not a folder"
                   : "the folder \"" + PathText(folder) + "\" does not exist") +
           "\n" + std::strerror(exists ? ENOTDIR : ENOENT);
  }
  const std::string reason = FolderNotWritable(folder);
  if (!reason.empty()) {
    return "cannot write " + named + " into the folder \"" + PathText(folder) + "\"\n" + reason;
  }
  return {};
}

bool WrittenFromTable(const fs::path& inputFile, const std::string& tableName) {
  std::ifstream in(inputFile, std::ios::binary);
  std::string first;
  if (!in || !std::getline(in, first)) return false;
  if (first.rfind("\xEF\xBB\xBF", 0) == 0) first.erase(0, 3);
  if (!first.empty() && first.back() == '\r') first.pop_back();
  return first == "Imported from " + tableName;
}

EarlierOutputs::EarlierOutputs(std::vector<fs::path> paths) {
  std::error_code ec;
  for (fs::path& p : paths) {
    if (fs::exists(p, ec)) existed_.push_back(std::move(p));
  }
}

void EarlierOutputs::Report(std::ostream& err) const {
  std::vector<std::string> removed;
  std::error_code ec;
  for (const fs::path& p : existed_) {
    if (!fs::exists(p, ec)) removed.push_back("\"" + PathText(p) + "\"");
  }
  if (!removed.empty()) {
    std::string list;
    for (size_t i = 0; i < removed.size(); ++i) {
      list += (i == 0 ? "" : i + 1 == removed.size() ? " and " : ", ") + removed[i];
    }
    err << "Removed " << list << " of an earlier run, which did not describe these data.\n";
  }
  for (const fs::path& p : existed_) {
    if (fs::exists(p, ec) && !WrittenByThisProgram(p)) err << LeftAsItIsNote(p) << '\n';
  }
}

InputFileGuard::InputFileGuard(fs::path path) : path_(std::move(path)) {
  std::error_code ec;
  if (!fs::exists(path_, ec)) return;
  std::ifstream in(path_, std::ios::binary);
  before_ = std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void InputFileGuard::Restore() const {
  if (path_.empty()) return;
  std::error_code ec;
  if (before_) {
    WriteFileAtomically(path_, *before_);
  } else {
    fs::remove(path_, ec);
  }
}

KeptFiles::KeptFiles(const std::vector<fs::path>& paths) {
  for (const fs::path& path : paths) {
    Kept k;
    k.Path = path;
    std::error_code ec;
    k.Existed = fs::exists(fs::symlink_status(path, ec));
    if (k.Existed) {
      std::string error;
      if (const auto copy = MakeTemporaryBeside(path, error)) {
        fs::remove(*copy, ec);
        fs::create_hard_link(path, *copy, ec);
        if (ec) fs::copy_file(path, *copy, fs::copy_options::overwrite_existing, ec);
        if (!ec) k.Copy = *copy;
        else fs::remove(*copy, ec);
      }
    }
    kept_.push_back(std::move(k));
  }
}

KeptFiles::~KeptFiles() { Discard(); }

KeptFiles::KeptFiles(KeptFiles&& other) noexcept : kept_(std::move(other.kept_)) {
  other.kept_.clear();
}

KeptFiles& KeptFiles::operator=(KeptFiles&& other) noexcept {
  if (this != &other) {
    Discard();
    kept_ = std::move(other.kept_);
    other.kept_.clear();
  }
  return *this;
}

void KeptFiles::PutBack() {
  std::error_code ec;
  for (const Kept& k : kept_) {
    if (!k.Copy.empty()) {
      // A file the run did not replace is still the copy's own (a rename onto it does nothing).
      if (fs::equivalent(k.Copy, k.Path, ec)) {
        fs::remove(k.Copy, ec);
      } else {
        fs::rename(k.Copy, k.Path, ec);
      }
    } else if (!k.Existed) {
      fs::remove(k.Path, ec);  // what is there now is the run's own
    }
    // An earlier file that could not be kept is left as the run left it.
  }
  kept_.clear();
}

void KeptFiles::Discard() {
  std::error_code ec;
  for (const Kept& k : kept_) {
    if (!k.Copy.empty()) fs::remove(k.Copy, ec);
  }
  kept_.clear();
}

bool RefusedForTheOptions(const std::vector<std::string>& shown) {
  static const char* const kOpenings[] = {"The fixed breakpoint ", "The search range ",
                                          "A broken line with ", "The search for ",
                                          "No place for "};
  return std::any_of(shown.begin(), shown.end(), [](const std::string& m) {
    return std::any_of(std::begin(kOpenings), std::end(kOpenings),
                       [&](const char* opening) { return m.rfind(opening, 0) == 0; });
  });
}

bool RefusedAsUnfit(const std::vector<std::string>& shown) {
  return std::any_of(shown.begin(), shown.end(), [](const std::string& m) {
    return m.rfind("The database is not fit for", 0) == 0;
  });
}

}  // namespace vornax::batch
