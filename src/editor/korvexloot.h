#pragma once
// The loot editor's main window: the NPC grid on the left, the loot table and
// lootdrop grids on the right, the NPC loading controls along the top and the
// menu bar. This file lays the window out and holds its load step, menus and
// shut-down; the work behind the grids and most buttons lives in collaborators
// that connect themselves to the controls below.

#include <QMainWindow>
#include <QUrl>

#include <memory>

class IGrid;
class LootdropGrid;
class LoottableGrid;
class LiteBtnCtrl;
class NpcLoading;
class RepairCommands;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;

class KorvexLoot : public QMainWindow {
  Q_OBJECT

 public:
  // Builds the controls and menus; the load step is Form_Load.
  explicit KorvexLoot(QWidget* parent = nullptr);
  ~KorvexLoot() override;

  // The load step: grid columns, settings, database connection, the
  // program's own lootdrop, the NPC counter. A database that cannot be
  // reached is reported and the window still opens.
  void Form_Load();
  // The window is closing: closes the other windows and ends the program.
  void Form_Unload();

  void find_item_Click();
  void itm_stats_show_Click();
  void Reorganize_Lootdrop_table_Click();
  void exp_header_Click();
  void shrink_header_Click();
  void music_offx_Click();
  void vid1_Click();
  void vid2_Click();
  void vid3_Click();
  void quit_Click();

  // The local help page each "Youtube Video Help" entry opens (1 to 3):
  // resources/help/ under the current folder, so it works without a network.
  static QUrl video_address(int entry);

  // Closing never is refused: it runs Form_Unload. Public so the shut-down
  // can be driven without a window system.
  void closeEvent(QCloseEvent* event) override;

  // Controls, under the window's own names for them.
  LiteBtnCtrl* find_item = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* zonename = nullptr;
  LiteBtnCtrl* Search_Grids = nullptr;
  LiteBtnCtrl* LiteBtnCtrl1 = nullptr;
  QCheckBox* range_use = nullptr;
  QLineEdit* min_lvl = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* max_lvl = nullptr;
  IGrid* allgrids = nullptr;
  LiteBtnCtrl* LiteBtnCtrl2 = nullptr;
  LiteBtnCtrl* LiteBtnCtrl3 = nullptr;
  IGrid* loottableE = nullptr;
  IGrid* lootdropE = nullptr;
  LiteBtnCtrl* LiteBtnCtrl4 = nullptr;
  LiteBtnCtrl* plusrow = nullptr;
  LiteBtnCtrl* removegridrow = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* out = nullptr;
  QLabel* counter = nullptr;
  LiteBtnCtrl* rmv_selected_NPCS = nullptr;

  // The work behind the NPC grid, the lootdrop grid and the loot table grid
  // with their buttons; each connects itself to the controls above.
  std::unique_ptr<LootdropGrid> lootdrop_grid;
  std::unique_ptr<LoottableGrid> loottable_grid;
  std::unique_ptr<NpcLoading> npc_loading;
  // The "Special" menu's repairs over the whole database.
  std::unique_ptr<RepairCommands> repair_commands;

  // Menu bar: "Special" and "Youtube Video Help" are lists; "Music Off",
  // "Show Item Stats" and "Quit" are entries of the bar itself.
  QMenu* specialx = nullptr;
  QAction* fix_loot_for_empty_loottablesx = nullptr;
  QAction* exp_header = nullptr;
  QAction* shrink_header = nullptr;
  QAction* LOOTDROP_wipe = nullptr;
  QAction* percX_fix = nullptr;
  QAction* Reorganize_Lootdrop_table = nullptr;
  QAction* music_offx = nullptr;
  QAction* itm_stats_show = nullptr;
  QMenu* vids = nullptr;
  QAction* vid1 = nullptr;
  QAction* vid2 = nullptr;
  QAction* vid3 = nullptr;
  QAction* quit = nullptr;

 protected:
  // Form_GotFocus and Form_MouseDown: a repaint, nothing else.
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void build_controls(QWidget* surface);
  void build_menus();
  void make_grid_columns();
  // Closes the start-up window and the zone picker when they are open.
  void close_startup_and_zone_picker();
};
