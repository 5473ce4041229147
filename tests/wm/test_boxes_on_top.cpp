// Messages and questions on a real X server under a window manager
// (tests/wm/run_under_wm.sh): the item search, the zone picker and the item
// card stay on top of other windows, and a box the operator must answer has
// to open above them all and take the keyboard. What lies on top and what
// has the keyboard is read from the window manager and the X server, and the
// answer is typed as a person would, through the X server.
#include "editor/npc_loading.h"
#include "editor/repair_commands.h"
#include "editor/zone_search.h"
#include "test_item_search_support.h"

#include <QDir>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWait = 10000;  // ms the window manager gets for each step

QString x_tool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(5000)) {
    p.kill();
    p.waitForFinished();
    return QString();
  }
  return QString::fromLatin1(p.readAllStandardOutput());
}

// Window ids in the order the window manager stacks its windows, bottom first.
std::vector<WId> stacking() {
  const QString out = x_tool(u"xprop"_s, {u"-root"_s, u"_NET_CLIENT_LIST_STACKING"_s});
  std::vector<WId> ids;
  static const QRegularExpression hex(u"0x[0-9a-fA-F]+"_s);
  for (const auto& m : hex.globalMatch(out.section(u'#', 1))) ids.push_back(m.captured().toULongLong(nullptr, 16));
  return ids;
}

// The window the window manager holds active.
WId active_window() {
  static const QRegularExpression hex(u"0x[0-9a-fA-F]+"_s);
  const auto m = hex.match(x_tool(u"xprop"_s, {u"-root"_s, u"_NET_ACTIVE_WINDOW"_s}));
  return m.hasMatch() ? m.captured().toULongLong(nullptr, 16) : 0;
}

// The window the X server sends typed keys to.
WId keyboard_window() { return x_tool(u"xdotool"_s, {u"getwindowfocus"_s}).trimmed().toULongLong(); }

// Every window of the program on screen: windows and dialogs, no menus or tips.
std::vector<QWidget*> program_windows() {
  std::vector<QWidget*> out;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    const Qt::WindowType type = w->windowType();
    if (w->isVisible() && (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool)) out.push_back(w);
  }
  return out;
}

// Where a box lies, as the window manager and the X server tell.
struct Reading {
  bool above_all = false;  // stacked above every other window of the program
  bool active = false;     // the window manager's active window
  bool keyboard = false;   // the X server's keyboard focus
  QString stacking;        // the program's windows' places, bottom 0, for failure texts
  bool good() const { return above_all && active && keyboard; }
};

Reading read_place(QWidget* box) {
  Reading r;
  const WId id = box->winId();
  const std::vector<WId> order = stacking();
  const auto at = [&](WId w) { return std::find(order.begin(), order.end(), w) - order.begin(); };
  const auto box_at = at(id);
  r.above_all = box_at < static_cast<std::ptrdiff_t>(order.size());
  for (QWidget* w : program_windows()) {
    if (w == box) continue;
    const auto w_at = at(w->winId());
    r.stacking += w->windowTitle() + u'@' + QString::number(w_at) + u' ';
    if (w_at >= box_at) r.above_all = false;
  }
  r.stacking += u"box@"_s + QString::number(box_at);
  r.active = active_window() == id;
  r.keyboard = keyboard_window() == id;
  return r;
}

// How a box was found on screen.
struct Seen {
  QString text;                // its message or question
  Reading shown;               // once shown
  Reading after_switch;        // after the operator tried to switch to another window
  bool typed_arrived = false;  // the typed answer stood in its field (questions)
  bool closed_by_return = false;
};

// Waits for the next message box or input box, reads where it lies, takes a
// picture of the screen, types `answer` and Return through the X server, and
// sees the box close. Polls cheaply until a box is shown, so a long
// operation before it is not disturbed.
class BoxWatcher : public QObject {
 public:
  // `other` is a window of the program the operator tries to switch to
  // while the box waits.
  BoxWatcher(QString shot_name, QString answer, QWidget* other)
      : shot_name_(std::move(shot_name)), answer_(std::move(answer)), other_(other) {
    connect(&poll_, &QTimer::timeout, this, &BoxWatcher::poll);
    poll_.start(20);
  }
  std::optional<Seen> seen;

 private:
  void poll() {
    QDialog* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || !(qobject_cast<QMessageBox*>(box) || qobject_cast<QInputDialog*>(box))) return;
    poll_.stop();
    inspect(box);
  }

  void inspect(QDialog* box) {
    Seen s;
    auto* message = qobject_cast<QMessageBox*>(box);
    auto* question = qobject_cast<QInputDialog*>(box);
    s.text = message ? message->text() : question->labelText();
    // However the wait ends, it holds the last reading.
    (void)QTest::qWaitFor(
        [&] {
          s.shown = read_place(box);
          return s.shown.good();
        },
        kWait);
    // The operator clicks another window of the program (the taskbar's way):
    // the box stays above it and keeps the keyboard. Read after a pause, as
    // the request has no answer to wait for: a window manager too slow to
    // act on it could let the check pass, never fail it.
    x_tool(u"xdotool"_s, {u"windowactivate"_s, QString::number(other_->winId())});
    QTest::qWait(700);
    s.after_switch = read_place(box);
    // A picture to look at: what the operator would see.
    const QString shots =
        qEnvironmentVariable("LOOT_WM_SHOTS", QCoreApplication::applicationDirPath() + u"/wm-shots"_s);
    QDir().mkpath(shots);
    QGuiApplication::primaryScreen()->grabWindow(0).save(shots + u'/' + shot_name_ + u".png"_s);
    if (question && !answer_.isEmpty()) {
      x_tool(u"xdotool"_s, {u"type"_s, u"--delay"_s, u"30"_s, answer_});
      s.typed_arrived = QTest::qWaitFor([&] { return question->textValue() == answer_; }, kWait);
    }
    x_tool(u"xdotool"_s, {u"key"_s, u"Return"_s});
    QPointer<QDialog> guard(box);
    s.closed_by_return = QTest::qWaitFor([&] { return !guard || !guard->isVisible(); }, kWait);
    // Never left hanging: the test goes on and reports what it saw.
    if (guard && guard->isVisible()) guard->reject();
    seen = s;
  }

  QTimer poll_;
  QString shot_name_;
  QString answer_;
  QWidget* other_;
};

class BoxesOnTop : public item_search_testing::ItemSearch {
 protected:
  void SetUp() override {
    // The on-screen boxes, not the recording ones.
    ItemSearch::SetUp();
    set_operator_io(nullptr);
    npcs = w->npc_loading.get();
  }
  void TearDown() override {
    if (Zone_Search* z = Zone_Search::loaded()) z->close();
    item_stats_window().unload();
    ItemSearch::TearDown();
  }
  // Makes `window` the one the operator works in, as a taskbar or Alt+Tab
  // would: the window manager raises it and gives it the keyboard. Asked
  // again until it holds, since a window just opened may still take the
  // keyboard when the window manager maps it.
  static bool make_active(QWidget* window) {
    return QTest::qWaitFor(
        [&] {
          x_tool(u"xdotool"_s, {u"windowactivate"_s, QString::number(window->winId())});
          return QTest::qWaitFor(
              [&] { return active_window() == window->winId() && QApplication::activeWindow() == window; }, 500);
        },
        kWait);
  }
  NpcLoading* npcs = nullptr;
};

TEST_F(BoxesOnTop, EveryMessageAndQuestionOpensAboveEveryWindowAndTakesTheKeyboard) {
  const struct {
    const char* name;
    bool picker, card;  // the zone picker, the item card open too
    bool main_active;   // the main window active instead of the item search
    QString answer;     // typed into a question
    std::function<void()> act;
    QString text;  // the box's text begins so
  } cases[] = {
      {"adv_search_finds_nothing", false, false, false, QString(),
       [&] {
         s->filter->setText(u"aint=99"_s);
         s->LiteBtnCtrl1_Click();
       },
       u"There were NO results returned!"_s},
      {"basic_search_fails", false, false, false, QString(),
       [&] {
         scratch->exec(u"RENAME TABLE items TO items_away"_s);
         s->search_input->setText(u"cap"_s);
         s->simple_search_Click();
         scratch->exec(u"RENAME TABLE items_away TO items"_s);
       },
       u"Searching the items failed"_s},
      {"level_box_without_number_under_the_picker", true, false, true, QString(),
       [&] {
         w->min_lvl->setText(u"abc"_s);
         w->max_lvl->setText(u"10"_s);
         npcs->LiteBtnCtrl1_Click();
       },
       u"The lower level box holds no number"_s},
      {"delete_question_with_every_window_open", true, true, true, u"0"_s,
       [&] { w->repair_commands->LOOTDROP_wipe_Click(); }, u"Which LOOTDROP-ID do you wish to purge"_s},
      {"delete_question_from_the_item_search", true, true, false, u"0"_s,
       [&] { w->repair_commands->LOOTDROP_wipe_Click(); }, u"Which LOOTDROP-ID do you wish to purge"_s},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.picker) QTest::mouseClick(w->zonename, Qt::LeftButton);
    if (c.card) {
      w->itm_stats_show_Click();
      // Over the middle of the screen, where a box opens.
      item_stats_window().move(w->frameGeometry().center() - QPoint(226, 144));
    }
    QWidget* worked_in = c.main_active ? static_cast<QWidget*>(w.get()) : static_cast<QWidget*>(s);
    ASSERT_TRUE(make_active(worked_in));

    BoxWatcher watcher(QString::fromLatin1(c.name), c.answer, worked_in);
    c.act();
    ASSERT_TRUE(watcher.seen) << "no box was shown";
    const Seen& seen = *watcher.seen;
    EXPECT_TRUE(seen.text.startsWith(c.text)) << seen.text.toStdString();
    EXPECT_TRUE(seen.shown.above_all) << seen.shown.stacking.toStdString();
    EXPECT_TRUE(seen.shown.active);
    EXPECT_TRUE(seen.shown.keyboard);
    EXPECT_TRUE(seen.after_switch.good()) << seen.after_switch.stacking.toStdString();
    if (!c.answer.isEmpty()) {
      EXPECT_TRUE(seen.typed_arrived);
    }
    EXPECT_TRUE(seen.closed_by_return);
    // Once answered, the window worked in has the keyboard again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return keyboard_window() == worked_in->winId(); }, kWait));

    if (Zone_Search* z = Zone_Search::loaded()) z->close();
    item_stats_window().unload();
  }
}

}  // namespace
