// Checked, atomic text files and strict number parsing.
#include "data/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace vornax {

void MemoryFiles::Write(const std::filesystem::path& target, std::string_view content) {
  for (auto& [path, text] : files_) {
    if (path == target) {
      text.assign(content);
      return;
    }
  }
  files_.emplace_back(target, std::string(content));
}

const std::string* MemoryFiles::Find(const std::filesystem::path& path) const {
  for (const auto& [name, text] : files_) {
    if (name == path) return &text;
  }
  return nullptr;
}

bool MemoryFiles::Remove(const std::filesystem::path& path) {
  const auto at = std::find_if(files_.begin(), files_.end(),
                               [&](const auto& file) { return file.first == path; });
  if (at == files_.end()) return false;
  files_.erase(at);
  return true;
}

namespace {

// A fresh temporary file beside `target`; its name goes to `pattern`. -1 with errno on failure.
int CreateTemporaryBeside(const std::filesystem::path& target, std::string& pattern) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  return ::mkstemp(pattern.data());
}

// mkstemp makes the file private; give it the ordinary permissions of a new file.
void GiveNewFilePermissions(int fd) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
}

// Writes all of `content` to `fd`; false with errno on failure.
bool WriteAll(int fd, std::string_view content) {
  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

// Closes the temporary file `fd` and renames it over `target`; on failure it is removed.
bool FinishTemporary(int fd, const std::string& pattern, const std::filesystem::path& target,
                     std::string* error);

}  // namespace

std::optional<std::filesystem::path> MakeTemporaryBeside(const std::filesystem::path& target,
                                                         std::string& error) {
  std::string pattern;
  const int fd = CreateTemporaryBeside(target, pattern);
  if (fd < 0) {
    error = "cannot create a temporary file beside " + target.string() + ": " +
            std::strerror(errno);
    return std::nullopt;
  }
  GiveNewFilePermissions(fd);
  ::close(fd);
  return std::filesystem::path(pattern);
}

TextFileWriter::TextFileWriter(std::filesystem::path target, MemoryFiles* memory)
    : target_(std::move(target)), memory_(memory) {}

TextFileWriter::~TextFileWriter() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(temporary_.c_str());
  }
}

bool TextFileWriter::TargetHoldsText() const {
  if (memory_ != nullptr || discard_ || fd_ >= 0 || !error_.empty()) return false;
  // Not blocking: a named pipe under the target's name must not wait for a writer.
  const int fd = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<size_t>(st.st_size) == content_.size();
  if (same) {
    std::string old(content_.size() + 1, '\0');  // one more: a file that grew meanwhile differs
    size_t got = 0;
    while (got < old.size()) {
      const ssize_t n = ::read(fd, old.data() + got, old.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    same = got == content_.size() && std::string_view(old.data(), got) == content_;
  }
  ::close(fd);
  return same;
}

void TextFileWriter::Spill() {
  if (memory_ != nullptr) return;  // kept whole in memory: nothing on disk, no temporary file
  if (!error_.empty()) {
    content_.clear();  // already failed: Commit() says so
    return;
  }
  if (fd_ < 0) {
    fd_ = CreateTemporaryBeside(target_, temporary_);
    if (fd_ < 0) {
      error_ = "cannot create a temporary file beside " + target_.string() + ": " +
               std::strerror(errno);
      content_.clear();
      return;
    }
  }
  if (!WriteAll(fd_, content_)) error_ = "cannot write " + target_.string() + ": " + std::strerror(errno);
  content_.clear();
}

bool TextFileWriter::Commit() {
  if (discard_) return true;
  if (memory_ != nullptr) {
    memory_->Write(target_, content_);
    return true;
  }
  if (fd_ < 0 && error_.empty()) return WriteFileAtomically(target_, content_, &error_);
  if (error_.empty()) Spill();
  if (!error_.empty()) {
    if (fd_ >= 0) {
      ::close(fd_);
      ::unlink(temporary_.c_str());
      fd_ = -1;
    }
    return false;
  }
  const int fd = fd_;
  fd_ = -1;
  return FinishTemporary(fd, temporary_, target_, &error_);
}

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view content,
                         std::string* error) {
  std::string pattern;
  const int fd = CreateTemporaryBeside(target, pattern);
  if (fd < 0) {
    if (error != nullptr) {
      *error = "cannot create a temporary file in " +
               (target.parent_path().empty() ? std::string(".") : target.parent_path().string()) +
               ": " + std::strerror(errno);
    }
    return false;
  }
  if (!WriteAll(fd, content)) {
    const int saved = errno;
    ::close(fd);
    ::unlink(pattern.c_str());
    if (error != nullptr) *error = "cannot write " + target.string() + ": " + std::strerror(saved);
    return false;
  }
  return FinishTemporary(fd, pattern, target, error);
}

namespace {

bool FinishTemporary(int fd, const std::string& pattern, const std::filesystem::path& target,
                     std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error != nullptr) *error = what + ": " + std::strerror(errno);
    return false;
  };
  GiveNewFilePermissions(fd);
  if (::close(fd) != 0) {
    int saved = errno;
    ::unlink(pattern.c_str());
    errno = saved;
    return fail("cannot write " + target.string());
  }
  if (::rename(pattern.c_str(), target.c_str()) != 0) {
    int saved = errno;
    ::unlink(pattern.c_str());
    errno = saved;
    return fail("cannot replace " + target.string());
  }
  if (error != nullptr) error->clear();
  return true;
}

}  // namespace

namespace {

// Text in the encoding `from` to UTF-8 through the C library's converter, leaving out the first
// `skip` bytes; false (and the text as it was) for text that does not convert. UTF-8 takes at
// most `growth` bytes for each byte converted.
bool ConvertToUtf8(std::string& bytes, size_t skip, const char* from, size_t growth) {
  iconv_t cd = ::iconv_open("UTF-8", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = bytes.substr(skip);
  std::string out(in.size() * growth + 16, '\0');
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t rc = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  ::iconv_close(cd);
  if (rc == static_cast<size_t>(-1) || inLeft != 0) return false;
  out.resize(out.size() - outLeft);
  bytes.swap(out);
  return true;
}

// UTF-16 to UTF-8; false for text that is not valid UTF-16.
bool ConvertUtf16(std::string& bytes, size_t skip, bool bigEndian) {
  return ConvertToUtf8(bytes, skip, bigEndian ? "UTF-16BE" : "UTF-16LE", 2);
}

}  // namespace

bool DecodeText(std::string& bytes, std::string& reason, bool* wasUtf16) {
  if (wasUtf16 != nullptr) *wasUtf16 = false;
  auto utf16 = [&](size_t skip, bool bigEndian) {
    if ((bytes.size() - skip) % 2 != 0 || !ConvertUtf16(bytes, skip, bigEndian)) {
      reason = "its UTF-16 text is damaged (an odd number of bytes or an invalid character)";
      return false;
    }
    if (wasUtf16 != nullptr) *wasUtf16 = true;
    return true;
  };
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return utf16(2, false);
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return utf16(2, true);
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
  if (bytes.find('\0') == std::string::npos) return true;
  // Zero bytes without a mark: UTF-16 of mostly Latin text has them in every other place.
  size_t evenZeros = 0, oddZeros = 0;
  const size_t sample = std::min<size_t>(bytes.size(), 4096);
  for (size_t i = 0; i < sample; ++i) {
    if (bytes[i] == '\0') ++(i % 2 == 0 ? evenZeros : oddZeros);
  }
  const size_t pairs = sample / 2;
  if (pairs > 0 && oddZeros * 10 >= pairs * 8 && evenZeros * 10 <= pairs) return utf16(0, false);
  if (pairs > 0 && evenZeros * 10 >= pairs * 8 && oddZeros * 10 <= pairs) return utf16(0, true);
  reason = "it holds NUL bytes, so it is not a text file";
  return false;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t more = 0;
    unsigned long code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1, code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2, code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3, code = c & 0x07;
    } else {
      return false;
    }
    for (size_t k = 1; k <= more; ++k) {
      if (i + k >= n) return false;
      const auto b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      code = (code << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    if ((more == 2 && code < 0x800) || (more == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += more + 1;
  }
  return true;
}

bool ConvertWindows1252(std::string& text) {
  // Five bytes have no character in code page 1252; text holding them is read as Latin-1.
  return ConvertToUtf8(text, 0, "WINDOWS-1252", 3) || ConvertToUtf8(text, 0, "ISO-8859-1", 2);
}

std::vector<std::string_view> SplitLineViews(std::string_view text, bool* finalLineEnded) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  bool ended = true;
  while (start < text.size()) {
    // A plain loop: find_first_of looks each character up in its set, and a long table has
    // millions of them.
    size_t at = start;
    while (at < text.size() && text[at] != '\n' && text[at] != '\r') ++at;
    if (at == text.size()) {
      lines.push_back(text.substr(start));
      ended = false;
      break;
    }
    lines.push_back(text.substr(start, at - start));
    start = at + 1;
    if (text[at] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  if (finalLineEnded != nullptr) *finalLineEnded = ended;
  return lines;
}

std::vector<std::string> SplitLines(std::string_view text, bool* finalLineEnded) {
  const std::vector<std::string_view> views = SplitLineViews(text, finalLineEnded);
  return std::vector<std::string>(views.begin(), views.end());
}

std::optional<std::string> ReadTextBytes(const std::filesystem::path& path, std::string& reason,
                                         bool* wasUtf16) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    reason = std::strerror(EISDIR);
    return std::nullopt;
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    reason = std::strerror(errno != 0 ? errno : EIO);
    return std::nullopt;
  }
  std::string bytes;
  // Sized once from the file's length, rather than grown (and copied) as it is read.
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec) bytes.reserve(static_cast<size_t>(size));
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    reason = std::strerror(errno != 0 ? errno : EIO);
    return std::nullopt;
  }
  if (!DecodeText(bytes, reason, wasUtf16)) return std::nullopt;
  reason.clear();
  return bytes;
}

std::optional<TextLines> ReadTextLines(const std::filesystem::path& path, std::string& reason,
                                       const MemoryFiles* memory) {
  if (memory != nullptr) {
    const std::string* text = memory->Find(path);
    if (text == nullptr) {
      reason = std::strerror(ENOENT);
      return std::nullopt;
    }
    TextLines result;
    result.Lines = SplitLines(*text, &result.FinalLineEnded);
    reason.clear();
    return result;
  }
  TextLines result;
  auto bytes = ReadTextBytes(path, reason, &result.WasUtf16);
  if (!bytes) return std::nullopt;
  result.Lines = SplitLines(*bytes, &result.FinalLineEnded);
  return result;
}

bool RemoveFile(const std::filesystem::path& path, MemoryFiles* memory) {
  if (memory != nullptr) return memory->Remove(path);
  std::error_code ec;
  return std::filesystem::remove(path, ec);
}

bool FileExists(const std::filesystem::path& path, const MemoryFiles* memory) {
  if (memory != nullptr) return memory->Find(path) != nullptr;
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

std::optional<std::vector<std::string>> ReadTextLines(const std::filesystem::path& path,
                                                      const MemoryFiles* memory) {
  std::string reason;
  auto read = ReadTextLines(path, reason, memory);
  if (!read) return std::nullopt;
  return std::move(read->Lines);
}

std::vector<std::string_view> SplitTokens(std::string_view line) {
  std::vector<std::string_view> tokens;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

bool ParseFiniteNumber(std::string_view token, double& value) {
  // Check the shape first: from_chars alone would accept "inf", "nan" and hex in some modes.
  size_t i = 0;
  const size_t n = token.size();
  if (i < n && (token[i] == '+' || token[i] == '-')) ++i;
  size_t digits = 0;
  while (i < n && token[i] >= '0' && token[i] <= '9') ++i, ++digits;
  if (i < n && token[i] == '.') {
    ++i;
    while (i < n && token[i] >= '0' && token[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (token[i] == 'e' || token[i] == 'E')) {
    ++i;
    if (i < n && (token[i] == '+' || token[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < n && token[i] >= '0' && token[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != n) return false;
  // from_chars does not take a leading '+'.
  std::string_view body = token;
  if (!body.empty() && body.front() == '+') body.remove_prefix(1);
  double parsed = 0;
  auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), parsed);
  if (ec != std::errc() || end != body.data() + body.size() || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool ParseInt32(std::string_view token, int& value) {
  std::string_view body = token;
  if (!body.empty() && body.front() == '+') body.remove_prefix(1);
  if (body.empty()) return false;
  int parsed = 0;
  auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), parsed);
  if (ec != std::errc() || end != body.data() + body.size()) return false;
  value = parsed;
  return true;
}

std::filesystem::path WithExtension(const std::filesystem::path& path, const std::string& ext) {
  std::filesystem::path result = path;
  result.replace_extension(ext);
  return result;
}

std::string PathText(const std::filesystem::path& path) { return path.string(); }

}  // namespace vornax
