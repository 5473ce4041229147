#include "platform/sqltext.h"

#include <algorithm>
#include <optional>
#include <vector>

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
      case u'\\':
        out += QStringLiteral("\\\\");
        break;
      case 0:
        out += QStringLiteral("\\0");
        break;
      case u'\n':
        out += QStringLiteral("\\n");
        break;
      case u'\r':
        out += QStringLiteral("\\r");
        break;
      case 26:
        out += QStringLiteral("\\Z");
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A character that makes what follows it part of the same name. A digit does
// not: a number may end right before a word.
bool joins_name(QChar c) {
  const char16_t u = c.unicode();
  return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_' || u == u'$';
}

// A character that continues a name when it follows one.
bool name_char(QChar c) { return joins_name(c) || (c >= u'0' && c <= u'9'); }

bool starts_word(QStringView sql, qsizetype at, QStringView keyword) {
  const qsizetype end = at + keyword.size();
  if (end > sql.size() || sql.sliced(at, keyword.size()).compare(keyword, Qt::CaseInsensitive) != 0) return false;
  return end == sql.size() || !name_char(sql[end]);
}

// "--" starts a comment when a blank or a control character (or the end of
// the text) follows it.
bool dash_comment(QStringView sql, qsizetype at) {
  if (!sql.sliced(at).startsWith(u"--")) return false;
  return at + 2 >= sql.size() || sql[at + 2].unicode() <= u' ' || sql[at + 2].unicode() == 0x7f;
}

bool holds_keyword_read(QStringView sql, QStringView keyword, bool backslash_escapes) {
  enum class In { code, quote, line_comment, block_comment };
  In in = In::code;
  QChar quote;
  bool run_comment = false;  // inside "/*!" or "/*M!": the server reads it as code
  bool joined = false;       // the character before continues a name
  const qsizetype n = sql.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = sql[i];
    const QStringView rest = sql.sliced(i);
    switch (in) {
      case In::quote:
        if (c == u'\\' && backslash_escapes && quote != u'`') {
          ++i;
        } else if (c == quote) {
          in = In::code;  // a doubled quote closes and opens again
        }
        continue;
      case In::line_comment:
      case In::block_comment:
        if (in == In::line_comment && c == u'\n') {
          in = In::code;
        } else if (in == In::block_comment && rest.startsWith(u"*/")) {
          in = In::code;
          ++i;
        } else if (!joined && starts_word(sql, i, keyword)) {
          return true;
        }
        joined = joins_name(c);
        continue;
      case In::code:
        break;
    }
    if (c == u'\'' || c == u'"' || c == u'`') {
      in = In::quote;
      quote = c;
      joined = false;
    } else if (c == u'\\') {
      ++i;  // "\N" and the like stand alone
      joined = false;
    } else if (c == u'#' || dash_comment(sql, i)) {
      in = In::line_comment;
      joined = false;
    } else if (rest.startsWith(u"/*!") || rest.startsWith(u"/*M!")) {
      run_comment = true;
      i += rest[2] == u'!' ? 2 : 3;
      joined = false;
    } else if (rest.startsWith(u"/*")) {
      in = In::block_comment;
      ++i;
      joined = false;
    } else if (run_comment && rest.startsWith(u"*/")) {
      run_comment = false;
      ++i;
      joined = false;
    } else if (!joined && starts_word(sql, i, keyword)) {
      return true;
    } else {
      joined = joins_name(c);
    }
  }
  return false;
}

// Where quoted text begins and ends (the quotes included), as read with or
// without backslash escapes in '...' and in "...". Nothing when a quote is
// left open.
struct Quoted {
  qsizetype begin;
  qsizetype end;
  bool operator==(const Quoted&) const = default;
};

std::optional<std::vector<Quoted>> quoted_parts(QStringView sql, bool escapes_in_single, bool escapes_in_double) {
  std::vector<Quoted> parts;
  const qsizetype n = sql.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar quote = sql[i];
    if (quote != u'\'' && quote != u'"' && quote != u'`') continue;
    const bool escapes = quote == u'\'' ? escapes_in_single : quote == u'"' && escapes_in_double;
    qsizetype j = i + 1;
    for (;;) {
      if (j >= n) return std::nullopt;
      if (escapes && sql[j] == u'\\') {
        j += 2;
      } else if (sql[j] == quote && j + 1 < n && sql[j + 1] == quote) {
        j += 2;  // a doubled quote stands for itself
      } else if (sql[j] == quote) {
        break;
      } else {
        ++j;
      }
    }
    parts.push_back({i, j + 1});
    i = j;
  }
  return parts;
}

bool plain_character(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 0x20 && u < 0x7f) || u == u'\t' || u == u'\n' || u == u'\r';
}

// Outside quoted text: what starts a comment, ends one, or is read by the
// driver or the server as something other than a condition.
bool code_is_plain(QStringView code) {
  for (qsizetype i = 0; i < code.size(); ++i) {
    switch (code[i].unicode()) {
      case u'#':
      case u';':
      case u'?':
      case u'{':
      case u'}':
      case u'\\':
        return false;
      default:
        break;
    }
    const QStringView pair = code.sliced(i, std::min<qsizetype>(2, code.size() - i));
    if (pair == u"/*" || pair == u"*/" || pair == u"--") return false;
  }
  return true;
}

}  // namespace

bool reads_one_way(QStringView sql) {
  if (!std::all_of(sql.begin(), sql.end(), plain_character)) return false;
  const auto escaped = quoted_parts(sql, true, true);
  if (!escaped || quoted_parts(sql, false, false) != escaped || quoted_parts(sql, true, false) != escaped) return false;
  qsizetype from = 0;
  for (const Quoted& part : *escaped) {
    if (!code_is_plain(sql.sliced(from, part.begin - from))) return false;
    from = part.end;
  }
  return code_is_plain(sql.sliced(from));
}

bool holds_keyword(QStringView sql, QStringView keyword) {
  return holds_keyword_read(sql, keyword, true) || holds_keyword_read(sql, keyword, false);
}

QString escape(QStringView text) { return escaped(text, u'\''); }

QString quote(QStringView text) { return u'\'' + escape(text) + u'\''; }

QString quote_double(QStringView text) { return u'"' + escaped(text, u'"') + u'"'; }

QString identifier(QStringView name) {
  QString out = name.toString();
  out.replace(u'`', QStringLiteral("``"));
  return u'`' + out + u'`';
}

}  // namespace sqltext
