#include "editor/zone_search.h"

#include "controls/form_layout.h"
#include "controls/igrid.h"
#include "platform/odbc.h"
#include "shared/operator_io.h"
#include "shared/shared.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// A value as the database gave it: numbers stay numbers, NULL stays empty.
QVariant field_value(const db::Field& f) {
  if (f.is_null()) return {};
  if (f.is_numeric_column()) return f.number();
  return f.text();
}

// Blanks only: a TAB at either end stays.
QStringView trim_blanks(QStringView text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && text[begin] == u' ') ++begin;
  while (end > begin && text[end - 1] == u' ') --end;
  return text.sliced(begin, end - begin);
}

QPushButton* make_button(QWidget* parent, const QString& name, const QString& caption, const QRect& rect) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(rect);
  button->setFont(times_new_roman(12));
  QPalette pal = button->palette();
  pal.setColor(QPalette::Button, Qt::white);
  button->setPalette(pal);
  return button;
}

}  // namespace

Zone_Search::Zone_Search(QLabel& zonename, QWidget* parent)
    // Kept above every window that is not itself kept on top, while the
    // operator works in the main window.
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      zonename_(&zonename) {
  setObjectName(u"Zone_Search"_s);
  setWindowTitle(u"Zone Search"_s);
  setFixedSize(twips_to_px(6930), twips_to_px(8850));
  move(twips_to_px(7800), twips_to_px(1980));
  make_white(this);

  zonegrid = new IGrid(this);
  zonegrid->setObjectName(u"zonegrid"_s);
  zonegrid->setGeometry(twips_rect(0, 0, 6975, 8295));
  save_data = make_button(this, u"save_data"_s, u"Save Results"_s, twips_rect(720, 8400, 1455, 375));
  paste = make_button(this, u"paste"_s, u"Paste"_s, twips_rect(2760, 8400, 1455, 375));
  done = make_button(this, u"done"_s, u"Done"_s, twips_rect(4800, 8400, 1455, 375));
  setTabOrder(done, paste);
  setTabOrder(paste, save_data);
  setTabOrder(save_data, zonegrid);

  connect(save_data, &QPushButton::clicked, this, &Zone_Search::save_data_Click);
  connect(paste, &QPushButton::clicked, this, &Zone_Search::paste_Click);
  connect(done, &QPushButton::clicked, this, &Zone_Search::done_Click);
}

Zone_Search& Zone_Search::load(QLabel& zonename, QWidget* parent) {
  QPointer<Zone_Search>& window = single_window<Zone_Search>();
  if (!window) {
    window = new Zone_Search(zonename, parent);
    window->Form_Load();
  }
  return *window;
}

Zone_Search* Zone_Search::loaded() { return single_window<Zone_Search>().data(); }

QString Zone_Search::zone_query() {
  return u"SELECT short_name,long_name,zoneidnumber FROM zone ORDER BY short_name ASC"_s;
}

QString Zone_Search::results_file() { return u"zone_results.txt"_s; }

void Zone_Search::Form_Load() {
  zonegrid->AddCol(u"id"_s, 48);
  zonegrid->AddCol(u"Short Name"_s, 140);
  zonegrid->AddCol(u"Long Name"_s, 225);
  zonegrid->Clear();
  try {
    open_db(db_rs, db_conn);
    db_rs.open(zone_query(), db_conn);
    rec_count = db_rs.record_count();
    if (rec_count >= 1) {
      zonegrid->setRowCount(rec_count);
      const int id = db_rs.column_index(u"zoneidnumber");
      const int short_name = db_rs.column_index(u"short_name");
      const int long_name = db_rs.column_index(u"long_name");
      db_rs.move_first();
      for (int row = 1; row <= rec_count; ++row) {
        zonegrid->setCellValue(row, 1, field_value(db_rs.field(id)));
        zonegrid->setCellValue(row, 2, field_value(db_rs.field(short_name)));
        zonegrid->setCellValue(row, 3, field_value(db_rs.field(long_name)));
        db_rs.move_next();
      }
    }
    db_rs.close();
  } catch (const db::Error& e) {
    report_db_error(u"Loading the zone list"_s, e);
  }
}

void Zone_Search::paste_Click() {
  const int row = zonegrid->CurRow();
  if (row < 1 || !zonename_) return;
  zonename_->setText(zonegrid->cell_text(row, 2));
}

void Zone_Search::done_Click() { hide(); }

void Zone_Search::save_data_Click() {
  const int rows = zonegrid->RowCount();
  if (rows == 0) return;
  QString text;
  for (int row = 1; row <= rows; ++row) {
    text += trim_blanks(zonegrid->cell_text(row, 1)) + u'\t' + trim_blanks(zonegrid->cell_text(row, 2)) + u"\t\t"_s +
            trim_blanks(zonegrid->cell_text(row, 3)) + u"\r\n"_s;
  }
  QFile file(results_file());
  // The older tools read the list in the Windows code page.
  const QByteArray bytes = text.toLatin1();
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush()) {
    operator_io().message(u"\"zone_results.txt\" could not be written: "_s + file.errorString());
  }
}

void Zone_Search::closeEvent(QCloseEvent* event) {
  event->accept();
  if (single_window<Zone_Search>() == this) single_window<Zone_Search>() = nullptr;
  deleteLater();
}
