#pragma once
// What a loot grid's save keeps of the entries it deletes and inserts again.
//
// A save deletes every entry of one lootdrop (or loot table) and inserts the
// grid's rows with the grid's own columns. The table may hold more columns
// than the grid shows (level limits, expansion ranges, content flags, and
// whatever later versions of the world add), and entries the grid never
// shows. So before the delete the entries are copied into a temporary table
// of the connection; after the inserts every entry the grid still holds gets
// back the value of every column the grid does not write, and the entries the
// grid never showed come back whole. A row the grid holds anew (added, or
// given another key) takes the table's defaults.
//
// Which grid row continues which stored entry: a row of the same key whose
// shown values are unchanged first, then any entry of the same key that is
// left, in the order they are stored. A table without a key on (parent, key)
// may hold one key twice; each such row carries its own entry's values.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
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
};

// The save on db_conn, inside the caller's transaction: the copy, then
// `delete_text`, then one insert per row of `rows` in their order (the
// row's `insert_text`, or for a second row of one key an insert that carries
// its entry's values along), then the kept values back. `rows` hold each
// grid row's values in the order of `layout.written`, as they enter a
// statement. Every statement runs through sql_text. Throws db::Error.
void replace(const Layout& layout, std::int64_t parent_id, const std::vector<QStringList>& rows,
             const QString& delete_text, const std::function<QString(const QStringList&)>& insert_text);

}  // namespace kept_entries
