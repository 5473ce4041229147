#pragma once
// What "Make Loottables" does for one NPC, as three statements of their own:
// the reference its chunked statements are checked against.

#include <QString>

#include <cstdint>

namespace repair_steps {

// The loot table row, as repair_sql::new_loottables writes each of its rows.
QString new_loottable(std::uint32_t loottable_id);
// Its one entry, as repair_sql::new_loottable_entries writes each row.
QString new_loottable_entry(std::uint32_t loottable_id, std::uint32_t lootdrop_id);
// The NPC's new loot table id.
QString set_npc_loottable(std::uint32_t loottable_id, std::int32_t npc_id);

}  // namespace repair_steps
