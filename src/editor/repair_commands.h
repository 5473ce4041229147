#pragma once
// The "Special" menu's repairs over the whole database: loot tables for the
// listed NPCs that have none, deleting one lootdrop everywhere, and putting
// every drop chance into the range 10 to 100.
//
// Each command writes in one transaction: a refused statement leaves the
// database as it was, and the operator is told so. The lootdrop id the
// operator types for the delete goes into the statements only as a checked
// whole number.

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

class KorvexLoot;

// The statement texts of the repair commands, one place per statement.
namespace repair_sql {
QString max_loottable_query();
// New loot tables for many NPCs at once: the loot tables and their entries
// as one INSERT each, and the NPCs' new loot table ids through a list on the
// server, where a later row for the same NPC replaces an earlier one.
QString new_loottables(const std::vector<std::uint32_t>& loottable_ids);
QString new_loottable_entries(const std::vector<std::uint32_t>& loottable_ids, std::uint32_t lootdrop_id);
QString create_npc_loottables();
QString drop_npc_loottables();
QString list_npc_loottables(const std::vector<std::pair<std::int32_t, std::uint32_t>>& npc_loottables);
QString set_listed_npc_loottables();
QString clear_npc_loottables();
// The three deletes, in the order they run.
QStringList delete_lootdrop(std::uint32_t lootdrop_id);
// The four updates, in the order they run.
QStringList fix_chances();
}  // namespace repair_sql

// The question of the delete command.
QString purge_question();

class RepairCommands : public QObject {
  Q_OBJECT

 public:
  // Connects itself to the three menu entries of the main window.
  explicit RepairCommands(KorvexLoot& window);

  // "Make Loottables for NPC's without any Loot"
  void fix_loot_for_empty_loottablesx_Click();
  // "Delete Unused LOOTDROP"
  void LOOTDROP_wipe_Click();
  // "Fix lootdrops with chances >100 (range 0-100)"
  void percX_fix_Click();

 private:
  struct NewLoottable {
    int row = 0;
    std::int32_t npc_id = 0;
    std::uint32_t loottable_id = 0;
  };
  // Writes a loot table for each entry of `todo` and fills in its id; false
  // (reported, nothing written) when the database refused.
  bool make_loottables(std::vector<NewLoottable>& todo);
  // Writes the loot tables of todo[from, from + count) in a few statements.
  void make_loottable_chunk(const std::vector<NewLoottable>& todo, std::size_t from, std::size_t count);

  KorvexLoot& w_;
};
