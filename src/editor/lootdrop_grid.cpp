#include "editor/lootdrop_grid.h"

#include "controls/igrid.h"
#include "controls/litebtnctrl.h"
#include "editor/kept_entries.h"
#include "editor/korvexloot.h"
#include "itemcard/item_stats.h"
#include "platform/odbc.h"
#include "platform/prng.h"
#include "platform/textnum.h"
#include "shared/grid_cells.h"
#include "shared/operator_io.h"
#include "shared/shared.h"

#include <cmath>

namespace lootdrop_sql {

QString items_query(std::uint32_t lootdrop_id) {
  return QStringLiteral("SELECT ") + QStringLiteral("items.id, ") + QStringLiteral("items.name, ") +
         QStringLiteral("lootdrop_entries.equip_item,") + QStringLiteral("lootdrop_entries.chance, ") +
         QStringLiteral("lootdrop_entries.item_charges,") + QStringLiteral("lootdrop_entries.npc_min_level, ") +
         QStringLiteral("lootdrop_entries.npc_max_level, ") + QStringLiteral("lootdrop_entries.multiplier ") +
         QStringLiteral("FROM lootdrop_entries,items WHERE ") + QStringLiteral("lootdrop_entries.lootdrop_id = '") +
         textnum::sql_number(lootdrop_id) + QStringLiteral("'") +
         QStringLiteral(" AND lootdrop_entries.item_id=items.id");
}

QString delete_entries(std::uint32_t lootdrop_id) {
  return QStringLiteral("DELETE FROM lootdrop_entries WHERE lootdrop_id=") + textnum::sql_number(lootdrop_id);
}

QString insert_entry(std::uint32_t lootdrop_id, const QStringList& values) {
  return QStringLiteral(
             "INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,"
             "npc_min_level,npc_max_level,multiplier) VALUES ( ") +
         textnum::sql_number(lootdrop_id) + u',' + values.join(u',') + u')';
}

QString item_probe(std::int32_t item_id) {
  return QStringLiteral("SELECT id,name FROM items WHERE id=") + textnum::sql_number(item_id);
}

}  // namespace lootdrop_sql

namespace {

// Grid columns a save writes, in the order of the INSERT: item_id,
// item_charges, equip_item, chance, npc_min_level, npc_max_level, multiplier.
constexpr std::initializer_list<int> kSavedColumns = {1, 3, 4, 5, 6, 7, 8};

constexpr int kLargestRandomId = 100000;

// What a save writes of lootdrop_entries; entries whose item is missing from
// the catalogue are never shown (the loader joins the items).
const kept_entries::Layout kLootdropEntries{
    QStringLiteral("lootdrop_entries"),
    QStringLiteral("lootdrop_id"),
    {QStringLiteral("item_id"), QStringLiteral("item_charges"), QStringLiteral("equip_item"), QStringLiteral("chance"),
     QStringLiteral("npc_min_level"), QStringLiteral("npc_max_level"), QStringLiteral("multiplier")},
    QStringLiteral("NOT EXISTS (SELECT 1 FROM items WHERE items.id=k.item_id)"),
    QStringLiteral("Lootdrop"),
    QStringLiteral("items"),
    QStringLiteral("Item"),
    QStringLiteral("the item catalogue")};

// While one lives, the grid's current-row changes are the program's own
// moves, not the operator's: LootdropGrid::own_row_moves_ counts them.
class OwnRowMoves {
 public:
  explicit OwnRowMoves(int& counter) : counter_(counter) { ++counter_; }
  ~OwnRowMoves() { --counter_; }
  OwnRowMoves(const OwnRowMoves&) = delete;
  OwnRowMoves& operator=(const OwnRowMoves&) = delete;

 private:
  int& counter_;
};

}  // namespace

LootdropGrid::LootdropGrid(KorvexLoot& window) : w_(window) {
  connect(w_.lootdropE, &IGrid::AfterCommitEdit, this, &LootdropGrid::lootdropE_AfterCommitEdit);
  connect(w_.lootdropE, &IGrid::MouseDown, this, &LootdropGrid::lootdropE_MouseDown);
  connect(w_.lootdropE, &IGrid::CurRowChange, this, &LootdropGrid::lootdropE_CurRowChange);
  connect(w_.LiteBtnCtrl2, &LiteBtnCtrl::Click, this, &LootdropGrid::LiteBtnCtrl2_Click);
  connect(w_.LiteBtnCtrl3, &LiteBtnCtrl::Click, this, &LootdropGrid::LiteBtnCtrl3_Click);
}

std::vector<LootdropRow> read_lootdrop_rows(std::uint32_t lootdrop_id) {
  sql_text = lootdrop_sql::items_query(lootdrop_id);
  db_rs.open(sql_text, db_conn);
  std::vector<LootdropRow> rows;
  rows.reserve(static_cast<std::size_t>(db_rs.record_count()));
  for (db_rs.move_first(); !db_rs.eof(); db_rs.move_next()) {
    const db::Field name = db_rs.field(1);
    // The grid's column order differs from the statement's from the third on.
    rows.push_back({db_rs.number(0), name.is_null() ? QVariant() : QVariant(name.text()), db_rs.number(4),
                    db_rs.number(2), db_rs.number(3), db_rs.number(5), db_rs.number(6), db_rs.number(7)});
  }
  db_rs.close();
  return rows;
}

bool LootdropGrid::decode_lootdropE(bool report_failure) {
  IGrid& grid = *w_.lootdropE;
  OwnRowMoves own_moves(own_row_moves_);
  unloaded_ = cur_lootdrop_id;
  try {
    open_db(db_rs, db_conn);
    const std::vector<LootdropRow> rows = read_lootdrop_rows(cur_lootdrop_id);
    loaded_ = {cur_lootdrop_id, {}};
    for (const LootdropRow& row : rows) {
      QStringList values;
      for (const int col : kSavedColumns) values << grid_cells::sql_value(row[static_cast<std::size_t>(col - 1)]);
      loaded_.rows.push_back(std::move(values));
    }
    grid.setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i)
      for (std::size_t col = 0; col < rows[i].size(); ++col)
        grid.setCellValue(static_cast<int>(i) + 1, static_cast<int>(col) + 1, rows[i][col]);
    unloaded_.reset();
    return true;
  } catch (const db::Error& e) {
    db_rs.close();
    if (report_failure) report_db_error(QStringLiteral("Loading lootdrop ") + textnum::number_text(cur_lootdrop_id), e);
    return false;
  }
}

bool LootdropGrid::store_entries(int skip_row) {
  const IGrid& grid = *w_.lootdropE;
  if (cur_lootdrop_id == 0) {
    // No lootdrop has id 0: entries stored under it belong to nothing.
    operator_io().message(
        QStringLiteral("No lootdrop is chosen, so nothing was saved. Choose a row of the loot "
                       "table first."));
    return false;
  }
  if (unloaded_ == cur_lootdrop_id) {
    operator_io().message(QStringLiteral("Lootdrop ") + textnum::number_text(cur_lootdrop_id) +
                          QStringLiteral(" could not be loaded, so the grid may show other entries: nothing was "
                                         "saved. Choose the lootdrop again first."));
    return false;
  }
  const auto rows = grid_cells::rows_to_save(grid, kSavedColumns, skip_row);
  if (!rows) return false;
  const std::uint32_t lootdrop_id = cur_lootdrop_id;
  try {
    if (!db_conn.is_open()) open_db(db_rs, db_conn);
    db::Transaction transaction(db_conn);
    kept_entries::replace(
        kLootdropEntries, lootdrop_id, *rows, loaded_, lootdrop_sql::delete_entries(lootdrop_id),
        [lootdrop_id](const QStringList& values) { return lootdrop_sql::insert_entry(lootdrop_id, values); });
    transaction.commit();
    return true;
  } catch (const kept_entries::Refused& refused) {
    operator_io().message(refused.message());
    return false;
  } catch (const db::Error& e) {
    report_transaction_failure(QStringLiteral("Saving lootdrop ") + textnum::number_text(lootdrop_id) +
                                   QStringLiteral(" (nothing was changed)"),
                               e);
    return false;
  }
}

bool LootdropGrid::save(int lRow) {
  if (!store_entries()) return false;
  sel_lootdrop_row = lRow;
  if (!decode_lootdropE()) return true;
  // A row the reload left out (its item is not in the catalogue) has no card.
  if (lRow >= 1 && lRow <= w_.lootdropE->RowCount()) show_row(lRow);
  return true;
}

void LootdropGrid::show_row(int row) {
  const auto item = grid_cells::whole(w_.lootdropE->CellValue(row, 1));
  if (!item) return;  // typed text that is no item id: nothing to show
  cur_item_id = *item;
  if (cur_item_id != 0) decode_loot_item_for_stats();
}

void LootdropGrid::lootdropE_AfterCommitEdit(int lRow, int /*lCol*/) { save(lRow); }

void LootdropGrid::LiteBtnCtrl2_Click() {
  if (w_.loottableE->RowCount() == 0) return;
  try {
    open_db(db_rs, db_conn);
    sql_text = QStringLiteral("SELECT id FROM items WHERE id BETWEEN 1 AND ") + textnum::sql_number(kLargestRandomId) +
               QStringLiteral(" LIMIT 1");
    db_rs.open(sql_text, db_conn);
    const bool any = !db_rs.eof();
    db_rs.close();
    if (!any) {
      operator_io().message(
          QStringLiteral("The item catalogue holds no item with an id from 1 to 100000: "
                         "no row was added."));
      return;
    }
    bool found = false;
    for (int tries = 0; tries < kMaxItemTries && !found; ++tries) {
      const auto x = static_cast<std::int32_t>(std::floor(prng::next() * kLargestRandomId + 1));
      sql_text = lootdrop_sql::item_probe(x);
      db_rs.open(sql_text, db_conn);
      found = db_rs.record_count() != 0;
    }
    if (!found) {
      db_rs.close();
      operator_io().message(
          QStringLiteral("No item was found at %1 random ids from 1 to 100000: no row was added.").arg(kMaxItemTries));
      return;
    }
  } catch (const db::Error& e) {
    db_rs.close();
    report_db_error(QStringLiteral("Picking a random item"), e);
    return;
  }
  IGrid& grid = *w_.lootdropE;
  const std::int32_t old_sel = sel_lootdrop_row;
  int new_row = 0;
  {
    OwnRowMoves own_moves(own_row_moves_);
    grid.AddRow();
    new_row = grid.RowCount();
    sel_lootdrop_row = 0;
    const db::Field name = db_rs.field(u"name");
    grid.setCellValue(new_row, 1, db_rs.field(u"id").number());
    grid.setCellValue(new_row, 2, name.is_null() ? QVariant() : QVariant(name.text()));
    const int defaults[] = {1, 1, 50, 0, 127, 1};
    for (int col = 3; col <= 8; ++col) grid.setCellValue(new_row, col, defaults[col - 3]);
    db_rs.close();
  }
  if (save(1)) return;
  // Not stored: take the row back, so grid and database stay as they were.
  OwnRowMoves own_moves(own_row_moves_);
  grid.RemoveRow(new_row);
  sel_lootdrop_row = old_sel;
}

void LootdropGrid::LiteBtnCtrl3_Click() {
  IGrid& grid = *w_.lootdropE;
  const int row = sel_lootdrop_row;
  if (grid.RowCount() == 0 || row < 1 || cur_lootdrop_id == 0 || row > grid.RowCount()) return;
  // Stored first, then taken from the grid: a refusal leaves both as they were.
  if (!store_entries(row)) return;
  {
    OwnRowMoves own_moves(own_row_moves_);
    grid.RemoveRow(row);
  }
  decode_lootdropE();
}

void LootdropGrid::lootdropE_MouseDown(Qt::MouseButton /*Button*/, Qt::KeyboardModifiers /*Shift*/, int /*X*/,
                                       int /*Y*/, int lRow, int /*lCol*/) {
  if (lRow == 0) return;
  sel_lootdrop_row = lRow;
  show_row(lRow);
}

void LootdropGrid::lootdropE_CurRowChange() {
  if (own_row_moves_ != 0) return;
  const int row = w_.lootdropE->CurRow();
  if (row < 1) return;
  sel_lootdrop_row = row;
  show_row(row);
}

void LootdropGrid::decode_loot_item_for_stats() {
  std::int16_t type_of_item = 0;
  item_stats_window().show_stats(cur_item_id, type_of_item);
}
