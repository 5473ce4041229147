// Every write of the loot grids keeps the columns the grids do not show, as
// real worlds' tables hold them: level limits for trivial loot, expansion
// ranges, content flags, and columns added later (here an invisible one and
// a generated one).
#include "editor/lootdrop_reorg.h"
#include "editor/repair_commands.h"
#include "itemsearch/item_search_random.h"
#include "platform/prng.h"
#include "test_item_search_support.h"

#include <QAction>
#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;
using item_search_testing::ItemSearch;

namespace {

// Columns of an entry after its item: those the grid shows, then the others.
const QString kEntryColumns =
    u"item_id,item_charges,equip_item,chance,npc_min_level,npc_max_level,multiplier,disabled_chance,"
    u"trivial_min_level,trivial_max_level,min_expansion,max_expansion,content_flags,content_flags_disabled,"
    u"later_note"_s;

// The unseen columns of an entry that took the table's defaults.
const QString kDefaults = u"0|0|0|-1|-1|NULL|NULL|none"_s;

class KeptColumns : public ItemSearch {
 protected:
  void SetUp() override {
    ItemSearch::SetUp();
    scratch->exec(
        u"ALTER TABLE lootdrop_entries ADD later_note varchar(20) INVISIBLE NOT NULL DEFAULT 'none', "
        u"ADD chance_twice float AS (chance*2) VIRTUAL"_s);
  }
  // Entries as "item|charges|equip|chance|min|max|multiplier|" followed by
  // the unseen columns in the order of kEntryColumns.
  void full_entries(int lootdrop, const QStringList& rows) {
    for (const QString& r : rows) {
      QStringList f = r.split(u'|');
      for (QString& v : f) {
        if (v != u"NULL"_s && !v.front().isDigit() && v.front() != u'-') v = u'\'' + v + u'\'';
      }
      scratch->exec(u"INSERT INTO lootdrop_entries (lootdrop_id,"_s + kEntryColumns + u") VALUES ("_s +
                    QString::number(lootdrop) + u',' + f.join(u',') + u')');
    }
  }
  QStringList stored_full(int lootdrop) {
    return scratch->rows(u"SELECT "_s + kEntryColumns + u" FROM lootdrop_entries WHERE lootdrop_id="_s +
                         QString::number(lootdrop) + u" ORDER BY item_id,chance"_s);
  }
  void show_lootdrop(int lootdrop) {
    links(57, {QString::number(lootdrop) + u"|1|1|0|100"_s});
    cur_loottable_id = 57;
    ASSERT_TRUE(tables->decode_loottableE());
    cur_lootdrop_id = lootdrop;
    ASSERT_TRUE(drops->decode_lootdropE());
  }
};

TEST_F(KeptColumns, EveryLootdropGridWriteKeepsTheUnseenColumnsOfTheEntriesItKeeps) {
  prng::restart_sequence();
  const QString lucky = QString::number(static_cast<int>(std::floor(prng::next() * 100000 + 1)));
  ASSERT_GT(lucky.toInt(), 1005);
  const QString k1001 = u"1001|1|0|25|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s;
  const QString k1002 = u"1002|3|1|12.5|5|60|2|7.5|10|70|3|9|gamma|NULL|n2"_s;
  const QString k1003 = u"1003|1|1|100|0|127|1|0|1|2|0|4|NULL|delta|n3"_s;
  // Its item is gone from the catalogue: the grid never shows it.
  const QString k888888 = u"888888|2|1|33|3|9|1|4|7|8|5|6|eps|zeta|n4"_s;
  const struct {
    const char* write;
    std::function<void()> act;
    QStringList after;
  } cases[] = {
      {"an edit",
       [this] { type(w->lootdropE, 1, 5, u"30"_s); },
       {u"1001|1|0|30|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s, k1002, k1003, k888888}},
      {"an edit of the item id makes a new entry",
       [this] { type(w->lootdropE, 3, 1, u"1005"_s); },
       {k1001, k1002, u"1005|1|1|100|0|127|1|"_s + kDefaults, k888888}},
      {"+ ROW",
       [this] { drops->LiteBtnCtrl2_Click(); },
       {k1001, k1002, k1003, lucky + u"|1|1|50|0|127|1|"_s + kDefaults, k888888}},
      {"- ROW",
       [this] {
         drops->lootdropE_MouseDown(Qt::LeftButton, {}, 0, 0, 2, 1);
         drops->LiteBtnCtrl3_Click();
       },
       {k1001, k1003, k888888}},
      {"Assign ALL, then a save",
       [this] {
         list({u"1003|Bread"_s, u"1004|Water"_s});
         s->assign_to_lootdrop_Click();
         drops->lootdropE_AfterCommitEdit(1, 1);
       },
       {u"1003|1|1|10|0|127|1|0|1|2|0|4|NULL|delta|n3"_s, u"1004|1|1|10|0|127|1|"_s + kDefaults, k888888}},
      {"Assign SELECTED, then a save",
       [this] {
         list({u"1004|Water"_s, u"1005|Salt"_s});
         select_rows(s->itms, {2});
         s->LiteBtnCtrl2_Click();
         drops->lootdropE_AfterCommitEdit(1, 1);
       },
       {k1001, k1002, k1003, u"1005|1|1|10|0|127|1|"_s + kDefaults, k888888}},
  };
  items({u"1001=Cloth Cap"_s, u"1002=Bone Chips"_s, u"1003=Bread"_s, u"1004=Water"_s, u"1005=Salt"_s,
         lucky + u"=Lucky Charm"_s});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.write);
    scratch->exec(u"DELETE FROM lootdrop_entries"_s);
    scratch->exec(u"DELETE FROM loottable_entries"_s);
    full_entries(10, {k1001, k1002, k1003, k888888});
    show_lootdrop(10);
    prng::restart_sequence();
    c.act();
    EXPECT_EQ(stored_full(10), c.after);
    EXPECT_TRUE(io.messages.empty()) << io.messages.front().toStdString();
    io.messages.clear();
  }
}

TEST_F(KeptColumns, WithoutAKeyOnTheItemEachEntryOfAnItemHeldTwiceKeepsItsOwnValues) {
  scratch->exec(u"ALTER TABLE lootdrop_entries DROP PRIMARY KEY"_s);
  items({u"1001=Cloth Cap"_s, u"1002=Bone Chips"_s});
  const QString first = u"1001|1|0|25|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s;
  const QString second = u"1001|1|0|40|1|50|1|3.5|6|61|1|7|gamma|NULL|n2"_s;
  const QString lost = u"888888|2|1|33|3|9|1|4|7|8|5|6|eps|zeta|n4"_s;
  full_entries(10, {first, second, u"1002|3|1|12.5|5|60|2|0|10|70|3|9|NULL|NULL|n3"_s, lost, lost});
  show_lootdrop(10);
  // The grid's row that shows `chance`.
  const auto row_with = [this](double chance) {
    for (int row = 1; row <= w->lootdropE->RowCount(); ++row) {
      if (w->lootdropE->CellValue(row, 5).toDouble() == chance) return row;
    }
    return 0;
  };

  // The second entry's chance changes; both keep their own unseen values.
  type(w->lootdropE, row_with(40), 5, u"45"_s);
  // Item 1002 becomes a third entry of 1001: a new one, with the defaults.
  type(w->lootdropE, row_with(12.5), 1, u"1001"_s);
  EXPECT_EQ(stored_full(10), (QStringList{u"1001|3|1|12.5|5|60|2|"_s + kDefaults, first,
                                          u"1001|1|0|45|1|50|1|3.5|6|61|1|7|gamma|NULL|n2"_s, lost, lost}));
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(KeptColumns, TheLoottableGridSaveKeepsTheUnseenColumnsOfTheLinksItKeeps) {
  scratch->exec(
      u"ALTER TABLE loottable_entries ADD min_expansion tinyint NOT NULL DEFAULT -1, "
      u"ADD content_flags varchar(100) DEFAULT NULL"_s);
  scratch->exec(
      u"INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,droplimit,mindrop,probability,"
      u"min_expansion,content_flags) VALUES (57,10,1,1,0,100,3,'alpha'),(57,11,2,1,0,50,4,NULL),"
      u"(57,12,1,2,1,25,5,'beta'),(58,10,1,1,0,100,6,'gamma')"_s);
  cur_loottable_id = 57;
  ASSERT_TRUE(tables->decode_loottableE());
  tables->LiteBtnCtrl4_Click();  // "create empty row": the program's own lootdrop 500
  type(w->loottableE, 2, 5, u"60"_s);
  type(w->loottableE, 3, 1, u"13"_s);  // another lootdrop: a new link
  EXPECT_EQ(scratch->rows(u"SELECT loottable_id,lootdrop_id,multiplier,droplimit,mindrop,probability,min_expansion,"
                          u"content_flags FROM loottable_entries ORDER BY 1,2"_s),
            (QStringList{u"57|10|1|1|0|100|3|alpha"_s, u"57|11|2|1|0|60|4|NULL"_s, u"57|13|1|2|1|25|-1|NULL"_s,
                         u"57|500|1|1|0|100|-1|NULL"_s, u"58|10|1|1|0|100|6|gamma"_s}));
}

// Renumbering moves rows by their ids; every other value goes with them.
TEST_F(KeptColumns, RenumberingCarriesEveryColumnOfTheMovedRows) {
  scratch->exec(
      u"INSERT INTO lootdrop (id,name,min_expansion,max_expansion,content_flags,content_flags_disabled) "
      u"VALUES (5,'five',2,7,'alpha',NULL),(9,'nine',3,8,NULL,'beta')"_s);
  full_entries(5, {u"1001|1|0|25|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s});
  full_entries(9, {u"1002|3|1|12.5|5|60|2|7.5|10|70|3|9|gamma|NULL|n2"_s});
  links(57, {u"5|2|1|0|60"_s, u"9|1|2|1|25"_s});
  w->Reorganize_Lootdrop_table->trigger();
  lootdrop_reorg::loaded()->Command1_Click();
  lootdrop_reorg::loaded()->close();
  EXPECT_EQ(scratch->rows(u"SELECT * FROM lootdrop ORDER BY id"_s),
            (QStringList{u"1|five|2|7|alpha|NULL"_s, u"2|nine|3|8|NULL|beta"_s}));
  EXPECT_EQ(stored_full(1), QStringList{u"1001|1|0|25|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s});
  EXPECT_EQ(stored_full(2), QStringList{u"1002|3|1|12.5|5|60|2|7.5|10|70|3|9|gamma|NULL|n2"_s});
  EXPECT_EQ(stored_links(57), (QStringList{u"1|2|1|0|60"_s, u"2|1|2|1|25"_s}));
  EXPECT_TRUE(io.messages.empty());
}

// Deleting a lootdrop ("Delete Unused LOOTDROP", custom loot removal) finds
// its rows through keys, not by reading whole tables.
TEST_F(KeptColumns, DeletingALootdropFindsItsRowsByKey) {
  scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (5,'five'),(6,'six'),(7,'seven')"_s);
  entries(5, {u"1001|1|0|25|0|1|50|1"_s});
  entries(6, {u"1001|1|0|25|0|1|50|1"_s});
  links(57, {u"5|1|1|0|100"_s, u"6|1|1|0|100"_s});
  links(58, {u"7|1|1|0|100"_s});
  for (const QString& statement :
       repair_sql::delete_lootdrop(5) + random_loot_sql::delete_custom_lootdrops({u"5"_s, u"6"_s})) {
    SCOPED_TRACE(statement.toStdString());
    const QStringList plan = scratch->rows(u"EXPLAIN "_s + statement);
    ASSERT_EQ(plan.size(), 1);
    EXPECT_NE(plan[0].section(u'|', 5, 5), u"NULL"_s) << plan[0].toStdString();  // the key used
  }
}

}  // namespace
