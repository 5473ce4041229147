#include "shared/shared.h"

#include "controls/igrid.h"
#include "platform/textnum.h"
#include "shared/operator_io.h"
#include "shared/settings.h"

#include <QRegularExpression>
#include <limits>
#include <stdexcept>

db::Connection db_conn;
db::ResultSet db_rs;
QString sql_text;
std::int32_t rec_count = 0;
std::uint32_t own_lootdrop_id = 0;
std::uint32_t cur_loottable_id = 0;
std::uint32_t cur_lootdrop_id = 0;
std::int32_t cur_item_id = 0;
std::int32_t sel_loottable_row = 0;
std::int32_t sel_lootdrop_row = 0;
QString skill_text;

long long execute_sql(const QString& statement) {
  sql_text = statement;
  return db_conn.execute(sql_text);
}

namespace {

// A value enters the connection string whole, never as further attributes (a
// password "ab;UID=root" would log in as root): one that holds ";" or a brace,
// or begins or ends with a space, goes in braces with each "}" doubled, the
// ODBC way. (The driver still trims spaces at either end of a value.)
QString whole_value(const QString& value) {
  const bool plain = !value.contains(u';') && !value.contains(u'{') && !value.contains(u'}') &&
                     !value.startsWith(u' ') && !value.endsWith(u' ');
  if (plain) return value;
  QString inner = value;
  inner.replace(u'}', QStringLiteral("}}"));
  return u'{' + inner + u'}';
}

// db.ini has no field for the port, so the server value may end in one:
// "127.0.0.1;PORT=4270". That port becomes an attribute of its own; the rest
// names the server, whole.
QString server_attributes(const QString& server) {
  static const QRegularExpression with_port(
      QStringLiteral(R"(^(.*);\s*PORT\s*=\s*([0-9]+)\s*$)"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  const auto m = with_port.match(server);
  if (!m.hasMatch()) return QStringLiteral("SERVER=") + whole_value(server);
  return QStringLiteral("SERVER=") + whole_value(m.captured(1)) + QStringLiteral(";PORT=") + m.captured(2);
}

}  // namespace

QString connection_string() {
  return QStringLiteral("DRIVER={MySQL ODBC 3.51 Driver};") + server_attributes(db_settings.server) + u';' +
         QStringLiteral("DATABASE=") + whole_value(db_settings.database) + u';' + QStringLiteral("UID=") +
         whole_value(db_settings.user) + u';' + QStringLiteral("PWD=") + whole_value(db_settings.password) + u';' +
         QStringLiteral("OPTION=") + textnum::sql_number(18475);
}

void open_db(db::ResultSet& rs, db::Connection& conn) {
  // Reconnecting would end the open transaction: its first part would stay
  // or go without a word, whatever the caller goes on to do.
  if (conn.in_transaction()) throw std::logic_error("open_db was called while a transaction is open.");
  rs.close();
  conn.close();
  conn.set_connection_string(connection_string());
  conn.open();
}

namespace {

// The table of a probe of the form "SELECT id FROM <table> WHERE id=".
QString probed_table(const QString& prefix) {
  static const QRegularExpression re(QStringLiteral(R"(^\s*SELECT\s+id\s+FROM\s+`?(\w+)`?\s+WHERE\s+id\s*=\s*$)"),
                                     QRegularExpression::CaseInsensitiveOption);
  const auto m = re.match(prefix);
  return m.hasMatch() ? m.captured(1) : QString();
}

bool probe_is_free(const QString& prefix, std::int64_t n) {
  const QString probe = prefix + u'\'' + QString::number(n) + u'\'';
  db_rs.open(probe, db_conn);
  const int count = db_rs.record_count();
  db_rs.close();
  return count == 0;
}

}  // namespace

std::uint32_t first_free_id(const QString& prefix) {
  open_db(db_rs, db_conn);
  constexpr std::int64_t kLargest = std::numeric_limits<std::uint32_t>::max();
  std::int64_t n = 1;
  const QString table = probed_table(prefix);
  if (!table.isEmpty()) {
    // Find the candidate in at most two queries, whatever the table's size:
    // ids are unique, so when the count of ids from 1 up equals the span
    // they cover there is no gap and the answer is one past the largest.
    // Only a table with a gap needs the search for the first missing
    // successor, which stops at that gap. The probe below confirms it.
    const QString t = u'`' + table + u'`';
    db_rs.open(QStringLiteral("SELECT MIN(id), MAX(id), COUNT(*) FROM ") + t + QStringLiteral(" WHERE id >= 1"),
               db_conn);
    const double lowest = db_rs.field(0).number();
    const double highest = db_rs.field(1).number();
    const double count = db_rs.field(2).number();
    db_rs.close();
    if (count == 0 || lowest > 1) {
      n = 1;
    } else if (highest - lowest + 1 == count) {
      n = static_cast<std::int64_t>(highest) + 1;
    } else {
      db_rs.open(QStringLiteral("SELECT a.id + 1 FROM ") + t +
                     QStringLiteral(" a WHERE a.id >= 1 AND NOT EXISTS (SELECT 1 FROM ") + t +
                     QStringLiteral(" b WHERE b.id = a.id + 1) ORDER BY a.id LIMIT 1"),
                 db_conn);
      if (!db_rs.eof()) n = static_cast<std::int64_t>(db_rs.field(0).number());
      db_rs.close();
    }
    if (n < 1) n = 1;
  }
  for (; n <= kLargest; ++n) {
    if (probe_is_free(prefix, n)) return static_cast<std::uint32_t>(n);
  }
  throw db::Error(QStringLiteral("Every identifier up to 4294967295 is taken."));
}

std::uint32_t next_id(const QString& query) {
  open_db(db_rs, db_conn);
  db_rs.open(query, db_conn);
  double value = 0;
  if (!db_rs.eof()) value = db_rs.field(0).number();
  db_rs.close();
  const auto id = textnum::to_uint32(value + 1);
  if (!id) {
    throw db::Error(QStringLiteral("No identifier is left: the next one would be ") + textnum::number_text(value + 1) +
                    QStringLiteral(", outside 0 to 4294967295."));
  }
  return *id;
}

QString not_undone_note(db::Rollback outcome) {
  switch (outcome) {
    case db::Rollback::undone:
      break;
    case db::Rollback::kept:
      return QStringLiteral(
          "Not everything could be undone: a table that cannot roll back (such as a MyISAM table) "
          "kept what was written before the failure.");
    case db::Rollback::unknown:
      return QStringLiteral(
          "The link to the server was lost: a table that can roll back kept none of the changes, "
          "but one that cannot (such as a MyISAM table) kept what was written before then.");
  }
  return QString();
}

void report_after_rollback(const QString& what, db::Rollback outcome, const db::Error& error) {
  if (outcome == db::Rollback::undone) return report_db_error(what, error);
  static const QRegularExpression claim(QStringLiteral(R"(\s*\(nothing was [^()]*\)$)"));
  QString subject = what;
  subject.remove(claim);
  operator_io().message(db_error_text(subject, error) + QStringLiteral("\n\n") + not_undone_note(outcome));
}

void report_transaction_failure(const QString& what, const db::Error& error) {
  report_after_rollback(what, db_conn.last_rollback(), error);
}

void forget_current_loot() {
  cur_loottable_id = 0;
  cur_lootdrop_id = 0;
  sel_loottable_row = 0;
  sel_lootdrop_row = 0;
}

void empty_loot_grids(IGrid& loottableE, IGrid& lootdropE) {
  loottableE.Clear();
  lootdropE.Clear();
  forget_current_loot();
}
