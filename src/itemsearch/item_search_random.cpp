// The item search window's random loot: custom lootdrops made from the item
// list for the NPCs of the main window's NPC grid, and their removal.
//
// Both write in one transaction: a refused statement or a lost connection
// leaves the database as it was, never a link without its lootdrop or a
// lootdrop without its entries. The generator asks for the largest lootdrop
// id once and numbers its lootdrops on from there, and sends its rows in a
// few multi-row inserts: thousands of NPCs take a fraction of a second.
#include "itemsearch/item_search_random.h"

#include "controls/form_layout.h"
#include "controls/igrid.h"
#include "controls/repaint.h"
#include "itemsearch/item_search.h"
#include "platform/odbc.h"
#include "platform/prng.h"
#include "platform/sqltext.h"
#include "platform/textnum.h"
#include "shared/grid_cells.h"
#include "shared/operator_io.h"
#include "shared/shared.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace random_loot_sql {

QString custom_drop_name() { return u"Korvex3_Custom_Drop"_s; }

QString max_lootdrop_query() { return u"SELECT MAX(id) FROM lootdrop"_s; }

QString link_row(std::uint32_t loottable_id, std::uint32_t lootdrop_id, double probability) {
  return u"( "_s + textnum::sql_number(loottable_id) + u',' + textnum::sql_number(lootdrop_id) + u",1,"_s +
         textnum::sql_number(probability) + u",1,0)"_s;
}

QString entry_row(std::uint32_t lootdrop_id, std::int32_t item_id, double chance) {
  return u"( "_s + textnum::sql_number(lootdrop_id) + u',' + textnum::sql_number(item_id) + u",1,1,"_s +
         textnum::sql_number(chance) + u",0,127,1)"_s;
}

QString lootdrop_row(std::uint32_t lootdrop_id) {
  return u"( "_s + textnum::sql_number(lootdrop_id) + u',' + sqltext::quote_double(custom_drop_name()) + u')';
}

QString insert_links(const QStringList& rows) {
  return u"INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,probability,droplimit,mindrop) "
         u"VALUES "_s +
         rows.join(u',');
}

QString insert_entries(const QStringList& rows) {
  return u"INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,npc_min_level,"
         u"npc_max_level,multiplier) VALUES "_s +
         rows.join(u',');
}

QString insert_lootdrops(const QStringList& rows) {
  return u"INSERT INTO lootdrop (id,name) VALUES "_s + rows.join(u',');
}

QString custom_lootdrops_query() {
  return u"SELECT id FROM lootdrop WHERE name="_s + sqltext::quote_double(custom_drop_name());
}

QStringList delete_custom_lootdrops(const QStringList& ids) {
  const QString in = u" IN ("_s + ids.join(u',') + u')';
  return {u"DELETE FROM lootdrop WHERE id"_s + in, u"DELETE FROM lootdrop_entries WHERE lootdrop_id"_s + in,
          u"DELETE FROM loottable_entries WHERE lootdrop_id"_s + in};
}

}  // namespace random_loot_sql

namespace {

// Rows per insert or ids per delete: a few dozen kilobytes of statement.
constexpr int kRowsPerStatement = 1000;

// The frame's values, read before anything is written.
struct RandomLootInput {
  double percent = 0;       // "Global Chance of LOOT"
  double per_lootdrop = 0;  // "# ITEMS/Lootdrop"
  double probability = 0;   // "Lootdrop %"
  double chance = 0;        // "% Each ITEM Drops"
};

// A box reads as every typed number of the program does: the number its
// text begins with, 0 when it begins with none ("25%" gives 25, "abc" 0).
double box_value(const QLineEdit& box) { return textnum::numeric_value(box.text()); }

// An empty cell, also one emptied by typing: it names no item or loot table.
bool blank_cell(const QVariant& cell) {
  return cell.typeId() == QMetaType::QString && cell.toString().trimmed().isEmpty();
}

// An item id of the item list as a whole number; an empty cell gives 0.
std::optional<std::int32_t> item_cell(const QVariant& cell) {
  return blank_cell(cell) ? std::optional<std::int32_t>(0) : grid_cells::whole(cell);
}

// A loot table id of the NPC grid (0 to 4294967295); an empty cell gives 0.
std::optional<std::uint32_t> loottable_cell(const QVariant& cell) {
  return blank_cell(cell) ? std::optional<std::uint32_t>(0) : grid_cells::id(cell);
}

std::optional<RandomLootInput> read_input(const item_search& w) {
  RandomLootInput input;
  const struct {
    const QLineEdit* box;
    const QLabel* label;
    double* value;
  } boxes[] = {{w.perc, w.Label1, &input.percent},
               {w.number_drops_per_lootdrop, w.Label2, &input.per_lootdrop},
               {w.lootdrop_new_perc, w.Label5, &input.probability},
               {w.Text2, w.Label3, &input.chance}};
  for (const auto& b : boxes) {
    // An overflowing number ("1e999") has no text a statement could carry.
    const double value = box_value(*b.box);
    if (!std::isfinite(value)) {
      operator_io().message(u"\""_s + b.box->text() + u"\" in \""_s + b.label->text() +
                            u"\" is too large. No loot was made."_s);
      return std::nullopt;
    }
    *b.value = value;
  }
  if (input.per_lootdrop > item_search::kDropSlots) {
    operator_io().message(u"\""_s + w.Label2->text() + u"\" may be at most "_s +
                          textnum::number_text(item_search::kDropSlots) + u". No loot was made."_s);
    return std::nullopt;
  }
  return input;
}

// False, after telling the operator, when a row's cell in `col` is no id as
// `read` reads it.
template <class Read>
bool ids_in_column(const IGrid& grid, int col, const QString& list, const QString& what, Read read) {
  for (int row = 1; row <= grid.RowCount(); ++row) {
    const QVariant cell = grid.CellValue(row, col);
    if (read(cell)) continue;
    operator_io().message(
        u"Row %1 of the %2 holds no %3 (\"%4\"). No loot was made."_s.arg(row).arg(list, what, cell.toString()));
    return false;
  }
  return true;
}

// Beyond 100 every roll passes and below 1 none does, so a value outside the
// 16-bit range acts as its nearest end.
std::int16_t percent_of(double value) {
  return static_cast<std::int16_t>(std::clamp(textnum::round_even(value), -32768.0, 32767.0));
}

// Rows of one insert, sent when enough have gathered and at the end.
class InsertBatch {
 public:
  using Build = QString (*)(const QStringList&);
  explicit InsertBatch(Build build) : build_(build) {}
  void add(QString row) {
    rows_ << std::move(row);
    if (rows_.size() == kRowsPerStatement) flush();
  }
  void flush() {
    if (rows_.isEmpty()) return;
    const QString statement = build_(rows_);
    rows_.clear();
    execute_sql(statement);
  }

 private:
  Build build_;
  QStringList rows_;
};

}  // namespace

IGrid* item_search::npc_grid() const { return main_.allgrids; }

void item_search::LiteBtnCtrl4_Click() { Frame1->show(); }

bool item_search::percent_chance(std::int16_t& percent) {
  // The draw is single precision, and so is its product with 100.
  const float r = static_cast<float>(prng::next());
  const int roll = static_cast<int>(std::floor(r * 100.0f)) + 1;
  return roll <= percent;
}

void item_search::get_loots_for_drop() {
  std::fill(drop_items.begin(), drop_items.end(), 0);
  // Never more items than drop_items has slots.
  const double n = std::min(box_value(*number_drops_per_lootdrop), double(kDropSlots));
  const int rows = itms->RowCount();
  int k = 1;
  int row = list_cursor;
  for (; row <= list_cursor + n - 1; ++row) {
    if (row > rows) break;
    drop_items[k] = item_cell(itms->CellValue(row, 1)).value_or(0);
    ++k;
  }
  list_cursor = row > rows ? 1 : row;
}

void item_search::go_Click() {
  IGrid* allgrids = npc_grid();
  if (!allgrids || allgrids->RowCount() == 0 || itms->RowCount() == 0) return;
  const std::optional<RandomLootInput> input = read_input(*this);
  if (!input || !ids_in_column(*itms, 1, u"item list"_s, u"item id"_s, item_cell) ||
      !ids_in_column(*allgrids, 5, u"NPC list"_s, u"loottable id"_s, loottable_cell))
    return;

  std::optional<db::Error> failure;
  db::Rollback rolled_back = db::Rollback::undone;
  {
    const WaitPointer hourglass;
    list_cursor = 1;
    try {
      open_db(db_rs, db_conn);
      const int npcs = allgrids->RowCount();
      const QString of_npcs = u'/' + textnum::number_text(npcs);
      const double slot_count = std::min(input->per_lootdrop, double(kDropSlots));
      InsertBatch links(&random_loot_sql::insert_links);
      InsertBatch entries(&random_loot_sql::insert_entries);
      InsertBatch lootdrops(&random_loot_sql::insert_lootdrops);
      std::unordered_set<std::int32_t> in_drop;
      // Begun with the first lootdrop.
      std::optional<db::Transaction> transaction;
      for (int i = 1; i <= npcs; ++i) {
        npc_loottable_id = loottable_cell(allgrids->CellValue(i, 5)).value_or(0);
        out->setText(u"Working on NPC "_s + textnum::number_text(i) + of_npcs);
        repaint_throttled(this);
        std::int16_t percent = percent_of(input->percent);
        if (!percent_chance(percent)) continue;
        get_loots_for_drop();
        if (!transaction) {
          // Asked once, before the transaction starts (the query connects
          // anew); within the transaction the ids after it stay free.
          sql_text = random_loot_sql::max_lootdrop_query();
          new_lootdrop_id = next_id(sql_text);
          transaction.emplace(db_conn);
        } else if (new_lootdrop_id == std::numeric_limits<std::uint32_t>::max()) {
          throw db::Error(u"No lootdrop id is left."_s);
        } else {
          ++new_lootdrop_id;
        }
        links.add(random_loot_sql::link_row(npc_loottable_id, new_lootdrop_id, input->probability));
        // A lootdrop holds an item once: a repeated id in the run adds nothing.
        in_drop.clear();
        for (int j = 1; j <= slot_count; ++j) {
          const std::int32_t item = drop_items[j];
          if (item == 0 || !in_drop.insert(item).second) continue;
          entries.add(random_loot_sql::entry_row(new_lootdrop_id, item, input->chance));
        }
        lootdrops.add(random_loot_sql::lootdrop_row(new_lootdrop_id));
      }
      links.flush();
      entries.flush();
      lootdrops.flush();
      if (transaction) transaction->commit();
    } catch (const db::Error& e) {
      db_rs.close();
      rolled_back = db_conn.last_rollback();
      failure = e;
    }
  }
  out->setText(QString());
  if (failure) report_after_rollback(u"Making the random loot (nothing was written)"_s, rolled_back, *failure);
}

void item_search::delete_custom_loot_Click() {
  try {
    open_db(db_rs, db_conn);
    sql_text = random_loot_sql::custom_lootdrops_query();
    db_rs.open(sql_text, db_conn);
    if (db_rs.record_count() == 0) {
      db_rs.close();
      return;
    }
    rec_count = db_rs.record_count();
    QStringList ids;
    ids.reserve(rec_count);
    for (; !db_rs.eof(); db_rs.move_next()) ids << textnum::sql_number(db_rs.number(0));
    db_rs.close();
    open_db(db_rs, db_conn);
    db::Transaction transaction(db_conn);
    const QString of_count = u'/' + textnum::number_text(rec_count);
    for (qsizetype start = 0; start < ids.size(); start += kRowsPerStatement) {
      const QStringList some = ids.mid(start, kRowsPerStatement);
      out->setText(u"Working on "_s + textnum::number_text(double(start + some.size())) + of_count);
      repaint_throttled(this);
      for (const QString& statement : random_loot_sql::delete_custom_lootdrops(some)) execute_sql(statement);
    }
    transaction.commit();
  } catch (const db::Error& e) {
    db_rs.close();
    out->setText(QString());
    report_transaction_failure(u"Deleting the custom loot (nothing was deleted)"_s, e);
    return;
  }
  if (main_.loottableE && main_.lootdropE) {
    empty_loot_grids(*main_.loottableE, *main_.lootdropE);
  } else {
    cur_loottable_id = cur_lootdrop_id = sel_loottable_row = sel_lootdrop_row = 0;
  }
  out->setText(QString());
}
