#include "platform/odbc.h"
#include "platform/worker.h"
#include "shared/background_read.h"
#include "shared/settings.h"
#include "shared/shared.h"
#include "support/testdb.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

using testing_support::DbTest;
using namespace Qt::StringLiterals;

namespace {

class Database : public DbTest {
 protected:
  // Kills db_conn's link from the test's own connection, as a restart of
  // the server would.
  void kill_link() {
    db_rs.open(QStringLiteral("SELECT CONNECTION_ID()"), db_conn);
    const QString id = db_rs.field(0).text();
    db_rs.close();
    scratch->exec(QStringLiteral("KILL ") + id);
  }
};

TEST_F(Database, ConnectionStringPassesEachSettingWhole) {
  const QString driver = u"DRIVER={MySQL ODBC 3.51 Driver};"_s;
  const struct {
    QString server, database, user, password, expected;
  } cases[] = {
      {u"127.0.0.1"_s, u"w"_s, u"lootadmin"_s, u"secret"_s,
       u"SERVER=127.0.0.1;DATABASE=w;UID=lootadmin;PWD=secret;OPTION=18475"_s},
      // The port the server value carries becomes an attribute of its own.
      {u"srv;PORT=1"_s, u"w"_s, QString(), u"p;x"_s, u"SERVER=srv;PORT=1;DATABASE=w;UID=;PWD={p;x};OPTION=18475"_s},
      {u"h;x;port = 42 "_s, u"w"_s, u"u"_s, u"p"_s, u"SERVER={h;x};PORT=42;DATABASE=w;UID=u;PWD=p;OPTION=18475"_s},
      {u"h;UID=root"_s, u"w;UID=root"_s, u"u}"_s, u"{p;w{d}"_s,
       u"SERVER={h;UID=root};DATABASE={w;UID=root};UID={u}}};PWD={{p;w{d}}};OPTION=18475"_s},
      {u"h;PORT=1x"_s, u" w"_s, u"u "_s, u"ab;UID=root"_s,
       u"SERVER={h;PORT=1x};DATABASE={ w};UID={u };PWD={ab;UID=root};OPTION=18475"_s},
  };
  for (const auto& c : cases) {
    db_settings.server = c.server;
    db_settings.database = c.database;
    db_settings.user = c.user;
    db_settings.password = c.password;
    EXPECT_EQ(connection_string().toStdString(), QString(driver + c.expected).toStdString());
  }
}

// Accounts and a database whose names and passwords hold what would end an
// attribute of the connection string, made through the server's root for this
// test alone: each setting logs in as the account and into the database it names.
TEST_F(Database, SettingsHoldingSemicolonsOrBracesLogInAsTheyName) {
  const QString tag = QString::number(getpid()) + u'_' + QString::number(QRandomGenerator::global()->bounded(1000000));
  const QString database = u"loot_t_"_s + tag + u";x}"_s;
  const struct {
    QString user, password;
  } accounts[] = {
      {u"loot_pw_"_s + tag, u"p;w{d}"_s},
      {u"loot_pr_"_s + tag, u"ab;UID=root"_s},
      {u"loot;u}{"_s + tag, u"x}y"_s},
      {u"loot_pb_"_s + tag, u"{abc"_s},
  };
  struct Cleanup {
    QStringList statements;
    ~Cleanup() {
      try {
        testing_support::root_sql(statements.join(u'\n'));
      } catch (const std::exception&) {
      }
    }
  } cleanup;
  QString make = u"CREATE DATABASE `"_s + database + u"`;\n"_s;
  cleanup.statements << u"DROP DATABASE IF EXISTS `"_s + database + u"`;"_s;
  for (const auto& a : accounts) {
    const QString account = u"'"_s + a.user + u"'@'127.0.0.1'"_s;
    make += u"CREATE USER "_s + account + u" IDENTIFIED BY '"_s + a.password + u"';\n"_s + u"GRANT SELECT ON `"_s +
            database + u"`.* TO "_s + account + u";\n"_s;
    cleanup.statements << u"DROP USER IF EXISTS "_s + account + u';';
  }
  testing_support::root_sql(make);

  for (const auto& a : accounts) {
    SCOPED_TRACE(a.password.toStdString());
    db_settings.user = a.user;
    db_settings.password = a.password;
    db_settings.database = database;
    ASSERT_NO_THROW(open_db(db_rs, db_conn));
    db_rs.open(u"SELECT CURRENT_USER(), DATABASE()"_s, db_conn);
    EXPECT_EQ(db_rs.field(0).text(), a.user + u"@127.0.0.1"_s);
    EXPECT_EQ(db_rs.field(1).text(), database);
    db_rs.close();
  }

  // The editor's own account with a password that names another user: the
  // server refuses it, and nobody else is logged in.
  db_settings = testing_support::settings_for(scratch->name());
  db_settings.password = u"ab;UID=root"_s;
  EXPECT_THROW(open_db(db_rs, db_conn), db::Error);
  EXPECT_FALSE(db_conn.is_open());
}

// The private server's root has no password and is kept to the socket: over
// TCP on loopback neither root nor an anonymous account logs in, whatever the
// password.
TEST(PrivateServer, RootAndAnonymousCannotLogInOverTcp) {
  const testing_support::ServerInfo server = testing_support::server_info();
  const struct {
    QString user, password;
  } tries[] = {{u"root"_s, QString()}, {u"root"_s, u"root"_s}, {QString(), QString()}, {u"nobody"_s, QString()}};
  for (const auto& t : tries) {
    SCOPED_TRACE(QString(t.user + u"/"_s + t.password).toStdString());
    db::Connection c;
    c.set_connection_string(u"DRIVER={MySQL ODBC 3.51 Driver};SERVER=127.0.0.1;PORT="_s + QString::number(server.port) +
                            u";UID="_s + t.user + u";PWD="_s + t.password + u";OPTION=18475"_s);
    EXPECT_THROW(c.open(), db::Error);
  }
}

TEST_F(Database, ResultSetCountsBeforeReadingAndKeepsNullApartFromEmpty) {
  scratch->exec(
      QStringLiteral("INSERT INTO zone (short_name, long_name, zoneidnumber) VALUES "
                     "('sallowmere', 'South Sallowmere', 1), (NULL, '', 2), ('', 'Tarn''s Rest \xe9', 3)"));
  open_db(db_rs, db_conn);
  db_rs.open(QStringLiteral("SELECT short_name, long_name, zoneidnumber FROM zone ORDER BY zoneidnumber"), db_conn);
  ASSERT_EQ(db_rs.record_count(), 3);
  ASSERT_FALSE(db_rs.eof());
  EXPECT_EQ(db_rs.field(0).text(), u"sallowmere");
  EXPECT_TRUE(db_rs.field(2).is_numeric_column());
  EXPECT_FALSE(db_rs.field(1).is_numeric_column());
  db_rs.move_next();
  EXPECT_TRUE(db_rs.field(u"SHORT_NAME").is_null());
  EXPECT_FALSE(db_rs.field(u"long_name").is_null());
  EXPECT_EQ(db_rs.field(u"long_name").text(), u"");
  db_rs.move_next();
  EXPECT_FALSE(db_rs.field(0).is_null());
  EXPECT_EQ(db_rs.field(1).text(), u"Tarn's Rest \u00e9");
  EXPECT_DOUBLE_EQ(db_rs.field(u"ZoneIdNumber").number(), 3);
  db_rs.move_next();
  EXPECT_TRUE(db_rs.eof());
  EXPECT_THROW(db_rs.field(0), db::Error);
  db_rs.move_first();
  EXPECT_EQ(db_rs.field(0).text(), u"sallowmere");
  EXPECT_THROW(db_rs.field(u"no_such_column"), db::Error);
}

TEST_F(Database, EmptyResultIsAtItsEndAtOnce) {
  open_db(db_rs, db_conn);
  db_rs.open(QStringLiteral("SELECT id FROM lootdrop"), db_conn);
  EXPECT_EQ(db_rs.record_count(), 0);
  EXPECT_TRUE(db_rs.eof());
}

TEST_F(Database, LongTextsAndManyRowsComeBackWhole) {
  QString long_name;
  for (int i = 0; i < 3000; ++i) long_name += QChar(u'a' + i % 26);
  scratch->exec(QStringLiteral("INSERT INTO npc_types (id, name, level) VALUES (1, '") + long_name +
                QStringLiteral("', 5)"));
  QString values;
  for (int i = 2; i <= 5000; ++i) {
    if (!values.isEmpty()) values += u',';
    values += QStringLiteral("(%1, 'npc_%1', %2)").arg(i).arg(i % 100);
  }
  scratch->exec(QStringLiteral("INSERT INTO npc_types (id, name, level) VALUES ") + values);
  open_db(db_rs, db_conn);
  db_rs.open(QStringLiteral("SELECT id, name, level FROM npc_types ORDER BY id"), db_conn);
  ASSERT_EQ(db_rs.record_count(), 5000);
  EXPECT_EQ(db_rs.field(1).text(), long_name);
  int n = 0;
  for (db_rs.move_first(); !db_rs.eof(); db_rs.move_next()) {
    ++n;
    if (n > 1) {
      ASSERT_EQ(db_rs.field(1).text(), QStringLiteral("npc_%1").arg(n));
    }
  }
  EXPECT_EQ(n, 5000);
  // A long value in a later row, among short ones.
  scratch->exec(QStringLiteral("UPDATE npc_types SET name = CONCAT(REPEAT('x', 5000), 'end') WHERE id = 4321"));
  db_rs.open(QStringLiteral("SELECT name FROM npc_types WHERE id BETWEEN 4300 AND 4400 ORDER BY id"), db_conn);
  ASSERT_EQ(db_rs.record_count(), 101);
  EXPECT_EQ(db_rs.value(21, 0).text().size(), 5003)
      << db_rs.value(21, 0).text().toStdString() << db_rs.value(20, 0).text().left(20).toStdString();
  EXPECT_TRUE(db_rs.value(21, 0).text().endsWith(u"end"));
  EXPECT_EQ(db_rs.value(22, 0).text(), u"npc_4322");
}

TEST_F(Database, RefusedStatementsCarryTheServersMessage) {
  open_db(db_rs, db_conn);
  try {
    db_conn.execute(QStringLiteral("INSERT INTO no_such_table VALUES (1)"));
    FAIL() << "the statement should have failed";
  } catch (const db::Error& e) {
    EXPECT_TRUE(e.message().contains(u"no_such_table")) << e.message().toStdString();
    EXPECT_FALSE(e.connection_lost());
  }
  // Table names are case-sensitive on the test server, as on real Linux servers.
  EXPECT_THROW(db_rs.open(QStringLiteral("SELECT id FROM NPC_TYPES"), db_conn), db::Error);
  // The connection is still usable afterwards.
  EXPECT_NO_THROW(db_rs.open(QStringLiteral("SELECT id FROM npc_types"), db_conn));
}

TEST_F(Database, TransactionsRollBackEverything) {
  open_db(db_rs, db_conn);
  try {
    db::Transaction transaction(db_conn);
    db_conn.execute(QStringLiteral("INSERT INTO lootdrop (id, name) VALUES (1, 'a')"));
    db_conn.execute(QStringLiteral("INSERT INTO lootdrop (id, name) VALUES (1, 'dup')"));
    FAIL() << "a duplicate id should be refused";
  } catch (const db::Error&) {
  }
  EXPECT_FALSE(db_conn.in_transaction());
  EXPECT_EQ(scratch->count(QStringLiteral("lootdrop")), 0);
  {
    db::Transaction transaction(db_conn);
    db_conn.execute(QStringLiteral("INSERT INTO lootdrop (id, name) VALUES (2, 'b')"));
    transaction.commit();
  }
  EXPECT_EQ(scratch->count(QStringLiteral("lootdrop")), 1);
  // Autocommit is back on after the transaction.
  db_conn.execute(QStringLiteral("INSERT INTO lootdrop (id, name) VALUES (3, 'c')"));
  EXPECT_EQ(scratch->count(QStringLiteral("lootdrop")), 2);
}

// A server whose default mode is not strict (the session starts so here,
// through the driver's first statement) would store 300 in a TINYINT
// UNSIGNED column as 255 and 70000 in a SMALLINT UNSIGNED one as 65535
// without a word: the editor's session refuses them on every engine, and
// keeps the server's other modes.
TEST_F(Database, TheSessionRefusesAValueItsColumnCannotHoldWhateverTheServersMode) {
  // A server that is not strict: the driver starts the session so.
  const QString not_strict =
      connection_string() + QStringLiteral(";INITSTMT={SET SESSION sql_mode='NO_AUTO_VALUE_ON_ZERO'}");
  const char* const statements[] = {
      "UPDATE lootdrop_entries SET multiplier=300 WHERE item_id=1002",
      "INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges) VALUES (8,1001,70000)",
      "UPDATE loottable_entries SET multiplier=300",
  };
  for (const char* engine : {"InnoDB", "MyISAM"}) {
    for (const char* table : {"lootdrop_entries", "loottable_entries"})
      scratch->exec(
          QStringLiteral("ALTER TABLE %1 ENGINE=%2").arg(QLatin1StringView(table), QLatin1StringView(engine)));
    scratch->exec(QStringLiteral("DELETE FROM lootdrop_entries"));
    scratch->exec(QStringLiteral("DELETE FROM loottable_entries"));
    scratch->exec(QStringLiteral("INSERT INTO lootdrop_entries (lootdrop_id,item_id) VALUES (7,1001),(7,1002)"));
    scratch->exec(QStringLiteral("INSERT INTO loottable_entries (loottable_id,lootdrop_id) VALUES (5,7)"));
    const auto stored = [&] {
      return (scratch->rows(QStringLiteral("SELECT lootdrop_id,item_id,item_charges,multiplier FROM lootdrop_entries "
                                           "ORDER BY 1,2")) +
              scratch->rows(QStringLiteral("SELECT multiplier FROM loottable_entries")))
          .join(u' ')
          .toStdString();
    };
    const std::string before = stored();
    db_conn.set_connection_string(not_strict);
    db_conn.open();
    for (const char* statement : statements) {
      SCOPED_TRACE(std::string(engine) + ": " + statement);
      EXPECT_THROW(db_conn.execute(QLatin1StringView(statement)), db::Error);
      EXPECT_EQ(stored(), before);
    }
    db_rs.open(QStringLiteral("SELECT @@SESSION.sql_mode"), db_conn);
    const QStringList modes = db_rs.field(0).text().split(u',');
    db_rs.close();
    EXPECT_TRUE(modes.contains(u"STRICT_ALL_TABLES") && modes.contains(u"NO_AUTO_VALUE_ON_ZERO"))
        << modes.join(u',').toStdString();
  }
}

// Nothing reconnects or closes under an open transaction; a lost link is
// dropped when the transaction ends.
TEST_F(Database, NothingClosesUnderATransactionAndALostLinkIsDropped) {
  auto insert = [](int id) {
    db_conn.execute(QStringLiteral("INSERT INTO lootdrop (id, name) VALUES (%1, 'x')").arg(id));
  };
  open_db(db_rs, db_conn);
  insert(1);

  {
    db::Transaction tx(db_conn);
    insert(3);
    // Neither a reconnect nor a close may end it quietly.
    EXPECT_THROW(open_db(db_rs, db_conn), std::logic_error);
    EXPECT_THROW(db_conn.close(), std::logic_error);
    EXPECT_TRUE(db_conn.is_open());
    EXPECT_TRUE(db_conn.in_transaction());
    insert(4);
    tx.commit();
  }
  EXPECT_EQ(scratch->count(QStringLiteral("lootdrop")), 3);

  // The link dies in the middle: the connection is dropped, so the next
  // operation connects again instead of failing on a dead link.
  db_rs.open(QStringLiteral("SELECT CONNECTION_ID()"), db_conn);
  const QString id = db_rs.field(0).text();
  db_rs.close();
  try {
    db::Transaction tx(db_conn);
    insert(5);
    scratch->exec(QStringLiteral("KILL ") + id);
    insert(6);
    FAIL() << "a killed connection should fail";
  } catch (const db::Error& e) {
    EXPECT_TRUE(e.connection_lost());
  }
  EXPECT_FALSE(db_conn.is_open());
  EXPECT_FALSE(db_conn.in_transaction());
  EXPECT_EQ(scratch->count(QStringLiteral("lootdrop")), 3);
  EXPECT_NO_THROW(open_db(db_rs, db_conn));
}

// However a write ends without its commit, or with one that fails, what
// became of its changes is told as it is: a commit the server never
// confirmed is a failure; a link found dead (before the commit, at the
// rollback, or lost while a statement ran, even the first) is dropped and
// may have kept what was sent; a read-only read may not start inside the
// write, where it would commit it.
TEST_F(Database, AWriteThatIsNotCommittedTellsWhatBecameOfItsChanges) {
  const auto insert = [] { db_conn.execute(QStringLiteral("INSERT INTO lootdrop (id, name) VALUES (5, 'x')")); };
  const struct {
    const char* name;
    std::function<void(db::Transaction&)> run;
    bool open_after;
    db::Rollback outcome;
  } cases[] = {
      {"commit on a dead link",
       [&](db::Transaction& tx) {
         insert();
         kill_link();
         EXPECT_THROW(tx.commit(), db::Error);
       },
       false, db::Rollback::unknown},
      {"link dead at the rollback",
       [&](db::Transaction&) {
         insert();
         kill_link();
       },
       false, db::Rollback::unknown},
      {"link lost while the first statement ran",
       [&](db::Transaction&) {
         scratch->exec(
             QStringLiteral("CREATE TRIGGER cut BEFORE INSERT ON lootdrop FOR EACH ROW KILL CONNECTION_ID()"));
         EXPECT_THROW(insert(), db::Error);
       },
       false, db::Rollback::unknown},
      {"read-only read inside the write",
       [&](db::Transaction&) {
         insert();
         EXPECT_THROW(testing_support::open_read_only(db_rs, QStringLiteral("SELECT 1"), db_conn), db::Error);
         EXPECT_TRUE(db_conn.in_transaction());
       },
       true, db::Rollback::undone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scratch->exec(QStringLiteral("DROP TRIGGER IF EXISTS cut"));
    open_db(db_rs, db_conn);
    {
      db::Transaction tx(db_conn);
      c.run(tx);
    }
    EXPECT_FALSE(db_conn.in_transaction());
    EXPECT_EQ(db_conn.is_open(), c.open_after);
    EXPECT_EQ(db_conn.last_rollback(), c.outcome);
    EXPECT_EQ(scratch->count(QStringLiteral("lootdrop")), 0);
  }
}

TEST_F(Database, ServerThatRefusesOrIsAbsentIsReportedNotFatal) {
  db_settings.password = QStringLiteral("wrong password");
  try {
    open_db(db_rs, db_conn);
    FAIL() << "the server should have refused";
  } catch (const db::Error& e) {
    EXPECT_TRUE(e.message().contains(u"denied", Qt::CaseInsensitive)) << e.message().toStdString();
  }
  EXPECT_FALSE(db_conn.is_open());
  EXPECT_THROW(db_conn.execute(QStringLiteral("SELECT 1")), db::Error);
  EXPECT_THROW(db_rs.open(QStringLiteral("SELECT 1"), db_conn), db::Error);

  db_settings = testing_support::settings_for(scratch->name());
  db_settings.server = QStringLiteral("127.0.0.1;PORT=1");
  try {
    open_db(db_rs, db_conn);
    FAIL() << "nothing listens on port 1";
  } catch (const db::Error& e) {
    EXPECT_TRUE(e.connection_lost()) << e.sqlstate().toStdString() << " " << e.native_error();
  }
}

TEST_F(Database, LostConnectionIsAnErrorNotACrash) {
  open_db(db_rs, db_conn);
  db_rs.open(QStringLiteral("SELECT CONNECTION_ID()"), db_conn);
  const QString id = db_rs.field(0).text();
  db_rs.close();
  scratch->exec(QStringLiteral("KILL ") + id);
  try {
    db_conn.execute(QStringLiteral("INSERT INTO lootdrop (name) VALUES ('x')"));
    db_conn.execute(QStringLiteral("INSERT INTO lootdrop (name) VALUES ('y')"));
    FAIL() << "a killed connection should fail";
  } catch (const db::Error& e) {
    EXPECT_TRUE(e.connection_lost()) << e.message().toStdString() << " " << e.sqlstate().toStdString();
  }
  open_db(db_rs, db_conn);
  EXPECT_NO_THROW(db_conn.execute(QStringLiteral("SELECT 1")));
}

TEST_F(Database, FirstFreeIdFindsTheSmallestGap) {
  // The program's probe, and one of another shape, which is asked one
  // candidate at a time.
  const QString probes[] = {QStringLiteral("SELECT id FROM lootdrop WHERE id="),
                            QStringLiteral("SELECT id FROM lootdrop WHERE id = 0 + ")};
  const std::pair<QString, int> tables[] = {{QString(), 1},
                                            {QStringLiteral("(1), (2), (3), (5)"), 4},
                                            {QStringLiteral("(1), (2), (3), (4), (5)"), 6},
                                            {QStringLiteral("(2), (3), (4), (5)"), 1}};
  for (const auto& [ids, free] : tables) {
    scratch->exec(QStringLiteral("DELETE FROM lootdrop"));
    if (!ids.isEmpty()) scratch->exec(QStringLiteral("INSERT INTO lootdrop (id) VALUES ") + ids);
    for (const QString& probe : probes) {
      EXPECT_EQ(first_free_id(probe), free) << ids.toStdString() << " / " << probe.toStdString();
      EXPECT_TRUE(db_conn.is_open());
      EXPECT_FALSE(db_rs.is_open());
    }
  }
}

TEST_F(Database, FirstFreeIdReportsAFullRangeInsteadOfLooping) {
  scratch->exec(QStringLiteral("INSERT INTO lootdrop (id) VALUES (1), (2147483646), (2147483647)"));
  EXPECT_EQ(first_free_id(QStringLiteral("SELECT id FROM lootdrop WHERE id=")), 2);
  scratch->exec(QStringLiteral("DELETE FROM lootdrop"));
  scratch->exec(QStringLiteral("INSERT INTO lootdrop (id) VALUES (2147483647)"));
  // 1 is free even though the largest id is taken.
  EXPECT_EQ(first_free_id(QStringLiteral("SELECT id FROM lootdrop WHERE id=")), 1);
}

TEST_F(Database, NextIdIsOneMoreThanTheMaximum) {
  EXPECT_EQ(next_id(QStringLiteral("SELECT max(id) FROM loottable")), 1);          // NULL maximum
  EXPECT_EQ(next_id(QStringLiteral("SELECT id FROM loottable WHERE id < 0")), 1);  // no row
  scratch->exec(QStringLiteral("INSERT INTO loottable (id, name) VALUES (7, 'a'), (41, 'b')"));
  EXPECT_EQ(next_id(QStringLiteral("SELECT max(id) FROM loottable")), 42);
  EXPECT_FALSE(db_rs.is_open());
  EXPECT_EQ(next_id(QStringLiteral("SELECT 12.5")), 14);  // 13.5 rounds to even
  EXPECT_EQ(next_id(QStringLiteral("SELECT 11.5")), 12);
  // Ids are unsigned 32-bit: past the signed range, up to 4294967295.
  EXPECT_EQ(next_id(QStringLiteral("SELECT 2147483647")), 2147483648u);
  EXPECT_EQ(next_id(QStringLiteral("SELECT 4294967294")), 4294967295u);
  EXPECT_THROW(next_id(QStringLiteral("SELECT 4294967295")), db::Error);
}

TEST_F(Database, OpenDbGivesAFreshResultSetAndConnection) {
  open_db(db_rs, db_conn);
  db_rs.open(QStringLiteral("SELECT 1"), db_conn);
  ASSERT_TRUE(db_rs.is_open());
  open_db(db_rs, db_conn);
  EXPECT_FALSE(db_rs.is_open());
  EXPECT_TRUE(db_conn.is_open());
}

// A result the server takes its time over arrives on a worker thread: the
// label is painted all the while, no input is handled meanwhile (the key
// waits for the handler's end), every row is counted once, in order, after
// the row count, even when a long value makes the reading start over; a
// refused query is thrown on the calling thread, whose connection still
// works.
TEST_F(Database, BackgroundReadPaintsWhileTheServerWorksAndHandlesNoInput) {
  QString long_name(3000, u'q');
  scratch->exec(QStringLiteral("INSERT INTO npc_types (id, name, level) VALUES (1,'a',1),(2,'b',1),(3,'") + long_name +
                QStringLiteral("',1),(4,'d',1)"));
  struct Names : db::RowReader {
    void begin(int rows) override {
      ++begun;
      names.clear();
      names.reserve(static_cast<std::size_t>(rows));
    }
    void take(const db::RowBlock& block) override {
      for (int r = 0; r < block.size(); ++r) names.push_back(block.text(r, 1).toByteArray());
    }
    int begun = 0;
    std::vector<QByteArray> names;
  } names;
  struct Paints : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++count;
      return false;
    }
    int count = 0;
  } paints;
  QLabel label;
  label.show();
  label.installEventFilter(&paints);
  QLineEdit box;
  box.show();
  QCoreApplication::processEvents();
  QCoreApplication::postEvent(&box, new QKeyEvent(QEvent::KeyPress, Qt::Key_K, Qt::NoModifier, QStringLiteral("k")));

  QStringList steps;
  const std::function<void(const QString&)> observer = [&](const QString& text) { steps << text; };
  int counted = -1;
  BackgroundRead reading(names, label, QStringLiteral("Loading NPC "), 1, label, &observer);
  open_db(db_rs, db_conn);
  paints.count = 0;
  reading.run(
      [&] {
        db_rs.read(QStringLiteral("SELECT id, name FROM npc_types WHERE SLEEP(0.15)=0 ORDER BY id"), db_conn, reading);
      },
      [&](int rows) {
        counted = rows;
        steps << QStringLiteral("counted");
      });
  EXPECT_GE(paints.count, 10) << "four rows at 0.15 s each, painted about 30 times a second";
  EXPECT_EQ(box.text(), QString()) << "input waits for the handler's end";
  EXPECT_EQ(counted, 4);
  EXPECT_EQ(steps, (QStringList{QStringLiteral("counted"), QStringLiteral("Loading NPC 1/4"),
                                QStringLiteral("Loading NPC 2/4"), QStringLiteral("Loading NPC 3/4"),
                                QStringLiteral("Loading NPC 4/4")}));
  EXPECT_EQ(label.text(), QStringLiteral("Loading NPC 4/4"));
  EXPECT_EQ(names.begun, 2) << "the long value makes the reading start over";
  EXPECT_EQ(names.names, (std::vector<QByteArray>{"a", "b", long_name.toUtf8(), "d"}));
  EXPECT_FALSE(db_rs.is_open());
  QCoreApplication::processEvents();
  EXPECT_EQ(box.text(), QStringLiteral("k"));

  BackgroundRead refused(names, label, QStringLiteral("Loading NPC "), 1, label);
  EXPECT_THROW(refused.run([&] { db_rs.read(QStringLiteral("SELECT nothing FROM npc_types"), db_conn, refused); },
                           [](int) { ADD_FAILURE() << "no count for a refused query"; }),
               db::Error);
  // The refusal reaches this thread, and the connection still serves it.
  // (The driver's lock kept after a failed statement holding ";" is the
  // next test's.)
  db_rs.open(QStringLiteral("SELECT 7"), db_conn);
  EXPECT_EQ(db_rs.field(0).text(), QStringLiteral("7"));
}

// The driver keeps its lock of the connection after a failed statement
// holding ";" (it runs one statement at a time): whichever thread it failed
// on, inside a transaction or not, a read on another thread still gets
// through afterwards, and a transaction goes on over the same link to its
// end.
TEST_F(Database, AFailedStatementLeavesTheConnectionToEveryThread) {
  const QString refused = QStringLiteral("SELECT id FROM lootdrop; SELECT 1");
  const struct {
    const char* name;
    std::function<void()> fail;
  } cases[] = {
      {"query", [&] { EXPECT_THROW(db_rs.open(refused, db_conn), db::Error); }},
      {"statement", [&] { EXPECT_THROW(db_conn.execute(refused), db::Error); }},
      {"query inside a transaction",
       [&] {
         db::Transaction tx(db_conn);
         db_conn.execute(QStringLiteral("INSERT INTO lootdrop (id, name) VALUES (1, 'a')"));
         EXPECT_THROW(db_rs.open(refused, db_conn), db::Error);
         db_conn.execute(QStringLiteral("INSERT INTO lootdrop (id, name) VALUES (2, 'b')"));
         tx.commit();
       }},
      {"query on a worker",
       [&] { EXPECT_THROW(worker::run([&] { db_rs.open(refused, db_conn); }, [] {}), db::Error); }},
      {"query on a worker inside a read-only read",
       [&] {
         EXPECT_THROW(db_rs.read_only(db_conn, [&] { worker::run([&] { db_rs.open(refused, db_conn); }, [] {}); }),
                      db::Error);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // A thread that waits for a lock nobody will give back cannot be ended
    // cleanly: after 30 s the test ends the process.
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread watchdog([&] {
      std::unique_lock lock(mutex);
      if (finished.wait_for(lock, std::chrono::seconds(30), [&] { return done; })) return;
      std::fprintf(stderr, "%s: the connection still waits for its lock after 30 s\n", c.name);
      std::_Exit(1);
    });
    scratch->exec(QStringLiteral("DELETE FROM lootdrop"));
    open_db(db_rs, db_conn);
    c.fail();
    worker::run([&] { db_rs.open(QStringLiteral("SELECT COUNT(*) FROM lootdrop"), db_conn); }, [] {});
    {
      const std::lock_guard lock(mutex);
      done = true;
    }
    finished.notify_one();
    watchdog.join();
    EXPECT_EQ(db_rs.field(0).text(), c.name == cases[2].name ? QStringLiteral("2") : QStringLiteral("0"));
    db_rs.close();
    db_rs.open(QStringLiteral("SELECT 7"), db_conn);
    EXPECT_EQ(db_rs.field(0).text(), QStringLiteral("7"));
  }
}

}  // namespace
