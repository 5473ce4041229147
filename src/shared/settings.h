#pragma once
// The settings file "db.ini": server, user, password, database and the data
// folder, each read from a fixed character position of its field.

#include <QString>

struct DbSettings {
  QString server;
  QString user;
  QString password;
  QString database;
  QString data_folder;  // with "\" appended; at least "\"
};

extern DbSettings db_settings;

// Reads "db.ini" from the current folder the first time it succeeds; later
// calls do nothing. A missing or incomplete file shows
// "DB.INI Invalid or Missing" and ends the program.
void read_db_ini();

// Parses the text of a settings file; false when it ends before the fifth
// field, a required value is empty, or a value holds a control character
// other than a line end. Used by read_db_ini.
bool parse_db_ini(const QString& text, DbSettings& out);

// Turns a path of the settings' style ("\" as separator) into one this
// system opens: "\" and "/" both separate folders.
QString native_path(const QString& path);
