#include "editor/lootdrop_reorg.h"

#include "controls/form_layout.h"
#include "controls/igrid.h"
#include "controls/repaint.h"
#include "editor/korvexloot.h"
#include "platform/odbc.h"
#include "platform/textnum.h"
#include "shared/background_read.h"
#include "shared/operator_io.h"
#include "shared/shared.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <set>

using namespace Qt::StringLiterals;

namespace {

using Moves = std::vector<std::pair<std::int64_t, std::int64_t>>;

const QString kNothingMoved = u"Nothing was moved."_s;
// Pairs per INSERT into the list of moves.
constexpr std::size_t kBatch = 1000;
// Stray ids named in the message at most.
constexpr int kStraysShown = 10;

// An id, count or limit as statements and the progress label write it.
QString decimal_text(std::int64_t value) { return textnum::sql_number(static_cast<double>(value)); }

QString id_column(const QString& table) { return table == u"lootdrop"_s ? u"id"_s : u"lootdrop_id"_s; }

const std::array<QString, 3> kTables = {u"lootdrop"_s, u"lootdrop_entries"_s, u"loottable_entries"_s};

}  // namespace

namespace reorg_sql {

QString list_query() { return u"SELECT distinct(id) from lootdrop"_s; }

QString drop_moves() { return u"DROP TEMPORARY TABLE IF EXISTS lootdrop_moves"_s; }

QString create_moves() {
  return u"CREATE TEMPORARY TABLE lootdrop_moves (source INT UNSIGNED NOT NULL PRIMARY KEY, "
         "dest INT UNSIGNED NOT NULL) ENGINE=InnoDB"_s;
}

QString insert_moves(const Moves& moves, std::size_t from, std::size_t count) {
  QString sql = u"INSERT INTO lootdrop_moves (source,dest) VALUES "_s;
  const std::size_t end = std::min(moves.size(), from + count);
  for (std::size_t i = from; i < end; ++i) {
    if (i != from) sql += u',';
    sql += u'(' + decimal_text(moves[i].first) + u',' + decimal_text(moves[i].second) + u')';
  }
  return sql;
}

// The lootdrop is looked up by its key for each row: a NOT IN over the
// lootdrops would be materialized whole for every range, half a second at a
// million rows however small the range.
QString stray_entries_query(std::int64_t first, std::int64_t last, int limit) {
  return u"SELECT DISTINCT e.lootdrop_id FROM lootdrop_entries e LEFT JOIN lootdrop d ON d.id=e.lootdrop_id "
         "WHERE e.lootdrop_id BETWEEN "_s +
         decimal_text(first) + u" AND "_s + decimal_text(last) + u" AND d.id IS NULL LIMIT "_s + decimal_text(limit);
}

QString stray_links_query(std::int64_t first, std::int64_t last, std::int64_t last_dest, int limit) {
  return u"SELECT DISTINCT e.lootdrop_id FROM loottable_entries e LEFT JOIN lootdrop d ON d.id=e.lootdrop_id "
         "WHERE e.loottable_id BETWEEN "_s +
         decimal_text(first) + u" AND "_s + decimal_text(last) + u" AND e.lootdrop_id BETWEEN 1 AND "_s +
         decimal_text(last_dest) + u" AND d.id IS NULL LIMIT "_s + decimal_text(limit);
}

QString move_range(const QString& table, std::int64_t first, std::int64_t last) {
  const QString column = id_column(table);
  return u"UPDATE "_s + table + u" SET "_s + column + u"=(SELECT dest FROM lootdrop_moves WHERE source="_s + table +
         u'.' + column + u") WHERE "_s + column + u" BETWEEN "_s + decimal_text(first) + u" AND "_s +
         decimal_text(last) + u" AND "_s + column + u" IN (SELECT source FROM lootdrop_moves) ORDER BY "_s + column;
}

QString move_links(std::int64_t first, std::int64_t last) {
  // The key is (loottable_id, lootdrop_id): within one loot table the
  // ascending order keeps every new id free at its turn.
  return u"UPDATE loottable_entries SET lootdrop_id=(SELECT dest FROM lootdrop_moves WHERE "
         "source=loottable_entries.lootdrop_id) WHERE loottable_id BETWEEN "_s +
         decimal_text(first) + u" AND "_s + decimal_text(last) +
         u" AND lootdrop_id IN (SELECT source FROM lootdrop_moves) ORDER BY lootdrop_id"_s;
}

QString shift_range_up(const QString& table, std::int64_t first, std::int64_t last) {
  const QString column = id_column(table);
  return u"UPDATE "_s + table + u" SET "_s + column + u'=' + column + u"+1 WHERE "_s + column + u" BETWEEN "_s +
         decimal_text(first) + u" AND "_s + decimal_text(last) + u" ORDER BY "_s + column + u" DESC"_s;
}

QString shift_links_up(std::int64_t first, std::int64_t last, std::int64_t top) {
  return u"UPDATE loottable_entries SET lootdrop_id=lootdrop_id+1 WHERE loottable_id BETWEEN "_s + decimal_text(first) +
         u" AND "_s + decimal_text(last) + u" AND lootdrop_id BETWEEN 0 AND "_s + decimal_text(top) +
         u" ORDER BY lootdrop_id DESC"_s;
}

QString link_span_query() { return u"SELECT MIN(loottable_id), MAX(loottable_id) FROM loottable_entries"_s; }

QString move_own_lootdrop(std::int64_t dest) {
  return u"UPDATE variables SET value='"_s + decimal_text(dest) + u"' WHERE varname=\"LootdropID\""_s;
}

}  // namespace reorg_sql

lootdrop_reorg::lootdrop_reorg(KorvexLoot& main) : QWidget(&main, Qt::Window), main_(main) {
  setObjectName(u"lootdrop_reorg"_s);
  setWindowTitle(u"Form1"_s);
  setFont(ms_sans_serif());
  resize(twips_to_px(12585), twips_to_px(8565));

  itms = new IGrid(this);
  itms->setObjectName(u"itms"_s);
  itms->setGeometry(twips_rect(0, 0, 5175, 8175));
  itms->setEditable(false);
  itms->setMultiSelect(true);

  Command1 = new QPushButton(u"GO"_s, this);
  Command1->setObjectName(u"Command1"_s);
  Command1->setGeometry(twips_rect(6240, 720, 1815, 375));

  out = new QLabel(u"Hit go to start process"_s, this);
  out->setObjectName(u"out"_s);
  out->setGeometry(twips_rect(5400, 1320, 7095, 855));
  out->setFont(times_new_roman(21.75));
  out->setTextFormat(Qt::PlainText);
  out->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  connect(Command1, &QPushButton::clicked, this, &lootdrop_reorg::Command1_Click);
}

lootdrop_reorg& lootdrop_reorg::load(KorvexLoot& main) {
  QPointer<lootdrop_reorg>& window = single_window<lootdrop_reorg>();
  if (!window) window = new lootdrop_reorg(main);
  return *window;
}

lootdrop_reorg* lootdrop_reorg::loaded() { return single_window<lootdrop_reorg>().data(); }

void lootdrop_reorg::closeEvent(QCloseEvent* event) {
  event->accept();
  if (single_window<lootdrop_reorg>() == this) single_window<lootdrop_reorg>() = nullptr;
  deleteLater();
}

void lootdrop_reorg::show_progress(const QString& text, bool paint) {
  if (progress_observer) progress_observer(text);
  if (!paint) return;
  out->setText(text);
  repaint_throttled(out);
}

void lootdrop_reorg::Command1_Click() {
  std::vector<std::int64_t> ids;
  if (!list_lootdrops(ids) || !move_lootdrops(ids)) {
    show_progress(kNothingMoved, true);
    repaint_now(out);
    return;
  }
  for (int row = 1; row <= itms->RowCount(); ++row) {
    itms->setCellValue(row, 1, itms->CellValue(row, 2));
    if ((row & 4095) == 0) {
      repaint_throttled(out);
      refresh_windows_throttled();
    }
  }
  show_progress(u"COMPLETED!"_s, true);
  repaint();
}

bool lootdrop_reorg::list_lootdrops(std::vector<std::int64_t>& ids) {
  try {
    open_db(db_rs, db_conn);
    sql_text = reorg_sql::list_query();
    // Half a million ids take the driver most of a second to receive; the
    // label says so until its own text follows.
    run_painted([&] { db_rs.open(sql_text, db_conn); }, *out, u"Listing lootdrops..."_s);
    rec_count = db_rs.record_count();
    if (itms->ColCount() == 0) {
      itms->AddCol(u"id"_s, 100, true);
      itms->AddCol(u"index"_s, 100, true);
    }
    itms->setRowCount(rec_count);
    show_progress(u"Loading..pls wait.."_s, true);
    repaint_now(out);
    ids.reserve(static_cast<std::size_t>(rec_count));
    for (db_rs.move_first(); !db_rs.eof(); db_rs.move_next()) ids.push_back(static_cast<std::int64_t>(db_rs.number(0)));
    db_rs.close();
  } catch (const db::Error& e) {
    db_rs.close();
    report_db_error(u"Listing the lootdrops"_s, e);
    return false;
  }
  // The query names no order; only in ascending order does every lootdrop
  // keep or lower its id (but for a run of ids from 0, which moves up).
  std::sort(ids.begin(), ids.end());
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    itms->setCellValue(row, 1, static_cast<qlonglong>(ids[i]));
    itms->setCellValue(row, 2, row);
    if ((i & 4095) == 0) {
      repaint_throttled(out);
      refresh_windows_throttled();
    }
  }
  repaint();
  return true;
}

bool lootdrop_reorg::no_stray_entries(std::int64_t last_dest) {
  std::set<std::int64_t> strays;
  const auto collect = [&](const QString& query) {
    sql_text = query;
    run_painted([&query] { db_rs.open(query, db_conn); }, *out);
    for (db_rs.move_first(); !db_rs.eof(); db_rs.move_next()) strays.insert(static_cast<std::int64_t>(db_rs.number(0)));
    db_rs.close();
    return strays.size() <= static_cast<std::size_t>(kStraysShown);
  };
  // Half a second at 10x: the label says what is checked.
  by_ranges(1, last_dest, [&](std::int64_t first, std::int64_t last) {
    out->setText(u"Checking lootdrop #"_s + decimal_text(first));
    return collect(reorg_sql::stray_entries_query(first, last, kStraysShown + 1));
  });
  if (strays.size() <= static_cast<std::size_t>(kStraysShown)) {
    by_loottable_ranges([&](std::int64_t first, std::int64_t last) {
      out->setText(u"Checking loottable #"_s + decimal_text(first));
      return collect(reorg_sql::stray_links_query(first, last, last_dest, kStraysShown + 1));
    });
  }
  if (strays.empty()) return true;
  QStringList shown;
  for (const std::int64_t id : strays) {
    if (shown.size() == kStraysShown) {
      shown << u"..."_s;
      break;
    }
    shown << decimal_text(id);
  }
  operator_io().message(u"Lootdrop entries or loottable entries name lootdrops that do not exist: "_s +
                        shown.join(u", "_s) +
                        u". Renumbering would join them to the lootdrops that take these ids. Remove them first with "
                        "\"Delete Unused LOOTDROP\". Nothing was moved."_s);
  return false;
}

void lootdrop_reorg::by_ranges(std::int64_t lowest, std::int64_t highest,
                               const std::function<bool(std::int64_t, std::int64_t)>& each) {
  ChunkPacer pacer(2000, 10, std::size_t{1} << 30);
  for (std::int64_t from = lowest; from <= highest;) {
    const std::int64_t last = std::min(highest, from + static_cast<std::int64_t>(pacer.size()) - 1);
    if (!each(from, last)) return;
    from = last + 1;
    pacer.done();
    repaint_now(out);
  }
}

void lootdrop_reorg::by_loottable_ranges(const std::function<bool(std::int64_t, std::int64_t)>& each) {
  sql_text = reorg_sql::link_span_query();
  db_rs.open(sql_text, db_conn);
  const bool none = db_rs.field(0).is_null();
  const auto lowest = static_cast<std::int64_t>(db_rs.number(0));
  const auto highest = static_cast<std::int64_t>(db_rs.number(1));
  db_rs.close();
  if (!none) by_ranges(lowest, highest, each);
}

bool lootdrop_reorg::move_lootdrops(const std::vector<std::int64_t>& ids) {
  // Ids 0, 1, 2 ... up to the first gap each move up by one; they end at
  // or below the first id after them, which keeps or lowers its own.
  std::size_t shifted = 0;
  while (shifted < ids.size() && ids[shifted] == static_cast<std::int64_t>(shifted)) ++shifted;
  // Past those, once an id differs from its position, every later one does
  // too.
  std::size_t first = shifted;
  while (first < ids.size() && ids[first] == static_cast<std::int64_t>(first) + 1) ++first;
  if (shifted == 0 && first == ids.size()) return true;
  Moves moves;
  moves.reserve(ids.size() - first);
  for (std::size_t i = first; i < ids.size(); ++i) moves.emplace_back(ids[i], static_cast<std::int64_t>(i) + 1);
  std::int64_t own_dest = 0;
  if (own_lootdrop_id != 0 && own_lootdrop_id < shifted) own_dest = static_cast<std::int64_t>(own_lootdrop_id) + 1;
  for (const auto& [source, dest] : moves)
    if (own_lootdrop_id != 0 && source == own_lootdrop_id) own_dest = dest;
  try {
    if (!no_stray_entries(static_cast<std::int64_t>(ids.size()))) return false;
    db::Transaction transaction(db_conn);
    // The two groups neither meet nor cross: those moving up end at or
    // below `shifted`, the others start above it and end above it.
    if (shifted > 0) shift_up(static_cast<std::int64_t>(shifted));
    if (!moves.empty()) {
      // One statement per move and table would cost a scan of
      // loottable_entries per lootdrop where it has no key on lootdrop_id:
      // the list of moves goes to the server, and the rows move by ranges.
      execute_sql(reorg_sql::drop_moves());
      execute_sql(reorg_sql::create_moves());
      send_moves(moves);
      move_rows(moves);
    }
    // The program's own lootdrop keeps being its own under the new id.
    if (own_dest != 0) execute_sql(reorg_sql::move_own_lootdrop(own_dest));
    if (!moves.empty()) execute_sql(reorg_sql::drop_moves());
    transaction.commit();
  } catch (const db::Error& e) {
    db_rs.close();
    report_transaction_failure(u"Renumbering the lootdrops (nothing was moved)"_s, e);
    return false;
  }
  if (own_dest != 0) own_lootdrop_id = static_cast<std::uint32_t>(own_dest);
  // What the main window shows names lootdrops by their old ids; a save
  // there would write into the lootdrop that holds such an id now.
  empty_loot_grids(*main_.loottableE, *main_.lootdropE);
  return true;
}

void lootdrop_reorg::shift_up(std::int64_t count) {
  if (progress_observer)
    for (std::int64_t id = 0; id < count; ++id)
      progress_observer(u"Moving from #"_s + decimal_text(id) + u" to #"_s + decimal_text(id + 1));
  // The lootdrops and their entries, by ranges from the top down.
  ChunkPacer pacer(2000, 100, 100000);
  for (std::int64_t last = count - 1; last >= 0;) {
    const std::int64_t first = std::max<std::int64_t>(0, last - static_cast<std::int64_t>(pacer.size()) + 1);
    out->setText(u"Moving from #"_s + decimal_text(first) + u" to #"_s + decimal_text(first + 1));
    repaint_now(out);
    for (const QString& table : {kTables[0], kTables[1]}) execute_sql(reorg_sql::shift_range_up(table, first, last));
    last = first - 1;
    pacer.done();
  }
  by_loottable_ranges([count](std::int64_t first, std::int64_t last) {
    execute_sql(reorg_sql::shift_links_up(first, last, count - 1));
    return true;
  });
}

void lootdrop_reorg::send_moves(const Moves& moves) {
  // The progress text names each move as it is sent; all take effect at
  // the commit.
  for (std::size_t from = 0; from < moves.size(); from += kBatch) {
    const std::size_t end = std::min(moves.size(), from + kBatch);
    if (progress_observer)
      for (std::size_t i = from; i < end; ++i)
        progress_observer(u"Moving from #"_s + decimal_text(moves[i].first) + u" to #"_s +
                          decimal_text(moves[i].second));
    out->setText(u"Moving from #"_s + decimal_text(moves[from].first) + u" to #"_s + decimal_text(moves[from].second));
    repaint_throttled(out);
    execute_sql_painted(reorg_sql::insert_moves(moves, from, kBatch), *out);
  }
}

void lootdrop_reorg::move_rows(const Moves& moves) {
  // The lootdrops and their entries, by ranges of old ids in ascending order.
  ChunkPacer pacer(2000, 100, 100000);
  for (std::size_t from = 0; from < moves.size();) {
    const std::size_t last = std::min(moves.size(), from + pacer.size()) - 1;
    out->setText(u"Moving from #"_s + decimal_text(moves[from].first) + u" to #"_s + decimal_text(moves[from].second));
    repaint_now(out);
    for (const QString& table : {kTables[0], kTables[1]})
      execute_sql_painted(reorg_sql::move_range(table, moves[from].first, moves[last].first), *out);
    from = last + 1;
    pacer.done();
  }
  // The links, by ranges of loot table ids: their key leads with those.
  // The label says so (it would show the last lootdrop's move for seconds).
  by_loottable_ranges([this](std::int64_t first, std::int64_t last) {
    out->setText(u"Relinking loottable #"_s + decimal_text(first));
    repaint_now(out);
    execute_sql_painted(reorg_sql::move_links(first, last), *out);
    return true;
  });
}
