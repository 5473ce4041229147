#include "editor/kept_entries.h"

#include "platform/odbc.h"
#include "platform/sqltext.h"
#include "platform/textnum.h"
#include "startup/shared.h"

#include <cmath>
#include <unordered_map>

using namespace Qt::StringLiterals;

namespace kept_entries {
namespace {

// The copy's own column, numbering the entries in the order they are read.
const QString kSeq = u"kept_seq"_s;

void run(const QString& statement) {
  sql_text = statement;
  db_conn.execute(sql_text);
}

// "`a`,`b`" or, with a prefix, "k.`a`,k.`b`".
QString names(const QStringList& columns, const QString& prefix = QString()) {
  QStringList out;
  for (const QString& c : columns) out << prefix + sqltext::identifier(c);
  return out.join(u',');
}

// The key as the table stores it: an integer column rounds half away from zero.
long long key_of(const QString& value) { return std::llround(textnum::numeric_value(value)); }

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
      : l_(layout), parent_(textnum::sql_number(static_cast<double>(parent_id))), copy_(layout.table + u"_kept"_s) {}

  // Learns the table's columns, and copies and reads the parent's entries
  // when the table holds anything the grid does not write.
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
    // Without a table (the delete then says so) or anything beyond the
    // grid's columns there is nothing to keep.
    if (stored_.isEmpty() || (kept_.isEmpty() && l_.hidden.isEmpty())) return;
    active_ = true;
    // A copy left by a save that failed on this connection goes first.
    run(u"DROP TEMPORARY TABLE IF EXISTS "_s + copy_);
    // InnoDB whatever the server's default: a copy that cannot roll back
    // would make every failed save's rollback look incomplete.
    run(u"CREATE TEMPORARY TABLE "_s + copy_ + u" ("_s + kSeq +
        u" INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY) ENGINE=InnoDB SELECT "_s + names(stored_) + u" FROM "_s +
        l_.table + u" WHERE "_s + l_.parent + u'=' + parent_);
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
      by_key_[e.key].push_back(entries_.size());
      entries_.push_back(std::move(e));
    }
    rs.close();
  }

  void pair(const std::vector<QStringList>& rows) {
    continues_.assign(rows.size(), -1);
    for (const QStringList& row : rows) ++held_[key_of(row.value(0))];
    for (const QStringList& row : rows) repeated_.push_back(held_[key_of(row.value(0))] > 1);
    if (!active_) return;
    for (const bool unchanged : {true, false}) {
      for (std::size_t i = 0; i < rows.size(); ++i) {
        if (continues_[i] >= 0) continue;
        const auto found = by_key_.find(key_of(rows[i].value(0)));
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

  // The insert of row `i`. A key the grid holds once gets its entry's values
  // back in restore(); of a key held twice the rows cannot be told apart
  // afterwards, so each carries its entry's values in its own insert.
  QString insert(std::size_t i, const QStringList& values,
                 const std::function<QString(const QStringList&)>& insert_text) const {
    if (kept_.isEmpty() || continues_[i] < 0 || !repeated_[i]) return insert_text(values);
    return u"INSERT INTO "_s + l_.table + u" ("_s + l_.parent + u',' + l_.written.join(u',') + u',' + names(kept_) +
           u") SELECT "_s + parent_ + u',' + values.join(u',') + u',' + names(kept_, u"k."_s) + u" FROM "_s + copy_ +
           u" k WHERE k."_s + kSeq + u'=' + entries_[static_cast<std::size_t>(continues_[i])].seq;
  }

  void restore() {
    if (!active_) return;
    QStringList single;
    for (std::size_t i = 0; i < continues_.size(); ++i) {
      if (continues_[i] >= 0 && !repeated_[i]) single << entries_[static_cast<std::size_t>(continues_[i])].seq;
    }
    if (!kept_.isEmpty() && !single.isEmpty()) {
      QStringList set;
      for (const QString& c : kept_) set << u"e."_s + sqltext::identifier(c) + u"=k."_s + sqltext::identifier(c);
      const QString& key = l_.written.front();
      run(u"UPDATE "_s + l_.table + u" e JOIN "_s + copy_ + u" k ON k."_s + key + u"=e."_s + key + u" SET "_s +
          set.join(u',') + u" WHERE e."_s + l_.parent + u'=' + parent_ + u" AND k."_s + kSeq + u" IN ("_s +
          single.join(u',') + u')');
    }
    // Entries the grid never showed come back whole, unless the grid now
    // holds their key itself.
    QStringList whole;
    for (const Entry& e : entries_) {
      if (e.hidden && !e.continued && held_.count(e.key) == 0) whole << e.seq;
    }
    if (!whole.isEmpty()) {
      run(u"INSERT INTO "_s + l_.table + u" ("_s + names(stored_) + u") SELECT "_s + names(stored_) + u" FROM "_s +
          copy_ + u" WHERE "_s + kSeq + u" IN ("_s + whole.join(u',') + u')');
    }
    run(u"DROP TEMPORARY TABLE "_s + copy_);
  }

 private:
  const Layout& l_;
  const QString parent_;
  const QString copy_;
  QStringList stored_;  // every column but the generated ones
  QStringList kept_;    // those of them the grid does not write
  bool active_ = false;
  std::vector<Entry> entries_;
  std::unordered_map<long long, std::vector<std::size_t>> by_key_;
  std::vector<long long> continues_;         // per row: the entry it continues, or -1
  std::vector<bool> repeated_;               // per row: its key is held by another row too
  std::unordered_map<long long, int> held_;  // rows per key
};

}  // namespace

void replace(const Layout& layout, std::int64_t parent_id, const std::vector<QStringList>& rows,
             const QString& delete_text, const std::function<QString(const QStringList&)>& insert_text) {
  Keeper keeper(layout, parent_id);
  keeper.copy();
  keeper.pair(rows);
  run(delete_text);
  for (std::size_t i = 0; i < rows.size(); ++i) run(keeper.insert(i, rows[i], insert_text));
  keeper.restore();
}

}  // namespace kept_entries
