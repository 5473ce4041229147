#pragma once
// The one way values enter statement texts.

#include <QString>
#include <QStringView>

namespace sqltext {

// The text as a single-quoted SQL string literal, with quotes, backslashes
// and control characters escaped, so no text can change a statement's meaning.
QString quote(QStringView text);

// The text between single quotes, escaped as quote() does, without the quotes
// (for statements whose text already holds the quotes around a value).
QString escape(QStringView text);

// The text as a double-quoted SQL string literal, for statements that hold
// a value between double quotes: double quotes, backslashes and control
// characters escaped; a single quote needs none there.
QString quote_double(QStringView text);

// A table's or column's name as the server read it, between backquotes
// (a backquote in it doubled), whatever words or characters it holds.
QString identifier(QStringView name);

// True when the SQL text holds `keyword` (ASCII letters, any letter case) as
// a word of its own anywhere but inside quoted text ('...', "..." or `...`).
// Words in comments count: the server runs what stands in "/*! ... */" and
// "/*M! ... */". Errs towards true: the text is read both with and without
// backslash escapes in quotes, and only an ASCII letter, "_" or "$" right
// before the word joins it to a longer name ("1.0INTO" holds INTO).
bool holds_keyword(QStringView sql, QStringView keyword);

// True when the server can read `sql` in one way only, whatever its quoting
// mode, the connection's character set and its version, and the driver reads
// it the same way. Anything else is false:
// - a character other than printable ASCII, tab, line feed and carriage
//   return (a driver converting to the connection's character set may turn a
//   look-alike such as U+02BC into a quote; the driver ends the text at a NUL);
// - a comment of any form outside quoted text ("/*", which covers the
//   version-gated "/*!" and "/*M!" and the hints "/*+", "*/", "#", "--"
//   whatever follows it);
// - ";" (a second statement), "?" (a parameter marker), "{" or "}" (the
//   driver's escape sequences) or a backslash outside quoted text;
// - a quote left open, or quoted text ('...', "..." or `...`) that ends
//   elsewhere when backslashes escape nothing (NO_BACKSLASH_ESCAPES) or when
//   double quotes enclose names (ANSI_QUOTES): 'it\'s' is refused, 'it''s'
//   is not.
bool reads_one_way(QStringView sql);

}  // namespace sqltext
