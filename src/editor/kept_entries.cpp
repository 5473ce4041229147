#include "editor/kept_entries.h"

#include "platform/odbc.h"
#include "platform/sqltext.h"
#include "platform/textnum.h"
#include "shared/shared.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace kept_entries {
namespace {

// The copy's own column, numbering the entries in the order they are read.
const QString kSeq = u"kept_seq"_s;

// "`a`,`b`" or, with a prefix, "k.`a`,k.`b`".
QString names(const QStringList& columns, const QString& prefix = QString()) {
  QStringList out;
  for (const QString& c : columns) out << prefix + sqltext::identifier(c);
  return out.join(u',');
}

// The key as the table stores it: an integer column rounds half away from
// zero. Nothing for a value beyond any key.
std::optional<long long> key_of(const QString& value) {
  const double v = textnum::numeric_value(value);
  if (!(std::fabs(v) < 9.2e18)) return std::nullopt;
  return std::llround(v);
}

bool rows_less(const QStringList& a, const QStringList& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

struct Entry {
  QString seq;
  long long key = 0;
  // The written columns' values as a statement carries them.
  QStringList shown;
  bool hidden = false;
  bool continued = false;
};

class Keeper {
 public:
  Keeper(const Layout& layout, std::int64_t parent_id)
      : l_(layout),
        parent_id_(parent_id),
        parent_(textnum::sql_number(static_cast<double>(parent_id))),
        copy_(layout.table + u"_kept"_s) {}

  // Learns the table's columns, and copies and reads the parent's entries.
  void copy() {
    db::ResultSet rs;
    sql_text =
        u"SELECT COLUMN_NAME,EXTRA FROM information_schema.COLUMNS WHERE TABLE_SCHEMA=DATABASE() AND "
        u"TABLE_NAME="_s +
        sqltext::quote(l_.table) + u" ORDER BY ORDINAL_POSITION"_s;
    rs.open(sql_text, db_conn);
    for (; !rs.eof(); rs.move_next()) {
      const QString name = rs.field(0).text();
      // The server computes generated columns itself and refuses values for them.
      if (rs.field(1).text().contains(u"GENERATED"_s, Qt::CaseInsensitive)) continue;
      stored_ << name;
      if (name.compare(l_.parent, Qt::CaseInsensitive) != 0 && !l_.written.contains(name, Qt::CaseInsensitive))
        kept_ << name;
    }
    rs.close();
    // Without a table the delete says so.
    if (stored_.isEmpty()) return;
    active_ = true;
    // A copy left by a save that failed on this connection goes first.
    execute_sql(u"DROP TEMPORARY TABLE IF EXISTS "_s + copy_);
    // InnoDB whatever the server's default: a copy that cannot roll back
    // would make every failed save's rollback look incomplete.
    execute_sql(u"CREATE TEMPORARY TABLE "_s + copy_ + u" ("_s + kSeq +
                u" INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY) ENGINE=InnoDB SELECT "_s + names(stored_) +
                u" FROM "_s + l_.table + u" WHERE "_s + l_.parent + u'=' + parent_);
    sql_text = u"SELECT "_s + kSeq + u',' + l_.written.join(u',') + u",("_s +
               (l_.hidden.isEmpty() ? u"0"_s : l_.hidden) + u") FROM "_s + copy_ + u" k ORDER BY "_s + kSeq;
    rs.open(sql_text, db_conn);
    const auto n = static_cast<int>(l_.written.size());
    for (; !rs.eof(); rs.move_next()) {
      Entry e;
      e.seq = rs.field(0).text();
      e.key = std::llround(rs.number(1));
      for (int i = 1; i <= n; ++i) e.shown << textnum::sql_number(rs.number(i));
      e.hidden = rs.number(n + 1) != 0;
      if (!e.hidden) by_key_[e.key].push_back(entries_.size());
      entries_.push_back(std::move(e));
    }
    rs.close();
  }

  // The entries the grid shows must be those it loaded.
  void check_unchanged(const Loaded& loaded) const {
    if (!active_) return;
    std::vector<QStringList> stored;
    for (const Entry& e : entries_) {
      if (!e.hidden) stored.push_back(e.shown);
    }
    std::vector<QStringList> shown;
    if (loaded.parent == parent_id_) shown = loaded.rows;
    std::sort(stored.begin(), stored.end(), rows_less);
    std::sort(shown.begin(), shown.end(), rows_less);
    if (stored == shown) return;
    throw Refused(l_.parent_name + u' ' + textnum::number_text(static_cast<double>(parent_id_)) +
                  u" was changed in the database after the grid showed it (by a command such as \"GO\" or "
                  u"\"Fix chances\", or by another program), so saving the grid would take that back: nothing "
                  u"was saved. Choose the NPC row again to see what is stored."_s);
  }

  void pair(const std::vector<QStringList>& rows) {
    continues_.assign(rows.size(), -1);
    for (const QStringList& row : rows) {
      if (const auto key = key_of(row.value(0))) held_.insert(*key);
    }
    if (!active_) return;
    for (const bool unchanged : {true, false}) {
      for (std::size_t i = 0; i < rows.size(); ++i) {
        if (continues_[i] >= 0) continue;
        const auto key = key_of(rows[i].value(0));
        const auto found = key ? by_key_.find(*key) : by_key_.end();
        if (found == by_key_.end()) continue;
        for (const std::size_t at : found->second) {
          Entry& e = entries_[at];
          if (e.continued || (unchanged && e.shown != rows[i])) continue;
          e.continued = true;
          continues_[i] = static_cast<long long>(at);
          break;
        }
      }
    }
  }

  // Every key of a row that continues no shown entry must be in the
  // catalogue.
  void check_catalogue(const std::vector<QStringList>& rows) const {
    if (l_.catalogue.isEmpty()) return;
    QStringList asked;
    std::unordered_set<long long> seen;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (continues_[i] >= 0) continue;
      const auto key = key_of(rows[i].value(0));
      if (key && seen.insert(*key).second) asked << QString::number(*key);
    }
    std::unordered_set<long long> found;
    if (!asked.isEmpty()) {
      db::ResultSet rs;
      sql_text = u"SELECT id FROM "_s + l_.catalogue + u" WHERE id IN ("_s + asked.join(u',') + u')';
      rs.open(sql_text, db_conn);
      for (; !rs.eof(); rs.move_next()) found.insert(std::llround(rs.number(0)));
      rs.close();
    }
    QStringList missing;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (continues_[i] >= 0) continue;
      const auto key = key_of(rows[i].value(0));
      const QString text = key ? QString::number(*key) : rows[i].value(0);
      if ((!key || found.count(*key) == 0) && !missing.contains(text)) missing << text;
    }
    if (missing.isEmpty()) return;
    const bool one = missing.size() == 1;
    throw Refused((one ? l_.key_name : l_.key_name + u's') + u' ' + missing.join(u", "_s) +
                  (one ? u" is not in "_s : u" are not in "_s) + l_.catalogue_name + u": nothing was saved."_s);
  }

  // The insert of row `i`: a new row as the grid has it; a continued one
  // with its entry's own values of every column and cell left as it was.
  QString insert(std::size_t i, const QStringList& values,
                 const std::function<QString(const QStringList&)>& insert_text) const {
    if (continues_[i] < 0) return insert_text(values);
    const Entry& e = entries_[static_cast<std::size_t>(continues_[i])];
    QStringList taken;
    for (qsizetype j = 0; j < l_.written.size(); ++j) {
      taken << (values.value(j) == e.shown.value(j) ? u"k."_s + sqltext::identifier(l_.written[j]) : values.value(j));
    }
    QString columns = l_.parent + u',' + l_.written.join(u',');
    QString selected = parent_ + u',' + taken.join(u',');
    if (!kept_.isEmpty()) {
      columns += u',' + names(kept_);
      selected += u',' + names(kept_, u"k."_s);
    }
    return u"INSERT INTO "_s + l_.table + u" ("_s + columns + u") SELECT "_s + selected + u" FROM "_s + copy_ +
           u" k WHERE k."_s + kSeq + u'=' + e.seq;
  }

  void restore() {
    if (!active_) return;
    // Entries the grid never showed come back whole, unless the grid now
    // holds their key itself.
    QStringList whole;
    for (const Entry& e : entries_) {
      if (e.hidden && held_.count(e.key) == 0) whole << e.seq;
    }
    if (!whole.isEmpty()) {
      execute_sql(u"INSERT INTO "_s + l_.table + u" ("_s + names(stored_) + u") SELECT "_s + names(stored_) +
                  u" FROM "_s + copy_ + u" WHERE "_s + kSeq + u" IN ("_s + whole.join(u',') + u')');
    }
    execute_sql(u"DROP TEMPORARY TABLE "_s + copy_);
  }

  // The entries the grid shows, as they are stored now.
  std::vector<QStringList> shown_now() const {
    db::ResultSet rs;
    sql_text = u"SELECT "_s + l_.written.join(u',') + u",("_s + (l_.hidden.isEmpty() ? u"0"_s : l_.hidden) +
               u") FROM "_s + l_.table + u" k WHERE "_s + l_.parent + u'=' + parent_;
    rs.open(sql_text, db_conn);
    const auto n = static_cast<int>(l_.written.size());
    std::vector<QStringList> rows;
    for (; !rs.eof(); rs.move_next()) {
      if (rs.number(n) != 0) continue;
      QStringList row;
      for (int i = 0; i < n; ++i) row << textnum::sql_number(rs.number(i));
      rows.push_back(std::move(row));
    }
    rs.close();
    return rows;
  }

 private:
  const Layout& l_;
  const std::int64_t parent_id_;
  const QString parent_;
  const QString copy_;
  QStringList stored_;  // every column but the generated ones
  QStringList kept_;    // those of them the grid does not write
  bool active_ = false;
  std::vector<Entry> entries_;
  std::unordered_map<long long, std::vector<std::size_t>> by_key_;  // shown entries per key
  std::vector<long long> continues_;                                // per row: the entry it continues, or -1
  std::unordered_set<long long> held_;                              // the keys the rows hold
};

}  // namespace

Loaded replace(const Layout& layout, std::int64_t parent_id, const std::vector<QStringList>& rows, const Loaded& loaded,
               const QString& delete_text, const std::function<QString(const QStringList&)>& insert_text) {
  Keeper keeper(layout, parent_id);
  keeper.copy();
  keeper.check_unchanged(loaded);
  keeper.pair(rows);
  keeper.check_catalogue(rows);
  execute_sql(delete_text);
  for (std::size_t i = 0; i < rows.size(); ++i) execute_sql(keeper.insert(i, rows[i], insert_text));
  keeper.restore();
  return {parent_id, keeper.shown_now()};
}

}  // namespace kept_entries
