// The graph library of vornax-batch: drawing and saving the graph of a report, in a shared
// library of its own (libvornax-graph.so) that the batch loads only when a graph is asked for,
// so that a run without --graph starts without the drawing's libraries (QtGui, QtSvg and what
// they load). A plain C interface: nothing but these structures crosses the boundary.
#pragma once

extern "C" {

// Bumped whenever the request's layout changes; the library refuses another version.
inline constexpr int kGraphRequestVersion = 1;

struct VornaxGraphRequest {
  int Version;
  const char* OutputPath;  // the report (.out) whose graph is drawn
  const char* GraphPath;   // the file asked for: .svg, .pdf, .png, .bmp (else a .bmp)
  const char* Kind;        // "y-x", "residuals", "calc-obs", "y-z" or "x-z"
  int Colour;              // 0: black and white
  int ShowBelt, ShowBlock;
  int Width, Height;       // size of a bitmap in pixels
  void* Context;
  void (*Message)(void* context, const char* line);  // a line for standard error
  void (*Written)(void* context, const char* path);  // the name of the file written
};

// Draws and writes the graph; returns the batch's exit status: 0 written, 1 no graph can be
// drawn of these data, 2 bad request or a file that could not be written.
int VornaxSaveGraph(const VornaxGraphRequest* request);
using VornaxSaveGraphFunction = int (*)(const VornaxGraphRequest*);

}  // extern "C"

// The file name of the library and the name of its entry.
inline constexpr const char* kGraphLibraryName = "libvornax-graph.so";
inline constexpr const char* kGraphLibraryEntry = "VornaxSaveGraph";
