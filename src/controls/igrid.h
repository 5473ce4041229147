#pragma once
// The grid every table on screen is made of: a table view over GridModel with
// the program's look (serif font, row height 24, light blue grid lines, dark
// red selected rows, red focus rectangle) and whole-row selection.
// Rows and columns count from 1 here, as all callers count them.

#include <QVariant>
#include <QWidget>

class GridModel;
class GridView;
class QTableView;

class IGrid : public QWidget {
  Q_OBJECT

 public:
  explicit IGrid(QWidget* parent = nullptr);

  // Appends a column. `option` is accepted as the callers pass it and
  // changes nothing in this grid.
  void AddCol(const QString& header, int width_px, bool option = false);
  int RowCount() const;
  void setRowCount(int rows);  // new rows empty
  int ColCount() const;
  bool ColVisible(int col) const;
  void setColVisible(int col, bool visible);

  // A number (int, 64-bit or double), a text (QString), or nothing (invalid
  // QVariant), as the caller stored it; what the operator typed is a QString.
  // Reading outside the grid gives nothing; writing outside it is ignored.
  QVariant CellValue(int row, int col) const;
  void setCellValue(int row, int col, const QVariant& value);
  // The text the cell shows (numbers as the program writes them everywhere
  // else); empty for an empty cell or one outside the grid.
  QString cell_text(int row, int col) const;
  // Callers pass column 1 to ask whether a row is selected.
  bool CellSelected(int row, int col) const;
  int CurRow() const;  // 0 when no row is current
  // Makes a row current and selects it alone; below 1 leaves no current row.
  // Raises CurRowChange when the current row changes.
  void setCurRow(int row);
  void AddRow();
  void RemoveRow(int row);  // rows below move up
  void Clear();             // removes every row, keeps the columns

  void setMultiSelect(bool on);
  void setEditable(bool on);  // default true
  void setColumnDragging(bool on);

  QTableView* view() const;
  GridModel* model() const { return m_model; }

  // Starts editing a cell and commits `typed` as if the operator had typed it
  // and pressed Enter. False when the cell cannot be edited.
  bool edit_cell(int row, int col, const QString& typed);

 signals:
  void AfterCommitEdit(int lRow, int lCol);
  // lRow and lCol are 0 when the press is below the last row or right of the
  // last column; x and y are in the cell area's coordinates.
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y, int lRow, int lCol);
  void CurRowChange();

 private:
  GridModel* m_model;
  GridView* m_view;
  // An edit stored by the model, announced once its editor has closed.
  int m_committed_row = 0;
  int m_committed_col = 0;
};
