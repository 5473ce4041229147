#include "platform/sqltext.h"

namespace sqltext {

QString escape(QStringView text) {
  QString out;
  out.reserve(text.size() + 8);
  for (QChar c : text) {
    switch (c.unicode()) {
      case u'\'': out += QStringLiteral("''"); break;
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

QString quote(QStringView text) { return u'\'' + escape(text) + u'\''; }

}  // namespace sqltext
