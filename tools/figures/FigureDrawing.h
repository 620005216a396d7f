// The three explanatory pictures of the Figures tab, drawn in the look of the program's graphs:
// a 623 x 425 silver bitmap, a dark-blue plot panel, white axes and captions, data as small
// circles, fitted lines in cyan (white for a single line), belts dashed in yellow and the
// breakpoint in magenta.
//
// The drawing stands on its own (QtGui only) so that the build can run it before anything else
// of the program exists; it can later be pointed at the shared graph routines without changing
// the pictures' content.
#pragma once

#include <QImage>

namespace vornax::figures {

inline constexpr int kFigureWidth = 623;
inline constexpr int kFigureHeight = 425;

// The seven function types, each in a small plot of its own.
QImage DrawTypesFigure();
// A single regression line with its exact (curved) confidence limits and the straight-line
// belt the program draws instead, dashed in yellow.
QImage DrawBeltFigure();
// Type 3 fitted to the same data by method 1 and by method 2, side by side.
QImage DrawMethodsFigure();

}  // namespace vornax::figures
