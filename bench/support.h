#pragma once
// Shared pieces of the benchmarks: reaching the private server, a database of
// the benchmarks' own, and timing the mariadb command-line client on the same
// query so every figure can be printed as a ratio.

#include "platform/odbc.h"
#include "shared/settings.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace bench_support {

// The benchmarks' own database on the private server ("loot_bench"), made
// from scripts/schema.sql when `fresh` or when it does not exist yet.
DbSettings bench_settings(bool fresh = false);

// An administrative connection to the benchmarks' database.
void exec(const QString& sql);

// Wall-clock seconds of `mariadb --batch --skip-column-names -e <query>`
// against the benchmarks' database, output to /dev/null. With `compress`,
// the client compresses the protocol as our connection string's OPTION
// value (18475 holds the compression bit, 2048) makes the driver do.
double client_seconds(const QString& query, bool compress = false);

// The same statements inside one client process, timed by the server's
// clock between the first and the last (the client's start and connect are
// not in the figure): seconds. With `compress` as above; against `database`
// (default: the benchmarks' own).
double client_inner_seconds(const QStringList& statements, bool compress = true, const QString& database = {});

// Every statement other connections sent while `run` ran, in order, from the
// server's general log (switched on for the run only).
QStringList captured_statements(const std::function<void()>& run);

// The demo world loaded by scripts/load_world.sh at `scale` (1 or 10) into
// "loot_world_x<scale>": its database name, or empty when it is not loaded.
QString world_database(int scale);
// Replaces the benchmarks' own copies of `tables` with those of `database`.
void copy_tables(const QString& database, const QStringList& tables);
// Waits (two minutes at most) until the server has written its changed pages
// and purged what earlier transactions left, so that a copy's writes do not
// fall into the time of what is measured after it.
void settle_server();

// Fills npc_types with `count` NPCs (ids 1..count, levels 1..127), when it
// does not hold exactly that many already.
void ensure_npcs(int count);

// The middle one of a benchmark's timings.
double median(std::vector<double> values);
// Wall-clock seconds of one run.
double seconds_of(const std::function<void()>& run);

// Peak resident memory of this process so far, in megabytes.
double peak_rss_mb();
// Starts a new peak (the kernel's high-water mark is reset to what is
// resident now); peak_since_reset_mb() then reads it.
void reset_peak_rss();
double peak_since_reset_mb();
// Current resident memory, in megabytes.
double current_rss_mb();

}  // namespace bench_support
