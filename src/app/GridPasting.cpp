#include "app/GridPasting.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/DataGrid.h"
#include "app/GridPaste.h"
#include "app/WindowDialogs.h"

namespace vornax::app {
namespace {

int ColumnOf(ColumnRole role) {
  switch (role) {
    case ColumnRole::Y: return kYColumn;
    case ColumnRole::X: return kXColumn;
    case ColumnRole::Z: return kZColumn;
    case ColumnRole::Weight: return kWeightColumn;
    case ColumnRole::None: break;
  }
  return -1;
}

ColumnRole RoleOf(int column) {
  switch (column) {
    case kYColumn: return ColumnRole::Y;
    case kXColumn: return ColumnRole::X;
    case kZColumn: return ColumnRole::Z;
    case kWeightColumn: return ColumnRole::Weight;
    default: return ColumnRole::None;
  }
}

std::string Rows(int first, int last) {
  return first == last ? "row " + std::to_string(first)
                       : "rows " + std::to_string(first) + "-" + std::to_string(last);
}

// "Column 2 "Depth (m)": 0.5, 0.75, 1 ..." : what the user sees of a pasted column.
std::string DescribeColumn(const PastedBlock& block, size_t j) {
  std::string text = "Column " + std::to_string(j + 1);
  if (j < block.names.size() && !block.names[j].empty()) text += " \"" + block.names[j] + "\"";
  std::string sample;
  size_t shown = 0;
  for (const auto& row : block.rows) {
    if (j >= row.size() || row[j].empty()) continue;
    if (shown == 3) {
      sample += " ...";
      break;
    }
    sample += (shown++ ? ", " : "") + row[j];
  }
  return text + (sample.empty() ? "" : ": " + sample);
}

std::string RoleList(const std::vector<ColumnRole>& roles) {
  std::string text;
  for (size_t i = 0; i < roles.size(); ++i) {
    if (i > 0) text += i + 1 == roles.size() ? " and " : ", ";
    text += RoleName(roles[i]);
  }
  return text;
}

}  // namespace

void TitlesFromNames(const ColumnNames& names, GridFrame& frame) {
  const QString y = names[kYColumn], x = names[kXColumn], z = names[kZColumn];
  if (frame.Title1.trimmed().isEmpty() && !y.isEmpty() && !x.isEmpty()) {
    frame.Title1 = y + " by " + x + (frame.NrOfVarInData == 2 && !z.isEmpty() ? " and " + z : "");
  }
  if (frame.Title2.trimmed().isEmpty()) {
    QStringList parts;
    for (int c = kYColumn; c < kGridColumns; ++c) {
      if (names[static_cast<size_t>(c)].isEmpty()) continue;
      parts << QString::fromStdString(RoleName(RoleOf(c))) + ": " + names[static_cast<size_t>(c)];
    }
    frame.Title2 = parts.join(", ");
  }
}

RowsBelowQuestion AskAboutRowsBelow(int firstRow, int lastRow, int gridRows) {
  RowsBelowQuestion q;
  const int pasted = lastRow - firstRow + 1;
  const std::string below = Rows(lastRow + 1, gridRows);
  const std::string held = "the grid holds " + std::to_string(gridRows) + " rows. ";
  if (firstRow == 1) {
    q.text = "The pasted block has " + std::to_string(pasted) + (pasted == 1 ? " row; " : " rows; ") +
             held + "Keep " + below + " of the old data, or keep only the " +
             (pasted == 1 ? std::string("pasted row") : std::to_string(pasted) + " pasted rows") + "?";
    q.drop = "Keep only the " +
             (pasted == 1 ? std::string("pasted row") : std::to_string(pasted) + " pasted rows");
  } else {
    q.text = "The pasted block fills " + Rows(firstRow, lastRow) + "; " + held + "Keep " + below +
             " of the old data, or end the data at row " + std::to_string(lastRow) + "?";
    q.drop = "End the data at row " + std::to_string(lastRow);
  }
  q.text += " Either answer can be undone with Ctrl+Z.";
  q.keep = "Keep " + below;
  return q;
}

bool PasteIntoGrid(DataGrid& grid, WindowDialogs& dialogs, int column, int row, const QString& text,
                   int maxRows) {
  const PastedBlock block = ReadPastedBlock(text.toStdString());
  if (block.width == 0) return false;
  const int r0 = std::max(row, 1);

  // The columns shown, and those from the pasted-on one (a paste on the serial column starts at Y).
  std::vector<ColumnRole> shown, fromPasteColumn;
  for (int c = kYColumn; c < kGridColumns; ++c) {
    if (grid.isColumnHidden(c)) continue;
    shown.push_back(RoleOf(c));
    if (c >= column) fromPasteColumn.push_back(RoleOf(c));
  }
  PastePlan plan = PlanPaste(block, fromPasteColumn, shown);
  if (plan.ask) {
    ColumnQuestion question;
    question.text = "The pasted block has " + std::to_string(block.width) +
                    " columns; the table has " + RoleList(shown) +
                    ". Say which pasted column is which, or leave a column out.";
    std::vector<std::string> first;
    if (std::find(shown.begin(), shown.end(), ColumnRole::Z) == shown.end()) {
      first.push_back("a Z column, set \"Nr. of independent variables\" to 2");
    }
    if (std::find(shown.begin(), shown.end(), ColumnRole::Weight) == shown.end()) {
      first.push_back("weight factors, choose \"Weight factors are needed\"");
    }
    for (size_t i = 0; i < first.size(); ++i) {
      question.text += (i == 0 ? " For " : "; for ") + first[i];
    }
    if (!first.empty()) question.text += " first (cancel this paste).";
    for (size_t j = 0; j < block.width; ++j) question.columns.push_back(DescribeColumn(block, j));
    question.choices = shown;
    question.preselected = plan.roles;
    const std::optional<std::vector<ColumnRole>> roles = dialogs.AskColumnRoles(question);
    if (!roles || !CheckRoles(*roles).empty()) {
      dialogs.ShowMessage(PasteRefusal(block.width, shown));
      return false;
    }
    plan.roles = *roles;
  }

  const long long lastRow = r0 + static_cast<long long>(block.rows.size()) - 1;
  if (lastRow > maxRows) {
    dialogs.ShowMessage("The pasted text holds " + std::to_string(block.rows.size()) +
                        " lines; the table takes at most " + std::to_string(maxRows) +
                        " data sets. Nothing was pasted.");
    return false;
  }
  const int gridRows = grid.DataRows();
  GridEdit edit(grid);
  if (lastRow > gridRows) edit.SetRows(static_cast<int>(lastRow));
  // The block is a rectangle: a short line leaves the rest of its cells empty, not as they were.
  for (size_t i = 0; i < block.rows.size(); ++i) {
    const int r = r0 + static_cast<int>(i);
    for (size_t j = 0; j < plan.roles.size(); ++j) {
      const int c = ColumnOf(plan.roles[j]);
      if (c < 0) continue;
      const std::vector<std::string>& line = block.rows[i];
      edit.SetCell(r, c, j < line.size() ? QString::fromStdString(line[j]) : QString());
    }
  }
  if (block.HasHeader()) {
    ColumnNames names = grid.ColumnNames();
    for (size_t j = 0; j < plan.roles.size() && j < block.names.size(); ++j) {
      const int c = ColumnOf(plan.roles[j]);
      if (c >= 0) names[static_cast<size_t>(c)] = QString::fromStdString(block.names[j]);
    }
    edit.SetNames(names);
    if (grid.ReadFrame) {
      GridFrame frame = grid.ReadFrame();
      TitlesFromNames(names, frame);
      edit.SetFrame(frame);
    }
  }
  // Rows below a shorter block: blank ones simply end with it; old data are asked about.
  bool dataBelow = false;
  for (int r = static_cast<int>(lastRow) + 1; r <= gridRows && !dataBelow; ++r) {
    dataBelow = !grid.RowIsBlank(r);
  }
  const bool shorter = !block.rows.empty() && lastRow < gridRows;
  if (shorter && !dataBelow) edit.SetRows(static_cast<int>(lastRow));
  grid.Apply(std::move(edit), "Paste");
  if (shorter && dataBelow) {
    const RowsBelowQuestion q = AskAboutRowsBelow(r0, static_cast<int>(lastRow), gridRows);
    if (dialogs.AskChoice(q.text, {q.keep, q.drop}, 0) == 1) {
      GridEdit drop(grid);
      drop.SetRows(static_cast<int>(lastRow));
      grid.Apply(std::move(drop),
                 QString::fromStdString("Remove " + Rows(static_cast<int>(lastRow) + 1, gridRows)));
    }
  }
  return true;
}

}  // namespace vornax::app
