#pragma once
// The table behind every grid on screen. Cells are kept per column in
// GridColumn: 8 bytes a cell and the column's texts in one buffer, so a grid
// of a million rows costs tens of megabytes, not hundreds, and sizing it or
// writing a number costs no allocation. Rows and columns here count from 0;
// IGrid turns them into the 1-based numbers its callers use.

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

// The cells of one column. A number is kept in the cell itself; a text in
// the column's buffer (UTF-8), the cell holding where. A text written again
// right after itself (the same word in every row) is kept once.
//
// A column is plain data: a loader may fill one on a thread of its own and
// hand it to GridModel::append_rows.
class GridColumn {
 public:
  // Nothing, a whole number as it was stored (int or 64-bit), a fractional or
  // any other number, or a text.
  using Cell = std::variant<std::monostate, int, qlonglong, double, QString>;

  std::size_t size() const { return cells_.size(); }
  void reserve(std::size_t rows, std::size_t text_bytes = 0);

  void push_back(const Cell& cell) { cells_.push_back(encode(cell)); }
  void push_empty();
  void push_number(double value) { cells_.push_back(encode_double(value)); }
  // A text in UTF-8, as a database sends it.
  void push_utf8(QByteArrayView text) { cells_.push_back(store_utf8(text)); }

  Cell at(std::size_t row) const;
  void set(std::size_t row, const Cell& cell);
  // New cells are empty.
  void resize(std::size_t rows);
  void erase(std::size_t row);
  // Appends the cells of `other`, which is left empty.
  void append(GridColumn&& other);

 private:
  std::uint64_t encode(const Cell& cell);
  static std::uint64_t encode_double(double value);
  std::uint64_t store_utf8(QByteArrayView text);
  std::uint64_t store_utf16(QStringView text);
  std::uint64_t store(char kind, const char* data, std::size_t bytes);
  // Texts no cell names any more are dropped once the buffer has doubled.
  void drop_unused_texts();

  std::vector<std::uint64_t> cells_;
  std::vector<char> texts_;
  std::size_t last_text_ = 0;  // where the text last stored begins
  bool has_last_text_ = false;
  std::size_t compacted_size_ = 0;
};

class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using Cell = GridColumn::Cell;

  explicit GridModel(QObject* parent = nullptr);

  void add_column(const QString& header);
  int row_count() const { return m_rows; }
  int column_count() const { return static_cast<int>(m_columns.size()); }
  // New rows are empty; rows past the new count are dropped.
  void set_row_count(int rows);
  void append_row();
  void remove_row(int row);
  void remove_all_rows();
  // Appends rows below the last one at a time: column i of the grid gets the
  // cells of columns[i] (which are taken, not copied); columns not given, and
  // given ones shorter than the longest, get empty cells.
  void append_rows(std::vector<GridColumn> columns);

  // Invalid QVariant for an empty cell or a cell outside the table.
  QVariant cell(int row, int col) const;
  // Numbers stay numbers and texts texts; other kinds are stored as their text.
  // Views hear of the change once control returns to the event loop (or
  // before the next change of rows or columns): a loop writing every cell of
  // a large grid raises one dataChanged, not one per cell.
  void set_cell(int row, int col, const QVariant& value);
  // Raises the dataChanged that set_cell has held back, if any.
  void flush_changes();
  bool contains(int row, int col) const { return row >= 0 && row < m_rows && col >= 0 && col < column_count(); }

  bool editable() const { return m_editable; }
  void set_editable(bool on) { m_editable = on; }

  // Text a cell shows: numbers as the program writes them everywhere else.
  static QString display_text(const Cell& cell);
  static Cell to_cell(const QVariant& value);
  static QVariant to_variant(const Cell& cell);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // The operator's edits arrive here; what was typed is stored as text.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

 signals:
  // An edit through setData was stored (0-based row and column).
  void cell_committed(int row, int col);

 private:
  struct Column {
    QString header;
    GridColumn cells;
  };
  void note_changed(int row, int col);

  std::vector<Column> m_columns;
  // Cells written since the last dataChanged, as one bounding range.
  bool m_change_pending = false;
  int m_changed_top = 0, m_changed_bottom = 0, m_changed_left = 0, m_changed_right = 0;
  int m_rows = 0;
  bool m_editable = true;
};
