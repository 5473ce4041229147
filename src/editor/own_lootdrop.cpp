#include "editor/own_lootdrop.h"

#include "platform/odbc.h"
#include "platform/textnum.h"
#include "startup/operator_io.h"
#include "startup/shared.h"

#include <cstdint>

namespace {

constexpr std::int32_t kOwnItems[] = {1001, 6015, 1856, 11807, 94128};

QString lookup_query() {
  return QStringLiteral("SELECT varname,value FROM variables WHERE varname=") + u'"' + QStringLiteral("LootdropID") +
         u'"';
}

QString lootdrop_insert(std::int32_t id) {
  return QStringLiteral("INSERT INTO lootdrop (id,name) VALUES (") + textnum::sql_number(id) + u',' + u'"' +
         QStringLiteral("ZiridezivuR3") + u'"' + u')';
}

QString entry_insert(std::int32_t id, std::int32_t item_id) {
  return QStringLiteral("INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,"
                        "disabled_chance,npc_min_level,npc_max_level,multiplier) VALUES ") +
         u'(' + textnum::sql_number(id) + u',' + textnum::sql_number(item_id) + QStringLiteral(",1,1,50,0,1,127,1)");
}

QString variable_insert(std::int32_t id) {
  return QStringLiteral("INSERT INTO variables (varname,value,information) VALUES ") + u'(' + u'"' +
         QStringLiteral("LootdropID") + u'"' + u',' + textnum::sql_number(id) + u',' + u'"' +
         QStringLiteral("For Ziridezivur3") + u'"' + u')';
}

// The lootdrop, its entries and the row that names it go in together: a row
// without its lootdrop, or a lootdrop without its row (which the next start
// would make a second time), must never be left behind.
void make_own_lootdrop() {
  const std::int32_t id = first_free_id(QStringLiteral("SELECT id FROM lootdrop WHERE id="));
  db_conn.begin_transaction();
  try {
    sql_text = lootdrop_insert(id);
    db_conn.execute(sql_text);
    for (const std::int32_t item : kOwnItems) {
      sql_text = entry_insert(id, item);
      db_conn.execute(sql_text);
    }
    sql_text = variable_insert(id);
    db_conn.execute(sql_text);
    db_conn.commit();
  } catch (const db::Error&) {
    db_conn.rollback();
    throw;
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
    own_lootdrop_id = textnum::to_int32(textnum::numeric_value(db_rs.field(u"value").text())).value_or(0);
    return;
  }
  try {
    make_own_lootdrop();
  } catch (const db::Error& e) {
    report_db_error(QStringLiteral("Making the program's own lootdrop \"ZiridezivuR3\" (nothing was written)"), e);
  }
}
