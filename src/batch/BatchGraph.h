// The graph of vornax-batch: the drawing lives in libvornax-graph.so, loaded on demand, so that a
// run without --graph never loads the drawing's libraries.
#pragma once

#include <ostream>
#include <string>

namespace vornax::batch {

struct BatchGraphChoices {
  std::string OutputPath;  // the report just written
  std::string GraphPath;   // --graph
  std::string Kind = "y-x";
  bool Colour = true, ShowBelt = true, ShowBlock = true;
  int Width = 623, Height = 425;  // --graph-size
};

// Reads "WxH" for --graph-size: whole numbers of 16 to 20000 pixels. False when it is not one.
bool ParseGraphSizeOption(const std::string& text, int& width, int& height);

// Loads the graph library, draws and writes the graph; the name written goes to `out`, messages
// to `err`. Returns the exit status (2 also when the library cannot be loaded).
int SaveBatchGraph(const BatchGraphChoices& choices, std::ostream& out, std::ostream& err);

// Where the graph library is looked for: beside the program, then where the build made it.
std::string GraphLibraryPath();

}  // namespace vornax::batch
