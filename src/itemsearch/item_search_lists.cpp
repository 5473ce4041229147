// The item search window's list files: export, import and the file list.
#include "controls/igrid.h"
#include "controls/repaint.h"
#include "itemsearch/item_list_files.h"
#include "itemsearch/item_search.h"
#include "platform/readers.h"
#include "platform/textnum.h"
#include "shared/operator_io.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSaveFile>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace {

const QString kImportFailed = u"Error in file - could be missing file, or it was not found"_s;

// The file of the named list; nothing, after telling the operator, for a
// name that cannot be a file's.
std::optional<QString> list_file_or_refusal(const QString& name) {
  std::optional<QString> path = item_lists::list_file(name);
  if (!path) {
    operator_io().message(u"The list name \""_s + name +
                          u"\" cannot be used: a list name must not hold \"/\" or \"\\\"."_s);
  }
  return path;
}

// An empty field is an empty cell, as a blank row's cells are.
QVariant field_cell(const QString& field) { return field.isEmpty() ? QVariant() : QVariant(field); }

}  // namespace

void item_search::refresh_file_list() {
  // Re-reading the folder is not the operator choosing a file.
  const QSignalBlocker quiet(Filex);
  Filex->clear();
  Filex->addItems(item_lists::list_file_names());
}

void item_search::export_lst_Click() {
  const std::optional<QString> path = list_file_or_refusal(list_name_field->text());
  if (!path) return;
  const int rows = itms->RowCount();
  // A comma in a name would not survive the older tools' readers: the list
  // itself shows "_" from now on.
  for (int i = 1; i <= rows; ++i) {
    const QVariant cell = itms->CellValue(i, 2);
    if (cell.typeId() == QMetaType::QString && cell.toString().contains(u',')) {
      itms->setCellValue(i, 2, cell.toString().replace(u',', u'_'));
    }
  }
  QString text;
  for (int i = 1; i <= rows; ++i) text += itms->cell_text(i, 1) + u'\t' + itms->cell_text(i, 2) + u"\r\n"_s;

  QDir().mkpath(item_lists::list_folder());
  QSaveFile file(*path);
  const QByteArray bytes = item_lists::file_bytes(text);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    operator_io().message(u"The list file \""_s + QDir::toNativeSeparators(*path) + u"\" could not be written: "_s +
                          file.errorString());
  }
  refresh_file_list();
}

void item_search::import_list_Click() {
  const std::optional<QString> path = list_file_or_refusal(list_name_field->text());
  if (!path) return;
  const std::optional<QString> text = readers::read_text_file(*path);
  if (!text) {
    operator_io().message(kImportFailed);
    return;
  }
  int n = itms->RowCount();
  if (append_chk->checkState() == Qt::Unchecked) {
    itms->Clear();
    n = 0;
  }
  readers::LineReader lines(*text);
  while (const std::optional<QString> line = lines.next()) {
    ++n;
    counter->setText(u"Loading item #"_s + textnum::number_text(n));
    repaint_throttled(this);
    itms->setRowCount(n);
    const qsizetype tab = line->indexOf(u'\t');
    if (tab < 0) {
      // The row made for the line stays, empty; later lines are not read.
      repaint_now(this);
      operator_io().message(kImportFailed);
      return;
    }
    // What follows a second TAB is not part of the name.
    const qsizetype end = line->indexOf(u'\t', tab + 1);
    itms->setCellValue(n, 1, field_cell(line->left(tab)));
    itms->setCellValue(n, 2, field_cell(line->mid(tab + 1, end < 0 ? -1 : end - tab - 1)));
  }
  counter->setText(u"Number of ITEMS:  "_s + textnum::number_text(itms->RowCount()));
  repaint_now(counter);
}

void item_search::Filex_Click() {
  const QListWidgetItem* chosen = Filex->currentItem();
  if (chosen) list_name_field->setText(item_lists::name_of_file(chosen->text()));
}
