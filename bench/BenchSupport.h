// What the benchmarks share: dialogs that say nothing, a scratch folder for the files a run
// writes, and data sets with X in random order and Y following a shape with normal noise.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "data/DataSet.h"
#include "data/UserDialogs.h"

namespace vornax::bench {

class SilentDialogs : public UserDialogs {
 public:
  void ShowMessage(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return true; }
  void ShowProgress() override {}
  void AddProgress(const std::string&) override {}
  void HideProgress() override {}
  void Pause(int) override {}
};

// A folder of its own under the system's temporary folder, removed with its files at the end.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name)
      : path_(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  // The input path a run is given; its report and variance file go beside it.
  std::string Input() const { return (path_ / "bench.inp").string(); }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// n data sets: X uniform in [lo, hi) in random order, Y = shape(X) plus normal noise; each data
// set draws its X and then its noise, so a seed always gives the same data.
template <class Shape>
void FillRandomData(TDMVornax& data, int n, unsigned seed, double lo, double hi, double noiseSd,
                    Shape shape) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> spread(lo, hi);
  std::normal_distribution<double> noise(0.0, noiseSd);
  data.Resize(n);
  data.GridRowCount = n;
  for (int i = 0; i < n; ++i) {
    const double x = spread(rng);
    const double y = shape(x) + noise(rng);
    data.XData[static_cast<size_t>(i)] = x;
    data.YData[static_cast<size_t>(i)] = y;
  }
}

}  // namespace vornax::bench
