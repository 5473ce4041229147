// A long operation, made long on purpose: a second connection holds a lock
// that one of its statements waits for. Meanwhile the window must stay alive
// and say what it does, and nothing else may happen: its label is painted
// and (where it has one) says the phase's own text, input waits for the
// operation's end, and in a real X server (the ctest entry
// LongOperationsOnScreen runs these under Xvfb) an area that another window
// covered and uncovered is drawn again while the statement still waits.
#include "editor/lootdrop_reorg.h"
#include "editor/npc_loading.h"
#include "editor/repair_commands.h"
#include "support/screen.h"
#include "test_repair_support.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;
using repair_testing::RepairTest;

namespace {

using Clock = std::chrono::steady_clock;

// Every paint of a label, with the text it painted.
class PaintLog : public QObject {
 public:
  explicit PaintLog(QLabel& label) : label_(label) { label.installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      const std::lock_guard lock(mutex_);
      ++paints_;
      last_ = label_.text();
    }
    return false;
  }
  int paints() {
    const std::lock_guard lock(mutex_);
    return paints_;
  }
  QString last() {
    const std::lock_guard lock(mutex_);
    return last_;
  }

 private:
  QLabel& label_;
  std::mutex mutex_;
  int paints_ = 0;
  QString last_;
};

struct Seen {
  bool waited = false;   // the statement was seen waiting for the lock
  int paints = 0;        // paints of the label while it waited
  QString shown;         // what the label painted last meanwhile
  bool screen = false;   // a screen was there to look at
  bool redrawn = false;  // the uncovered area was drawn again meanwhile
  bool still_waiting = false;
};

class LongOperations;

struct LongOperation {
  const char* name;
  std::function<void(LongOperations&)> world;
  QStringList hold;  // the second connection's statements that take the lock
  QString release;   // and the one that lets it go
  QString waiting;   // the start of the operation's statement that waits
  std::function<QLabel&(LongOperations&)> label;
  std::function<void(LongOperations&)> click;
  QString phase;                               // how the label's text begins meanwhile; empty: not asked
  QString widest;                              // the widest text of that phase
  std::function<void(LongOperations&)> check;  // the operation's result
};

void PrintTo(const LongOperation& op, std::ostream* os) { *os << op.name; }

bool found(db::Connection& conn, const QString& query) {
  db::ResultSet rs;
  rs.open(query, conn);
  return !rs.eof() && rs.number(0) > 0;
}

// On a thread of its own: takes the lock, says so, waits until the statement
// waits for it, watches the label and the screen, and lets go.
void hold_lock(const LongOperation& op, const QString& connection, PaintLog& log, const QRect& window,
               const QRect& label, std::promise<void>& held, Seen& seen) {
  db::Connection conn;
  conn.set_connection_string(connection);
  conn.open();
  for (const QString& statement : op.hold) conn.execute(statement);
  held.set_value();
  const QString waiting =
      u"SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID<>CONNECTION_ID() AND "
      "INFO LIKE '"_s +
      op.waiting + u"%'"_s;
  const auto until = [](int seconds, const std::function<bool()>& done) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (!done() && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return done();
  };
  seen.waited = until(30, [&] { return found(conn, waiting); });
  if (seen.waited) {
    const int before = log.paints();
    until(15, [&] { return log.paints() >= before + 3; });
    seen.paints = log.paints() - before;
    seen.shown = log.last();
    testing_support::Screen screen;
    seen.screen = screen.available();
    if (seen.screen) {
      const auto shown = screen.grab(window);
      const auto same_outside_label = [&] {
        const auto now = screen.grab(window);
        for (int y = 0; y < window.height(); ++y) {
          for (int x = 0; x < window.width(); ++x) {
            if (label.contains(window.topLeft() + QPoint(x, y))) continue;
            const auto i = static_cast<std::size_t>(y * window.width() + x);
            if (now[i] != shown[i]) return false;
          }
        }
        return true;
      };
      screen.cover(window);
      screen.uncover();
      seen.redrawn = until(15, same_outside_label);
    }
    seen.still_waiting = found(conn, waiting);
  }
  conn.execute(op.release);
}

class LongOperations : public RepairTest, public ::testing::WithParamInterface<LongOperation> {
 public:
  // For the table's steps.
  using RepairTest::entries;
  using RepairTest::io;
  using RepairTest::links;
  using RepairTest::scratch;
  using RepairTest::w;
  lootdrop_reorg& renumbering() {
    w->Reorganize_Lootdrop_table->trigger();
    return *lootdrop_reorg::loaded();
  }

 protected:
  void TearDown() override {
    if (lootdrop_reorg* r = lootdrop_reorg::loaded()) r->close();
    RepairTest::TearDown();
  }
};

TEST_P(LongOperations, EachLongOperationAnswersTheWindowSystemSaysWhatItDoesAndHandlesNoInput) {
  const LongOperation& op = GetParam();
  op.world(*this);
  QLabel& label = op.label(*this);
  QWidget& top = *label.window();
  top.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
  QLineEdit box(w.get());
  box.setGeometry(2, 2, 40, 16);
  box.show();
  QCoreApplication::processEvents();
  const QRect screen_area = QGuiApplication::primaryScreen()->geometry();
  const QRect window_area = QRect(top.mapToGlobal(QPoint(0, 0)), top.size()) & screen_area;
  const QRect label_area(label.mapToGlobal(QPoint(0, 0)), label.size());
  PaintLog log(label);

  Seen seen;
  std::promise<void> held;
  const QString connection = connection_string();
  std::thread holder([&] { hold_lock(op, connection, log, window_area, label_area, held, seen); });
  held.get_future().wait();
  QCoreApplication::postEvent(&box, new QKeyEvent(QEvent::KeyPress, Qt::Key_K, Qt::NoModifier, u"k"_s));
  op.click(*this);
  holder.join();

  EXPECT_EQ(box.text(), QString()) << "input waits for the operation's end";
  ASSERT_TRUE(seen.waited) << "the statement never waited for the lock";
  EXPECT_GE(seen.paints, 3) << "the label was not painted while the statement waited";
  if (!op.phase.isEmpty()) {
    EXPECT_TRUE(seen.shown.startsWith(op.phase)) << "the label said \"" << seen.shown.toStdString() << '"';
    // Read whole, however large its number.
    EXPECT_LE(label.fontMetrics().horizontalAdvance(op.widest), label.contentsRect().width())
        << op.widest.toStdString();
  }
  if (seen.screen) {
    EXPECT_TRUE(seen.redrawn) << "the uncovered window was not drawn again";
    EXPECT_TRUE(seen.still_waiting) << "the statement no longer waited when the window was drawn again";
  }
  op.check(*this);
  QCoreApplication::processEvents();
  EXPECT_EQ(box.text(), u"k"_s);
}

const LongOperation kOperations[] = {
    {"FixChances",
     [](LongOperations& t) {
       t.scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (7,'seven')"_s);
       t.entries(7, {u"1001|1|0|150|0|1|127|1"_s, u"1002|1|0|0.5|0|1|127|1"_s});
     },
     {u"START TRANSACTION"_s, u"SELECT * FROM lootdrop_entries WHERE item_id=1001 FOR UPDATE"_s},
     u"ROLLBACK"_s,
     u"UPDATE lootdrop_entries SET chance=100 WHERE chance>100"_s,
     [](LongOperations& t) -> QLabel& { return *t.w->out; },
     [](LongOperations& t) { t.w->percX_fix->trigger(); },
     u"Fixing chances 1/4"_s,
     u"Fixing chances 4/4 600.0 s"_s,
     [](LongOperations& t) {
       EXPECT_EQ(t.scratch->rows(u"SELECT item_id,chance FROM lootdrop_entries ORDER BY item_id"_s),
                 (QStringList{u"1001|100"_s, u"1002|50"_s}));
       EXPECT_EQ(t.w->out->text(), QString()) << "the label gets back what it said";
       EXPECT_EQ(t.io.messages, (std::vector<QString>{u"Done, No problems!"_s}));
     }},
    {"RenumberingLinks",
     [](LongOperations& t) {
       t.scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (3,'three'),(8,'eight')"_s);
       t.entries(8, {u"1001|1|0|25|0|1|127|1"_s});
       t.links(100, {u"3|1|1|0|100"_s, u"8|1|1|0|50"_s});
     },
     {u"START TRANSACTION"_s, u"SELECT * FROM loottable_entries WHERE loottable_id=100 FOR UPDATE"_s},
     u"ROLLBACK"_s,
     u"UPDATE loottable_entries SET lootdrop_id="_s,
     [](LongOperations& t) -> QLabel& { return *t.renumbering().out; },
     [](LongOperations& t) { t.renumbering().Command1_Click(); },
     u"Relinking loottable #100"_s,
     u"Relinking loottable #4294967295"_s,
     [](LongOperations& t) {
       EXPECT_EQ(t.scratch->rows(u"SELECT loottable_id,lootdrop_id FROM loottable_entries ORDER BY 2"_s),
                 (QStringList{u"100|1"_s, u"100|2"_s}));
       EXPECT_EQ(t.renumbering().out->text(), u"COMPLETED!"_s);
     }},
    {"RenumberingList",
     [](LongOperations& t) { t.scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (3,'three')"_s); },
     {u"LOCK TABLES lootdrop WRITE"_s},
     u"UNLOCK TABLES"_s,
     u"SELECT distinct(id) from lootdrop"_s,
     [](LongOperations& t) -> QLabel& { return *t.renumbering().out; },
     [](LongOperations& t) { t.renumbering().Command1_Click(); },
     u"Listing lootdrops..."_s,
     u"Listing lootdrops... 600.0 s"_s,
     [](LongOperations& t) {
       EXPECT_EQ(t.scratch->rows(u"SELECT id FROM lootdrop"_s), (QStringList{u"1"_s}));
       EXPECT_EQ(t.renumbering().out->text(), u"COMPLETED!"_s);
     }},
    {"RenumberingCheck",
     [](LongOperations& t) {
       t.scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (3,'three')"_s);
       t.entries(3, {u"1001|1|0|25|0|1|127|1"_s});
     },
     {u"LOCK TABLES lootdrop_entries WRITE"_s},
     u"UNLOCK TABLES"_s,
     u"SELECT DISTINCT e.lootdrop_id FROM lootdrop_entries"_s,
     [](LongOperations& t) -> QLabel& { return *t.renumbering().out; },
     [](LongOperations& t) { t.renumbering().Command1_Click(); },
     u"Checking lootdrop #1"_s,
     u"Checking loottable #4294967295"_s,
     [](LongOperations& t) {
       EXPECT_EQ(t.scratch->rows(u"SELECT lootdrop_id,item_id FROM lootdrop_entries"_s), (QStringList{u"1|1001"_s}));
       EXPECT_EQ(t.renumbering().out->text(), u"COMPLETED!"_s);
     }},
    {"LevelLoaderBeforeTheRows",
     [](LongOperations& t) {
       t.scratch->exec(u"INSERT INTO npc_types (id,name,level,loottable_id) VALUES (12,'a_rat',3,0),(5,'a_bat',7,0)"_s);
       t.w->min_lvl->setText(u"1"_s);
       t.w->max_lvl->setText(u"10"_s);
     },
     {u"LOCK TABLES npc_types WRITE"_s},
     u"UNLOCK TABLES"_s,
     u"select id,name,level,loottable_id FROM npc_types"_s,
     [](LongOperations& t) -> QLabel& { return *t.w->out; },
     [](LongOperations& t) { t.w->npc_loading->LiteBtnCtrl1_Click(); },
     u"Reading NPC's..."_s,
     u"Reading NPC's... 600.0 s"_s,
     [](LongOperations& t) {
       EXPECT_EQ(t.w->allgrids->RowCount(), 2);
       EXPECT_EQ(t.w->out->text(), QString());
     }},
    {"MakeLoottables",
     [](LongOperations& t) {
       t.scratch->exec(u"INSERT INTO npc_types (id,name,level,loottable_id) VALUES (12,'a_rat',3,0)"_s);
       t.w->allgrids->setRowCount(1);
       t.w->allgrids->setCellValue(1, 1, 12.0);
       t.w->allgrids->setCellValue(1, 5, 0.0);
     },
     {u"START TRANSACTION"_s, u"SELECT * FROM npc_types WHERE id=12 FOR UPDATE"_s},
     u"ROLLBACK"_s,
     u"UPDATE npc_types JOIN new_npc_loottables"_s,
     [](LongOperations& t) -> QLabel& { return *t.w->out; },
     [](LongOperations& t) { t.w->fix_loot_for_empty_loottablesx->trigger(); },
     QString(),
     QString(),
     [](LongOperations& t) {
       EXPECT_NE(t.scratch->scalar(u"SELECT loottable_id FROM npc_types WHERE id=12"_s), u"0"_s);
       EXPECT_EQ(t.io.messages, (std::vector<QString>{u"Ok, Done!"_s}));
     }},
};

INSTANTIATE_TEST_SUITE_P(HeldByALock, LongOperations, ::testing::ValuesIn(kOperations),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
