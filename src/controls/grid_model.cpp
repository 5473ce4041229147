#include "controls/grid_model.h"

#include "platform/textnum.h"

#include <algorithm>

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::add_column(const QString& header) {
  flush_changes();
  const int col = column_count();
  beginInsertColumns(QModelIndex(), col, col);
  m_columns.push_back(Column{header, std::vector<Cell>(static_cast<size_t>(m_rows))});
  endInsertColumns();
}

void GridModel::set_row_count(int rows) {
  rows = std::max(rows, 0);
  flush_changes();
  if (rows > m_rows) {
    beginInsertRows(QModelIndex(), m_rows, rows - 1);
    for (auto& column : m_columns) column.cells.resize(static_cast<size_t>(rows));
    m_rows = rows;
    endInsertRows();
  } else if (rows < m_rows) {
    beginRemoveRows(QModelIndex(), rows, m_rows - 1);
    for (auto& column : m_columns) column.cells.resize(static_cast<size_t>(rows));
    m_rows = rows;
    endRemoveRows();
  }
}

void GridModel::append_row() { set_row_count(m_rows + 1); }

void GridModel::remove_row(int row) {
  if (row < 0 || row >= m_rows) return;
  flush_changes();
  beginRemoveRows(QModelIndex(), row, row);
  for (auto& column : m_columns) column.cells.erase(column.cells.begin() + row);
  --m_rows;
  endRemoveRows();
}

void GridModel::remove_all_rows() { set_row_count(0); }

QVariant GridModel::cell(int row, int col) const {
  if (!contains(row, col)) return {};
  return to_variant(m_columns[static_cast<size_t>(col)].cells[static_cast<size_t>(row)]);
}

void GridModel::set_cell(int row, int col, const QVariant& value) {
  if (!contains(row, col)) return;
  m_columns[static_cast<size_t>(col)].cells[static_cast<size_t>(row)] = to_cell(value);
  note_changed(row, col);
}

void GridModel::note_changed(int row, int col) {
  if (m_change_pending) {
    m_changed_top = std::min(m_changed_top, row);
    m_changed_bottom = std::max(m_changed_bottom, row);
    m_changed_left = std::min(m_changed_left, col);
    m_changed_right = std::max(m_changed_right, col);
    return;
  }
  m_change_pending = true;
  m_changed_top = m_changed_bottom = row;
  m_changed_left = m_changed_right = col;
  QMetaObject::invokeMethod(this, &GridModel::flush_changes, Qt::QueuedConnection);
}

void GridModel::flush_changes() {
  if (!m_change_pending) return;
  m_change_pending = false;
  emit dataChanged(index(m_changed_top, m_changed_left), index(m_changed_bottom, m_changed_right),
                   {Qt::DisplayRole, Qt::EditRole});
}

GridModel::Cell GridModel::to_cell(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::UnknownType:
      return std::monostate{};
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
      return value.toInt();
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      return value.toLongLong();
    case QMetaType::Double:
    case QMetaType::Float:
      return value.toDouble();
    case QMetaType::QString:
      return value.toString();
    default:
      return value.toString();
  }
}

QVariant GridModel::to_variant(const Cell& cell) {
  return std::visit(
      [](const auto& held) -> QVariant {
        using T = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<T, std::monostate>)
          return QVariant();
        else
          return QVariant::fromValue(held);
      },
      cell);
}

QString GridModel::display_text(const Cell& cell) {
  return std::visit(
      [](const auto& held) -> QString {
        using T = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<T, std::monostate>)
          return QString();
        else if constexpr (std::is_same_v<T, QString>)
          return held;
        else if constexpr (std::is_same_v<T, double>)
          return textnum::number_text(held);
        else
          return QString::number(held);
      },
      cell);
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : column_count();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !contains(index.row(), index.column())) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return display_text(m_columns[static_cast<size_t>(index.column())].cells[static_cast<size_t>(index.row())]);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
      return {};
  }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section >= 0 && section < m_rows ? QVariant(section + 1) : QVariant();
  if (section < 0 || section >= column_count()) return {};
  return m_columns[static_cast<size_t>(section)].header;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (m_editable) result |= Qt::ItemIsEditable;
  return result;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !contains(index.row(), index.column())) return false;
  set_cell(index.row(), index.column(), value.toString());
  flush_changes();
  emit cell_committed(index.row(), index.column());
  return true;
}
