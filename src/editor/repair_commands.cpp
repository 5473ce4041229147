#include "editor/repair_commands.h"

#include "controls/form_layout.h"
#include "controls/igrid.h"
#include "controls/repaint.h"
#include "editor/korvexloot.h"
#include "platform/odbc.h"
#include "platform/textnum.h"
#include "shared/background_read.h"
#include "shared/grid_cells.h"
#include "shared/operator_io.h"
#include "shared/shared.h"

#include <QAction>
#include <QLabel>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace repair_sql {

QString max_loottable_query() { return u"SELECT max(id) FROM loottable"_s; }

QString new_loottables(const std::vector<std::uint32_t>& loottable_ids) {
  QString sql = u"INSERT INTO loottable (id,name,mincash,maxcash,avgcoin,done) VALUES "_s;
  for (std::size_t i = 0; i < loottable_ids.size(); ++i) {
    if (i != 0) sql += u',';
    sql += u'(' + textnum::sql_number(loottable_ids[i]) + u",\"ZiridezivuR3\",1,1000,0,0)"_s;
  }
  return sql;
}

QString new_loottable_entries(const std::vector<std::uint32_t>& loottable_ids, std::uint32_t lootdrop_id) {
  QString sql =
      u"INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,droplimit,mindrop,probability) "
      "VALUES "_s;
  const QString rest = u',' + textnum::sql_number(lootdrop_id) + u",1,1,0,100)"_s;
  for (std::size_t i = 0; i < loottable_ids.size(); ++i) {
    if (i != 0) sql += u',';
    sql += u'(' + textnum::sql_number(loottable_ids[i]) + rest;
  }
  return sql;
}

QString create_npc_loottables() {
  return u"CREATE TEMPORARY TABLE new_npc_loottables (npc_id INT NOT NULL PRIMARY KEY, "
         "loottable_id INT UNSIGNED NOT NULL) ENGINE=InnoDB"_s;
}

QString drop_npc_loottables() { return u"DROP TEMPORARY TABLE IF EXISTS new_npc_loottables"_s; }

QString list_npc_loottables(const std::vector<std::pair<std::int32_t, std::uint32_t>>& npc_loottables) {
  QString sql = u"INSERT INTO new_npc_loottables (npc_id,loottable_id) VALUES "_s;
  for (std::size_t i = 0; i < npc_loottables.size(); ++i) {
    if (i != 0) sql += u',';
    sql += u'(' + textnum::sql_number(npc_loottables[i].first) + u',' + textnum::sql_number(npc_loottables[i].second) +
           u')';
  }
  return sql + u" ON DUPLICATE KEY UPDATE loottable_id=VALUES(loottable_id)"_s;
}

QString set_listed_npc_loottables() {
  return u"UPDATE npc_types JOIN new_npc_loottables ON npc_types.id=new_npc_loottables.npc_id "
         "SET npc_types.loottable_id=new_npc_loottables.loottable_id"_s;
}

QString clear_npc_loottables() { return u"DELETE FROM new_npc_loottables"_s; }

QStringList delete_lootdrop(std::uint32_t lootdrop_id) {
  const QString id = textnum::sql_number(lootdrop_id);
  return {u"DELETE FROM loottable_entries WHERE lootdrop_id="_s + id, u"DELETE FROM lootdrop WHERE id="_s + id,
          u"DELETE FROM lootdrop_entries WHERE lootdrop_id="_s + id};
}

QStringList fix_chances() {
  // Above 1 a chance is a percentage, up to 1 a fraction: all become
  // fractions, at least 0.1, and then percentages again.
  return {u"UPDATE lootdrop_entries SET chance=100 WHERE chance>100"_s,
          u"UPDATE lootdrop_entries SET chance=chance/100 WHERE chance>1"_s,
          u"UPDATE lootdrop_entries SET chance=0.1 WHERE chance<0.1"_s,
          u"UPDATE lootdrop_entries SET chance=chance*100"_s};
}

}  // namespace repair_sql

QString purge_question() { return u"Which LOOTDROP-ID do you wish to purge from your database? 0=cancel"_s; }

namespace {

// Runs the statements in one transaction on the connection as it is.
void execute_together(const QStringList& statements) {
  db::Transaction transaction(db_conn);
  for (const QString& statement : statements) execute_sql(statement);
  transaction.commit();
}

// The number when it is whole, or nothing.
std::optional<double> whole_number(std::optional<double> value) {
  if (!value || *value != std::floor(*value)) return std::nullopt;
  return value;
}

}  // namespace

RepairCommands::RepairCommands(KorvexLoot& window) : w_(window) {
  connect(w_.fix_loot_for_empty_loottablesx, &QAction::triggered, this,
          &RepairCommands::fix_loot_for_empty_loottablesx_Click);
  connect(w_.LOOTDROP_wipe, &QAction::triggered, this, &RepairCommands::LOOTDROP_wipe_Click);
  connect(w_.percX_fix, &QAction::triggered, this, &RepairCommands::percX_fix_Click);
}

void RepairCommands::fix_loot_for_empty_loottablesx_Click() {
  IGrid& grid = *w_.allgrids;
  rec_count = grid.RowCount();
  if (rec_count == 0) return;
  std::vector<NewLoottable> todo;
  for (int row = 1; row <= rec_count; ++row) {
    if (grid_cells::number(grid.CellValue(row, 5)) != 0.0) continue;
    // The NPC id enters the statement; a row whose id was typed over and is
    // no whole number must not pick the NPCs the statement changes.
    const auto whole = whole_number(grid_cells::number(grid.CellValue(row, 1)));
    const auto npc = whole ? textnum::to_int32(*whole) : std::nullopt;
    if (!npc) {
      operator_io().message(u"Row %1 of the NPC list holds no NPC id (\"%2\"). No loottables were made."_s.arg(row).arg(
          grid.CellValue(row, 1).toString()));
      return;
    }
    todo.push_back({row, *npc, 0});
  }
  if (!todo.empty() && own_lootdrop_id == 0) {
    // Without it every new loot table would name lootdrop 0.
    operator_io().message(
        u"The program's own lootdrop is not known (the database was not reached at start). No loottables were made."_s);
    return;
  }
  bool made = false;
  {
    const WaitPointer hourglass;
    made = make_loottables(todo);
  }
  if (!made) return;
  for (const NewLoottable& t : todo) grid.setCellValue(t.row, 5, t.loottable_id);
  operator_io().message(u"Ok, Done!"_s);
}

bool RepairCommands::make_loottables(std::vector<NewLoottable>& todo) {
  try {
    open_db(db_rs, db_conn);
    if (todo.empty()) return true;
    // One maximum query, then consecutive ids in grid order: inside the
    // transaction nobody else takes them, and asking the maximum again
    // for each NPC over a new connection would cost a connection per row.
    std::uint32_t next = next_id(repair_sql::max_loottable_query());
    for (NewLoottable& t : todo) {
      if (&t != &todo.front()) {
        if (next == std::numeric_limits<std::uint32_t>::max()) throw db::Error(u"No loottable id is left."_s);
        ++next;
      }
      t.loottable_id = next;
    }
    // Three statements per NPC would keep a list of 100,000 NPCs waiting
    // for minutes: the loot tables go in chunks of a few statements each,
    // and the progress label shows the window is alive between them.
    db::Transaction transaction(db_conn);
    execute_sql_painted(repair_sql::drop_npc_loottables(), *w_.out);
    execute_sql_painted(repair_sql::create_npc_loottables(), *w_.out);
    ChunkPacer pacer(1000, 100, 20000);
    const QString total = u'/' + QString::number(todo.size());
    for (std::size_t from = 0; from < todo.size();) {
      const std::size_t count = std::min(pacer.size(), todo.size() - from);
      make_loottable_chunk(todo, from, count);
      from += count;
      pacer.done();
      w_.out->setText(u"Making loottables "_s + QString::number(from) + total);
      repaint_now(w_.out);
    }
    execute_sql_painted(repair_sql::drop_npc_loottables(), *w_.out);
    transaction.commit();
    w_.out->clear();
    return true;
  } catch (const db::Error& e) {
    w_.out->clear();
    report_transaction_failure(u"Making loottables (nothing was changed)"_s, e);
    return false;
  }
}

void RepairCommands::make_loottable_chunk(const std::vector<NewLoottable>& todo, std::size_t from, std::size_t count) {
  std::vector<std::uint32_t> ids;
  std::vector<std::pair<std::int32_t, std::uint32_t>> npcs;
  ids.reserve(count);
  npcs.reserve(count);
  for (std::size_t i = from; i < from + count; ++i) {
    ids.push_back(todo[i].loottable_id);
    npcs.emplace_back(todo[i].npc_id, todo[i].loottable_id);
  }
  execute_sql_painted(repair_sql::new_loottables(ids), *w_.out);
  execute_sql_painted(repair_sql::new_loottable_entries(ids, own_lootdrop_id), *w_.out);
  execute_sql_painted(repair_sql::list_npc_loottables(npcs), *w_.out);
  execute_sql_painted(repair_sql::set_listed_npc_loottables(), *w_.out);
  execute_sql_painted(repair_sql::clear_npc_loottables(), *w_.out);
}

void RepairCommands::LOOTDROP_wipe_Click() {
  const QString answer = operator_io().ask(purge_question());
  const QString typed = answer.trimmed();
  if (typed.isEmpty()) return;
  const std::optional<double> number =
      textnum::is_number(typed) ? std::optional<double>(textnum::numeric_value(typed)) : std::nullopt;
  if (number == 0.0) return;
  const auto whole = whole_number(number);
  const auto id = whole ? textnum::to_uint32(*whole) : std::nullopt;
  if (!id || *id < 1) {
    operator_io().message(u"\""_s + answer + u"\" is not a lootdrop id. Nothing was deleted."_s);
    return;
  }
  if (*id == own_lootdrop_id) {
    // New loot tables and "create empty row" name it; the start-up would not
    // make it again.
    operator_io().message(u"Lootdrop "_s + textnum::number_text(*id) +
                          u" is the program's own default lootdrop (ZiridezivuR3) and is not deleted."_s);
    return;
  }
  try {
    open_db(db_rs, db_conn);
    execute_together(repair_sql::delete_lootdrop(*id));
  } catch (const db::Error& e) {
    report_transaction_failure(u"Deleting lootdrop "_s + textnum::number_text(*id) + u" (nothing was deleted)"_s, e);
    return;
  }
  empty_loot_grids(*w_.loottableE, *w_.lootdropE);
  operator_io().message(u"Completed OK!"_s);
}

void RepairCommands::percX_fix_Click() {
  // Half of the four updates would leave percentages as fractions: all or
  // nothing. Over a large world each takes a second or more: it runs on a
  // worker thread while the label says which one runs, and then gets back
  // what it said.
  QLabel& label = *w_.out;
  const QString before = label.text();
  const auto restore = [&] {
    label.setText(before);
    repaint_now(&label);
  };
  try {
    open_db(db_rs, db_conn);
    const QStringList statements = repair_sql::fix_chances();
    db::Transaction transaction(db_conn);
    for (qsizetype i = 0; i < statements.size(); ++i) {
      execute_sql_painted(statements[i], label,
                          u"Fixing chances "_s + QString::number(i + 1) + u'/' + QString::number(statements.size()));
    }
    transaction.commit();
  } catch (const db::Error& e) {
    restore();
    report_transaction_failure(u"Fixing the lootdrop chances (nothing was changed)"_s, e);
    return;
  }
  restore();
  operator_io().message(u"Done, No problems!"_s);
}
