#pragma once
// The main window's lootdrop grid `lootdropE`: the items of the current
// lootdrop, written back whole after every committed edit, "+ ROW" (a random
// item from the catalogue) and "- ROW" beneath it, and the item card of the
// pressed or current row.
//
// A save checks every cell before it sends anything and runs in one
// transaction: a refused statement leaves the lootdrop as it was. It also
// keeps what the grid cannot show: entries whose item is missing from the
// catalogue, and every column of an entry the grid does not write
// (kept_entries.h).

#include "editor/kept_entries.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class KorvexLoot;

// The statement texts of the lootdrop grid, one place per statement.
namespace lootdrop_sql {
QString items_query(std::uint32_t lootdrop_id);
QString delete_entries(std::uint32_t lootdrop_id);
// `values`: item_id, item_charges, equip_item, chance, npc_min_level,
// npc_max_level, multiplier, each already a number's text.
QString insert_entry(std::uint32_t lootdrop_id, const QStringList& values);
QString item_probe(std::int32_t item_id);
}  // namespace lootdrop_sql

// One row of the lootdrop grid as it is read: item id, name, item_charges,
// equip_item, chance, npc_min_level, npc_max_level, multiplier.
using LootdropRow = std::array<QVariant, 8>;

// The items of lootdrop `lootdrop_id` whose item is in the catalogue, as the
// grid shows them: numbers, the name as the server sent it (NULL as nothing).
// Sets sql_text and reads through db_rs, which it leaves closed. Throws
// db::Error.
std::vector<LootdropRow> read_lootdrop_rows(std::uint32_t lootdrop_id);

class LootdropGrid : public QObject {
  Q_OBJECT

 public:
  explicit LootdropGrid(KorvexLoot& window);

  // Tries of "+ ROW" before it gives up on finding an item.
  static constexpr int kMaxItemTries = 10000;

  // Fills lootdropE with the items of cur_lootdrop_id. A database failure is
  // reported (unless the caller reports it its own way) and leaves the grid
  // as far as it got; the result says whether the grid was loaded.
  bool decode_lootdropE(bool report_failure = true);
  // The save: the whole grid becomes the lootdrop's entries, then reload.
  void lootdropE_AfterCommitEdit(int lRow, int lCol);
  void LiteBtnCtrl2_Click();  // "+ ROW"
  void LiteBtnCtrl3_Click();  // "- ROW"
  void lootdropE_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y, int lRow, int lCol);
  void lootdropE_CurRowChange();
  // Renders cur_item_id on the item card.
  void decode_loot_item_for_stats();

 private:
  bool save(int lRow);
  // Every grid row but `skip_row` as the lootdrop's entries, in one
  // transaction. False when a cell holds no number or the database refused
  // (reported; the database is as it was).
  bool store_entries(int skip_row = 0);
  void show_row(int row);

  KorvexLoot& w_;
  // The lootdrop whose last load failed: the grid may still hold another
  // lootdrop's rows, which a save must not store under this one's id.
  std::optional<std::uint32_t> unloaded_;
  // What the grid showed after its last load, which a save checks the
  // stored entries against.
  kept_entries::Loaded loaded_;
  // The grid's own reloads and removals move its current row; those moves
  // are not the operator's and must not change the selection state.
  int own_row_moves_ = 0;
};
