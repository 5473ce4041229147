// The random loot generator over a level-range load, levels 1 to 15 of the
// benchmark world's 100,000 NPCs (about 11,800 rows), with a list of 1,000
// items and the frame's first texts (25 %, 5 items a lootdrop), then the
// removal of every custom lootdrop it made.
#include "controls/igrid.h"
#include "editor/korvexloot.h"
#include "editor/npc_loading.h"
#include "itemsearch/item_search.h"
#include "shared/settings.h"
#include "shared/shared.h"
#include "support.h"
#include "support/shared_state.h"

#include <benchmark/benchmark.h>
#include <QLineEdit>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kNpcs = 100000;
constexpr int kListItems = 1000;

int custom_lootdrops() {
  open_db(db_rs, db_conn);
  db_rs.open(QStringLiteral("SELECT COUNT(*) FROM lootdrop WHERE name='Korvex3_Custom_Drop'"), db_conn);
  const int n = static_cast<int>(db_rs.field(0).number());
  db_rs.close();
  return n;
}

void BM_RandomLootLevelRange(benchmark::State& state) {
  db_settings = bench_support::bench_settings();
  bench_support::ensure_npcs(kNpcs);
  auto window = std::make_unique<KorvexLoot>();
  window->Form_Load();
  window->show();
  window->min_lvl->setText(QStringLiteral("1"));
  window->max_lvl->setText(QStringLiteral("15"));
  window->npc_loading->LiteBtnCtrl1_Click();
  item_search& s = item_search_window();
  s.open_window({window->allgrids, window->loottableE, window->lootdropE});
  s.itms->setRowCount(kListItems);
  for (int r = 1; r <= kListItems; ++r) s.itms->setCellValue(r, 1, 800000 + r);
  s.delete_custom_loot_Click();

  std::vector<double> made, removed;
  int lootdrops = 0;
  for (auto _ : state) {
    made.push_back(bench_support::seconds_of([&] { s.go_Click(); }));
    lootdrops = custom_lootdrops();
    removed.push_back(bench_support::seconds_of([&] { s.delete_custom_loot_Click(); }));
  }
  state.counters["generate_ms"] = bench_support::median(made) * 1000;
  state.counters["remove_ms"] = bench_support::median(removed) * 1000;
  std::printf("random loot over %d NPCs: %d lootdrops made in %.0f ms, removed in %.0f ms\n",
              window->allgrids->RowCount(), lootdrops, bench_support::median(made) * 1000,
              bench_support::median(removed) * 1000);
  if (lootdrops == 0 || custom_lootdrops() != 0) state.SkipWithError("the custom loot was not made and removed");
  s.unload();
  window.reset();
  testing_support::reset_shared_state();
}
BENCHMARK(BM_RandomLootLevelRange)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
