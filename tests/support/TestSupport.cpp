#include "support/TestSupport.h"

#include <fstream>
#include <random>
#include <sstream>

#include "data/TextFile.h"

namespace vornax::test {

std::vector<std::string> RecordingDialogs::Texts(Event::Kind kind) const {
  std::vector<std::string> texts;
  for (const Event& e : events) {
    if (e.kind == kind) texts.push_back(e.text);
  }
  return texts;
}

TempDir::TempDir() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = base / ("vornax-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void LoadGoldenThreshold(TDMVornax& data) {
  const double wobble[] = {0.2,  -0.1, 0.15,  -0.2, 0.05, 0.1,  -0.15, 0.0,   0.2, -0.05,
                           -0.1, 0.1,  -0.2,  0.15, 0.0,  -0.1, 0.2,   -0.15, 0.1, 0.05,
                           -0.2, 0.15, -0.05, 0.1,  -0.1, 0.2,  0.0,   -0.15, 0.1, -0.05};
  data.Resize(30);
  data.GridRowCount = 30;
  for (size_t i = 0; i < 30; ++i) {
    const double x = static_cast<double>(i);
    data.XData[i] = x;
    data.YData[i] = (i <= 15 ? 10 : 10 - 0.8 * (x - 15)) + wobble[i];
  }
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  auto lines = ReadTextLines(path);
  return lines ? *lines : std::vector<std::string>{};
}

std::vector<std::string> GoldenLines(const std::string& name) {
  return ReadLines(std::filesystem::path(VORNAX_GOLDEN_DIR) / name);
}

}  // namespace vornax::test
