#pragma once
// Look-ups in the two reference files the item card reads for every item:
// the spell file ("id^name^...") and the race file (records of race number
// and race name). The card is drawn on every row change of the loot grids, and
// reading a spell file of tens of thousands of lines four times per card is
// too slow, so each file's content is kept and read again whenever the file on
// disk changed (its path, size or time of last change). The answers are the
// ones a fresh read of the file would give.

#include <QString>
#include <cstdint>
#include <optional>

namespace itemcard {

// Records of the race file that the card reads; any after them are ignored.
inline constexpr int kRaceRecords = 360;

// Field 2 of the first line of the spell file whose first field equals `id`
// as a number ("007^x" carries 7); it may be empty. Nothing when no line
// carries `id` or the file cannot be read. Lines without "^" and lines whose
// first field is not a number are not spell lines and are passed over.
std::optional<QString> spell_name(const QString& path, std::int32_t id);

// The name of the last of the first kRaceRecords records of the race file
// whose first field is a number equal to `race`. Nothing when none is, or the
// file cannot be read; a file with fewer records gives what it holds.
std::optional<QString> race_name(const QString& path, double race);

}  // namespace itemcard
