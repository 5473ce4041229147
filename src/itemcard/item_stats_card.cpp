// show_stats: reads one item's row, classifies it, decodes its masks and
// effects, and composes the name line and the card text.
#include "itemcard/item_stats.h"

#include "itemcard/reference_files.h"
#include "platform/textnum.h"
#include "shared/shared.h"

#include <cmath>
#include <limits>

namespace {

const QString kEol = QStringLiteral("\r\n");
const QString kRaceFile = QStringLiteral("resources/all_races.txt");

// Tests on values as stored: a NULL passes none of them.
bool equals(const db::Field& f, double v) { return !f.is_null() && f.number() == v; }
bool differs(const db::Field& f, double v) { return !f.is_null() && f.number() != v; }
bool above(const db::Field& f, double v) { return !f.is_null() && f.number() > v; }

// A value as stored, shown on the card: NULL as empty text, a number as its
// decimal text, any other text unchanged.
QString shown(const db::Field& f) {
  if (f.is_null()) return QString();
  const QString& t = f.text();
  if (f.is_numeric_column() && (t.contains(u'.') || t.contains(u'e') || t.contains(u'E')))
    return textnum::number_text(f.number());
  return t;
}
QString shown(double v) { return textnum::number_text(v); }

// A mask as a 32-bit integer. A value beyond that range keeps its low 32
// bits, which are all the decoders look at.
std::int32_t mask_value(double v) {
  if (const auto whole = textnum::to_int32(v)) return *whole;
  if (!std::isfinite(v)) return 0;
  const double low = std::fmod(textnum::round_even(v), 4294967296.0);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(low)));
}

// An effect identifier; beyond the 32-bit range it is held at the range's end.
std::int32_t effect_value(double v) {
  if (const auto whole = textnum::to_int32(v)) return *whole;
  if (std::isnan(v)) return 0;
  return v < 0 ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
}

// A name from a fixed table of whole numbers; empty text for anything else.
QString table_name(const db::Field& f, int first, std::initializer_list<const char16_t*> names) {
  if (f.is_null()) return QString();
  const double v = f.number();
  int at = first;
  for (const char16_t* name : names) {
    if (v == at) return QString::fromUtf16(name);
    ++at;
  }
  return QString();
}

QString item_size_name(const db::Field& size) {
  return table_name(size, 0, {u"TINY", u"SMALL", u"MEDIUM", u"LARGE", u"GIANT", u"UNKNOWN"});
}
QString bag_size_name(const db::Field& bagsize) {
  return table_name(bagsize, 1, {u"SMALL", u"MEDIUM", u"LARGE", u"GIANT"});
}
QString element_name(const db::Field& type) {
  return table_name(type, 0, {u"None", u"Magical", u"Fire", u"Cold", u"Poison", u"Disease"});
}

QString level_text(double level) { return level == 0 ? QStringLiteral("All Levels") : shown(level); }

QString effect_line(const QString& label, const QString& name, double level) {
  return label + name + QStringLiteral("  -- Req Level: ") + level_text(level) + kEol;
}

// Pairs such as " DEX: 5" for every value that is not 0, on one line.
QString pair_line(std::initializer_list<std::pair<const char16_t*, const db::Field*>> pairs) {
  QString line;
  for (const auto& [label, value] : pairs) {
    if (differs(*value, 0)) line += QString::fromUtf16(label) + shown(*value);
  }
  return line.isEmpty() ? line : line + kEol;
}

QString item_query(const QString& columns, std::int32_t id) {
  return QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM items WHERE id='") + textnum::sql_number(id) +
         u'\'';
}

}  // namespace

std::int16_t Item_Stats::card_kind(double itemtype, double itemclass) {
  std::int16_t kind = -1;
  if (itemtype == 10 || itemtype == 8) kind = 1;
  if ((itemtype >= 0 && itemtype <= 5) || itemtype == 7 || itemtype == 19 || itemtype == 35 || itemtype == 45 ||
      itemtype == 27)
    kind = 2;
  if (itemtype == 20) kind = 4;
  if (kind == -1) kind = 3;
  if (itemclass == 1) kind = 0;
  return kind;
}

void Item_Stats::show_stats(const std::int32_t& id, std::int16_t& type_of_item) {
  load();
  const QString id_text = textnum::number_text(id);
  // What the card says when it cannot show the item.
  const auto no_card = [&](const QString& text) {
    type_of_item = -1;
    db_rs.close();
    ITSname->setText(QStringLiteral("    --  ") + id_text);
    itemdescr->setText(text + kEol);
  };
  try {
    open_db(db_rs, db_conn);
    sql_text = item_query(QStringLiteral("itemtype,itemclass,icon"), id);
    db_rs.open(sql_text, db_conn);
    if (db_rs.eof()) return no_card(QStringLiteral("No item with id ") + id_text + u'.');
    type_of_item = card_kind(db_rs.field(u"itemtype").number(), db_rs.field(u"itemclass").number());
    db_rs.close();

    open_db(db_rs, db_conn);
    sql_text = item_query(QStringLiteral("*"), id);
    db_rs.open(sql_text, db_conn);
    if (db_rs.eof()) return no_card(QStringLiteral("No item with id ") + id_text + u'.');

    decode_masks();
    ItemValues v;
    read_values(v);
    read_effects(v);
    ITSname->setText(v.name.text() + QStringLiteral("    --  ") + shown(v.id));

    v.bagsize = db_rs.field(u"bagsize");
    v.bagslots = db_rs.field(u"bagslots");
    v.bagwr = db_rs.field(u"bagwr");
    v.price = db_rs.field(u"price");
    v.elemdmgamt = db_rs.field(u"elemdmgamt");
    v.elemdmgtype = db_rs.field(u"elemdmgtype");
    v.banedmgamt = db_rs.field(u"banedmgamt");
    v.banedmgbody = db_rs.field(u"banedmgbody");
    v.banedmgraceamt = db_rs.field(u"banedmgraceamt");
    v.banedmgrace = db_rs.field(u"banedmgrace");
    db_rs.close();
    write_card(v, type_of_item);
  } catch (const db::Error& e) {
    // The card is drawn on every row change, so a failure is told on the card
    // rather than in a message box per row.
    no_card(QStringLiteral("Could not read item ") + id_text + QStringLiteral(": the database answered:") + kEol +
            e.message());
  }
}

void Item_Stats::decode_masks() {
  struct Mask {
    const char16_t* column;
    std::int16_t digits;
    QString Item_Stats::*text;
    void (Item_Stats::*decode)(const QString&);
  };
  // In this order; the slot mask has 22 digits, as many as there are slot names to show.
  static const Mask masks[] = {{u"classes", 16, &Item_Stats::class_text, &Item_Stats::class_decode},
                               {u"races", 16, &Item_Stats::race_text, &Item_Stats::race_decode},
                               {u"slots", 22, &Item_Stats::slot_text, &Item_Stats::slots_decode},
                               {u"deity", 17, &Item_Stats::deity_text, &Item_Stats::deity_decode}};
  for (const Mask& m : masks) {
    (this->*m.text).clear();
    dec_2_bin(mask_value(db_rs.field(QStringView(m.column)).number()), m.digits);
    (this->*m.decode)(bin_text);
  }
  if (slot_text.isEmpty()) slot_text = QStringLiteral("none");
  skill_text.clear();
  itemtype_decode(textnum::to_int16(db_rs.field(u"itemtype").number()).value_or(0));
}

void Item_Stats::read_values(ItemValues& v) const {
  const auto stored = [](const char16_t* column) { return db_rs.field(QStringView(column)); };
  const auto number = [](const char16_t* column) { return db_rs.field(QStringView(column)).number(); };
  v.id = stored(u"id");
  v.magic = stored(u"magic");
  v.loregroup = stored(u"loregroup");
  v.nodrop = stored(u"nodrop");
  v.ac = stored(u"ac");
  v.adex = stored(u"adex");
  v.acha = stored(u"acha");
  v.asta = stored(u"asta");
  v.astr = stored(u"astr");
  v.aint = stored(u"aint");
  v.awis = stored(u"awis");
  v.aagi = stored(u"aagi");
  v.hp = stored(u"hp");
  v.mana = stored(u"mana");
  v.weight = stored(u"weight");
  v.size = stored(u"size");
  v.cr = stored(u"cr");
  v.dr = stored(u"dr");
  v.fr = stored(u"fr");
  v.mr = stored(u"mr");
  v.pr = stored(u"pr");
  v.name = stored(u"name");
  v.delay = number(u"delay");
  v.damage = number(u"damage");
  v.regen = number(u"regen");
  v.reqlevel = number(u"reqlevel");
  v.reclevel = number(u"reclevel");
  v.augslot1type = number(u"augslot1type");
  v.augslot2type = number(u"augslot2type");
  v.augslot3type = number(u"augslot3type");
  v.haste = number(u"haste");
  v.manaregen = number(u"manaregen");
  v.attack = number(u"attack");
}

void Item_Stats::read_effects(ItemValues& v) {
  struct Effect {
    const char16_t* id_column;
    const char16_t* level_column;
    std::int32_t Item_Stats::*id;
    void (Item_Stats::*decode)(const std::int32_t&);
    double ItemValues::*level;
  };
  static const Effect effects[] = {{u"proceffect", u"proclevel", &Item_Stats::proc_effect_id,
                                    &Item_Stats::decode_proceffect, &ItemValues::proc_level},
                                   {u"focuseffect", u"focuslevel", &Item_Stats::focus_effect_id,
                                    &Item_Stats::decode_focuseffect, &ItemValues::focus_level},
                                   {u"clickeffect", u"clicklevel", &Item_Stats::click_effect_id,
                                    &Item_Stats::decode_clickeffect, &ItemValues::click_level},
                                   {u"worneffect", u"wornlevel", &Item_Stats::worn_effect_id,
                                    &Item_Stats::decode_worneffect, &ItemValues::worn_level}};
  for (const Effect& e : effects) {
    std::int32_t& id = this->*e.id;
    id = effect_value(db_rs.field(QStringView(e.id_column)).number());
    // -1 is no effect: its name stays as it was and its level is not read.
    if (id == -1) continue;
    (this->*e.decode)(id);
    v.*e.level = db_rs.field(QStringView(e.level_column)).number();
  }
  scroll_effect_id = effect_value(db_rs.field(u"scrolleffect").number());
}

void Item_Stats::write_card(const ItemValues& v, std::int16_t kind) {
  QString card = head_lines(v);
  if (kind == 0)
    card += container_lines(v);
  else if (kind == 4)
    card += short_lines(v);
  else
    card += full_lines(v);
  card += QStringLiteral("Deity: ") + deity_text + kEol;
  itemdescr->setText(card);
}

QString Item_Stats::head_lines(const ItemValues& v) const {
  QString text = equals(v.magic, 1) ? QStringLiteral("MAGIC ITEM:YES") : QStringLiteral("MAGIC ITEM:NO");
  text += QStringLiteral("     ");
  text += equals(v.nodrop, 0) ? QStringLiteral("NO TRADE ") : QStringLiteral("TRADEABLE ITEM ");
  text += kEol;
  if (equals(v.loregroup, -1))
    text += QStringLiteral("Lore:YES");
  else if (equals(v.loregroup, 0))
    text += QStringLiteral("Lore:NO");
  else if (equals(v.loregroup, 1))
    text += QStringLiteral("Lore:EPIC");
  return text + kEol;
}

QString Item_Stats::container_lines(const ItemValues& v) const {
  return QStringLiteral("WT: ") + shown(v.weight) + QStringLiteral(" Weight Reduction:  ") + shown(v.bagwr) + u'%' +
         kEol + QStringLiteral("Bag Slots:  ") + shown(v.bagslots) + QStringLiteral("  Size Capacity: ") +
         bag_size_name(v.bagsize) + kEol + QStringLiteral("Class: ") + class_text + kEol + QStringLiteral("Race: ") +
         race_text + kEol + QStringLiteral("Price(cp): ") + shown(v.price) + kEol;
}

QString Item_Stats::short_lines(const ItemValues& v) const {
  QString text;
  if (click_effect_id != -1) text += effect_line(QStringLiteral("Click Effect :"), click_effect_name, v.click_level);
  text += QStringLiteral("WT: ") + shown(v.weight) + QStringLiteral(" Size: ") + item_size_name(v.size) + kEol;
  text += QStringLiteral("Class: ") + class_text + kEol;
  text += QStringLiteral("Race: ") + race_text + kEol + kEol;
  text += QStringLiteral("Price(cp): ") + shown(v.price) + kEol;
  return text;
}

QString Item_Stats::bane_body_name(const db::Field& body) const {
  QString name = QStringLiteral("Monster?");
  // Only entries that hold a line of the file: an entry a short or missing
  // file left empty would read as body type 0 with no name.
  for (int k = 0; k < body_type_count_; ++k) {
    const QString& line = body_type_lines[static_cast<std::size_t>(k)];
    // The last matching line wins.
    if (equals(body, textnum::numeric_value(QStringView(line).left(2)))) name = line.mid(4);
  }
  return name;
}

QString Item_Stats::full_lines(const ItemValues& v) const {
  QString text = QStringLiteral("Slot: ") + slot_text + kEol;
  if (above(v.ac, 0)) text += QStringLiteral("AC: ") + shown(v.ac) + kEol;
  if (v.damage > 0) {
    text += QStringLiteral("Skill: ") + skill_text + QStringLiteral(",  Atk Delay: ") + shown(v.delay) + kEol;
    text += QStringLiteral("DMG: ") + shown(v.damage) + kEol;
  }
  if (differs(v.elemdmgamt, 0))
    text += QStringLiteral("Elem Dmg:") + shown(v.elemdmgamt) + QStringLiteral("   vs. ") +
            element_name(v.elemdmgtype) + kEol;
  if (differs(v.banedmgamt, 0)) {
    const QString body = bane_body_name(v.banedmgbody);
    // An empty body type name ends the row without a line end.
    text += QStringLiteral("Bane Dmg:") + shown(v.banedmgamt) + QStringLiteral("   vs. ") + body;
    if (!body.isEmpty()) text += kEol;
  }
  if (differs(v.banedmgraceamt, 0)) {
    QString race = QStringLiteral("Unknown?");
    if (!v.banedmgrace.is_null()) {
      if (const auto found = itemcard::race_name(kRaceFile, v.banedmgrace.number())) race = *found;
    }
    text += QStringLiteral("Bane Dmg: ") + shown(v.banedmgraceamt) + QStringLiteral("  vs. ") + race + kEol;
  }
  if (proc_effect_id != -1) text += effect_line(QStringLiteral("Proc Effect :"), proc_effect_name, v.proc_level);
  if (click_effect_id != -1) text += effect_line(QStringLiteral("Click Effect :"), click_effect_name, v.click_level);
  if (worn_effect_id != -1) text += effect_line(QStringLiteral("Worn Effect :"), worn_effect_name, v.worn_level);
  if (focus_effect_id != -1) text += effect_line(QStringLiteral("Focus Effect :"), focus_effect_name, v.focus_level);
  if (scroll_effect_id != -1) text += QStringLiteral("A Scroll:") + kEol;
  text += pair_line({{u" DEX: ", &v.adex},
                     {u" CHA: ", &v.acha},
                     {u" STR: ", &v.astr},
                     {u" STA: ", &v.asta},
                     {u" INT: ", &v.aint},
                     {u" WIS: ", &v.awis},
                     {u" AGI: ", &v.aagi}});
  text += pair_line({{u" HP: ", &v.hp}, {u" MANA: ", &v.mana}});
  text += pair_line({{u" SV COLD: ", &v.cr},
                     {u" SV DISEASE: ", &v.dr},
                     {u" SV FIRE: ", &v.fr},
                     {u" SV MAGIC: ", &v.mr},
                     {u" SV POISON: ", &v.pr}});
  if (v.haste != 0) text += QStringLiteral("Haste :") + shown(v.haste) + u'%' + kEol;
  if (v.manaregen != 0) text += QStringLiteral("Mana Regeneration :") + shown(v.manaregen) + kEol;
  if (v.regen != 0) text += QStringLiteral("Regeneration :") + shown(v.regen) + kEol;
  if (v.attack != 0) text += QStringLiteral("Attack: +") + shown(v.attack) + kEol;
  if (v.reclevel > 0) text += QStringLiteral("Recommended level of ") + shown(v.reclevel) + kEol;
  if (v.reqlevel > 0) text += QStringLiteral("Required level of ") + shown(v.reqlevel) + kEol;
  text += QStringLiteral("WT: ") + shown(v.weight) + QStringLiteral(" Size: ") + item_size_name(v.size) + kEol;
  text += QStringLiteral("Class: ") + class_text + kEol;
  text += QStringLiteral("Race: ") + race_text + kEol;
  const std::pair<double, const char16_t*> augments[] = {
      {v.augslot1type, u"Slot 1, type "}, {v.augslot2type, u"Slot 2, type "}, {v.augslot3type, u"Slot 3, type "}};
  for (const auto& [type, label] : augments) {
    if (type != 0) text += QString::fromUtf16(label) + shown(type) + QStringLiteral(": Empty") + kEol;
  }
  text += QStringLiteral("Price(cp): ") + shown(v.price) + kEol;
  return text;
}
