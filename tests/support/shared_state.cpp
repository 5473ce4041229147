#include "support/shared_state.h"

#include "shared/shared.h"

namespace testing_support {

void reset_shared_state() {
  db_rs.close();
  db_conn.rollback();
  db_conn.close();
  sql_text.clear();
  rec_count = 0;
  own_lootdrop_id = 0;
  forget_current_loot();
  cur_item_id = 0;
  skill_text.clear();
}

}  // namespace testing_support
