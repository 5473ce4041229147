#pragma once
// The item search tests: a loaded main window over a scratch database, the
// item search window opened from it, a current folder of the test's own (for
// list files), and compact ways to fill and read the item list.

#include "controls/grid_model.h"
#include "itemsearch/item_search.h"
#include "platform/sqltext.h"
#include "test_loot_grids_support.h"

#include <QApplication>
#include <QDir>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTemporaryDir>

namespace item_search_testing {

class ItemSearch : public loot_grids_testing::LootGrids {
 protected:
  void SetUp() override {
    LootGrids::SetUp();
    ASSERT_TRUE(folder.isValid());
    previous_folder = QDir::currentPath();
    QDir::setCurrent(folder.path());
    s = &item_search_window();
    s->list_cursor = 0;
    w->find_item_Click();
    ASSERT_TRUE(s->is_loaded());
  }
  void TearDown() override {
    s->unload();
    QDir::setCurrent(previous_folder);
    LootGrids::TearDown();
  }

  // An item with any name (quotes and all), and optionally its aint.
  void item(int id, const QString& name, int aint = 0) {
    scratch->exec(QStringLiteral("INSERT INTO items (id,Name,aint) VALUES (%1,%2,%3)")
                      .arg(id)
                      .arg(sqltext::quote(name))
                      .arg(aint));
  }
  // Sets the list to the given "id|name" rows, as texts ("" = empty cell).
  void list(const QStringList& rows) {
    s->itms->Clear();
    s->itms->setRowCount(static_cast<int>(rows.size()));
    for (int r = 1; r <= rows.size(); ++r) {
      const QStringList cells = rows[r - 1].split(u'|');
      for (int c = 1; c <= 2; ++c) {
        if (!cells[c - 1].isEmpty()) s->itms->setCellValue(r, c, cells[c - 1]);
      }
    }
  }
  static void select_rows(IGrid* grid, std::initializer_list<int> rows) {
    QItemSelectionModel* selection = grid->view()->selectionModel();
    selection->clearSelection();
    for (const int r : rows)
      selection->select(grid->model()->index(r - 1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  static bool hourglass_on() { return QApplication::overrideCursor() != nullptr; }

  item_search* s = nullptr;
  QTemporaryDir folder;
  QString previous_folder;
};

}  // namespace item_search_testing
