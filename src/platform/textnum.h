#pragma once
// Numbers read from and written to texts the way the whole program does it.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace textnum {

// The number a text begins with after leading blanks: a sign, digits, a point
// and more digits, an exponent. The point is the decimal separator whatever
// the locale. 0 when the text begins with no number ("12abc" gives 12).
double numeric_value(QStringView text);

// The same number; nothing when the text begins with none ("abc", "").
std::optional<double> leading_number(QStringView text);

// True when the whole text, blanks around it aside, is one number that
// numeric_value reads completely ("12", "-3.5", "1e3"; not "", "12abc").
bool is_number(QStringView text);

// Nearest whole number, ties to even (12.5 -> 12, 13.5 -> 14).
double round_even(double value);

// round_even, then the value as a 32-bit or 16-bit signed integer; nothing
// when it does not fit.
std::optional<std::int32_t> to_int32(double value);
std::optional<std::int16_t> to_int16(double value);
// round_even, then the value as a 32-bit unsigned integer (0 to 4294967295),
// the range of the loot tables' and lootdrops' ids; nothing when it does not
// fit.
std::optional<std::uint32_t> to_uint32(double value);

// Decimal text for labels and files: whole numbers without a point,
// fractions with the decimal separator of the user's locale.
QString number_text(double value);

// Decimal text for statements: as number_text, but always with a point, so a
// statement means the same whatever the locale.
QString sql_number(double value);

}  // namespace textnum
