#include "controls/igrid.h"

#include "controls/form_layout.h"
#include "controls/grid_model.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRowHeight = 24;
constexpr QRgb kGridLineColor = qRgb(128, 128, 255);
constexpr QRgb kSelectedRowColor = qRgb(128, 0, 0);
constexpr QRgb kFocusRectColor = qRgb(192, 0, 0);

QPalette grid_palette(QPalette palette) {
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, Qt::white);
    palette.setColor(group, QPalette::Text, Qt::black);
    palette.setColor(group, QPalette::WindowText, Qt::black);
    // Selected rows keep their colour when the grid loses the focus.
    palette.setColor(group, QPalette::Highlight, QColor(kSelectedRowColor));
    palette.setColor(group, QPalette::HighlightedText, Qt::white);
  }
  return palette;
}

// The grid line colour comes from the style, not the palette.
class GridStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == SH_Table_GridLineColor) return static_cast<int>(kGridLineColor);
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

// Cells are edited as plain text whatever they hold; the view draws its own
// focus rectangle around the whole current row.
class GridDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem plain(option);
    plain.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, plain, index);
  }
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    return editor;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    static_cast<QLineEdit*>(editor)->setText(index.data(Qt::EditRole).toString());
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    model->setData(index, static_cast<QLineEdit*>(editor)->text(), Qt::EditRole);
  }
};

}  // namespace

// The table view with the hooks IGrid needs: presses reported before the view
// acts on them, and the close of an editor.
class GridView : public QTableView {
 public:
  using QTableView::QTableView;

  std::function<void(QMouseEvent*)> on_press;
  std::function<void()> on_editor_closed;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (on_press) on_press(event);
    QTableView::mousePressEvent(event);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (on_press) on_press(event);
    QTableView::mouseDoubleClickEvent(event);
  }
  // The base view makes the first row current when it gains the focus; a
  // grid has no current row until the operator or a caller picks one.
  void focusInEvent(QFocusEvent* event) override {
    QAbstractScrollArea::focusInEvent(event);
    setAttribute(Qt::WA_InputMethodEnabled, currentIndex().isValid());
    viewport()->update();
  }
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
    QTableView::closeEditor(editor, hint);
    if (on_editor_closed) on_editor_closed();
  }
  void paintEvent(QPaintEvent* event) override {
    QTableView::paintEvent(event);
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid() || state() == EditingState) return;
    const int top = rowViewportPosition(current.row());
    const int width = horizontalHeader()->length() - horizontalOffset();
    QPainter painter(viewport());
    painter.setPen(QColor(kFocusRectColor));
    painter.drawRect(
        QRect(-horizontalOffset(), top, width + horizontalOffset(), rowHeight(current.row())).adjusted(0, 0, -1, -1));
  }
};

IGrid::IGrid(QWidget* parent) : QWidget(parent), m_model(new GridModel(this)), m_view(new GridView(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_view);

  auto* style = new GridStyle;
  style->setParent(this);
  m_view->setStyle(style);
  m_view->setItemDelegate(new GridDelegate(m_view));
  m_view->setModel(m_model);
  m_view->setFont(times_new_roman(14.25));
  m_view->setPalette(grid_palette(m_view->palette()));
  m_view->setFrameShape(QFrame::Box);
  m_view->setFrameShadow(QFrame::Plain);
  m_view->setLineWidth(1);
  m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_view->setSelectionMode(QAbstractItemView::SingleSelection);
  m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
  m_view->setWordWrap(false);
  m_view->setCornerButtonEnabled(false);
  m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

  // Fixed row height: never measure rows, however many there are.
  QHeaderView* rows = m_view->verticalHeader();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(1);
  rows->setDefaultSectionSize(kRowHeight);
  rows->hide();
  QHeaderView* columns = m_view->horizontalHeader();
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setHighlightSections(false);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  m_view->on_press = [this](QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const int row = m_view->rowAt(at.y());
    const int col = m_view->columnAt(at.x());
    emit MouseDown(event->button(), event->modifiers(), at.x(), at.y(), row + 1, col + 1);
  };
  connect(m_model, &GridModel::cell_committed, this, [this](int row, int col) {
    m_committed_row = row + 1;
    m_committed_col = col + 1;
  });
  // Announced once the editor is gone, so a handler that shows a message or
  // reloads the grid does not meet an open editor.
  m_view->on_editor_closed = [this] {
    if (m_committed_row == 0) return;
    const int row = m_committed_row;
    const int col = m_committed_col;
    m_committed_row = m_committed_col = 0;
    emit AfterCommitEdit(row, col);
  };
  connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { emit CurRowChange(); });
}

void IGrid::AddCol(const QString& header, int width_px, bool option) {
  Q_UNUSED(option);
  m_model->add_column(header);
  m_view->setColumnWidth(m_model->column_count() - 1, width_px);
}

int IGrid::RowCount() const { return m_model->row_count(); }
void IGrid::setRowCount(int rows) { m_model->set_row_count(rows); }
int IGrid::ColCount() const { return m_model->column_count(); }

bool IGrid::ColVisible(int col) const { return col >= 1 && col <= ColCount() && !m_view->isColumnHidden(col - 1); }

void IGrid::setColVisible(int col, bool visible) {
  if (col >= 1 && col <= ColCount()) m_view->setColumnHidden(col - 1, !visible);
}

QVariant IGrid::CellValue(int row, int col) const { return m_model->cell(row - 1, col - 1); }
void IGrid::setCellValue(int row, int col, const QVariant& value) { m_model->set_cell(row - 1, col - 1, value); }
QString IGrid::cell_text(int row, int col) const {
  return GridModel::display_text(GridModel::to_cell(CellValue(row, col)));
}

bool IGrid::CellSelected(int row, int col) const {
  if (!m_model->contains(row - 1, col - 1)) return false;
  return m_view->selectionModel()->isSelected(m_model->index(row - 1, col - 1));
}

int IGrid::CurRow() const {
  const QModelIndex current = m_view->selectionModel()->currentIndex();
  return current.isValid() ? current.row() + 1 : 0;
}

void IGrid::setCurRow(int row) {
  QItemSelectionModel* selection = m_view->selectionModel();
  if (row < 1 || row > RowCount()) {
    selection->clearCurrentIndex();
    return;
  }
  const QModelIndex current = selection->currentIndex();
  const QModelIndex target = m_model->index(row - 1, current.isValid() ? current.column() : 0);
  selection->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_view->scrollTo(target);
}

void IGrid::AddRow() { m_model->append_row(); }
void IGrid::RemoveRow(int row) { m_model->remove_row(row - 1); }
void IGrid::Clear() { m_model->remove_all_rows(); }

void IGrid::setMultiSelect(bool on) {
  m_view->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void IGrid::setEditable(bool on) { m_model->set_editable(on); }
void IGrid::setColumnDragging(bool on) { m_view->horizontalHeader()->setSectionsMovable(on); }

QTableView* IGrid::view() const { return m_view; }

bool IGrid::edit_cell(int row, int col, const QString& typed) {
  if (!m_model->contains(row - 1, col - 1)) return false;
  const QModelIndex target = m_model->index(row - 1, col - 1);
  if (!(m_model->flags(target) & Qt::ItemIsEditable)) return false;
  m_view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_view->edit(target);
  auto* editor = qobject_cast<QLineEdit*>(m_view->indexWidget(target));
  if (!editor) return false;
  editor->selectAll();
  editor->insert(typed);
  // What the delegate does on Enter, without waiting for the event loop.
  QAbstractItemDelegate* delegate = m_view->itemDelegateForIndex(target);
  emit delegate->commitData(editor);
  emit delegate->closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
  return true;
}
