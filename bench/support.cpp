#include "support.h"

#include "support/root_client.h"

#include "platform/readers.h"

#include <sys/resource.h>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace bench_support {
namespace {

struct Server {
  int port = 0;
  QString user = QStringLiteral("lootadmin");
  QString password = QStringLiteral("Ziri-3.55-pw");
};

Server server() {
  Server s;
  s.port = qEnvironmentVariableIntValue("LOOT_DB_PORT");
  if (s.port == 0) {
    QFile f(QStringLiteral(LOOT_SOURCE_DIR "/.db/port"));
    if (f.open(QIODevice::ReadOnly)) s.port = QString::fromLatin1(f.readAll()).trimmed().toInt();
  }
  if (qEnvironmentVariableIsSet("LOOT_DB_USER")) s.user = qEnvironmentVariable("LOOT_DB_USER");
  if (qEnvironmentVariableIsSet("LOOT_DB_PASS")) s.password = qEnvironmentVariable("LOOT_DB_PASS");
  return s;
}

const QString kDatabase = QStringLiteral("loot_bench");

db::Connection& admin() {
  static std::unique_ptr<db::Connection> conn;
  if (!conn || !conn->is_open()) {
    const Server s = server();
    conn = std::make_unique<db::Connection>();
    conn->set_connection_string(QStringLiteral("DRIVER={MySQL ODBC 3.51 Driver};SERVER=127.0.0.1;PORT=") +
                                QString::number(s.port) + QStringLiteral(";UID=") + s.user + QStringLiteral(";PWD=") +
                                s.password + QStringLiteral(";OPTION=18475"));
    conn->open();
  }
  return *conn;
}

void load_schema() {
  const auto text = readers::read_text_file(QStringLiteral(LOOT_SOURCE_DIR "/scripts/schema.sql"));
  if (!text) throw std::runtime_error("scripts/schema.sql is missing");
  QString current;
  for (const QString& line : text->split(u'\n')) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QStringLiteral("--"))) continue;
    current += line + u'\n';
    if (t.endsWith(u';')) {
      current = current.trimmed();
      current.chop(1);
      admin().execute(current);
      current.clear();
    }
  }
}

QStringList client_args() {
  const Server s = server();
  return {QStringLiteral("--no-defaults"),       QStringLiteral("-h127.0.0.1"),
          QStringLiteral("-P%1").arg(s.port),    QStringLiteral("-u") + s.user,
          QStringLiteral("-p") + s.password,     QStringLiteral("--batch"),
          QStringLiteral("--skip-column-names"), kDatabase};
}

}  // namespace

DbSettings bench_settings(bool fresh) {
  db::Connection& c = admin();
  db::ResultSet rs;
  rs.open(QStringLiteral("SHOW DATABASES LIKE 'loot_bench'"), c);
  const bool exists = rs.record_count() > 0;
  if (fresh || !exists) {
    c.execute(QStringLiteral("DROP DATABASE IF EXISTS loot_bench"));
    c.execute(QStringLiteral("CREATE DATABASE loot_bench CHARACTER SET latin1"));
    c.execute(QStringLiteral("USE loot_bench"));
    load_schema();
  }
  c.execute(QStringLiteral("USE loot_bench"));
  const Server s = server();
  DbSettings d;
  d.server = QStringLiteral("127.0.0.1;PORT=") + QString::number(s.port);
  d.user = s.user;
  d.password = s.password;
  d.database = kDatabase;
  d.data_folder = QStringLiteral("\\");
  return d;
}

void exec(const QString& sql) {
  admin().execute(QStringLiteral("USE loot_bench"));
  admin().execute(sql);
}

double client_seconds(const QString& query, bool compress) {
  QProcess p;
  p.setStandardOutputFile(QProcess::nullDevice());
  QStringList args = client_args();
  if (compress) args.insert(1, QStringLiteral("--compress"));
  args << QStringLiteral("-e") << query;
  QElapsedTimer t;
  t.start();
  p.start(QStringLiteral("mariadb"), args);
  p.waitForFinished(-1);
  return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

double client_inner_seconds(const QStringList& statements, bool compress, const QString& database) {
  QString script = QStringLiteral("SET @loot_bench_start=NOW(6);\n");
  for (const QString& statement : statements) script += statement + QStringLiteral(";\n");
  script += QStringLiteral("SELECT TIMESTAMPDIFF(MICROSECOND,@loot_bench_start,NOW(6));\n");
  QTemporaryFile output;
  if (!output.open()) throw std::runtime_error("no temporary file for the client's output");
  QProcess p;
  p.setStandardOutputFile(output.fileName());
  QStringList args = client_args();
  if (compress) args.insert(1, QStringLiteral("--compress"));
  if (!database.isEmpty()) args.last() = database;
  p.start(QStringLiteral("mariadb"), args);
  p.waitForStarted(-1);
  p.write(script.toUtf8());
  p.closeWriteChannel();
  p.waitForFinished(-1);
  if (p.exitCode() != 0) throw std::runtime_error("the client failed: " + p.readAllStandardError().toStdString());
  // The last line is the time; results before it may be many megabytes.
  QFile f(output.fileName());
  f.open(QIODevice::ReadOnly);
  const qint64 size = f.size();
  f.seek(std::max<qint64>(0, size - 64));
  const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
  return lines.last().trimmed().toDouble() / 1e6;
}

QStringList captured_statements(const std::function<void()>& run) {
  db::ResultSet rs;
  rs.open(QStringLiteral("SELECT CONNECTION_ID()"), admin());
  const QString self = rs.field(0).text();
  rs.close();
  testing_support::root_sql(
      QStringLiteral("SET GLOBAL log_output='TABLE';\nTRUNCATE mysql.general_log;\nSET GLOBAL general_log=ON;\n"));
  try {
    run();
  } catch (...) {
    testing_support::root_sql(QStringLiteral("SET GLOBAL general_log=OFF;\nTRUNCATE mysql.general_log;\n"));
    throw;
  }
  // Hexadecimal, so statements that span lines come through the client's
  // line-wise output whole.
  const QString out =
      testing_support::root_sql(QStringLiteral("SET GLOBAL general_log=OFF;\n"
                                               "SELECT HEX(CONVERT(argument USING utf8mb4)) FROM "
                                               "mysql.general_log WHERE command_type IN ('Query','Execute') "
                                               "AND user_host NOT LIKE 'root[%' AND thread_id<>") +
                                self + QStringLiteral(" ORDER BY event_time;\nTRUNCATE mysql.general_log;\n"));
  QStringList statements;
  for (const QString& line : out.split(u'\n')) {
    if (!line.trimmed().isEmpty()) statements << QString::fromUtf8(QByteArray::fromHex(line.trimmed().toLatin1()));
  }
  return statements;
}

QString world_database(int scale) {
  const QString name = QStringLiteral("loot_world_x%1").arg(scale);
  db::ResultSet rs;
  rs.open(QStringLiteral("SELECT COUNT(*) FROM information_schema.tables WHERE table_schema='") + name +
              QStringLiteral("' AND table_name='npc_types'"),
          admin());
  const bool there = rs.field(0).number() > 0;
  rs.close();
  if (!there) {
    std::printf("  (the %dx world is not loaded: bash scripts/load_world.sh --scale %d --database %s)\n", scale, scale,
                name.toUtf8().constData());
    return {};
  }
  return name;
}

void copy_tables(const QString& database, const QStringList& tables) {
  admin().execute(QStringLiteral("USE loot_bench"));
  for (const QString& table : tables) {
    admin().execute(QStringLiteral("DROP TABLE IF EXISTS ") + table);
    admin().execute(QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" LIKE ") + database + u'.' + table);
    admin().execute(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" SELECT * FROM ") + database + u'.' +
                    table);
  }
}

void settle_server() {
  const QString pct = testing_support::root_sql(QStringLiteral("SELECT @@GLOBAL.innodb_max_dirty_pages_pct")).trimmed();
  testing_support::root_sql(QStringLiteral("SET GLOBAL innodb_max_dirty_pages_pct=0"));
  QElapsedTimer t;
  t.start();
  bool settled = false;
  while (t.elapsed() < 120000) {
    const QStringList values =
        testing_support::root_sql(
            QStringLiteral("SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME IN "
                           "('INNODB_BUFFER_POOL_PAGES_DIRTY','INNODB_HISTORY_LIST_LENGTH') ORDER BY VARIABLE_NAME"))
            .trimmed()
            .split(u'\n');
    // Dirty pages, then the history list.
    settled = values.size() == 2 && values[0].toLongLong() <= 100 && values[1].toLongLong() <= 1000;
    if (settled) break;
    QThread::msleep(200);
  }
  testing_support::root_sql(QStringLiteral("SET GLOBAL innodb_max_dirty_pages_pct=") + pct);
  if (!settled) std::printf("  (the server was still writing back pages after two minutes)\n");
}

void ensure_npcs(int count) {
  db::ResultSet rs;
  admin().execute(QStringLiteral("USE loot_bench"));
  rs.open(QStringLiteral("SELECT COUNT(*), COALESCE(MAX(id),0) FROM npc_types"), admin());
  if (rs.field(0).number() == count && rs.field(1).number() == count) return;
  admin().execute(QStringLiteral("DELETE FROM npc_types"));
  admin().execute(QStringLiteral("SET SESSION max_recursive_iterations = 10000000"));
  admin().execute(QStringLiteral("INSERT INTO npc_types (id, name, level, loottable_id) "
                                 "WITH RECURSIVE seq(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM seq WHERE n < %1) "
                                 "SELECT n, CONCAT('a_bench_npc_', n), 1 + (n MOD 127), n MOD 26000 FROM seq")
                      .arg(count));
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double seconds_of(const std::function<void()>& run) {
  QElapsedTimer t;
  t.start();
  run();
  return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

double peak_rss_mb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

void reset_peak_rss() {
  QFile f(QStringLiteral("/proc/self/clear_refs"));
  if (f.open(QIODevice::WriteOnly)) f.write("5");
}

double peak_since_reset_mb() {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
  return 0;
}

double current_rss_mb() {
  QFile f(QStringLiteral("/proc/self/statm"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> parts = f.readAll().split(' ');
  if (parts.size() < 2) return 0;
  return parts[1].toDouble() * 4096.0 / (1024.0 * 1024.0);
}

}  // namespace bench_support
