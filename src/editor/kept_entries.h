#pragma once
// What a loot grid's save keeps of the entries it deletes and inserts again.
//
// A save deletes every entry of one lootdrop (or loot table) and inserts the
// grid's rows. The table may hold more columns than the grid shows (level
// limits, expansion ranges, content flags, and whatever later versions of the
// world add), entries the grid never shows, and values the grid shows only
// rounded (a FLOAT reaches the grid as six digits). A save must change only
// what the operator changed, so:
//
// - Before the delete the entries are copied into a temporary table of the
//   connection, inside the save's transaction.
// - The stored entries the grid shows must still be those it loaded: a
//   command ("GO", "Fix chances", ...) or another program may have written
//   them since, and storing the grid then would take that back. Such a save
//   is refused before anything is written.
// - A grid row that continues a stored entry goes back in one insert with
//   that entry's own values of every column the grid does not write, and of
//   every cell the operator left as it was loaded; only the cells that differ
//   take the grid's value. A row the grid holds anew (added, or given another
//   key) is inserted with the grid's values and takes the table's defaults.
// - Entries the grid never shows come back whole.
// - With a catalogue named, a key the catalogue lacks (a mistyped item id)
//   is refused before anything is written: its entry could never be shown or
//   removed afterwards.
//
// Which grid row continues which stored entry: a row of the same key whose
// shown values are unchanged first, then any shown entry of the same key that
// is left, in the order they are stored. A table without a key on (parent,
// key) may hold one key twice; each such row carries its own entry's values.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace kept_entries {

// The part of a table a grid's save writes.
struct Layout {
  QString table;
  // The column that names the lootdrop or loot table the entries belong to.
  QString parent;
  // The columns the grid's inserts write after the parent, the key first
  // (the item in a lootdrop, the lootdrop in a loot table).
  QStringList written;
  // A condition on the copy's row `k` that holds for entries the grid never
  // shows; empty when it shows them all.
  QString hidden;
  // "Lootdrop", "Loot table": how the operator is told of the parent.
  QString parent_name;
  // The table whose `id` every key must name (empty: none), and how the
  // operator is told of a key and of that table ("Item", "the item
  // catalogue").
  QString catalogue = {};
  QString key_name = {};
  QString catalogue_name = {};
};

// The rows a grid showed after its last load, each as layout.written's
// values as they enter a statement, and whose rows they were.
struct Loaded {
  std::optional<std::int64_t> parent;
  std::vector<QStringList> rows;
};

// A save refused before anything was written; message() tells the operator
// why.
class Refused : public std::runtime_error {
 public:
  explicit Refused(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

// The save on db_conn, inside the caller's transaction: the copy, the checks,
// then `delete_text`, then one insert per row of `rows` in their order (the
// row's `insert_text` for a new row, an insert that carries its entry's
// values along for a continued one), then the entries the grid never shows.
// `rows` hold each grid row's values in the order of `layout.written`, as
// they enter a statement; `loaded` is what the grid showed after its last
// load. Every statement runs through sql_text. Returns what the grid now
// shows as the server stores it (a typed value may be stored rounded), for
// the next save to check against. Throws Refused (nothing written) or
// db::Error.
Loaded replace(const Layout& layout, std::int64_t parent_id, const std::vector<QStringList>& rows, const Loaded& loaded,
               const QString& delete_text, const std::function<QString(const QStringList&)>& insert_text);

}  // namespace kept_entries
