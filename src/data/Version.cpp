#include "data/Version.h"

#include "VornaxVersion.h"

namespace vornax {

std::string ProgramVersion() {
  const std::string commit = VORNAX_VERSION_COMMIT;
  return std::string(VORNAX_VERSION_NUMBER) + (commit.empty() ? "" : " (commit " + commit + ")");
}

std::string VersionLine(const std::string& program) { return program + " " + ProgramVersion(); }

}  // namespace vornax
