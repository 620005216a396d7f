// Which version of the program is running: the number the project is released under, and the
// commit it was built from when it was built from a git checkout.
#pragma once

#include <string>

namespace vornax {

// "0.1.0 (commit abc1234)", or "0.1.0" when the commit is not known.
std::string ProgramVersion();

// The line printed by --version: "vornax-batch 0.1.0 (commit abc1234)".
std::string VersionLine(const std::string& program);

}  // namespace vornax
