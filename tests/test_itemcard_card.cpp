// Whole item cards as show_stats composes them from an item's row.
#include "itemcard/item_stats.h"
#include "shared/settings.h"
#include "shared/shared.h"
#include "test_itemcard_support.h"

#include <gtest/gtest.h>

using itemcard_testing::add_item;
using itemcard_testing::ResourceFolder;
using testing_support::DbTest;

namespace {

// Lines joined with CR LF, each ending with one.
QString lines(std::initializer_list<const char16_t*> parts) {
  QString text;
  for (const char16_t* p : parts) text += QString::fromUtf16(p) + QStringLiteral("\r\n");
  return text;
}

class ItemCard : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    folder = std::make_unique<ResourceFolder>();
    folder->write_standard();
  }
  void TearDown() override {
    folder.reset();
    DbTest::TearDown();
  }
  // The card of item `id`; its kind in `kind`.
  QString card_of(int id) {
    const std::int32_t item = id;
    card.show_stats(item, kind);
    return card.itemdescr->text();
  }
  std::int16_t kind_of(int id) {
    card_of(id);
    return kind;
  }

  std::unique_ptr<ResourceFolder> folder;
  Item_Stats card;
  std::int16_t kind = 99;
};

TEST_F(ItemCard, FullCardWithEveryOptionalRow) {
  add_item(*scratch, 1001,
           {{u"Name"_qs, u"'Blade of Tests'"_qs},
            {u"itemtype"_qs, u"0"_qs},
            {u"magic"_qs, u"1"_qs},
            {u"nodrop"_qs, u"1"_qs},
            {u"loregroup"_qs, u"-1"_qs},
            {u"classes"_qs, u"65535"_qs},
            {u"races"_qs, u"5"_qs},
            {u"slots"_qs, u"8210"_qs},
            {u"deity"_qs, u"65537"_qs},
            {u"ac"_qs, u"15"_qs},
            {u"damage"_qs, u"20"_qs},
            {u"delay"_qs, u"30"_qs},
            {u"elemdmgamt"_qs, u"5"_qs},
            {u"elemdmgtype"_qs, u"2"_qs},
            {u"banedmgamt"_qs, u"10"_qs},
            {u"banedmgbody"_qs, u"3"_qs},
            {u"banedmgraceamt"_qs, u"12"_qs},
            {u"banedmgrace"_qs, u"42"_qs},
            {u"proceffect"_qs, u"1"_qs},
            {u"proclevel"_qs, u"0"_qs},
            {u"clickeffect"_qs, u"7"_qs},
            {u"clicklevel"_qs, u"55"_qs},
            {u"worneffect"_qs, u"10"_qs},
            {u"wornlevel"_qs, u"5"_qs},
            {u"focuseffect"_qs, u"8"_qs},
            {u"focuslevel"_qs, u"1"_qs},
            {u"scrolleffect"_qs, u"3"_qs},
            {u"adex"_qs, u"1"_qs},
            {u"acha"_qs, u"2"_qs},
            {u"astr"_qs, u"3"_qs},
            {u"asta"_qs, u"4"_qs},
            {u"aint"_qs, u"5"_qs},
            {u"awis"_qs, u"6"_qs},
            {u"aagi"_qs, u"7"_qs},
            {u"hp"_qs, u"100"_qs},
            {u"mana"_qs, u"-50"_qs},
            {u"cr"_qs, u"1"_qs},
            {u"dr"_qs, u"2"_qs},
            {u"fr"_qs, u"3"_qs},
            {u"mr"_qs, u"4"_qs},
            {u"pr"_qs, u"-5"_qs},
            {u"haste"_qs, u"25"_qs},
            {u"manaregen"_qs, u"2"_qs},
            {u"regen"_qs, u"3"_qs},
            {u"attack"_qs, u"-3"_qs},
            {u"reclevel"_qs, u"50"_qs},
            {u"reqlevel"_qs, u"45"_qs},
            {u"weight"_qs, u"25"_qs},
            {u"size"_qs, u"2"_qs},
            {u"augslot1type"_qs, u"7"_qs},
            {u"augslot2type"_qs, u"8"_qs},
            {u"augslot3type"_qs, u"-2"_qs},
            {u"price"_qs, u"123456"_qs}});
  // slots 8210 = Primary (bit 13), Right Ear (bit 4) and Left Ear (bit 1).
  EXPECT_EQ(card_of(1001), lines({u"MAGIC ITEM:YES     TRADEABLE ITEM ",
                                  u"Lore:YES",
                                  u"Slot: Primary,Ears",
                                  u"AC: 15",
                                  u"Skill: ,  Atk Delay: 30",
                                  u"DMG: 20",
                                  u"Elem Dmg:5   vs. Fire",
                                  u"Bane Dmg:10   vs. Body 03",
                                  u"Bane Dmg: 12  vs. Race 42",
                                  u"Proc Effect :Alpha  -- Req Level: All Levels",
                                  u"Click Effect :Seven  -- Req Level: 55",
                                  u"Worn Effect :Ten  -- Req Level: 5",
                                  u"Focus Effect :Uknown Effect  -- Req Level: 1",
                                  u"A Scroll:",
                                  u" DEX: 1 CHA: 2 STR: 3 STA: 4 INT: 5 WIS: 6 AGI: 7",
                                  u" HP: 100 MANA: -50",
                                  u" SV COLD: 1 SV DISEASE: 2 SV FIRE: 3 SV MAGIC: 4 SV POISON: -5",
                                  u"Haste :25%",
                                  u"Mana Regeneration :2",
                                  u"Regeneration :3",
                                  u"Attack: +-3",
                                  u"Recommended level of 50",
                                  u"Required level of 45",
                                  u"WT: 25 Size: MEDIUM",
                                  u"Class: ALL",
                                  u"Race: Rc03 Rc01 ",
                                  u"Slot 1, type 7: Empty",
                                  u"Slot 2, type 8: Empty",
                                  u"Slot 3, type -2: Empty",
                                  u"Price(cp): 123456",
                                  u"Deity: VEESHAN AGNOSTIC "}));
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(card.ITSname->text(), u"Blade of Tests    --  1001");
  EXPECT_EQ(sql_text, u"SELECT * FROM items WHERE id='1001'");
  EXPECT_FALSE(db_rs.is_open());
  EXPECT_TRUE(skill_text.isEmpty());
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(ItemCard, FullCardWithNoOptionalRowIsEightLines) {
  add_item(*scratch, 5, {{u"Name"_qs, u"'Plain Rock'"_qs}, {u"itemtype"_qs, u"10"_qs}, {u"delay"_qs, u"40"_qs}});
  EXPECT_EQ(card_of(5), lines({u"MAGIC ITEM:NO     NO TRADE ", u"Lore:NO", u"Slot: none", u"WT: 0 Size: TINY",
                               u"Class: ", u"Race: ", u"Price(cp): 0", u"Deity: ALL ALLOWED"}));
  EXPECT_EQ(kind, 1);
}

TEST_F(ItemCard, ContainerCardShowsBagValuesAndNothingOfTheFullCard) {
  add_item(*scratch, 77,
           {{u"Name"_qs, u"'Traveller''s Pack'"_qs},
            {u"itemclass"_qs, u"1"_qs},
            {u"itemtype"_qs, u"20"_qs},
            {u"loregroup"_qs, u"1"_qs},
            {u"nodrop"_qs, u"1"_qs},
            {u"bagsize"_qs, u"3"_qs},
            {u"bagslots"_qs, u"10"_qs},
            {u"bagwr"_qs, u"50"_qs},
            {u"weight"_qs, u"5"_qs},
            {u"price"_qs, u"1000"_qs},
            {u"classes"_qs, u"2"_qs},
            {u"races"_qs, u"65535"_qs},
            {u"deity"_qs, u"2"_qs},
            {u"ac"_qs, u"10"_qs},
            {u"damage"_qs, u"5"_qs},
            {u"slots"_qs, u"1"_qs},
            {u"proceffect"_qs, u"1"_qs},
            {u"clickeffect"_qs, u"1"_qs},
            {u"hp"_qs, u"9"_qs},
            {u"cr"_qs, u"9"_qs}});
  EXPECT_EQ(card_of(77), lines({u"MAGIC ITEM:NO     TRADEABLE ITEM ", u"Lore:EPIC", u"WT: 5 Weight Reduction:  50%",
                                u"Bag Slots:  10  Size Capacity: LARGE", u"Class: Cls02 ", u"Race: ALL",
                                u"Price(cp): 1000", u"Deity: BERTOX "}));
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(card.ITSname->text(), u"Traveller's Pack    --  77");

  scratch->exec(u"UPDATE items SET bagsize = 0 WHERE id = 77"_qs);
  EXPECT_TRUE(card_of(77).contains(u"Bag Slots:  10  Size Capacity: \r\nClass: "));
}

TEST_F(ItemCard, ShortCardWithAndWithoutAClickEffect) {
  add_item(*scratch, 20,
           {{u"Name"_qs, u"'Sparkling Wand'"_qs},
            {u"itemtype"_qs, u"20"_qs},
            {u"magic"_qs, u"1"_qs},
            {u"loregroup"_qs, u"2"_qs},
            {u"clickeffect"_qs, u"7"_qs},
            {u"clicklevel"_qs, u"0"_qs},
            {u"size"_qs, u"5"_qs},
            {u"weight"_qs, u"1"_qs},
            {u"races"_qs, u"65535"_qs},
            {u"deity"_qs, u"131071"_qs},
            {u"price"_qs, u"50"_qs},
            {u"ac"_qs, u"3"_qs},
            {u"damage"_qs, u"4"_qs},
            {u"proceffect"_qs, u"1"_qs},
            {u"haste"_qs, u"9"_qs},
            {u"slots"_qs, u"4"_qs},
            {u"banedmgamt"_qs, u"3"_qs},
            {u"bagslots"_qs, u"8"_qs}});
  EXPECT_EQ(card_of(20),
            lines({u"MAGIC ITEM:YES     NO TRADE ", u"", u"Click Effect :Seven  -- Req Level: All Levels",
                   u"WT: 1 Size: UNKNOWN", u"Class: ", u"Race: ALL", u"", u"Price(cp): 50", u"Deity: ALL"}));
  EXPECT_EQ(kind, 4);

  scratch->exec(u"UPDATE items SET clickeffect = -1, size = 6 WHERE id = 20"_qs);
  EXPECT_EQ(card_of(20), lines({u"MAGIC ITEM:YES     NO TRADE ", u"", u"WT: 1 Size: ", u"Class: ", u"Race: ALL", u"",
                                u"Price(cp): 50", u"Deity: ALL"}));
}

TEST_F(ItemCard, CardKindFollowsTypeThenClass) {
  const std::pair<int, int> expected[] = {{0, 2},  {3, 2},  {5, 2},  {7, 2},  {19, 2}, {27, 2}, {35, 2}, {45, 2},
                                          {8, 1},  {10, 1}, {20, 4}, {6, 3},  {9, 3},  {11, 3}, {18, 3}, {21, 3},
                                          {26, 3}, {28, 3}, {34, 3}, {36, 3}, {44, 3}, {46, 3}, {-1, 3}, {255, 3}};
  int id = 100;
  for (const auto& [type, k] : expected) add_item(*scratch, ++id, {{u"itemtype"_qs, QString::number(type)}});
  id = 100;
  for (const auto& [type, k] : expected) EXPECT_EQ(kind_of(++id), k) << "itemtype " << type;

  add_item(*scratch, 300, {{u"itemtype"_qs, u"20"_qs}, {u"itemclass"_qs, u"1"_qs}});
  add_item(*scratch, 301, {{u"itemtype"_qs, u"10"_qs}, {u"itemclass"_qs, u"2"_qs}});
  EXPECT_EQ(kind_of(300), 0);
  EXPECT_EQ(kind_of(301), 1);
}

TEST_F(ItemCard, LoreValuesAndNegativeValuesShownAsTheyAre) {
  const std::pair<int, const char16_t*> lore[] = {
      {-1, u"Lore:YES"}, {0, u"Lore:NO"}, {1, u"Lore:EPIC"}, {2, u""}, {-2, u""}};
  int id = 0;
  for (const auto& [value, text] : lore) {
    add_item(*scratch, ++id, {{u"loregroup"_qs, QString::number(value)}, {u"itemtype"_qs, u"10"_qs}});
    EXPECT_EQ(card_of(id).section(QStringLiteral("\r\n"), 1, 1), QString::fromUtf16(text)) << value;
  }
  // ac, reclevel and reqlevel show only above 0; the others whenever they are not 0.
  add_item(*scratch, 50,
           {{u"itemtype"_qs, u"10"_qs},
            {u"ac"_qs, u"-4"_qs},
            {u"reclevel"_qs, u"-1"_qs},
            {u"reqlevel"_qs, u"0"_qs},
            {u"haste"_qs, u"-7"_qs},
            {u"regen"_qs, u"-1"_qs},
            {u"manaregen"_qs, u"-2"_qs},
            {u"aagi"_qs, u"4"_qs},
            {u"hp"_qs, u"-9"_qs},
            {u"damage"_qs, u"-1"_qs},
            {u"delay"_qs, u"12"_qs}});
  EXPECT_EQ(card_of(50), lines({u"MAGIC ITEM:NO     NO TRADE ", u"Lore:NO", u"Slot: none", u" AGI: 4", u" HP: -9",
                                u"Haste :-7%", u"Mana Regeneration :-2", u"Regeneration :-1", u"WT: 0 Size: TINY",
                                u"Class: ", u"Race: ", u"Price(cp): 0", u"Deity: ALL ALLOWED"}));
}

TEST_F(ItemCard, LinesShownAboveZeroShowAtOne) {
  struct Case {
    const char16_t* column;
    QStringList shown;  // between the slot line and the weight line
  };
  const Case cases[] = {
      {u"damage", {u"Skill: ,  Atk Delay: 12"_qs, u"DMG: 1"_qs}},
      {u"ac", {u"AC: 1"_qs}},
      {u"reclevel", {u"Recommended level of 1"_qs}},
      {u"reqlevel", {u"Required level of 1"_qs}},
  };
  int id = 0;
  for (const Case& c : cases) {
    const QString column = QString::fromUtf16(c.column);
    add_item(*scratch, ++id, {{u"itemtype"_qs, u"10"_qs}, {u"delay"_qs, u"12"_qs}, {column, u"1"_qs}});
    QString expected = lines({u"MAGIC ITEM:NO     NO TRADE ", u"Lore:NO", u"Slot: none"});
    for (const QString& line : c.shown) expected += line + QStringLiteral("\r\n");
    expected += lines({u"WT: 0 Size: TINY", u"Class: ", u"Race: ", u"Price(cp): 0", u"Deity: ALL ALLOWED"});
    EXPECT_EQ(card_of(id), expected) << column.toStdString();
  }
}

TEST_F(ItemCard, BaneBodyTypeLastMatchWinsAndAnEmptyNameEndsNoLine) {
  const auto bane_of = [&](int id, int body) {
    add_item(*scratch, id,
             {{u"itemtype"_qs, u"10"_qs}, {u"banedmgamt"_qs, u"-8"_qs}, {u"banedmgbody"_qs, QString::number(body)}});
    return card_of(id).section(QStringLiteral("\r\n"), 3, 3);
  };
  EXPECT_EQ(bane_of(1, 21), u"Bane Dmg:-8   vs. Body 21");
  EXPECT_EQ(bane_of(2, 20), u"Bane Dmg:-8   vs. Monster?");
  EXPECT_EQ(bane_of(3, 99), u"Bane Dmg:-8   vs. Monster?");
  // Line "05" matches body 5 but holds no name: the next row goes on the same line.
  EXPECT_EQ(bane_of(4, 5), u"Bane Dmg:-8   vs. WT: 0 Size: TINY");
  scratch->exec(u"UPDATE items SET banedmgraceamt = 2, banedmgrace = 9 WHERE id = 4"_qs);
  EXPECT_EQ(card_of(4).section(QStringLiteral("\r\n"), 3, 3), u"Bane Dmg:-8   vs. Bane Dmg: 2  vs. Race 9");
}

TEST_F(ItemCard, BaneRaceReadsOnly360RecordsAndTheLastMatchWins) {
  QStringList records = ResourceFolder::race_records(360);
  records[99] = QStringLiteral("42,Later Forty-two");
  records << QStringLiteral("7,Record 361");
  folder->write(u"all_races.txt"_qs, records);
  const auto race_line = [&](int id, int race) {
    add_item(
        *scratch, id,
        {{u"itemtype"_qs, u"10"_qs}, {u"banedmgraceamt"_qs, u"12"_qs}, {u"banedmgrace"_qs, QString::number(race)}});
    return card_of(id).section(QStringLiteral("\r\n"), 3, 3);
  };
  EXPECT_EQ(race_line(1, 42), u"Bane Dmg: 12  vs. Later Forty-two");
  EXPECT_EQ(race_line(2, 7), u"Bane Dmg: 12  vs. Race 7");
  EXPECT_EQ(race_line(3, 400), u"Bane Dmg: 12  vs. Unknown?");

  // A short race file or none at all: the card is still drawn.
  folder->write(u"all_races.txt"_qs, ResourceFolder::race_records(10));
  EXPECT_EQ(race_line(4, 9), u"Bane Dmg: 12  vs. Race 9");
  EXPECT_EQ(race_line(5, 11), u"Bane Dmg: 12  vs. Unknown?");
  folder->remove(u"all_races.txt"_qs);
  EXPECT_EQ(race_line(6, 9), u"Bane Dmg: 12  vs. Unknown?");
}

TEST_F(ItemCard, MasksUseOnlyTheirLowBits) {
  add_item(*scratch, 1,
           {{u"itemtype"_qs, u"10"_qs},
            {u"classes"_qs, QString::number(65536 + 1)},
            {u"races"_qs, QString::number((1 << 20) | 2)},
            {u"slots"_qs, QString::number(1 << 22)},
            {u"deity"_qs, QString::number(1 << 17)}});
  const QString text = card_of(1);
  EXPECT_TRUE(text.contains(u"\r\nSlot: none\r\n")) << text.toStdString();
  EXPECT_TRUE(text.contains(u"\r\nClass: Cls01 \r\nRace: Rc02 \r\n")) << text.toStdString();
  EXPECT_TRUE(text.endsWith(u"Deity: ALL ALLOWED\r\n"));
  add_item(*scratch, 2, {{u"itemtype"_qs, u"10"_qs}, {u"classes"_qs, u"-1"_qs}, {u"deity"_qs, u"-1"_qs}});
  EXPECT_TRUE(card_of(2).contains(u"\r\nClass: ALL\r\n"));
  EXPECT_EQ(card.deity_text, u"ALL");

  // Values past the 32-bit range keep their low bits; such an effect id is
  // simply not found.
  scratch->exec(u"ALTER TABLE items MODIFY classes bigint NOT NULL DEFAULT 0, MODIFY proceffect bigint"_qs);
  add_item(*scratch, 3,
           {{u"itemtype"_qs, u"10"_qs}, {u"classes"_qs, u"4294967300"_qs}, {u"proceffect"_qs, u"5000000000"_qs}});
  const QString wide = card_of(3);
  EXPECT_TRUE(wide.contains(u"\r\nProc Effect :Uknown Effect  -- Req Level: All Levels\r\n")) << wide.toStdString();
  EXPECT_TRUE(wide.contains(u"\r\nClass: Cls03 \r\n")) << wide.toStdString();
}

TEST_F(ItemCard, AnAbsentEffectKeepsTheEarlierNameUnseenAndZeroIsAnEffect) {
  add_item(*scratch, 1, {{u"itemtype"_qs, u"10"_qs}, {u"proceffect"_qs, u"1"_qs}, {u"worneffect"_qs, u"10"_qs}});
  add_item(*scratch, 2, {{u"itemtype"_qs, u"10"_qs}, {u"worneffect"_qs, u"0"_qs}, {u"wornlevel"_qs, u"60"_qs}});
  card_of(1);
  EXPECT_EQ(card.proc_effect_name, u"Alpha");
  const QString second = card_of(2);
  EXPECT_EQ(card.proc_effect_id, -1);
  EXPECT_EQ(card.proc_effect_name, u"Alpha");
  EXPECT_FALSE(second.contains(u"Proc Effect"));
  EXPECT_TRUE(second.contains(u"\r\nWorn Effect :Zero  -- Req Level: 60\r\n"));
}

TEST_F(ItemCard, AnIdWithoutAnItemSaysSo) {
  card_of(1);
  EXPECT_EQ(kind, -1);
  EXPECT_EQ(card.itemdescr->text(), u"No item with id 1.\r\n");
  EXPECT_EQ(card.ITSname->text(), u"    --  1");
  EXPECT_EQ(sql_text, u"SELECT itemtype,itemclass,icon FROM items WHERE id='1'");
  EXPECT_FALSE(db_rs.is_open());
}

TEST_F(ItemCard, NullValuesFailEveryTestAndShowAsNothing) {
  scratch->exec(
      u"ALTER TABLE items MODIFY Name varchar(64) NULL, MODIFY magic int NULL, MODIFY nodrop int NULL, "
      "MODIFY price int NULL, MODIFY weight int NULL, MODIFY damage int NULL, MODIFY elemdmgamt int NULL, "
      "MODIFY banedmgraceamt int NULL, MODIFY classes int NULL, MODIFY itemtype int NULL, MODIFY hp int NULL, "
      "MODIFY size int NULL, MODIFY banedmgamt int NULL, MODIFY banedmgbody int NULL"_qs);
  add_item(*scratch, 9,
           {{u"Name"_qs, u"NULL"_qs},
            {u"magic"_qs, u"NULL"_qs},
            {u"nodrop"_qs, u"NULL"_qs},
            {u"price"_qs, u"NULL"_qs},
            {u"weight"_qs, u"NULL"_qs},
            {u"damage"_qs, u"NULL"_qs},
            {u"elemdmgamt"_qs, u"NULL"_qs},
            {u"banedmgraceamt"_qs, u"NULL"_qs},
            {u"classes"_qs, u"NULL"_qs},
            {u"itemtype"_qs, u"NULL"_qs},
            {u"hp"_qs, u"NULL"_qs},
            {u"size"_qs, u"NULL"_qs},
            {u"banedmgamt"_qs, u"7"_qs},
            {u"banedmgbody"_qs, u"NULL"_qs}});
  // A NULL item type counts as 0 (full card); a NULL body type matches no line.
  EXPECT_EQ(card_of(9),
            lines({u"MAGIC ITEM:NO     TRADEABLE ITEM ", u"Lore:NO", u"Slot: none", u"Bane Dmg:7   vs. Monster?",
                   u"WT:  Size: ", u"Class: ", u"Race: ", u"Price(cp): ", u"Deity: ALL ALLOWED"}));
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(card.ITSname->text(), u"    --  9");
}

TEST_F(ItemCard, MissingReferenceFilesStillGiveACard) {
  for (const char16_t* f :
       {u"classes.txt", u"races.txt", u"slots_ref.txt", u"body_types.txt", u"spells.txt", u"all_races.txt"})
    folder->remove(QString::fromUtf16(f));
  add_item(*scratch, 3,
           {{u"itemtype"_qs, u"10"_qs},
            {u"classes"_qs, u"3"_qs},
            {u"slots"_qs, u"6"_qs},
            {u"proceffect"_qs, u"1"_qs},
            {u"banedmgamt"_qs, u"1"_qs},
            {u"banedmgbody"_qs, u"0"_qs},
            {u"banedmgraceamt"_qs, u"1"_qs}});
  // Body type 0 finds no line in a missing file: the name stays "Monster?" and
  // the row keeps its line end.
  EXPECT_EQ(card_of(3), lines({u"MAGIC ITEM:NO     NO TRADE ", u"Lore:NO", u"Slot: none", u"Bane Dmg:1   vs. Monster?",
                               u"Bane Dmg: 1  vs. Unknown?", u"Proc Effect :Uknown Effect  -- Req Level: All Levels",
                               u"WT: 0 Size: TINY", u"Class:   ", u"Race: ", u"Price(cp): 0", u"Deity: ALL ALLOWED"}));
}

TEST_F(ItemCard, ADatabaseFailureIsToldOnTheCard) {
  add_item(*scratch, 4, {{u"itemtype"_qs, u"10"_qs}});
  db_settings.database = u"no_such_database_here"_qs;
  card_of(4);
  EXPECT_EQ(kind, -1);
  EXPECT_TRUE(card.itemdescr->text().startsWith(u"Could not read item 4: the database answered:\r\n"))
      << card.itemdescr->text().toStdString();
  EXPECT_GT(card.itemdescr->text().size(), 50);
  EXPECT_EQ(card.ITSname->text(), u"    --  4");
  EXPECT_TRUE(io.messages.empty());
}

}  // namespace
