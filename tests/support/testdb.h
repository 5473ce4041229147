#pragma once
// Tests run against the project's private MariaDB server (scripts/db.sh).
// Each test gets a database of its own, made from scripts/schema.sql, so tests
// can run in parallel and never see each other's rows.

#include "platform/odbc.h"
#include "shared/operator_io.h"
#include "shared/settings.h"
#include "support/root_client.h"

#include <gtest/gtest.h>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <vector>

namespace testing_support {

// How to reach the test server: LOOT_DB_PORT / LOOT_DB_USER / LOOT_DB_PASS, or
// the port file that scripts/db.sh keeps under .db/.
struct ServerInfo {
  int port = 0;
  QString user;
  QString password;
};
ServerInfo server_info();

// Settings that reach the given database on the test server.
DbSettings settings_for(const QString& database);

// Thrown by RecordingIO::end_program so a test can see the program end.
struct ProgramEnded {};

// Records what the operator would have seen; answers questions from a queue.
class RecordingIO : public OperatorIO {
 public:
  void message(const QString& text) override { messages.push_back(text); }
  QString ask(const QString& prompt, const QString&) override {
    questions.push_back(prompt);
    if (answers.empty()) return QString();
    QString a = answers.front();
    answers.pop_front();
    return a;
  }
  [[noreturn]] void end_program() override {
    ended = true;
    throw ProgramEnded{};
  }
  std::vector<QString> messages;
  std::vector<QString> questions;
  std::deque<QString> answers;
  bool ended = false;
};

// A fresh database with the project's schema, dropped again at the end.
class ScratchDb {
 public:
  ScratchDb();
  ~ScratchDb();
  const QString& name() const { return name_; }
  // Runs statements on an administrative connection of the test's own.
  void exec(const QString& sql);
  void exec_script(const QString& script);
  // First field of the first row as text ("" for none or NULL).
  QString scalar(const QString& sql);
  // Every row, fields joined by "|" (NULL as "NULL").
  QStringList rows(const QString& sql);
  int count(const QString& table, const QString& where = QString());

 private:
  QString name_;
  std::unique_ptr<db::Connection> conn_;
};

// rs.open(sql, conn) inside ResultSet::read_only's read-only transaction.
void open_read_only(db::ResultSet& rs, const QString& sql, db::Connection& conn);

// The statement and query texts the program sends to the server over db_conn
// while this lives, in the order they are sent.
class SentStatements {
 public:
  SentStatements();
  ~SentStatements();
  SentStatements(const SentStatements&) = delete;
  SentStatements& operator=(const SentStatements&) = delete;
  // Those that begin with the given text.
  QStringList starting_with(const QString& start) const;
  QStringList all;
};

// Fixture: a scratch database, db_settings pointing at it, the shared state
// reset, and the recording operator interface in place.
class DbTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::unique_ptr<ScratchDb> scratch;
  RecordingIO io;
};

QString schema_text();

}  // namespace testing_support
