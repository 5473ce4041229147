#include "controls/grid_model.h"

#include "platform/textnum.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

// ---------------------------------------------------------------- GridColumn
//
// A cell is a double's bits, or a value in the part of the NaN space no
// double arithmetic produces (top 16 bits 0xFFF9 and above; a NaN stored as a
// number is kept as the plain quiet NaN): nothing, an int, a 64-bit number
// that fits in 48 bits, or the place in the column's buffer of a stored value.
// A stored value is a kind byte ('8' UTF-8 text, 'w' UTF-16 text that is no
// valid UTF-16, 'q' a 64-bit number), its length in bytes (4 bytes) and its
// bytes.

namespace {

constexpr std::uint64_t kPayload = (std::uint64_t{1} << 48) - 1;
constexpr std::uint64_t kEmpty = std::uint64_t{0xFFF9} << 48;
constexpr std::uint64_t kInt = std::uint64_t{0xFFFA} << 48;
constexpr std::uint64_t kShortLong = std::uint64_t{0xFFFB} << 48;
constexpr std::uint64_t kStored = std::uint64_t{0xFFFC} << 48;
constexpr std::uint64_t kQuietNan = 0x7FF8000000000000;
constexpr std::size_t kStoredHeader = 5;
// Below this the unused texts of a column are never worth dropping.
constexpr std::size_t kCompactFloor = 1 << 20;

bool is_number_bits(std::uint64_t cell) { return (cell >> 48) < 0xFFF9; }
std::uint64_t kind_of(std::uint64_t cell) { return cell & ~kPayload; }

}  // namespace

void GridColumn::reserve(std::size_t rows, std::size_t text_bytes) {
  cells_.reserve(rows);
  texts_.reserve(text_bytes);
}

void GridColumn::push_empty() { cells_.push_back(kEmpty); }

std::uint64_t GridColumn::encode_double(double value) {
  return std::isnan(value) ? kQuietNan : std::bit_cast<std::uint64_t>(value);
}

std::uint64_t GridColumn::encode(const Cell& cell) {
  switch (cell.index()) {
    case 1:
      return kInt | static_cast<std::uint32_t>(std::get<int>(cell));
    case 2: {
      const qlonglong value = std::get<qlonglong>(cell);
      constexpr qlonglong kShortest = -(qlonglong{1} << 47);
      if (value >= kShortest && value < -kShortest) return kShortLong | (static_cast<std::uint64_t>(value) & kPayload);
      return store('q', reinterpret_cast<const char*>(&value), sizeof value);
    }
    case 3:
      return encode_double(std::get<double>(cell));
    case 4: {
      const QString& text = std::get<QString>(cell);
      // UTF-8 cannot carry a lone surrogate; such a text is kept as it is.
      if (!text.isValidUtf16()) return store_utf16(text);
      return store_utf8(text.toUtf8());
    }
    default:
      return kEmpty;
  }
}

std::uint64_t GridColumn::store_utf8(QByteArrayView text) {
  return store('8', text.data(), static_cast<std::size_t>(text.size()));
}

std::uint64_t GridColumn::store_utf16(QStringView text) {
  return store('w', reinterpret_cast<const char*>(text.utf16()), static_cast<std::size_t>(text.size()) * 2);
}

std::uint64_t GridColumn::store(char kind, const char* data, std::size_t bytes) {
  if (bytes > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("grid cell too long");
  if (has_last_text_) {
    const char* last = texts_.data() + last_text_;
    std::uint32_t length = 0;
    std::memcpy(&length, last + 1, sizeof length);
    if (last[0] == kind && length == bytes && std::memcmp(last + kStoredHeader, data, bytes) == 0)
      return kStored | last_text_;
  }
  const std::size_t at = texts_.size();
  if (at > kPayload) throw std::length_error("grid column too large");
  const auto length = static_cast<std::uint32_t>(bytes);
  texts_.resize(at + kStoredHeader + bytes);
  texts_[at] = kind;
  std::memcpy(texts_.data() + at + 1, &length, sizeof length);
  if (bytes > 0) std::memcpy(texts_.data() + at + kStoredHeader, data, bytes);
  last_text_ = at;
  has_last_text_ = true;
  return kStored | at;
}

GridColumn::Cell GridColumn::at(std::size_t row) const {
  const std::uint64_t cell = cells_[row];
  if (is_number_bits(cell)) return std::bit_cast<double>(cell);
  switch (kind_of(cell)) {
    case kInt:
      return static_cast<int>(static_cast<std::uint32_t>(cell));
    case kShortLong:
      return static_cast<qlonglong>(cell << 16) >> 16;
    case kStored: {
      const char* stored = texts_.data() + (cell & kPayload);
      std::uint32_t length = 0;
      std::memcpy(&length, stored + 1, sizeof length);
      const char* bytes = stored + kStoredHeader;
      if (stored[0] == '8') return QString::fromUtf8(bytes, static_cast<qsizetype>(length));
      if (stored[0] == 'w') {
        QString text(static_cast<qsizetype>(length / 2), Qt::Uninitialized);
        std::memcpy(text.data(), bytes, length);
        return text;
      }
      qlonglong value = 0;
      std::memcpy(&value, bytes, sizeof value);
      return value;
    }
    default:
      return std::monostate{};
  }
}

void GridColumn::set(std::size_t row, const Cell& cell) {
  const std::size_t before = texts_.size();
  cells_[row] = encode(cell);
  if (texts_.size() != before && texts_.size() > std::max(2 * compacted_size_, kCompactFloor)) drop_unused_texts();
}

void GridColumn::drop_unused_texts() {
  std::vector<char> kept;
  // Cells that shared a text next to each other go on sharing it.
  std::uint64_t last_old = kPayload + 1;
  std::size_t last_new = 0;
  for (std::uint64_t& cell : cells_) {
    if (is_number_bits(cell) || kind_of(cell) != kStored) continue;
    const std::uint64_t old = cell & kPayload;
    if (old != last_old) {
      std::uint32_t length = 0;
      std::memcpy(&length, texts_.data() + old + 1, sizeof length);
      last_new = kept.size();
      kept.insert(kept.end(), texts_.begin() + static_cast<std::ptrdiff_t>(old),
                  texts_.begin() + static_cast<std::ptrdiff_t>(old + kStoredHeader + length));
      last_old = old;
    }
    cell = kStored | last_new;
  }
  texts_ = std::move(kept);
  compacted_size_ = texts_.size();
  has_last_text_ = false;
}

void GridColumn::resize(std::size_t rows) {
  if (rows == 0) {
    *this = GridColumn();
    return;
  }
  cells_.resize(rows, kEmpty);
}

void GridColumn::erase(std::size_t row) {
  cells_.erase(cells_.begin() + static_cast<std::ptrdiff_t>(row));
  if (cells_.empty()) *this = GridColumn();
}

void GridColumn::append(GridColumn&& other) {
  if (cells_.empty()) {
    *this = std::move(other);
    other = GridColumn();
    return;
  }
  const std::uint64_t offset = texts_.size();
  texts_.insert(texts_.end(), other.texts_.begin(), other.texts_.end());
  cells_.reserve(cells_.size() + other.cells_.size());
  for (const std::uint64_t cell : other.cells_)
    cells_.push_back(!is_number_bits(cell) && kind_of(cell) == kStored ? cell + offset : cell);
  has_last_text_ = false;
  other = GridColumn();
}

// ----------------------------------------------------------------- GridModel

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::add_column(const QString& header) {
  flush_changes();
  const int col = column_count();
  beginInsertColumns(QModelIndex(), col, col);
  m_columns.push_back(Column{header, GridColumn()});
  m_columns.back().cells.resize(static_cast<size_t>(m_rows));
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
  for (auto& column : m_columns) column.cells.erase(static_cast<size_t>(row));
  --m_rows;
  endRemoveRows();
}

void GridModel::remove_all_rows() { set_row_count(0); }

void GridModel::append_rows(std::vector<GridColumn> columns) {
  std::size_t added = 0;
  for (const GridColumn& column : columns) added = std::max(added, column.size());
  if (added == 0 || m_columns.empty()) return;
  if (added > static_cast<std::size_t>(std::numeric_limits<int>::max() - m_rows))
    throw std::length_error("too many rows");
  flush_changes();
  const int first = m_rows;
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(added) - 1);
  for (std::size_t col = 0; col < m_columns.size(); ++col) {
    GridColumn& cells = m_columns[col].cells;
    if (col < columns.size()) {
      columns[col].resize(added);
      cells.append(std::move(columns[col]));
    } else {
      cells.resize(static_cast<std::size_t>(first) + added);
    }
  }
  m_rows = first + static_cast<int>(added);
  endInsertRows();
}

QVariant GridModel::cell(int row, int col) const {
  if (!contains(row, col)) return {};
  return to_variant(m_columns[static_cast<size_t>(col)].cells.at(static_cast<size_t>(row)));
}

void GridModel::set_cell(int row, int col, const QVariant& value) {
  if (!contains(row, col)) return;
  m_columns[static_cast<size_t>(col)].cells.set(static_cast<size_t>(row), to_cell(value));
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

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : column_count(); }

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !contains(index.row(), index.column())) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return display_text(m_columns[static_cast<size_t>(index.column())].cells.at(static_cast<size_t>(index.row())));
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
