#include "itemsearch/item_list_files.h"
#include "test_item_search_support.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using namespace Qt::StringLiterals;
using item_search_testing::ItemSearch;

namespace {

const QString kImportFailed = u"Error in file - could be missing file, or it was not found"_s;

class ItemLists : public ItemSearch {
 protected:
  QString path(const QString& relative) const { return folder.filePath(relative); }
  QByteArray file(const QString& relative) const {
    QFile f(path(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  void write(const QString& relative, const QByteArray& bytes) {
    QDir(folder.path()).mkpath(QFileInfo(relative).path());
    QFile f(path(relative));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  void import(const QString& name) {
    s->list_name_field->setText(name);
    s->import_list_Click();
  }
  void export_as(const QString& name) {
    s->list_name_field->setText(name);
    s->export_lst_Click();
  }
  QStringList file_list() const {
    QStringList names;
    for (int i = 0; i < s->Filex->count(); ++i) names << s->Filex->item(i)->text();
    return names;
  }
};

TEST_F(ItemLists, ExportAndImportGiveTheSameBytesAndRows) {
  list({u"1001|Cloth Cap, Worn"_s, u"|"_s, u"1002|Caf\u00e9"_s, u"|x\ty"_s});
  s->itms->setCellValue(1, 1, 1001.0);  // a search's id is a number
  export_as(u"basic_items"_s);
  const QByteArray expected("1001\tCloth Cap_ Worn\r\n\t\r\n1002\tCaf\xe9\r\n\tx\ty\r\n");
  EXPECT_EQ(file(u"Lists/basic_items.txt"_s), expected);
  // The list itself shows the name as written.
  EXPECT_EQ(s->itms->CellValue(1, 2).toString(), u"Cloth Cap_ Worn"_s);
  EXPECT_EQ(file_list(), QStringList{u"basic_items.txt"_s});

  s->append_chk->setChecked(false);
  import(u"basic_items"_s);
  // What follows a second TAB is not part of the name.
  EXPECT_EQ(shown(s->itms), (QStringList{u"1001|Cloth Cap_ Worn"_s, u"|"_s, u"1002|Caf\u00e9"_s, u"|x"_s}));
  EXPECT_EQ(s->itms->CellValue(2, 1).isValid(), false);  // a blank row stays blank
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  4"_s);
  s->itms->setCellValue(4, 2, u"x\ty"_s);
  export_as(u"basic_items"_s);
  EXPECT_EQ(file(u"Lists/basic_items.txt"_s), expected);

  // Appending three lines to four rows.
  write(u"Lists/three.txt"_s, "5\tE\r\n6\tF\n7\tG");
  s->append_chk->setChecked(true);
  import(u"three"_s);
  EXPECT_EQ(s->itms->RowCount(), 7);
  EXPECT_EQ(shown(s->itms).mid(4), (QStringList{u"5|E"_s, u"6|F"_s, u"7|G"_s}));
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  7"_s);

  // An empty list empties the file; an empty name is the file ".txt".
  s->clear_grd_Click();
  export_as(u"three"_s);
  EXPECT_EQ(file(u"Lists/three.txt"_s), QByteArray());
  export_as(QString());
  EXPECT_EQ(file(u"Lists/.txt"_s), QByteArray());
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(ItemLists, MalformedLinesStopTheImportWithItsMessage) {
  write(u"Lists/bad.txt"_s, "1\tA\r\nabc\tNot an id\r\nno tab here\r\n4\tD\r\n");
  list({u"9|old"_s});
  import(u"bad"_s);
  EXPECT_EQ(shown(s->itms), (QStringList{u"1|A"_s, u"abc|Not an id"_s, u"|"_s}));
  EXPECT_EQ(s->counter->text(), u"Loading item #3"_s);
  EXPECT_EQ(io.messages, std::vector<QString>{kImportFailed});

  // The row whose id is no number can be chosen and handed on.
  cur_item_id = 5;
  s->itms_MouseDown(Qt::LeftButton, {}, 0, 0, 2, 1);
  s->itms->setCurRow(2);
  EXPECT_EQ(cur_item_id, 5);
  s->assign_to_lootdrop_Click();
  EXPECT_EQ(w->lootdropE->CellValue(2, 1).toString(), u"abc"_s);

  // An empty line after the last item: every item, then the message.
  io.messages.clear();
  write(u"Lists/trailing.txt"_s, "1\tA\r\n\r\n");
  import(u"trailing"_s);
  EXPECT_EQ(shown(s->itms), (QStringList{u"1|A"_s, u"|"_s}));
  EXPECT_EQ(io.messages, std::vector<QString>{kImportFailed});

  // A missing list leaves the list and the counter as they were.
  io.messages.clear();
  s->clear_grd_Click();
  list({u"9|old"_s});
  import(u"missing"_s);
  EXPECT_EQ(shown(s->itms), QStringList{u"9|old"_s});
  EXPECT_EQ(s->counter->text(), u"Number of ITEMS:  0"_s);
  EXPECT_EQ(io.messages, std::vector<QString>{kImportFailed});
}

TEST_F(ItemLists, ListNamesCannotReachOutsideTheListFolder) {
  write(u"outside.txt"_s, "1\tSecret\r\n");
  write(u"Lists/sub/inner.txt"_s, "1\tInner\r\n");
  list({u"1|a, b"_s});
  for (const QString& name : {u"../outside"_s, u"..\\outside"_s, u"sub/inner"_s, path(u"outside"_s)}) {
    io.messages.clear();
    export_as(name);
    import(name);
    ASSERT_EQ(io.messages.size(), 2u) << name.toStdString();
    EXPECT_TRUE(io.messages[0].contains(u"cannot be used"_s));
  }
  EXPECT_EQ(file(u"outside.txt"_s), QByteArray("1\tSecret\r\n"));
  EXPECT_EQ(file(u"Lists/sub/inner.txt"_s), QByteArray("1\tInner\r\n"));
  EXPECT_EQ(shown(s->itms), QStringList{u"1|a, b"_s});
  EXPECT_FALSE(QFileInfo::exists(path(u"Lists"_s)) && QDir(path(u"Lists"_s)).entryList(QDir::Files).size() > 0);
}

TEST_F(ItemLists, FileListAndFilesMatchWithoutRegardToLetterCase) {
  write(u"lists/OLD.TXT"_s, "1001\tCloth Cap\r\n");
  write(u"lists/notes.md"_s, "not a list");
  write(u"lists/weapons.txt"_s, "");
  s->close();
  w->find_item_Click();  // the file list is read when the window loads
  EXPECT_EQ(item_lists::list_folder(), u"lists"_s);
  EXPECT_EQ(file_list(), (QStringList{u"OLD.TXT"_s, u"weapons.txt"_s}));

  s->Filex->setCurrentRow(0);
  EXPECT_EQ(s->list_name_field->text(), u"OLD"_s);
  s->import_list_Click();
  EXPECT_EQ(shown(s->itms), QStringList{u"1001|Cloth Cap"_s});

  // Exports reach the same folder and the same file.
  export_as(u"old"_s);
  export_as(u"new"_s);
  EXPECT_FALSE(QFileInfo::exists(path(u"Lists"_s)));
  EXPECT_EQ(file(u"lists/OLD.TXT"_s), QByteArray("1001\tCloth Cap\r\n"));
  EXPECT_EQ(file_list(), (QStringList{u"new.txt"_s, u"OLD.TXT"_s, u"weapons.txt"_s}));
  s->Filex->setCurrentRow(2);
  EXPECT_EQ(s->list_name_field->text(), u"weapons"_s);
}

TEST_F(ItemLists, EveryTxtEntryIsListedWhateverItBeginsWith) {
  write(u"Lists/.hidden.TXT"_s, "7\tSeven\r\n");
  list({u"1|One"_s});
  // Each list name, the file the export writes and the entry that stands for it.
  const struct {
    QString name;
    QString file;
  } cases[] = {{QString(), u".txt"_s}, {u".."_s, u"...txt"_s}, {u"plain"_s, u"plain.txt"_s}};
  for (const auto& c : cases) export_as(c.name);
  EXPECT_EQ(file_list(), (QStringList{u"...txt"_s, u".hidden.TXT"_s, u".txt"_s, u"plain.txt"_s}));
  for (const auto& c : cases) {
    EXPECT_EQ(file(u"Lists/"_s + c.file), QByteArray("1\tOne\r\n")) << c.file.toStdString();
    s->list_name_field->setText(u"other"_s);
    s->Filex->setCurrentRow(static_cast<int>(file_list().indexOf(c.file)));
    EXPECT_EQ(s->list_name_field->text(), c.name) << c.file.toStdString();
  }
  s->Filex->setCurrentRow(1);
  s->import_list_Click();
  EXPECT_EQ(shown(s->itms), QStringList{u"7|Seven"_s});
  EXPECT_TRUE(io.messages.empty());
}

TEST_F(ItemLists, AnExportThatCannotBeWrittenIsReported) {
  ASSERT_TRUE(QDir(folder.path()).mkpath(u"Lists/taken.txt"_s));
  list({u"1|a, b"_s});
  export_as(u"taken"_s);
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].contains(u"could not be written"_s));
  EXPECT_EQ(s->itms->CellValue(1, 2).toString(), u"a_ b"_s);
}

}  // namespace
