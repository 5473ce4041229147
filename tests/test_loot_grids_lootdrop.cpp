#include "platform/prng.h"
#include "test_loot_grids_support.h"

#include <cmath>
#include <set>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

class LootdropGridTest : public loot_grids_testing::LootGrids {
 protected:
  // Lootdrop 10 with three items, shown in the grid; the loot table grid
  // holds one row, as after an NPC press.
  void load_lootdrop_10() {
    items({u"1001=Cloth Cap"_s, u"1002=Bone Chips"_s, u"1003=Short Sword"_s, u"1004=Bronze Dagger"_s});
    entries(10, {u"1001|1|0|25|0|1|50|1"_s, u"1002|3|1|12.5|0|5|60|2"_s, u"1003|1|1|100|0|0|127|1"_s});
    links(57, {u"10|1|1|0|100"_s});
    cur_loottable_id = 57;
    ASSERT_TRUE(tables->decode_loottableE());
    cur_lootdrop_id = 10;
    ASSERT_TRUE(drops->decode_lootdropE());
  }
  // The item ids "+ ROW" tries first, from the start of the generator's run.
  static std::vector<int> first_tries(int n) {
    prng::restart_sequence();
    std::vector<int> ids;
    for (int i = 0; i < n; ++i) ids.push_back(static_cast<int>(std::floor(prng::next() * 100000 + 1)));
    prng::restart_sequence();
    return ids;
  }
};

TEST_F(LootdropGridTest, LoadPutsChargesBeforeEquipAndLeavesOutMissingItems) {
  load_lootdrop_10();
  entries(10, {u"777777|1|1|10|0|1|2|1"_s});  // no such item
  ASSERT_TRUE(drops->decode_lootdropE());
  EXPECT_EQ(sql_text,
            u"SELECT items.id, items.name, lootdrop_entries.equip_item,lootdrop_entries.chance, "
            "lootdrop_entries.item_charges,lootdrop_entries.npc_min_level, lootdrop_entries.npc_max_level, "
            "lootdrop_entries.multiplier FROM lootdrop_entries,items WHERE lootdrop_entries.lootdrop_id = "
            "'10' AND lootdrop_entries.item_id=items.id"_s);
  EXPECT_EQ(shown(w->lootdropE), (QStringList{u"1001|Cloth Cap|1|0|25|1|50|1"_s, u"1002|Bone Chips|3|1|12.5|5|60|2"_s,
                                              u"1003|Short Sword|1|1|100|0|127|1"_s}));
  // A smaller lootdrop shrinks the grid; an empty one empties it, silently.
  cur_lootdrop_id = 11;
  entries(11, {u"1004|1|1|5|0|1|2|1"_s});
  drops->decode_lootdropE();
  EXPECT_EQ(shown(w->lootdropE), QStringList{u"1004|Bronze Dagger|1|1|5|1|2|1"_s});
  cur_lootdrop_id = 12;
  drops->decode_lootdropE();
  EXPECT_EQ(w->lootdropE->RowCount(), 0);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(LootdropGridTest, EditStoresTheWholeGridThenReloadsAndShowsTheEditedRowsItem) {
  load_lootdrop_10();
  {
    const testing_support::SentStatements sent;
    type(w->lootdropE, 3, 1, u"1004"_s);  // another existing item in row 3
    EXPECT_EQ(sent.starting_with(u"DELETE"_s), QStringList{u"DELETE FROM lootdrop_entries WHERE lootdrop_id=10"_s});
    // The entries the operator left go back with their own stored values of
    // every column; the row given another item is a new entry.
    const QString columns =
        u"INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,"
        "npc_min_level,npc_max_level,multiplier"_s;
    const QStringList inserts = sent.starting_with(u"INSERT"_s);
    ASSERT_EQ(inserts.size(), 3);
    for (const int seq : {1, 2}) {
      const QString& kept = inserts[seq - 1];
      EXPECT_TRUE(kept.startsWith(columns + u",`disabled_chance`,"_s)) << kept.toStdString();
      EXPECT_TRUE(
          kept.contains(u") SELECT 10,k.`item_id`,k.`item_charges`,k.`equip_item`,k.`chance`,"
                        "k.`npc_min_level`,k.`npc_max_level`,k.`multiplier`,k.`disabled_chance`,"_s))
          << kept.toStdString();
      EXPECT_TRUE(kept.endsWith(u" FROM lootdrop_entries_kept k WHERE k.kept_seq="_s + QString::number(seq)))
          << kept.toStdString();
    }
    EXPECT_EQ(inserts[2], columns + u") VALUES ( 10,1004,1,1,100,0,127,1)"_s);
  }
  EXPECT_EQ(stored_entries(10),
            (QStringList{u"1001|1|0|25|0|1|50|1"_s, u"1002|3|1|12.5|0|5|60|2"_s, u"1004|1|1|100|0|0|127|1"_s}));
  EXPECT_EQ(sel_lootdrop_row, 3);
  EXPECT_EQ(cur_item_id, 1004);
  EXPECT_EQ(card_name(), u"Bronze Dagger    --  1004"_s);

  // A new name is not stored: the reload shows the item's own name.
  type(w->lootdropE, 1, 2, u"Golden Crown"_s);
  EXPECT_EQ(w->lootdropE->CellValue(1, 2).toString(), u"Cloth Cap"_s);
  EXPECT_EQ(sel_lootdrop_row, 1);
  EXPECT_EQ(cur_item_id, 1001);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(LootdropGridTest, EditKeepsDisabledChanceAndEntriesOfMissingItems) {
  load_lootdrop_10();
  scratch->exec(u"UPDATE lootdrop_entries SET disabled_chance=7.5 WHERE item_id=1002"_s);
  entries(10, {u"888888|2|1|33|4|3|9|1"_s});  // an item gone from the catalogue
  type(w->lootdropE, 1, 5, u"30"_s);
  EXPECT_EQ(stored_entries(10), (QStringList{u"1001|1|0|30|0|1|50|1"_s, u"1002|3|1|12.5|7.5|5|60|2"_s,
                                             u"1003|1|1|100|0|0|127|1"_s, u"888888|2|1|33|4|3|9|1"_s}));
  // An entry the operator removed goes, whatever its disabled_chance.
  drops->lootdropE_MouseDown(Qt::LeftButton, {}, 0, 0, 2, 1);
  drops->LiteBtnCtrl3_Click();
  EXPECT_EQ(stored_entries(10),
            (QStringList{u"1001|1|0|30|0|1|50|1"_s, u"1003|1|1|100|0|0|127|1"_s, u"888888|2|1|33|4|3|9|1"_s}));
}

TEST_F(LootdropGridTest, RefusedSaveRollsBackAndKeepsTheGrid) {
  load_lootdrop_10();
  const QStringList before = stored_entries(10);
  // Row 2 names row 1's item: the second insert is refused.
  type(w->lootdropE, 2, 1, u"1001"_s);
  EXPECT_EQ(stored_entries(10), before);
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Saving lootdrop 10 (nothing was changed) failed"_s))
      << io.messages[0].toStdString();
  EXPECT_EQ(w->lootdropE->CellValue(2, 1).toString(), u"1001"_s);

  // The last insert is refused (a multiplier beyond its column): the
  // delete and the inserts before it are taken back as well.
  type(w->lootdropE, 2, 1, u"1002"_s);
  ASSERT_EQ(stored_entries(10), before);
  type(w->lootdropE, 3, 8, u"300"_s);
  EXPECT_EQ(stored_entries(10), before);
  EXPECT_EQ(io.messages.size(), 2u);
  EXPECT_TRUE(db_conn.is_open());
  EXPECT_FALSE(db_conn.in_transaction());
}

// The server restarted, or the connection was killed: nothing was sent on
// the dead link yet, so the save connects again and goes ahead.
TEST_F(LootdropGridTest, ASaveGoesAheadOverALinkThatDiedBeforeIt) {
  load_lootdrop_10();
  w->lootdropE->setCurRow(1);  // so the edit below makes no new current row (nor card)
  db_rs.open(u"SELECT CONNECTION_ID()"_s, db_conn);
  scratch->exec(u"KILL "_s + db_rs.field(0).text());
  db_rs.close();
  type(w->lootdropE, 1, 5, u"30"_s);
  EXPECT_TRUE(io.messages.empty());
  EXPECT_EQ(scratch->scalar(u"SELECT chance FROM lootdrop_entries WHERE item_id=1001"_s), u"30"_s);
}

TEST_F(LootdropGridTest, AfterAFailedLoadTheGridIsNotStoredUnderTheNewLootdrop) {
  load_lootdrop_10();
  entries(11, {u"1004|1|1|5|0|1|2|1"_s});
  // The load of 11 fails: the grid still holds lootdrop 10's rows.
  cur_lootdrop_id = 11;
  without_table(u"items"_s, [&] { EXPECT_FALSE(drops->decode_lootdropE()); });
  io.messages.clear();
  type(w->lootdropE, 1, 5, u"30"_s);
  sel_lootdrop_row = 1;
  drops->LiteBtnCtrl3_Click();
  EXPECT_EQ(stored_entries(11), QStringList{u"1004|1|1|5|0|1|2|1"_s});
  ASSERT_EQ(io.messages.size(), 2u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Lootdrop 11 could not be loaded"_s));
  EXPECT_EQ(w->lootdropE->RowCount(), 3);
  ASSERT_TRUE(drops->decode_lootdropE());
  type(w->lootdropE, 1, 5, u"30"_s);
  EXPECT_EQ(stored_entries(11), QStringList{u"1004|1|1|30|0|1|2|1"_s});
}

TEST_F(LootdropGridTest, CellsThatAreNoNumbersAreNamedAndNothingIsSent) {
  load_lootdrop_10();
  scratch->exec(u"UPDATE lootdrop_entries SET chance=99 WHERE item_id=1003"_s);  // a save would undo this
  for (const QString& typed : {u"abc"_s, u"5'"_s, u"1),(10,1004,1,1,1,1,1,1"_s, u"7; DELETE FROM items"_s, u""_s}) {
    io.messages.clear();
    type(w->lootdropE, 2, 5, typed);
    ASSERT_EQ(io.messages.size(), 1u) << typed.toStdString();
    EXPECT_EQ(io.messages[0], u"Row 2, column 5 (\"%\") does not hold a number. Nothing was saved."_s);
    EXPECT_EQ(scratch->scalar(u"SELECT chance FROM lootdrop_entries WHERE item_id=1003"_s), u"99"_s);
    EXPECT_EQ(scratch->count(u"items"_s), 4);
  }
  // Blanks around a number are fine, once the grid shows what is stored.
  ASSERT_TRUE(drops->decode_lootdropE());
  type(w->lootdropE, 2, 5, u" 40 "_s);
  EXPECT_EQ(scratch->scalar(u"SELECT chance FROM lootdrop_entries WHERE item_id=1002"_s), u"40"_s);
}

TEST_F(LootdropGridTest, PlusRowAddsTheFirstItemTheGeneratorHitsAndMinusRowThenTakesRowOne) {
  const std::vector<int> tries = first_tries(4);
  ASSERT_NE(tries[0], tries[2]);
  ASSERT_NE(tries[1], tries[2]);
  items({QString::number(tries[2]) + u"=Lucky Charm"_s});
  // Nothing while the loot table grid is empty.
  drops->LiteBtnCtrl2_Click();
  EXPECT_EQ(w->lootdropE->RowCount(), 0);
  EXPECT_EQ(scratch->count(u"lootdrop_entries"_s), 0);

  load_lootdrop_10();
  const QString probe = u"SELECT id,name FROM items WHERE id="_s;
  auto sent = std::make_unique<testing_support::SentStatements>();
  drops->LiteBtnCtrl2_Click();
  EXPECT_EQ(sent->starting_with(probe),
            (QStringList{probe + QString::number(tries[0]), probe + QString::number(tries[1]),
                         probe + QString::number(tries[2])}));
  sent.reset();
  const QString lucky = QString::number(tries[2]);
  EXPECT_EQ(stored_entries(10).last(), lucky + u"|1|1|50|0|0|127|1"_s);
  EXPECT_EQ(stored_entries(10).size(), 4);
  EXPECT_EQ(w->lootdropE->RowCount(), 4);
  EXPECT_EQ(std::floor(prng::next() * 100000 + 1), tries[3]);  // three draws were taken
  EXPECT_EQ(sel_lootdrop_row, 1);
  EXPECT_EQ(cur_item_id, 1001);  // the card shows row 1 of the reload

  drops->LiteBtnCtrl3_Click();
  QStringList ids;
  for (const QString& r : stored_entries(10)) ids << r.section(u'|', 0, 0);
  EXPECT_EQ(ids, (QStringList{u"1002"_s, u"1003"_s, lucky}));
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(LootdropGridTest, WithNoLootdropChosenPlusRowStoresNothingUnderLootdropZero) {
  const std::vector<int> tries = first_tries(1);
  items({QString::number(tries[0]) + u"=Lucky Charm"_s});
  w->loottableE->AddRow();  // "create empty row" on an NPC without loot: no lootdrop is current
  cur_lootdrop_id = 0;
  drops->LiteBtnCtrl2_Click();
  EXPECT_EQ(scratch->count(u"lootdrop_entries"_s), 0);
  EXPECT_EQ(w->lootdropE->RowCount(), 0);
  EXPECT_EQ(io.messages, std::vector<QString>{
                             u"No lootdrop is chosen, so nothing was saved. Choose a row of the loot table first."_s});
}

TEST_F(LootdropGridTest, PlusRowThatWouldDuplicateAnItemChangesNothing) {
  const std::vector<int> tries = first_tries(1);
  load_lootdrop_10();
  items({QString::number(tries[0]) + u"=Lucky Charm"_s});
  entries(10, {QString::number(tries[0]) + u"|1|1|5|0|1|2|1"_s});
  drops->decode_lootdropE();
  const QStringList grid = shown(w->lootdropE);
  const QStringList stored = stored_entries(10);
  sel_lootdrop_row = 2;
  drops->LiteBtnCtrl2_Click();
  EXPECT_EQ(io.messages.size(), 1u);
  EXPECT_EQ(stored_entries(10), stored);
  EXPECT_EQ(shown(w->lootdropE), grid);
  EXPECT_EQ(sel_lootdrop_row, 2);
}

TEST_F(LootdropGridTest, PlusRowGivesUpWhenTheCatalogueHasNoItemToFind) {
  load_lootdrop_10();
  scratch->exec(u"DELETE FROM items"_s);
  items({u"100001=Beyond Reach"_s});
  const QStringList stored = stored_entries(10);
  drops->LiteBtnCtrl2_Click();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_EQ(io.messages[0], u"The item catalogue holds no item with an id from 1 to 100000: no row was added."_s);
  EXPECT_EQ(w->lootdropE->RowCount(), 3);
  EXPECT_EQ(stored_entries(10), stored);

  // One item the first tries never reach: the tries end at their bound.
  std::set<int> reached;
  for (int id : first_tries(LootdropGrid::kMaxItemTries)) reached.insert(id);
  int unreached = 1;
  while (reached.count(unreached) != 0) ++unreached;
  items({QString::number(unreached) + u"=Hidden Gem"_s});
  io.messages.clear();
  drops->LiteBtnCtrl2_Click();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_EQ(io.messages[0], u"No item was found at 10000 random ids from 1 to 100000: no row was added."_s);
  EXPECT_EQ(w->lootdropE->RowCount(), 3);
  EXPECT_EQ(stored_entries(10), stored);
}

TEST_F(LootdropGridTest, MinusRowStoresTheRemainingRowsAndKeepsItsRowNumber) {
  load_lootdrop_10();
  items({u"1005=Rat Whisker"_s});
  entries(10, {u"1005|1|1|5|0|1|2|1"_s});
  drops->decode_lootdropE();
  cur_item_id = 4242;
  drops->lootdropE_MouseDown(Qt::RightButton, {}, 0, 0, 2, 3);
  cur_item_id = 4242;
  drops->LiteBtnCtrl3_Click();
  auto ids = [&] {
    QStringList out;
    for (const QString& r : stored_entries(10)) out << r.section(u'|', 0, 0);
    return out;
  };
  EXPECT_EQ(ids(), (QStringList{u"1001"_s, u"1003"_s, u"1005"_s}));
  EXPECT_EQ(w->lootdropE->RowCount(), 3);
  EXPECT_EQ(sel_lootdrop_row, 2);
  EXPECT_EQ(cur_item_id, 4242);
  drops->LiteBtnCtrl3_Click();  // the row now in place 2
  EXPECT_EQ(ids(), (QStringList{u"1001"_s, u"1005"_s}));
  sel_lootdrop_row = 2;  // the last row
  drops->LiteBtnCtrl3_Click();
  EXPECT_EQ(ids(), QStringList{u"1001"_s});
  drops->LiteBtnCtrl3_Click();  // beyond the last row now
  EXPECT_EQ(ids(), QStringList{u"1001"_s});
  // Without a current lootdrop "- ROW" does nothing.
  cur_lootdrop_id = 0;
  sel_lootdrop_row = 1;
  drops->LiteBtnCtrl3_Click();
  EXPECT_EQ(w->lootdropE->RowCount(), 1);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(LootdropGridTest, MinusRowWithAnUnusableCellElsewhereRemovesNothing) {
  load_lootdrop_10();
  w->lootdropE->setCellValue(3, 6, u"ten"_s);
  sel_lootdrop_row = 1;
  drops->LiteBtnCtrl3_Click();
  EXPECT_EQ(io.messages, std::vector<QString>{u"Row 3, column 6 (\"npc_min_level\") does not hold a number. "
                                              "Nothing was saved."_s});
  EXPECT_EQ(w->lootdropE->RowCount(), 3);
  EXPECT_EQ(stored_entries(10).size(), 3);
  // The unusable row itself can go.
  sel_lootdrop_row = 3;
  drops->LiteBtnCtrl3_Click();
  EXPECT_EQ(stored_entries(10).size(), 2);
}

TEST_F(LootdropGridTest, PressAndCurrentRowShowTheRowsItem) {
  load_lootdrop_10();
  drops->lootdropE_MouseDown(Qt::LeftButton, {}, 0, 0, 2, 4);
  EXPECT_EQ(sel_lootdrop_row, 2);
  EXPECT_EQ(cur_item_id, 1002);
  EXPECT_EQ(card_name(), u"Bone Chips    --  1002"_s);
  // Below the last row, or no current row: nothing changes.
  drops->lootdropE_MouseDown(Qt::LeftButton, {}, 0, 0, 0, 0);
  w->lootdropE->setCurRow(0);
  EXPECT_EQ(sel_lootdrop_row, 2);
  EXPECT_EQ(cur_item_id, 1002);
  w->lootdropE->setCurRow(3);  // raises CurRowChange
  EXPECT_EQ(sel_lootdrop_row, 3);
  EXPECT_EQ(cur_item_id, 1003);
  EXPECT_EQ(card_name(), u"Short Sword    --  1003"_s);
  // A 0 in column 1 makes no card; text that is no id changes no id.
  w->lootdropE->setCellValue(1, 1, 0);
  drops->lootdropE_MouseDown(Qt::LeftButton, {}, 0, 0, 1, 1);
  EXPECT_EQ(cur_item_id, 0);
  EXPECT_EQ(card_name(), u"Short Sword    --  1003"_s);
  w->lootdropE->setCellValue(2, 1, u"x'"_s);
  drops->lootdropE_MouseDown(Qt::LeftButton, {}, 0, 0, 2, 1);
  EXPECT_EQ(sel_lootdrop_row, 2);
  EXPECT_EQ(cur_item_id, 0);
  EXPECT_TRUE(io.messages.empty());
}

}  // namespace
