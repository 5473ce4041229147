// The long operations over the demo world at its own size (1x) and at ten
// times that (10x: 1,000,000 NPCs and items, 520,000 lootdrops, 1,500,000
// lootdrop entries), as scripts/load_world.sh loads them into loot_world_x1
// and loot_world_x10; a world that is not loaded is skipped with a note.
//
// Each figure is the time from the click until the window has painted the
// result, what reached the screen meanwhile (under an X server: the longest
// time the window showed nothing new, and how long an area of it stayed
// unpainted after another window had covered and uncovered it, both seen
// from outside the process by screen_probe), and a ratio against the mariadb
// client (with --compress, as our connection string asks the driver to
// compress) running the statements the editor sent inside one client
// process, or the growth from 1x to 10x. Every ratio is
// printed with its target and marked MISSED when it misses it.
#include "controls/igrid.h"
#include "editor/korvexloot.h"
#include "editor/lootdrop_reorg.h"
#include "editor/npc_loading.h"
#include "editor/repair_commands.h"
#include "itemsearch/item_search.h"
#include "shared/operator_io.h"
#include "shared/settings.h"
#include "shared/shared.h"
#include "support.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

using bench_support::median;

// What reached the screen while a handler ran, seen from outside the process
// by screen_probe over the X server's own connection: the longest time the
// operation's window showed nothing new ("changes"), or how long an area of
// it stayed unpainted after another window had covered and uncovered it
// ("exposes"). Only when the program runs on an X server (QT_QPA_PLATFORM=xcb
// under Xvfb); elsewhere nothing is measured.
class ScreenWatch {
 public:
  static bool available() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }
  ScreenWatch(const QString& mode, QWidget& window) {
    if (!available()) return;
    QCoreApplication::processEvents();
    const QRect area =
        QRect(window.mapToGlobal(QPoint(0, 0)), window.size()) & QGuiApplication::primaryScreen()->geometry();
    probe_.start(QStringLiteral(SCREEN_PROBE), {mode, QString::number(area.x()), QString::number(area.y()),
                                                QString::number(area.width()), QString::number(area.height())});
    probe_.waitForReadyRead(10000);
    probe_.readLine();
  }
  // The figures the probe printed, by name.
  std::map<QString, double> stop() {
    std::map<QString, double> figures;
    if (probe_.state() == QProcess::NotRunning) return figures;
    probe_.closeWriteChannel();
    probe_.waitForFinished(60000);
    const QStringList words = QString::fromUtf8(probe_.readAll()).simplified().split(u' ');
    for (qsizetype i = 0; i + 1 < words.size(); i += 2) figures[words[i]] = words[i + 1].toDouble();
    return figures;
  }

 private:
  QProcess probe_;
};

// Answers every message without showing it.
class QuietIO : public OperatorIO {
 public:
  void message(const QString&) override {}
  QString ask(const QString&, const QString&) override { return {}; }
  [[noreturn]] void end_program() override { std::abort(); }
};

// The database of the demo world at `scale`; empty, with the benchmark
// skipped, when scripts/load_world.sh has not loaded it.
QString world_or_skip(benchmark::State& state, int scale) {
  const QString world = bench_support::world_database(scale);
  if (world.isEmpty()) {
    state.SkipWithError("world not loaded");
    for (auto _ : state) {
    }
  }
  return world;
}

struct Editor {
  explicit Editor(const QString& database) {
    db_settings = bench_support::bench_settings();
    db_settings.database = database;
    set_operator_io(&io);
    window = std::make_unique<KorvexLoot>();
    window->Form_Load();
    window->show();
    QCoreApplication::processEvents();
  }
  ~Editor() {
    window.reset();
    db_rs.close();
    db_conn.close();
  }
  QuietIO io;
  std::unique_ptr<KorvexLoot> window;
};

// The handler, then the events it left (the grid's change, the paints).
double until_painted(const std::function<void()>& click) {
  return bench_support::seconds_of([&] {
    click();
    QCoreApplication::processEvents();
  });
}

const char* verdict(double value, double target) { return value <= target ? "met" : "MISSED"; }

// Medians at 1x, for the growth printed at 10x.
std::map<QString, double>& at_1x() {
  static std::map<QString, double> medians;
  return medians;
}

// A `target` of 0 prints the growth for comparison only.
void report_growth(const QString& what, int scale, double seconds, double target) {
  if (scale == 1) {
    at_1x()[what] = seconds;
    return;
  }
  const auto one = at_1x().find(what);
  if (one == at_1x().end() || one->second <= 0) return;
  const double growth = seconds / one->second;
  if (target <= 0) {
    std::printf("  %s: growth 1x -> 10x %.1fx\n", what.toUtf8().constData(), growth);
    return;
  }
  std::printf("  %s: growth 1x -> 10x %.1fx (target <= %.0fx) %s\n", what.toUtf8().constData(), growth, target,
              verdict(growth, target));
}

struct Runs {
  std::vector<double> ours, reference;
  // Per timed run, the longest time the screen showed nothing new (ms),
  // when it began and how long the screen was watched.
  std::vector<double> unchanged, unchanged_from, watched_ms;
  // Of one more run, while an area was covered and uncovered over and over.
  std::map<QString, double> exposes;
  void watched(ScreenWatch& watch) {
    const auto figures = watch.stop();
    const auto found = figures.find(QStringLiteral("unchanged_ms"));
    if (found == figures.end()) return;
    unchanged.push_back(found->second);
    unchanged_from.push_back(figures.at(QStringLiteral("unchanged_from_ms")));
    watched_ms.push_back(figures.at(QStringLiteral("watched_ms")));
  }
  QString list() const {
    QString text;
    for (const double s : ours) text += QString::number(s * 1000, 'f', 0) + QStringLiteral(" ");
    return text.trimmed();
  }
};

// One more run of `click` after `prepare`, untimed, with the window covered
// and uncovered over and over from outside meanwhile.
void exposes_run(Runs& runs, QWidget& window, const std::function<void()>& prepare,
                 const std::function<void()>& click) {
  if (!ScreenWatch::available()) return;
  prepare();
  ScreenWatch watch(QStringLiteral("exposes"), window);
  until_painted(click);
  runs.exposes = watch.stop();
}

void report(benchmark::State& state, const QString& what, const Runs& runs, const QString& reference_name,
            double ratio_target, double screen_target_ms = 500) {
  const double ours = median(runs.ours);
  state.counters["ours_ms"] = ours * 1000;
  std::printf("%s: ours %.0f ms (runs %s)\n", what.toUtf8().constData(), ours * 1000, runs.list().toUtf8().constData());
  if (runs.unchanged.empty()) {
    std::printf("  screen not watched: run under Xvfb with QT_QPA_PLATFORM=xcb\n");
  } else {
    const auto worst = std::max_element(runs.unchanged.begin(), runs.unchanged.end());
    const auto i = static_cast<std::size_t>(worst - runs.unchanged.begin());
    state.counters["screen_unchanged_ms"] = *worst;
    std::printf(
        "  longest time the screen showed nothing new %.0f ms, from %.0f ms of %.0f watched (target <= %.0f) %s\n",
        *worst, runs.unchanged_from[i], runs.watched_ms[i], screen_target_ms, verdict(*worst, screen_target_ms));
  }
  if (!runs.exposes.empty()) {
    const double longest = runs.exposes.at(QStringLiteral("longest_ms"));
    state.counters["uncovered_unpainted_ms"] = longest;
    std::printf(
        "  an uncovered area stayed unpainted: longest %.0f ms (uncovered at %.0f ms of %.0f watched), median %.0f ms "
        "of %.0f covers (target <= %.0f) %s\n",
        longest, runs.exposes.at(QStringLiteral("longest_from_ms")), runs.exposes.at(QStringLiteral("watched_ms")),
        runs.exposes.at(QStringLiteral("median_ms")), runs.exposes.at(QStringLiteral("exposes")), screen_target_ms,
        verdict(longest, screen_target_ms));
  }
  if (!runs.reference.empty()) {
    const double ref = median(runs.reference);
    const double ratio = ours / ref;
    state.counters["ratio"] = ratio;
    std::printf("  %s %.0f ms: ratio %.2f (target <= %.1f) %s\n", reference_name.toUtf8().constData(), ref * 1000,
                ratio, ratio_target, verdict(ratio, ratio_target));
  }
}

// ------------------------------------------------------------ renumbering

const QStringList kLootTables = {QStringLiteral("lootdrop"), QStringLiteral("lootdrop_entries"),
                                 QStringLiteral("loottable_entries"), QStringLiteral("variables")};

void BM_Renumbering(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));
  const QString world = world_or_skip(state, scale);
  if (world.isEmpty()) return;
  bench_support::bench_settings();
  Editor editor(QStringLiteral("loot_bench"));
  lootdrop_reorg& r = lootdrop_reorg::load(*editor.window);
  r.show();
  QCoreApplication::processEvents();
  const auto fresh_copy = [&] {
    bench_support::copy_tables(world, kLootTables);
    bench_support::settle_server();
  };
  // The statements of one run, for the reference; that run is not timed.
  fresh_copy();
  const QStringList sent = bench_support::captured_statements([&] { r.Command1_Click(); });
  Runs runs;
  int lootdrops = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fresh_copy();
    ScreenWatch watch(QStringLiteral("changes"), r);
    state.ResumeTiming();
    runs.ours.push_back(until_painted([&] { r.Command1_Click(); }));
    runs.watched(watch);
    lootdrops = r.itms->RowCount();
    state.PauseTiming();
    fresh_copy();
    runs.reference.push_back(bench_support::client_inner_seconds(sent));
    state.ResumeTiming();
  }
  exposes_run(runs, r, fresh_copy, [&] { r.Command1_Click(); });
  const QString what = QStringLiteral("renumbering %1x (%2 lootdrops)").arg(scale).arg(lootdrops);
  report(state, what, runs, QStringLiteral("its statements through mariadb --compress"), 1.5);
  report_growth(QStringLiteral("renumbering"), scale, median(runs.ours), 12);
  report_growth(QStringLiteral("renumbering's statements through mariadb --compress"), scale, median(runs.reference),
                0);
  r.close();
}
// Nine runs at 1x: its few seconds vary by a quarter from run to run, and the
// growth divides by their median.
BENCHMARK(BM_Renumbering)->Arg(1)->Iterations(9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Renumbering)->Arg(10)->Iterations(3)->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------ make loot tables

// The same work as the command, set-based on the server: a loot table for
// every listed NPC without one, its entry, and the NPC's new loot table id.
QStringList set_based_loottables(std::int64_t base, std::int32_t own) {
  const QString b = QString::number(base);
  return {
      QStringLiteral("BEGIN"),
      QStringLiteral("CREATE TEMPORARY TABLE bench_new (npc INT PRIMARY KEY, lt INT UNSIGNED) "
                     "SELECT id AS npc, %1 + ROW_NUMBER() OVER (ORDER BY id) AS lt FROM npc_types WHERE loottable_id=0")
          .arg(b),
      QStringLiteral("INSERT INTO loottable (id,name,mincash,maxcash,avgcoin,done) "
                     "SELECT lt,'ZiridezivuR3',1,1000,0,0 FROM bench_new"),
      QStringLiteral(
          "INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,droplimit,mindrop,probability) "
          "SELECT lt,%1,1,1,0,100 FROM bench_new")
          .arg(own),
      QStringLiteral(
          "UPDATE npc_types JOIN bench_new ON npc_types.id=bench_new.npc SET npc_types.loottable_id=bench_new.lt"),
      QStringLiteral("COMMIT"),
  };
}

void undo_loottables(std::int64_t base) {
  const QString b = QString::number(base);
  bench_support::exec(QStringLiteral("UPDATE npc_types SET loottable_id=0 WHERE loottable_id>") + b);
  bench_support::exec(QStringLiteral("DELETE FROM loottable_entries WHERE loottable_id>") + b);
  bench_support::exec(QStringLiteral("DELETE FROM loottable WHERE id>") + b);
}

void BM_MakeLoottables(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));
  const QString world = world_or_skip(state, scale);
  if (world.isEmpty()) return;
  bench_support::bench_settings();
  bench_support::copy_tables(world, {QStringLiteral("npc_types"), QStringLiteral("loottable"),
                                     QStringLiteral("loottable_entries"), QStringLiteral("variables")});
  Editor editor(QStringLiteral("loot_bench"));
  KorvexLoot& w = *editor.window;
  const std::int64_t base = next_id(QStringLiteral("SELECT max(id) FROM loottable")) - 1;
  const auto load_all = [&] {
    w.min_lvl->setText(QStringLiteral("0"));
    w.max_lvl->setText(QStringLiteral("255"));
    w.npc_loading->LiteBtnCtrl1_Click();
  };
  Runs runs;
  int without = 0;
  const auto prepare = [&] {
    undo_loottables(base);
    load_all();
  };
  const auto click = [&] { w.repair_commands->fix_loot_for_empty_loottablesx_Click(); };
  for (auto _ : state) {
    state.PauseTiming();
    prepare();
    without = 0;
    for (int row = 1; row <= w.allgrids->RowCount(); ++row)
      if (w.allgrids->CellValue(row, 5).toDouble() == 0) ++without;
    ScreenWatch watch(QStringLiteral("changes"), w);
    state.ResumeTiming();
    runs.ours.push_back(until_painted(click));
    runs.watched(watch);
    state.PauseTiming();
    undo_loottables(base);
    runs.reference.push_back(bench_support::client_inner_seconds(set_based_loottables(base, own_lootdrop_id)));
    state.ResumeTiming();
  }
  exposes_run(runs, w, prepare, click);
  undo_loottables(base);
  const QString what =
      QStringLiteral("make loottables %1x (%2 of %3 listed NPCs)").arg(scale).arg(without).arg(w.allgrids->RowCount());
  report(state, what, runs, QStringLiteral("set-based statements through mariadb --compress"), 2);
  report_growth(QStringLiteral("make loottables"), scale, median(runs.ours), 12);
}
BENCHMARK(BM_MakeLoottables)->Arg(1)->Arg(10)->Iterations(3)->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------ fix chances

void BM_FixChances(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));
  const QString world = world_or_skip(state, scale);
  if (world.isEmpty()) return;
  bench_support::bench_settings();
  Editor editor(QStringLiteral("loot_bench"));
  KorvexLoot& w = *editor.window;
  const auto fresh_copy = [&] {
    bench_support::copy_tables(world, {QStringLiteral("lootdrop_entries")});
    bench_support::settle_server();
  };
  const auto click = [&] { w.repair_commands->percX_fix_Click(); };
  const QStringList statements =
      QStringList{QStringLiteral("BEGIN")} + repair_sql::fix_chances() + QStringList{QStringLiteral("COMMIT")};
  Runs runs;
  for (auto _ : state) {
    state.PauseTiming();
    fresh_copy();
    ScreenWatch watch(QStringLiteral("changes"), w);
    state.ResumeTiming();
    runs.ours.push_back(until_painted(click));
    runs.watched(watch);
    state.PauseTiming();
    fresh_copy();
    runs.reference.push_back(bench_support::client_inner_seconds(statements));
    state.ResumeTiming();
  }
  exposes_run(runs, w, fresh_copy, click);
  const QString what = QStringLiteral("fix chances %1x").arg(scale);
  report(state, what, runs, QStringLiteral("its statements through mariadb --compress"), 1.2);
  report_growth(QStringLiteral("fix chances"), scale, median(runs.ours), 12);
}
BENCHMARK(BM_FixChances)->Arg(1)->Arg(10)->Iterations(3)->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------ level loader

void BM_LevelLoaderAllNpcs(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));
  const QString world = world_or_skip(state, scale);
  if (world.isEmpty()) return;
  Editor editor(world);
  KorvexLoot& w = *editor.window;
  w.min_lvl->setText(QStringLiteral("0"));
  w.max_lvl->setText(QStringLiteral("255"));
  Runs runs;
  std::vector<double> peaks, growths;
  QStringList sent;
  const auto prepare = [&] {
    w.allgrids->Clear();
    QCoreApplication::processEvents();
  };
  const auto click = [&] { w.npc_loading->LiteBtnCtrl1_Click(); };
  for (auto _ : state) {
    state.PauseTiming();
    prepare();
    ScreenWatch watch(QStringLiteral("changes"), w);
    const double baseline = bench_support::current_rss_mb();
    bench_support::reset_peak_rss();
    state.ResumeTiming();
    runs.ours.push_back(until_painted(click));
    runs.watched(watch);
    state.PauseTiming();
    peaks.push_back(bench_support::peak_since_reset_mb());
    growths.push_back(peaks.back() - baseline);
    runs.reference.push_back(bench_support::client_inner_seconds({sql_text}, true, world));
    state.ResumeTiming();
  }
  exposes_run(runs, w, prepare, click);
  const QString what = QStringLiteral("level loader %1x (%2 NPCs)").arg(scale).arg(w.allgrids->RowCount());
  report(state, what, runs, QStringLiteral("the query through mariadb --compress"), 1.2);
  const double peak = *std::max_element(peaks.begin(), peaks.end());
  const double growth = *std::max_element(growths.begin(), growths.end());
  state.counters["peak_MB"] = peak;
  std::printf(
      "  memory: process peak during the load %.0f MB (target <= 250) %s, growth over the baseline just "
      "before %.0f MB; what other benchmarks left in this process counts in the peak, so take it from "
      "--benchmark_filter=BM_LevelLoaderAllNpcs alone\n",
      peak, verdict(peak, 250), growth);
  report_growth(QStringLiteral("level loader"), scale, median(runs.ours), 12);
}
BENCHMARK(BM_LevelLoaderAllNpcs)->Arg(1)->Arg(10)->Iterations(3)->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------ item search

void BM_ItemSearchA(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));
  const QString world = world_or_skip(state, scale);
  if (world.isEmpty()) return;
  Editor editor(world);
  item_search& s = item_search_window();
  s.open_window({editor.window->allgrids, editor.window->loottableE, editor.window->lootdropE});
  s.search_input->setText(QStringLiteral("a"));
  s.append_chk->setCheckState(Qt::Unchecked);
  QCoreApplication::processEvents();
  Runs runs;
  const auto click = [&] { s.simple_search_Click(); };
  for (auto _ : state) {
    state.PauseTiming();
    ScreenWatch watch(QStringLiteral("changes"), s);
    state.ResumeTiming();
    runs.ours.push_back(until_painted(click));
    runs.watched(watch);
    state.PauseTiming();
    runs.reference.push_back(bench_support::client_inner_seconds({sql_text}, true, world));
    state.ResumeTiming();
  }
  exposes_run(
      runs, s, [] {}, click);
  const QString what = QStringLiteral("item search \"a\" %1x (%2 items)").arg(scale).arg(s.itms->RowCount());
  report(state, what, runs, QStringLiteral("the query through mariadb --compress"), 1.3);
  report_growth(QStringLiteral("item search"), scale, median(runs.ours), 12);
  s.clear_grd_Click();
  s.close();
}
BENCHMARK(BM_ItemSearchA)->Arg(1)->Arg(10)->Iterations(9)->Unit(benchmark::kMillisecond);

}  // namespace
