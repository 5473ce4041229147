#include "controls/igrid.h"
#include "editor/zone_search.h"
#include "platform/sqltext.h"
#include "shared/shared.h"
#include "support/testdb.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <memory>

using namespace Qt::StringLiterals;
using testing_support::DbTest;

namespace {

class ZoneSearch : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    zonename = std::make_unique<QLabel>(u"butcher"_s);
    ASSERT_TRUE(folder.isValid());
    previous_folder = QDir::currentPath();
    QDir::setCurrent(folder.path());
  }
  void TearDown() override {
    if (Zone_Search* z = Zone_Search::loaded()) z->close();
    QDir::setCurrent(previous_folder);
    zonename.reset();
    DbTest::TearDown();
  }

  void add_zone(int id, const QString& short_name, const QString& long_name) {
    scratch->exec(u"INSERT INTO zone (short_name,long_name,zoneidnumber) VALUES (%1,%2,%3)"_s
                      .arg(sqltext::quote(short_name), sqltext::quote(long_name))
                      .arg(id));
  }
  Zone_Search& picker() { return Zone_Search::load(*zonename); }
  QStringList grid_rows(const IGrid& grid) {
    QStringList out;
    for (int r = 1; r <= grid.RowCount(); ++r) {
      QStringList cells;
      for (int c = 1; c <= grid.ColCount(); ++c) cells << grid.CellValue(r, c).toString();
      out << cells.join(u'|');
    }
    return out;
  }
  QByteArray results() {
    QFile f(Zone_Search::results_file());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }

  std::unique_ptr<QLabel> zonename;
  QTemporaryDir folder;
  QString previous_folder;
};

TEST_F(ZoneSearch, LoadListsEveryZoneByShortNameOnTopOfOtherWindows) {
  add_zone(25, u"abc"_s, u"Abc Hills"_s);
  add_zone(2, u"sallowmere"_s, u"South Sallowmere"_s);
  add_zone(7, u"ibberick"_s, u"Ib'Berick"_s);
  Zone_Search& z = picker();

  EXPECT_EQ(Zone_Search::zone_query(), u"SELECT short_name,long_name,zoneidnumber FROM zone ORDER BY short_name ASC"_s);
  EXPECT_EQ(grid_rows(*z.zonegrid),
            (QStringList{u"25|abc|Abc Hills"_s, u"7|ibberick|Ib'Berick"_s, u"2|sallowmere|South Sallowmere"_s}));
  // The id is the number the database gave, not a text.
  EXPECT_EQ(z.zonegrid->CellValue(1, 1).typeId(), QMetaType::Double);
  EXPECT_EQ(rec_count, 3);
  EXPECT_EQ(z.windowTitle(), u"Zone Search"_s);
  EXPECT_TRUE(z.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(ZoneSearch, PasteCopiesTheShortNameAsTheGridHoldsIt) {
  add_zone(1, u"  padded "_s, u"Padded Zone"_s);
  add_zone(2, u"sallowmere"_s, u"South Sallowmere"_s);
  Zone_Search& z = picker();
  z.show();

  // No current row: nothing happens.
  z.paste_Click();
  EXPECT_EQ(zonename->text(), u"butcher"_s);

  z.zonegrid->setCurRow(1);
  z.paste_Click();
  EXPECT_EQ(zonename->text(), u"  padded "_s);
  z.zonegrid->setCurRow(2);
  z.paste_Click();
  EXPECT_EQ(zonename->text(), u"sallowmere"_s);
  EXPECT_TRUE(z.isVisible());  // the picker stays open
}

TEST_F(ZoneSearch, DoneKeepsRowsAndCurrentRowWhileACloseStartsOver) {
  add_zone(1, u"abc"_s, u"Abc Hills"_s);
  add_zone(2, u"sallowmere"_s, u"South Sallowmere"_s);
  Zone_Search& z = picker();
  z.show();
  z.zonegrid->setCurRow(2);
  z.done_Click();
  EXPECT_FALSE(z.isVisible());

  // A zone added meanwhile is not seen: no new query after a "Done".
  add_zone(3, u"zzz"_s, u"Last Zone"_s);
  Zone_Search& again = picker();
  EXPECT_EQ(&again, &z);
  EXPECT_EQ(again.zonegrid->RowCount(), 2);
  EXPECT_EQ(again.zonegrid->CurRow(), 2);

  // Closing unloads it; the next use loads it again with the new zone.
  z.close();
  EXPECT_EQ(Zone_Search::loaded(), nullptr);
  Zone_Search& fresh = picker();
  EXPECT_EQ(fresh.zonegrid->RowCount(), 3);
  EXPECT_EQ(fresh.zonegrid->ColCount(), 3);
  EXPECT_EQ(fresh.zonegrid->CurRow(), 0);
}

TEST_F(ZoneSearch, SaveWritesTrimmedFieldsWithTabsAndCrLfInTheWindowsCodePage) {
  add_zone(25, u"abc"_s, u"Abc Hills "_s);
  add_zone(3, u" def"_s, u"\tTabbed"_s);
  add_zone(1, u"cafe"_s, u"Caf\u00e9 Zone"_s);
  Zone_Search& z = picker();
  z.save_data_Click();
  const QByteArray expected("3\tdef\t\t\tTabbed\r\n25\tabc\t\tAbc Hills\r\n1\tcafe\t\tCaf\xe9 Zone\r\n");
  EXPECT_EQ(results(), expected);
  // The grid keeps what the database gave.
  EXPECT_EQ(z.zonegrid->CellValue(2, 3).toString(), u"Abc Hills "_s);

  // A second save writes the same file, not a longer one.
  z.save_data_Click();
  EXPECT_EQ(results(), expected);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(ZoneSearch, EmptyZoneTableWritesNoFileAndPasteDoesNothing) {
  QFile earlier(Zone_Search::results_file());
  ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
  earlier.write("earlier list\r\n");
  earlier.close();

  Zone_Search& z = picker();
  EXPECT_EQ(z.zonegrid->RowCount(), 0);
  z.save_data_Click();
  EXPECT_EQ(results(), QByteArray("earlier list\r\n"));
  z.paste_Click();
  EXPECT_EQ(zonename->text(), u"butcher"_s);
}

TEST_F(ZoneSearch, FailuresAreReportedAndThePickerStaysUsable) {
  add_zone(1, u"abc"_s, u"Abc Hills"_s);
  // A folder in the file's place: the file cannot be written.
  ASSERT_TRUE(QDir(folder.path()).mkdir(Zone_Search::results_file()));
  Zone_Search& z = picker();
  z.save_data_Click();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].contains(u"zone_results.txt"_s));
  z.close();

  io.messages.clear();
  scratch->exec(u"DROP TABLE zone"_s);
  Zone_Search& broken = picker();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_EQ(broken.zonegrid->RowCount(), 0);
  EXPECT_EQ(broken.zonegrid->ColCount(), 3);
  broken.paste_Click();
  EXPECT_EQ(zonename->text(), u"butcher"_s);
}

}  // namespace
