#include "shared/settings.h"

#include "platform/readers.h"
#include "shared/operator_io.h"

DbSettings db_settings;

namespace {

// A control character other than a line end (which a quoted field may hold).
// The connection string ends at a NUL, so the user, password and database
// after it would be dropped and the driver would log in as somebody else;
// no other control character belongs in a setting either.
bool holds_control_character(const QString& value) {
  for (const QChar c : value) {
    if (c.category() == QChar::Other_Control && c != u'\r' && c != u'\n') return true;
  }
  return false;
}

}  // namespace

bool parse_db_ini(const QString& text, DbSettings& out) {
  readers::FieldReader reader(text);
  // Label lengths: the value starts right after them.
  static constexpr int kSkip[5] = {5, 5, 9, 9, 17};
  QString values[5];
  for (int i = 0; i < 5; ++i) {
    const auto field = reader.next();
    if (!field) return false;
    values[i] = field->mid(kSkip[i]);
    if (holds_control_character(values[i])) return false;
  }
  DbSettings s;
  s.server = values[0];
  s.user = values[1];
  s.password = values[2];
  s.database = values[3];
  s.data_folder = values[4] + u'\\';
  if (s.password.isEmpty() || s.server.isEmpty() || s.database.isEmpty()) return false;
  out = s;
  return true;
}

void read_db_ini() {
  if (!db_settings.server.isEmpty()) return;
  const auto text = readers::read_text_file(QStringLiteral("db.ini"));
  DbSettings loaded;
  if (!text || !parse_db_ini(*text, loaded)) {
    operator_io().message(QStringLiteral("DB.INI Invalid or Missing"));
    operator_io().end_program();
  }
  db_settings = loaded;
}

QString native_path(const QString& path) {
  QString p = path;
  p.replace(u'\\', u'/');
  // "a//b" and "a/b" name the same file; keep a leading "//" aside.
  while (p.indexOf(QStringLiteral("//"), 1) > 0) p.replace(p.indexOf(QStringLiteral("//"), 1), 2, QStringLiteral("/"));
  return p;
}
