#include "platform/sqltext.h"

namespace sqltext {
namespace {

// The text for a literal between two `quote` characters: that quote doubled,
// backslashes and control characters escaped.
QString escaped(QStringView text, char16_t quote) {
  QString out;
  out.reserve(text.size() + 8);
  for (QChar c : text) {
    if (c == quote) {
      out += c;
      out += c;
      continue;
    }
    switch (c.unicode()) {
      case u'\\': out += QStringLiteral("\\\\"); break;
      case 0: out += QStringLiteral("\\0"); break;
      case u'\n': out += QStringLiteral("\\n"); break;
      case u'\r': out += QStringLiteral("\\r"); break;
      case 26: out += QStringLiteral("\\Z"); break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

QString escape(QStringView text) { return escaped(text, u'\''); }

QString quote(QStringView text) { return u'\'' + escape(text) + u'\''; }

QString quote_double(QStringView text) { return u'"' + escaped(text, u'"') + u'"'; }

QString identifier(QStringView name) {
  QString out = name.toString();
  out.replace(u'`', QStringLiteral("``"));
  return u'`' + out + u'`';
}

}  // namespace sqltext
