// vornax-batch: runs an analysis on an input file or a table without a window.
#include <cstdlib>
#include <iostream>

#include "batch/BatchCommand.h"

int main(int argc, char** argv) {
  // The graphs are drawn off screen; the drawing library's warnings about the desktop session
  // (no XDG_RUNTIME_DIR on a server) say nothing about the graph written. Rules the user sets
  // still win.
  ::setenv("QT_LOGGING_RULES", "*.warning=false", 0);
  return vornax::batch::RunBatch(argc, argv, std::cout, std::cerr);
}
