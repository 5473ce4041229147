#pragma once
// The main window's NPC grid `allgrids`: the NPCs of a zone or of a level
// range, a press on an NPC row that shows its loot table, its first lootdrop
// and that lootdrop's first item, the loot table id written back after an
// edit of a row, "Remove Selected NPCs", and the zone label that opens the
// zone picker.
//
// What the operator types never changes a statement's meaning: the zone name
// is quoted and escaped, the level bounds and loot table ids go in as numbers
// only after they were read as numbers.

#include "controls/grid_model.h"
#include "platform/odbc.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class KorvexLoot;
class QLineEdit;
class LootdropGrid;
class LoottableGrid;

// The statement texts of the NPC grid, one place per statement.
namespace npc_sql {
// NPCs spawning in `zone`; with a range, only those with a level from
// `min_level` to `max_level`.
QString zone_query(const QString& zone, bool use_range, double min_level, double max_level);
QString level_query(double min_level, double max_level);
// `npc_id` as the grid's column 1 shows it.
QString set_loottable(std::uint32_t loottable_id, const QString& npc_id);
}  // namespace npc_sql

// Which of the two loaders fills the grid.
enum class NpcLoader { zone, level };

// The NPC grid's five columns, built from a loader's result as its blocks
// arrive (on any thread; no window needed): the id, the level and the loot
// table id as numbers, the name and the zone as the texts the server sent,
// NULL as an empty cell. The level loader's result has no zone: its column 4
// holds "nothing" in every row.
class NpcRows : public db::RowReader {
 public:
  explicit NpcRows(NpcLoader loader) : loader_(loader) {}
  void begin(int rows) override;
  void take(const db::RowBlock& block) override;
  std::vector<GridColumn> columns;

 private:
  NpcLoader loader_;
};

class NpcLoading : public QObject {
  Q_OBJECT

 public:
  NpcLoading(KorvexLoot& window, LoottableGrid& loottables, LootdropGrid& lootdrops);

  void Search_Grids_Click();  // "LOAD NPC in ZONE"
  void LiteBtnCtrl1_Click();  // "LOAD NPC by LEVEL RNG"
  void allgrids_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y, int lRow, int lCol);
  void allgrids_AfterCommitEdit(int lRow, int lCol);
  void rmv_selected_NPCS_Click();
  void zonename_Click();

  // Sees every progress text the loaders give, also those the throttled
  // label never shows (tests).
  std::function<void(const QString&)> progress_observer;

 protected:
  // The zone label has no click of its own.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using Loader = NpcLoader;
  // A level box's bound as it enters a statement: the number its text begins
  // with. Nothing (reported) when it is too large to write, or, when
  // `number_needed`, the text begins with no number; otherwise such a text
  // gives 0.
  std::optional<double> level_bound(const QLineEdit& box, bool number_needed);
  // Both bounds, or nothing (reported).
  std::optional<std::pair<double, double>> level_range(bool numbers_needed);
  // Takes the statement `statement` gives (nothing: stop, the grid as it
  // was), empties allgrids, reads the rows and fills the grid with them, then
  // leaves nothing current. A database failure is reported and leaves the
  // grid empty; the counter always shows the grid's rows.
  void load(Loader loader, const std::function<std::optional<QString>()>& statement);
  void write_counter();

  KorvexLoot& w_;
  LoottableGrid& loottables_;
  LootdropGrid& lootdrops_;
};
