#pragma once
// The table behind every grid on screen. Cells are kept per column in plain
// vectors of a small variant, so sizing a grid to many rows and writing its
// cells in place costs no allocation per number. Rows and columns here count
// from 0; IGrid turns them into the 1-based numbers its callers use.

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>

#include <variant>
#include <vector>

class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Nothing, a whole number as it was stored (int or 64-bit), a fractional or
  // any other number, or a text.
  using Cell = std::variant<std::monostate, int, qlonglong, double, QString>;

  explicit GridModel(QObject* parent = nullptr);

  void add_column(const QString& header);
  int row_count() const { return m_rows; }
  int column_count() const { return static_cast<int>(m_columns.size()); }
  // New rows are empty; rows past the new count are dropped.
  void set_row_count(int rows);
  void append_row();
  void remove_row(int row);
  void remove_all_rows();

  // Invalid QVariant for an empty cell or a cell outside the table.
  QVariant cell(int row, int col) const;
  // Numbers stay numbers and texts texts; other kinds are stored as their text.
  // Views hear of the change once control returns to the event loop (or
  // before the next change of rows or columns): a loop writing every cell of
  // a large grid raises one dataChanged, not one per cell.
  void set_cell(int row, int col, const QVariant& value);
  // Raises the dataChanged that set_cell has held back, if any.
  void flush_changes();
  bool contains(int row, int col) const {
    return row >= 0 && row < m_rows && col >= 0 && col < column_count();
  }

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
    std::vector<Cell> cells;
  };
  void note_changed(int row, int col);

  std::vector<Column> m_columns;
  // Cells written since the last dataChanged, as one bounding range.
  bool m_change_pending = false;
  int m_changed_top = 0, m_changed_bottom = 0, m_changed_left = 0, m_changed_right = 0;
  int m_rows = 0;
  bool m_editable = true;
};
