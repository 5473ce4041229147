#include "itemsearch/item_list_files.h"

#include "shared/settings.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace item_lists {
namespace {

// `wanted` itself when it exists in `folder`, else the first entry that
// differs from it in letter case only, else `wanted`.
QString entry_named(const QDir& folder, const QString& wanted, QDir::Filters kind) {
  if (folder.exists(wanted)) return wanted;
  const QStringList entries = folder.entryList(kind | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& e : entries) {
    if (e.compare(wanted, Qt::CaseInsensitive) == 0) return e;
  }
  return wanted;
}

}  // namespace

QString list_folder() { return entry_named(QDir::current(), u"Lists"_s, QDir::Dirs); }

bool usable_name(const QString& name) {
  return !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0));
}

std::optional<QString> list_file(const QString& name) {
  if (!usable_name(name)) return std::nullopt;
  // The path as the window names it; the name holds no separator, so the
  // file stays inside the list folder.
  const QString path = native_path(u"Lists\\"_s + name + u".txt"_s);
  const QFileInfo info(path);
  const QString folder = list_folder();
  return folder + u'/' + entry_named(QDir(folder), info.fileName(), QDir::Files);
}

QStringList list_file_names() {
  QDir folder(list_folder());
  folder.setNameFilters({u"*.txt"_s});
  // Names beginning with a dot are lists too: an empty list name gives ".txt".
  folder.setFilter(QDir::Files | QDir::Hidden);
  // Name filters match without regard to case unless told otherwise.
  QStringList names = folder.entryList();
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) { return collator(a, b); });
  return names;
}

QByteArray file_bytes(const QString& text) {
  const bool latin1 = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
  return latin1 ? text.toLatin1() : text.toUtf8();
}

QString name_of_file(const QString& file_name) { return file_name.chopped(std::min<qsizetype>(4, file_name.size())); }

}  // namespace item_lists
