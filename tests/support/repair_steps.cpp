#include "support/repair_steps.h"

#include "platform/textnum.h"

using namespace Qt::StringLiterals;

namespace repair_steps {

QString new_loottable(std::uint32_t loottable_id) {
  return u"INSERT INTO loottable (id,name,mincash,maxcash,avgcoin,done) VALUES ("_s +
         textnum::sql_number(loottable_id) + u",\"ZiridezivuR3\",1,1000,0,0)"_s;
}

QString new_loottable_entry(std::uint32_t loottable_id, std::uint32_t lootdrop_id) {
  return u"INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,droplimit,mindrop,probability) "
         "VALUES ("_s +
         textnum::sql_number(loottable_id) + u',' + textnum::sql_number(lootdrop_id) + u",1,1,0,100)"_s;
}

QString set_npc_loottable(std::uint32_t loottable_id, std::int32_t npc_id) {
  return u"UPDATE npc_types SET loottable_id="_s + textnum::sql_number(loottable_id) + u" WHERE id="_s +
         textnum::sql_number(npc_id);
}

}  // namespace repair_steps
