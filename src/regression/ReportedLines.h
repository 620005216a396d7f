// The lines and derived quantities of a reported function type, shared by every report of a
// segmented fit (one variable, and each stage of two variables): the engine's final lines rebuilt
// for the type at its breakpoint, the level shift of types 3 and 4, and the levels of the two
// disconnected lines of type 6 at the breakpoint.
#pragma once

#include "regression/SegmentEngine.h"

namespace vornax {

struct ReportedLines {
  double CE = 0;
  bool SingleSlopeSignificant = true;  // type 1: the single line's slope is significant
  int Type6Variant = 1;  // 1 both sloping, 2 one horizontal, 3 parallel (type 6 only)
  double StDevDiffYav = 0;
};

// Recomputes the segments at `bp` and builds the final lines of `type` with `method` (type 1:
// the single line, and the totals SRYsqT and TotalSxx are taken from it; type 6: insignificant
// slopes are set to zero and, with `equalizeType6`, near-equal slopes are made equal: a variant
// of the one-variable report only; a stage of two variables keeps the two lines it combines into
// its planes). Leaves SSDFinal of those lines in the engine; the error routine is not run.
ReportedLines BuildReportedLines(SegmentEngine& engine, double bp, int type, int method,
                                 bool equalizeType6 = true);

// Types 3 and 4: the share of the data on one side of the breakpoint and the increase of Y over
// the level that goes with it, with their standard errors, and the residual spread per segment.
// Reads the engine's lines and error routine as they stand after the report of the type.
struct LevelShift {
  bool Variant = false;  // the increase is measured from the far end of the sloping line
  double Fraction = 0, Yi = 0, SEFrac = 0, SEYi = 0;
  double SDYr1 = 0, SDYr2 = 0;
};
LevelShift ComputeLevelShift(const SegmentEngine& engine, int type, double bp, int nrOfData);

// Type 6: the two lines at the breakpoint and their standard errors.
struct Type6Levels {
  double Y1bp = 0, Y2bp = 0, SEY1bp = 0, SEY2bp = 0;
};
Type6Levels ComputeType6Levels(const SegmentEngine& engine, double bp, int nrOfData);

}  // namespace vornax
