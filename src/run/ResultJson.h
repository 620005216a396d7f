// The results of a run as a JSON file, for scripts that need the numbers without reading the
// report. The layout is described in README.md ("Results as JSON"); "format" is raised whenever a
// key changes meaning or goes away.
#pragma once

#include <filesystem>
#include <string>

#include "data/RunOptions.h"
#include "data/RunResult.h"

namespace vornax {

struct ResultFiles {
  std::string Input, Output, Anova;
};

// The JSON text of a run.
std::string ResultJsonText(const RunResult& result, const RunOptions& options,
                           const ResultFiles& files);

// Writes the JSON text through a temporary file and a rename; false with the reason in `error`.
bool WriteResultJson(const std::filesystem::path& target, const RunResult& result,
                     const RunOptions& options, const ResultFiles& files, std::string& error);

}  // namespace vornax
