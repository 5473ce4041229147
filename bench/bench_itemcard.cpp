// One item card drawn from the database: a full card with four spell effects
// and a bane race, against a 30,000-line spell file. Target: 20 ms a card.
//
// BM_ItemCard_Render is the card as the loot grids draw it on every row
// change. BM_ItemCard_RenderAfterFileChange touches the spell and race files
// before every card, so each card reads both files again, as a card drawn
// right after the files were edited does.
#include "itemcard/item_stats.h"
#include "shared/settings.h"
#include "support.h"

#include <benchmark/benchmark.h>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace {

constexpr int kItem = 990001;
constexpr int kSpells = 30000;

// A scratch current folder with the reference files, and the item's row.
class CardWorld {
 public:
  CardWorld() : previous_(QDir::currentPath()) {
    QDir(dir_.path()).mkdir(QStringLiteral("resources"));
    // Spell lines about as wide as a served game's, the wanted ones last.
    QByteArray spells;
    for (int i = 1; i <= kSpells; ++i) {
      QByteArray line = QByteArray::number(i) + "^Spell Number " + QByteArray::number(i);
      for (int f = 0; f < 60; ++f) line += '^' + QByteArray::number((i * 31 + f * 7) % 1000);
      spells += line + "\r\n";
    }
    write(QStringLiteral("spells.txt"), spells);
    QByteArray races;
    for (int n = 1; n <= 360; ++n) races += QByteArray::number(n) + ",Race " + QByteArray::number(n) + "\r\n";
    write(QStringLiteral("all_races.txt"), races);
    QByteArray classes;
    for (int k = 1; k <= 16; ++k) classes += "Class" + QByteArray::number(k) + "\r\n";
    write(QStringLiteral("classes.txt"), classes);
    write(QStringLiteral("races.txt"), classes);
    QByteArray slot_records;
    for (int k = 1; k <= 23; ++k) slot_records += "Slot" + QByteArray::number(k) + ',' + QByteArray::number(k) + "\r\n";
    write(QStringLiteral("slots_ref.txt"), slot_records);
    QByteArray bodies;
    for (int n = 0; n < 37; ++n) bodies += QByteArray::number(n + 10) + "- Body\r\n";
    write(QStringLiteral("body_types.txt"), bodies);
    QDir::setCurrent(dir_.path());

    db_settings = bench_support::bench_settings();
    bench_support::exec(QStringLiteral("DELETE FROM items WHERE id = ") + QString::number(kItem));
    bench_support::exec(
        QStringLiteral("INSERT INTO items (id, Name, itemtype, classes, races, slots, deity, ac, damage, delay, "
                       "proceffect, proclevel, clickeffect, clicklevel, worneffect, wornlevel, focuseffect, "
                       "focuslevel, scrolleffect, banedmgraceamt, banedmgrace, banedmgamt, banedmgbody, astr, hp, "
                       "cr, haste, weight, size, price) VALUES (") +
        QString::number(kItem) +
        QStringLiteral(", 'Benchmark Blade', 3, 65535, 1234, 8210, 5, 20, 17, 28, 29997, 40, 29998, 0, 29999, 5, "
                       "30000, 1, -1, 12, 359, 4, 30, 9, 75, 10, 21, 90, 3, 184000)"));
  }
  ~CardWorld() {
    bench_support::exec(QStringLiteral("DELETE FROM items WHERE id = ") + QString::number(kItem));
    QDir::setCurrent(previous_);
    db_settings = DbSettings{};
  }

  // Gives both looked-up files a new time of change.
  void touch(qint64 seconds) const {
    for (const QString& name : {QStringLiteral("spells.txt"), QStringLiteral("all_races.txt")}) {
      QFile f(dir_.path() + QStringLiteral("/resources/") + name);
      if (f.open(QIODevice::ReadWrite))
        f.setFileTime(QDateTime::fromSecsSinceEpoch(1600000000 + seconds), QFileDevice::FileModificationTime);
    }
  }

 private:
  void write(const QString& name, const QByteArray& bytes) const {
    QFile f(dir_.path() + QStringLiteral("/resources/") + name);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
  }
  QTemporaryDir dir_;
  QString previous_;
};

bool card_is_whole(const Item_Stats& card) {
  const QString text = card.itemdescr->text();
  return text.contains(u"Proc Effect :Spell Number 29997  -- Req Level: 40") &&
         text.contains(u"Focus Effect :Spell Number 30000") && text.contains(u"Bane Dmg: 12  vs. Race 359");
}

void run_cards(benchmark::State& state, bool touch_files) {
  CardWorld world;
  Item_Stats card;
  std::int16_t kind = 0;
  card.show_stats(kItem, kind);
  if (!card_is_whole(card)) {
    state.SkipWithError("the card does not show the expected effects");
    return;
  }
  qint64 stamp = 0;
  double total_ms = 0;
  for (auto _ : state) {
    if (touch_files) {
      state.PauseTiming();
      world.touch(++stamp);
      state.ResumeTiming();
    }
    QElapsedTimer timer;
    timer.start();
    card.show_stats(kItem, kind);
    total_ms += double(timer.nsecsElapsed()) / 1e6;
  }
  if (!card_is_whole(card)) state.SkipWithError("the card lost its effects");
  state.counters["card_ms"] = total_ms / double(state.iterations());
  // The same two queries through the command-line client, for scale.
  const QString id = QString::number(kItem);
  state.counters["client_two_queries_ms"] =
      1000 * (bench_support::client_seconds(QStringLiteral("SELECT itemtype,itemclass,icon FROM items WHERE id='") +
                                            id + u'\'') +
              bench_support::client_seconds(QStringLiteral("SELECT * FROM items WHERE id='") + id + u'\''));
}

void BM_ItemCard_Render(benchmark::State& state) { run_cards(state, false); }
void BM_ItemCard_RenderAfterFileChange(benchmark::State& state) { run_cards(state, true); }

BENCHMARK(BM_ItemCard_Render)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_ItemCard_RenderAfterFileChange)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
