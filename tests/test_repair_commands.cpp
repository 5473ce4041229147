#include "editor/repair_commands.h"
#include "support/repair_steps.h"
#include "test_repair_support.h"

#include <QAction>
#include <QApplication>

using namespace Qt::StringLiterals;
using repair_testing::RepairTest;

namespace {

class RepairCommandsTest : public RepairTest {
 protected:
  // NPC grid rows "id|loottable", numbers as the loaders leave them.
  void listed_npcs(const QStringList& rows) {
    IGrid* grid = w->allgrids;
    grid->setRowCount(static_cast<int>(rows.size()));
    for (int r = 1; r <= grid->RowCount(); ++r) {
      const QStringList f = rows[r - 1].split(u'|');
      grid->setCellValue(r, 1, f[0].toDouble());
      grid->setCellValue(r, 2, QString(u"npc"_s + f[0]));
      grid->setCellValue(r, 5, f[1].toDouble());
    }
  }
  QStringList loottable_column() {
    QStringList cells;
    for (int r = 1; r <= w->allgrids->RowCount(); ++r) cells << w->allgrids->CellValue(r, 5).toString();
    return cells;
  }
  QStringList npc_loottables() { return scratch->rows(u"SELECT id,loottable_id FROM npc_types ORDER BY id"_s); }
  // Lootdrops 7 and 8 with entries; loot table 100 names both, 101 only 7.
  void two_lootdrops() {
    scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (7,'seven'),(8,'eight')"_s);
    entries(7, {u"1001|1|0|25|0|1|127|1"_s, u"1002|1|0|10|0|1|127|1"_s});
    entries(8, {u"1001|1|0|50|0|1|127|1"_s});
    links(100, {u"7|1|1|0|100"_s, u"8|1|1|0|50"_s});
    links(101, {u"7|1|1|0|100"_s});
  }
  void chances(const QStringList& values) {
    QStringList rows;
    for (int i = 0; i < values.size(); ++i) rows << u"%1|1|0|%2|0|1|127|1"_s.arg(i + 1).arg(values[i]);
    entries(7, rows);
  }
  QStringList stored_chances() {
    QStringList out;
    for (const QString& row : scratch->rows(u"SELECT chance FROM lootdrop_entries ORDER BY item_id"_s))
      out << QString::number(row.toDouble());
    return out;
  }
  static bool hourglass_left() { return QApplication::overrideCursor() != nullptr; }
  RepairCommands& repair() { return *w->repair_commands; }
};

TEST_F(RepairCommandsTest, StatementTexts) {
  EXPECT_EQ(repair_steps::new_loottable(101),
            u"INSERT INTO loottable (id,name,mincash,maxcash,avgcoin,done) VALUES (101,\"ZiridezivuR3\",1,1000,0,0)"_s);
  EXPECT_EQ(repair_steps::new_loottable_entry(101, 500),
            u"INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,droplimit,mindrop,probability) "
            "VALUES (101,500,1,1,0,100)"_s);
  EXPECT_EQ(repair_sql::delete_lootdrop(7),
            (QStringList{u"DELETE FROM loottable_entries WHERE lootdrop_id=7"_s, u"DELETE FROM lootdrop WHERE id=7"_s,
                         u"DELETE FROM lootdrop_entries WHERE lootdrop_id=7"_s}));
  EXPECT_EQ(purge_question(), u"Which LOOTDROP-ID do you wish to purge from your database? 0=cancel"_s);
}

TEST_F(RepairCommandsTest, MakeLoottablesGivesEachListedNpcWithoutOneItsOwnInGridOrder) {
  scratch->exec(u"INSERT INTO loottable (id,name) VALUES (40,'older'),(100,'old')"_s);
  scratch->exec(
      u"INSERT INTO npc_types (id,name,loottable_id) VALUES "
      "(11,'a',100),(12,'b',0),(13,'c',40),(14,'d',100),(15,'e',0),(16,'not listed',0)"_s);
  listed_npcs({u"11|100"_s, u"12|0"_s, u"13|40"_s, u"14|100"_s, u"15|0"_s});
  w->fix_loot_for_empty_loottablesx->trigger();

  EXPECT_EQ(scratch->rows(u"SELECT id,name,mincash,maxcash,avgcoin,done FROM loottable WHERE id>100 ORDER BY id"_s),
            (QStringList{u"101|ZiridezivuR3|1|1000|0|0"_s, u"102|ZiridezivuR3|1|1000|0|0"_s}));
  EXPECT_EQ(stored_links(101), QStringList{u"500|1|1|0|100"_s});
  EXPECT_EQ(stored_links(102), QStringList{u"500|1|1|0|100"_s});
  EXPECT_EQ(npc_loottables(), (QStringList{u"11|100"_s, u"12|101"_s, u"13|40"_s, u"14|100"_s, u"15|102"_s, u"16|0"_s}));
  EXPECT_EQ(loottable_column(), (QStringList{u"100"_s, u"101"_s, u"40"_s, u"100"_s, u"102"_s}));
  EXPECT_EQ(sql_text, repair_sql::drop_npc_loottables());
  EXPECT_EQ(rec_count, 5);
  EXPECT_EQ(io.messages, std::vector<QString>{u"Ok, Done!"_s});
  EXPECT_FALSE(hourglass_left());

  // Nobody left at 0: nothing is written, and the run still ends with its message.
  repair().fix_loot_for_empty_loottablesx_Click();
  EXPECT_EQ(scratch->count(u"loottable"_s), 4);
  EXPECT_EQ(io.messages.size(), 2u);
  EXPECT_EQ(io.messages.back(), u"Ok, Done!"_s);
}

// The command writes in chunks; what it leaves must be what its steps give
// when run one NPC at a time: a list long enough for several chunks, loot
// table ids with gaps, NPCs listed twice (within a chunk and across chunks),
// listed ids no NPC has, and NPCs that keep their loot table.
TEST_F(RepairCommandsTest, MakeLoottablesLeavesWhatTheStepsOneNpcAtATimeLeave) {
  testing_support::ScratchDb steps;
  const QString setup_loottables = u"INSERT INTO loottable (id,name) VALUES (3,'low'),(40,'gap'),(41,'next')"_s;
  QStringList npcs, listed;
  for (int id = 1; id <= 3000; ++id) {
    npcs << u"(%1,'n%1',%2)"_s.arg(id).arg(id % 7 == 0 ? 40 : 0);
    listed << u"%1|%2"_s.arg(id).arg(id % 7 == 0 ? 40 : 0);
  }
  const QString setup_npcs = u"INSERT INTO npc_types (id,name,loottable_id) VALUES "_s + npcs.join(u',');
  for (const QString& again : {u"5|0"_s, u"6|0"_s, u"2999|0"_s, u"5|0"_s}) listed.insert(1200, again);
  listed.insert(10, u"2|0"_s);
  listed.insert(700, u"987654|0"_s);
  listed << u"987655|0"_s << u"1|0"_s;
  for (testing_support::ScratchDb* db : {scratch.get(), &steps}) {
    db->exec(setup_loottables);
    db->exec(setup_npcs);
  }
  listed_npcs(listed);
  repair().fix_loot_for_empty_loottablesx_Click();
  ASSERT_EQ(io.messages, std::vector<QString>{u"Ok, Done!"_s});

  int next = 42;
  QStringList cells;
  for (const QString& row : listed) {
    const QString npc = row.section(u'|', 0, 0);
    if (row.section(u'|', 1) != u"0"_s) {
      cells << row.section(u'|', 1);
      continue;
    }
    steps.exec(repair_steps::new_loottable(next));
    steps.exec(repair_steps::new_loottable_entry(next, own_lootdrop_id));
    steps.exec(repair_steps::set_npc_loottable(next, npc.toInt()));
    cells << QString::number(next++);
  }
  for (const QString& query :
       {u"SELECT * FROM loottable ORDER BY id"_s, u"SELECT * FROM loottable_entries ORDER BY 1,2"_s,
        u"SELECT id,loottable_id FROM npc_types ORDER BY id"_s})
    EXPECT_EQ(scratch->rows(query), steps.rows(query)) << query.toStdString();
  EXPECT_EQ(loottable_column(), cells);
  EXPECT_EQ(w->out->text(), QString());
}

TEST_F(RepairCommandsTest, MakeLoottablesWithAnEmptyListDoesNothingAndAnEmptyTableStartsAtOne) {
  db_conn.close();
  repair().fix_loot_for_empty_loottablesx_Click();
  EXPECT_FALSE(db_conn.is_open());
  EXPECT_TRUE(io.messages.empty());
  EXPECT_EQ(rec_count, 0);

  scratch->exec(u"INSERT INTO npc_types (id,name,loottable_id) VALUES (12,'b',0)"_s);
  listed_npcs({u"12|0"_s});
  repair().fix_loot_for_empty_loottablesx_Click();
  EXPECT_EQ(npc_loottables(), QStringList{u"12|1"_s});
  EXPECT_EQ(stored_links(1), QStringList{u"500|1|1|0|100"_s});
}

TEST_F(RepairCommandsTest, MakeLoottablesFailingHalfWayChangesNothing) {
  scratch->exec(u"INSERT INTO loottable (id,name) VALUES (100,'old')"_s);
  scratch->exec(u"INSERT INTO npc_types (id,name,loottable_id) VALUES (12,'b',0),(15,'e',0)"_s);
  // The second new loot table's entry meets a row already there.
  links(102, {u"500|1|1|0|100"_s});
  listed_npcs({u"12|0"_s, u"15|0"_s});
  repair().fix_loot_for_empty_loottablesx_Click();

  EXPECT_EQ(scratch->count(u"loottable"_s), 1);
  EXPECT_EQ(scratch->count(u"loottable_entries"_s), 1);
  EXPECT_EQ(npc_loottables(), (QStringList{u"12|0"_s, u"15|0"_s}));
  EXPECT_EQ(loottable_column(), (QStringList{u"0"_s, u"0"_s}));
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Making loottables (nothing was changed) failed"_s));
  EXPECT_FALSE(hourglass_left());
}

TEST_F(RepairCommandsTest, MakeLoottablesWritesNothingForATypedNpcIdOrWithoutTheOwnLootdrop) {
  scratch->exec(u"INSERT INTO npc_types (id,name,loottable_id) VALUES (11,'a',100),(12,'b',0),(15,'e',0)"_s);
  listed_npcs({u"11|100"_s, u"12|0"_s, u"15|0"_s});
  w->allgrids->setCellValue(3, 1, u"15 OR 1=1"_s);
  repair().fix_loot_for_empty_loottablesx_Click();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Row 3 of the NPC list holds no NPC id"_s)) << io.messages[0].toStdString();

  w->allgrids->setCellValue(3, 1, 15.0);
  own_lootdrop_id = 0;
  repair().fix_loot_for_empty_loottablesx_Click();
  EXPECT_EQ(io.messages.size(), 2u);

  EXPECT_EQ(scratch->count(u"loottable"_s), 0);
  EXPECT_EQ(npc_loottables(), (QStringList{u"11|100"_s, u"12|0"_s, u"15|0"_s}));
}

TEST_F(RepairCommandsTest, DeleteDoesNothingForAnEmptyAnswerOrZero) {
  two_lootdrops();
  something_current();
  const QStringList before = loot_rows();
  sql_text = u"before"_s;
  for (const QString& answer : {u""_s, u"0"_s, u"  0 "_s, u"0.0"_s, u"   "_s}) {
    io.answers.push_back(answer);
    w->LOOTDROP_wipe->trigger();
  }
  EXPECT_EQ(io.questions, std::vector<QString>(5, purge_question()));
  EXPECT_TRUE(io.messages.empty());
  EXPECT_EQ(sql_text, u"before"_s);
  EXPECT_EQ(loot_rows(), before);
  EXPECT_EQ(lower_grids(), something_shown());
}

TEST_F(RepairCommandsTest, DeleteRemovesTheLootdropEverywhereAndEmptiesTheLowerGrids) {
  two_lootdrops();
  listed_npcs({u"11|100"_s});
  something_current();
  io.answers = {u" 7 "_s};
  repair().LOOTDROP_wipe_Click();

  EXPECT_EQ(loot_rows(), (QStringList{u"8|eight"_s, u"8|1001|50"_s, u"100|8"_s}));
  EXPECT_EQ(sql_text, u"DELETE FROM lootdrop_entries WHERE lootdrop_id=7"_s);
  EXPECT_EQ(lower_grids(), nothing_shown());
  EXPECT_EQ(cur_item_id, 1001);
  EXPECT_EQ(w->allgrids->RowCount(), 1);
  EXPECT_EQ(io.messages, std::vector<QString>{u"Completed OK!"_s});

  // A lootdrop that does not exist: nothing to delete, same ending.
  io.answers = {u"999"_s};
  repair().LOOTDROP_wipe_Click();
  EXPECT_EQ(loot_rows().size(), 3);
  EXPECT_EQ(io.messages.back(), u"Completed OK!"_s);
}

TEST_F(RepairCommandsTest, DeleteSendsNothingForAnAnswerThatIsNoLootdropIdNorForTheOwnLootdrop) {
  two_lootdrops();
  scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (500,'ZiridezivuR3')"_s);
  something_current();
  const QStringList before = loot_rows();
  const QStringList answers = {u"7 OR 1=1"_s, u"abc"_s, u"7abc"_s, u"2.5"_s, u"-7"_s, u"500"_s};
  for (const QString& answer : answers) {
    io.answers.push_back(answer);
    repair().LOOTDROP_wipe_Click();
  }
  EXPECT_EQ(loot_rows(), before);
  EXPECT_EQ(lower_grids(), something_shown());
  ASSERT_EQ(io.messages.size(), 6u);
  EXPECT_EQ(io.messages[0], u"\"7 OR 1=1\" is not a lootdrop id. Nothing was deleted."_s);
  EXPECT_EQ(io.messages[5], u"Lootdrop 500 is the program's own default lootdrop (ZiridezivuR3) and is not deleted."_s);
}

TEST_F(RepairCommandsTest, DeleteTakesEveryUnsignedLootdropIdAndNoOther) {
  scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (2147483648,'a'),(4294967295,'b')"_s);
  entries(2147483648, {u"1001|1|0|25|0|1|127|1"_s});
  entries(4294967295, {u"1001|1|0|25|0|1|127|1"_s});
  links(4000000000, {u"2147483648|1|1|0|100"_s, u"4294967295|1|1|0|100"_s});
  const struct {
    QString answer;
    QString message;
    qsizetype rows_left;
  } cases[] = {
      {u"4294967296"_s, u"\"4294967296\" is not a lootdrop id. Nothing was deleted."_s, 6},
      {u"-2147483648"_s, u"\"-2147483648\" is not a lootdrop id. Nothing was deleted."_s, 6},
      {u"2147483648"_s, u"Completed OK!"_s, 3},
      {u"4294967295"_s, u"Completed OK!"_s, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer.toStdString());
    io.messages.clear();
    io.answers = {c.answer};
    repair().LOOTDROP_wipe_Click();
    EXPECT_EQ(io.messages, std::vector<QString>{c.message});
    EXPECT_EQ(loot_rows().size(), c.rows_left);
  }
}

TEST_F(RepairCommandsTest, NewLoottablesAreNumberedOnPastTheSignedRangeUpToTheLargestId) {
  const struct {
    const char* largest;
    QStringList npcs;  // afterwards
    bool made;
  } cases[] = {{"2147483646", {u"12|2147483647"_s, u"15|2147483648"_s}, true},
               {"4294967294", {u"12|0"_s, u"15|0"_s}, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.largest);
    scratch->exec(u"DELETE FROM loottable"_s);
    scratch->exec(u"DELETE FROM npc_types"_s);
    scratch->exec(u"INSERT INTO loottable (id,name) VALUES ("_s + QString::fromUtf8(c.largest) + u",'old')"_s);
    scratch->exec(u"INSERT INTO npc_types (id,name,loottable_id) VALUES (12,'b',0),(15,'e',0)"_s);
    listed_npcs({u"12|0"_s, u"15|0"_s});
    io.messages.clear();
    repair().fix_loot_for_empty_loottablesx_Click();
    EXPECT_EQ(npc_loottables(), c.npcs);
    ASSERT_EQ(io.messages.size(), 1u);
    if (c.made) {
      EXPECT_EQ(io.messages[0], u"Ok, Done!"_s);
      EXPECT_EQ(loottable_column(), (QStringList{u"2147483647"_s, u"2147483648"_s}));
      EXPECT_EQ(stored_links(2147483648), QStringList{u"500|1|1|0|100"_s});
    } else {
      // 4294967295 for the first, none left for the second: neither is made.
      EXPECT_TRUE(io.messages[0].startsWith(u"Making loottables (nothing was changed) failed"_s));
      EXPECT_TRUE(io.messages[0].contains(u"No loottable id is left."_s)) << io.messages[0].toStdString();
      EXPECT_EQ(scratch->count(u"loottable"_s), 1);
    }
  }
}

TEST_F(RepairCommandsTest, DeleteFailingHalfWayDeletesNothing) {
  two_lootdrops();
  something_current();
  const QStringList before = loot_rows();
  scratch->exec(
      u"CREATE TRIGGER keep_lootdrops BEFORE DELETE ON lootdrop FOR EACH ROW "
      "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='refused'"_s);
  io.answers = {u"7"_s};
  repair().LOOTDROP_wipe_Click();
  EXPECT_EQ(loot_rows(), before);
  EXPECT_EQ(lower_grids(), something_shown());
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Deleting lootdrop 7 (nothing was deleted) failed"_s));
}

TEST_F(RepairCommandsTest, FixChancesBringsEveryChanceIntoTenToHundredOnce) {
  chances({u"150"_s, u"100"_s, u"50"_s, u"10"_s, u"9.9"_s, u"1.5"_s, u"1"_s, u"0.5"_s, u"0.1"_s, u"0.05"_s, u"0"_s,
           u"-3"_s});
  something_current();
  w->percX_fix->trigger();
  const QStringList fixed = {u"100"_s, u"100"_s, u"50"_s, u"10"_s, u"10"_s, u"10"_s,
                             u"100"_s, u"50"_s,  u"10"_s, u"10"_s, u"10"_s, u"10"_s};
  EXPECT_EQ(stored_chances(), fixed);
  EXPECT_EQ(sql_text, u"UPDATE lootdrop_entries SET chance=chance*100"_s);
  EXPECT_EQ(io.messages, std::vector<QString>{u"Done, No problems!"_s});
  EXPECT_EQ(lower_grids(), something_shown());

  repair().percX_fix_Click();
  EXPECT_EQ(stored_chances(), fixed);
}

TEST_F(RepairCommandsTest, FixChancesFailingHalfWayChangesNothing) {
  chances({u"150"_s, u"50"_s, u"0.5"_s});
  // The last update, the one that makes fractions percentages again, is refused.
  scratch->exec(
      u"CREATE TRIGGER no_growth BEFORE UPDATE ON lootdrop_entries FOR EACH ROW BEGIN "
      "IF NEW.chance > OLD.chance * 50 THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='refused'; END IF; "
      "END"_s);
  repair().percX_fix_Click();
  EXPECT_EQ(stored_chances(), (QStringList{u"150"_s, u"50"_s, u"0.5"_s}));
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Fixing the lootdrop chances (nothing was changed) failed"_s));
}

}  // namespace
