#pragma once
// The statement texts of the random loot generator and the custom loot
// removal (item_search::go_Click, item_search::delete_custom_loot_Click).
//
// Every generated lootdrop is named "Korvex3_Custom_Drop"; the removal finds
// them again by that exact name alone, so the name must never change.
// Inserts carry many rows each: "VALUES ( 12,345,1,50,1,0),( 13,346,1,50,1,0)".

#include <QString>
#include <QStringList>

#include <cstdint>

namespace random_loot_sql {

QString custom_drop_name();
// The lootdrop id query whose result plus 1 is the next free id.
QString max_lootdrop_query();

// One row of each insert, "( ...)", values as the statements write them.
QString link_row(std::uint32_t loottable_id, std::uint32_t lootdrop_id, double probability);
QString entry_row(std::uint32_t lootdrop_id, std::int32_t item_id, double chance);
QString lootdrop_row(std::uint32_t lootdrop_id);

// The inserts of rows made by the matching *_row above.
QString insert_links(const QStringList& rows);
QString insert_entries(const QStringList& rows);
QString insert_lootdrops(const QStringList& rows);

// The ids of the custom lootdrops, the name compared under the table's own
// collation (on the usual case-insensitive one "korvex3_custom_drop" and a
// name with trailing blanks are custom lootdrops too).
QString custom_lootdrops_query();
// The three deletes for the given lootdrop ids, in the order they run:
// the lootdrops, their entries, the loot table rows naming them.
QStringList delete_custom_lootdrops(const QStringList& ids);

}  // namespace random_loot_sql
