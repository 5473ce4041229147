// The grid: its model under Qt's model tester, its values, and the operator's
// mouse and keyboard on the headless platform.
#include "controls/grid_model.h"
#include "controls/igrid.h"
#include "controls/repaint.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <cmath>
#include <limits>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A shown grid with the NPC grid's five columns and `rows` filled rows:
// column 1 holds r * 10, column 2 the text "npc<r>".
struct Grid {
  IGrid grid;
  explicit Grid(int rows = 5) {
    for (const auto& header : {u"id"_s, u"npc"_s, u"lvl"_s, u"zone"_s, u"loottable"_s}) grid.AddCol(header, 80);
    grid.setRowCount(rows);
    for (int r = 1; r <= rows; ++r) {
      grid.setCellValue(r, 1, r * 10);
      grid.setCellValue(r, 2, u"npc%1"_s.arg(r));
    }
    grid.resize(460, 300);
    grid.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
  }
  QWidget* cells() const { return grid.view()->viewport(); }
  // Middle of a cell, in the cell area's coordinates (1-based).
  QPoint at(int row, int col) const { return grid.view()->visualRect(grid.model()->index(row - 1, col - 1)).center(); }
};

QVariant column1(const IGrid& grid, int row) { return grid.CellValue(row, 1); }

TEST(GridModelTester, SurvivesEveryChangeTheGridMakes) {
  GridModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.add_column(u"id"_s);
  model.set_row_count(50);
  model.add_column(u"name"_s);
  for (int r = 0; r < 50; ++r) {
    model.set_cell(r, 0, r);
    model.set_cell(r, 1, u"row %1"_s.arg(r));
  }
  model.remove_row(0);
  model.remove_row(48);
  model.set_row_count(10);  // with writes still unannounced
  QCoreApplication::processEvents();
  model.append_row();
  model.set_cell(10, 1, 2.5);
  EXPECT_TRUE(model.setData(model.index(3, 1), u"typed"_s));
  model.remove_all_rows();
  model.set_row_count(3);
  QCoreApplication::processEvents();
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.columnCount(), 2);
}

TEST(GridModel, WritesAreAnnouncedOnceAsOneRange) {
  GridModel model;
  model.add_column(u"a"_s);
  model.add_column(u"b"_s);
  model.set_row_count(1000);
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  for (int r = 0; r < 1000; r += 7) model.set_cell(r, r % 2, r);
  EXPECT_EQ(changed.count(), 0);
  QCoreApplication::processEvents();
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].value<QModelIndex>(), model.index(0, 0));
  EXPECT_EQ(changed[0][1].value<QModelIndex>(), model.index(994, 1));
}

TEST(GridCells, HoldWhatTheCallerStored) {
  IGrid grid;
  grid.AddCol(u"a"_s, 50);
  grid.AddCol(u"b"_s, 50, true);
  grid.setRowCount(2);
  EXPECT_EQ(grid.ColCount(), 2);

  grid.setCellValue(1, 1, 7);
  EXPECT_EQ(grid.CellValue(1, 1).typeId(), QMetaType::Int);
  grid.setCellValue(1, 1, 12345678901LL);
  EXPECT_EQ(grid.CellValue(1, 1), QVariant(12345678901LL));
  grid.setCellValue(1, 1, 2.5);
  EXPECT_EQ(grid.CellValue(1, 1).typeId(), QMetaType::Double);
  EXPECT_EQ(grid.CellValue(1, 1).toDouble(), 2.5);
  grid.setCellValue(1, 2, u"12"_s);
  EXPECT_EQ(grid.CellValue(1, 2).typeId(), QMetaType::QString) << "a text of digits stays a text";
  grid.setCellValue(1, 2, QString());
  EXPECT_TRUE(grid.CellValue(1, 2).isValid()) << "an empty text is not nothing";
  EXPECT_FALSE(grid.CellValue(2, 2).isValid()) << "a cell never written holds nothing";
  grid.setCellValue(1, 2, QVariant());
  EXPECT_FALSE(grid.CellValue(1, 2).isValid());

  // Whole numbers show without a point whatever type holds them.
  grid.setCellValue(2, 1, 3.0);
  EXPECT_EQ(grid.model()->index(1, 0).data().toString(), u"3"_s);

  // Outside the grid: nothing to read, nothing written, no crash.
  EXPECT_FALSE(grid.CellValue(0, 1).isValid());
  EXPECT_FALSE(grid.CellValue(3, 1).isValid());
  EXPECT_FALSE(grid.CellValue(1, 3).isValid());
  grid.setCellValue(3, 1, 1);
  grid.setCellValue(1, 0, 1);
  EXPECT_EQ(grid.RowCount(), 2);
}

// Cells keep what was stored, also past the compact forms a cell holds
// (numbers beyond 48 bits, texts UTF-8 cannot carry), after the column's
// unused texts were dropped, after removals, and below rows a loader's
// columns were appended to.
TEST(GridCells, KeepEveryValueThroughRewritesRemovalsAndAppends) {
  const QList<QVariant> values = {QVariant(),
                                  QVariant(-7),
                                  QVariant(std::numeric_limits<int>::min()),
                                  QVariant(qlonglong{-140737488355328}),  // -2^47
                                  QVariant(qlonglong{140737488355328}),   // 2^47
                                  QVariant(std::numeric_limits<qlonglong>::min()),
                                  QVariant(std::numeric_limits<qlonglong>::max()),
                                  QVariant(-0.5),
                                  QVariant(std::numeric_limits<double>::infinity()),
                                  QVariant(u"Tarn's Rest \u00e9 \U0001F5E1"_s),
                                  QVariant(QString(QChar(0xD800)) + u"x"_s),
                                  QVariant(QString()),
                                  QVariant(u"same"_s),
                                  QVariant(u"same"_s)};
  const auto expect_values = [&](const GridModel& model, int first_row, const char* when) {
    for (int i = 0; i < values.size(); ++i) {
      const QVariant cell = model.cell(first_row + i, 0);
      EXPECT_EQ(cell.typeId(), values[i].typeId()) << when << ", value " << i;
      EXPECT_EQ(cell, values[i]) << when << ", value " << i;
    }
  };
  GridModel model;
  model.add_column(u"a"_s);
  model.set_row_count(static_cast<int>(values.size()) + 1);
  for (int i = 0; i < values.size(); ++i) model.set_cell(i + 1, 0, values[i]);
  expect_values(model, 1, "as stored");
  model.set_cell(0, 0, std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(std::isnan(model.cell(0, 0).toDouble()));

  // Rewriting one cell with ever new texts leaves megabytes of texts no cell
  // names; they are dropped on the way.
  for (int i = 0; i < 40000; ++i) model.set_cell(0, 0, u"rewritten text number %1"_s.arg(i));
  EXPECT_EQ(model.cell(0, 0), QVariant(u"rewritten text number 39999"_s));
  expect_values(model, 1, "after the rewrites");
  model.remove_row(0);
  expect_values(model, 0, "after a removal");

  GridColumn loaded;
  loaded.push_utf8("from the loader");
  loaded.push_empty();
  loaded.push_number(12);
  loaded.push_back(u"last"_s);
  model.append_rows({loaded});
  expect_values(model, 0, "after the append");
  const int below = static_cast<int>(values.size());
  EXPECT_EQ(model.row_count(), below + 4);
  EXPECT_EQ(model.cell(below, 0), QVariant(u"from the loader"_s));
  EXPECT_FALSE(model.cell(below + 1, 0).isValid());
  EXPECT_EQ(model.cell(below + 2, 0), QVariant(12.0));
  EXPECT_EQ(model.cell(below + 3, 0), QVariant(u"last"_s));
}

TEST(GridRows, RowCountGrowsAndShrinksKeepingValues) {
  Grid g(3);
  g.grid.setRowCount(6);
  EXPECT_EQ(g.grid.RowCount(), 6);
  EXPECT_EQ(column1(g.grid, 3), QVariant(30));
  EXPECT_FALSE(column1(g.grid, 4).isValid()) << "new rows are empty";
  g.grid.setRowCount(2);
  g.grid.setRowCount(3);
  EXPECT_EQ(column1(g.grid, 2), QVariant(20));
  EXPECT_FALSE(column1(g.grid, 3).isValid()) << "a dropped row comes back empty";
  g.grid.setRowCount(-1);
  EXPECT_EQ(g.grid.RowCount(), 0);
}

TEST(GridRows, RemoveRowMovesTheRowsBelowUp) {
  Grid g(4);
  g.grid.RemoveRow(2);
  ASSERT_EQ(g.grid.RowCount(), 3);
  EXPECT_EQ(column1(g.grid, 1), QVariant(10));
  EXPECT_EQ(column1(g.grid, 2), QVariant(30));
  EXPECT_EQ(g.grid.CellValue(2, 2), QVariant(u"npc3"_s));
  EXPECT_EQ(column1(g.grid, 3), QVariant(40));
  g.grid.RemoveRow(3);
  g.grid.RemoveRow(9);
  EXPECT_EQ(g.grid.RowCount(), 2);

  g.grid.AddRow();
  EXPECT_EQ(g.grid.RowCount(), 3);
  EXPECT_FALSE(column1(g.grid, 3).isValid());

  g.grid.Clear();
  EXPECT_EQ(g.grid.RowCount(), 0);
  EXPECT_EQ(g.grid.ColCount(), 5);
  EXPECT_EQ(g.grid.CurRow(), 0);
}

TEST(GridEdits, CommittedTextIsStoredAndAnnouncedWithRowAndColumn) {
  Grid g(4);
  std::vector<std::pair<int, int>> commits;
  bool editor_open_at_signal = true;
  QObject::connect(&g.grid, &IGrid::AfterCommitEdit, &g.grid, [&](int row, int col) {
    commits.emplace_back(row, col);
    editor_open_at_signal = g.grid.view()->indexWidget(g.grid.model()->index(row - 1, col - 1)) != nullptr;
  });
  ASSERT_TRUE(g.grid.edit_cell(3, 5, u"1234"_s));
  ASSERT_EQ(commits.size(), 1u);
  EXPECT_EQ(commits[0], std::make_pair(3, 5));
  EXPECT_FALSE(editor_open_at_signal) << "handlers run after the editor closed";
  EXPECT_EQ(g.grid.CellValue(3, 5), QVariant(u"1234"_s));
  EXPECT_EQ(g.grid.CellValue(3, 5).typeId(), QMetaType::QString);

  // Typed by key: a key starts the edit, Enter commits; Escape abandons.
  g.grid.setCurRow(2);
  g.grid.view()->setCurrentIndex(g.grid.model()->index(1, 2));
  QTest::keyClick(g.grid.view(), Qt::Key_7);
  auto* editor = qobject_cast<QLineEdit*>(g.grid.view()->indexWidget(g.grid.model()->index(1, 2)));
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_5);
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();  // the delegate commits on its next turn
  ASSERT_EQ(commits.size(), 2u);
  EXPECT_EQ(commits[1], std::make_pair(2, 3));
  EXPECT_EQ(g.grid.CellValue(2, 3), QVariant(u"75"_s));

  QTest::keyClick(g.grid.view(), Qt::Key_9);
  editor = qobject_cast<QLineEdit*>(g.grid.view()->indexWidget(g.grid.model()->index(1, 2)));
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_EQ(commits.size(), 2u);
  EXPECT_EQ(g.grid.CellValue(2, 3), QVariant(u"75"_s));
}

TEST(GridEdits, ANumberCellEditsAsItsText) {
  Grid g(2);
  g.grid.setCellValue(1, 3, 12.5);
  g.grid.view()->edit(g.grid.model()->index(0, 2));
  auto* editor = qobject_cast<QLineEdit*>(g.grid.view()->indexWidget(g.grid.model()->index(0, 2)));
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), g.grid.model()->index(0, 2).data().toString());
  QTest::keyClick(editor, Qt::Key_Escape);
}

TEST(GridEdits, ReadOnlyGridTakesNoTyping) {
  Grid g(2);
  g.grid.setEditable(false);
  QSignalSpy commits(&g.grid, &IGrid::AfterCommitEdit);
  EXPECT_FALSE(g.grid.edit_cell(1, 1, u"5"_s));
  g.grid.setCurRow(1);
  QTest::keyClick(g.grid.view(), Qt::Key_5);
  EXPECT_EQ(commits.count(), 0);
  EXPECT_EQ(column1(g.grid, 1), QVariant(10));
}

TEST(GridMouse, MouseDownReportsTheRowUnderThePointerBeforeTheRowChanges) {
  Grid g(3);
  std::vector<std::string> events;
  QObject::connect(
      &g.grid, &IGrid::MouseDown, &g.grid,
      [&](Qt::MouseButton button, Qt::KeyboardModifiers, int, int, int row, int col) {
        const int cur = g.grid.CurRow();
        events.push_back(u"down %1 %2 %3 cur %4"_s.arg(int(button)).arg(row).arg(col).arg(cur).toStdString());
      });
  QObject::connect(&g.grid, &IGrid::CurRowChange, &g.grid,
                   [&] { events.push_back(u"cur %1"_s.arg(g.grid.CurRow()).toStdString()); });

  QTest::mousePress(g.cells(), Qt::LeftButton, {}, g.at(2, 4));
  QTest::mouseRelease(g.cells(), Qt::LeftButton, {}, g.at(2, 4));
  QTest::mousePress(g.cells(), Qt::RightButton, {}, g.at(3, 1));
  QTest::mouseRelease(g.cells(), Qt::RightButton, {}, g.at(3, 1));
  // Below the last row.
  QTest::mousePress(g.cells(), Qt::LeftButton, {}, QPoint(10, g.at(3, 1).y() + 60));
  QTest::mouseRelease(g.cells(), Qt::LeftButton, {}, QPoint(10, g.at(3, 1).y() + 60));

  const std::vector<std::string> expected{"down 1 2 4 cur 0", "cur 2", "down 2 3 1 cur 2", "cur 3", "down 1 0 1 cur 3"};
  EXPECT_EQ(events, expected);
}

TEST(GridSelection, CtrlClickSelectsSeveralWholeRows) {
  Grid g(5);
  g.grid.setMultiSelect(true);
  QTest::mouseClick(g.cells(), Qt::LeftButton, {}, g.at(2, 1));
  QTest::mouseClick(g.cells(), Qt::LeftButton, Qt::ControlModifier, g.at(4, 3));
  EXPECT_TRUE(g.grid.CellSelected(2, 1));
  EXPECT_TRUE(g.grid.CellSelected(4, 1)) << "the whole row, not only the clicked cell";
  EXPECT_TRUE(g.grid.CellSelected(2, 5));
  EXPECT_FALSE(g.grid.CellSelected(3, 1));
  EXPECT_FALSE(g.grid.CellSelected(9, 1));
  // Shift extends from the last clicked row.
  QTest::mouseClick(g.cells(), Qt::LeftButton, Qt::ShiftModifier, g.at(5, 1));
  EXPECT_TRUE(g.grid.CellSelected(4, 1));
  EXPECT_TRUE(g.grid.CellSelected(5, 1));
  EXPECT_FALSE(g.grid.CellSelected(3, 1));

  g.grid.setMultiSelect(false);
  QTest::mouseClick(g.cells(), Qt::LeftButton, {}, g.at(1, 1));
  QTest::mouseClick(g.cells(), Qt::LeftButton, Qt::ControlModifier, g.at(3, 1));
  EXPECT_FALSE(g.grid.CellSelected(1, 1));
  EXPECT_TRUE(g.grid.CellSelected(3, 1));
}

TEST(GridCurrentRow, KeyboardAndCallersRaiseCurRowChange) {
  Grid g(4);
  QSignalSpy changes(&g.grid, &IGrid::CurRowChange);
  g.grid.setCurRow(2);
  EXPECT_EQ(g.grid.CurRow(), 2);
  EXPECT_TRUE(g.grid.CellSelected(2, 1));
  EXPECT_EQ(changes.count(), 1);
  g.grid.setCurRow(2);
  EXPECT_EQ(changes.count(), 1) << "same row, no change";

  QTest::keyClick(g.grid.view(), Qt::Key_Down);
  EXPECT_EQ(g.grid.CurRow(), 3);
  EXPECT_EQ(changes.count(), 2);
  QTest::keyClick(g.grid.view(), Qt::Key_Right);
  EXPECT_EQ(changes.count(), 2) << "another cell of the same row";

  // Removing the current row makes another row current.
  g.grid.RemoveRow(3);
  EXPECT_EQ(changes.count(), 3);
  g.grid.setCurRow(0);
  EXPECT_EQ(g.grid.CurRow(), 0);
}

TEST(GridLook, RowsAreTwentyFourPixelsWithTheProgramsColours) {
  Grid g(4);
  QTableView* view = g.grid.view();
  EXPECT_EQ(view->rowHeight(0), 24);
  EXPECT_EQ(view->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
  const QString family = QFontInfo(view->font()).family();
  EXPECT_TRUE(family == u"Times New Roman"_s || family == u"Liberation Serif"_s) << family.toStdString();
  EXPECT_NEAR(view->font().pointSizeF(), 14.25, 0.01);
  EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(view->columnWidth(0), 80);

  g.grid.setCurRow(2);
  const QImage image = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const int x = g.at(2, 5).x() + 30;  // right of any text in the last column
  EXPECT_EQ(image.pixelColor(x, g.at(1, 5).y()), QColor(Qt::white));
  EXPECT_EQ(image.pixelColor(x, g.at(2, 5).y()), QColor(128, 0, 0));
  EXPECT_EQ(image.pixelColor(x, 23), QColor(128, 128, 255)) << "grid line under the first row";
}

// A widget that counts its paints.
class PaintCounter : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST(RepaintThrottled, RepaintsAtOnceButAboutThirtyTimesASecondAtMost) {
  PaintCounter label;
  label.resize(100, 20);
  label.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
  label.paints = 0;

  repaint_throttled(&label);
  EXPECT_EQ(label.paints, 1) << "the first call paints at once";
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 200) repaint_throttled(&label);
  EXPECT_GE(label.paints, 3);
  EXPECT_LE(label.paints, 1 + 200 / 30 + 1);

  const int before = label.paints;
  repaint_now(&label);
  EXPECT_EQ(label.paints, before + 1) << "the final repaint is never skipped";
}

}  // namespace
