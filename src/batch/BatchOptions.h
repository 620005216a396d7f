// The choices of vornax-batch's command line and the options, help text and --version that set
// them.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornax::batch {

struct Choices {
  std::string input;
  std::string outputDir;
  int confidence = 90;
  std::string use = "both";
  std::string prefer = "best";
  std::string preferZ = "best";
  int exclude = 0;
  int excludeZ = 0;
  std::string curve;
  std::string breakpoints;
  bool noTransform = false;
  bool weights = false;
  bool quiet = false;
  std::string yColumn, xColumn, zColumn, weightColumn;
  bool strict = false;
  bool overwrite = false;
  int permutations = 999;
  int stopEarly = 0;
  std::string seed = "1";
  uint64_t seedValue = 1;
  std::string header;
  std::string json;
  std::string graph;
  std::string graphKind = "y-x";
  std::string graphSize = "623x425";
  bool blackWhite = false;
  bool noBelt = false;
  bool noBlock = false;
  std::optional<double> breakpoint;  // set from breakpointValue when --breakpoint is given
  double breakpointValue = 0;
  std::vector<double> searchRange;
  std::vector<std::string> arguments;  // as given, for the JSON results
  std::string by, results, jsonLines;
  bool reports = false;
};

// Defines every option of the command line on `app`, each setting its member of `c`.
void DefineOptions(CLI::App& app, Choices& c);

}  // namespace vornax::batch
