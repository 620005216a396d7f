// Start-up of vornax-batch as a whole process: the program started, a 100-row table read, the
// one-variable analysis run and its report written, the process ended; measured in wall time.
// Every run after the first replaces the report and ANOVA table of the one before, as a user's
// second run does (NAME.inp, holding the same bytes, is left as it is). On a file system that
// discards freed blocks at once (this machine's), each replaced file costs about 0.2 ms.
//
// Goals (this machine: 2 cores):
//   BM_BatchWithoutGraph   vornax-batch rows.csv --permutations 0: at most 3 ms wall. Without
//                          --graph the program must not load Qt (the graph library is loaded
//                          on demand), which used to cost about 7 ms of a 13 ms run.
//   BM_BatchWithGraph      the same run with --graph rows.png, for comparison (no goal).
// process_cpu_ms is the processor time of the program itself per run, the figure to read when
// the machine is busy.
//
// The program measured is the one this build made, or the one named by VORNAX_BATCH (to compare
// an older build).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"

extern char** environ;

namespace {

std::string Program() {
  const char* chosen = std::getenv("VORNAX_BATCH");
  return chosen != nullptr && *chosen != '\0' ? chosen : VORNAX_BATCH_PROGRAM;
}

// A table of 100 rows: yield level up to a depth of 60, falling beyond, with noise.
std::string WriteTable(const vornax::bench::ScratchDir& dir) {
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0.0, 0.3);
  const std::string path = (dir / "rows.csv").string();
  std::ofstream out(path);
  out << "yield,depth\n";
  for (int i = 0; i < 100; ++i) {
    const double x = 150.0 * i / 100;
    out << (x < 60 ? 8.0 : 8.0 - 0.04 * (x - 60)) + noise(rng) << ',' << x << '\n';
  }
  return path;
}

// Runs the program to its end with standard output and error discarded; false when it failed.
// `cpuSeconds` grows by the process's own processor time (user and system), which a loaded
// machine does not inflate as it does the wall time.
bool Run(const std::vector<std::string>& args, double& cpuSeconds) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return false;
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  cpuSeconds += usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
                usage.ru_stime.tv_usec * 1e-6;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void RunBatch(benchmark::State& state, bool graph) {
  vornax::bench::ScratchDir dir(graph ? "vornax-startup-graph" : "vornax-startup");
  const std::string table = WriteTable(dir);
  std::vector<std::string> args = {Program(), table, "--permutations", "0", "--quiet",
                                   "--overwrite"};
  if (graph) {
    args.push_back("--graph");
    args.push_back((dir / "rows.png").string());
  }
  double cpu = 0;
  for (auto _ : state) {
    if (!Run(args, cpu)) {
      state.SkipWithError("vornax-batch failed");
      break;
    }
  }
  state.counters["process_cpu_ms"] =
      benchmark::Counter(cpu * 1000 / std::max<double>(1, static_cast<double>(state.iterations())));
}

void BM_BatchWithoutGraph(benchmark::State& state) { RunBatch(state, false); }
void BM_BatchWithGraph(benchmark::State& state) { RunBatch(state, true); }

BENCHMARK(BM_BatchWithoutGraph)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BatchWithGraph)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
