#include "controls/grid_model.h"
#include "controls/igrid.h"
#include "editor/korvexloot.h"
#include "editor/npc_loading.h"
#include "editor/zone_search.h"
#include "test_loot_grids_support.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <functional>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString kZoneQuery =
    u"SELECT DISTINCT spawnentry.npcID,npc_types.name,npc_types.level,spawn2.zone,npc_types.loottable_id "
    "FROM spawnentry, npc_types, spawngroup, spawn2 "
    "WHERE (spawnentry.npcID=npc_types.id) "
    "AND (spawnentry.spawngroupID=spawngroup.id) AND (spawn2.spawngroupID = spawnentry.spawngroupID) "
    "AND (spawn2.zone="_s;

class NpcGrid : public loot_grids_testing::LootGrids {
 protected:
  void SetUp() override {
    LootGrids::SetUp();
    npcs = w->npc_loading.get();
    npcs->progress_observer = [this](const QString& text) {
      progress << text;
      hourglass << hourglass_shown();
    };
  }
  void TearDown() override {
    if (Zone_Search* z = Zone_Search::loaded()) z->close();
    LootGrids::TearDown();
  }

  // Three NPCs in "sallowmere" (NPC 5 in two of its spawn groups), one elsewhere;
  // NPC 5 has loot table 100 with two lootdrops, NPC 9 the empty loot table 101.
  void world() {
    scratch->exec_script(
        uR"(
      INSERT INTO npc_types (id,name,level,loottable_id) VALUES
        (12,'a_rat',3,0),(5,'a_bat',7,100),(9,'a_snake',12,101),(30,'a_far_npc',5,0);
      INSERT INTO spawngroup (id,name) VALUES (1,'g1'),(2,'g2'),(3,'g3');
      INSERT INTO spawnentry (spawngroupID,npcID) VALUES (1,5),(1,12),(2,5),(2,9),(3,30);
      INSERT INTO spawn2 (spawngroupID,zone) VALUES (1,'sallowmere'),(2,'sallowmere'),(3,'ostmirren');
      INSERT INTO loottable (id,name) VALUES (100,'bat_loot'),(101,'snake_loot');
      INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,droplimit,mindrop,probability)
        VALUES (100,7,1,1,0,100),(100,8,1,1,0,50);
      INSERT INTO lootdrop (id,name) VALUES (7,'bat_drop'),(8,'other_drop');
      INSERT INTO items (id,Name) VALUES (1001,'Bat Wing'),(1002,'Bat Fur');
      INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,npc_min_level,npc_max_level)
        VALUES (7,1001,1,0,25,1,127),(7,1002,1,0,10,1,127);
    )"_s);
  }
  // Something on screen and current, as after a press on an earlier NPC.
  void something_current() {
    w->loottableE->setRowCount(1);
    w->lootdropE->setRowCount(1);
    cur_loottable_id = 77;
    cur_lootdrop_id = 78;
    cur_item_id = 79;
    sel_loottable_row = 1;
    sel_lootdrop_row = 1;
  }
  void expect_nothing_current() {
    EXPECT_EQ(w->loottableE->RowCount(), 0);
    EXPECT_EQ(w->lootdropE->RowCount(), 0);
    EXPECT_EQ(cur_loottable_id, 0);
    EXPECT_EQ(cur_lootdrop_id, 0);
    EXPECT_EQ(sel_loottable_row, 0);
    EXPECT_EQ(sel_lootdrop_row, 0);
  }
  void load_zone(const QString& zone) {
    w->zonename->setText(zone);
    npcs->Search_Grids_Click();
  }
  void press(int row) { npcs->allgrids_MouseDown(Qt::LeftButton, {}, 0, 0, row, 1); }
  QString loottable_of(int npc) {
    return scratch->scalar(u"SELECT loottable_id FROM npc_types WHERE id="_s + QString::number(npc));
  }

  // The hourglass over the main window, whichever way it is put there.
  bool hourglass_shown() const {
    const QCursor* over_all = QApplication::overrideCursor();
    return w->cursor().shape() == Qt::WaitCursor || (over_all != nullptr && over_all->shape() == Qt::WaitCursor);
  }

  NpcLoading* npcs = nullptr;
  QStringList progress;
  QList<bool> hourglass;  // at each progress text
};

TEST_F(NpcGrid, ZoneLoaderListsEachNpcOnceByIdAndResetsTheLowerGrids) {
  world();
  something_current();
  load_zone(u"sallowmere"_s);

  EXPECT_EQ(sql_text, kZoneQuery + u"\"sallowmere\") ORDER BY npc_types.id"_s);
  EXPECT_EQ(shown(w->allgrids), (QStringList{u"5|a_bat|7|sallowmere|100"_s, u"9|a_snake|12|sallowmere|101"_s,
                                             u"12|a_rat|3|sallowmere|0"_s}));
  EXPECT_EQ(w->allgrids->CellValue(1, 1).typeId(), QMetaType::Double);
  EXPECT_EQ(progress, (QStringList{u"Loading NPC 0/3"_s, u"Loading NPC 1/3"_s, u"Loading NPC 2/3"_s}));
  EXPECT_EQ(hourglass, QList<bool>(3, false));
  EXPECT_EQ(w->out->text(), QString());
  EXPECT_EQ(w->counter->text(), u"Number of NPC's:  3"_s);
  EXPECT_EQ(rec_count, 3);
  expect_nothing_current();
  EXPECT_EQ(cur_item_id, 79);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(NpcGrid, ZoneLoaderRangeTakesTheNumericValuesOfTheBounds) {
  world();
  w->range_use->setChecked(true);
  w->min_lvl->setText(u"1"_s);
  w->max_lvl->setText(u"10"_s);
  load_zone(u"sallowmere"_s);
  EXPECT_EQ(sql_text, kZoneQuery + u"\"sallowmere\") AND npc_types.Level BETWEEN 1 AND 10  ORDER BY npc_types.id"_s);
  EXPECT_EQ(shown(w->allgrids), (QStringList{u"5|a_bat|7|sallowmere|100"_s, u"12|a_rat|3|sallowmere|0"_s}));

  w->min_lvl->setText(u"abc"_s);
  w->max_lvl->setText(u"10; DROP TABLE items"_s);
  load_zone(u"sallowmere"_s);
  EXPECT_TRUE(sql_text.endsWith(u"BETWEEN 0 AND 10  ORDER BY npc_types.id"_s));
  EXPECT_EQ(w->allgrids->RowCount(), 2);
  EXPECT_EQ(scratch->count(u"items"_s), 2);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(NpcGrid, ZoneNamesWithQuotesOrBackslashesNeverChangeTheStatement) {
  world();
  scratch->exec_script(
      uR"(
    INSERT INTO npc_types (id,name,level,loottable_id) VALUES (40,'odd_one',1,0),(41,'slash_one',1,0),(42,'tick_one',1,0);
    INSERT INTO spawngroup (id,name) VALUES (4,'g4'),(5,'g5'),(6,'g6');
    INSERT INTO spawnentry (spawngroupID,npcID) VALUES (4,40),(5,41),(6,42);
    INSERT INTO spawn2 (spawngroupID,zone) VALUES (4,'odd"zone'),(5,'c:\\zone\\'),(6,'o''brien');
  )"_s);

  // Once the text that closes the literal: every NPC of every zone.
  load_zone(u"x\" OR \"1\"=\"1"_s);
  EXPECT_EQ(w->allgrids->RowCount(), 0);
  EXPECT_TRUE(io.messages.empty());

  load_zone(u"odd\"zone"_s);
  EXPECT_EQ(shown(w->allgrids), (QStringList{u"40|odd_one|1|odd\"zone|0"_s}));
  load_zone(u"c:\\zone\\"_s);
  EXPECT_EQ(shown(w->allgrids), (QStringList{u"41|slash_one|1|c:\\zone\\|0"_s}));
  load_zone(u"o'brien"_s);
  EXPECT_EQ(sql_text, kZoneQuery + u"\"o'brien\") ORDER BY npc_types.id"_s);
  EXPECT_EQ(shown(w->allgrids), (QStringList{u"42|tick_one|1|o'brien|0"_s}));
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(NpcGrid, LevelLoaderListsEveryNpcInRangeWithoutZone) {
  world();
  something_current();
  w->min_lvl->setText(u"1"_s);
  w->max_lvl->setText(u"10"_s);
  npcs->LiteBtnCtrl1_Click();

  EXPECT_EQ(sql_text, u"select id,name,level,loottable_id FROM npc_types WHERE level between 1 and 10"_s);
  QStringList rows = shown(w->allgrids);
  rows.sort();  // no order is asked of the database
  EXPECT_EQ(rows, (QStringList{u"12|a_rat|3|nothing|0"_s, u"30|a_far_npc|5|nothing|0"_s, u"5|a_bat|7|nothing|100"_s}));
  EXPECT_EQ(progress, (QStringList{u"Loading NPC 1/3"_s, u"Loading NPC 2/3"_s, u"Loading NPC 3/3"_s}));
  EXPECT_EQ(hourglass, QList<bool>(3, true));
  EXPECT_EQ(w->out->text(), QString());
  EXPECT_EQ(w->counter->text(), u"Number of NPC's:  3"_s);
  EXPECT_EQ(rec_count, 3);
  EXPECT_FALSE(hourglass_shown());
  expect_nothing_current();
}

TEST_F(NpcGrid, LevelLoaderSendsNumbersOnly) {
  world();
  w->min_lvl->setText(u"5"_s);
  w->max_lvl->setText(u"3"_s);
  npcs->LiteBtnCtrl1_Click();
  EXPECT_EQ(sql_text, u"select id,name,level,loottable_id FROM npc_types WHERE level between 5 and 3"_s);
  EXPECT_EQ(w->allgrids->RowCount(), 0);
  EXPECT_EQ(w->counter->text(), u"Number of NPC's:  0"_s);

  // Typed as it stands, this would end the statement and start another.
  w->min_lvl->setText(u"1; DROP TABLE items"_s);
  w->max_lvl->setText(u" 10 "_s);
  npcs->LiteBtnCtrl1_Click();
  EXPECT_EQ(sql_text, u"select id,name,level,loottable_id FROM npc_types WHERE level between 1 and 10"_s);
  EXPECT_EQ(w->allgrids->RowCount(), 3);
  EXPECT_EQ(scratch->count(u"items"_s), 2);

  // A bound too large to write is refused before anything is sent.
  sql_text.clear();
  w->max_lvl->setText(u"1e999"_s);
  npcs->LiteBtnCtrl1_Click();
  EXPECT_EQ(sql_text, QString());
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].contains(u"1e999"_s));
}

TEST_F(NpcGrid, LoaderFailureIsReportedAndTheProgramGoesOn) {
  world();
  scratch->exec(u"DROP TABLE npc_types"_s);
  npcs->LiteBtnCtrl1_Click();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_EQ(w->allgrids->RowCount(), 0);
  EXPECT_EQ(w->out->text(), QString());
  EXPECT_FALSE(hourglass_shown());
  load_zone(u"sallowmere"_s);
  EXPECT_EQ(io.messages.size(), 2u);
}

TEST_F(NpcGrid, LevelLoaderRefusesABoxWithoutANumberAndKeepsTheGrid) {
  world();
  load_zone(u"sallowmere"_s);
  const QStringList before = shown(w->allgrids);
  const QString statement = sql_text;
  const struct {
    QString low, high, box;
  } cases[] = {{u"abc"_s, u"10"_s, u"lower"_s},
               {QString(), u"10"_s, u"lower"_s},
               {u"1"_s, u"  "_s, u"upper"_s},
               {u"1"_s, u"x5"_s, u"upper"_s},
               {u"-"_s, u"."_s, u"lower"_s}};
  for (const auto& c : cases) {
    SCOPED_TRACE(QString(c.low + u" / "_s + c.high).toStdString());
    io.messages.clear();
    w->min_lvl->setText(c.low);
    w->max_lvl->setText(c.high);
    npcs->LiteBtnCtrl1_Click();
    ASSERT_EQ(io.messages.size(), 1u);
    const QString text = c.box == u"lower"_s ? c.low : c.high;
    EXPECT_EQ(io.messages[0],
              u"The "_s + c.box + u" level box holds no number (\""_s + text + u"\"). No NPCs were loaded."_s);
    EXPECT_EQ(sql_text, statement);
    EXPECT_EQ(shown(w->allgrids), before);
    EXPECT_EQ(w->counter->text(), u"Number of NPC's:  3"_s);
  }
  // A text that begins with a number still counts as that number.
  io.messages.clear();
  w->min_lvl->setText(u" 4abc"_s);
  w->max_lvl->setText(u"7 levels"_s);
  npcs->LiteBtnCtrl1_Click();
  EXPECT_EQ(sql_text, u"select id,name,level,loottable_id FROM npc_types WHERE level between 4 and 7"_s);
  EXPECT_EQ(w->allgrids->RowCount(), 2);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(NpcGrid, CounterShowsTheGridsRowsWhenALoaderFails) {
  world();
  const struct {
    const char* name;
    std::function<void()> load;
  } loaders[] = {{"zone", [&] { load_zone(u"sallowmere"_s); }}, {"level", [&] { npcs->LiteBtnCtrl1_Click(); }}};
  for (const auto& loader : loaders) {
    SCOPED_TRACE(loader.name);
    const DbSettings reachable = db_settings;
    loader.load();
    ASSERT_EQ(w->counter->text(), u"Number of NPC's:  3"_s);
    io.messages.clear();
    db_settings.server = u"127.0.0.1;PORT=1"_s;  // the server is down
    loader.load();
    db_settings = reachable;
    EXPECT_EQ(io.messages.size(), 1u);
    EXPECT_EQ(w->allgrids->RowCount(), 0);
    EXPECT_EQ(w->counter->text(), u"Number of NPC's:  0"_s);
  }
}

TEST_F(NpcGrid, PressShowsTheLootTableItsFirstLootdropAndFirstItem) {
  world();
  load_zone(u"sallowmere"_s);
  // A real press on the first row, through the grid.
  QTableView* view = w->allgrids->view();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 1)).center());
  EXPECT_EQ(cur_loottable_id, 100);
  EXPECT_EQ(shown(w->loottableE), (QStringList{u"7|1|1|0|100"_s, u"8|1|1|0|50"_s}));
  EXPECT_EQ(cur_lootdrop_id, 7);
  EXPECT_EQ(w->lootdropE->RowCount(), 2);
  EXPECT_EQ(cur_item_id, 1001);
  EXPECT_TRUE(card_name().contains(u"Bat Wing"_s));
  EXPECT_EQ(sel_loottable_row, 0);
  EXPECT_TRUE(io.messages.empty());

  // An NPC without a loot table: nothing of the first NPC stays current.
  press(3);
  expect_nothing_current();
  EXPECT_EQ(cur_item_id, 1001);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(NpcGrid, PressOnAnEmptyLootTableGivesBothMessages) {
  world();
  load_zone(u"sallowmere"_s);
  press(1);
  io.messages.clear();
  press(2);
  ASSERT_EQ(io.messages.size(), 2u);
  EXPECT_EQ(io.messages[1], u"This loottable is BAD. You should delete it"_s);
  EXPECT_EQ(cur_loottable_id, 101);
  EXPECT_EQ(w->loottableE->RowCount(), 0);
  EXPECT_EQ(w->lootdropE->RowCount(), 0);
  EXPECT_EQ(cur_lootdrop_id, 0);

  // A load the database refuses is told once; the loot table is not called bad.
  io.messages.clear();
  without_table(u"loottable_entries"_s, [&] { press(1); });
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_NE(io.messages[0], u"This loottable is BAD. You should delete it"_s);
  EXPECT_EQ(w->loottableE->RowCount(), 0);
}

TEST_F(NpcGrid, PressBelowTheLastRowChangesNothing) {
  world();
  load_zone(u"sallowmere"_s);
  press(1);
  const QStringList loot = shown(w->loottableE);
  const QStringList items = shown(w->lootdropE);
  sel_lootdrop_row = 2;
  press(0);
  EXPECT_EQ(shown(w->loottableE), loot);
  EXPECT_EQ(shown(w->lootdropE), items);
  EXPECT_EQ(cur_loottable_id, 100);
  EXPECT_EQ(cur_lootdrop_id, 7);
  EXPECT_EQ(sel_lootdrop_row, 2);
}

TEST_F(NpcGrid, EditStoresTheRoundedLootTableIdOfTheRow) {
  world();
  load_zone(u"sallowmere"_s);
  press(1);
  ASSERT_TRUE(w->allgrids->edit_cell(3, 5, u"13.5"_s));
  EXPECT_EQ(sql_text, u"UPDATE npc_types SET loottable_id='14' WHERE id='12'"_s);
  EXPECT_EQ(loottable_of(12), u"14"_s);
  ASSERT_TRUE(w->allgrids->edit_cell(3, 5, u"12.5"_s));
  EXPECT_EQ(loottable_of(12), u"12"_s);
  // The loot table on screen stays the current one.
  EXPECT_EQ(cur_loottable_id, 100);
  EXPECT_EQ(w->loottableE->RowCount(), 2);

  // A new name is not stored; the row's loot table id is sent again.
  ASSERT_TRUE(w->allgrids->edit_cell(1, 2, u"renamed"_s));
  EXPECT_EQ(sql_text, u"UPDATE npc_types SET loottable_id='100' WHERE id='5'"_s);
  EXPECT_EQ(scratch->scalar(u"SELECT name FROM npc_types WHERE id=5"_s), u"a_bat"_s);
  EXPECT_TRUE(io.messages.empty());
}

// An edit goes ahead over a link that a failed save dropped or that has
// died since (the server restarted); a link lost while the edit ran is
// reported and dropped, and the next edit connects again.
TEST_F(NpcGrid, EditGoesAheadOverALinkDeadBeforeItAndDropsOneLostWhileItRan) {
  world();
  load_zone(u"sallowmere"_s);
  const struct {
    const char* name;
    std::function<void()> before;
    bool stored;
  } cases[] = {
      {"dropped", [] { db_conn.close(); }, true},
      {"killed",
       [&] {
         db_rs.open(u"SELECT CONNECTION_ID()"_s, db_conn);
         const QString id = db_rs.field(0).text();
         db_rs.close();
         scratch->exec(u"KILL "_s + id);
       },
       true},
      {"lost while it ran",
       [&] { scratch->exec(u"CREATE TRIGGER cut BEFORE UPDATE ON npc_types FOR EACH ROW KILL CONNECTION_ID()"_s); },
       false},
  };
  QString stored = loottable_of(12);
  int typed = 20;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    io.messages.clear();
    c.before();
    ASSERT_TRUE(w->allgrids->edit_cell(3, 5, QString::number(++typed)));
    if (c.stored) stored = QString::number(typed);
    EXPECT_EQ(loottable_of(12), stored);
    EXPECT_EQ(io.messages.size(), c.stored ? 0u : 1u);
    EXPECT_EQ(db_conn.is_open(), c.stored);
  }
  scratch->exec(u"DROP TRIGGER cut"_s);
  io.messages.clear();
  ASSERT_TRUE(w->allgrids->edit_cell(3, 5, u"30"_s));
  EXPECT_EQ(loottable_of(12), u"30"_s);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(NpcGrid, EditWithoutAWholeNumberSendsNothing) {
  world();
  load_zone(u"sallowmere"_s);
  for (const QString& typed : {u"abc"_s, QString(), u"0; DELETE FROM npc_types"_s, u"4294967296"_s, u"-1"_s}) {
    io.messages.clear();
    sql_text.clear();
    ASSERT_TRUE(w->allgrids->edit_cell(1, 5, typed));
    EXPECT_EQ(sql_text, QString()) << typed.toStdString();
    EXPECT_EQ(io.messages.size(), 1u) << typed.toStdString();
  }
  EXPECT_EQ(loottable_of(5), u"100"_s);
  EXPECT_EQ(scratch->count(u"npc_types"_s), 4);
}

TEST_F(NpcGrid, LootTableAndLootdropIdsBeyondTheSignedRangeArePressedAndStored) {
  world();
  scratch->exec_script(
      uR"(
    UPDATE npc_types SET loottable_id=4000000000 WHERE id=12;
    INSERT INTO loottable (id,name) VALUES (4000000000,'far_loot');
    INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,droplimit,mindrop,probability)
      VALUES (4000000000,4294967295,1,1,0,100);
    INSERT INTO lootdrop (id,name) VALUES (4294967295,'last_drop');
    INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,npc_min_level,npc_max_level)
      VALUES (4294967295,1002,1,0,5,1,127);
  )"_s);
  load_zone(u"sallowmere"_s);
  press(3);
  EXPECT_EQ(cur_loottable_id, 4000000000u);
  EXPECT_EQ(shown(w->loottableE), QStringList{u"4294967295|1|1|0|100"_s});
  EXPECT_EQ(cur_lootdrop_id, 4294967295u);
  EXPECT_EQ(shown(w->lootdropE), QStringList{u"1002|Bat Fur|1|0|5|1|127|1"_s});
  EXPECT_EQ(cur_item_id, 1002);

  // An NPC's loot table id takes the whole unsigned range.
  const std::pair<QString, QString> edits[] = {
      {u"2147483648"_s, u"2147483648"_s}, {u"4294967295"_s, u"4294967295"_s}, {u"4294967295.4"_s, u"4294967295"_s}};
  for (const auto& [typed, stored] : edits) {
    ASSERT_TRUE(w->allgrids->edit_cell(1, 5, typed));
    EXPECT_EQ(loottable_of(5), stored) << typed.toStdString();
  }
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(NpcGrid, EditedIdTextCannotReachOtherNpcs) {
  world();
  load_zone(u"sallowmere"_s);
  ASSERT_TRUE(w->allgrids->edit_cell(2, 1, u"x' OR '1'='1"_s));
  // The row's loot table id (101) went to no NPC, least of all to every NPC.
  EXPECT_EQ(scratch->count(u"npc_types"_s, u"loottable_id=101"_s), 1);
  EXPECT_EQ(loottable_of(5), u"100"_s);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(NpcGrid, RemoveSelectedDropsOnlyTheSelectedRows) {
  scratch->exec(
      u"INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a',1,0),(2,'b',1,0),(3,'c',1,0),"
      "(4,'d',1,0),(5,'e',1,0)"_s);
  w->min_lvl->setText(u"1"_s);
  npcs->LiteBtnCtrl1_Click();
  ASSERT_EQ(w->allgrids->RowCount(), 5);
  something_current();

  // Nothing selected: the same rows, the counter written again.
  w->counter->clear();
  npcs->rmv_selected_NPCS_Click();
  EXPECT_EQ(w->allgrids->RowCount(), 5);
  EXPECT_EQ(w->counter->text(), u"Number of NPC's:  5"_s);

  const QStringList before = shown(w->allgrids);
  QItemSelectionModel* selection = w->allgrids->view()->selectionModel();
  for (int row : {2, 4}) {
    selection->select(w->allgrids->model()->index(row - 1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  npcs->rmv_selected_NPCS_Click();
  EXPECT_EQ(shown(w->allgrids), (QStringList{before[0], before[2], before[4]}));
  EXPECT_EQ(w->counter->text(), u"Number of NPC's:  3"_s);
  // Nothing stays selected: pressing again removes no other NPC.
  npcs->rmv_selected_NPCS_Click();
  EXPECT_EQ(shown(w->allgrids), (QStringList{before[0], before[2], before[4]}));
  // Only the grid changes.
  EXPECT_EQ(cur_loottable_id, 77);
  EXPECT_EQ(w->loottableE->RowCount(), 1);
  EXPECT_EQ(scratch->count(u"npc_types"_s), 5);
}

TEST_F(NpcGrid, ZoneLabelClickOpensThePickerAndEmptiesTheGridOnly) {
  world();
  scratch->exec(u"INSERT INTO zone (short_name,long_name,zoneidnumber) VALUES ('sallowmere','South Sallowmere',1)"_s);
  load_zone(u"sallowmere"_s);
  press(1);
  QTest::mouseClick(w->zonename, Qt::LeftButton);

  Zone_Search* picker = Zone_Search::loaded();
  ASSERT_NE(picker, nullptr);
  EXPECT_TRUE(picker->isVisible());
  EXPECT_EQ(picker->zonegrid->RowCount(), 1);
  EXPECT_EQ(w->allgrids->RowCount(), 0);
  // The counter follows the grid.
  EXPECT_EQ(w->counter->text(), u"Number of NPC's:  0"_s);
  EXPECT_EQ(w->loottableE->RowCount(), 2);
  EXPECT_EQ(cur_loottable_id, 100);

  // Pick the zone and load it again.
  picker->zonegrid->setCurRow(1);
  picker->paste_Click();
  picker->done_Click();
  npcs->Search_Grids_Click();
  EXPECT_EQ(w->allgrids->RowCount(), 3);

  // After "Done" the same picker comes back.
  QTest::mouseClick(w->zonename, Qt::LeftButton);
  EXPECT_EQ(Zone_Search::loaded(), picker);
  EXPECT_TRUE(picker->isVisible());
}

}  // namespace
