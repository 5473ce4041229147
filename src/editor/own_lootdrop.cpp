#include "editor/own_lootdrop.h"

#include "platform/odbc.h"
#include "platform/sqltext.h"
#include "platform/textnum.h"
#include "shared/operator_io.h"
#include "shared/shared.h"

#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

constexpr std::int32_t kOwnItems[] = {1001, 6015, 1856, 11807, 94128};

QString lookup_query() {
  return QStringLiteral("SELECT varname,value FROM variables WHERE varname=") + u'"' + QStringLiteral("LootdropID") +
         u'"';
}

QString lootdrop_insert(std::uint32_t id) {
  return QStringLiteral("INSERT INTO lootdrop (id,name) VALUES (") + textnum::sql_number(id) + u',' + u'"' +
         QStringLiteral("ZiridezivuR3") + u'"' + u')';
}

QString entry_insert(std::uint32_t id, std::int32_t item_id) {
  return QStringLiteral(
             "INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,"
             "disabled_chance,npc_min_level,npc_max_level,multiplier) VALUES ") +
         u'(' + textnum::sql_number(id) + u',' + textnum::sql_number(item_id) + QStringLiteral(",1,1,50,0,1,127,1)");
}

QString variable_insert(std::uint32_t id) {
  return QStringLiteral("INSERT INTO variables (varname,value,information) VALUES ") + u'(' + u'"' +
         QStringLiteral("LootdropID") + u'"' + u',' + textnum::sql_number(id) + u',' + u'"' +
         QStringLiteral("For Ziridezivur3") + u'"' + u')';
}

// The bootstrap's statements in the order they run: the lootdrop, its
// entries, the row that names it.
QStringList bootstrap(std::uint32_t id) {
  QStringList out{lootdrop_insert(id)};
  for (const std::int32_t item : kOwnItems) out << entry_insert(id, item);
  out << variable_insert(id);
  return out;
}

// The statements that take back the first `count` statements of the
// bootstrap, last first. Only rows the bootstrap wrote are named: an entry of
// the free id that was there before (its lootdrop was missing) stays.
QStringList removal(std::uint32_t id, qsizetype count) {
  const QString lootdrop = textnum::sql_number(id);
  QStringList out;
  if (count > qsizetype(std::size(kOwnItems)) + 1) {
    out << QStringLiteral("DELETE FROM variables WHERE varname=\"LootdropID\" AND value=") + sqltext::quote(lootdrop);
  }
  for (qsizetype i = std::min(count - 1, qsizetype(std::size(kOwnItems))); i >= 1; --i) {
    out << QStringLiteral("DELETE FROM lootdrop_entries WHERE lootdrop_id=") + lootdrop +
               QStringLiteral(" AND item_id=") + textnum::sql_number(kOwnItems[i - 1]) + QStringLiteral(" LIMIT 1");
  }
  if (count >= 1) {
    out << QStringLiteral("DELETE FROM lootdrop WHERE id=") + lootdrop + QStringLiteral(" AND name=\"ZiridezivuR3\"");
  }
  return out;
}

// What is left when the removal failed too: the first `count` statements'
// rows.
QString left_behind(std::uint32_t id, qsizetype count, db::Rollback outcome) {
  QStringList items;
  for (qsizetype i = 1; i < count && i <= qsizetype(std::size(kOwnItems)); ++i)
    items << textnum::number_text(kOwnItems[i - 1]);
  const bool variable = count > qsizetype(std::size(kOwnItems)) + 1;
  QString rows = QStringLiteral("lootdrop ") + textnum::number_text(id) + QStringLiteral(" \"ZiridezivuR3\"");
  if (!items.isEmpty()) rows += QStringLiteral(" with its entries for items ") + items.join(QStringLiteral(", "));
  if (variable) rows += QStringLiteral(", and the \"LootdropID\" row of `variables` naming it");
  const QString what = outcome == db::Rollback::unknown
                           ? QStringLiteral(
                                 "The link to the server was lost. If these tables cannot roll back (such as "
                                 "MyISAM tables), this may be left in the database: ")
                           : QStringLiteral(
                                 "A table that cannot roll back (such as a MyISAM table) kept this, and it "
                                 "could not be removed: ");
  return what + rows + QStringLiteral(". Delete lootdrop ") + textnum::number_text(id) +
         QStringLiteral(" with \"Delete Unused LOOTDROP\"") +
         (variable ? QStringLiteral(" and the \"LootdropID\" row, then start again.")
                   : QStringLiteral("; the next start makes a new one."));
}

// The lootdrop, its entries and the row that names it go in together: a row
// without its lootdrop, or a lootdrop without its row (which the next start
// would make a second time), must never be left behind. Where the database
// could not roll back, what was written is removed again, and what cannot be
// is named to the operator.
void make_own_lootdrop() {
  const QString what = QStringLiteral("Making the program's own lootdrop \"ZiridezivuR3\"");
  std::uint32_t id = 0;
  qsizetype done = 0;
  qsizetype started = 0;
  try {
    id = first_free_id(QStringLiteral("SELECT id FROM lootdrop WHERE id="));
    db::Transaction transaction(db_conn);
    for (const QString& statement : bootstrap(id)) {
      ++started;
      execute_sql(statement);
      ++done;
    }
    transaction.commit();
  } catch (const db::Error& e) {
    const db::Rollback outcome = db_conn.last_rollback();
    if (outcome == db::Rollback::undone) return report_db_error(what + QStringLiteral(" (nothing was written)"), e);
    // A statement refused by the server wrote nothing; one whose link went
    // may have.
    qsizetype count = outcome == db::Rollback::unknown ? started : done;
    try {
      if (!db_conn.is_open()) open_db(db_rs, db_conn);
      // The removal takes the rows back in the reverse order of the
      // bootstrap: each one removed shortens what is left by one.
      for (const QString& statement : removal(id, count)) {
        execute_sql(statement);
        --count;
      }
    } catch (const db::Error&) {
      operator_io().message(db_error_text(what, e) + QStringLiteral("\n\n") + left_behind(id, count, outcome));
      return;
    }
    report_db_error(what + QStringLiteral(" (what was written has been removed again)"), e);
    return;
  }
  own_lootdrop_id = id;
}

}  // namespace

void load_own_lootdrop() {
  try {
    sql_text = lookup_query();
    db_rs.open(sql_text, db_conn);
  } catch (const db::Error& e) {
    report_db_error(QStringLiteral("Reading the program's own lootdrop (\"LootdropID\" in `variables`)"), e);
    return;
  }
  if (!db_rs.eof()) {
    // A text that does not start with a number, or one too large, gives 0.
    own_lootdrop_id = textnum::to_uint32(textnum::numeric_value(db_rs.field(u"value").text())).value_or(0);
    return;
  }
  make_own_lootdrop();
}
