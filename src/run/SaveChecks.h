// What "Save-Calculate" can refuse before a file name is asked for: everything that needs only
// the grid and the choices of the run. A refusal found here writes nothing and runs nothing.
#pragma once

#include <cstdint>
#include <string>

#include "run/SaveCalculate.h"

namespace vornax {

struct SaveRefusal {
  std::string Message;  // empty: nothing to refuse before the run
  // The cell it names (grid row from 1, GridInput column); 0 when it names none.
  int32_t BadRow = 0;
  int32_t BadColumn = 0;
};

// A cell that is not a number or a weight factor out of range, then a fixed breakpoint or search
// range that the chosen analysis does not take or that these data do not allow: the message the
// run would show, word for word.
SaveRefusal RefusalBeforeSaving(const Session& session, const GridInput& grid);

}  // namespace vornax
