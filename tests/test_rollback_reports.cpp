// Writes that fail half-way on tables that cannot roll back (MyISAM): the
// report must not say that nothing was written or changed when part of it
// stayed, and must say that it did.
#include "editor/repair_commands.h"
#include "test_item_search_support.h"

#include <QAction>
#include <QLineEdit>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

class RollbackReports;

// One write that fails half-way: what it needs on screen, the fault, and the
// operator's action.
struct HalfWrite {
  const char* name;
  std::function<void(RollbackReports&)> run;
};
void PrintTo(const HalfWrite& c, std::ostream* os) { *os << c.name; }

class RollbackReports : public item_search_testing::ItemSearch, public testing::WithParamInterface<HalfWrite> {
 public:
  // What the cases reach of the windows and the database.
  using ItemSearch::io;
  using ItemSearch::list;
  using ItemSearch::s;
  using ItemSearch::scratch;
  using ItemSearch::tables;
  using ItemSearch::type;
  using ItemSearch::w;

  void SetUp() override {
    ItemSearch::SetUp();
    for (const QString& table : {u"lootdrop"_s, u"lootdrop_entries"_s, u"loottable"_s, u"loottable_entries"_s,
                                 u"npc_types"_s, u"variables"_s}) {
      scratch->exec(u"ALTER TABLE "_s + table + u" ENGINE=MyISAM"_s);
    }
    items({u"1001=Cloth Cap"_s, u"1002=Bone Chips"_s, u"5019=rusty dagger"_s});
    scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (7,'seven'),(8,'Korvex3_Custom_Drop')"_s);
    entries(7, {u"1001|1|0|25|0|1|127|1"_s, u"1002|1|0|150|0|1|127|1"_s});
    entries(8, {u"1001|1|0|300|0|1|127|1"_s});
    links(57, {u"7|1|1|0|100"_s, u"8|1|1|0|50"_s});
    links(58, {u"7|1|1|0|100"_s});
  }
  QStringList everything() {
    return scratch->rows(u"SELECT id,name FROM lootdrop ORDER BY id"_s) +
           scratch->rows(u"SELECT lootdrop_id,item_id,chance FROM lootdrop_entries ORDER BY 1,2"_s) +
           scratch->rows(u"SELECT loottable_id,lootdrop_id,multiplier FROM loottable_entries ORDER BY 1,2"_s) +
           scratch->rows(u"SELECT id FROM loottable ORDER BY id"_s) +
           scratch->rows(u"SELECT id,loottable_id FROM npc_types ORDER BY id"_s);
  }
  // Every row `event` meets (e.g. "BEFORE INSERT ON lootdrop") for which
  // `condition` holds is refused by the server.
  void refuse(const QString& event, const QString& condition = u"TRUE"_s) {
    scratch->exec(u"CREATE TRIGGER refuse_it "_s + event + u" FOR EACH ROW BEGIN IF "_s + condition +
                  u" THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='refused here'; END IF; END"_s);
  }
  // Loot table 57 and lootdrop 7 on screen, as after an NPC press.
  void shown() {
    cur_loottable_id = 57;
    ASSERT_TRUE(tables->decode_loottableE());
    cur_lootdrop_id = 7;
    ASSERT_TRUE(drops->decode_lootdropE());
  }
  // One NPC (12) listed, with the given loot table.
  void one_npc(double loottable) {
    w->allgrids->setRowCount(1);
    w->allgrids->setCellValue(1, 1, 12.0);
    w->allgrids->setCellValue(1, 5, loottable);
  }
};

TEST_P(RollbackReports, APartialWriteIsNeverReportedAsNothingWritten) {
  const QStringList before = everything();
  GetParam().run(*this);
  // Something stayed: that is what the report must say.
  EXPECT_NE(everything(), before);
  ASSERT_FALSE(io.messages.empty());
  const QString& report = io.messages.front();
  EXPECT_FALSE(report.contains(u"nothing was"_s, Qt::CaseInsensitive)) << report.toStdString();
  EXPECT_TRUE(report.contains(u"cannot roll back"_s)) << report.toStdString();
  EXPECT_TRUE(report.contains(u"refused here"_s) || report.startsWith(u"Make sure NO duplicate"_s))
      << report.toStdString();
}

const HalfWrite kHalfWrites[] = {
    {"LootdropSave",  // the entries went, one came back
     [](RollbackReports& t) {
       t.shown();
       t.refuse(u"BEFORE INSERT ON lootdrop_entries"_s, u"NEW.item_id=1002"_s);
       RollbackReports::type(t.w->lootdropE, 1, 5, u"30"_s);
     }},
    {"LoottableSave",  // the links went, one came back
     [](RollbackReports& t) {
       t.shown();
       RollbackReports::type(t.w->loottableE, 2, 1, u"7"_s);
     }},
    {"PlaceholderLootdrop",  // the link went in, the entry was refused
     [](RollbackReports& t) {
       t.shown();
       t.refuse(u"BEFORE INSERT ON lootdrop_entries"_s);
       t.tables->plusrow_Click();
     }},
    {"DeleteLootdrop",  // its links went, the lootdrop was refused
     [](RollbackReports& t) {
       t.refuse(u"BEFORE DELETE ON lootdrop"_s);
       t.io.answers = {u"7"_s};
       t.w->LOOTDROP_wipe->trigger();
     }},
    {"DeleteLootdropFirstStatement",  // one of its two links went, the other was refused
     [](RollbackReports& t) {
       t.refuse(u"BEFORE DELETE ON loottable_entries"_s, u"OLD.loottable_id=58"_s);
       t.io.answers = {u"7"_s};
       t.w->LOOTDROP_wipe->trigger();
     }},
    {"FixChancesFirstStatement",  // one of two chances above 100 went to 100, the other was refused
     [](RollbackReports& t) {
       t.refuse(u"BEFORE UPDATE ON lootdrop_entries"_s, u"OLD.chance=300"_s);
       t.w->percX_fix->trigger();
     }},
    {"FixChances",  // the first updates went, the last was refused
     [](RollbackReports& t) {
       t.refuse(u"BEFORE UPDATE ON lootdrop_entries"_s, u"NEW.chance > OLD.chance * 50"_s);
       t.w->percX_fix->trigger();
     }},
    {"MakeLoottables",  // the loot table went in, its link was refused
     [](RollbackReports& t) {
       t.scratch->exec(u"INSERT INTO npc_types (id,name,loottable_id) VALUES (12,'b',0)"_s);
       t.one_npc(0);
       t.refuse(u"BEFORE INSERT ON loottable_entries"_s);
       t.w->fix_loot_for_empty_loottablesx->trigger();
     }},
    {"RandomLoot",  // links and entries went in, the lootdrops were refused
     [](RollbackReports& t) {
       t.one_npc(57);
       t.list({u"1001|Cloth Cap"_s});
       t.s->perc->setText(u"100"_s);
       t.s->number_drops_per_lootdrop->setText(u"1"_s);
       t.refuse(u"BEFORE INSERT ON lootdrop"_s);
       t.s->go_Click();
     }},
    {"CustomLootRemoval",  // the lootdrop went, its links were refused
     [](RollbackReports& t) {
       t.refuse(u"BEFORE DELETE ON loottable_entries"_s);
       t.s->delete_custom_loot_Click();
     }},
};

INSTANTIATE_TEST_SUITE_P(OnMyIsamTables, RollbackReports, testing::ValuesIn(kHalfWrites),
                         [](const testing::TestParamInfo<HalfWrite>& info) { return std::string(info.param.name); });

// A save's own copy of the entries is no data of the world: on a server
// whose default engine cannot roll back, a refused save on tables that can
// still changes nothing and says so.
class CopyOnAServerThatCannotRollBack : public loot_grids_testing::LootGrids {};

TEST_F(CopyOnAServerThatCannotRollBack, ARefusedSaveStillChangesNothingAndSaysSo) {
  items({u"1001=Cloth Cap"_s, u"1002=Bone Chips"_s});
  // A column the grid does not show, so the save copies the links too.
  scratch->exec(u"ALTER TABLE loottable_entries ADD COLUMN spare_note TEXT NULL"_s);
  scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (7,'seven'),(8,'eight')"_s);
  entries(7, {u"1001|1|0|25|0|1|127|1"_s, u"1002|1|0|15|0|1|127|1"_s});
  links(57, {u"7|1|1|0|100"_s, u"8|1|1|0|50"_s});
  cur_loottable_id = 57;
  ASSERT_TRUE(tables->decode_loottableE());
  cur_lootdrop_id = 7;
  ASSERT_TRUE(drops->decode_lootdropE());
  const struct {
    const char* name;
    IGrid* grid;
    QString report;
  } cases[] = {{"lootdrop grid", w->lootdropE, u"Saving lootdrop 7 (nothing was changed) failed"_s},
               {"loot table grid", w->loottableE, u"Make sure NO duplicate lootdrops exist!"_s}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QStringList before = stored_entries(7) + stored_links(57);
    io.messages.clear();
    // The save runs on the connection as it is, with these defaults.
    db_conn.execute(u"SET SESSION default_storage_engine=MyISAM, default_tmp_storage_engine=MyISAM"_s);
    // Row 2 takes row 1's key: its insert is refused.
    type(c.grid, 2, 1, c.grid->CellValue(1, 1).toString());
    EXPECT_EQ(stored_entries(7) + stored_links(57), before);
    ASSERT_EQ(io.messages.size(), 1u);
    EXPECT_TRUE(io.messages[0].startsWith(c.report)) << io.messages[0].toStdString();
    EXPECT_FALSE(io.messages[0].contains(u"cannot roll back"_s)) << io.messages[0].toStdString();
  }
}

}  // namespace
