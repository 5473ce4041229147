#include "editor/npc_loading.h"

#include "controls/form_layout.h"
#include "controls/grid_model.h"
#include "controls/igrid.h"
#include "controls/litebtnctrl.h"
#include "controls/repaint.h"
#include "editor/korvexloot.h"
#include "editor/lootdrop_grid.h"
#include "editor/loottable_grid.h"
#include "editor/zone_search.h"
#include "platform/odbc.h"
#include "platform/sqltext.h"
#include "platform/textnum.h"
#include "shared/background_read.h"
#include "shared/grid_cells.h"
#include "shared/operator_io.h"
#include "shared/settings.h"
#include "shared/shared.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTableView>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace npc_sql {

QString zone_query(const QString& zone, bool use_range, double min_level, double max_level) {
  QString sql =
      u"SELECT DISTINCT spawnentry.npcID,npc_types.name,npc_types.level,spawn2.zone,npc_types.loottable_id "_s
      u"FROM spawnentry, npc_types, spawngroup, spawn2 "_s
      u"WHERE (spawnentry.npcID=npc_types.id) "_s
      u"AND (spawnentry.spawngroupID=spawngroup.id) AND (spawn2.spawngroupID = spawnentry.spawngroupID) "_s
      u"AND (spawn2.zone="_s +
      sqltext::quote_double(zone);
  if (!use_range) return sql + u") ORDER BY npc_types.id"_s;
  return sql + u") AND npc_types.Level BETWEEN "_s + textnum::sql_number(min_level) + u" AND "_s +
         textnum::sql_number(max_level) + u"  ORDER BY npc_types.id"_s;
}

QString level_query(double min_level, double max_level) {
  return u"select id,name,level,loottable_id FROM npc_types WHERE level between "_s + textnum::sql_number(min_level) +
         u" and "_s + textnum::sql_number(max_level);
}

QString set_loottable(std::uint32_t loottable_id, const QString& npc_id) {
  return u"UPDATE npc_types SET loottable_id='"_s + textnum::sql_number(loottable_id) + u"' WHERE id='"_s +
         sqltext::escape(npc_id) + u"'"_s;
}

}  // namespace npc_sql

void NpcRows::begin(int rows) {
  columns.assign(5, GridColumn());
  for (GridColumn& column : columns) column.reserve(static_cast<std::size_t>(rows));
}

void NpcRows::take(const db::RowBlock& block) {
  // The zone loader's fields are id, name, level, zone, loot table id; the
  // level loader's have no zone.
  const bool by_zone = loader_ == NpcLoader::zone;
  const int loottable_field = by_zone ? 4 : 3;
  const auto push_text = [&block](GridColumn& column, int row, int field) {
    if (block.is_null(row, field)) {
      column.push_empty();
    } else {
      column.push_utf8(block.text(row, field));
    }
  };
  for (int row = 0; row < block.size(); ++row) {
    columns[0].push_number(block.number(row, 0));
    push_text(columns[1], row, 1);
    columns[2].push_number(block.number(row, 2));
    if (by_zone) {
      push_text(columns[3], row, 3);
    } else {
      columns[3].push_utf8("nothing");
    }
    columns[4].push_number(block.number(row, loottable_field));
  }
}

NpcLoading::NpcLoading(KorvexLoot& window, LoottableGrid& loottables, LootdropGrid& lootdrops)
    : QObject(&window), w_(window), loottables_(loottables), lootdrops_(lootdrops) {
  connect(w_.Search_Grids, &LiteBtnCtrl::Click, this, &NpcLoading::Search_Grids_Click);
  connect(w_.LiteBtnCtrl1, &LiteBtnCtrl::Click, this, &NpcLoading::LiteBtnCtrl1_Click);
  connect(w_.allgrids, &IGrid::MouseDown, this, &NpcLoading::allgrids_MouseDown);
  connect(w_.allgrids, &IGrid::AfterCommitEdit, this, &NpcLoading::allgrids_AfterCommitEdit);
  connect(w_.rmv_selected_NPCS, &LiteBtnCtrl::Click, this, &NpcLoading::rmv_selected_NPCS_Click);
  w_.zonename->installEventFilter(this);
  // The progress text is never markup; saves a rich-text test per change.
  w_.out->setTextFormat(Qt::PlainText);
}

bool NpcLoading::eventFilter(QObject* watched, QEvent* event) {
  if (watched == w_.zonename && event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && w_.zonename->rect().contains(mouse->position().toPoint())) {
      zonename_Click();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

std::optional<double> NpcLoading::level_bound(const QLineEdit& box, bool number_needed) {
  const QString text = box.text();
  const QString name = &box == w_.min_lvl ? u"lower"_s : u"upper"_s;
  const std::optional<double> value = textnum::leading_number(text);
  if (!value && number_needed) {
    operator_io().message(u"The "_s + name + u" level box holds no number (\""_s + text +
                          u"\"). No NPCs were loaded."_s);
    return std::nullopt;
  }
  if (std::isfinite(value.value_or(0))) return value.value_or(0);
  operator_io().message(u"The level "_s + text + u" is too large."_s);
  return std::nullopt;
}

std::optional<std::pair<double, double>> NpcLoading::level_range(bool numbers_needed) {
  const auto low = level_bound(*w_.min_lvl, numbers_needed);
  if (!low) return std::nullopt;
  const auto high = level_bound(*w_.max_lvl, numbers_needed);
  if (!high) return std::nullopt;
  return std::pair{*low, *high};
}

void NpcLoading::write_counter() {
  w_.counter->setText(u"Number of NPC's:  "_s + textnum::number_text(w_.allgrids->RowCount()));
}

void NpcLoading::load(Loader loader, const std::function<std::optional<QString>()>& statement) {
  // Read before anything changes: a bound that cannot be used leaves the
  // NPCs on screen.
  const auto sql = statement();
  if (!sql) return;
  w_.allgrids->Clear();
  try {
    read_db_ini();
    open_db(db_rs, db_conn);
    sql_text = *sql;
    // The rows are read on a worker thread into the grid's own columns while
    // the label counts them; the grid then takes the columns as they are.
    // The zone loader counts the rows already read, the level loader the row
    // being read.
    NpcRows rows(loader);
    std::optional<WaitPointer> hourglass;
    BackgroundRead reading(rows, *w_.out, u"Loading NPC "_s, loader == Loader::zone ? 0 : 1, *w_.out,
                           &progress_observer);
    // Until the whole result has arrived there is no row to count.
    reading.show_while_waiting(u"Reading NPC's..."_s);
    reading.run([&] { db_rs.read(sql_text, db_conn, reading); },
                [&](int count) {
                  rec_count = count;
                  if (loader == Loader::level) hourglass.emplace();
                });
    w_.allgrids->model()->append_rows(std::move(rows.columns));
  } catch (const db::Error& e) {
    w_.out->clear();
    write_counter();
    report_db_error(u"Loading the NPCs"_s, e);
    return;
  }
  empty_loot_grids(*w_.loottableE, *w_.lootdropE);
  write_counter();
  w_.out->clear();
}

void NpcLoading::Search_Grids_Click() {
  load(Loader::zone, [this]() -> std::optional<QString> {
    if (!w_.range_use->isChecked()) return npc_sql::zone_query(w_.zonename->text(), false, 0, 0);
    // The zone loader takes a bound without a number as 0.
    const auto range = level_range(false);
    if (!range) return std::nullopt;
    return npc_sql::zone_query(w_.zonename->text(), true, range->first, range->second);
  });
}

void NpcLoading::LiteBtnCtrl1_Click() {
  load(Loader::level, [this]() -> std::optional<QString> {
    const auto range = level_range(true);
    if (!range) return std::nullopt;
    return npc_sql::level_query(range->first, range->second);
  });
}

void NpcLoading::allgrids_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int, int lRow, int) {
  if (lRow == 0) return;
  empty_loot_grids(*w_.loottableE, *w_.lootdropE);
  // A cell that holds no number names no loot table.
  cur_loottable_id = grid_cells::id(w_.allgrids->CellValue(lRow, 5)).value_or(0);
  if (cur_loottable_id == 0) return;
  // A loot table without entries gets decode_loottableE's message and then
  // this one.
  loottables_.decode_loottableE();
  // A load the database refused has been reported already; the loot table
  // itself may be fine, so it is not called bad.
  if (loottables_.load_failed()) return;
  if (w_.loottableE->RowCount() == 0) {
    operator_io().message(u"This loottable is BAD. You should delete it"_s);
    return;
  }
  cur_lootdrop_id = grid_cells::id(w_.loottableE->CellValue(1, 1)).value_or(0);
  lootdrops_.decode_lootdropE();
  if (w_.lootdropE->RowCount() == 0) return;
  cur_item_id = grid_cells::whole(w_.lootdropE->CellValue(1, 1)).value_or(0);
  if (cur_item_id != 0) lootdrops_.decode_loot_item_for_stats();
}

void NpcLoading::allgrids_AfterCommitEdit(int lRow, int) {
  IGrid& grid = *w_.allgrids;
  const auto value = grid_cells::number(grid.CellValue(lRow, 5));
  if (!value) {
    operator_io().message(grid_cells::not_a_number(grid, {lRow, 5}) + u" The NPC's loottable was not changed."_s);
    return;
  }
  const auto loottable_id = textnum::to_uint32(*value);
  if (!loottable_id) {
    operator_io().message(u"Row %1: %2 is no loottable id. The NPC's loottable was not changed."_s.arg(lRow).arg(
        textnum::number_text(*value)));
    return;
  }
  const QVariant npc = grid.CellValue(lRow, 1);
  // Column 1 goes in as the text it shows; an operator's text is escaped.
  const QString npc_id = grid_cells::number(npc) ? grid_cells::sql_value(npc) : npc.toString();
  const QString statement = npc_sql::set_loottable(*loottable_id, npc_id);
  try {
    // A grid save that lost the server dropped the connection; connect again
    // rather than fail on every edit until something else does.
    if (!db_conn.is_open()) open_db(db_rs, db_conn);
    // Its rollback drops a link lost meanwhile.
    db::Transaction transaction(db_conn);
    execute_sql(statement);
    transaction.commit();
  } catch (const db::Error& e) {
    report_transaction_failure(u"Storing the NPC's loottable"_s, e);
  }
}

void NpcLoading::rmv_selected_NPCS_Click() {
  IGrid& grid = *w_.allgrids;
  const int rows = grid.RowCount();
  // A row is removed when its column-1 cell is selected. Read from the
  // selection's ranges once: asking row by row walks every range each time.
  std::vector<bool> removed(static_cast<std::size_t>(rows) + 1, false);
  QItemSelectionModel& selection = *grid.view()->selectionModel();
  for (const QItemSelectionRange& range : selection.selection()) {
    if (range.left() > 0 || range.right() < 0) continue;
    for (int row = std::max(range.top(), 0) + 1; row <= std::min(range.bottom() + 1, rows); ++row)
      removed[static_cast<std::size_t>(row)] = true;
  }
  // The rows kept move up over the removed ones in one pass and the grid is
  // cut once: removing rows one at a time shifts every row below each time,
  // which took seconds for a thousand selected NPCs of a level load and
  // minutes for tens of thousands.
  const int current = grid.CurRow();
  int new_current = 0;
  int kept = 0;
  for (int row = 1; row <= rows; ++row) {
    if (removed[static_cast<std::size_t>(row)]) continue;
    ++kept;
    if (row == current) new_current = kept;
    if (kept == row) continue;
    for (int col = 1; col <= grid.ColCount(); ++col) grid.setCellValue(kept, col, grid.CellValue(row, col));
  }
  if (kept != rows) {
    // Every selected row is gone; the current row follows its NPC.
    selection.clearSelection();
    grid.setRowCount(kept);
    if (new_current == 0) {
      selection.clearCurrentIndex();
    } else {
      selection.setCurrentIndex(grid.model()->index(new_current - 1, std::max(selection.currentIndex().column(), 0)),
                                QItemSelectionModel::NoUpdate);
    }
  }
  write_counter();
}

void NpcLoading::zonename_Click() {
  Zone_Search& picker = Zone_Search::load(*w_.zonename, &w_);
  picker.show();
  picker.raise();
  w_.allgrids->Clear();
  write_counter();
}
