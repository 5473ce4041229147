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

}  // namespace sqltext
