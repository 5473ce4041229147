#include "controls/litebtnctrl.h"
#include "itemsearch/item_search_random.h"
#include "platform/prng.h"
#include "test_item_search_support.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

class RandomLoot : public item_search_testing::ItemSearch {
 protected:
  void SetUp() override {
    ItemSearch::SetUp();
    prng::restart_sequence();
    // The largest lootdrop so far: new ones are numbered from 345 on.
    scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (344,'old_drop')"_s);
  }
  // One NPC row per loot table cell (a number, a typed text or nothing).
  void npcs(const QVariantList& loottables) {
    w->allgrids->Clear();
    w->allgrids->setRowCount(static_cast<int>(loottables.size()));
    for (int r = 1; r <= loottables.size(); ++r) {
      w->allgrids->setCellValue(r, 1, 1000 + r);
      w->allgrids->setCellValue(r, 5, loottables[r - 1]);
    }
  }
  // The list's ids 101 to 100 + n.
  void numbered_list(int n) {
    QStringList rows;
    for (int i = 1; i <= n; ++i) rows << QString::number(100 + i) + u"|item"_s;
    list(rows);
  }
  void settings(const QString& perc, const QString& per_drop, const QString& drop_perc = u"50"_s,
                const QString& chance = u"10"_s) {
    s->perc->setText(perc);
    s->number_drops_per_lootdrop->setText(per_drop);
    s->lootdrop_new_perc->setText(drop_perc);
    s->Text2->setText(chance);
  }
  // Each custom lootdrop as "id:items" in id order.
  QStringList custom_drops() {
    return scratch->rows(
        u"SELECT CONCAT(d.id,':',IFNULL(GROUP_CONCAT(e.item_id ORDER BY e.item_id),'')) FROM lootdrop d "
        u"LEFT JOIN lootdrop_entries e ON e.lootdrop_id=d.id WHERE d.name='Korvex3_Custom_Drop' "
        u"GROUP BY d.id ORDER BY d.id"_s);
  }
  // Links as "loottable|lootdrop|multiplier|probability|droplimit|mindrop".
  QStringList all_links() {
    return scratch->rows(
        u"SELECT loottable_id,lootdrop_id,multiplier,probability,droplimit,mindrop FROM loottable_entries "
        u"ORDER BY lootdrop_id"_s);
  }
  int written() {
    return scratch->count(u"lootdrop"_s, u"id<>344"_s) + scratch->count(u"lootdrop_entries"_s) +
           scratch->count(u"loottable_entries"_s);
  }
  void wipe() {
    scratch->exec(u"DELETE FROM lootdrop WHERE id<>344"_s);
    scratch->exec(u"DELETE FROM lootdrop_entries"_s);
    scratch->exec(u"DELETE FROM loottable_entries"_s);
  }
  // Something on screen and current in the main window's lower grids.
  void something_current() {
    w->loottableE->setRowCount(1);
    w->lootdropE->setRowCount(1);
    cur_loottable_id = 77;
    cur_lootdrop_id = sel_loottable_row = sel_lootdrop_row = 1;
    cur_item_id = 101;
  }
  // "loot table rows,lootdrop rows,loot table,lootdrop,selected rows,item".
  QString current() const {
    return u"%1,%2,%3,%4,%5,%6,%7"_s.arg(w->loottableE->RowCount())
        .arg(w->lootdropE->RowCount())
        .arg(cur_loottable_id)
        .arg(cur_lootdrop_id)
        .arg(sel_loottable_row)
        .arg(sel_lootdrop_row)
        .arg(cur_item_id);
  }
  // The roll of the n-th draw from the start of the sequence.
  static int roll(int n) {
    prng::restart_sequence();
    double r = 0;
    for (int i = 0; i < n; ++i) r = prng::next();
    prng::restart_sequence();
    return static_cast<int>(std::floor(static_cast<float>(r) * 100.0f)) + 1;
  }
};

TEST_F(RandomLoot, StatementsKeepTheirTexts) {
  using namespace random_loot_sql;
  EXPECT_EQ(insert_links({link_row(12, 345, 50)}),
            u"INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,probability,droplimit,mindrop) "
            u"VALUES ( 12,345,1,50,1,0)"_s);
  EXPECT_EQ(insert_entries({entry_row(345, 77, 10)}),
            u"INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,npc_min_level,"
            u"npc_max_level,multiplier) VALUES ( 345,77,1,1,10,0,127,1)"_s);
  EXPECT_EQ(insert_lootdrops({lootdrop_row(345), lootdrop_row(346)}),
            u"INSERT INTO lootdrop (id,name) VALUES ( 345,\"Korvex3_Custom_Drop\"),( 346,\"Korvex3_Custom_Drop\")"_s);
}

TEST_F(RandomLoot, GoMakesALootdropPerPassingNpcFromTheNextItemsOfTheList) {
  s->LiteBtnCtrl4->Click();
  EXPECT_TRUE(s->Frame1->isVisibleTo(s));
  s->grab().save(QDir::temp().filePath(u"random_loot.png"_s));

  numbered_list(7);
  settings(u"100"_s, u"3"_s, u"50"_s, u"12.5"_s);
  // Two rows share loot table 12, one has none, one was typed as a text.
  npcs({12, 12, 0, u"13.5"_s});
  something_current();
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German));
  s->go->Click();
  QLocale::setDefault(before);

  EXPECT_TRUE(io.messages.empty());
  EXPECT_EQ(custom_drops(),
            (QStringList{u"345:101,102,103"_s, u"346:104,105,106"_s, u"347:107"_s, u"348:101,102,103"_s}));
  EXPECT_EQ(all_links(),
            (QStringList{u"12|345|1|50|1|0"_s, u"12|346|1|50|1|0"_s, u"0|347|1|50|1|0"_s, u"14|348|1|50|1|0"_s}));
  EXPECT_EQ(stored_entries(347), QStringList{u"107|1|1|12.5|0|0|127|1"_s});
  EXPECT_EQ(s->list_cursor, 4);
  EXPECT_TRUE(sql_text.startsWith(u"INSERT INTO lootdrop (id,name) VALUES ( 345,"_s));
  // The main window is neither reloaded nor cleared.
  EXPECT_EQ(current(), u"1,1,77,1,1,1,101"_s);
  EXPECT_EQ(s->out->text(), QString());
  EXPECT_FALSE(hourglass_on());

  // Nothing to work on: no statement at all.
  sql_text = u"before"_s;
  s->itms->Clear();
  s->go_Click();
  npcs({});
  numbered_list(2);
  s->go_Click();
  EXPECT_EQ(sql_text, u"before"_s);
}

TEST_F(RandomLoot, EachNpcRowTakesOneRollInGridOrder) {
  numbered_list(1);
  npcs({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  QStringList passing;
  for (int i = 1; i <= 10; ++i) {
    if (roll(i) <= 50) passing << QString::number(i);
  }
  ASSERT_GT(passing.size(), 0);
  ASSERT_LT(passing.size(), 10);
  settings(u"50"_s, u"1"_s);
  s->go_Click();
  EXPECT_EQ(scratch->rows(u"SELECT loottable_id FROM loottable_entries ORDER BY lootdrop_id"_s), passing);

  // Ties round to even: "k-0.5" passes a roll of k only when k is even.
  const int first = roll(1);
  wipe();
  npcs({1});
  settings(QString::number(first - 1) + u".5"_s, u"1"_s);
  s->go_Click();
  EXPECT_EQ(scratch->count(u"loottable_entries"_s), first % 2 == 0 ? 1 : 0);

  // 0, empty, negative: nobody passes, yet every row still draws.
  npcs({1, 2, 3});
  for (const QString& none : {u"0"_s, u""_s, u"-1e9"_s}) {
    wipe();
    settings(none, u"1"_s);
    const int fourth = roll(4);
    s->go_Click();
    EXPECT_EQ(written(), 0) << none.toStdString();
    EXPECT_EQ(static_cast<int>(std::floor(static_cast<float>(prng::next()) * 100.0f)) + 1, fourth);
  }
  settings(u"1e9"_s, u"1"_s);
  s->go_Click();
  EXPECT_EQ(scratch->count(u"loottable_entries"_s), 3);
}

TEST_F(RandomLoot, TheWalkTakesWholeRunsAndSkipsEmptyAndRepeatedIds) {
  // A blank row, an id 0 and a repeated id use up their places in the run;
  // the repeated one would be a second row for the same item.
  list({u"101|a"_s, u"|"_s, u"0|zero"_s, u"101|again"_s, u"105|e"_s});
  npcs({1, 2});
  settings(u"100"_s, u"5"_s);
  s->go_Click();
  EXPECT_TRUE(io.messages.empty());
  EXPECT_EQ(custom_drops(), (QStringList{u"345:101,105"_s, u"346:101,105"_s}));

  wipe();
  numbered_list(5);
  npcs({1, 2, 3});
  settings(u"100"_s, u"2.5"_s);
  s->go_Click();
  EXPECT_EQ(custom_drops(), (QStringList{u"345:101,102"_s, u"346:103,104"_s, u"347:105"_s}));
  EXPECT_EQ(s->list_cursor, 1);

  // Less than one item: the lootdrop and its link are still made.
  wipe();
  npcs({1});
  settings(u"100"_s, u"0.5"_s);
  s->go_Click();
  EXPECT_EQ(custom_drops(), QStringList{u"345:"_s});
  EXPECT_EQ(all_links(), QStringList{u"1|345|1|50|1|0"_s});
}

TEST_F(RandomLoot, BoxesReadTheNumberTheyBeginWithAndBadValuesAreRefusedFirst) {
  numbered_list(3);
  npcs({1, 2});
  const auto refused = [&](const QString& per_drop, const QString& chance) {
    io.messages.clear();
    settings(u"100"_s, per_drop, u"50"_s, chance);
    s->go_Click();
    return io.messages.size() == 1 ? io.messages[0] : QString();
  };
  EXPECT_EQ(refused(u"3"_s, u"1e999"_s), u"\"1e999\" in \"% Each ITEM Drops\" is too large. No loot was made."_s);
  EXPECT_EQ(refused(u"16001"_s, u"10"_s), u"\"# ITEMS/Lootdrop\" may be at most 16000. No loot was made."_s);
  list({u"101|a"_s, u"12x|b"_s});
  EXPECT_EQ(refused(u"3"_s, u"10"_s), u"Row 2 of the item list holds no item id (\"12x\"). No loot was made."_s);
  numbered_list(3);
  npcs({1, u"abc"_s});
  EXPECT_EQ(refused(u"3"_s, u"10"_s), u"Row 2 of the NPC list holds no loottable id (\"abc\"). No loot was made."_s);

  EXPECT_EQ(written(), 0);
  EXPECT_EQ(s->list_cursor, 0);
  EXPECT_FALSE(hourglass_on());
  // No roll was taken.
  const double next = prng::next();
  EXPECT_EQ(static_cast<int>(std::floor(static_cast<float>(next) * 100.0f)) + 1, roll(1));

  // A typed text counts for the number it begins with, or 0.
  io.messages.clear();
  npcs({1, 2});
  settings(u"100%"_s, u"2 items"_s, u"half"_s, u"abc"_s);
  s->go_Click();
  EXPECT_TRUE(io.messages.empty());
  EXPECT_EQ(custom_drops(), (QStringList{u"345:101,102"_s, u"346:103"_s}));
  EXPECT_EQ(all_links(), (QStringList{u"1|345|1|0|1|0"_s, u"2|346|1|0|1|0"_s}));
  EXPECT_EQ(stored_entries(346), QStringList{u"103|1|1|0|0|0|127|1"_s});
}

TEST_F(RandomLoot, AFailureHalfWayLeavesNoHalfMadeLootdrops) {
  // Entries left behind by a deleted lootdrop 345 collide with the third
  // item of the first new lootdrop, after its link and two items.
  scratch->exec(u"INSERT INTO lootdrop_entries (lootdrop_id,item_id) VALUES (345,103)"_s);
  numbered_list(3);
  npcs({12, 13});
  settings(u"100"_s, u"3"_s);
  s->go_Click();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Making the random loot (nothing was written) failed"_s));
  EXPECT_EQ(written(), 1);
  EXPECT_EQ(s->out->text(), QString());
  EXPECT_FALSE(hourglass_on());

  // The program goes on: once the stray row is gone the same run works.
  scratch->exec(u"DELETE FROM lootdrop_entries"_s);
  s->go_Click();
  EXPECT_EQ(custom_drops(), (QStringList{u"345:101,102,103"_s, u"346:101,102,103"_s}));

  // A server that cannot be reached is reported too.
  io.messages.clear();
  db_settings.server = u"127.0.0.1;PORT=1"_s;
  s->go_Click();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Making the random loot (nothing was written) failed"_s));
  EXPECT_FALSE(hourglass_on());
}

TEST_F(RandomLoot, IdsGoOnPastTheSignedRangeUpToTheLargest) {
  numbered_list(1);
  settings(u"100"_s, u"1"_s);
  const struct {
    const char* largest_lootdrop;
    QStringList links;  // afterwards
  } cases[] = {{"2147483647", {u"3000000000|2147483648|1|50|1|0"_s, u"4294967295|2147483649|1|50|1|0"_s}},
               {"4294967294", {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.largest_lootdrop);
    wipe();
    scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES ("_s + QString::fromUtf8(c.largest_lootdrop) + u",'x')"_s);
    io.messages.clear();
    npcs({3000000000.0, u"4294967295"_s});
    s->go_Click();
    EXPECT_EQ(all_links(), c.links);
    if (c.links.isEmpty()) {
      // 4294967295 for the first NPC, none left for the second.
      ASSERT_EQ(io.messages.size(), 1u);
      EXPECT_TRUE(io.messages[0].startsWith(u"Making the random loot (nothing was written) failed"_s));
      EXPECT_TRUE(io.messages[0].contains(u"No lootdrop id is left."_s)) << io.messages[0].toStdString();
      EXPECT_EQ(written(), 1);
    } else {
      EXPECT_TRUE(io.messages.empty());
      EXPECT_EQ(stored_entries(2147483649), QStringList{u"101|1|1|10|0|0|127|1"_s});
    }
  }
}

TEST_F(RandomLoot, RemovalTakesTheLootdropsOfTheCustomNameWithTheirEntriesAndLinks) {
  scratch->exec(
      u"INSERT INTO lootdrop (id,name) VALUES (10,'Korvex3_Custom_Drop'),(11,'korvex3_custom_drop'),"
      u"(12,'Korvex3_Custom_Drop '),(13,'other'),(14,'Korvex3_Custom_Drop')"_s);
  for (const int id : {10, 11, 12, 13, 14}) {
    entries(id, {u"101|1|1|10|0|0|127|1"_s, u"102|1|1|10|0|0|127|1"_s});
    links(id * 10, {QString::number(id) + u"|1|1|0|50"_s});
  }
  something_current();
  {
    const testing_support::SentStatements sent;
    s->delete_custom_loot->Click();
    EXPECT_EQ(sent.starting_with(u"SELECT"_s),
              QStringList{u"SELECT id FROM lootdrop WHERE name=\"Korvex3_Custom_Drop\""_s});
  }
  EXPECT_TRUE(io.messages.empty());
  // The name is compared under the table's collation: other letter case
  // and trailing blanks match too.
  const QStringList kept{u"13"_s};
  EXPECT_EQ(scratch->rows(u"SELECT id FROM lootdrop WHERE id<>344 ORDER BY id"_s), kept);
  EXPECT_EQ(scratch->rows(u"SELECT DISTINCT lootdrop_id FROM lootdrop_entries ORDER BY 1"_s), kept);
  EXPECT_EQ(scratch->rows(u"SELECT lootdrop_id FROM loottable_entries ORDER BY 1"_s), kept);
  EXPECT_EQ(rec_count, 4);
  EXPECT_EQ(current(), u"0,0,0,0,0,0,101"_s);
  EXPECT_EQ(s->out->text(), QString());

  // None left: nothing changes, not even the main window.
  something_current();
  s->delete_custom_loot_Click();
  EXPECT_EQ(current(), u"1,1,77,1,1,1,101"_s);

  // More custom lootdrops than one statement carries, made by the generator.
  numbered_list(2);
  npcs(QVariantList(2300, 5));
  settings(u"100"_s, u"2"_s);
  s->go_Click();
  EXPECT_EQ(scratch->count(u"lootdrop_entries"_s, u"lootdrop_id>344"_s), 4600);
  s->delete_custom_loot_Click();
  EXPECT_EQ(rec_count, 2300);
  EXPECT_EQ(written(), 1 + 2 + 1);  // lootdrop 13 alone
}

TEST_F(RandomLoot, ARemovalRefusedHalfWayDeletesNothing) {
  scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (10,'Korvex3_Custom_Drop')"_s);
  entries(10, {u"101|1|1|10|0|0|127|1"_s});
  links(100, {u"10|1|1|0|50"_s});
  // The third delete, after the lootdrop and its entries, is refused.
  scratch->exec(
      u"CREATE TRIGGER keep_links BEFORE DELETE ON loottable_entries FOR EACH ROW "
      u"SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='links are kept'"_s);
  something_current();
  s->delete_custom_loot_Click();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Deleting the custom loot (nothing was deleted) failed"_s));
  EXPECT_TRUE(io.messages[0].contains(u"links are kept"_s));
  EXPECT_EQ(written(), 3);
  EXPECT_EQ(current(), u"1,1,77,1,1,1,101"_s);
}

}  // namespace
