// vornax-batch: runs an analysis on an input file or a table without a window.
#include <iostream>

#include "batch/BatchCommand.h"

int main(int argc, char** argv) { return vornax::batch::RunBatch(argc, argv, std::cout, std::cerr); }
