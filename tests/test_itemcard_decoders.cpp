// Reference tables and the mask and effect decoders of the item card.
#include "itemcard/item_stats.h"
#include "itemcard/reference_files.h"
#include "test_itemcard_support.h"

#include <gtest/gtest.h>
#include <QDateTime>

using itemcard_testing::ResourceFolder;

namespace {

class ItemCardTables : public ::testing::Test {
 protected:
  ResourceFolder folder;
  Item_Stats card;
};

TEST_F(ItemCardTables, FilesFillTheirTablesInReverseAndLeaveTheRestEmpty) {
  folder.write_standard();
  card.load_all();
  // Field k lands at 17 - k: the first field names the lowest bit.
  EXPECT_EQ(card.class_names[16], u"Cls01");
  EXPECT_EQ(card.class_names[1], u"Cls16");
  EXPECT_EQ(card.race_names[13], u"Rc04");
  // Record k lands at 24 - k; the never shown first record sits at 23.
  EXPECT_EQ(card.slot_names[23], u"Spare");
  EXPECT_EQ(card.slot_names[22], u"Charm");
  EXPECT_EQ(card.slot_names[1], u"Ammo");
  EXPECT_EQ(card.body_type_lines[0], u"00- Body 00");
  EXPECT_EQ(card.body_type_lines[36], u"36- Body 36");
  for (std::size_t i : {0u, 17u, 40u, 64u}) EXPECT_TRUE(card.class_names[i].isEmpty()) << i;
  for (std::size_t i : {0u, 17u, 32u}) EXPECT_TRUE(card.race_names[i].isEmpty()) << i;
  for (std::size_t i : {0u, 24u, 32u}) EXPECT_TRUE(card.slot_names[i].isEmpty()) << i;
  EXPECT_TRUE(card.body_type_lines[37].isEmpty());
  EXPECT_TRUE(card.body_type_lines[38].isEmpty());
}

TEST_F(ItemCardTables, FieldsReadAlikeWhateverTheirLinesAndExtraRecordsAreIgnored) {
  // All sixteen classes on one line, blanks before a name dropped, inner ones kept.
  folder.write(QStringLiteral("classes.txt"),
               {QStringLiteral("One,  Two Words,\"Three, Quoted\",4,5,6,7,8,9,10,11,12,13,14,15,Sixteen,Seventeen")});
  QStringList slot_lines = ResourceFolder::slot_records();
  slot_lines << QStringLiteral("Extra Slot,99");
  folder.write(QStringLiteral("slots_ref.txt"), slot_lines);
  QStringList bodies;
  for (int n = 0; n < 38; ++n) bodies << QStringLiteral("%1  Line %1").arg(n, 2, 10, QChar(u'0'));
  folder.write(QStringLiteral("body_types.txt"), bodies);
  card.load_all();
  EXPECT_EQ(card.class_names[16], u"One");
  EXPECT_EQ(card.class_names[15], u"Two Words");
  EXPECT_EQ(card.class_names[14], u"Three, Quoted");
  EXPECT_EQ(card.class_names[1], u"Sixteen");
  EXPECT_TRUE(card.class_names[0].isEmpty());
  EXPECT_EQ(card.slot_names[1], u"Ammo");
  EXPECT_TRUE(card.slot_names[0].isEmpty());
  EXPECT_EQ(card.body_type_lines[36], u"36  Line 36");
  EXPECT_TRUE(card.body_type_lines[37].isEmpty());
}

TEST_F(ItemCardTables, MissingOrShortFilesLeaveEmptyNamesAndAReloadForgetsOldOnes) {
  folder.write_standard();
  card.load_all();
  folder.remove(QStringLiteral("classes.txt"));
  folder.write(QStringLiteral("races.txt"), {QStringLiteral("Only,Two")});
  folder.write(QStringLiteral("body_types.txt"), {QStringLiteral("01- Single")});
  folder.write_bytes(QStringLiteral("slots_ref.txt"), QByteArray("Spare,0\r\nCharm"));
  card.load_all();
  for (const QString& name : card.class_names) EXPECT_TRUE(name.isEmpty());
  EXPECT_EQ(card.race_names[16], u"Only");
  EXPECT_EQ(card.race_names[15], u"Two");
  EXPECT_TRUE(card.race_names[14].isEmpty());
  EXPECT_EQ(card.body_type_lines[0], u"01- Single");
  EXPECT_TRUE(card.body_type_lines[1].isEmpty());
  EXPECT_EQ(card.slot_names[22], u"Charm");
  EXPECT_TRUE(card.slot_names[21].isEmpty());
}

TEST(ItemCardBits, DigitsOfTheLowBitsHighestFirst) {
  Item_Stats card;
  const auto digits = [&](std::int32_t value, std::int16_t bits) {
    card.dec_2_bin(value, bits);
    return card.bin_text;
  };
  EXPECT_EQ(digits(5, 4), u"0101");
  EXPECT_EQ(digits(1 << 16, 16), u"0000000000000000");
  EXPECT_EQ(digits(-1, 16), u"1111111111111111");
  EXPECT_EQ(digits(7, 0), u"");
  EXPECT_EQ(digits(0x200001, 22), u"1000000000000000000001");
  EXPECT_EQ(digits(-2, 31), QString(30, u'1') + u'0');
}

class ItemCardDecoders : public ItemCardTables {
 protected:
  void SetUp() override {
    folder.write_standard();
    card.load_all();
  }
  QString decode(void (Item_Stats::*decoder)(const QString&), QString Item_Stats::*text, std::int32_t mask,
                 std::int16_t bits) {
    card.*text = QString();
    card.dec_2_bin(mask, bits);
    (card.*decoder)(card.bin_text);
    return card.*text;
  }
  QString classes(std::int32_t m) { return decode(&Item_Stats::class_decode, &Item_Stats::class_text, m, 16); }
  QString races(std::int32_t m) { return decode(&Item_Stats::race_decode, &Item_Stats::race_text, m, 16); }
  QString deities(std::int32_t m) { return decode(&Item_Stats::deity_decode, &Item_Stats::deity_text, m, 17); }
  QString slot_names_of(std::int32_t mask) {
    card.dec_2_bin(mask, 22);
    card.slots_decode(card.bin_text);
    return card.slot_text;
  }
};

TEST_F(ItemCardDecoders, ClassAndRaceNamesFromTheHighestBitEachWithABlank) {
  EXPECT_EQ(classes(1), u"Cls01 ");
  EXPECT_EQ(classes(0b1000000000000101), u"Cls16 Cls03 Cls01 ");
  EXPECT_EQ(classes(0xFFFF), u"ALL");
  EXPECT_EQ(classes(0), u"");
  EXPECT_EQ(races(0b110), u"Rc03 Rc02 ");
  EXPECT_EQ(races(-1), u"ALL");
  // The caller empties the text; a decoder only appends.
  card.class_text = QStringLiteral("kept ");
  card.dec_2_bin(2, 16);
  card.class_decode(card.bin_text);
  EXPECT_EQ(card.class_text, u"kept Cls02 ");
}

TEST_F(ItemCardDecoders, DeitiesFromTheBuiltInList) {
  EXPECT_EQ(deities(0), u"ALL ALLOWED");
  EXPECT_EQ(deities(0x1FFFF), u"ALL");
  EXPECT_EQ(deities(1), u"AGNOSTIC ");
  EXPECT_EQ(deities(1 << 16), u"VEESHAN ");
  EXPECT_EQ(deities((1 << 10) | (1 << 7) | 8), u"QUELLIOUS KARANA CAZIC ");
  // Bit 17 lies beyond the seventeen digits.
  EXPECT_EQ(deities(1 << 17), u"ALL ALLOWED");
}

TEST_F(ItemCardDecoders, SlotPairsAreNamedOnceAndJoinedByCommas) {
  constexpr int charm = 1 << 0, left_ear = 1 << 1, head = 1 << 2, right_ear = 1 << 4, left_wrist = 1 << 9,
                right_wrist = 1 << 10, primary = 1 << 13, left_finger = 1 << 15, right_finger = 1 << 16, ammo = 1 << 21;
  EXPECT_EQ(slot_names_of(left_ear | right_ear), u"Ears");
  EXPECT_EQ(slot_names_of(left_ear | right_ear | charm), u"Ears,Charm");
  EXPECT_EQ(slot_names_of(primary | right_ear | head | left_ear), u"Primary,Ears,Head");
  EXPECT_EQ(slot_names_of(left_wrist | right_wrist | left_finger | right_finger), u"Fingers,Wrists");
  EXPECT_EQ(slot_names_of(ammo), u"Ammo");
  EXPECT_EQ(slot_names_of(0), u"");
  // Bit 22 (the spare record) is beyond the 22 digits.
  EXPECT_EQ(slot_names_of(1 << 22), u"");
}

TEST_F(ItemCardDecoders, SlotMergingComparesExactNamesButFindsTheWordAnywhere) {
  QStringList records = ResourceFolder::slot_records();
  records[2] = QStringLiteral("left ear,2");         // not "Left Ear": stays as written
  records[22] = QStringLiteral("Earstuds,2097152");  // bit 21, holds the word "Ears"
  folder.write(QStringLiteral("slots_ref.txt"), records);
  card.load_all();
  EXPECT_EQ(slot_names_of((1 << 4) | (1 << 1)), u"Ears,left ear");
  // "Ears" is already inside "Earstuds", so the right ear adds nothing.
  EXPECT_EQ(slot_names_of((1 << 21) | (1 << 4)), u"Earstuds");
  EXPECT_EQ(slot_names_of((1 << 21) | (1 << 2)), u"Earstuds,Head");
}

TEST_F(ItemCardDecoders, EffectNamesFromTheSpellFile) {
  const auto proc = [&](std::int32_t id) {
    card.decode_proceffect(id);
    return card.proc_effect_name;
  };
  EXPECT_EQ(proc(1), u"Alpha");
  EXPECT_EQ(proc(7), u"Seven");          // written as 007
  EXPECT_EQ(proc(10), u"Ten");           // the first of two lines wins
  EXPECT_EQ(proc(0), u"Zero");           // "abc^..." is no spell 0
  EXPECT_EQ(proc(8), u"Uknown Effect");  // matching line with an empty name
  EXPECT_EQ(proc(4), u"Uknown Effect");  // no such line
  card.decode_focuseffect(3);
  card.decode_clickeffect(1);
  card.decode_worneffect(10);
  EXPECT_EQ(card.focus_effect_name, u"Scroll Three");
  EXPECT_EQ(card.click_effect_name, u"Alpha");
  EXPECT_EQ(card.worn_effect_name, u"Ten");
  EXPECT_EQ(card.proc_effect_name, u"Uknown Effect");

  folder.write_bytes(QStringLiteral("spells.txt"), QByteArray());
  EXPECT_EQ(proc(1), u"Uknown Effect");
  folder.remove(QStringLiteral("spells.txt"));
  EXPECT_EQ(proc(1), u"Uknown Effect");
}

TEST(ItemCardReferenceFiles, AChangedFileIsReadAgain) {
  ResourceFolder folder;
  const QString spells = folder.path(QStringLiteral("spells.txt"));
  folder.write(QStringLiteral("spells.txt"), {QStringLiteral("5^Old Name")});
  EXPECT_EQ(itemcard::spell_name(spells, 5), u"Old Name");
  folder.write(QStringLiteral("spells.txt"), {QStringLiteral("5^Brand New Name")});
  EXPECT_EQ(itemcard::spell_name(spells, 5), u"Brand New Name");

  // Same size, new content: the time of the change tells it apart.
  folder.write(QStringLiteral("spells.txt"), {QStringLiteral("5^Brand Old Name")});
  {
    QFile f(spells);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
  }
  EXPECT_EQ(itemcard::spell_name(spells, 5), u"Brand Old Name");
  folder.remove(QStringLiteral("spells.txt"));
  EXPECT_FALSE(itemcard::spell_name(spells, 5).has_value());

  const QString races = folder.path(QStringLiteral("all_races.txt"));
  folder.write(QStringLiteral("all_races.txt"), {QStringLiteral("1,Before")});
  EXPECT_EQ(itemcard::race_name(races, 1), u"Before");
  folder.write(QStringLiteral("all_races.txt"), {QStringLiteral("1,After it changed")});
  EXPECT_EQ(itemcard::race_name(races, 1), u"After it changed");
}

TEST(ItemCardReferenceFiles, RaceRecordsArePairsOfFieldsWhateverTheLines) {
  ResourceFolder folder;
  const QString races = folder.path(QStringLiteral("all_races.txt"));
  QStringList records = ResourceFolder::race_records(360);
  records[20] = QStringLiteral("  \"500\", \"Five Hundred, Quoted\"");  // quotes and blanks
  records[21] = QStringLiteral("x22,Not A Number");
  folder.write(QStringLiteral("all_races.txt"), records);
  EXPECT_EQ(itemcard::race_name(races, 500), u"Five Hundred, Quoted");
  EXPECT_FALSE(itemcard::race_name(races, 22).has_value());
  EXPECT_EQ(itemcard::race_name(races, 360), u"Race 360");

  // Two records on one line and one spread over two lines read alike.
  folder.write(QStringLiteral("all_races.txt"), {QStringLiteral("1,One,2"), QStringLiteral("Two")});
  EXPECT_EQ(itemcard::race_name(races, 1), u"One");
  EXPECT_EQ(itemcard::race_name(races, 2), u"Two");
}

}  // namespace
