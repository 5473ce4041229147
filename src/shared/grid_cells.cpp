#include "shared/grid_cells.h"

#include "controls/grid_model.h"
#include "controls/igrid.h"
#include "platform/textnum.h"
#include "shared/operator_io.h"

#include <cmath>

namespace grid_cells {

std::optional<double> number(const QVariant& cell) {
  double value = 0;
  switch (cell.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
      value = cell.toDouble();
      break;
    case QMetaType::QString: {
      const QString text = cell.toString();
      if (!textnum::is_number(text)) return std::nullopt;
      value = textnum::numeric_value(text.trimmed());
      break;
    }
    default:
      return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::int32_t> whole(const QVariant& cell) {
  if (!cell.isValid()) return 0;
  const auto value = number(cell);
  if (!value) return std::nullopt;
  return textnum::to_int32(*value);
}

std::optional<std::uint32_t> id(const QVariant& cell) {
  if (!cell.isValid()) return 0;
  const auto value = number(cell);
  if (!value) return std::nullopt;
  return textnum::to_uint32(*value);
}

QString sql_value(const QVariant& cell) { return textnum::sql_number(number(cell).value_or(0)); }

std::optional<Cell> first_non_number(const IGrid& grid, std::initializer_list<int> cols, int skip_row) {
  const int rows = grid.RowCount();
  for (int row = 1; row <= rows; ++row) {
    if (row == skip_row) continue;
    for (const int col : cols) {
      if (!number(grid.CellValue(row, col))) return Cell{row, col};
    }
  }
  return std::nullopt;
}

namespace {
QString cell_does_not_hold(const IGrid& grid, Cell cell, const QString& what) {
  const QString header = grid.model()->headerData(cell.col - 1, Qt::Horizontal).toString();
  return QStringLiteral("Row %1, column %2 (\"%3\") does not hold %4.").arg(cell.row).arg(cell.col).arg(header, what);
}
}  // namespace

QString not_a_number(const IGrid& grid, Cell cell) {
  return cell_does_not_hold(grid, cell, QStringLiteral("a number"));
}

QString not_an_id(const IGrid& grid, Cell cell) {
  return cell_does_not_hold(grid, cell, QStringLiteral("an id from 0 to 4294967295"));
}

std::optional<std::vector<QStringList>> rows_to_save(const IGrid& grid, std::initializer_list<int> cols, int skip_row,
                                                     int id_col) {
  if (const auto bad = first_non_number(grid, cols, skip_row)) {
    operator_io().message(not_a_number(grid, *bad) + QStringLiteral(" Nothing was saved."));
    return std::nullopt;
  }
  std::vector<QStringList> rows;
  for (int row = 1; row <= grid.RowCount(); ++row) {
    if (row == skip_row) continue;
    QStringList values;
    for (const int col : cols) {
      const QVariant cell = grid.CellValue(row, col);
      if (col != id_col) {
        values << sql_value(cell);
        continue;
      }
      const auto cell_id = id(cell);
      if (!cell_id) {
        operator_io().message(not_an_id(grid, {row, col}) + QStringLiteral(" Nothing was saved."));
        return std::nullopt;
      }
      values << textnum::sql_number(*cell_id);
    }
    rows.push_back(std::move(values));
  }
  return rows;
}

}  // namespace grid_cells
