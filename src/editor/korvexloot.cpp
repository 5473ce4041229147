#include "editor/korvexloot.h"

#include "controls/form_layout.h"
#include "controls/igrid.h"
#include "controls/litebtnctrl.h"
#include "editor/lootdrop_grid.h"
#include "editor/lootdrop_reorg.h"
#include "editor/loottable_grid.h"
#include "editor/npc_loading.h"
#include "editor/own_lootdrop.h"
#include "editor/repair_commands.h"
#include "itemcard/item_stats.h"
#include "itemsearch/item_search.h"
#include "platform/odbc.h"
#include "platform/textnum.h"
#include "shared/operator_io.h"
#include "shared/pictures.h"
#include "shared/settings.h"
#include "shared/shared.h"
#include "startwindow/music_player.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kInnerSize(1398, 701);  // 20970 x 10515 twips
const QColor kLightYellow(255, 255, 192);
const QColor kDarkGrey(64, 64, 64);

struct Column {
  QString header;
  int width;
};

const Column kNpcColumns[] = {{u"id"_s, 65}, {u"npc"_s, 200}, {u"lvl"_s, 60}, {u"zone"_s, 90}, {u"loottable"_s, 90}};
const Column kLoottableColumns[] = {{u"lootdrop_id"_s, 105},
                                    {u"multiplier"_s, 100},
                                    {u"droplimit"_s, 100},
                                    {u"mindop"_s, 100},
                                    {u"probability"_s, 100}};
const Column kLootdropColumns[] = {{u"item_id"_s, 70},        {u"name"_s, 215}, {u"charges"_s, 75},
                                   {u"equip"_s, 75},          {u"%"_s, 55},     {u"npc_min_level"_s, 100},
                                   {u"npc_max_level"_s, 100}, {u"#"_s, 50}};

IGrid* make_grid(QWidget* parent, const QString& name, const QRect& rect) {
  auto* grid = new IGrid(parent);
  grid->setObjectName(name);
  grid->setGeometry(rect);
  grid->setColumnDragging(false);
  return grid;
}

void add_columns(IGrid* grid, const auto& columns, bool option) {
  for (const Column& c : columns) grid->AddCol(c.header, c.width, option);
}

// The windows this one knows only by name (they are built elsewhere).
bool is_window_named(const QWidget* w, QLatin1StringView name) {
  return w->objectName() == name || QLatin1StringView(w->metaObject()->className()) == name;
}

void close_windows_named(QLatin1StringView name) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (is_window_named(w, name)) w->close();
  }
}

// A top-level window of the program, as opposed to menus, tool tips and the like.
bool is_program_window(const QWidget* w) {
  const Qt::WindowType type = w->windowType();
  return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool;
}

}  // namespace

KorvexLoot::KorvexLoot(QWidget* parent) : QMainWindow(parent) {
  setObjectName(u"KorvexLoot"_s);
  setWindowTitle(u"Korvex Loot V3"_s);
  setFont(ms_sans_serif());
  auto* surface = new QWidget(this);
  surface->setObjectName(u"surface"_s);
  make_white(surface);
  setCentralWidget(surface);
  build_controls(surface);
  build_menus();
  resize(kInnerSize.width(), kInnerSize.height() + menuBar()->sizeHint().height());
  lootdrop_grid = std::make_unique<LootdropGrid>(*this);
  loottable_grid = std::make_unique<LoottableGrid>(*this, *lootdrop_grid);
  npc_loading = std::make_unique<NpcLoading>(*this, *loottable_grid, *lootdrop_grid);
  repair_commands = std::make_unique<RepairCommands>(*this);
}

KorvexLoot::~KorvexLoot() = default;

void KorvexLoot::build_controls(QWidget* surface) {
  const QFont comic12 = comic_sans(12);
  Label8 = make_label(surface, u"Label8"_s, u"Zone Name"_s, twips_rect(120, 120, 1335, 375), comic12, Qt::white,
                      kLightYellow);
  zonename =
      make_label(surface, u"zonename"_s, u"butcher"_s, twips_rect(1560, 120, 1935, 375), comic12, Qt::white, kDarkGrey);
  Label1 = make_label(surface, u"Label1"_s, u"-"_s, twips_rect(6460, 300, 375, 495), comic_sans(21.75), Qt::white,
                      kLightYellow);
  out = make_label(surface, u"out"_s, QString(), twips_rect(9480, 9960, 5775, 375), times_new_roman(18), Qt::black,
                   Qt::white);
  counter = make_label(surface, u"counter"_s, u"Number of NPC's:  0"_s, twips_rect(120, 10080, 4935, 495),
                       times_new_roman(12), Qt::black, Qt::white);
  Image1 = new QLabel(surface);
  Image1->setObjectName(u"Image1"_s);
  Image1->setGeometry(twips_rect(18480, 600, 2520, 2415));
  Image1->setPixmap(korvexloot_picture());
  Image1->setScaledContents(true);

  find_item = LiteBtnCtrl::placed(surface, u"find_item"_s, u"Item Search"_s, twips_rect(0, 120, 1455, 375));
  Search_Grids =
      LiteBtnCtrl::placed(surface, u"Search_Grids"_s, u"LOAD NPC in ZONE"_s, twips_rect(3600, 120, 2175, 375));
  LiteBtnCtrl1 =
      LiteBtnCtrl::placed(surface, u"LiteBtnCtrl1"_s, u"LOAD NPC by LEVEL RNG"_s, twips_rect(3600, 480, 2175, 375));
  range_use = new QCheckBox(u"Use Range"_s, surface);
  range_use->setObjectName(u"range_use"_s);
  range_use->setGeometry(twips_rect(5760, 120, 1455, 375));
  range_use->setAutoFillBackground(true);  // opaque over the "-" label, as on the form
  min_lvl = make_text_box(surface, u"min_lvl"_s, u"1"_s, twips_rect(5880, 480, 495, 375));
  max_lvl = make_text_box(surface, u"max_lvl"_s, u"10"_s, twips_rect(6720, 480, 495, 375));
  allgrids = make_grid(surface, u"allgrids"_s, twips_rect(120, 1200, 8055, 8775));
  allgrids->setMultiSelect(true);
  LiteBtnCtrl2 = LiteBtnCtrl::placed(surface, u"LiteBtnCtrl2"_s, u"+ ROW"_s, twips_rect(8520, 3720, 855, 375));
  LiteBtnCtrl3 = LiteBtnCtrl::placed(surface, u"LiteBtnCtrl3"_s, u"- ROW"_s, twips_rect(8520, 4080, 855, 375));
  loottableE = make_grid(surface, u"loottableE"_s, twips_rect(9480, 120, 7935, 2895));
  lootdropE = make_grid(surface, u"lootdropE"_s, twips_rect(9480, 3120, 11175, 6855));
  LiteBtnCtrl4 =
      LiteBtnCtrl::placed(surface, u"LiteBtnCtrl4"_s, u"create empty row"_s, twips_rect(17520, 240, 1575, 375));
  plusrow = LiteBtnCtrl::placed(surface, u"plusrow"_s, u"+ ROW"_s, twips_rect(17520, 720, 855, 375));
  removegridrow = LiteBtnCtrl::placed(surface, u"removegridrow"_s, u"- ROW"_s, twips_rect(17520, 1080, 855, 375));
  rmv_selected_NPCS = LiteBtnCtrl::placed(surface, u"rmv_selected_NPCS"_s, u"Remove Selected NPCs"_s,
                                          twips_rect(5280, 10080, 2175, 375));

  // Labels and the picture are drawn on the window's own surface, under
  // every other control ("Item Search" covers "Zone Name", the level boxes
  // cover most of the "-").
  for (QWidget* w : {static_cast<QWidget*>(Label8), static_cast<QWidget*>(zonename), static_cast<QWidget*>(Label1),
                     static_cast<QWidget*>(out), static_cast<QWidget*>(counter), static_cast<QWidget*>(Image1)})
    w->lower();

  connect(find_item, &LiteBtnCtrl::Click, this, &KorvexLoot::find_item_Click);
}

void KorvexLoot::build_menus() {
  QMenuBar* bar = menuBar();
  specialx = bar->addMenu(u"Special"_s);
  specialx->setObjectName(u"specialx"_s);
  auto entry = [this](QMenu* menu, const QString& name, const QString& caption, void (KorvexLoot::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (handler) connect(action, &QAction::triggered, this, handler);
    return action;
  };
  auto bar_entry = [this, bar](const QString& name, const QString& caption, void (KorvexLoot::*handler)()) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    bar->addAction(action);
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  fix_loot_for_empty_loottablesx =
      entry(specialx, u"fix_loot_for_empty_loottablesx"_s, u"Make Loottables for NPC's without any Loot"_s, nullptr);
  exp_header = entry(specialx, u"exp_header"_s, u"Expand Loot Header (Full View)"_s, &KorvexLoot::exp_header_Click);
  shrink_header =
      entry(specialx, u"shrink_header"_s, u"Shrink Loot Header (Minimal View)"_s, &KorvexLoot::shrink_header_Click);
  LOOTDROP_wipe = entry(specialx, u"LOOTDROP_wipe"_s, u"Delete Unused LOOTDROP"_s, nullptr);
  percX_fix = entry(specialx, u"percX_fix"_s, u"Fix lootdrops with chances >100 (range 0-100)"_s, nullptr);
  Reorganize_Lootdrop_table = entry(specialx, u"Reorganize_Lootdrop_table"_s, u"Reorganize Lootdrop tables"_s,
                                    &KorvexLoot::Reorganize_Lootdrop_table_Click);

  music_offx = bar_entry(u"music_offx"_s, u"Music Off"_s, &KorvexLoot::music_offx_Click);
  // No music plays while this window is open.
  music_offx->setEnabled(false);
  itm_stats_show = bar_entry(u"itm_stats_show"_s, u"Show Item Stats"_s, &KorvexLoot::itm_stats_show_Click);

  vids = bar->addMenu(u"Youtube Video Help"_s);
  vids->setObjectName(u"vids"_s);
  vid1 = entry(vids, u"vid1"_s, u"Basic Interface"_s, &KorvexLoot::vid1_Click);
  vid2 = entry(vids, u"vid2"_s, u"Item Search"_s, &KorvexLoot::vid2_Click);
  vid3 = entry(vids, u"vid3"_s, u"Random Loot"_s, &KorvexLoot::vid3_Click);
  quit = bar_entry(u"quit"_s, u"Quit"_s, &KorvexLoot::quit_Click);
}

void KorvexLoot::make_grid_columns() {
  add_columns(allgrids, kNpcColumns, false);
  add_columns(loottableE, kLoottableColumns, true);
  add_columns(lootdropE, kLootdropColumns, true);
}

void KorvexLoot::Form_Load() {
  make_grid_columns();
  read_db_ini();
  try {
    open_db(db_rs, db_conn);
    load_own_lootdrop();
  } catch (const db::Error& e) {
    // The window opens all the same; later operations report their own failures.
    report_db_error(u"Connecting to the database"_s, e);
  }
  counter->setText(u"Number of NPC's:  "_s + textnum::number_text(allgrids->RowCount()));
}

void KorvexLoot::find_item_Click() { item_search_window().open_window({allgrids, loottableE, lootdropE}); }

void KorvexLoot::itm_stats_show_Click() { item_stats_window().open_window(); }

void KorvexLoot::Reorganize_Lootdrop_table_Click() {
  lootdrop_reorg& window = lootdrop_reorg::load(*this);
  window.show();
  window.raise();
}

void KorvexLoot::exp_header_Click() {
  for (int col = 1; col <= loottableE->ColCount(); ++col) loottableE->setColVisible(col, true);
  for (int col = 3; col <= lootdropE->ColCount(); ++col) lootdropE->setColVisible(col, true);
}

void KorvexLoot::shrink_header_Click() {
  for (int col = 2; col <= loottableE->ColCount(); ++col) loottableE->setColVisible(col, false);
  for (int col = 3; col <= lootdropE->ColCount(); ++col) lootdropE->setColVisible(col, false);
}

void KorvexLoot::music_offx_Click() {
  if (music_player) {
    music_player->stop();
    music_player.reset();
  }
  music_offx->setEnabled(false);
}

QUrl KorvexLoot::video_address(int entry) {
  static const QString kPages[] = {u"basic_interface.html"_s, u"item_search.html"_s, u"random_loot.html"_s};
  const QString page = kPages[qBound(1, entry, 3) - 1];
  return QUrl::fromLocalFile(QDir::current().absoluteFilePath(u"resources/help/"_s + page));
}

// The help viewer runs on its own; whether it started is not our concern.
void KorvexLoot::vid1_Click() { QDesktopServices::openUrl(video_address(1)); }
void KorvexLoot::vid2_Click() { QDesktopServices::openUrl(video_address(2)); }
void KorvexLoot::vid3_Click() { QDesktopServices::openUrl(video_address(3)); }

void KorvexLoot::close_startup_and_zone_picker() {
  close_windows_named("Splash"_L1);
  close_windows_named("Zone_Search"_L1);
}

void KorvexLoot::quit_Click() {
  close_startup_and_zone_picker();
  operator_io().end_program();
}

void KorvexLoot::Form_Unload() {
  close_startup_and_zone_picker();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w != this && is_program_window(w)) w->close();
  }
  operator_io().end_program();
}

void KorvexLoot::closeEvent(QCloseEvent* event) {
  event->accept();
  Form_Unload();
}

void KorvexLoot::focusInEvent(QFocusEvent* event) {
  QMainWindow::focusInEvent(event);
  update();
}

void KorvexLoot::mousePressEvent(QMouseEvent* event) {
  QMainWindow::mousePressEvent(event);
  update();
}
