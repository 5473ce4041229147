// The item search window's transfers with the main window's lootdrop grid.
// They change the grids only: the lootdrop grid's next save stores its rows.
#include "controls/igrid.h"
#include "itemsearch/item_search.h"
#include "shared/shared.h"

IGrid* item_search::lootdrop_grid() const { return main_.lootdropE; }

void item_search::fill_lootdrop_row(IGrid& lootdropE, int drop_row, int list_row) const {
  // charges, equip, %, npc_min_level, npc_max_level, #
  static constexpr int kDefaults[] = {1, 1, 10, 0, 127, 1};
  lootdropE.setCellValue(drop_row, 1, itms->CellValue(list_row, 1));
  lootdropE.setCellValue(drop_row, 2, itms->CellValue(list_row, 2));
  for (int col = 3; col <= 8; ++col) lootdropE.setCellValue(drop_row, col, kDefaults[col - 3]);
}

void item_search::assign_to_lootdrop_Click() {
  IGrid* lootdropE = lootdrop_grid();
  const int rows = itms->RowCount();
  if (rows == 0 || !lootdropE) return;
  lootdropE->Clear();
  sel_lootdrop_row = 0;
  lootdropE->setRowCount(rows);
  for (int i = 1; i <= rows; ++i) fill_lootdrop_row(*lootdropE, i, i);
}

void item_search::LiteBtnCtrl2_Click() {
  IGrid* lootdropE = lootdrop_grid();
  const int rows = itms->RowCount();
  if (rows == 0 || !lootdropE) return;
  sel_lootdrop_row = 0;
  for (int i = 1; i <= rows; ++i) {
    if (!itms->CellSelected(i, 1)) continue;
    const int n = lootdropE->RowCount() + 1;
    lootdropE->setRowCount(n);
    fill_lootdrop_row(*lootdropE, n, i);
  }
}

void item_search::LiteBtnCtrl3_Click() {
  const IGrid* lootdropE = lootdrop_grid();
  if (!lootdropE || lootdropE->RowCount() == 0) return;
  const int rows = lootdropE->RowCount();
  itms->Clear();
  itms->setRowCount(rows);
  for (int i = 1; i <= rows; ++i) {
    itms->setCellValue(i, 1, lootdropE->CellValue(i, 1));
    itms->setCellValue(i, 2, lootdropE->CellValue(i, 2));
  }
}
