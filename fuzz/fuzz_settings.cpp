// Feeds arbitrary bytes to the field reader and the settings parser.
#include "platform/readers.h"
#include "shared/settings.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text =
      readers::decode_text(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  DbSettings s;
  if (parse_db_ini(text, s)) {
    if (s.server.isEmpty() || s.password.isEmpty() || s.database.isEmpty() || !s.data_folder.endsWith(u'\\')) {
      __builtin_trap();
    }
    // A control character would cut or bend the connection string.
    for (const QString& value : {s.server, s.user, s.password, s.database, s.data_folder}) {
      for (const QChar c : value) {
        if (c.category() == QChar::Other_Control && c != u'\r' && c != u'\n') __builtin_trap();
      }
    }
  }
  readers::FieldReader fields(text);
  int n = 0;
  while (fields.next() && n < 100000) ++n;
  readers::LineReader lines(text);
  while (lines.next()) {
  }
  return 0;
}
