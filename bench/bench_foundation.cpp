// Reading a result through our ODBC layer, against the mariadb client on the
// same query; and first_free_id on a small and a large lootdrop table.
#include "platform/odbc.h"
#include "shared/settings.h"
#include "shared/shared.h"
#include "support.h"

#include <benchmark/benchmark.h>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString kNpcQuery =
    QStringLiteral("select id,name,level,loottable_id FROM npc_types WHERE level between 1 and 100");

double read_everything_seconds() {
  QElapsedTimer t;
  t.start();
  open_db(db_rs, db_conn);
  db_rs.open(kNpcQuery, db_conn);
  qsizetype chars = 0;
  for (db_rs.move_first(); !db_rs.eof(); db_rs.move_next()) {
    for (int i = 0; i < 4; ++i) chars += db_rs.field(i).text().size();
  }
  benchmark::DoNotOptimize(chars);
  db_rs.close();
  return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void BM_ReadNpcsVsClient(benchmark::State& state) {
  db_settings = bench_support::bench_settings();
  bench_support::ensure_npcs(100000);
  std::vector<double> ours, client, client_compressed;
  for (auto _ : state) {
    ours.push_back(read_everything_seconds());
    client.push_back(bench_support::client_seconds(kNpcQuery));
    client_compressed.push_back(bench_support::client_seconds(kNpcQuery, true));
  }
  const double ratio = median(ours) / median(client);
  const double ratio_compressed = median(ours) / median(client_compressed);
  state.counters["ours_ms"] = median(ours) * 1000;
  state.counters["client_ms"] = median(client) * 1000;
  state.counters["ratio"] = ratio;
  state.counters["ratio_vs_compressed"] = ratio_compressed;
  std::printf(
      "read 100,000 NPCs: ours %.1f ms, mariadb client %.1f ms (ratio %.2f, target <= 1.5); "
      "client with --compress like our connection %.1f ms (ratio %.2f)\n",
      median(ours) * 1000, median(client) * 1000, ratio, median(client_compressed) * 1000, ratio_compressed);
}
BENCHMARK(BM_ReadNpcsVsClient)->Iterations(7)->Unit(benchmark::kMillisecond);

void fill_lootdrops(int count) {
  bench_support::exec(QStringLiteral("DELETE FROM lootdrop"));
  bench_support::exec(QStringLiteral("SET SESSION max_recursive_iterations = 10000000"));
  bench_support::exec(
      QStringLiteral(
          "INSERT INTO lootdrop (id, name) WITH RECURSIVE seq(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM seq "
          "WHERE n < %1) SELECT n, CONCAT('drop_', n) FROM seq")
          .arg(count));
}

double first_free_seconds(int expected) {
  QElapsedTimer t;
  t.start();
  const int id = first_free_id(QStringLiteral("SELECT id FROM lootdrop WHERE id="));
  const double s = static_cast<double>(t.nsecsElapsed()) / 1e9;
  if (id != expected) std::printf("first_free_id gave %d, expected %d\n", id, expected);
  return s;
}

void BM_FirstFreeIdSmallVsLarge(benchmark::State& state) {
  db_settings = bench_support::bench_settings();
  std::vector<double> small, large;
  for (auto _ : state) {
    state.PauseTiming();
    fill_lootdrops(1000);
    state.ResumeTiming();
    for (int i = 0; i < 5; ++i) small.push_back(first_free_seconds(1001));
    state.PauseTiming();
    fill_lootdrops(100000);
    state.ResumeTiming();
    for (int i = 0; i < 5; ++i) large.push_back(first_free_seconds(100001));
  }
  bench_support::exec(QStringLiteral("DELETE FROM lootdrop"));
  const double ratio = median(large) / median(small);
  state.counters["1k_ms"] = median(small) * 1000;
  state.counters["100k_ms"] = median(large) * 1000;
  state.counters["ratio"] = ratio;
  std::printf("first_free_id: 1,000 lootdrops %.2f ms, 100,000 lootdrops %.2f ms, ratio %.2f (target <= 2)\n",
              median(small) * 1000, median(large) * 1000, ratio);
}
BENCHMARK(BM_FirstFreeIdSmallVsLarge)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
