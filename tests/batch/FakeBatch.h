// vornax-batch as a library run through stand-in analyses, with what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "batch/BatchCommand.h"
#include "run/FakeAnalyses.h"

namespace vornax::test {

struct Batch {
  vornax::test::FakeAnalyses fakes;
  std::string out, err;
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), "vornax-batch");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream o, e;
    const int code = batch::RunBatch(static_cast<int>(argv.size()), argv.data(), o, e, fakes.Table());
    out = o.str();
    err = e.str();
    return code;
  }
};

}  // namespace vornax::test
