#pragma once
// The lootdrop renumbering window: "GO" lists every lootdrop id in ascending
// order and gives the lootdrops the ids 1, 2, 3 and so on, carrying the
// lootdrop_entries and loottable_entries rows that name each one along. A
// world loaded with NO_AUTO_VALUE_ON_ZERO may hold a lootdrop 0: ids 0, 1,
// 2 ... up to the first gap then move up by one; every later id keeps or
// lowers its own.
//
// All moves run in one transaction, so a refused statement leaves every
// lootdrop where it was. The rows move in chunks of ids, each chunk taking a
// fraction of a second, so the cost grows with the number of rows and the
// progress label moves all along. Entries that name an id no lootdrop has would be
// joined to the lootdrop that takes that id; a run that would do so moves
// nothing and says which ids they are.

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class IGrid;
class KorvexLoot;
class QLabel;
class QPushButton;

// The statement texts of the renumbering, one place per statement.
namespace reorg_sql {
QString list_query();
QString drop_moves();
QString create_moves();
// One INSERT for a batch of (source, dest) pairs.
QString insert_moves(const std::vector<std::pair<std::int64_t, std::int64_t>>& moves, std::size_t from,
                     std::size_t count);
// Ids from `first` to `last` that lootdrop entries name but no lootdrop has;
// at most `limit` of them.
QString stray_entries_query(std::int64_t first, std::int64_t last, int limit);
// Ids from 1 to `last_dest` that entries of loot tables `first` to `last`
// name but no lootdrop has; at most `limit` of them.
QString stray_links_query(std::int64_t first, std::int64_t last, std::int64_t last_dest, int limit);
// Moves the rows of `table` (lootdrop or lootdrop_entries) whose lootdrop
// id is a listed source between `first` and `last` to their new ids, in
// ascending order of the old id: each new id is free at its turn, since
// every id lies at or above its new one, so nothing is parked on ids above
// those in use (which could pass the largest id a column holds).
QString move_range(const QString& table, std::int64_t first, std::int64_t last);
// The same for the loot table entries of loot tables `first` to `last`.
QString move_links(std::int64_t first, std::int64_t last);
// Moves the rows of `table` (lootdrop or lootdrop_entries) whose lootdrop
// id lies between `first` and `last` up by one, in descending order: the id
// above each is free at its turn when every id from `last` + 1 up to the top
// of the run of ids from 0 has moved already.
QString shift_range_up(const QString& table, std::int64_t first, std::int64_t last);
// The same for the loot table entries of loot tables `first` to `last`
// whose lootdrop id lies between 0 and `top`.
QString shift_links_up(std::int64_t first, std::int64_t last, std::int64_t top);
// The loot tables that hold entries: the smallest and the largest id.
QString link_span_query();
// The variables row that names the program's own lootdrop.
QString move_own_lootdrop(std::int64_t dest);
}  // namespace reorg_sql

class lootdrop_reorg : public QWidget {
  Q_OBJECT

 public:
  // The window, made when it is not loaded yet. After a run that moved
  // lootdrops it empties `main`'s loot table and lootdrop grids.
  static lootdrop_reorg& load(KorvexLoot& main);
  // The loaded window, or nullptr.
  static lootdrop_reorg* loaded();

  // "GO"
  void Command1_Click();

  IGrid* itms = nullptr;
  QPushButton* Command1 = nullptr;
  QLabel* out = nullptr;

  // Sees every progress text, also those the label never shows (tests).
  std::function<void(const QString&)> progress_observer;

 protected:
  // The window goes with its list; the next load starts over.
  void closeEvent(QCloseEvent* event) override;

 private:
  explicit lootdrop_reorg(KorvexLoot& main);

  // Lists the ids into itms; false when the database failed (reported).
  bool list_lootdrops(std::vector<std::int64_t>& ids);
  // Moves every lootdrop ids[i] whose id is not i + 1 to that id, in one
  // transaction. False when nothing was moved (reported).
  bool move_lootdrops(const std::vector<std::int64_t>& ids);
  // Moves lootdrops 0 to `count` - 1 up by one with their entries and
  // links; inside the transaction.
  void shift_up(std::int64_t count);
  // False when entries name ids the moves would reach (reported).
  bool no_stray_entries(std::int64_t last_dest);
  // Sends the list of moves and moves every row, chunk by chunk, with the
  // progress label moving between the chunks; inside the transaction.
  void send_moves(const std::vector<std::pair<std::int64_t, std::int64_t>>& moves);
  void move_rows(const std::vector<std::pair<std::int64_t, std::int64_t>>& moves);
  // Calls `each`(first, last) for ranges that cover `lowest` to `highest`
  // in ascending order, each sized to take a fraction of a second, with the
  // progress label repainted between them; stops when `each` says false.
  void by_ranges(std::int64_t lowest, std::int64_t highest,
                 const std::function<bool(std::int64_t, std::int64_t)>& each);
  // Calls by_ranges over the loot table ids that hold entries.
  void by_loottable_ranges(const std::function<bool(std::int64_t, std::int64_t)>& each);
  void show_progress(const QString& text, bool paint);

  KorvexLoot& main_;
};
