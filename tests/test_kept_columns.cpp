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
#include <QLineEdit>
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
  // The lootdrop grid's row that shows `item`.
  int row_of(int item) const {
    for (int row = 1; row <= w->lootdropE->RowCount(); ++row) {
      if (w->lootdropE->CellValue(row, 1).toInt() == item) return row;
    }
    return 0;
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

// A command that writes beyond the grids leaves them showing what was there
// before; a save from such a grid must be refused rather than take the
// command back.
TEST_F(KeptColumns, ASaveFromAGridACommandWroteBehindIsRefusedAndUndoesNothing) {
  const QString stale_lootdrop = u"Lootdrop 10 was changed in the database after the grid showed it"_s;
  const QString stale_loottable = u"Loot table 57 was changed in the database after the grid showed it"_s;
  const auto npc_rows = [this](int loottable) {
    w->allgrids->Clear();
    w->allgrids->setRowCount(1);
    w->allgrids->setCellValue(1, 1, 3001);
    w->allgrids->setCellValue(1, 5, loottable);
  };
  const struct {
    const char* command;
    std::function<void()> before;  // the operator's own changes, if any
    std::function<void()> command_run;
    std::function<void()> save;
    QString told;
    QString stored_query;  // what the command wrote, which must stay
  } cases[] = {
      {"Fix chances, then an edit of another row", [] {}, [this] { w->repair_commands->percX_fix_Click(); },
       [this] { type(w->lootdropE, 1, 3, u"5"_s); }, stale_lootdrop,
       u"SELECT item_id,item_charges,chance FROM lootdrop_entries WHERE lootdrop_id=10 ORDER BY item_id"_s},
      {"Assign SELECTED, Fix chances, then the save",
       [this] {
         list({u"1004|Water"_s});
         select_rows(s->itms, {1});
         s->LiteBtnCtrl2_Click();
       },
       [this] { w->repair_commands->percX_fix_Click(); }, [this] { drops->lootdropE_AfterCommitEdit(1, 1); },
       stale_lootdrop,
       u"SELECT item_id,item_charges,chance FROM lootdrop_entries WHERE lootdrop_id=10 ORDER BY item_id"_s},
      {"random loot (GO), then an edit of the loot table grid", [] {},
       [this, npc_rows] {
         npc_rows(57);
         list({u"1005|Salt"_s});
         s->perc->setText(u"100"_s);
         s->number_drops_per_lootdrop->setText(u"1"_s);
         s->lootdrop_new_perc->setText(u"50"_s);
         s->Text2->setText(u"10"_s);
         s->go_Click();
       },
       [this] { type(w->loottableE, 1, 5, u"60"_s); }, stale_loottable,
       u"SELECT lootdrop_id,probability FROM loottable_entries WHERE loottable_id=57 ORDER BY lootdrop_id"_s},
      {"another program, then an edit of another row", [] {},
       [this] { scratch->exec(u"UPDATE lootdrop_entries SET npc_max_level=40 WHERE item_id=1002"_s); },
       [this] { type(w->lootdropE, 1, 3, u"5"_s); }, stale_lootdrop,
       u"SELECT item_id,item_charges,npc_max_level FROM lootdrop_entries ORDER BY item_id"_s},
      {"Make Loottables, then an edit of a grid left from before",
       // The NPC names loot table 57 before it has entries: the grid keeps
       // what it showed, and the command then makes loot table 57.
       [this] {
         scratch->exec(u"DELETE FROM loottable_entries"_s);
         scratch->exec(u"INSERT INTO loottable (id,name) VALUES (56,'older')"_s);
         ASSERT_FALSE(tables->decode_loottableE());
       },
       [this, npc_rows] {
         npc_rows(0);
         w->repair_commands->fix_loot_for_empty_loottablesx_Click();
       },
       [this] { type(w->loottableE, 1, 5, u"60"_s); }, stale_loottable,
       u"SELECT lootdrop_id,probability FROM loottable_entries WHERE loottable_id=57 ORDER BY lootdrop_id"_s},
  };
  items({u"1001=Cloth Cap"_s, u"1002=Bone Chips"_s, u"1004=Water"_s, u"1005=Salt"_s});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    scratch->exec(u"DELETE FROM lootdrop_entries"_s);
    scratch->exec(u"DELETE FROM loottable_entries"_s);
    scratch->exec(u"DELETE FROM loottable"_s);
    scratch->exec(u"DELETE FROM lootdrop"_s);
    scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (10,'ten')"_s);
    full_entries(10, {u"1001|1|0|150|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s,
                      u"1002|3|1|0.5|5|60|2|7.5|10|70|3|9|gamma|NULL|n2"_s});
    show_lootdrop(10);
    c.before();
    c.command_run();
    const QStringList written = scratch->rows(c.stored_query);
    io.messages.clear();
    c.save();
    EXPECT_EQ(scratch->rows(c.stored_query), written);
    ASSERT_FALSE(io.messages.empty());
    EXPECT_TRUE(io.messages.back().startsWith(c.told)) << io.messages.back().toStdString();
    EXPECT_TRUE(io.messages.back().endsWith(u"nothing was saved. Choose the NPC row again to see what is stored."_s));
    EXPECT_FALSE(db_conn.in_transaction());
  }
  // Shown again, the grid saves as before.
  scratch->exec(u"DELETE FROM loottable_entries"_s);
  scratch->exec(u"DELETE FROM lootdrop_entries"_s);
  full_entries(10, {u"1001|1|0|150|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s});
  show_lootdrop(10);
  w->repair_commands->percX_fix_Click();
  io.messages.clear();
  ASSERT_TRUE(drops->decode_lootdropE());
  type(w->lootdropE, 1, 3, u"5"_s);
  EXPECT_EQ(stored_full(10), QStringList{u"1001|5|0|100|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s});
  EXPECT_TRUE(io.messages.empty());
}

// The grid shows a FLOAT with six digits; a value the operator did not touch
// goes back as it was stored, to the last bit, and a NULL stays NULL.
TEST_F(KeptColumns, ValuesTheOperatorDidNotTouchGoBackBitExact) {
  items({u"1001=Cloth Cap"_s, u"1002=Bone Chips"_s});
  // Some worlds let a chance be NULL.
  scratch->exec(u"ALTER TABLE lootdrop_entries MODIFY chance float NULL DEFAULT 1"_s);
  scratch->exec(u"ALTER TABLE loottable_entries MODIFY probability float NULL DEFAULT 100"_s);
  scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (10,'ten')"_s);
  full_entries(10, {u"1001|1|0|33.33333206|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s,
                    u"1002|3|1|NULL|5|60|2|0.123456789|10|70|3|9|gamma|NULL|n2"_s});
  scratch->exec(
      u"INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,droplimit,mindrop,probability) VALUES "
      u"(57,10,1,1,0,66.66666412),(57,11,2,1,0,NULL)"_s);
  cur_loottable_id = 57;
  ASSERT_TRUE(tables->decode_loottableE());
  cur_lootdrop_id = 10;
  ASSERT_TRUE(drops->decode_lootdropE());
  // Each value with all its digits, as a double carries a FLOAT.
  const auto exact = [this] {
    return scratch->rows(
        u"SELECT item_id,item_charges,CAST(chance AS DOUBLE),CAST(disabled_chance AS DOUBLE) FROM lootdrop_entries "
        u"UNION ALL SELECT lootdrop_id,multiplier,CAST(probability AS DOUBLE),mindrop FROM loottable_entries "
        u"ORDER BY 1"_s);
  };
  const QStringList before = exact();
  ASSERT_EQ(before[0], u"10|1|66.66666412353516|0"_s);
  const struct {
    const char* edit;
    std::function<void()> act;
    QStringList after;
  } cases[] = {
      {"another cell of the row",
       [this] { type(w->lootdropE, row_of(1001), 3, u"4"_s); },
       {before[0], before[1], u"1001|4|33.33333206176758|2.5"_s, before[3]}},
      {"another row",
       [this] { type(w->lootdropE, row_of(1002), 3, u"6"_s); },
       {before[0], before[1], u"1001|4|33.33333206176758|2.5"_s, u"1002|6|NULL|0.12345679104328156"_s}},
      {"the value itself",
       [this] { type(w->lootdropE, row_of(1001), 5, u"12.5"_s); },
       {before[0], before[1], u"1001|4|12.5|2.5"_s, u"1002|6|NULL|0.12345679104328156"_s}},
      {"the loot table grid",
       [this] { type(w->loottableE, 1, 2, u"3"_s); },
       {u"10|3|66.66666412353516|0"_s, before[1], u"1001|4|12.5|2.5"_s, u"1002|6|NULL|0.12345679104328156"_s}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.edit);
    c.act();
    EXPECT_EQ(exact(), c.after);
  }
  EXPECT_TRUE(io.messages.empty()) << io.messages.front().toStdString();
}

// A typed item id the catalogue lacks would be stored as an entry the grid
// never shows and no save removes: it is refused, naming it.
TEST_F(KeptColumns, AnItemIdTheCatalogueLacksIsRefusedNamingIt) {
  items({u"1001=Cloth Cap"_s, u"1002=Bone Chips"_s});
  const QString k1001 = u"1001|1|0|25|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s;
  const QString k1002 = u"1002|3|1|12.5|5|60|2|7.5|10|70|3|9|gamma|NULL|n2"_s;
  // An entry of an item already gone from the catalogue stays as it is.
  const QString lost = u"888888|2|1|33|3|9|1|4|7|8|5|6|eps|zeta|n4"_s;
  full_entries(10, {k1001, k1002, lost});
  show_lootdrop(10);
  const struct {
    const char* typed;
    std::function<void()> act;
    QString told;
  } cases[] = {
      {"a large id", [this] { type(w->lootdropE, 1, 1, u"999999999"_s); },
       u"Item 999999999 is not in the item catalogue: nothing was saved."_s},
      {"a negative id", [this] { type(w->lootdropE, 2, 1, u"-5"_s); },
       u"Item -5 is not in the item catalogue: nothing was saved."_s},
      {"the id of the lost entry", [this] { type(w->lootdropE, 1, 1, u"888888"_s); },
       u"Item 888888 is not in the item catalogue: nothing was saved."_s},
      {"list rows moved into the grid",
       [this] {
         list({u"1001|Cloth Cap"_s, u"4242|Typo"_s, u"77|Typo"_s});
         s->assign_to_lootdrop_Click();
         drops->lootdropE_AfterCommitEdit(1, 1);
       },
       u"Items 4242, 77 are not in the item catalogue: nothing was saved."_s},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    ASSERT_TRUE(drops->decode_lootdropE());
    io.messages.clear();
    c.act();
    EXPECT_EQ(io.messages, std::vector<QString>{c.told});
    EXPECT_EQ(stored_full(10), (QStringList{k1001, k1002, lost}));
  }
  // An item that is there is stored, and the lost entry stays.
  ASSERT_TRUE(drops->decode_lootdropE());
  io.messages.clear();
  type(w->lootdropE, row_of(1001), 3, u"4"_s);
  EXPECT_EQ(stored_full(10), (QStringList{u"1001|4|0|25|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s, k1002, lost}));
  EXPECT_TRUE(io.messages.empty());
}

// A column added NOT NULL without a default: an entry the grid keeps goes
// back with its own value in the same insert; only a new entry needs the
// default it lacks, and the refusal names the column.
TEST_F(KeptColumns, AColumnWithoutADefaultBlocksOnlyNewEntries) {
  items({u"1001=Cloth Cap"_s, u"1002=Bone Chips"_s, u"1003=Bread"_s});
  full_entries(10, {u"1001|1|0|25|1|50|1|2.5|5|60|2|8|alpha|beta|n1"_s});
  show_lootdrop(10);
  scratch->exec(u"ALTER TABLE lootdrop_entries ADD must_have INT NOT NULL"_s);
  scratch->exec(u"ALTER TABLE loottable_entries ADD must_have INT NOT NULL"_s);
  scratch->exec(u"UPDATE lootdrop_entries SET must_have=7"_s);
  scratch->exec(u"UPDATE loottable_entries SET must_have=9"_s);
  ASSERT_TRUE(tables->decode_loottableE());
  ASSERT_TRUE(drops->decode_lootdropE());
  type(w->lootdropE, 1, 5, u"30"_s);
  type(w->loottableE, 1, 5, u"80"_s);
  EXPECT_TRUE(io.messages.empty()) << io.messages.front().toStdString();
  EXPECT_EQ(scratch->rows(u"SELECT item_id,chance,must_have FROM lootdrop_entries"_s), QStringList{u"1001|30|7"_s});
  EXPECT_EQ(scratch->rows(u"SELECT lootdrop_id,probability,must_have FROM loottable_entries"_s),
            QStringList{u"10|80|9"_s});
  // A new entry takes the table's defaults, and there is none here.
  ASSERT_TRUE(drops->decode_lootdropE());
  type(w->lootdropE, 1, 1, u"1003"_s);
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].contains(u"must_have"_s)) << io.messages[0].toStdString();
  EXPECT_EQ(scratch->rows(u"SELECT item_id,chance,must_have FROM lootdrop_entries"_s), QStringList{u"1001|30|7"_s});
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
