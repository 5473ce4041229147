#pragma once
// The loot grid tests: a loaded main window over a scratch database, its
// lootdrop and loot table grids, and compact ways to fill and read tables
// and grids.

#include "controls/grid_model.h"
#include "controls/igrid.h"
#include "editor/korvexloot.h"
#include "editor/lootdrop_grid.h"
#include "editor/loottable_grid.h"
#include "itemcard/item_stats.h"
#include "shared/shared.h"
#include "support/testdb.h"

#include <gtest/gtest.h>
#include <QStringList>

#include <memory>
#include <ostream>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace loot_grids_testing {

class LootGrids : public testing_support::DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    // The program's own lootdrop is named by an existing row, so the load
    // step writes nothing.
    scratch->exec(QStringLiteral("INSERT INTO variables (varname,value,information) VALUES ('LootdropID','500','')"));
    w = std::make_unique<KorvexLoot>();
    w->Form_Load();
    drops = w->lootdrop_grid.get();
    tables = w->loottable_grid.get();
    w->show();
  }
  void TearDown() override {
    w.reset();
    DbTest::TearDown();
  }

  // "INSERT INTO items (id,Name) VALUES (1001,'Cloth Cap'),..." from "1001=Cloth Cap" pairs.
  void items(const QStringList& pairs) {
    QStringList values;
    for (const QString& p : pairs)
      values << u'(' + p.section(u'=', 0, 0) + QStringLiteral(",'") + p.section(u'=', 1) + QStringLiteral("')");
    scratch->exec(QStringLiteral("INSERT INTO items (id,Name) VALUES ") + values.join(u','));
  }
  // Entries as "item|charges|equip|chance|disabled_chance|min|max|multiplier".
  void entries(qint64 lootdrop, const QStringList& rows) {
    for (const QString& r : rows) {
      const QStringList f = r.split(u'|');
      scratch->exec(QStringLiteral("INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,"
                                   "disabled_chance,npc_min_level,npc_max_level,multiplier) VALUES (") +
                    QString::number(lootdrop) + u',' + f.join(u',') + u')');
    }
  }
  QStringList stored_entries(qint64 lootdrop) {
    return scratch->rows(QStringLiteral("SELECT item_id,item_charges,equip_item,chance,disabled_chance,"
                                        "npc_min_level,npc_max_level,multiplier FROM lootdrop_entries "
                                        "WHERE lootdrop_id=") +
                         QString::number(lootdrop) + QStringLiteral(" ORDER BY item_id"));
  }
  // Links as "lootdrop|multiplier|droplimit|mindrop|probability".
  void links(qint64 loottable, const QStringList& rows) {
    for (const QString& r : rows) {
      scratch->exec(QStringLiteral("INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,droplimit,"
                                   "mindrop,probability) VALUES (") +
                    QString::number(loottable) + u',' + r.split(u'|').join(u',') + u')');
    }
  }
  QStringList stored_links(qint64 loottable) {
    return scratch->rows(QStringLiteral("SELECT lootdrop_id,multiplier,droplimit,mindrop,probability FROM "
                                        "loottable_entries WHERE loottable_id=") +
                         QString::number(loottable) + QStringLiteral(" ORDER BY lootdrop_id"));
  }
  // Runs `step` while `table` is out of the program's reach, so the
  // statements that need it are refused.
  template <class Step>
  void without_table(const QString& table, Step step) {
    scratch->exec(QStringLiteral("RENAME TABLE ") + table + QStringLiteral(" TO gone_for_now"));
    step();
    scratch->exec(QStringLiteral("RENAME TABLE gone_for_now TO ") + table);
  }
  // Every row of a grid, cells as the grid shows them joined by "|".
  static QStringList shown(const IGrid* grid) {
    QStringList rows;
    for (int r = 1; r <= grid->RowCount(); ++r) {
      QStringList cells;
      for (int c = 1; c <= grid->ColCount(); ++c)
        cells << grid->model()->data(grid->model()->index(r - 1, c - 1), Qt::DisplayRole).toString();
      rows << cells.join(u'|');
    }
    return rows;
  }
  // Types into a cell and commits, as the operator would.
  static void type(IGrid* grid, int row, int col, const QString& text) {
    ASSERT_TRUE(grid->edit_cell(row, col, text)) << "cell " << row << "," << col << " cannot be edited";
  }
  static QString card_name() { return item_stats_window().ITSname->text(); }

  std::unique_ptr<KorvexLoot> w;
  LootdropGrid* drops = nullptr;
  LoottableGrid* tables = nullptr;
};

}  // namespace loot_grids_testing
