// Checked, atomic text files and strict number parsing.
#include "data/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

namespace vornax {

TextFileWriter::TextFileWriter(std::filesystem::path target) : target_(std::move(target)) {}

bool TextFileWriter::Commit() { return WriteFileAtomically(target_, content_, &error_); }

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view content,
                         std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error != nullptr) *error = what + ": " + std::strerror(errno);
    return false;
  };
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return fail("cannot create a temporary file in " + folder.string());
  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      int saved = errno;
      ::close(fd);
      ::unlink(pattern.c_str());
      errno = saved;
      return fail("cannot write " + target.string());
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  // mkstemp makes the file private; give it the ordinary permissions of a new file.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
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

std::optional<std::vector<std::string>> ReadTextLines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return std::nullopt;
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    line.clear();
  }
  if (in.bad()) return std::nullopt;
  return lines;
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
