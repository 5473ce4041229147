#include "controls/grid_model.h"
#include "controls/igrid.h"
#include "controls/litebtnctrl.h"
#include "editor/korvexloot.h"
#include "shared/shared.h"
#include "startwindow/music_player.h"
#include "support/testdb.h"

#include <gtest/gtest.h>
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTableView>
#include <QUrl>

#include <memory>

using namespace Qt::StringLiterals;
using testing_support::DbTest;
using testing_support::ProgramEnded;

namespace {

class MainWindow : public DbTest {
 protected:
  std::unique_ptr<KorvexLoot> load_window() {
    auto w = std::make_unique<KorvexLoot>();
    w->Form_Load();
    return w;
  }
  QStringList own_rows() {
    QStringList r = scratch->rows(u"SELECT id,name FROM lootdrop WHERE name='ZiridezivuR3'"_s);
    r += scratch->rows(
        u"SELECT lootdrop_id,item_id,item_charges,equip_item,chance,disabled_chance,npc_min_level,npc_max_level,"
        "multiplier FROM lootdrop_entries ORDER BY item_id"_s);
    r += scratch->rows(u"SELECT varname,value,information FROM variables"_s);
    return r;
  }
};

QStringList headers(const IGrid* grid) {
  QStringList out;
  for (int c = 0; c < grid->model()->columnCount(); ++c) out << grid->model()->headerData(c, Qt::Horizontal).toString();
  return out;
}

TEST_F(MainWindow, FirstRunMakesTheOwnLootdropAndLaterRunsReadItBack) {
  const QString lookup = u"SELECT varname,value FROM variables WHERE varname=\"LootdropID\""_s;
  const QString probe = u"SELECT id FROM lootdrop WHERE id="_s;
  scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (1,'a'),(2,'b'),(3,'c'),(7,'d')"_s);
  auto sent = std::make_unique<testing_support::SentStatements>();
  auto w = load_window();
  EXPECT_EQ(own_lootdrop_id, 4);
  EXPECT_EQ(sent->starting_with(u"SELECT varname"_s), QStringList{lookup});
  // Each candidate goes between single quotes; the last one asked is the id taken.
  const QStringList probes = sent->starting_with(probe);
  ASSERT_FALSE(probes.isEmpty());
  const QRegularExpression quoted(u"^SELECT id FROM lootdrop WHERE id='[0-9]+'$"_s);
  for (const QString& p : probes) EXPECT_TRUE(quoted.match(p).hasMatch()) << p.toStdString();
  EXPECT_EQ(probes.last(), probe + u"'4'"_s) << probes.last().toStdString();
  const QString entry =
      u"INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,"
      "disabled_chance,npc_min_level,npc_max_level,multiplier) VALUES (4,"_s;
  EXPECT_EQ(
      sent->starting_with(u"INSERT"_s),
      (QStringList{u"INSERT INTO lootdrop (id,name) VALUES (4,\"ZiridezivuR3\")"_s, entry + u"1001,1,1,50,0,1,127,1)"_s,
                   entry + u"6015,1,1,50,0,1,127,1)"_s, entry + u"1856,1,1,50,0,1,127,1)"_s,
                   entry + u"11807,1,1,50,0,1,127,1)"_s, entry + u"94128,1,1,50,0,1,127,1)"_s,
                   u"INSERT INTO variables (varname,value,information) VALUES "
                   "(\"LootdropID\",4,\"For Ziridezivur3\")"_s}));
  sent.reset();
  const QStringList expected{u"4|ZiridezivuR3"_s,
                             u"4|1001|1|1|50|0|1|127|1"_s,
                             u"4|1856|1|1|50|0|1|127|1"_s,
                             u"4|6015|1|1|50|0|1|127|1"_s,
                             u"4|11807|1|1|50|0|1|127|1"_s,
                             u"4|94128|1|1|50|0|1|127|1"_s,
                             u"LootdropID|4|For Ziridezivur3"_s};
  EXPECT_EQ(own_rows(), expected);
  EXPECT_TRUE(io.messages.empty());
  EXPECT_EQ(w->counter->text(), u"Number of NPC's:  0"_s);
  EXPECT_TRUE(db_conn.is_open());

  // The next start finds the row, writes nothing, and takes the id from it,
  // even when the lootdrop itself has gone meanwhile.
  scratch->exec(u"DELETE FROM lootdrop WHERE id=4"_s);
  own_lootdrop_id = 0;
  sent = std::make_unique<testing_support::SentStatements>();
  auto again = load_window();
  EXPECT_EQ(own_lootdrop_id, 4);
  EXPECT_EQ(sent->starting_with(u"SELECT varname"_s), QStringList{lookup});
  EXPECT_EQ(sql_text, lookup);
  EXPECT_TRUE(sent->starting_with(u"INSERT"_s).isEmpty());
  EXPECT_EQ(scratch->count(u"lootdrop"_s), 4);
  EXPECT_EQ(scratch->count(u"lootdrop_entries"_s), 5);
  EXPECT_EQ(scratch->count(u"variables"_s), 1);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(MainWindow, StoredValueIsReadAsTheNumberItBeginsWith) {
  // Lootdrop ids are unsigned: up to 4294967295.
  const std::pair<QString, std::uint32_t> cases[] = {{u"12abc"_s, 12},
                                                     {u"  7"_s, 7},
                                                     {u"12.5"_s, 12},
                                                     {u"13.5"_s, 14},
                                                     {u"abc"_s, 0},
                                                     {u""_s, 0},
                                                     {u"3000000000"_s, 3000000000u},
                                                     {u"4294967295"_s, 4294967295u},
                                                     {u"4294967296"_s, 0},
                                                     {u"-1"_s, 0}};
  for (const auto& [text, id] : cases) {
    scratch->exec(u"DELETE FROM variables"_s);
    scratch->exec(u"INSERT INTO variables (varname,value,information) VALUES ('LootdropID','"_s + text + u"','')"_s);
    own_lootdrop_id = 1;  // no case gives 1
    auto w = load_window();
    EXPECT_EQ(own_lootdrop_id, id) << text.toStdString();
  }
  EXPECT_EQ(scratch->count(u"lootdrop"_s), 0);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(MainWindow, FailureWhileMakingTheOwnLootdropWritesNothing) {
  scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (1,'a')"_s);
  scratch->exec(
      u"CREATE TRIGGER refuse_variables BEFORE INSERT ON variables FOR EACH ROW "
      "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='variables are read-only here'"_s);
  auto w = load_window();
  EXPECT_EQ(own_lootdrop_id, 0);
  EXPECT_EQ(scratch->rows(u"SELECT id,name FROM lootdrop"_s), QStringList{u"1|a"_s});
  EXPECT_EQ(scratch->count(u"lootdrop_entries"_s), 0);
  EXPECT_EQ(scratch->count(u"variables"_s), 0);
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].contains(u"ZiridezivuR3"_s));
  EXPECT_TRUE(io.messages[0].contains(u"variables are read-only here"_s));
  // The program goes on: the window is complete and the connection usable.
  EXPECT_EQ(w->counter->text(), u"Number of NPC's:  0"_s);
  EXPECT_EQ(w->lootdropE->ColCount(), 8);
  db_rs.open(u"SELECT COUNT(*) FROM lootdrop"_s, db_conn);
  EXPECT_EQ(db_rs.field(0).text(), u"1"_s);

  // Once the fault is gone the next start makes the lootdrop whole, once.
  scratch->exec(u"DROP TRIGGER refuse_variables"_s);
  auto again = load_window();
  EXPECT_EQ(own_lootdrop_id, 2);
  EXPECT_EQ(scratch->count(u"lootdrop_entries"_s, u"lootdrop_id=2"_s), 5);
  EXPECT_EQ(scratch->count(u"lootdrop"_s), 2);
}

TEST_F(MainWindow, OwnLootdropFailingOnTablesThatCannotRollBackIsTakenBackOrNamed) {
  for (const QString& table : {u"lootdrop"_s, u"lootdrop_entries"_s, u"variables"_s})
    scratch->exec(u"ALTER TABLE "_s + table + u" ENGINE=MyISAM"_s);
  const QString refuse_third_entry =
      u"CREATE TRIGGER refuse_it BEFORE INSERT ON lootdrop_entries FOR EACH ROW BEGIN IF NEW.item_id=1856 THEN "
      "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='refused here'; END IF; END"_s;
  const QString removed_again =
      u"Making the program's own lootdrop \"ZiridezivuR3\" (what was written has been removed again) failed"_s;
  // Each fault comes after part of the bootstrap went in.
  const struct {
    QStringList triggers;
    QString report;
    QStringList left;
  } cases[] = {
      {{refuse_third_entry}, removed_again, {}},
      {{u"CREATE TRIGGER refuse_it BEFORE INSERT ON variables FOR EACH ROW "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='refused here'"_s},
       removed_again,
       {}},
      // The removal is refused too: what stays is named.
      {{refuse_third_entry,
        u"CREATE TRIGGER keep_it BEFORE DELETE ON lootdrop_entries FOR EACH ROW SIGNAL SQLSTATE '45000'"_s},
       u"could not be removed: lootdrop 2 \"ZiridezivuR3\" with its entries for items 1001, 6015. Delete lootdrop 2 "
       "with \"Delete Unused LOOTDROP\"; the next start makes a new one."_s,
       {u"2|ZiridezivuR3"_s, u"2|1001|1|1|50|0|1|127|1"_s, u"2|6015|1|1|50|0|1|127|1"_s}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.triggers.join(u' ').toStdString());
    scratch->exec(u"DROP TRIGGER IF EXISTS refuse_it"_s);
    scratch->exec(u"DROP TRIGGER IF EXISTS keep_it"_s);
    scratch->exec(u"DELETE FROM lootdrop"_s);
    scratch->exec(u"DELETE FROM lootdrop_entries"_s);
    scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (1,'a')"_s);
    for (const QString& trigger : c.triggers) scratch->exec(trigger);
    io.messages.clear();
    own_lootdrop_id = 0;
    auto w = load_window();
    EXPECT_EQ(own_lootdrop_id, 0u);
    EXPECT_EQ(own_rows(), c.left);
    EXPECT_EQ(scratch->rows(u"SELECT id,name FROM lootdrop WHERE id=1"_s), QStringList{u"1|a"_s});
    ASSERT_EQ(io.messages.size(), 1u);
    EXPECT_FALSE(io.messages[0].contains(u"nothing was written"_s)) << io.messages[0].toStdString();
    EXPECT_TRUE(io.messages[0].contains(c.report)) << io.messages[0].toStdString();
    EXPECT_TRUE(io.messages[0].contains(u"refused here"_s));
  }
}

TEST_F(MainWindow, UnreachableDatabaseIsReportedAndTheWindowStillOpens) {
  db_settings.server = u"127.0.0.1;PORT=1"_s;
  auto w = load_window();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Connecting to the database failed"_s));
  EXPECT_EQ(own_lootdrop_id, 0);
  EXPECT_EQ(w->counter->text(), u"Number of NPC's:  0"_s);
  EXPECT_EQ(w->allgrids->ColCount(), 5);
  EXPECT_EQ(w->loottableE->ColCount(), 5);
  EXPECT_FALSE(io.ended);
}

TEST_F(MainWindow, LoadStepMakesTheGridColumnsInOrder) {
  auto w = load_window();
  EXPECT_EQ(headers(w->allgrids), (QStringList{u"id"_s, u"npc"_s, u"lvl"_s, u"zone"_s, u"loottable"_s}));
  EXPECT_EQ(headers(w->loottableE),
            (QStringList{u"lootdrop_id"_s, u"multiplier"_s, u"droplimit"_s, u"mindop"_s, u"probability"_s}));
  EXPECT_EQ(headers(w->lootdropE), (QStringList{u"item_id"_s, u"name"_s, u"charges"_s, u"equip"_s, u"%"_s,
                                                u"npc_min_level"_s, u"npc_max_level"_s, u"#"_s}));
  EXPECT_EQ(w->allgrids->view()->columnWidth(1), 200);
  EXPECT_EQ(w->lootdropE->view()->columnWidth(1), 215);
}

TEST_F(MainWindow, ColumnViewsHideAndShowOnlyTheLootColumns) {
  auto w = load_window();
  w->lootdropE->setRowCount(1);
  for (int c = 1; c <= 8; ++c) w->lootdropE->setCellValue(1, c, c * 10);
  auto visible = [](const IGrid* g) {
    QString s;
    for (int c = 1; c <= g->ColCount(); ++c) s += g->ColVisible(c) ? u'1' : u'0';
    return s;
  };
  w->exp_header_Click();  // everything visible already: nothing changes
  EXPECT_EQ(visible(w->loottableE), u"11111"_s);
  EXPECT_EQ(visible(w->lootdropE), u"11111111"_s);
  w->shrink_header_Click();
  EXPECT_EQ(visible(w->loottableE), u"10000"_s);
  EXPECT_EQ(visible(w->lootdropE), u"11000000"_s);
  EXPECT_EQ(visible(w->allgrids), u"11111"_s);
  w->shrink_header_Click();
  EXPECT_EQ(visible(w->lootdropE), u"11000000"_s);
  w->exp_header_Click();
  EXPECT_EQ(visible(w->loottableE), u"11111"_s);
  EXPECT_EQ(visible(w->lootdropE), u"11111111"_s);
  for (int c = 1; c <= 8; ++c) EXPECT_EQ(w->lootdropE->CellValue(1, c).toInt(), c * 10);
}

TEST_F(MainWindow, MenusCarryTheirCaptionsAndOnlyWorkingEntriesAreAvailable) {
  KorvexLoot w;
  QStringList bar;
  for (QAction* a : w.menuBar()->actions()) bar << a->text();
  EXPECT_EQ(bar, (QStringList{u"Special"_s, u"Music Off"_s, u"Show Item Stats"_s, u"Youtube Video Help"_s, u"Quit"_s}));
  QStringList special;
  for (QAction* a : w.specialx->actions()) special << a->text();
  EXPECT_EQ(special,
            (QStringList{u"Make Loottables for NPC's without any Loot"_s, u"Expand Loot Header (Full View)"_s,
                         u"Shrink Loot Header (Minimal View)"_s, u"Delete Unused LOOTDROP"_s,
                         u"Fix lootdrops with chances >100 (range 0-100)"_s, u"Reorganize Lootdrop tables"_s}));
  QStringList videos;
  for (QAction* a : w.vids->actions()) videos << a->text();
  EXPECT_EQ(videos, (QStringList{u"Basic Interface"_s, u"Item Search"_s, u"Random Loot"_s}));

  EXPECT_FALSE(w.music_offx->isEnabled());
  EXPECT_TRUE(w.Reorganize_Lootdrop_table->isEnabled());
  EXPECT_TRUE(w.find_item->isEnabled());
  EXPECT_TRUE(w.itm_stats_show->isEnabled());
  w.music_offx_Click();  // harmless without a player
  EXPECT_FALSE(w.music_offx->isEnabled());
  music_player = std::make_unique<MusicPlayer>();
  w.music_offx_Click();
  EXPECT_EQ(music_player, nullptr);
}

// Receives what QDesktopServices would hand to the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls << url; }
};

TEST_F(MainWindow, VideoHelpOpensThreeLocalPages) {
  const QString before = QDir::currentPath();
  QDir::setCurrent(QStringLiteral(LOOT_SOURCE_DIR));
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(u"file"_s, &catcher, "open");
  KorvexLoot w;
  w.vid1->trigger();
  w.vid2->trigger();
  w.vid3->trigger();
  QDesktopServices::unsetUrlHandler(u"file"_s);
  QDir::setCurrent(before);
  ASSERT_EQ(catcher.urls.size(), 3);
  EXPECT_NE(catcher.urls[0], catcher.urls[1]);
  EXPECT_NE(catcher.urls[1], catcher.urls[2]);
  for (const QUrl& url : catcher.urls) {
    ASSERT_TRUE(url.isLocalFile());
    EXPECT_TRUE(QFileInfo(url.toLocalFile()).isFile()) << url.toString().toStdString();
  }
}

TEST_F(MainWindow, ItemStatsOpensOneWindowAndBringsItForward) {
  KorvexLoot w;
  w.itm_stats_show->trigger();
  w.itm_stats_show->trigger();
  int shown = 0;
  for (QWidget* t : QApplication::topLevelWidgets())
    if (t->isVisible() && t->inherits("Item_Stats")) ++shown;
  EXPECT_EQ(shown, 1);
}

// A stand-in for a window of the program that the main window knows by name.
std::unique_ptr<QWidget> open_window(const QString& name) {
  auto w = std::make_unique<QWidget>();
  w->setObjectName(name);
  w->show();
  return w;
}

TEST_F(MainWindow, QuitClosesTheZonePickerAndEndsTheProgram) {
  KorvexLoot w;
  w.show();
  auto zone_picker = open_window(u"Zone_Search"_s);
  auto other = open_window(u"item_search"_s);
  // The handler is called directly: the end of the program is thrown here,
  // and an exception must not unwind through Qt's own code.
  EXPECT_TRUE(QObject::disconnect(w.quit, &QAction::triggered, &w, &KorvexLoot::quit_Click));
  EXPECT_THROW(w.quit_Click(), ProgramEnded);
  EXPECT_TRUE(io.ended);
  EXPECT_FALSE(zone_picker->isVisible());
  // The rest ends with the program, without its close handling.
  EXPECT_TRUE(other->isVisible());
}

TEST_F(MainWindow, ClosingTheWindowClosesEveryOtherWindowAndEndsTheProgram) {
  KorvexLoot w;
  w.show();
  auto zone_picker = open_window(u"Zone_Search"_s);
  auto other = open_window(u"item_search"_s);
  QCloseEvent close;
  EXPECT_THROW(w.closeEvent(&close), ProgramEnded);
  EXPECT_TRUE(close.isAccepted());
  EXPECT_TRUE(io.ended);
  EXPECT_FALSE(zone_picker->isVisible());
  EXPECT_FALSE(other->isVisible());
}

TEST_F(MainWindow, RendersWithWhiteSurfaceAndItsControlsInPlace) {
  auto w = load_window();
  w->show();
  const QImage shot = w->centralWidget()->grab().toImage();
  shot.save(QDir::temp().filePath(u"korvexloot_main.png"_s));
  EXPECT_EQ(w->centralWidget()->size(), QSize(1398, 701));
  EXPECT_EQ(shot.pixelColor(1390, 690), QColor(Qt::white));
  // "Zone Name" lies under "Item Search"; the zone label shows dark grey.
  EXPECT_EQ(shot.pixelColor(w->zonename->geometry().bottomRight() - QPoint(2, 2)), QColor(64, 64, 64));
  EXPECT_NE(shot.pixelColor(w->find_item->geometry().center()), QColor(255, 255, 192));
}

}  // namespace

#include "test_mainwindow.moc"
