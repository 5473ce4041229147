#include "test_loot_grids_support.h"

#include <QApplication>
#include <QCursor>

using namespace Qt::StringLiterals;

namespace {

class LoottableGridTest : public loot_grids_testing::LootGrids {
 protected:
  // Loot table 57 links lootdrops 10, 11 and 12; 10 and 11 hold items, 12
  // holds none. The grid shows the loot table and lootdrop 10, as after an
  // NPC press.
  void load_loottable_57() {
    items({u"1001=Cloth Cap"_s, u"1002=Bone Chips"_s, u"2001=Iron Ration"_s});
    scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (10,'a'),(11,'b'),(12,'c')"_s);
    entries(10, {u"1001|1|0|25|0|1|50|1"_s, u"1002|1|0|25|0|1|50|1"_s});
    entries(11, {u"2001|1|0|25|0|1|50|1"_s});
    links(57, {u"10|1|1|0|100"_s, u"11|2|3|1|50"_s, u"12|1|1|0|12.5"_s});
    cur_loottable_id = 57;
    ASSERT_TRUE(tables->decode_loottableE());
    cur_lootdrop_id = 10;
    ASSERT_TRUE(drops->decode_lootdropE());
  }
};

TEST_F(LoottableGridTest, LoadShowsTheEntriesAndReportsALoottableWithoutAny) {
  load_loottable_57();
  ASSERT_TRUE(tables->decode_loottableE());
  EXPECT_EQ(sql_text, u"SELECT * FROM loottable_entries WHERE loottable_id=57"_s);
  EXPECT_EQ(shown(w->loottableE), (QStringList{u"10|1|1|0|100"_s, u"11|2|3|1|50"_s, u"12|1|1|0|12.5"_s}));
  cur_loottable_id = 58;
  EXPECT_FALSE(tables->decode_loottableE());
  EXPECT_EQ(io.messages, std::vector<QString>{u"Error:NOT found in loottable_entries - this entry needs repairing!"_s});
  EXPECT_EQ(w->loottableE->RowCount(), 3);
}

TEST_F(LoottableGridTest, EmptyRowWaitsForTheNextEditWhichStoresEveryRow) {
  load_loottable_57();
  tables->LiteBtnCtrl4_Click();
  EXPECT_EQ(shown(w->loottableE).last(), u"500|1|1|0|100"_s);
  EXPECT_EQ(stored_links(57).size(), 3);
  {
    const testing_support::SentStatements sent;
    type(w->loottableE, 2, 5, u"75"_s);
    EXPECT_EQ(sent.starting_with(u"DELETE"_s), QStringList{u"DELETE FROM loottable_entries WHERE loottable_id=57"_s});
    // Stored links go back with their own values but for the edited cell;
    // the new row as the grid holds it.
    const QString insert =
        u"INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,droplimit,mindrop,probability) "_s;
    const QString kept = u" FROM loottable_entries_kept k WHERE k.kept_seq="_s;
    EXPECT_EQ(sent.starting_with(u"INSERT"_s),
              (QStringList{
                  insert +
                      u"SELECT 57,k.`lootdrop_id`,k.`multiplier`,k.`droplimit`,k.`mindrop`,"
                      "k.`probability`"_s +
                      kept + u"1"_s,
                  insert + u"SELECT 57,k.`lootdrop_id`,k.`multiplier`,k.`droplimit`,k.`mindrop`,75"_s + kept + u"2"_s,
                  insert +
                      u"SELECT 57,k.`lootdrop_id`,k.`multiplier`,k.`droplimit`,k.`mindrop`,"
                      "k.`probability`"_s +
                      kept + u"3"_s,
                  insert + u"VALUES (57,500,1,1,0,100)"_s}));
  }
  EXPECT_EQ(stored_links(57),
            (QStringList{u"10|1|1|0|100"_s, u"11|2|3|1|75"_s, u"12|1|1|0|12.5"_s, u"500|1|1|0|100"_s}));
  // The edited row's lootdrop fills the lootdrop grid; the card stays.
  EXPECT_EQ(cur_lootdrop_id, 11);
  EXPECT_EQ(shown(w->lootdropE), QStringList{u"2001|Iron Ration|1|0|25|1|50|1"_s});
  EXPECT_EQ(cur_item_id, 2001);
  EXPECT_EQ(sel_loottable_row, 0);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(LoottableGridTest, AnNpcWithoutLoottableGetsNoEntriesUnderLoottableZero) {
  items({u"5019=rusty dagger"_s});
  cur_loottable_id = 0;  // as after pressing an NPC whose loot table is 0
  tables->LiteBtnCtrl4_Click();
  type(w->loottableE, 1, 5, u"90"_s);
  tables->plusrow_Click();
  EXPECT_EQ(scratch->count(u"loottable_entries"_s), 0);
  EXPECT_EQ(scratch->count(u"lootdrop"_s), 0);
  ASSERT_EQ(io.messages.size(), 2u);
  EXPECT_TRUE(io.messages[0].startsWith(u"The chosen NPC has no loot table, so nothing was saved."_s));
}

TEST_F(LoottableGridTest, DuplicateLootdropRollsBackAndTheDatabaseKeepsItsEntries) {
  load_loottable_57();
  const QStringList before = stored_links(57);
  type(w->loottableE, 3, 1, u"10"_s);
  EXPECT_EQ(io.messages, std::vector<QString>{u"Make sure NO duplicate lootdrops exist!"_s});
  EXPECT_EQ(stored_links(57), before);
  EXPECT_EQ(w->loottableE->RowCount(), 3);
  EXPECT_EQ(cur_lootdrop_id, 10);
  // A later insert refused for its value (a multiplier beyond its column).
  io.messages.clear();
  w->loottableE->setCellValue(3, 1, 12);
  type(w->loottableE, 3, 2, u"999"_s);
  EXPECT_EQ(io.messages, std::vector<QString>{u"Make sure NO duplicate lootdrops exist!"_s});
  EXPECT_EQ(stored_links(57), before);
}

TEST_F(LoottableGridTest, CellsThatAreNoNumbersAreNamedAndNothingIsSent) {
  load_loottable_57();
  scratch->exec(u"UPDATE loottable_entries SET mindrop=4 WHERE lootdrop_id=12"_s);  // a save would undo this
  type(w->loottableE, 2, 3, u"1 OR 1=1"_s);
  EXPECT_EQ(io.messages, std::vector<QString>{u"Row 2, column 3 (\"droplimit\") does not hold a number. "
                                              "Nothing was saved."_s});
  EXPECT_EQ(scratch->scalar(u"SELECT mindrop FROM loottable_entries WHERE lootdrop_id=12"_s), u"4"_s);
}

TEST_F(LoottableGridTest, EditOfARowWhoseLootdropHasNoItemsOrCannotBeReloadedStoresAndSaysSo) {
  load_loottable_57();
  type(w->loottableE, 3, 2, u"2"_s);
  EXPECT_EQ(stored_links(57).last(), u"12|2|1|0|12.5"_s);
  EXPECT_EQ(w->lootdropE->RowCount(), 0);
  EXPECT_EQ(io.messages, std::vector<QString>{u"Make sure NO duplicate lootdrops exist!"_s});
  // A reload the database refuses is told in the same words, once.
  io.messages.clear();
  without_table(u"items"_s, [&] { type(w->loottableE, 1, 2, u"3"_s); });
  EXPECT_EQ(stored_links(57).first(), u"10|3|1|0|100"_s);
  EXPECT_EQ(io.messages, std::vector<QString>{u"Make sure NO duplicate lootdrops exist!"_s});
}

TEST_F(LoottableGridTest, AfterAFailedLoadTheGridIsNotStoredUnderTheNewLoottable) {
  load_loottable_57();
  links(58, {u"11|1|1|0|100"_s});
  // The load of 58 fails: the grid still holds 57's rows.
  cur_loottable_id = 58;
  without_table(u"loottable_entries"_s, [&] { EXPECT_FALSE(tables->decode_loottableE()); });
  io.messages.clear();
  type(w->loottableE, 1, 2, u"4"_s);
  EXPECT_EQ(stored_links(58), QStringList{u"11|1|1|0|100"_s});
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Loot table 58 could not be loaded"_s));
  ASSERT_TRUE(tables->decode_loottableE());
  type(w->loottableE, 1, 2, u"4"_s);
  EXPECT_EQ(stored_links(58), QStringList{u"11|4|1|0|100"_s});
}

TEST_F(LoottableGridTest, IdsBeyondTheSignedRangeAreShownPressedSavedAndRemoved) {
  items({u"1001=Cloth Cap"_s, u"1002=Bone Chips"_s});
  scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (3000000000,'a'),(4294967295,'b')"_s);
  entries(3000000000, {u"1001|1|0|25|0|1|50|1"_s});
  entries(4294967295, {u"1002|1|0|25|0|1|50|1"_s});
  links(4000000000, {u"3000000000|1|1|0|100"_s, u"4294967295|1|1|0|50"_s});
  // A column the grid does not show, which every save keeps.
  scratch->exec(u"ALTER TABLE loottable_entries ADD COLUMN spare_note TEXT NULL"_s);
  scratch->exec(u"UPDATE loottable_entries SET spare_note='kept'"_s);
  cur_loottable_id = 4000000000u;
  ASSERT_TRUE(tables->decode_loottableE());
  EXPECT_EQ(shown(w->loottableE), (QStringList{u"3000000000|1|1|0|100"_s, u"4294967295|1|1|0|50"_s}));
  cur_lootdrop_id = 3000000000u;
  ASSERT_TRUE(drops->decode_lootdropE());

  tables->loottableE_MouseDown(Qt::LeftButton, {}, 0, 0, 2, 1);
  EXPECT_EQ(cur_lootdrop_id, 4294967295u);
  EXPECT_EQ(cur_item_id, 1002);
  type(w->loottableE, 1, 2, u"2"_s);
  EXPECT_EQ(stored_links(4000000000), (QStringList{u"3000000000|2|1|0|100"_s, u"4294967295|1|1|0|50"_s}));
  EXPECT_EQ(scratch->count(u"loottable_entries"_s, u"spare_note='kept'"_s), 2);
  EXPECT_EQ(cur_lootdrop_id, 3000000000u);
  scratch->exec(u"UPDATE lootdrop_entries SET content_flags='kept'"_s);
  type(w->lootdropE, 1, 5, u"30"_s);
  EXPECT_EQ(stored_entries(3000000000), QStringList{u"1001|1|0|30|0|1|50|1"_s});
  EXPECT_EQ(scratch->count(u"lootdrop_entries"_s, u"content_flags='kept'"_s), 2);
  tables->loottableE_MouseDown(Qt::LeftButton, {}, 0, 0, 2, 1);
  tables->removegridrow_Click();
  EXPECT_EQ(stored_links(4000000000), QStringList{u"3000000000|2|1|0|100"_s});
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(LoottableGridTest, LootdropIdsOutsideTheUnsignedRangeAreNamedAndNothingIsSent) {
  load_loottable_57();
  const QStringList before = stored_links(57);
  for (const QString& typed : {u"-1"_s, u"4294967296"_s, u"1e10"_s}) {
    SCOPED_TRACE(typed.toStdString());
    io.messages.clear();
    type(w->loottableE, 1, 1, typed);
    EXPECT_EQ(io.messages, std::vector<QString>{u"Row 1, column 1 (\"lootdrop_id\") does not hold an id from 0 to "
                                                "4294967295. Nothing was saved."_s});
    EXPECT_EQ(stored_links(57), before);
    // "- ROW" on that row sends nothing either.
    io.messages.clear();
    sel_loottable_row = 1;
    tables->removegridrow_Click();
    EXPECT_EQ(io.messages, std::vector<QString>{u"Row 1, column 1 (\"lootdrop_id\") does not hold an id from 0 to "
                                                "4294967295. Nothing was removed."_s});
    EXPECT_EQ(stored_links(57), before);
  }
}

TEST_F(LoottableGridTest, PressLoadsTheRowsLootdropAndItsFirstItemsCard) {
  load_loottable_57();
  tables->loottableE_MouseDown(Qt::LeftButton, {}, 0, 0, 0, 0);
  EXPECT_EQ(sel_loottable_row, 0);
  tables->loottableE_MouseDown(Qt::RightButton, {}, 0, 0, 2, 4);
  EXPECT_EQ(sel_loottable_row, 2);
  EXPECT_EQ(cur_lootdrop_id, 11);
  EXPECT_EQ(cur_item_id, 2001);
  EXPECT_EQ(card_name(), u"Iron Ration    --  2001"_s);
  // A lootdrop without items empties the grid; presses then do nothing.
  tables->loottableE_MouseDown(Qt::LeftButton, {}, 0, 0, 3, 1);
  EXPECT_EQ(io.messages, std::vector<QString>{u"Error: No lootdrop Entries found!"_s});
  EXPECT_EQ(sel_loottable_row, 3);
  EXPECT_EQ(cur_lootdrop_id, 12);
  EXPECT_EQ(cur_item_id, 2001);
  tables->loottableE_MouseDown(Qt::LeftButton, {}, 0, 0, 1, 1);
  EXPECT_EQ(sel_loottable_row, 3);
  EXPECT_EQ(cur_lootdrop_id, 12);
}

TEST_F(LoottableGridTest, PlusRowMakesAPlaceholderLootdropInOneGo) {
  items({u"5019=Rusty Dagger"_s});
  tables->plusrow_Click();  // nothing on an empty grid
  EXPECT_EQ(scratch->count(u"lootdrop"_s), 0);
  load_loottable_57();
  scratch->exec(
      u"INSERT INTO lootdrop (id,name) VALUES (1,''),(2,''),(3,''),(4,''),(5,''),(6,''),(7,''),"
      "(8,''),(9,'')"_s);
  sel_loottable_row = 2;
  {
    const testing_support::SentStatements sent;
    tables->plusrow_Click();
    EXPECT_EQ(sent.starting_with(u"INSERT"_s),
              (QStringList{u"INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,probability,droplimit,"
                           "mindrop) VALUES ( 57,13,1,100,1,0)"_s,
                           u"INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,"
                           "npc_min_level,npc_max_level,multiplier) VALUES ( 13,5019,1,1,50,0,127,1)"_s,
                           u"INSERT INTO lootdrop (id,name) VALUES ( 13,\"custom_entry_57\")"_s}));
  }
  EXPECT_EQ(scratch->rows(u"SELECT id,name FROM lootdrop WHERE id=13"_s), QStringList{u"13|custom_entry_57"_s});
  EXPECT_EQ(stored_entries(13), QStringList{u"5019|1|1|50|0|0|127|1"_s});
  EXPECT_EQ(stored_links(57).last(), u"13|1|1|0|100"_s);
  EXPECT_EQ(shown(w->loottableE).last(), u"13|1|1|0|100"_s);
  EXPECT_EQ(sel_loottable_row, 2);
  EXPECT_EQ(cur_lootdrop_id, 10);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  tables->plusrow_Click();
  EXPECT_EQ(scratch->scalar(u"SELECT name FROM lootdrop WHERE id=14"_s), u"custom_entry_57"_s);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(LoottableGridTest, PlusRowWithoutARustyDaggerWritesNothing) {
  load_loottable_57();
  const QStringList before = stored_links(57);
  tables->plusrow_Click();
  EXPECT_EQ(io.messages, std::vector<QString>{u"No item is named \"rusty dagger\": no lootdrop was made."_s});
  EXPECT_EQ(stored_links(57), before);
  EXPECT_EQ(scratch->count(u"lootdrop"_s), 3);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(LoottableGridTest, PlusRowWhoseEntryIsRefusedLeavesNoLink) {
  load_loottable_57();
  items({u"5019=rusty dagger"_s});
  // A stray entry of the first free lootdrop id makes the second insert fail.
  scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (1,''),(2,'')"_s);
  entries(3, {u"5019|1|1|1|0|1|1|1"_s});
  tables->plusrow_Click();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Making a placeholder lootdrop (nothing was written) failed"_s));
  EXPECT_EQ(stored_links(57).size(), 3);
  EXPECT_EQ(scratch->count(u"lootdrop"_s, u"id=3"_s), 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(LoottableGridTest, MinusRowRemovesThePressedLinkOnly) {
  load_loottable_57();
  tables->removegridrow_Click();  // nothing pressed yet
  EXPECT_EQ(stored_links(57).size(), 3);
  tables->loottableE_MouseDown(Qt::LeftButton, {}, 0, 0, 2, 1);
  tables->removegridrow_Click();
  EXPECT_EQ(sql_text, u"DELETE FROM loottable_entries WHERE loottable_id=57 AND lootdrop_id=11"_s);
  EXPECT_EQ(stored_links(57), (QStringList{u"10|1|1|0|100"_s, u"12|1|1|0|12.5"_s}));
  EXPECT_EQ(shown(w->loottableE), (QStringList{u"10|1|1|0|100"_s, u"12|1|1|0|12.5"_s}));
  EXPECT_EQ(sel_loottable_row, 0);
  EXPECT_EQ(scratch->count(u"lootdrop_entries"_s, u"lootdrop_id=11"_s), 1);
  tables->removegridrow_Click();
  EXPECT_EQ(stored_links(57).size(), 2);
  // A cell that holds no number sends nothing.
  w->loottableE->setCellValue(1, 1, u"10 OR 1=1"_s);
  sel_loottable_row = 1;
  tables->removegridrow_Click();
  EXPECT_EQ(io.messages, std::vector<QString>{u"Row 1, column 1 (\"lootdrop_id\") does not hold a number. "
                                              "Nothing was removed."_s});
  EXPECT_EQ(stored_links(57).size(), 2);
  EXPECT_EQ(w->loottableE->RowCount(), 2);
}

}  // namespace
