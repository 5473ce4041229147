// The item search window: its layout and lifecycle, the searches and the
// item list. List files and transfers live in files of their own.
#include "itemsearch/item_search.h"

#include "controls/form_layout.h"
#include "controls/igrid.h"
#include "controls/litebtnctrl.h"
#include "controls/repaint.h"
#include "itemcard/item_stats.h"
#include "platform/odbc.h"
#include "platform/sqltext.h"
#include "platform/textnum.h"
#include "shared/background_read.h"
#include "shared/grid_cells.h"
#include "shared/operator_io.h"
#include "shared/pictures.h"
#include "shared/shared.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

using namespace Qt::StringLiterals;

namespace item_search_sql {

QString simple_search(const QString& text) {
  // LIKE takes a backslash as its escape character: doubled, it finds itself.
  const QString pattern = u'%' + QString(text).replace(u'\\', u"\\\\"_s) + u'%';
  return u"SELECT id,name FROM items WHERE name LIKE "_s + sqltext::quote_double(pattern);
}

QString advanced_search(const QString& text, const QString& condition) {
  return simple_search(text) + u" AND "_s + condition;
}

QString name_of_item(double item_id) { return u"SELECT name FROM items WHERE id="_s + textnum::sql_number(item_id); }

QString statement_time_limit(double seconds) {
  return u"SET SESSION max_statement_time="_s + textnum::sql_number(seconds);
}

QString execution_time_limit(double seconds) {
  return u"SET SESSION max_execution_time="_s + textnum::sql_number(std::ceil(seconds * 1000));
}

}  // namespace item_search_sql

namespace {

constexpr QSize kClientSize(784, 696);  // 11760 x 10440 twips
constexpr QPoint kPlace(352, 131);      // 5280, 1965 twips
const QColor kLabel1Colour(192, 64, 0);

// What the server says when it ended a statement at its time limit
// (MariaDB's max_statement_time, MySQL's max_execution_time), and when it
// has no such limit.
constexpr int kStatementTimeout = 1969;
constexpr int kExecutionTimeout = 3024;
constexpr int kUnknownVariable = 1193;

// Words the operator's condition may not hold outside quoted text: INTO
// writes variables or files. BENCHMARK and MASTER_GTID_WAIT run on past the
// server's time limit, and BENCHMARK past a KILL, when the server works them
// out before it reads a row (a condition that does not depend on the row);
// the other replication waits wait the same way.
constexpr QStringView kRefusedWords[] = {u"INTO", u"BENCHMARK", u"MASTER_POS_WAIT", u"MASTER_GTID_WAIT",
                                         u"SOURCE_POS_WAIT"};

// The advanced search's statement is sent only when the server can read it
// one way, and that way holds none of the refused words.
bool condition_may_run(const QString& statement) {
  if (!sqltext::reads_one_way(statement)) return false;
  return std::none_of(std::begin(kRefusedWords), std::end(kRefusedWords),
                      [&](QStringView word) { return sqltext::holds_keyword(statement, word); });
}

// The server ends every statement of the session that runs longer than
// `seconds`, even when this program is gone: MariaDB's limit, or MySQL's
// (for SELECT statements) on a server without it. Set for the session, not
// as "SET STATEMENT ... FOR SELECT": the driver takes that for a statement
// without rows, leaves its rows unread, and the next statement waits forever.
void limit_statement_time(double seconds) {
  try {
    db_conn.execute(item_search_sql::statement_time_limit(seconds));
  } catch (const db::Error& e) {
    if (e.native_error() != kUnknownVariable) throw;
    db_conn.execute(item_search_sql::execution_time_limit(seconds));
  }
}

// Ends the session that ran the operator's condition, however the search
// ends: what the condition took in it (named locks, user variables) goes
// with it. Every operation connects anew, so none waits for this one.
struct SessionEnd {
  SessionEnd() = default;
  SessionEnd(const SessionEnd&) = delete;
  SessionEnd& operator=(const SessionEnd&) = delete;
  ~SessionEnd() {
    db_rs.close();
    if (!db_conn.in_transaction()) db_conn.close();
  }
};

}  // namespace

void ItemRows::begin(int rows) {
  columns.assign(2, GridColumn());
  for (GridColumn& column : columns) column.reserve(static_cast<std::size_t>(rows));
}

void ItemRows::take(const db::RowBlock& block) {
  for (int row = 0; row < block.size(); ++row) {
    if (block.is_null(row, 0)) {
      columns[0].push_empty();
    } else if (block.is_numeric_column(0)) {
      columns[0].push_number(block.number(row, 0));
    } else {
      columns[0].push_utf8(block.text(row, 0));
    }
    if (block.is_null(row, 1)) {
      columns[1].push_empty();
      continue;
    }
    // A comma is one byte in UTF-8 and never part of another character.
    // Most names hold none and go in as they came.
    const QByteArrayView name = block.text(row, 1);
    if (!name.contains(',')) {
      columns[1].push_utf8(name);
      continue;
    }
    name_.resize(name.size());
    std::replace_copy(name.begin(), name.end(), name_.begin(), ',', '_');
    columns[1].push_utf8(name_);
  }
}

item_search::item_search(QWidget* parent)
    // A fixed dialog frame, kept above the other windows.
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
  setObjectName(u"item_search"_s);
  setWindowTitle(u"Search for Items"_s);
  setFont(ms_sans_serif());
  setFixedSize(kClientSize);
  move(kPlace);
  make_white(this);
}

void item_search::load() {
  if (is_loaded()) return;
  build_controls();
  connect_controls();
  if (!(windowFlags() & Qt::WindowStaysOnTopHint)) setWindowFlag(Qt::WindowStaysOnTopHint, true);
  refresh_file_list();
  itms->AddCol(u"item_id"_s, 70, true);
  itms->AddCol(u"name"_s, 235, true);
}

void item_search::open_window(const LootEditorGrids& main) {
  main_ = main;
  load();
  bring_to_front(*this);
}

void item_search::unload() {
  hide();
  if (!form_) return;
  // Deleted at once: a handler never runs on a closed window's controls.
  delete form_;
  form_ = nullptr;
  itms = nullptr;
  search_input = filter = list_name_field = perc = number_drops_per_lootdrop = lootdrop_new_perc = Text2 = nullptr;
  CLX = simple_search = LiteBtnCtrl1 = remve_item = add_itm = export_lst = import_list = clear_grd = nullptr;
  assign_to_lootdrop = LiteBtnCtrl3 = LiteBtnCtrl2 = go = delete_custom_loot = LiteBtnCtrl4 = nullptr;
  append_chk = nullptr;
  out = Label4 = Label1 = Label2 = Label5 = Label3 = Image1 = counter = nullptr;
  Filex = nullptr;
  Frame1 = nullptr;
}

void item_search::closeEvent(QCloseEvent* event) {
  event->accept();
  unload();
}

void item_search::build_controls() {
  form_ = new QWidget(this);
  form_->setObjectName(u"form"_s);
  form_->setGeometry(rect());
  QWidget* f = form_;
  const QFont box_font = times_new_roman(14.25);
  const QFont small_font = times_new_roman(11.25);

  // Labels first, so every other control lies over them.
  out = make_label(f, u"out"_s, QString(), twips_rect(5400, 4560, 5775, 375), times_new_roman(18));
  Label4 = make_label(f, u"Label4"_s, u"Custom Lists:"_s, twips_rect(9000, 960, 2055, 375), small_font);
  counter =
      make_label(f, u"counter"_s, u"Number of ITEMS:  0"_s, twips_rect(240, 9840, 4935, 495), times_new_roman(12));

  itms = new IGrid(f);
  itms->setObjectName(u"itms"_s);
  itms->setGeometry(twips_rect(120, 240, 5175, 9495));
  itms->setMultiSelect(true);
  // Ids are typed into blank rows and looked up on commit, so cells take edits.
  itms->setEditable(true);

  search_input = make_text_box(f, u"search_input"_s, u"rusty"_s, twips_rect(5400, 240, 3135, 510), box_font);
  CLX = LiteBtnCtrl::placed(f, u"CLX"_s, u"X"_s, twips_rect(8520, 240, 375, 495));
  filter = make_text_box(f, u"filter"_s, u"aint=5"_s, twips_rect(5400, 960, 3135, 510), box_font);
  simple_search = LiteBtnCtrl::placed(f, u"simple_search"_s, u"Basic Search"_s, twips_rect(5400, 1680, 1575, 375));
  LiteBtnCtrl1 = LiteBtnCtrl::placed(f, u"LiteBtnCtrl1"_s, u"Adv Search"_s, twips_rect(6960, 1680, 1575, 375));
  remve_item = LiteBtnCtrl::placed(f, u"remve_item"_s, u"Remove Item/s"_s, twips_rect(5400, 2160, 1575, 375));
  add_itm = LiteBtnCtrl::placed(f, u"add_itm"_s, u"Add Blank Item"_s, twips_rect(6960, 2160, 1575, 375));
  export_lst = LiteBtnCtrl::placed(f, u"export_lst"_s, u"Export List"_s, twips_rect(5400, 3120, 1575, 375));
  list_name_field = make_text_box(f, u"list_name_field"_s, u"basic_items"_s, twips_rect(7080, 3120, 1575, 375), font());
  import_list = LiteBtnCtrl::placed(f, u"import_list"_s, u"Import List"_s, twips_rect(5400, 3600, 1575, 375));
  append_chk = new QCheckBox(u"Append to list"_s, f);
  append_chk->setObjectName(u"append_chk"_s);
  append_chk->setGeometry(twips_rect(7200, 3600, 1335, 375));
  make_white(append_chk);
  // A check box fills its background with the button face colour.
  QPalette white_face = append_chk->palette();
  white_face.setColor(QPalette::Button, Qt::white);
  append_chk->setPalette(white_face);
  clear_grd = LiteBtnCtrl::placed(f, u"clear_grd"_s, u"Clear List"_s, twips_rect(5400, 4080, 1575, 375));

  Filex = new QListWidget(f);
  Filex->setObjectName(u"Filex"_s);
  Filex->setGeometry(twips_rect(8760, 1440, 2895, 3090));
  Filex->setFont(small_font);

  assign_to_lootdrop =
      LiteBtnCtrl::placed(f, u"assign_to_lootdrop"_s, u"Assign ALL to LOOTDROP"_s, twips_rect(5400, 5160, 3255, 375));
  LiteBtnCtrl3 =
      LiteBtnCtrl::placed(f, u"LiteBtnCtrl3"_s, u"Grab Items from Lootdrop"_s, twips_rect(8760, 5160, 2895, 375));
  LiteBtnCtrl2 =
      LiteBtnCtrl::placed(f, u"LiteBtnCtrl2"_s, u"Assign SELECTED to LOOTDROP"_s, twips_rect(5400, 5640, 3255, 375));

  // The random loot settings, hidden until "Random Loot" is pressed.
  Frame1 = new QGroupBox(u"RandomLoot"_s, f);
  Frame1->setObjectName(u"Frame1"_s);
  Frame1->setGeometry(twips_rect(5400, 6240, 6255, 3495));
  make_white(Frame1);
  Label1 = make_label(Frame1, u"Label1"_s, u"Global Chance of LOOT"_s, twips_rect(120, 360, 2535, 375), small_font);
  QPalette red = Label1->palette();
  red.setColor(QPalette::WindowText, kLabel1Colour);
  Label1->setPalette(red);
  perc = make_text_box(Frame1, u"perc"_s, u"25"_s, twips_rect(2760, 280, 735, 435), box_font);
  Label2 = make_label(Frame1, u"Label2"_s, u"# ITEMS/Lootdrop"_s, twips_rect(120, 840, 2535, 375), small_font);
  number_drops_per_lootdrop =
      make_text_box(Frame1, u"number_drops_per_lootdrop"_s, u"5"_s, twips_rect(2760, 720, 735, 435), box_font);
  Label5 = make_label(Frame1, u"Label5"_s, u"Lootdrop %"_s, twips_rect(3600, 840, 1215, 375), small_font);
  lootdrop_new_perc = make_text_box(Frame1, u"lootdrop_new_perc"_s, u"50"_s, twips_rect(4800, 720, 735, 435), box_font);
  Label3 = make_label(Frame1, u"Label3"_s, u"% Each ITEM Drops"_s, twips_rect(120, 1320, 2535, 375), small_font);
  Text2 = make_text_box(Frame1, u"Text2"_s, u"10"_s, twips_rect(2760, 1200, 735, 435), box_font);
  go = LiteBtnCtrl::placed(Frame1, u"go"_s, u"GO"_s, twips_rect(120, 1800, 2535, 375));
  delete_custom_loot =
      LiteBtnCtrl::placed(Frame1, u"delete_custom_loot"_s, u"DELETE CUSTOM LOOT"_s, twips_rect(120, 2880, 2535, 375));
  Image1 = new QLabel(Frame1);
  Image1->setObjectName(u"Image1"_s);
  Image1->setGeometry(twips_rect(3360, 1320, 2640, 2175));
  Image1->setPixmap(korvexloot_picture());
  Image1->setScaledContents(true);
  // The picture overlaps the right edge of the "% Each ITEM Drops" box: it is
  // decoration and stays beneath the frame's controls.
  Image1->lower();
  Frame1->hide();
  LiteBtnCtrl4 = LiteBtnCtrl::placed(f, u"LiteBtnCtrl4"_s, u"Random Loot"_s, twips_rect(6720, 9840, 2895, 375));

  form_->show();
}

void item_search::connect_controls() {
  connect(simple_search, &LiteBtnCtrl::Click, this, &item_search::simple_search_Click);
  connect(LiteBtnCtrl1, &LiteBtnCtrl::Click, this, &item_search::LiteBtnCtrl1_Click);
  connect(add_itm, &LiteBtnCtrl::Click, this, &item_search::add_itm_Click);
  connect(clear_grd, &LiteBtnCtrl::Click, this, &item_search::clear_grd_Click);
  connect(CLX, &LiteBtnCtrl::Click, this, &item_search::CLX_Click);
  connect(remve_item, &LiteBtnCtrl::Click, this, &item_search::remve_item_Click);
  connect(itms, &IGrid::AfterCommitEdit, this, &item_search::itms_AfterCommitEdit);
  connect(itms, &IGrid::CurRowChange, this, &item_search::itms_CurRowChange);
  connect(itms, &IGrid::MouseDown, this, &item_search::itms_MouseDown);
  connect(export_lst, &LiteBtnCtrl::Click, this, &item_search::export_lst_Click);
  connect(import_list, &LiteBtnCtrl::Click, this, &item_search::import_list_Click);
  connect(Filex, &QListWidget::itemClicked, this, &item_search::Filex_Click);
  connect(Filex, &QListWidget::currentRowChanged, this, &item_search::Filex_Click);
  connect(assign_to_lootdrop, &LiteBtnCtrl::Click, this, &item_search::assign_to_lootdrop_Click);
  connect(LiteBtnCtrl2, &LiteBtnCtrl::Click, this, &item_search::LiteBtnCtrl2_Click);
  connect(LiteBtnCtrl3, &LiteBtnCtrl::Click, this, &item_search::LiteBtnCtrl3_Click);
  connect(LiteBtnCtrl4, &LiteBtnCtrl::Click, this, &item_search::LiteBtnCtrl4_Click);
  connect(go, &LiteBtnCtrl::Click, this, &item_search::go_Click);
  connect(delete_custom_loot, &LiteBtnCtrl::Click, this, &item_search::delete_custom_loot_Click);
}

void item_search::update_counter() {
  counter->setText(u"Number of ITEMS:  "_s + textnum::number_text(itms->RowCount()));
}

void item_search::search(bool advanced) {
  if (append_chk->checkState() == Qt::Unchecked) itms->Clear();
  std::optional<WaitPointer> hourglass;
  if (advanced) hourglass.emplace();
  try {
    sql_text = advanced ? item_search_sql::advanced_search(search_input->text(), filter->text())
                        : item_search_sql::simple_search(search_input->text());
    // The free condition runs as typed, so it may only read, and only for a
    // while: a statement the server could read another way than this check
    // does, or that holds INTO or a wait the server's limit does not end, is
    // refused before anything is sent; the rest runs in a read-only
    // transaction, in a session of its own with a time limit.
    if (advanced && !condition_may_run(sql_text)) throw db::Error(u"The condition is refused"_s);
    open_db(db_rs, db_conn);
    // The rows are read on a worker thread into the list's own columns while
    // the label counts them; the list then takes the columns below its rows.
    ItemRows rows;
    int n = 0;
    BackgroundRead reading(rows, *out, u"Loading Item "_s, 1, *this);
    reading.show_while_waiting(u"Reading items..."_s);
    const auto read = [&] {
      reading.run([&] { db_rs.read(sql_text, db_conn, reading); },
                  [&](int count) {
                    n = count;
                    if (n > 0 && !hourglass) hourglass.emplace();
                  });
    };
    if (advanced) {
      bool stopped = false;
      {
        const SessionEnd session_end;
        limit_statement_time(condition_time_limit);
        QElapsedTimer clock;
        clock.start();
        try {
          db_rs.read_only(db_conn, read);
        } catch (const db::Error& e) {
          if (e.native_error() != kStatementTimeout && e.native_error() != kExecutionTimeout) throw;
          stopped = true;
        }
        // A wait the server cut short may end without an error (GET_LOCK
        // gives NULL): a read as long as the limit was stopped all the same,
        // and its rows are not the condition's.
        stopped = stopped || clock.elapsed() >= std::llround(condition_time_limit * 1000);
      }
      if (stopped) {
        update_counter();
        out->setText(QString());
        hourglass.reset();
        operator_io().message(u"The search took longer than "_s + textnum::number_text(condition_time_limit) +
                              u" seconds and was stopped."_s);
        return;
      }
    } else {
      read();
    }
    if (n == 0) {
      update_counter();
      hourglass.reset();
      if (advanced) operator_io().message(u"There were NO results returned!"_s);
      return;
    }
    itms->model()->append_rows(std::move(rows.columns));
    update_counter();
    hourglass.reset();
    out->setText(QString());
  } catch (const db::Error& e) {
    db_rs.close();
    // The list may have been emptied: the counter shows what it holds.
    update_counter();
    hourglass.reset();
    if (advanced) {
      operator_io().message(u"There was an error in the query"_s);
    } else {
      report_db_error(u"Searching the items"_s, e);
    }
  }
}

void item_search::simple_search_Click() { search(false); }

void item_search::LiteBtnCtrl1_Click() { search(true); }

void item_search::add_itm_Click() {
  itms->setRowCount(itms->RowCount() + 1);
  update_counter();
}

void item_search::clear_grd_Click() {
  itms->Clear();
  update_counter();
}

void item_search::CLX_Click() { search_input->setText(QString()); }

void item_search::remve_item_Click() {
  if (list_cursor == 0) return;
  // The rows that stay move up over the selected ones and the list is cut
  // once: removing rows one at a time costs a move of every row below each.
  const int rows = itms->RowCount();
  int kept = 0;
  for (int i = 1; i <= rows; ++i) {
    if (itms->CellSelected(i, 1)) continue;
    if (++kept == i) continue;
    for (int col = 1; col <= 2; ++col) itms->setCellValue(kept, col, itms->CellValue(i, col));
  }
  if (kept < rows) {
    itms->view()->clearSelection();
    itms->setRowCount(kept);
  }
  update_counter();
  list_cursor = 0;
}

void item_search::itms_AfterCommitEdit(int lRow, int lCol) {
  if (lRow == 0 || lCol != 1) return;
  // Only a number can name an item; anything else is not looked up.
  const std::optional<double> id = grid_cells::number(itms->CellValue(lRow, 1));
  if (!id) {
    itms->setCellValue(lRow, 2, u"???"_s);
    return;
  }
  try {
    sql_text = item_search_sql::name_of_item(*id);
    open_db(db_rs, db_conn);
    db_rs.open(sql_text, db_conn);
    if (db_rs.record_count() != 0) {
      const db::Field name = db_rs.field(0);
      itms->setCellValue(lRow, 2, name.is_null() ? QVariant() : QVariant(name.text()));
      db_rs.close();
    } else {
      db_rs.close();
      itms->setCellValue(lRow, 2, u"???"_s);
    }
  } catch (const db::Error& e) {
    db_rs.close();
    report_db_error(u"Looking up item "_s + textnum::number_text(*id), e);
  }
}

void item_search::show_row(int row) {
  const std::optional<std::int32_t> id = grid_cells::whole(itms->CellValue(row, 1));
  if (!id) return;  // text that is no item id: nothing to show
  cur_item_id = *id;
  if (cur_item_id == 0) return;
  std::int16_t type_of_item = 0;
  item_stats_window().show_stats(cur_item_id, type_of_item);
}

void item_search::itms_CurRowChange() {
  const int row = itms->CurRow();
  if (row >= 1) show_row(row);
}

void item_search::itms_MouseDown(Qt::MouseButton /*Button*/, Qt::KeyboardModifiers /*Shift*/, int /*X*/, int /*Y*/,
                                 int lRow, int /*lCol*/) {
  list_cursor = lRow;
  if (lRow != 0) show_row(lRow);
}

item_search& item_search_window() {
  // Never deleted: the one window object lives until the program ends.
  QPointer<item_search>& window = single_window<item_search>();
  if (!window) window = new item_search;
  return *window;
}
