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
#include <vector>

class KorvexLoot;

// The statement texts of the repair commands, one place per statement.
namespace repair_sql {
QString max_loottable_query();
QString new_loottable(std::uint32_t loottable_id);
QString new_loottable_entry(std::uint32_t loottable_id, std::uint32_t lootdrop_id);
QString set_npc_loottable(std::uint32_t loottable_id, std::int32_t npc_id);
// The three deletes, in the order they run.
QStringList delete_lootdrop(std::uint32_t lootdrop_id);
// The four updates, in the order they run.
QStringList fix_chances();
}  // namespace repair_sql

// The question of the delete command.
QString purge_question();

// Both lower grids of the main window empty and nothing current: what every
// operation does that may have left them naming lootdrops that are gone or
// now carry another id.
void empty_loot_grids(KorvexLoot& window);

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

  KorvexLoot& w_;
};
