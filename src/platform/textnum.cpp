#include "platform/textnum.h"

#include <locale.h>
#include <QLocale>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace textnum {
namespace {

bool is_blank(QChar c) { return c == u' ' || c == u'\t'; }
bool is_digit(QChar c) { return c >= u'0' && c <= u'9'; }

// Length of the number at the start of text (after `start`), 0 for none.
qsizetype number_length(QStringView text, qsizetype start) {
  qsizetype i = start;
  const qsizetype n = text.size();
  if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
  qsizetype digits = 0;
  while (i < n && is_digit(text[i])) {
    ++i;
    ++digits;
  }
  if (i < n && text[i] == u'.') {
    ++i;
    while (i < n && is_digit(text[i])) {
      ++i;
      ++digits;
    }
  }
  if (digits == 0) return 0;
  if (i < n && (text[i] == u'e' || text[i] == u'E')) {
    qsizetype j = i + 1;
    if (j < n && (text[j] == u'+' || text[j] == u'-')) ++j;
    qsizetype exp_digits = 0;
    while (j < n && is_digit(text[j])) {
      ++j;
      ++exp_digits;
    }
    if (exp_digits > 0) i = j;
  }
  return i - start;
}

double parse(QStringView text, qsizetype start, qsizetype len) {
  std::string ascii;
  ascii.reserve(static_cast<size_t>(len));
  for (qsizetype k = start; k < start + len; ++k) ascii.push_back(static_cast<char>(text[k].unicode()));
  // Plain strtod follows LC_NUMERIC, which QApplication takes from the
  // environment (a comma under de_DE): read with the "C" locale instead.
  static const locale_t c_numbers = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
  return strtod_l(ascii.c_str(), nullptr, c_numbers);
}

QString whole_or_general(double value, QChar point) {
  if (std::isnan(value)) return QStringLiteral("0");
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    return QString::number(static_cast<qlonglong>(value));
  }
  QString s = QString::number(value, 'g', 15);
  if (point != u'.') s.replace(u'.', point);
  return s;
}

}  // namespace

std::optional<double> leading_number(QStringView text) {
  qsizetype i = 0;
  while (i < text.size() && is_blank(text[i])) ++i;
  // Whole numbers of up to 15 digits, what the database sends most, are
  // exact in a double: no need for the general parser.
  {
    qsizetype j = i;
    const bool negative = j < text.size() && text[j] == u'-';
    if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) ++j;
    const qsizetype first = j;
    std::int64_t whole = 0;
    while (j < text.size() && j - first < 15 && is_digit(text[j])) whole = whole * 10 + (text[j++].unicode() - u'0');
    const bool ends = j == text.size() || !(is_digit(text[j]) || text[j] == u'.' || text[j] == u'e' || text[j] == u'E');
    if (j > first && ends) return negative ? -static_cast<double>(whole) : static_cast<double>(whole);
  }
  const qsizetype len = number_length(text, i);
  if (len == 0) return std::nullopt;
  return parse(text, i, len);
}

double numeric_value(QStringView text) { return leading_number(text).value_or(0.0); }

bool is_number(QStringView text) {
  QStringView t = text.trimmed();
  if (t.isEmpty()) return false;
  return number_length(t, 0) == t.size();
}

double round_even(double value) {
  // nearbyint follows the current rounding mode; the program never leaves
  // the default (to nearest, ties to even), but make sure of it here.
  const int mode = std::fegetround();
  if (mode != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(value);
  if (mode != FE_TONEAREST) std::fesetround(mode);
  return r;
}

namespace {
// round_even(value) as a T; nothing outside T's range, nor for NaN.
template <class T>
std::optional<T> rounded_into(double value) {
  const double r = round_even(value);
  if (!(r >= std::numeric_limits<T>::min() && r <= std::numeric_limits<T>::max())) return std::nullopt;
  return static_cast<T>(r);
}
}  // namespace

std::optional<std::int32_t> to_int32(double value) { return rounded_into<std::int32_t>(value); }

std::optional<std::int16_t> to_int16(double value) { return rounded_into<std::int16_t>(value); }

std::optional<std::uint32_t> to_uint32(double value) { return rounded_into<std::uint32_t>(value); }

QString number_text(double value) {
  const QString sep = QLocale().decimalPoint();
  return whole_or_general(value, sep.isEmpty() ? QChar(u'.') : sep.at(0));
}

QString sql_number(double value) { return whole_or_general(value, u'.'); }

}  // namespace textnum
