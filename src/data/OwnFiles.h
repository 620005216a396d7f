// Which files this program wrote. An earlier run's report, variance file, scan table or JSON
// results are removed or replaced only when their content shows they are this program's, so a
// file of the same name from anywhere else survives a run.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vornax {

class MemoryFiles;

// The mark a BMP graph of this program's carries in the reserved bytes 6-9 of its file header,
// which belong to the writer and which readers pass over.
inline constexpr std::string_view kBmpMark{"Vrnx"};
inline constexpr int kBmpMarkOffset = 6;

// True when the first lines of `path` are those of a file this program writes: a report
// (" Results of program ..."), an ANOVA table, a variance file of sums of squares, a partial
// regression's scan table, a JSON results file or JSON Lines file ("program": "vornax" first),
// the results table of a run by groups (its header begins "group,rows_used,rows_left_out,"), or
// a graph that names its maker: a PNG with the text "Software" "Vornax" before its pixels, an
// SVG described "Graph drawn by Vornax", a PDF whose creator is "Vornax", a BMP whose file
// header's four reserved bytes hold kBmpMark. False for anything else, and for a file that
// cannot be read.
bool WrittenByThisProgram(const std::filesystem::path& path);

// Whether a file may be put at `path` without asking: nothing is there, or a regular file that
// this program wrote. A folder, a link or anyone else's file there needs the user's word.
bool FreeToReplace(const std::filesystem::path& path);

enum class StaleFile {
  Absent,   // there was no file of that name
  Removed,  // it was one of this program's and is gone
  Left      // it is not this program's (or could not be removed) and is left as it was
};

// Removes `path` only when it is one of this program's files.
StaleFile RemoveOwnFile(const std::filesystem::path& path);
// The same for a run whose files are kept in `memory` (see MemoryFiles): everything there is
// this run's own, so it is removed from there, and the disk is left alone. Without `memory`, as
// above.
StaleFile RemoveOwnFile(const std::filesystem::path& path, MemoryFiles* memory);

// "\"NAME.out\" is not a file this program wrote; it is left as it is": the note for a file
// that a refused run did not remove.
std::string LeftAsItIsNote(const std::filesystem::path& path);

}  // namespace vornax
