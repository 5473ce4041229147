#pragma once
// The program-wide state every window shares: the one database connection and
// result set, the statement buffer, and the current loot table, lootdrop, item
// and grid rows that the windows hand to each other.

#include "platform/odbc.h"

#include <QString>
#include <cstdint>

class IGrid;

extern db::Connection db_conn;
extern db::ResultSet db_rs;
extern QString sql_text;
extern std::int32_t rec_count;
// Loot table and lootdrop ids are the tables' own: unsigned, 0 to 4294967295.
extern std::uint32_t own_lootdrop_id;
extern std::uint32_t cur_loottable_id;
extern std::uint32_t cur_lootdrop_id;
extern std::int32_t cur_item_id;
extern std::int32_t sel_loottable_row;
extern std::int32_t sel_lootdrop_row;
extern QString skill_text;

// Puts `statement` in sql_text and runs it on db_conn: the count of rows it
// changed (-1 when unknown). Throws db::Error when it fails.
long long execute_sql(const QString& statement);

// The connection string open_db builds from the settings.
QString connection_string();

// Replaces the connection and the result set with new ones and opens the
// connection. Throws db::Error when the server cannot be reached, and
// std::logic_error (changing nothing) while a transaction is open on `conn`.
void open_db(db::ResultSet& rs, db::Connection& conn);

// The smallest identifier of 1 or more for which the probe
// prefix + "'" + N + "'" finds no row. Throws db::Error on a database
// failure, and when every identifier up to 4294967295 is taken.
std::uint32_t first_free_id(const QString& probe_prefix);

// One more than the number the query's first field gives; 1 when the query
// gives no row or NULL (an empty table). Throws db::Error, also when that
// number is 4294967295 (no larger id fits).
std::uint32_t next_id(const QString& query);

// What the operator must know when a rollback left changes behind (kept or
// unknown); empty when it undid them all.
QString not_undone_note(db::Rollback outcome);

// Tells the operator that `what` failed inside a transaction that was rolled
// back with `outcome`. `what` may end in "(nothing was changed)" or the like:
// that stands only when the rollback undid everything; otherwise it gives way
// to not_undone_note.
void report_after_rollback(const QString& what, db::Rollback outcome, const db::Error& error);

// report_after_rollback for an operation whose db::Transaction on db_conn
// has ended without commit: the outcome is the connection's last rollback.
void report_transaction_failure(const QString& what, const db::Error& error);

// No loot table, lootdrop or grid row is current.
void forget_current_loot();

// Both lower grids of the main window empty and nothing current: what every
// operation does that may have left them naming lootdrops that are gone or
// now carry another id.
void empty_loot_grids(IGrid& loottableE, IGrid& lootdropE);
