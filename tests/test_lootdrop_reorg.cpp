#include "controls/grid_model.h"
#include "editor/lootdrop_reorg.h"
#include "test_repair_support.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;
using repair_testing::RepairTest;

namespace {

class Renumbering : public RepairTest {
 protected:
  void TearDown() override {
    if (lootdrop_reorg* r = lootdrop_reorg::loaded()) r->close();
    RepairTest::TearDown();
  }
  lootdrop_reorg& window() {
    w->Reorganize_Lootdrop_table->trigger();
    lootdrop_reorg* r = lootdrop_reorg::loaded();
    r->progress_observer = [this](const QString& text) { progress << text; };
    return *r;
  }
  QStringList go() {
    progress.clear();
    window().Command1_Click();
    return progress;
  }
  void lootdrops(std::initializer_list<int> ids) {
    for (const int id : ids) scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (%1,'drop%1')"_s.arg(id));
  }
  static QString header(const IGrid* grid, int col) {
    return grid->model()->headerData(col - 1, Qt::Horizontal).toString();
  }
  QStringList progress;
};

const QString kLoading = u"Loading..pls wait.."_s;
const QString kCompleted = u"COMPLETED!"_s;

TEST_F(Renumbering, WindowOpensOnceWithItsControlsAndGoesWithTheMainWindow) {
  EXPECT_TRUE(w->Reorganize_Lootdrop_table->isEnabled());
  lootdrop_reorg& r = window();
  EXPECT_EQ(&window(), &r);
  EXPECT_TRUE(r.isVisible());
  EXPECT_EQ(r.windowTitle(), u"Form1"_s);
  EXPECT_EQ(r.size(), QSize(839, 571));
  EXPECT_EQ(r.itms->geometry(), QRect(0, 0, 345, 545));
  EXPECT_EQ(r.Command1->text(), u"GO"_s);
  EXPECT_EQ(r.Command1->geometry(), QRect(416, 48, 121, 25));
  EXPECT_EQ(r.out->text(), u"Hit go to start process"_s);
  EXPECT_EQ(r.out->geometry(), QRect(360, 88, 473, 57));
  EXPECT_EQ(r.out->font().pointSizeF(), 21.75);
  EXPECT_EQ(r.itms->ColCount(), 0);
  EXPECT_EQ(r.itms->RowCount(), 0);

  r.close();
  EXPECT_EQ(lootdrop_reorg::loaded(), nullptr);
  EXPECT_NE(&window(), nullptr);
  EXPECT_THROW(w->Form_Unload(), testing_support::ProgramEnded);
  EXPECT_EQ(lootdrop_reorg::loaded(), nullptr);
}

TEST_F(Renumbering, WithoutLootdropsTheListStaysEmpty) {
  EXPECT_EQ(go(), (QStringList{kLoading, kCompleted}));
  const lootdrop_reorg& r = *lootdrop_reorg::loaded();
  EXPECT_EQ(r.itms->ColCount(), 2);
  EXPECT_EQ(r.itms->RowCount(), 0);
  EXPECT_EQ(r.out->text(), kCompleted);
  EXPECT_EQ(sql_text, u"SELECT distinct(id) from lootdrop"_s);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(Renumbering, GapsCloseInAscendingOrderCarryingEntriesAndLinks) {
  lootdrops({12, 3, 8, 7});
  entries(3, {u"1001|1|0|25|0|1|127|1"_s});
  entries(7, {u"1002|1|0|25|0|1|127|1"_s, u"1003|1|0|25|0|1|127|1"_s});
  entries(12, {u"1001|1|0|25|0|1|127|1"_s});
  links(100, {u"3|1|1|0|100"_s, u"12|1|1|0|100"_s});
  links(101, {u"7|1|1|0|100"_s});
  // A link to a lootdrop that does not exist, beyond the new ids: left alone.
  links(102, {u"99|1|1|0|100"_s});
  something_current();

  EXPECT_EQ(go(), (QStringList{kLoading, u"Moving from #3 to #1"_s, u"Moving from #7 to #2"_s,
                               u"Moving from #8 to #3"_s, u"Moving from #12 to #4"_s, kCompleted}));
  const lootdrop_reorg& r = *lootdrop_reorg::loaded();
  EXPECT_EQ(shown(r.itms), (QStringList{u"1|1"_s, u"2|2"_s, u"3|3"_s, u"4|4"_s}));
  EXPECT_EQ(loot_rows(),
            (QStringList{u"1|drop3"_s, u"2|drop7"_s, u"3|drop8"_s, u"4|drop12"_s, u"1|1001|25"_s, u"2|1002|25"_s,
                         u"2|1003|25"_s, u"4|1001|25"_s, u"100|1"_s, u"100|4"_s, u"101|2"_s, u"102|99"_s}));
  EXPECT_EQ(rec_count, 4);
  // The main window named lootdrops by their old ids.
  EXPECT_EQ(lower_grids(), nothing_shown());
  EXPECT_TRUE(io.messages.empty());

  // A second press finds nothing to move and leaves the main window alone.
  something_current();
  EXPECT_EQ(go(), (QStringList{kLoading, kCompleted}));
  EXPECT_EQ(r.itms->ColCount(), 2);
  EXPECT_EQ(header(r.itms, 1), u"id"_s);
  EXPECT_EQ(header(r.itms, 2), u"index"_s);
  EXPECT_EQ(shown(r.itms).size(), 4);
  EXPECT_EQ(lower_grids(), something_shown());
  EXPECT_FALSE(r.itms->edit_cell(1, 1, u"9"_s));
}

// Ids reach 4294967295 in real worlds: every move stays within the range of
// the id columns, and ids whose new id is the old one of their neighbour
// move in turn, entries and links (under any loot table id) with them.
TEST_F(Renumbering, IdsUpToTheTopOfTheUnsignedRangeMoveDownInTurn) {
  struct Case {
    std::vector<std::int64_t> ids;
    QStringList after;
  };
  const std::vector<Case> cases = {
      {{2, 4294967295},
       {u"1|d2"_s, u"2|d4294967295"_s, u"1|1001|25"_s, u"2|1001|25"_s, u"2|1002|25"_s, u"100|1"_s, u"100|2"_s,
        u"4294967295|1"_s, u"4294967295|2"_s}},
      {{4294967294, 4294967295},
       {u"1|d4294967294"_s, u"2|d4294967295"_s, u"1|1001|25"_s, u"2|1001|25"_s, u"2|1002|25"_s, u"100|1"_s, u"100|2"_s,
        u"4294967295|1"_s, u"4294967295|2"_s}},
      {{2, 3, 4},
       {u"1|d2"_s, u"2|d3"_s, u"3|d4"_s, u"1|1001|25"_s, u"2|1001|25"_s, u"3|1001|25"_s, u"3|1002|25"_s, u"100|1"_s,
        u"100|2"_s, u"100|3"_s, u"4294967295|1"_s, u"4294967295|3"_s}},
  };
  for (const Case& c : cases) {
    for (const char* table : {"lootdrop", "lootdrop_entries", "loottable_entries"})
      scratch->exec(u"DELETE FROM "_s + QLatin1StringView(table));
    QStringList links_of_100;
    for (const std::int64_t id : c.ids) {
      scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (%1,'d%1')"_s.arg(id));
      scratch->exec(u"INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (%1,1001,25)"_s.arg(id));
      scratch->exec(u"INSERT INTO loottable_entries (loottable_id,lootdrop_id) VALUES (100,%1)"_s.arg(id));
    }
    const std::int64_t top = c.ids.back();
    scratch->exec(u"INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (%1,1002,25)"_s.arg(top));
    scratch->exec(u"INSERT INTO loottable_entries (loottable_id,lootdrop_id) VALUES (4294967295,%1),(4294967295,%2)"_s
                      .arg(c.ids.front())
                      .arg(top));
    go();
    EXPECT_TRUE(io.messages.empty()) << (io.messages.empty() ? "" : io.messages[0].toStdString());
    EXPECT_EQ(loot_rows(), c.after) << c.ids.back();
    EXPECT_EQ(lootdrop_reorg::loaded()->out->text(), kCompleted);
    io.messages.clear();
  }
}

// A world loaded with NO_AUTO_VALUE_ON_ZERO may hold a lootdrop 0: it and
// the ids right after it move up by one, in the one transaction, with their
// entries and links (under any loot table id); ids after the first gap keep
// or lower theirs, and the program's own lootdrop stays its own.
TEST_F(Renumbering, ALootdropZeroMovesUpWithTheIdsRightAfterIt) {
  scratch->exec(u"SET SESSION sql_mode=CONCAT(@@SESSION.sql_mode, ',NO_AUTO_VALUE_ON_ZERO')"_s);
  const struct {
    std::vector<std::int64_t> ids;
    std::vector<std::int64_t> after;  // the new id of each
    std::int64_t own;                 // the program's own lootdrop, or 0
  } cases[] = {
      {{0}, {1}, 0},
      {{0, 1}, {1, 2}, 0},
      {{0, 5}, {1, 2}, 5},
      {{0, 1, 2, 3}, {1, 2, 3, 4}, 2},
      {{0, 1, 3, 9}, {1, 2, 3, 4}, 1},
  };
  for (const auto& c : cases) {
    QStringList listed;
    for (const std::int64_t id : c.ids) listed << QString::number(id);
    SCOPED_TRACE(listed.join(u',').toStdString());
    for (const char* table : {"lootdrop", "lootdrop_entries", "loottable_entries"})
      scratch->exec(u"DELETE FROM "_s + QLatin1StringView(table));
    QStringList progress_expected{kLoading}, drops, entries_after, links_after;
    for (std::size_t i = 0; i < c.ids.size(); ++i) {
      const QString id = QString::number(c.ids[i]), dest = QString::number(c.after[i]);
      scratch->exec(u"INSERT INTO lootdrop (id,name) VALUES (%1,'d%1')"_s.arg(id));
      scratch->exec(u"INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (%1,1001,25)"_s.arg(id));
      scratch->exec(
          u"INSERT INTO loottable_entries (loottable_id,lootdrop_id) VALUES (100,%1),(4294967295,%1)"_s.arg(id));
      if (id != dest) progress_expected << u"Moving from #"_s + id + u" to #"_s + dest;
      drops << dest + u"|d"_s + id;
      entries_after << dest + u"|1001|25"_s;
      links_after << u"100|"_s + dest;
    }
    for (std::size_t i = 0; i < c.ids.size(); ++i) links_after << u"4294967295|"_s + QString::number(c.after[i]);
    progress_expected << kCompleted;
    own_lootdrop_id = static_cast<std::uint32_t>(c.own);
    scratch->exec(u"UPDATE variables SET value='%1' WHERE varname='LootdropID'"_s.arg(c.own));
    io.messages.clear();

    EXPECT_EQ(go(), progress_expected);
    EXPECT_TRUE(io.messages.empty()) << (io.messages.empty() ? "" : io.messages[0].toStdString());
    EXPECT_EQ(loot_rows(), drops + entries_after + links_after);
    if (c.own != 0) {
      const auto moved = std::find(c.ids.begin(), c.ids.end(), c.own) - c.ids.begin();
      const QString dest = QString::number(c.after[static_cast<std::size_t>(moved)]);
      EXPECT_EQ(QString::number(own_lootdrop_id), dest);
      EXPECT_EQ(scratch->scalar(u"SELECT value FROM variables WHERE varname='LootdropID'"_s), dest);
    }
  }
}

TEST_F(Renumbering, OwnLootdropStaysTheProgramsOwnUnderItsNewId) {
  lootdrops({3, 7, 500});
  go();
  EXPECT_EQ(own_lootdrop_id, 3);
  EXPECT_EQ(scratch->scalar(u"SELECT value FROM variables WHERE varname='LootdropID'"_s), u"3"_s);
  EXPECT_EQ(scratch->scalar(u"SELECT name FROM lootdrop WHERE id=3"_s), u"drop500"_s);
}

TEST_F(Renumbering, EntriesOfAMissingLootdropAreNeverJoinedToAnother) {
  // Entries or links that name a lootdrop which does not exist, at an id a
  // lootdrop would take: the first new id and the last one.
  struct Case {
    int first, second;  // the lootdrops
    int missing;
    bool entry;
    bool link;
    QStringList listed;
  };
  const Case cases[] = {
      {2, 5, 1, true, true, {u"2|1"_s, u"5|2"_s}},
      {3, 5, 2, true, false, {u"3|1"_s, u"5|2"_s}},
      {3, 5, 2, false, true, {u"3|1"_s, u"5|2"_s}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing);
    scratch->exec(u"DELETE FROM lootdrop"_s);
    scratch->exec(u"DELETE FROM lootdrop_entries"_s);
    scratch->exec(u"DELETE FROM loottable_entries"_s);
    io.messages.clear();
    lootdrops({c.first, c.second});
    entries(c.first, {u"1001|1|0|25|0|1|127|1"_s});
    if (c.entry) entries(c.missing, {u"1002|1|0|25|0|1|127|1"_s});
    if (c.link) links(100, {QString::number(c.missing) + u"|1|1|0|100"_s});
    const QStringList before = loot_rows();

    EXPECT_EQ(go(), (QStringList{kLoading, u"Nothing was moved."_s}));
    EXPECT_EQ(loot_rows(), before);
    EXPECT_EQ(shown(lootdrop_reorg::loaded()->itms), c.listed);
    ASSERT_EQ(io.messages.size(), 1u);
    EXPECT_TRUE(io.messages[0].contains(u"do not exist: "_s + QString::number(c.missing) + u". "_s))
        << io.messages[0].toStdString();
  }
}

TEST_F(Renumbering, ARefusedStatementMovesNothing) {
  lootdrops({3, 7, 500});
  entries(3, {u"1001|1|0|25|0|1|127|1"_s});
  links(100, {u"3|1|1|0|100"_s, u"7|1|1|0|100"_s});
  scratch->exec(
      u"CREATE TRIGGER keep_links BEFORE UPDATE ON loottable_entries FOR EACH ROW "
      "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='refused'"_s);
  something_current();
  const QStringList before = loot_rows();

  EXPECT_EQ(go().last(), u"Nothing was moved."_s);
  EXPECT_EQ(loot_rows(), before);
  EXPECT_EQ(scratch->scalar(u"SELECT value FROM variables WHERE varname='LootdropID'"_s), u"500"_s);
  EXPECT_EQ(own_lootdrop_id, 500);
  EXPECT_EQ(shown(lootdrop_reorg::loaded()->itms), (QStringList{u"3|1"_s, u"7|2"_s, u"500|3"_s}));
  EXPECT_EQ(lower_grids(), something_shown());
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Renumbering the lootdrops (nothing was moved) failed"_s));
}

}  // namespace
