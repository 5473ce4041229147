#pragma once
// The item search window "Search for Items": a working list of items (`itms`)
// filled by name searches of the catalogue, typed ids, list files and the
// main window's lootdrop grid, and handed back to that grid.
//
// One window object serves the whole program (item_search_window()). Its
// controls exist while it is loaded: loading makes them anew with their first
// texts and an empty list, closing destroys them. What belongs to the window
// itself (list_cursor) stays with the object across a close.
//
// List files live in the folder "Lists" of the current folder (see
// item_list_files.h); the file list shows that same folder.
//
// The "RandomLoot" frame turns the list into custom lootdrops for the NPCs of
// the main window's NPC grid (see item_search_random.h).

#include "controls/grid_model.h"
#include "controls/igrid.h"
#include "platform/odbc.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class LiteBtnCtrl;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;

// The statement texts of the item search, one place per statement.
namespace item_search_sql {
// Items whose name holds `text` anywhere ("%" and "_" in it stay LIKE's
// pattern characters; quotes are escaped and a backslash finds itself).
QString simple_search(const QString& text);
// The simple search and the operator's own condition, appended as typed. The
// window sends it only when the server can read it one way and that way
// holds no INTO (nor a wait the server's time limit does not end), and runs
// it read-only under a time limit.
QString advanced_search(const QString& text, const QString& condition);
QString name_of_item(double item_id);
// The server's limit for each statement of the session, in seconds
// (MariaDB), and the same for SELECT statements on MySQL.
QString statement_time_limit(double seconds);
QString execution_time_limit(double seconds);
}  // namespace item_search_sql

// What the item search reaches of the main window: its NPC grid (custom loot
// goes to the NPCs listed there) and its two loot grids (transfers fill the
// lootdrop grid; custom loot changes empty both). Each is gone, and null here,
// once the main window has closed.
struct LootEditorGrids {
  QPointer<IGrid> allgrids;
  QPointer<IGrid> loottableE;
  QPointer<IGrid> lootdropE;
};

// The item list's two columns from a search's result, built as its blocks
// arrive (on any thread; no window needed): the id as a number (as a text
// when the column holds texts), the name with every comma turned into "_" so
// that it can go into a list file, NULL as an empty cell.
class ItemRows : public db::RowReader {
 public:
  void begin(int rows) override;
  void take(const db::RowBlock& block) override;
  std::vector<GridColumn> columns;

 private:
  QByteArray name_;
};

class item_search : public QWidget {
  Q_OBJECT

 public:
  explicit item_search(QWidget* parent = nullptr);

  bool is_loaded() const { return form_ != nullptr; }
  // Form_Load when the window is not loaded: the controls with their first
  // texts, the list's columns, the file list. Does not show the window.
  void load();
  // What the main window's "Item Search" does: load when needed, show, bring
  // to the front. Transfers and custom loot work on the grids given.
  void open_window(const LootEditorGrids& main);
  // Closes the window: the controls and the list go, list_cursor stays.
  void unload();

  // Searches and the list (each a handler of the control it names).
  void simple_search_Click();
  void LiteBtnCtrl1_Click();  // "Adv Search"
  void add_itm_Click();
  void clear_grd_Click();
  void CLX_Click();
  void remve_item_Click();
  void itms_AfterCommitEdit(int lRow, int lCol);
  void itms_CurRowChange();
  void itms_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y, int lRow, int lCol);

  // List files.
  void export_lst_Click();
  void import_list_Click();
  void Filex_Click();

  // Transfers with the main window's lootdrop grid.
  void assign_to_lootdrop_Click();  // "Assign ALL to LOOTDROP"
  void LiteBtnCtrl2_Click();        // "Assign SELECTED to LOOTDROP"
  void LiteBtnCtrl3_Click();        // "Grab Items from Lootdrop"

  // Re-reads the list folder into Filex.
  void refresh_file_list();

  // Random loot: "Random Loot" shows the frame; "GO" makes a custom lootdrop
  // for each NPC row that passes its roll; "DELETE CUSTOM LOOT" removes every
  // custom lootdrop again. Both write in one transaction.
  void LiteBtnCtrl4_Click();
  void go_Click();
  void delete_custom_loot_Click();
  // One roll of the program's generator: true with a chance of `percent` in
  // 100 (0 or less never, 100 or more always).
  static bool percent_chance(std::int16_t& percent);
  // Fills drop_items with the next "# ITEMS/Lootdrop" ids of the list from
  // list_cursor on, and moves list_cursor past them (back to 1 after the
  // last row).
  void get_loots_for_drop();

  // A position in the list: the row of the last press in it (0 = none), or
  // where the random loot generator takes its next items.
  std::int32_t list_cursor = 0;

  // How long, in seconds, the server lets the advanced search's statement
  // run before it stops it: far above what an honest condition takes (under
  // 0.2 s on the demo world, with subqueries over the lootdrop entries; ten
  // times that on a world ten times its size). A window or a Quit waiting
  // for a runaway condition waits no longer than this.
  static constexpr double kConditionTimeLimit = 30;
  double condition_time_limit = kConditionTimeLimit;

  // The random loot generator's values; like list_cursor they outlive a
  // close. drop_items holds the ids of the lootdrop being made in slots 1 to
  // kDropSlots (0 = empty slot).
  static constexpr int kDropSlots = 16000;
  std::vector<std::int32_t> drop_items = std::vector<std::int32_t>(kDropSlots + 1, 0);
  std::uint32_t new_lootdrop_id = 0;
  std::uint32_t npc_loottable_id = 0;

  // Controls while loaded (nullptr otherwise), named as the window names them.
  IGrid* itms = nullptr;
  QLineEdit* search_input = nullptr;
  LiteBtnCtrl* CLX = nullptr;
  QLineEdit* filter = nullptr;
  LiteBtnCtrl* simple_search = nullptr;
  LiteBtnCtrl* LiteBtnCtrl1 = nullptr;
  LiteBtnCtrl* remve_item = nullptr;
  LiteBtnCtrl* add_itm = nullptr;
  LiteBtnCtrl* export_lst = nullptr;
  QLineEdit* list_name_field = nullptr;
  LiteBtnCtrl* import_list = nullptr;
  QCheckBox* append_chk = nullptr;
  LiteBtnCtrl* clear_grd = nullptr;
  QLabel* out = nullptr;
  QLabel* Label4 = nullptr;
  QListWidget* Filex = nullptr;
  LiteBtnCtrl* assign_to_lootdrop = nullptr;
  LiteBtnCtrl* LiteBtnCtrl3 = nullptr;
  LiteBtnCtrl* LiteBtnCtrl2 = nullptr;
  QGroupBox* Frame1 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* perc = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* number_drops_per_lootdrop = nullptr;
  QLabel* Label5 = nullptr;
  QLineEdit* lootdrop_new_perc = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* Text2 = nullptr;
  LiteBtnCtrl* go = nullptr;
  LiteBtnCtrl* delete_custom_loot = nullptr;
  QLabel* Image1 = nullptr;
  LiteBtnCtrl* LiteBtnCtrl4 = nullptr;  // "Random Loot"
  QLabel* counter = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void build_controls();
  void connect_controls();
  void search(bool advanced);
  void update_counter();
  // The item card for the list row `row`.
  void show_row(int row);
  // Lootdrop grid row `drop_row` made from list row `list_row`.
  void fill_lootdrop_row(IGrid& lootdropE, int drop_row, int list_row) const;
  IGrid* lootdrop_grid() const;
  IGrid* npc_grid() const;

  QWidget* form_ = nullptr;  // every control; exists while loaded
  LootEditorGrids main_;
};

// The program's one item search window object, created on first use.
item_search& item_search_window();
