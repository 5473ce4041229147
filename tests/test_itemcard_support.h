#pragma once
// Pieces shared by the item card tests: a scratch current folder with its own
// "resources/" reference files, and a compact way to add item rows.

#include "support/testdb.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace itemcard_testing {

// Makes a temporary folder the current folder for its lifetime, with an empty
// "resources" folder in it; the previous current folder comes back at the end.
class ResourceFolder {
 public:
  ResourceFolder() : previous_(QDir::currentPath()) {
    QDir(dir_.path()).mkdir(QStringLiteral("resources"));
    QDir::setCurrent(dir_.path());
  }
  ~ResourceFolder() { QDir::setCurrent(previous_); }
  ResourceFolder(const ResourceFolder&) = delete;
  ResourceFolder& operator=(const ResourceFolder&) = delete;

  QString path(const QString& name) const { return dir_.path() + QStringLiteral("/resources/") + name; }

  void write_bytes(const QString& name, const QByteArray& bytes) const {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  // Lines joined with CR LF, each ending with one, as UTF-8.
  void write(const QString& name, const QStringList& lines) const {
    QString text;
    for (const QString& l : lines) text += l + QStringLiteral("\r\n");
    write_bytes(name, text.toUtf8());
  }
  void remove(const QString& name) const { QFile::remove(path(name)); }

  // A small, fully known set of reference files:
  // classes "Cls01".."Cls16" and races "Rc01".."Rc16" (field k names bit k-1),
  // slots as the served game names them (record k names bit k-2),
  // body types "NN- Body NN" for 0..36 with a few twists (see below),
  // spells with the odd lines the look-up must get past,
  // 360 race records "n,Race n" with a few twists.
  void write_standard() const {
    QStringList classes, races;
    for (int k = 1; k <= 16; ++k) {
      classes << QStringLiteral("Cls%1").arg(k, 2, 10, QChar(u'0'));
      races << QStringLiteral("Rc%1").arg(k, 2, 10, QChar(u'0'));
    }
    write(QStringLiteral("classes.txt"), classes);
    write(QStringLiteral("races.txt"), races);
    write(QStringLiteral("slots_ref.txt"), slot_records());

    QStringList bodies;
    for (int n = 0; n <= 36; ++n) bodies << QStringLiteral("%1- Body %1").arg(n, 2, 10, QChar(u'0'));
    bodies[5] = QStringLiteral("05");                     // matches 5, but holds no name
    bodies[20] = QStringLiteral("21- First Twenty-one");  // 21 twice: the later line wins
    write(QStringLiteral("body_types.txt"), bodies);

    write(QStringLiteral("spells.txt"),
          {QStringLiteral("1^Alpha^x^y"), QStringLiteral("no caret here"), QStringLiteral(""),
           QStringLiteral("abc^Not a spell"), QStringLiteral("007^Seven"), QStringLiteral("8^"),
           QStringLiteral("10^Ten^5"), QStringLiteral("10^Second Ten"), QStringLiteral("0^Zero"),
           QStringLiteral("3^Scroll Three")});

    write(QStringLiteral("all_races.txt"), race_records(360));
  }

  static QStringList slot_records() {
    const QStringList names = {
        QStringLiteral("Spare"),     QStringLiteral("Charm"),       QStringLiteral("Left Ear"),
        QStringLiteral("Head"),      QStringLiteral("Face"),        QStringLiteral("Right Ear"),
        QStringLiteral("Neck"),      QStringLiteral("Shoulders"),   QStringLiteral("Arms"),
        QStringLiteral("Back"),      QStringLiteral("Left Wrist"),  QStringLiteral("Right Wrist"),
        QStringLiteral("Range"),     QStringLiteral("Hands"),       QStringLiteral("Primary"),
        QStringLiteral("Secondary"), QStringLiteral("Left Finger"), QStringLiteral("Right Finger"),
        QStringLiteral("Chest"),     QStringLiteral("Legs"),        QStringLiteral("Feet"),
        QStringLiteral("Waist"),     QStringLiteral("Ammo")};
    QStringList records;
    for (int k = 0; k < names.size(); ++k) records << names[k] + u',' + QString::number(k == 0 ? 0 : 1 << (k - 1));
    return records;
  }

  // Records "n,Race n" for n = 1..count.
  static QStringList race_records(int count) {
    QStringList records;
    for (int n = 1; n <= count; ++n) records << QStringLiteral("%1,Race %1").arg(n);
    return records;
  }

 private:
  QTemporaryDir dir_;
  QString previous_;
};

// Adds an item row: every effect is absent (-1) unless given; other columns
// keep the table's defaults. Values are SQL literals ("5", "'Blade'", "NULL").
inline void add_item(testing_support::ScratchDb& db, int id, const QMap<QString, QString>& values) {
  QMap<QString, QString> row = {{QStringLiteral("proceffect"), QStringLiteral("-1")},
                                {QStringLiteral("focuseffect"), QStringLiteral("-1")},
                                {QStringLiteral("clickeffect"), QStringLiteral("-1")},
                                {QStringLiteral("worneffect"), QStringLiteral("-1")},
                                {QStringLiteral("scrolleffect"), QStringLiteral("-1")}};
  for (auto it = values.begin(); it != values.end(); ++it) row.insert(it.key(), it.value());
  row.insert(QStringLiteral("id"), QString::number(id));
  db.exec(QStringLiteral("INSERT INTO items (") + row.keys().join(u',') + QStringLiteral(") VALUES (") +
          row.values().join(u',') + u')');
}

}  // namespace itemcard_testing
