#pragma once
// The item card window "Item Details and Stats": the chosen item's name line
// and stat card over a dark panel. It stays on top, is dragged by its body
// with the left button and closed by the closing glyph.
//
// One window object serves the whole program (item_stats_window()). It is
// either loaded or not: loading reads the reference tables and puts the labels
// back to their first captions; closing unloads it but keeps the object, its
// tables and the texts the last card decoded. show_stats() never shows the
// window: it loads it hidden when needed, and the card appears when the
// operator opens the window.

#include "itemcard/card_labels.h"
#include "platform/odbc.h"

#include <QLabel>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

class Item_Stats : public QWidget {
  Q_OBJECT

 public:
  explicit Item_Stats(QWidget* parent = nullptr);

  bool is_loaded() const { return loaded_; }
  // Form_Load when the window is not loaded: the labels get their first
  // captions, the window stays on top and load_all runs. Does not show it.
  void load();
  // What the main window's "Show Item Stats" does: load when needed, show,
  // bring to the front.
  void open_window();
  // Closes and unloads the window (what the closing glyph does).
  void unload();

  // Reads the body type, class, race and slot files under "resources/".
  void load_all();

  // Mask and effect decoders; each writes one of the texts below.
  void dec_2_bin(const std::int32_t& DEC, const std::int16_t& bits);
  void class_decode(const QString& binary);
  void race_decode(const QString& binary);
  void deity_decode(const QString& binary);
  void slots_decode(const QString& bin);
  void itemtype_decode(const std::int16_t& number);
  void decode_proceffect(const std::int32_t& Effect);
  void decode_focuseffect(const std::int32_t& Effect);
  void decode_clickeffect(const std::int32_t& Effect);
  void decode_worneffect(const std::int32_t& Effect);

  // Reads item `id` and writes its name line into ITSname and its card into
  // itemdescr; type_of_item gets the card kind (0 container, 1 to 3 full,
  // 4 short; -1 when no card could be made: no such item, or the database
  // failed, which the card text then says).
  void show_stats(const std::int32_t& id, std::int16_t& type_of_item);

  itemcard::NameLine* ITSname = nullptr;    // the name line
  itemcard::CardText* itemdescr = nullptr;  // the card text
  QWidget* Image1 = nullptr;                // invisible close spot over the closing glyph

  // Reference tables, filled by load_all; entries not filled are empty.
  std::array<QString, 65> class_names;
  std::array<QString, 33> race_names;
  std::array<QString, 33> slot_names;
  std::array<QString, 39> body_type_lines;

  // Texts the decoders write; they live as long as the window object.
  QString bin_text;
  QString class_text;
  QString race_text;
  QString slot_text;
  QString deity_text;
  std::int32_t proc_effect_id = -1;
  std::int32_t focus_effect_id = -1;
  std::int32_t click_effect_id = -1;
  std::int32_t worn_effect_id = -1;
  std::int32_t scroll_effect_id = -1;
  QString proc_effect_name;
  QString focus_effect_name;
  QString click_effect_name;
  QString worn_effect_name;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The values of one item's row the card shows (read per call).
  struct ItemValues {
    db::Field id, magic, loregroup, nodrop, ac, adex, acha, asta, astr, aint, awis, aagi, hp, mana, weight, size, cr,
        dr, fr, mr, pr, name;
    double delay = 0, damage = 0, regen = 0, reqlevel = 0, reclevel = 0, augslot1type = 0, augslot2type = 0,
           augslot3type = 0, haste = 0, manaregen = 0, attack = 0;
    double proc_level = 0, focus_level = 0, click_level = 0, worn_level = 0;
    db::Field bagsize, bagslots, bagwr, price, elemdmgamt, elemdmgtype, banedmgamt, banedmgbody, banedmgraceamt,
        banedmgrace;
  };

  void Image1_Click();
  void set_design_captions();
  // Card kind of the first query's row.
  static std::int16_t card_kind(double itemtype, double itemclass);
  void decode_masks();
  void read_values(ItemValues& v) const;
  void read_effects(ItemValues& v);
  void write_card(const ItemValues& v, std::int16_t kind);
  QString head_lines(const ItemValues& v) const;
  QString container_lines(const ItemValues& v) const;
  QString full_lines(const ItemValues& v) const;
  QString short_lines(const ItemValues& v) const;
  QString bane_body_name(const db::Field& body) const;

  bool loaded_ = false;
  int body_type_count_ = 0;  // lines the body type file gave, at most 37
  bool drag_armed_ = false;  // the left button went down on the window's own surface
  QPoint drag_offset_;       // pointer position relative to the window's corner
};

// The program's one item card window, created on first use.
Item_Stats& item_stats_window();
