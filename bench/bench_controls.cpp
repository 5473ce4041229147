// Filling a grid the way the NPC loader does: RowCount set once, then every
// cell written in place. Our grid against a QTableWidget doing the same.
#include "controls/igrid.h"
#include "support.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <QElapsedTimer>
#include <QTableWidget>

#include <memory>

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 5;

// One NPC row: id, name, level, zone, loot table; texts made fresh per row as
// a loader reading them from the database would.
QVariant npc_value(int row, int col) {
  switch (col) {
    case 0:
      return double(row + 1);
    case 1:
      return QString(QStringView(u"a_skeleton_").toString() + QString::number(row));
    case 2:
      return double(row % 70 + 1);
    case 3:
      return QStringView(u"sallowmere2").toString();
    default:
      return double(row % 500);
  }
}

// Memory freed by earlier benchmarks is handed back first, so the growth seen
// afterwards belongs to the fill.
double settled_rss_mb() {
  malloc_trim(0);
  return bench_support::current_rss_mb();
}

template <typename Fill>
void run_fill(benchmark::State& state, Fill fill) {
  double added_mb = 0;
  double total_ms = 0;
  for (auto _ : state) {
    const double before = settled_rss_mb();
    QElapsedTimer timer;
    timer.start();
    auto keep = fill();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    state.SetIterationTime(ms / 1000);
    total_ms += ms;
    added_mb = std::max(added_mb, bench_support::current_rss_mb() - before);
    keep.reset();
  }
  state.counters["fill_ms"] = total_ms / double(state.iterations());
  state.counters["added_MB"] = added_mb;
}

void BM_IGrid_Fill100kRows(benchmark::State& state) {
  run_fill(state, [] {
    auto grid = std::make_unique<IGrid>();
    for (int c = 1; c <= kCols; ++c) grid->AddCol(QString::number(c), 60);
    grid->setRowCount(kRows);
    for (int r = 1; r <= kRows; ++r)
      for (int c = 1; c <= kCols; ++c) grid->setCellValue(r, c, npc_value(r - 1, c - 1));
    return grid;
  });
}
BENCHMARK(BM_IGrid_Fill100kRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_QTableWidget_Fill100kRows(benchmark::State& state) {
  run_fill(state, [] {
    auto table = std::make_unique<QTableWidget>();
    table->setColumnCount(kCols);
    table->setRowCount(kRows);
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) {
        auto* item = new QTableWidgetItem;
        item->setData(Qt::DisplayRole, npc_value(r, c));
        table->setItem(r, c, item);
      }
    return table;
  });
}
BENCHMARK(BM_QTableWidget_Fill100kRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
