#pragma once
// The main window's loot table grid `loottableE`: the entries of the current
// loot table, written back whole after every committed edit, a press that
// shows a row's lootdrop in the lootdrop grid, and its three buttons:
// "create empty row" (the program's own lootdrop, in the grid only), "+ ROW"
// (a new placeholder lootdrop "custom_entry_<loot table>" holding a "rusty
// dagger") and "- ROW" (removes the pressed row's link).
//
// The save checks every cell first and runs in one transaction, as do the
// three rows of "+ ROW": a refused statement leaves the database as it was.

#include "editor/kept_entries.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class KorvexLoot;
class LootdropGrid;

// The statement texts of the loot table grid, one place per statement.
namespace loottable_sql {
QString entries_query(std::uint32_t loottable_id);
QString delete_entries(std::uint32_t loottable_id);
// `values`: lootdrop_id, multiplier, droplimit, mindrop, probability, each
// already a number's text.
QString insert_entry(std::uint32_t loottable_id, const QStringList& values);
QString rusty_dagger_query();
QString insert_placeholder_link(std::uint32_t loottable_id, std::uint32_t lootdrop_id);
QString insert_placeholder_entry(std::uint32_t lootdrop_id, const QString& item_id);
QString insert_placeholder_lootdrop(std::uint32_t lootdrop_id, std::uint32_t loottable_id);
QString delete_link(std::uint32_t loottable_id, const QString& lootdrop_id);
}  // namespace loottable_sql

class LoottableGrid : public QObject {
  Q_OBJECT

 public:
  LoottableGrid(KorvexLoot& window, LootdropGrid& lootdrops);

  // Fills loottableE with the entries of cur_loottable_id. A loot table
  // without entries is reported and leaves the grid as it was; so is a
  // database failure. The result says whether the grid was loaded.
  bool decode_loottableE();
  // The last load was refused by the database (as opposed to finding no
  // entries), so the grid does not show the current loot table.
  bool load_failed() const { return unloaded_.has_value(); }
  // The save: the whole grid becomes the loot table's entries, then the
  // edited row's lootdrop fills the lootdrop grid.
  void loottableE_AfterCommitEdit(int lRow, int lCol);
  void loottableE_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y, int lRow, int lCol);
  void LiteBtnCtrl4_Click();   // "create empty row"
  void plusrow_Click();        // "+ ROW"
  void removegridrow_Click();  // "- ROW"

 private:
  // Every grid row as the loot table's entries, in one transaction.
  bool store_entries();

  KorvexLoot& w_;
  LootdropGrid& lootdrops_;
  // The loot table whose last load failed: the grid may still hold another
  // loot table's rows, which a save must not store under this one's id.
  std::optional<std::uint32_t> unloaded_;
  // What the grid showed after its last load, which a save checks the
  // stored entries against.
  kept_entries::Loaded loaded_;
};
