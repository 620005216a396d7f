// vornax-batch: runs an analysis on an input file without a window.
#include <cstdio>

int main() {
  std::fprintf(stderr, "vornax-batch: not built yet\n");
  return 2;
}
