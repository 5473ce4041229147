#pragma once
// The program's own default lootdrop "ZiridezivuR3". The `variables` row
// "LootdropID" names it; the main window's load step reads that row, and on
// the first run against a database makes the lootdrop, its five entries and
// the row.

// Sets own_lootdrop_id from the "LootdropID" row, making the lootdrop first
// when the row is missing. Needs db_conn open. The lootdrop and the row are
// written in one transaction: a failure is reported to the operator and
// leaves own_lootdrop_id at 0. Where a table cannot roll back, what was
// written is removed again; what cannot be removed is named in the report.
void load_own_lootdrop();
