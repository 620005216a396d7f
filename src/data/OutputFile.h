// Reading an analysis's report (".out") or ANOVA table (".var") back for display, and the short
// kind code by which the graph side tells which analysis wrote an output file.
#pragma once

#include <filesystem>
#include <string>

#include "data/DataSet.h"
#include "data/UserDialogs.h"

namespace vornax {

// Reads every line of `path` into data.OutputLines. `expectedExtension` (".out" or ".var")
// chooses the message for a file that cannot be opened. A file of fewer than two lines is the
// trace of a run without adequate data: it is deleted together with its ".var" companion,
// data.FileName takes the ".var" path, and the reason is shown. Returns true on success.
bool ReadTextFile(TDMVornax& data, const std::filesystem::path& path,
                  const std::string& expectedExtension, UserDialogs& dialogs);

// Reads the kind code of the output file data.FileName into data.OutputKind: the first four
// characters of line 2 when they name a curve output, else those of line 3.
bool ReadOutputKind(TDMVornax& data, UserDialogs& dialogs);

// The message for an output file that cannot be opened.
std::string OutputFileOpenMessage(const std::string& path);

}  // namespace vornax
