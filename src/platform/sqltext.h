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

}  // namespace sqltext
