#pragma once
// Reading the main window's grid cells the way its handlers do: numbers for
// statements, whole numbers for the current ids, and the check every grid
// save runs over its cells before it sends anything.
//
// A cell holds a number the program stored, a text the operator typed, or
// nothing. Only numbers and texts that are one whole number-like text ("12",
// " -3.5 ", "1e3") count as numbers; anything else must never reach a
// statement.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

class IGrid;

namespace grid_cells {

// The number a cell holds. Nothing for an empty cell, a text that is not a
// number, or a value too large to write (infinity, NaN).
std::optional<double> number(const QVariant& cell);

// The cell as one of the program's whole-number ids: rounded, ties to even;
// an empty cell gives 0. Nothing for a text that is not a number or a value
// outside the 32-bit signed range.
std::optional<std::int32_t> whole(const QVariant& cell);

// The cell as a loot table or lootdrop id, rounded as whole() rounds: an
// empty cell gives 0. Nothing for a text that is not a number or a value
// outside 0 to 4294967295, the range of those ids.
std::optional<std::uint32_t> id(const QVariant& cell);

// The cell's number as it enters a statement (point as decimal separator).
// Only for cells that number() accepts.
QString sql_value(const QVariant& cell);

struct Cell {
  int row = 0;
  int col = 0;
};

// The first cell, row by row and in the order the columns are given, that
// holds no number; `skip_row` is left out (0 = none).
std::optional<Cell> first_non_number(const IGrid& grid, std::initializer_list<int> cols, int skip_row = 0);

// "Row 3, column 5 ("%") does not hold a number." with the column's header.
QString not_a_number(const IGrid& grid, Cell cell);

// "Row 3, column 1 ("lootdrop_id") does not hold an id from 0 to
// 4294967295." with the column's header.
QString not_an_id(const IGrid& grid, Cell cell);

// What a save sends: for every row but `skip_row`, the given columns' numbers
// as they enter a statement; the cells of `id_col` (0 = none) as the ids
// id() gives. Nothing when a cell holds no number, or that column no id;
// the operator is then told which one and that nothing was saved.
std::optional<std::vector<QStringList>> rows_to_save(const IGrid& grid, std::initializer_list<int> cols,
                                                     int skip_row = 0, int id_col = 0);

}  // namespace grid_cells
