#include "controls/litebtnctrl.h"
#include "test_item_search_support.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

using namespace Qt::StringLiterals;
using item_search_testing::ItemSearch;

namespace {

TEST_F(ItemSearch, OpensOnceOnTopAndAFreshLoadStartsOverButKeepsTheListCursor) {
  EXPECT_EQ(s->windowTitle(), u"Search for Items"_s);
  EXPECT_TRUE(s->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(s->isVisible());
  EXPECT_EQ(s->size(), QSize(784, 696));
  EXPECT_EQ(s->itms->geometry(), QRect(8, 16, 345, 633));
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  0"_s);
  EXPECT_EQ(s->search_input->text(), u"rusty"_s);
  EXPECT_EQ(s->filter->text(), u"aint=5"_s);
  EXPECT_EQ(s->list_name_field->text(), u"basic_items"_s);
  EXPECT_EQ(s->itms->ColCount(), 2);
  EXPECT_EQ(s->itms->model()->headerData(1, Qt::Horizontal).toString(), u"name"_s);
  // The random loot settings wait for "Random Loot".
  EXPECT_FALSE(s->Frame1->isVisibleTo(s));

  s->add_itm_Click();
  s->append_chk->setChecked(true);
  s->list_cursor = 1;
  w->find_item_Click();  // a second press only brings the same window forward
  EXPECT_EQ(&item_search_window(), s);
  EXPECT_EQ(s->itms->RowCount(), 1);
  EXPECT_EQ(s->itms->ColCount(), 2);

  s->close();
  EXPECT_FALSE(s->is_loaded());
  w->find_item_Click();
  EXPECT_EQ(s->itms->RowCount(), 0);
  EXPECT_EQ(s->itms->ColCount(), 2);
  EXPECT_FALSE(s->append_chk->isChecked());
  EXPECT_EQ(s->list_cursor, 1);

  // The main window's button is at work and opens it.
  EXPECT_TRUE(w->find_item->isEnabled());
  // Closing the main window closes it too.
  QCloseEvent close;
  EXPECT_THROW(w->closeEvent(&close), testing_support::ProgramEnded);
  EXPECT_FALSE(s->is_loaded());
}

TEST_F(ItemSearch, RendersWithItsControlsInPlace) {
  item(1001, u"Rusty Dagger"_s);
  s->simple_search_Click();
  const QImage shot = s->grab().toImage();
  shot.save(QDir::temp().filePath(u"item_search.png"_s));
  EXPECT_EQ(shot.pixelColor(780, 690), QColor(Qt::white));
  // The list's first row is drawn in the list's area; the frame is not there.
  EXPECT_EQ(shot.pixelColor(500, 500), QColor(Qt::white));
}

TEST_F(ItemSearch, TheRandomLootPictureLeavesItsTextBoxesUncovered) {
  for (QLineEdit* box : {s->perc, s->number_drops_per_lootdrop, s->lootdrop_new_perc, s->Text2}) {
    const QRect area = box->geometry();
    EXPECT_EQ(s->Frame1->childAt(area.bottomRight() + QPoint(-2, -2)), box) << box->objectName().toStdString();
  }
}

TEST_F(ItemSearch, BasicSearchWritesIdsAndNamesWithCommasReplaced) {
  item(1001, u"Rusty Dagger"_s);
  item(1002, u"Rusty Sword, Chipped"_s);
  item(1003, u"Cloth Cap"_s);
  s->simple_search_Click();
  EXPECT_EQ(sql_text, u"SELECT id,name FROM items WHERE name LIKE \"%rusty%\""_s);
  EXPECT_EQ(shown(s->itms), (QStringList{u"1001|Rusty Dagger"_s, u"1002|Rusty Sword_ Chipped"_s}));
  // The id is the number the database gave.
  EXPECT_EQ(s->itms->CellValue(1, 1).typeId(), QMetaType::Double);
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  2"_s);
  EXPECT_EQ(s->out->text(), QString());
  EXPECT_FALSE(hourglass_on());

  // Appending to three rows writes rows 4 and 5.
  list({u"1|a"_s, u"2|b"_s, u"3|c"_s});
  s->append_chk->setChecked(true);
  s->simple_search_Click();
  EXPECT_EQ(s->itms->RowCount(), 5);
  EXPECT_EQ(s->itms->CellValue(5, 2).toString(), u"Rusty Sword_ Chipped"_s);
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  5"_s);

  // No match without "Append to list": the list is emptied and the counter
  // says so; the operator is left alone.
  s->append_chk->setChecked(false);
  s->search_input->setText(u"nothing like it"_s);
  s->simple_search_Click();
  EXPECT_EQ(s->itms->RowCount(), 0);
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  0"_s);
  EXPECT_TRUE(io.messages.empty());

  s->CLX_Click();
  EXPECT_EQ(s->search_input->text(), QString());
}

TEST_F(ItemSearch, QuotesInTheSearchTextAreSearchedForAndNeverEndThePattern) {
  item(1, u"Ib'Berick Dagger"_s);
  item(2, u"The \"Big\" Club"_s);
  item(3, u"Plain Sword"_s);

  s->search_input->setText(u"b'Be"_s);
  s->simple_search_Click();
  EXPECT_EQ(sql_text, u"SELECT id,name FROM items WHERE name LIKE \"%b'Be%\""_s);
  EXPECT_EQ(shown(s->itms), QStringList{u"1|Ib'Berick Dagger"_s});

  s->search_input->setText(u"\"Big\""_s);
  s->simple_search_Click();
  EXPECT_EQ(shown(s->itms), QStringList{u"2|The \"Big\" Club"_s});

  // A text that would close the pattern and add a condition is only a text.
  s->search_input->setText(u"\" OR \"\"=\""_s);
  s->simple_search_Click();
  EXPECT_EQ(s->itms->RowCount(), 0);
  s->search_input->setText(u"\" OR 1=1; DROP TABLE items; -- "_s);
  s->LiteBtnCtrl1_Click();
  EXPECT_EQ(scratch->count(u"items"_s), 3);
  EXPECT_EQ(io.messages, std::vector<QString>{u"There were NO results returned!"_s});
}

TEST_F(ItemSearch, BackslashesInTheSearchTextAreFoundAndPatternCharactersStayWild) {
  item(1, u"Back\\slash Blade"_s);
  item(2, u"Backslash Blade"_s);
  item(3, u"Ends With\\"_s);
  item(4, u"Plain Sword"_s);
  const struct {
    QString text;
    QString pattern;  // as the statement holds it
    QStringList found;
  } cases[] = {
      {u"Back\\slash"_s, u"\"%Back\\\\\\\\slash%\""_s, {u"1|Back\\slash Blade"_s}},
      {u"\\"_s, u"\"%\\\\\\\\%\""_s, {u"1|Back\\slash Blade"_s, u"3|Ends With\\"_s}},
      {u"h\\"_s, u"\"%h\\\\\\\\%\""_s, {u"3|Ends With\\"_s}},
      {u"Back%Blade"_s, u"\"%Back%Blade%\""_s, {u"1|Back\\slash Blade"_s, u"2|Backslash Blade"_s}},
      {u"Back_slash"_s, u"\"%Back_slash%\""_s, {u"1|Back\\slash Blade"_s}},
  };
  for (const auto& c : cases) {
    s->search_input->setText(c.text);
    s->simple_search_Click();
    EXPECT_EQ(sql_text, u"SELECT id,name FROM items WHERE name LIKE "_s + c.pattern) << c.text.toStdString();
    QStringList found = shown(s->itms);
    found.sort();  // the server's order
    EXPECT_EQ(found, c.found) << c.text.toStdString();
  }
  // The advanced search looks for the same names.
  s->search_input->setText(u"Back\\slash"_s);
  s->filter->setText(u"id>0"_s);
  s->LiteBtnCtrl1_Click();
  EXPECT_EQ(shown(s->itms), QStringList{u"1|Back\\slash Blade"_s});
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(ItemSearch, TheFreeConditionOnlyReads) {
  item(1001, u"Rusty Dagger"_s, 5);
  QTemporaryDir out;
  const QString file = out.filePath(u"written.txt"_s);
  const QString error = u"There was an error in the query"_s;
  scratch->exec(
      u"CREATE FUNCTION loot_probe() RETURNS INT MODIFIES SQL DATA "
      "BEGIN INSERT INTO loottable (name) VALUES ('written by a search'); RETURN 5; END"_s);
  const struct {
    QString condition;
    bool sent;  // false: refused before anything reaches the server
  } cases[] = {
      {u"aint=5 INTO OUTFILE '"_s + file + u'\'', false},
      {u"aint=5 into dumpfile '"_s + file + u'\'', false},
      {u"aint=5 /*!INTO OUTFILE '"_s + file + u"' */"_s, false},
      {u"aint=5 INTO @loot_probe"_s, false},
      // A function that writes fails in the read-only transaction.
      {u"aint=loot_probe()"_s, true},
      // A second statement never runs.
      {u"aint=5; DELETE FROM items"_s, false},
  };
  for (const auto& c : cases) {
    io.messages.clear();
    const testing_support::SentStatements sent;
    s->filter->setText(c.condition);
    s->LiteBtnCtrl1_Click();
    EXPECT_EQ(io.messages, std::vector<QString>{error}) << c.condition.toStdString();
    EXPECT_EQ(!sent.all.isEmpty(), c.sent) << c.condition.toStdString();
    EXPECT_FALSE(db_conn.in_transaction()) << c.condition.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(file));
  EXPECT_EQ(scratch->count(u"loottable"_s, u"name='written by a search'"_s), 0);
  EXPECT_EQ(scratch->count(u"items"_s), 1);

  // INTO inside quoted text is only text.
  io.messages.clear();
  s->filter->setText(u"aint=5 AND name NOT LIKE '%into%'"_s);
  s->LiteBtnCtrl1_Click();
  EXPECT_EQ(shown(s->itms), QStringList{u"1001|Rusty Dagger"_s});
  EXPECT_TRUE(io.messages.empty());
  // The transaction and the session ended with the search: the next
  // operation connects again and writes, for everyone to see.
  EXPECT_FALSE(db_conn.in_transaction());
  open_db(db_rs, db_conn);
  db_conn.execute(u"INSERT INTO loottable (name) VALUES ('after the search')"_s);
  EXPECT_EQ(scratch->count(u"loottable"_s, u"name='after the search'"_s), 1);

  // The account reads no file of the server's host.
  s->filter->setText(u"1=0 UNION SELECT 1, LOAD_FILE('"_s + QStringLiteral(LOOT_SOURCE_DIR "/scripts/schema.sql") +
                     u"')"_s);
  s->LiteBtnCtrl1_Click();
  EXPECT_EQ(shown(s->itms), QStringList{u"1|"_s});
}

TEST_F(ItemSearch, AConditionTheServerCouldReadAnotherWayIsRefusedUnsent) {
  item(1001, u"Rusty Dagger"_s, 5);
  item(1002, u"Rusty Sword"_s, 1);
  item(1003, u"Tarn's Rusty Axe"_s, 5);
  item(1004, u"Say \"hi\" Rusty"_s);
  const QString select = u"SELECT id,name FROM items WHERE name LIKE "_s;
  const struct {
    QString condition;
    QStringList found;  // empty: refused, and the server got nothing
    QString search = u"rusty"_s;
  } cases[] = {
      // Ordinary conditions run as typed.
      {u"aint=5"_s, {u"1001|Rusty Dagger"_s, u"1003|Tarn's Rusty Axe"_s}},
      {u"id>1001 AND name LIKE '%sword%'"_s, {u"1002|Rusty Sword"_s}},
      {u"name='Tarn''s Rusty Axe' OR name = \"Say \"\"hi\"\" Rusty\""_s,
       {u"1003|Tarn's Rusty Axe"_s, u"1004|Say \"hi\" Rusty"_s}},
      {u"`aint`=1 AND (id BETWEEN 1000 AND 1005)"_s, {u"1002|Rusty Sword"_s}},
      {u"LENGTH(name) > 12 AND name NOT LIKE '%into%' AND name NOT LIKE '%\\\\%'"_s,
       {u"1003|Tarn's Rusty Axe"_s, u"1004|Say \"hi\" Rusty"_s}},
      {u"aint=5\n\tAND id<1003"_s, {u"1001|Rusty Dagger"_s}},
      {u"aint=0"_s, {u"1004|Say \"hi\" Rusty"_s}, u"\"hi\""_s},
      // Version-gated code: the server skips it when its version is below
      // the number and runs what follows the quote the check saw open.
      {u"1=1 /*!999999 ' */ INTO @a,@b"_s, {}},
      {u"1=1 /*M!999999 ' */ INTO @a,@b"_s, {}},
      {u"aint=5 /*!50000 AND id>0 */"_s, {}},
      // Every other comment: hints, plain ones, unclosed ones, and "--"
      // whatever follows it.
      {u"aint=5 /*+ NO_RANGE_OPTIMIZATION(items) */"_s, {}},
      {u"aint=5 /* a note */"_s, {}},
      {u"aint=5 /* ' INTO @a"_s, {}},
      {u"aint=5 */"_s, {}},
      {u"aint=5 -- a note"_s, {}},
      {u"aint=5 --1"_s, {}},
      {u"aint=5 # a note"_s, {}},
      // Quoted text that ends elsewhere without backslash escapes
      // (NO_BACKSLASH_ESCAPES) or with double quotes around names
      // (ANSI_QUOTES), or that never ends.
      {u"name='x\\' OR 1=1 INTO @a -- '"_s, {}},
      {u"name=\"x\\\" INTO @a -- \""_s, {}},
      {u"name='Tarn\\'s Rusty Axe'"_s, {}},
      {u"name='Rusty Dagger"_s, {}},
      {u"name=`aint"_s, {}},
      // Characters that a connection in another character set may turn into
      // quotes (U+02BC becomes "'" in latin1), a NUL at which the driver ends
      // the text, other control characters and any letter beyond ASCII, in
      // the condition or in the search text.
      {u"name='Rustyʼ INTO @a,@b -- '"_s, {}},
      {u"name='R\0' OR 1=1"_s, {}},
      {u"aint=5\f"_s, {}},
      {u"name<>'Rüsty'"_s, {}},
      {u"aint=5"_s, {}, u"rustyʺ"_s},
      // What the driver reads on its own: a second statement, a parameter
      // marker, its escape sequences; and a backslash outside quoted text.
      {u"aint=5; DELETE FROM items"_s, {}},
      {u"aint=?"_s, {}},
      {u"name={fn UCASE('rusty dagger')}"_s, {}},
      {u"aint<>\\N"_s, {}},
      // Waits that the server's time limit does not end.
      {u"BENCHMARK(1000, MD5('x'))=0"_s, {}},
      {u"Benchmark (1, 1)=0"_s, {}},
      {u"MASTER_GTID_WAIT('0-1-100', 1)=0"_s, {}},
      {u"MASTER_POS_WAIT('log', 4, 1)=0"_s, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.condition.toStdString() + " / " + c.search.toStdString());
    io.messages.clear();
    list({u"1|a"_s});
    const testing_support::SentStatements sent;
    s->search_input->setText(c.search);
    s->filter->setText(c.condition);
    s->LiteBtnCtrl1_Click();
    QStringList found = shown(s->itms);
    found.sort();
    EXPECT_EQ(found, c.found);
    if (c.found.isEmpty()) {
      EXPECT_EQ(io.messages, std::vector<QString>{u"There was an error in the query"_s});
      EXPECT_EQ(sent.all, QStringList());
    } else {
      EXPECT_TRUE(io.messages.empty());
      EXPECT_EQ(sent.all, (QStringList{u"SET SESSION max_statement_time=30"_s, u"START TRANSACTION READ ONLY"_s,
                                       select + sqltext::quote_double(QString(u'%' + c.search + u'%')) + u" AND "_s +
                                           c.condition}));
    }
    EXPECT_FALSE(hourglass_on());
  }
}

TEST_F(ItemSearch, ARunawayConditionIsStoppedAtTheLimitAndLeavesNothingBehind) {
  item(1001, u"Rusty Dagger"_s);
  item(1002, u"Rusty Sword"_s);
  item(1003, u"Rusty Axe"_s);
  const QString held = scratch->name() + u"_held"_s;
  const QString taken = scratch->name() + u"_taken"_s;
  // A lock another session holds, for the condition to wait for.
  ASSERT_EQ(scratch->scalar(u"SELECT GET_LOCK('"_s + held + u"', 0)"_s), u"1"_s);
  // The program's sessions on this test's database, the test's own aside:
  // none may outlive its search, with what it took.
  const auto sessions_left = [&] {
    const QString query = u"SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE DB='"_s + scratch->name() +
                          u"' AND ID<>CONNECTION_ID()"_s;
    QElapsedTimer waited;
    waited.start();
    // The server ends a closed session a moment after the close.
    while (scratch->scalar(query) != u"0"_s && waited.elapsed() < 3000) QThread::msleep(20);
    return scratch->scalar(query).toInt();
  };
  s->condition_time_limit = 0.5;
  const QString stopped = u"The search took longer than 0.5 seconds and was stopped."_s;
  const struct {
    QString condition;
    QString message;
  } cases[] = {
      // 3 s without the limit; the server ends it with an error.
      {u"SLEEP(1)=0"_s, stopped},
      // 30 s without it; the server cuts the wait short and gives NULL, no
      // error.
      {u"GET_LOCK('"_s + held + u"', 30)=1"_s, stopped},
      // Quick, and what it takes goes with its session.
      {u"id=1002 AND GET_LOCK('"_s + taken + u"', 0)=1 AND (@loot_probe:=id)>0"_s, QString()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.condition.toStdString());
    io.messages.clear();
    s->filter->setText(c.condition);
    QElapsedTimer clock;
    clock.start();
    s->LiteBtnCtrl1_Click();
    EXPECT_LT(clock.elapsed(), 2000);
    if (c.message.isEmpty()) {
      EXPECT_TRUE(io.messages.empty());
      EXPECT_EQ(shown(s->itms), QStringList{u"1002|Rusty Sword"_s});
    } else {
      EXPECT_GE(clock.elapsed(), 500);
      EXPECT_EQ(io.messages, std::vector<QString>{c.message});
      EXPECT_EQ(s->itms->RowCount(), 0);
    }
    EXPECT_FALSE(hourglass_on());
    EXPECT_EQ(sessions_left(), 0);
  }
  EXPECT_EQ(scratch->scalar(u"SELECT IS_FREE_LOCK('"_s + taken + u"')"_s), u"1"_s);
  scratch->exec(u"DO RELEASE_LOCK('"_s + held + u"')"_s);
  // The next search reaches the server in a session of its own and finds what
  // the last one set nowhere.
  s->filter->setText(u"@loot_probe IS NULL AND id=1001"_s);
  s->LiteBtnCtrl1_Click();
  EXPECT_EQ(shown(s->itms), QStringList{u"1001|Rusty Dagger"_s});
}

TEST_F(ItemSearch, TheCounterShowsTheListsRowsAfterEverySearch) {
  item(1001, u"Rusty Dagger"_s, 5);
  s->condition_time_limit = 0.2;
  const auto server_down = [&] { db_settings.server = u"127.0.0.1;PORT=1"_s; };
  const struct {
    const char* what;
    bool advanced;
    QString search;
    QString condition;
    std::function<void()> setup;
  } cases[] = {
      {"basic, no match", false, u"nothing like it"_s, {}, {}},
      {"basic, server down", false, u"rusty"_s, {}, server_down},
      {"advanced, no match", true, u"rusty"_s, u"aint=99"_s, {}},
      {"advanced, refused", true, u"rusty"_s, u"aint=5 -- "_s, {}},
      {"advanced, failed", true, u"rusty"_s, u"no_such_column=1"_s, {}},
      {"advanced, stopped", true, u"rusty"_s, u"SLEEP(1)=0"_s, {}},
      {"advanced, server down", true, u"rusty"_s, u"aint=5"_s, server_down},
  };
  const DbSettings reachable = db_settings;
  for (const bool append : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (append ? ", appending" : ""));
      db_settings = reachable;
      s->clear_grd_Click();
      s->add_itm_Click();
      s->add_itm_Click();
      s->add_itm_Click();
      s->append_chk->setChecked(append);
      s->search_input->setText(c.search);
      s->filter->setText(c.condition);
      if (c.setup) c.setup();
      c.advanced ? s->LiteBtnCtrl1_Click() : s->simple_search_Click();
      EXPECT_EQ(s->itms->RowCount(), append ? 3 : 0);
      EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  "_s + QString::number(s->itms->RowCount()));
    }
  }
  db_settings = reachable;
}

TEST_F(ItemSearch, AdvancedSearchAddsTheOperatorsConditionAndReportsFailures) {
  item(1001, u"Rusty Dagger"_s, 5);
  item(1002, u"Rusty Sword"_s, 1);
  s->LiteBtnCtrl1_Click();
  EXPECT_EQ(sql_text, u"SELECT id,name FROM items WHERE name LIKE \"%rusty%\" AND aint=5"_s);
  EXPECT_EQ(shown(s->itms), QStringList{u"1001|Rusty Dagger"_s});
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  1"_s);
  EXPECT_FALSE(hourglass_on());
  EXPECT_TRUE(io.messages.empty());

  // The message comes with the default pointer back.
  struct PointerIO : testing_support::RecordingIO {
    void message(const QString& text) override {
      RecordingIO::message(text);
      hourglass_at_message.push_back(QApplication::overrideCursor() != nullptr);
    }
    std::vector<bool> hourglass_at_message;
  } pointer_io;
  set_operator_io(&pointer_io);

  s->filter->setText(u"aint=99"_s);
  s->LiteBtnCtrl1_Click();
  EXPECT_EQ(s->itms->RowCount(), 0);

  // An empty condition leaves a statement ending in " AND ": the list stays
  // emptied and the counter says so.
  list({u"1|a"_s});
  s->filter->setText(QString());
  s->LiteBtnCtrl1_Click();
  EXPECT_TRUE(sql_text.endsWith(u" AND "_s));
  EXPECT_EQ(s->itms->RowCount(), 0);
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  0"_s);

  // A failed connection takes the same way out.
  db_settings.server = u"127.0.0.1;PORT=1"_s;
  s->filter->setText(u"aint=5"_s);
  s->LiteBtnCtrl1_Click();

  EXPECT_EQ(pointer_io.messages,
            (std::vector<QString>{u"There were NO results returned!"_s, u"There was an error in the query"_s,
                                  u"There was an error in the query"_s}));
  EXPECT_EQ(pointer_io.hourglass_at_message, (std::vector<bool>{false, false, false}));
  EXPECT_FALSE(hourglass_on());
  set_operator_io(&io);
}

TEST_F(ItemSearch, DatabaseFailuresOfBasicSearchAndLookUpAreReported) {
  scratch->exec(u"DROP TABLE items"_s);
  s->simple_search_Click();
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].startsWith(u"Searching the items failed"_s));
  EXPECT_FALSE(hourglass_on());

  list({u"1|a"_s});
  s->itms_AfterCommitEdit(1, 1);
  ASSERT_EQ(io.messages.size(), 2u);
  EXPECT_TRUE(io.messages[1].startsWith(u"Looking up item 1 failed"_s));
  EXPECT_EQ(s->itms->CellValue(1, 2).toString(), u"a"_s);
}

TEST_F(ItemSearch, TypedIdsAreLookedUpAndTextThatIsNoIdIsNeverSent) {
  item(1001, u"Cloth Cap, Worn"_s);
  s->add_itm_Click();
  s->add_itm_Click();
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  2"_s);

  type(s->itms, 1, 1, u"1001"_s);
  EXPECT_EQ(sql_text, u"SELECT name FROM items WHERE id=1001"_s);
  // The stored name, commas and all.
  EXPECT_EQ(s->itms->CellValue(1, 2).toString(), u"Cloth Cap, Worn"_s);

  type(s->itms, 2, 1, u"4242"_s);
  EXPECT_EQ(s->itms->CellValue(2, 2).toString(), u"???"_s);

  sql_text.clear();
  type(s->itms, 2, 1, u"0 OR 1=1"_s);
  EXPECT_EQ(s->itms->CellValue(2, 2).toString(), u"???"_s);
  EXPECT_EQ(sql_text, QString());

  // A typed name stays as typed.
  type(s->itms, 2, 2, u"my own name"_s);
  EXPECT_EQ(s->itms->CellValue(2, 2).toString(), u"my own name"_s);
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(ItemSearch, ChoosingARowShowsItsItemAndMovesTheListCursor) {
  item(1001, u"Cloth Cap"_s);
  item(1002, u"Rusty Dagger"_s);
  list({u"1001|Cloth Cap"_s, u"|"_s, u"junk|x"_s, u"1002|Rusty Dagger"_s});

  s->itms_MouseDown(Qt::RightButton, {}, 0, 0, 1, 2);
  EXPECT_EQ(s->list_cursor, 1);
  EXPECT_EQ(cur_item_id, 1001);
  EXPECT_TRUE(card_name().startsWith(u"Cloth Cap"_s));

  // A blank row: no item, the card stays.
  s->itms_MouseDown(Qt::LeftButton, {}, 0, 0, 2, 1);
  EXPECT_EQ(s->list_cursor, 2);
  EXPECT_EQ(cur_item_id, 0);
  EXPECT_TRUE(card_name().startsWith(u"Cloth Cap"_s));

  // Text that is no id changes nothing but the cursor.
  cur_item_id = 77;
  s->itms_MouseDown(Qt::LeftButton, {}, 0, 0, 3, 1);
  EXPECT_EQ(cur_item_id, 77);

  // Below the last row.
  s->itms_MouseDown(Qt::LeftButton, {}, 0, 0, 0, 0);
  EXPECT_EQ(s->list_cursor, 0);
  EXPECT_EQ(cur_item_id, 77);

  s->itms->setCurRow(4);
  EXPECT_EQ(cur_item_id, 1002);
  EXPECT_TRUE(card_name().startsWith(u"Rusty Dagger"_s));
  EXPECT_FALSE(item_stats_window().isVisible());
}

TEST_F(ItemSearch, RemoveTakesEverySelectedRowOnlyAfterAPressInTheList) {
  list({u"1|a"_s, u"2|b"_s, u"3|c"_s, u"4|d"_s, u"5|e"_s});
  select_rows(s->itms, {1, 3, 5});
  s->remve_item_Click();  // no press yet
  EXPECT_EQ(s->itms->RowCount(), 5);

  s->itms_MouseDown(Qt::LeftButton, {}, 0, 0, 3, 1);
  select_rows(s->itms, {1, 3, 5});
  s->remve_item_Click();
  EXPECT_EQ(shown(s->itms), (QStringList{u"2|b"_s, u"4|d"_s}));
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  2"_s);
  EXPECT_EQ(s->list_cursor, 0);

  select_rows(s->itms, {1});
  s->remve_item_Click();  // a second press in a row does nothing
  EXPECT_EQ(s->itms->RowCount(), 2);

  s->clear_grd_Click();
  EXPECT_EQ(s->itms->RowCount(), 0);
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  0"_s);
}

TEST_F(ItemSearch, AssignAllReplacesTheLootdropGridAndItsNextSaveStoresIt) {
  items({u"1001=Cloth Cap"_s, u"1002=Rusty Dagger"_s, u"1003=Bread"_s, u"1004=Water"_s});
  entries(7, {u"1004|3|0|80|0|1|50|2"_s, u"1003|3|0|80|0|1|50|2"_s});
  cur_lootdrop_id = 7;
  drops->decode_lootdropE();
  sel_lootdrop_row = 2;

  s->assign_to_lootdrop_Click();  // an empty list changes nothing
  EXPECT_EQ(w->lootdropE->RowCount(), 2);
  EXPECT_EQ(sel_lootdrop_row, 2);

  list({u"1001|Cloth Cap"_s, u"1002|Rusty Dagger"_s});
  s->assign_to_lootdrop_Click();
  EXPECT_EQ(shown(w->lootdropE),
            (QStringList{u"1001|Cloth Cap|1|1|10|0|127|1"_s, u"1002|Rusty Dagger|1|1|10|0|127|1"_s}));
  EXPECT_EQ(sel_lootdrop_row, 0);
  EXPECT_EQ(cur_lootdrop_id, 7);
  // Nothing is stored until the lootdrop grid saves.
  EXPECT_EQ(stored_entries(7), (QStringList{u"1003|3|0|80|0|1|50|2"_s, u"1004|3|0|80|0|1|50|2"_s}));
  drops->lootdropE_AfterCommitEdit(1, 1);
  EXPECT_EQ(stored_entries(7), (QStringList{u"1001|1|1|10|0|0|127|1"_s, u"1002|1|1|10|0|0|127|1"_s}));
}

TEST_F(ItemSearch, AssignSelectedAppendsInListOrderAndGrabReplacesTheList) {
  items({u"1003=Bread"_s});
  entries(7, {u"1003|3|0|80|0|1|50|2"_s});
  cur_lootdrop_id = 7;
  drops->decode_lootdropE();
  list({u"1|a"_s, u"2|b"_s, u"3|c"_s, u"4|d"_s, u"5|e"_s, u"|"_s});

  sel_lootdrop_row = 1;
  select_rows(s->itms, {});
  s->LiteBtnCtrl2_Click();
  EXPECT_EQ(w->lootdropE->RowCount(), 1);
  EXPECT_EQ(sel_lootdrop_row, 0);

  select_rows(s->itms, {5, 2, 6});
  s->LiteBtnCtrl2_Click();
  EXPECT_EQ(shown(w->lootdropE), (QStringList{u"1003|Bread|3|0|80|1|50|2"_s, u"2|b|1|1|10|0|127|1"_s,
                                              u"5|e|1|1|10|0|127|1"_s, u"||1|1|10|0|127|1"_s}));

  // Grab: the list becomes the grid's items even with "Append to list"
  // ticked; the counter keeps its old text.
  s->append_chk->setChecked(true);
  s->counter->setText(u"Number of ITEMS:  6"_s);
  s->LiteBtnCtrl3_Click();
  EXPECT_EQ(shown(s->itms), (QStringList{u"1003|Bread"_s, u"2|b"_s, u"5|e"_s, u"|"_s}));
  EXPECT_EQ(s->itms->CellValue(1, 1).typeId(), QMetaType::Double);
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  6"_s);
  EXPECT_EQ(stored_entries(7), QStringList{u"1003|3|0|80|0|1|50|2"_s});

  // An empty lootdrop grid leaves the list as it was.
  w->lootdropE->Clear();
  s->LiteBtnCtrl3_Click();
  EXPECT_EQ(s->itms->RowCount(), 4);
}

}  // namespace
