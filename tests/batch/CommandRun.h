// Runs vornax-batch as a library in the batch tests: the arguments after the program's name,
// the analyses of this build unless others are given, standard output and error kept as text.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "batch/BatchCommand.h"

namespace vornax::test {

inline int RunBatchCommand(std::vector<std::string> args, std::string& out, std::string& err,
                           const AnalysisTable& analyses = DefaultAnalysisTable()) {
  args.insert(args.begin(), "vornax-batch");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream o, e;
  const int code = batch::RunBatch(static_cast<int>(argv.size()), argv.data(), o, e, analyses);
  out = o.str();
  err = e.str();
  return code;
}

}  // namespace vornax::test
