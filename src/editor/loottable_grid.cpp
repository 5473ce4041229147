#include "editor/loottable_grid.h"

#include "controls/form_layout.h"
#include "controls/igrid.h"
#include "controls/litebtnctrl.h"
#include "editor/kept_entries.h"
#include "editor/korvexloot.h"
#include "editor/lootdrop_grid.h"
#include "platform/odbc.h"
#include "platform/textnum.h"
#include "shared/grid_cells.h"
#include "shared/operator_io.h"
#include "shared/shared.h"

#include <vector>

namespace loottable_sql {

QString entries_query(std::uint32_t loottable_id) {
  return QStringLiteral("SELECT * FROM loottable_entries WHERE loottable_id=") + textnum::sql_number(loottable_id);
}

QString delete_entries(std::uint32_t loottable_id) {
  return QStringLiteral("DELETE FROM loottable_entries WHERE loottable_id=") + textnum::sql_number(loottable_id);
}

QString insert_entry(std::uint32_t loottable_id, const QStringList& values) {
  return QStringLiteral(
             "INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,droplimit,mindrop,"
             "probability) VALUES (") +
         textnum::sql_number(loottable_id) + u',' + values.join(u',') + u')';
}

QString rusty_dagger_query() { return QStringLiteral("SELECT id FROM items WHERE name='rusty dagger'"); }

QString insert_placeholder_link(std::uint32_t loottable_id, std::uint32_t lootdrop_id) {
  return QStringLiteral(
             "INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,probability,droplimit,"
             "mindrop) VALUES ( ") +
         textnum::sql_number(loottable_id) + u',' + textnum::sql_number(lootdrop_id) + QStringLiteral(",1,100,1,0)");
}

QString insert_placeholder_entry(std::uint32_t lootdrop_id, const QString& item_id) {
  return QStringLiteral(
             "INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,"
             "npc_min_level,npc_max_level,multiplier) VALUES ( ") +
         textnum::sql_number(lootdrop_id) + u',' + item_id + QStringLiteral(",1,1,50,0,127,1)");
}

QString insert_placeholder_lootdrop(std::uint32_t lootdrop_id, std::uint32_t loottable_id) {
  return QStringLiteral("INSERT INTO lootdrop (id,name) VALUES ( ") + textnum::sql_number(lootdrop_id) + u',' + u'"' +
         QStringLiteral("custom_entry_") + textnum::sql_number(loottable_id) + u'"' + u')';
}

QString delete_link(std::uint32_t loottable_id, const QString& lootdrop_id) {
  return QStringLiteral("DELETE FROM loottable_entries WHERE loottable_id=") + textnum::sql_number(loottable_id) +
         QStringLiteral(" AND lootdrop_id=") + lootdrop_id;
}

}  // namespace loottable_sql

namespace {

constexpr std::initializer_list<int> kSavedColumns = {1, 2, 3, 4, 5};

// What a save writes of loottable_entries; the grid shows every entry.
const kept_entries::Layout kLoottableEntries{
    QStringLiteral("loottable_entries"),
    QStringLiteral("loottable_id"),
    {QStringLiteral("lootdrop_id"), QStringLiteral("multiplier"), QStringLiteral("droplimit"),
     QStringLiteral("mindrop"), QStringLiteral("probability")},
    QString(),
    QStringLiteral("Loot table")};

const QString kSaveFailed = QStringLiteral("Make sure NO duplicate lootdrops exist!");
const QString kNoLootdropEntries = QStringLiteral("Error: No lootdrop Entries found!");

}  // namespace

LoottableGrid::LoottableGrid(KorvexLoot& window, LootdropGrid& lootdrops) : w_(window), lootdrops_(lootdrops) {
  connect(w_.loottableE, &IGrid::AfterCommitEdit, this, &LoottableGrid::loottableE_AfterCommitEdit);
  connect(w_.loottableE, &IGrid::MouseDown, this, &LoottableGrid::loottableE_MouseDown);
  connect(w_.LiteBtnCtrl4, &LiteBtnCtrl::Click, this, &LoottableGrid::LiteBtnCtrl4_Click);
  connect(w_.plusrow, &LiteBtnCtrl::Click, this, &LoottableGrid::plusrow_Click);
  connect(w_.removegridrow, &LiteBtnCtrl::Click, this, &LoottableGrid::removegridrow_Click);
}

bool LoottableGrid::decode_loottableE() {
  IGrid& grid = *w_.loottableE;
  unloaded_ = cur_loottable_id;
  try {
    open_db(db_rs, db_conn);
    sql_text = loottable_sql::entries_query(cur_loottable_id);
    db_rs.open(sql_text, db_conn);
    const int n = db_rs.record_count();
    if (n != 0) {
      grid.Clear();
      grid.setRowCount(n);
    }
    loaded_ = {cur_loottable_id, {}};
    for (int i = 1; i <= n; ++i) {
      QStringList values;
      int col = 1;
      for (const char16_t* name : {u"lootdrop_id", u"multiplier", u"droplimit", u"mindrop", u"probability"}) {
        const double value = db_rs.field(QStringView(name)).number();
        grid.setCellValue(i, col++, value);
        values << textnum::sql_number(value);
      }
      loaded_.rows.push_back(std::move(values));
      db_rs.move_next();
    }
    db_rs.close();
    unloaded_.reset();
    if (n == 0) {
      operator_io().message(QStringLiteral("Error:NOT found in loottable_entries - this entry needs repairing!"));
      return false;
    }
    return true;
  } catch (const db::Error& e) {
    db_rs.close();
    report_db_error(QStringLiteral("Loading loot table ") + textnum::number_text(cur_loottable_id), e);
    return false;
  }
}

// Loot table 0 is an NPC's "no loot table": entries stored under it reach no NPC.
static bool loottable_chosen() {
  if (cur_loottable_id != 0) return true;
  operator_io().message(
      QStringLiteral("The chosen NPC has no loot table, so nothing was saved. \"Make Loottables for NPC's without "
                     "any Loot\" gives it one."));
  return false;
}

bool LoottableGrid::store_entries() {
  if (!loottable_chosen()) return false;
  if (unloaded_ == cur_loottable_id) {
    operator_io().message(QStringLiteral("Loot table ") + textnum::number_text(cur_loottable_id) +
                          QStringLiteral(" could not be loaded, so the grid may show other entries: nothing was "
                                         "saved. Choose its NPC again first."));
    return false;
  }
  const auto rows = grid_cells::rows_to_save(*w_.loottableE, kSavedColumns, 0, 1);
  if (!rows) return false;
  try {
    if (!db_conn.is_open()) open_db(db_rs, db_conn);
    db::Transaction transaction(db_conn);
    const std::uint32_t loottable_id = cur_loottable_id;
    kept_entries::Loaded stored = kept_entries::replace(
        kLoottableEntries, loottable_id, *rows, loaded_, loottable_sql::delete_entries(loottable_id),
        [loottable_id](const QStringList& values) { return loottable_sql::insert_entry(loottable_id, values); });
    transaction.commit();
    // The grid is not loaded again after its save: what it shows now is
    // what was stored.
    loaded_ = std::move(stored);
    return true;
  } catch (const kept_entries::Refused& refused) {
    operator_io().message(refused.message());
    return false;
  } catch (const db::Error&) {
    const QString note = not_undone_note(db_conn.last_rollback());
    operator_io().message(note.isEmpty() ? kSaveFailed : kSaveFailed + QStringLiteral("\n\n") + note);
    return false;
  }
}

void LoottableGrid::loottableE_AfterCommitEdit(int lRow, int /*lCol*/) {
  if (!store_entries()) return;
  if (lRow < 1 || lRow > w_.loottableE->RowCount()) return operator_io().message(kSaveFailed);
  const auto lootdrop = grid_cells::id(w_.loottableE->CellValue(lRow, 1));
  if (!lootdrop) return operator_io().message(kSaveFailed);
  cur_lootdrop_id = *lootdrop;
  // A failed reload is this save's failure too, told in its own words.
  if (!lootdrops_.decode_lootdropE(false)) return operator_io().message(kSaveFailed);
  // The card keeps the item it showed; only the current item follows.
  const auto item = grid_cells::whole(w_.lootdropE->CellValue(1, 1));
  if (w_.lootdropE->RowCount() < 1 || !item) return operator_io().message(kSaveFailed);
  cur_item_id = *item;
}

void LoottableGrid::loottableE_MouseDown(Qt::MouseButton /*Button*/, Qt::KeyboardModifiers /*Shift*/, int /*X*/,
                                         int /*Y*/, int lRow, int /*lCol*/) {
  IGrid& grid = *w_.loottableE;
  if (lRow < 1 || lRow > grid.RowCount() || w_.lootdropE->RowCount() == 0) return;
  const auto lootdrop = grid_cells::id(grid.CellValue(lRow, 1));
  if (!lootdrop) return operator_io().message(grid_cells::not_an_id(grid, {lRow, 1}));
  sel_loottable_row = lRow;
  cur_lootdrop_id = *lootdrop;
  if (!lootdrops_.decode_lootdropE()) return;
  const auto item = grid_cells::whole(w_.lootdropE->CellValue(1, 1));
  if (w_.lootdropE->RowCount() < 1 || !item) return operator_io().message(kNoLootdropEntries);
  cur_item_id = *item;
  if (cur_item_id != 0) lootdrops_.decode_loot_item_for_stats();
}

void LoottableGrid::LiteBtnCtrl4_Click() {
  IGrid& grid = *w_.loottableE;
  grid.AddRow();
  const int row = grid.RowCount();
  const double values[] = {double(own_lootdrop_id), 1, 1, 0, 100};
  for (int col = 1; col <= 5; ++col) grid.setCellValue(row, col, values[col - 1]);
}

void LoottableGrid::plusrow_Click() {
  if (w_.loottableE->RowCount() == 0 || !loottable_chosen()) return;
  // The default pointer comes back on every way out, before any message.
  WaitPointer hourglass;
  try {
    open_db(db_rs, db_conn);
    // The item is looked up before anything is written: without it there
    // would be a link to a lootdrop that has neither a row nor entries.
    sql_text = loottable_sql::rusty_dagger_query();
    db_rs.open(sql_text, db_conn);
    if (db_rs.eof()) {
      db_rs.close();
      hourglass.release();
      operator_io().message(QStringLiteral("No item is named \"rusty dagger\": no lootdrop was made."));
      return;
    }
    const QString item = textnum::sql_number(db_rs.field(u"id").number());
    db_rs.close();
    const std::uint32_t lootdrop = first_free_id(QStringLiteral("SELECT id FROM lootdrop WHERE id="));
    db::Transaction transaction(db_conn);
    execute_sql(loottable_sql::insert_placeholder_link(cur_loottable_id, lootdrop));
    execute_sql(loottable_sql::insert_placeholder_entry(lootdrop, item));
    execute_sql(loottable_sql::insert_placeholder_lootdrop(lootdrop, cur_loottable_id));
    transaction.commit();
  } catch (const db::Error& e) {
    db_rs.close();
    hourglass.release();
    report_transaction_failure(QStringLiteral("Making a placeholder lootdrop (nothing was written)"), e);
    return;
  }
  decode_loottableE();
}

void LoottableGrid::removegridrow_Click() {
  IGrid& grid = *w_.loottableE;
  const int row = sel_loottable_row;
  if (grid.RowCount() == 0 || row < 1 || row > grid.RowCount()) return;
  const QVariant cell = grid.CellValue(row, 1);
  if (!grid_cells::number(cell)) {
    operator_io().message(grid_cells::not_a_number(grid, {row, 1}) + QStringLiteral(" Nothing was removed."));
    return;
  }
  const auto lootdrop = grid_cells::id(cell);
  if (!lootdrop) {
    operator_io().message(grid_cells::not_an_id(grid, {row, 1}) + QStringLiteral(" Nothing was removed."));
    return;
  }
  try {
    open_db(db_rs, db_conn);
    execute_sql(loottable_sql::delete_link(cur_loottable_id, textnum::sql_number(*lootdrop)));
  } catch (const db::Error& e) {
    report_db_error(QStringLiteral("Removing the link to lootdrop ") + textnum::number_text(*lootdrop), e);
    return;
  }
  grid.RemoveRow(row);
  sel_loottable_row = 0;
  // The statement took every link to that lootdrop out of the loot table.
  if (loaded_.parent == cur_loottable_id) {
    const QString removed = textnum::sql_number(*lootdrop);
    std::erase_if(loaded_.rows, [&](const QStringList& r) { return r.value(0) == removed; });
  }
}
