#pragma once
// Item list files: "Lists\<name>.txt" under the current folder, one line per
// item: id, TAB, name, CR LF.
//
// On a file system that tells letter case apart, "Lists", "lists" and
// "weapons.TXT" may all be different names. The list folder is the current
// folder's entry named "Lists" in any letter case ("Lists" itself when
// several exist, and "Lists" when none does yet); a list file is matched the
// same way, so the file list, the export and the import always reach the
// same folder and file. The file list shows that folder, not one under the
// program's own folder: the program reads all its other files (db.ini,
// resources/) from the current folder too.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace item_lists {

// The list folder as a path relative to the current folder.
QString list_folder();

// A list name names a file inside the list folder and nowhere else: no
// folder separator ("/" or "\"), no NUL. An empty name is allowed (".txt").
bool usable_name(const QString& name);

// The file of list `name`: "Lists\" + name + ".txt" in this system's form,
// with folder and file matched without regard to letter case. Nothing for a
// name that usable_name refuses.
std::optional<QString> list_file(const QString& name);

// Names (without folder) of the list folder's files matching "*.TXT" in any
// letter case, those beginning with a dot included, sorted without regard to
// case.
QStringList list_file_names();

// The bytes of a list file's text: the Windows code page (Latin-1) the older
// tools read, or UTF-8 when a name holds a character it has not.
QByteArray file_bytes(const QString& text);

// The list name a file list entry stands for: the file name less its last
// four characters.
QString name_of_file(const QString& file_name);

}  // namespace item_lists
