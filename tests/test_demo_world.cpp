// The demo world generator (scripts/demo_world.py) at a tiny scale: it must
// load cleanly and hold together the way the editor expects of a real world.

#include "support/testdb.h"

#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using testing_support::DbTest;

namespace {

constexpr double kScale = 0.01;

// Runs the generator; returns the SQL it wrote (empty on failure).
QByteArray generate(const QStringList& extra_args) {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("world.sql"));
  QProcess p;
  p.start(QStringLiteral("python3"),
          QStringList{QStringLiteral(LOOT_SOURCE_DIR "/scripts/demo_world.py"), QStringLiteral("--quiet"),
                      QStringLiteral("--scale"), QString::number(kScale), QStringLiteral("-o"), out} +
              extra_args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    ADD_FAILURE() << "demo_world.py failed: " << p.readAllStandardError().toStdString();
    return {};
  }
  QFile f(out);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

const QByteArray& tiny_world() {
  static const QByteArray sql = generate({});
  return sql;
}

class DemoWorld : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    ASSERT_FALSE(tiny_world().isEmpty());
    load(tiny_world());
  }

  // Through the mariadb client, as scripts/run.sh loads the full world.
  void load(const QByteArray& sql) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("world.sql"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(sql);
    f.close();
    const auto server = testing_support::server_info();
    QProcess p;
    p.setStandardInputFile(file);
    p.start(QStringLiteral("mariadb"),
            {QStringLiteral("--no-defaults"), QStringLiteral("--protocol=TCP"), QStringLiteral("-h127.0.0.1"),
             QStringLiteral("-P") + QString::number(server.port), QStringLiteral("-u") + server.user,
             QStringLiteral("-p") + server.password, scratch->name()});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  }

  int number(const QString& sql) { return scratch->scalar(sql).toInt(); }
};

TEST(DemoWorldScript, SameSeedGivesTheSameWorldAndAnotherSeedAnother) {
  const QByteArray again = generate({});
  ASSERT_FALSE(again.isEmpty());
  EXPECT_EQ(QCryptographicHash::hash(again, QCryptographicHash::Sha256),
            QCryptographicHash::hash(tiny_world(), QCryptographicHash::Sha256));
  EXPECT_NE(generate({QStringLiteral("--seed"), QStringLiteral("7")}), tiny_world());
  // The load must announce its character set: the file is UTF-8, the columns latin1.
  EXPECT_TRUE(tiny_world().contains("SET NAMES utf8mb4;"));
}

TEST_F(DemoWorld, CountsFollowTheScaleAndIdsAreSpread) {
  EXPECT_EQ(scratch->count(QStringLiteral("npc_types")), 1000);
  EXPECT_EQ(scratch->count(QStringLiteral("items")), 1000);
  EXPECT_EQ(scratch->count(QStringLiteral("loottable")), 260);
  EXPECT_EQ(scratch->count(QStringLiteral("lootdrop")), 520);
  EXPECT_EQ(scratch->count(QStringLiteral("lootdrop_entries")), 1500);
  EXPECT_GE(scratch->count(QStringLiteral("zone")), 6);
  EXPECT_GT(number(QStringLiteral("SELECT MAX(id) FROM npc_types")), 5 * 1000);
  EXPECT_GT(number(QStringLiteral("SELECT MAX(id) FROM lootdrop")), 2 * 520);
  // About nine NPCs in ten carry a loot table; some carry none.
  const int with_loot = scratch->count(QStringLiteral("npc_types"), QStringLiteral("loottable_id<>0"));
  EXPECT_GT(with_loot, 850);
  EXPECT_LT(with_loot, 960);
  // The editor makes its own lootdrop and variables row at first start.
  EXPECT_EQ(scratch->count(QStringLiteral("variables")), 0);
  EXPECT_EQ(scratch->count(QStringLiteral("lootdrop"), QStringLiteral("name='ZiridezivuR3'")), 0);
}

TEST_F(DemoWorld, EveryLinkPointsAtARowThatExists) {
  EXPECT_EQ(number(QStringLiteral("SELECT COUNT(*) FROM spawnentry e LEFT JOIN npc_types n ON n.id=e.npcID "
                                  "WHERE n.id IS NULL")),
            0);
  EXPECT_EQ(number(QStringLiteral("SELECT COUNT(*) FROM spawnentry e LEFT JOIN spawngroup g "
                                  "ON g.id=e.spawngroupID WHERE g.id IS NULL")),
            0);
  EXPECT_EQ(number(QStringLiteral("SELECT COUNT(*) FROM spawn2 s LEFT JOIN zone z ON z.short_name=s.zone "
                                  "WHERE z.id IS NULL")),
            0);
  EXPECT_EQ(number(QStringLiteral("SELECT COUNT(*) FROM loottable_entries e "
                                  "LEFT JOIN loottable t ON t.id=e.loottable_id "
                                  "LEFT JOIN lootdrop d ON d.id=e.lootdrop_id WHERE t.id IS NULL OR d.id IS NULL")),
            0);
  EXPECT_EQ(number(QStringLiteral("SELECT COUNT(*) FROM lootdrop_entries e LEFT JOIN items i ON i.id=e.item_id "
                                  "LEFT JOIN lootdrop d ON d.id=e.lootdrop_id WHERE i.id IS NULL OR d.id IS NULL")),
            0);
  EXPECT_EQ(number(QStringLiteral("SELECT COUNT(*) FROM npc_types n LEFT JOIN loottable t ON t.id=n.loottable_id "
                                  "WHERE n.loottable_id<>0 AND t.id IS NULL")),
            0);
  // An NPC's loot table always has entries, so pressing any NPC shows loot.
  EXPECT_EQ(
      number(QStringLiteral("SELECT COUNT(*) FROM npc_types n LEFT JOIN loottable_entries e "
                            "ON e.loottable_id=n.loottable_id WHERE n.loottable_id<>0 AND e.loottable_id IS NULL")),
      0);
  // The loot table grid's placeholder entry needs exactly one item of this name.
  EXPECT_EQ(scratch->rows(QStringLiteral("SELECT id FROM items WHERE name='rusty dagger'")).size(), 1);
}

TEST_F(DemoWorld, ItemColumnsHoldWhatTheItemCardDecodes) {
  const auto bad = [&](const QString& where) { return scratch->count(QStringLiteral("items"), where); };
  EXPECT_EQ(bad(QStringLiteral("classes NOT BETWEEN 1 AND 65535 OR races NOT BETWEEN 1 AND 65535 "
                               "OR slots NOT BETWEEN 0 AND 4194303 OR deity NOT BETWEEN 0 AND 131071")),
            0);
  for (const char* effect : {"proceffect", "focuseffect", "clickeffect", "worneffect", "scrolleffect"}) {
    const QString col = QString::fromLatin1(effect);
    EXPECT_EQ(bad(col + QStringLiteral("<>-1 AND ") + col + QStringLiteral(" NOT BETWEEN 1 AND 4000")), 0) << effect;
    EXPECT_GT(bad(col + QStringLiteral("<>-1")), 0) << effect;
  }
  EXPECT_EQ(bad(QStringLiteral("itemtype=20 AND scrolleffect=-1")), 0);
  EXPECT_EQ(bad(QStringLiteral("itemclass=1 AND bagslots=0")), 0);
  EXPECT_GT(bad(QStringLiteral("itemclass=1")), 0);
  EXPECT_EQ(bad(QStringLiteral("itemclass=0 AND itemtype IN (0,1,2,3,4,5,7,19,35,45) AND (damage=0 OR delay=0)")), 0);
  EXPECT_EQ(bad(QStringLiteral("itemtype IN (8,10) AND ac=0")), 0);
  EXPECT_GT(bad(QStringLiteral("loregroup=-1")), 0);
  EXPECT_GT(bad(QStringLiteral("loregroup>0")), 0);
}

TEST_F(DemoWorld, NamesWithApostrophesAndAccentsComeBackUnchanged) {
  EXPECT_EQ(scratch->scalar(QStringLiteral("SELECT Name FROM items WHERE Name LIKE 'Tarn%Blade'")), u"Tarn's Blade");
  EXPECT_EQ(scratch->scalar(QStringLiteral("SELECT name FROM npc_types WHERE name LIKE 'D%rvek_Stonehand'")),
            u"D\u00fcrvek_Stonehand");
  EXPECT_EQ(scratch->scalar(QStringLiteral("SELECT name FROM npc_types WHERE name LIKE '#Sh%vla_the_Pale'")),
            u"#Sh\u00e9vla_the_Pale");
  const QString showcase = scratch->scalar(
      QStringLiteral("SELECT short_name FROM zone WHERE long_name LIKE 'Sh%vla''s Hollow' AND version=0"));
  EXPECT_EQ(
      scratch->scalar(QStringLiteral("SELECT long_name FROM zone WHERE version=0 AND short_name='") + showcase + u'\''),
      u"Sh\u00e9vla's Hollow");
  EXPECT_EQ(scratch->count(QStringLiteral("zone"), QStringLiteral("short_name='") + showcase + u'\''), 3);
  EXPECT_GT(scratch->count(QStringLiteral("npc_types"), QStringLiteral("name='a_hyvrel_pup'")), 0);
  // Stored as one latin1 byte per letter, not as UTF-8 read as latin1.
  EXPECT_EQ(scratch->scalar(QStringLiteral("SELECT HEX(name) FROM npc_types WHERE name LIKE 'D%rvek_Stonehand'")),
            u"44FC7276656B5F53746F6E6568616E64");
}

TEST_F(DemoWorld, ZoneWithSeveralRowsListsEachNpcOnce) {
  const QString zone = scratch->scalar(
      QStringLiteral("SELECT short_name FROM zone GROUP BY short_name HAVING COUNT(*)>1 ORDER BY short_name LIMIT 1"));
  ASSERT_FALSE(zone.isEmpty());
  // The zone loader's own statement.
  const QStringList rows =
      scratch->rows(QStringLiteral("SELECT DISTINCT spawnentry.npcID,npc_types.name,npc_types.level,spawn2.zone,"
                                   "npc_types.loottable_id FROM spawnentry, npc_types, spawngroup, spawn2 "
                                   "WHERE (spawnentry.npcID=npc_types.id) AND (spawnentry.spawngroupID=spawngroup.id) "
                                   "AND (spawn2.spawngroupID = spawnentry.spawngroupID) AND (spawn2.zone=\"") +
                    zone + QStringLiteral("\") ORDER BY npc_types.id"));
  const int distinct = number(QStringLiteral("SELECT COUNT(DISTINCT e.npcID) FROM spawnentry e JOIN spawn2 s "
                                             "ON s.spawngroupID=e.spawngroupID WHERE s.zone='") +
                              zone + u'\'');
  EXPECT_GT(distinct, 10);
  EXPECT_EQ(rows.size(), distinct);
  int previous = 0;
  for (const QString& row : rows) {
    const int id = row.section(u'|', 0, 0).toInt();
    EXPECT_GT(id, previous);
    previous = id;
  }
  // Some NPCs spawn in more than one group of a zone, which is what DISTINCT is for.
  EXPECT_GT(number(QStringLiteral("SELECT COUNT(*) FROM (SELECT e.npcID FROM spawnentry e JOIN spawn2 s "
                                  "ON s.spawngroupID=e.spawngroupID GROUP BY s.zone, e.npcID "
                                  "HAVING COUNT(DISTINCT e.spawngroupID)>1) x")),
            0);
}

}  // namespace
