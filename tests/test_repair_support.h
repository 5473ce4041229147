#pragma once
// The repair command and renumbering tests: a loaded main window with
// something on show in its lower grids, and the loot rows of the scratch
// database in one list.

#include "test_loot_grids_support.h"

namespace repair_testing {

class RepairTest : public loot_grids_testing::LootGrids {
 protected:
  // As after a press on an NPC: rows in both lower grids, ids current.
  void something_current() {
    w->loottableE->setRowCount(1);
    w->lootdropE->setRowCount(2);
    cur_loottable_id = 100;
    cur_lootdrop_id = 7;
    cur_item_id = 1001;
    sel_loottable_row = 1;
    sel_lootdrop_row = 2;
  }
  // The lower grids' row counts and the four ids that go with them.
  QString lower_grids() const {
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(w->loottableE->RowCount())
        .arg(w->lootdropE->RowCount())
        .arg(cur_loottable_id)
        .arg(cur_lootdrop_id)
        .arg(sel_loottable_row)
        .arg(sel_lootdrop_row);
  }
  static QString something_shown() { return QStringLiteral("1 2 100 7 1 2"); }
  static QString nothing_shown() { return QStringLiteral("0 0 0 0 0 0"); }
  // Every lootdrop "id|name", then its entries "lootdrop|item|chance", then
  // the links "loottable|lootdrop".
  QStringList loot_rows() {
    return scratch->rows(QStringLiteral("SELECT id,name FROM lootdrop ORDER BY id")) +
           scratch->rows(QStringLiteral("SELECT lootdrop_id,item_id,chance FROM lootdrop_entries ORDER BY 1,2")) +
           scratch->rows(QStringLiteral("SELECT loottable_id,lootdrop_id FROM loottable_entries ORDER BY 1,2"));
  }
};

}  // namespace repair_testing
