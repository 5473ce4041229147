#include "support/testdb.h"

#include "platform/readers.h"
#include "shared/shared.h"
#include "support/shared_state.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <atomic>

namespace testing_support {

ServerInfo server_info() {
  ServerInfo s;
  s.port = qEnvironmentVariableIntValue("LOOT_DB_PORT");
  if (s.port == 0) {
    QFile f(QStringLiteral(LOOT_SOURCE_DIR "/.db/port"));
    if (f.open(QIODevice::ReadOnly)) s.port = QString::fromLatin1(f.readAll()).trimmed().toInt();
  }
  s.user = qEnvironmentVariable("LOOT_DB_USER", QStringLiteral("lootadmin"));
  s.password = qEnvironmentVariable("LOOT_DB_PASS", QStringLiteral("Ziri-3.55-pw"));
  return s;
}

DbSettings settings_for(const QString& database) {
  const ServerInfo s = server_info();
  DbSettings d;
  d.server = QStringLiteral("127.0.0.1;PORT=") + QString::number(s.port);
  d.user = s.user;
  d.password = s.password;
  d.database = database;
  d.data_folder = QStringLiteral("\\");
  return d;
}

QString schema_text() {
  const auto text = readers::read_text_file(QStringLiteral(LOOT_SOURCE_DIR "/scripts/schema.sql"));
  if (!text) throw std::runtime_error("scripts/schema.sql is missing");
  return *text;
}

namespace {
std::atomic<int> scratch_counter{0};

QString admin_string(const QString& database) {
  const DbSettings d = settings_for(database);
  return QStringLiteral("DRIVER={MySQL ODBC 3.51 Driver};SERVER=") + d.server + QStringLiteral(";DATABASE=") +
         d.database + QStringLiteral(";UID=") + d.user + QStringLiteral(";PWD=") + d.password +
         QStringLiteral(";OPTION=18475");
}
}  // namespace

ScratchDb::ScratchDb() {
  name_ = QStringLiteral("loot_t_%1_%2_%3")
              .arg(getpid())
              .arg(scratch_counter.fetch_add(1))
              .arg(QRandomGenerator::global()->bounded(1000000));
  conn_ = std::make_unique<db::Connection>();
  conn_->set_connection_string(admin_string(QString()));
  conn_->open();
  conn_->execute(QStringLiteral("CREATE DATABASE `") + name_ + QStringLiteral("` CHARACTER SET latin1"));
  // A connection renewed after a failed statement comes back to it.
  conn_->set_connection_string(admin_string(name_));
  conn_->open();
  exec_script(schema_text());
}

ScratchDb::~ScratchDb() {
  try {
    if (!conn_->is_open()) conn_->open();
    conn_->execute(QStringLiteral("DROP DATABASE IF EXISTS `") + name_ + u'`');
  } catch (const db::Error&) {
  }
}

void ScratchDb::exec(const QString& sql) {
  if (!conn_->is_open()) {
    conn_->open();
    conn_->execute(QStringLiteral("USE `") + name_ + u'`');
  }
  conn_->execute(sql);
}

void ScratchDb::exec_script(const QString& script) {
  QString current;
  for (const QString& line : script.split(u'\n')) {
    const QString t = line.trimmed();
    if (t.startsWith(QStringLiteral("--")) || t.isEmpty()) continue;
    current += line + u'\n';
    if (t.endsWith(u';')) {
      current = current.trimmed();
      current.chop(1);
      exec(current);
      current.clear();
    }
  }
  if (!current.trimmed().isEmpty()) exec(current);
}

QStringList ScratchDb::rows(const QString& sql) {
  if (!conn_->is_open()) {
    conn_->open();
    conn_->execute(QStringLiteral("USE `") + name_ + u'`');
  }
  db::ResultSet rs;
  rs.open(sql, *conn_);
  QStringList out;
  for (rs.move_first(); !rs.eof(); rs.move_next()) {
    QStringList fields;
    for (int i = 0; i < rs.field_count(); ++i) {
      const db::Field f = rs.field(i);
      fields << (f.is_null() ? QStringLiteral("NULL") : f.text());
    }
    out << fields.join(u'|');
  }
  return out;
}

QString ScratchDb::scalar(const QString& sql) {
  const QStringList r = rows(sql);
  if (r.isEmpty()) return QString();
  return r.first().section(u'|', 0, 0);
}

int ScratchDb::count(const QString& table, const QString& where) {
  QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + table;
  if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
  return scalar(sql).toInt();
}

void open_read_only(db::ResultSet& rs, const QString& sql, db::Connection& conn) {
  rs.read_only(conn, [&] { rs.open(sql, conn); });
}

SentStatements::SentStatements() {
  db::set_statement_observer([this](const db::Connection& conn, const QString& sql) {
    if (&conn == &db_conn) all << sql;
  });
}

SentStatements::~SentStatements() { db::set_statement_observer(nullptr); }

QStringList SentStatements::starting_with(const QString& start) const {
  QStringList out;
  for (const QString& sql : all)
    if (sql.startsWith(start)) out << sql;
  return out;
}

void DbTest::SetUp() {
  reset_shared_state();
  scratch = std::make_unique<ScratchDb>();
  db_settings = settings_for(scratch->name());
  set_operator_io(&io);
}

void DbTest::TearDown() {
  set_operator_io(nullptr);
  reset_shared_state();
  db_settings = DbSettings{};
  scratch.reset();
}

}  // namespace testing_support
