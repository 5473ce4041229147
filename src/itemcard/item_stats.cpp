// The item card window itself: its look, loading, dragging and closing, the
// reference tables and the mask and effect decoders.
#include "itemcard/item_stats.h"

#include "controls/form_layout.h"
#include "itemcard/panel_picture.h"
#include "itemcard/reference_files.h"
#include "platform/readers.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <functional>

namespace {

const QString kSpellFile = QStringLiteral("resources/spells.txt");

// The invisible spot over the closing glyph: a click (press and release over
// it with the left button) runs its action.
class CloseSpot final : public QWidget {
 public:
  CloseSpot(QWidget* parent, std::function<void()> on_click) : QWidget(parent), on_click_(std::move(on_click)) {
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::PointingHandCursor);
  }

 protected:
  void mousePressEvent(QMouseEvent* e) override { e->accept(); }
  void mouseMoveEvent(QMouseEvent* e) override { e->accept(); }
  void mouseReleaseEvent(QMouseEvent* e) override {
    e->accept();
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) on_click_();
  }

 private:
  std::function<void()> on_click_;
};

QLabel* card_label(QLabel* label, QWidget* parent, const QRect& at, const QColor& colour) {
  label->setParent(parent);
  label->setGeometry(at);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setAutoFillBackground(false);  // the panel shows through
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, colour);
  label->setPalette(pal);
  return label;
}

// Reads a file's text for the table loaders; an empty text when it is missing.
QString reference_text(const QString& path) { return readers::read_text_file(path).value_or(QString()); }

// Table entry i, or empty text when i lies outside the table.
template <std::size_t N>
const QString& entry(const std::array<QString, N>& table, qsizetype i) {
  static const QString none;
  return i >= 0 && static_cast<std::size_t>(i) < N ? table[static_cast<std::size_t>(i)] : none;
}

// Appends the name of every set digit, highest bit first, each with a blank.
template <std::size_t N>
void append_set_names(const QString& digits, const std::array<QString, N>& names, QString& text) {
  for (qsizetype i = 1; i <= digits.size(); ++i) {
    if (digits[i - 1] == u'1') text += entry(names, i) + u' ';
  }
}

QString effect_name(std::int32_t effect) {
  const std::optional<QString> name = itemcard::spell_name(kSpellFile, effect);
  return name && !name->isEmpty() ? *name : QStringLiteral("Uknown Effect");
}

}  // namespace

// A fixed single border: a title with the close button, no minimise or maximise.
Item_Stats::Item_Stats(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint) {
  setWindowTitle(QStringLiteral("Item Details and Stats"));
  setFixedSize(453, 288);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);

  ITSname = new itemcard::NameLine;
  card_label(ITSname, this, twips_rect(240, 240, 6255, 375), QColor(255, 128, 0));
  ITSname->setFont(times_new_roman(15.75));

  itemdescr = new itemcard::CardText;
  card_label(itemdescr, this, twips_rect(120, 720, 6465, 3285), QColor(255, 255, 192));
  itemdescr->setWordWrap(true);
  // The default label font of the card, at the size such labels have by default.
  QFont card_font = itemdescr->font();
  card_font.setPointSizeF(itemcard::kCardTextPointSize);
  itemdescr->setFont(card_font);

  Image1 = new CloseSpot(this, [this] { Image1_Click(); });
  Image1->setGeometry(twips_rect(6360, 0, 405, 405));

  // Presses on the labels do not reach the window, so they start no drag.
  ITSname->installEventFilter(this);
  itemdescr->installEventFilter(this);
  set_design_captions();
}

void Item_Stats::set_design_captions() {
  ITSname->setText(QStringLiteral(">"));
  itemdescr->setText(QString());
}

void Item_Stats::load() {
  if (loaded_) return;
  set_design_captions();
  if (!(windowFlags() & Qt::WindowStaysOnTopHint)) setWindowFlag(Qt::WindowStaysOnTopHint, true);
  load_all();
  loaded_ = true;
}

void Item_Stats::open_window() {
  load();
  bring_to_front(*this);
}

void Item_Stats::unload() {
  loaded_ = false;
  drag_armed_ = false;
  hide();
}

void Item_Stats::Image1_Click() { close(); }

void Item_Stats::closeEvent(QCloseEvent* event) {
  unload();
  event->accept();
}

void Item_Stats::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Window));
  p.drawImage(0, 0, itemcard::panel_picture());
}

// Dragging: with the left button alone held, the window follows the pointer.
// The window manager moves it where the platform allows; elsewhere it is
// moved here by the pointer's travel.
void Item_Stats::mousePressEvent(QMouseEvent* event) {
  drag_armed_ = event->buttons() == Qt::LeftButton;
  if (drag_armed_) drag_offset_ = event->globalPosition().toPoint() - pos();
}

void Item_Stats::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() != Qt::LeftButton || !drag_armed_) return;
  if (QWindow* handle = windowHandle(); handle && handle->startSystemMove()) {
    drag_armed_ = false;
    return;
  }
  move(event->globalPosition().toPoint() - drag_offset_);
}

void Item_Stats::mouseReleaseEvent(QMouseEvent* event) {
  if (event->buttons() == Qt::NoButton) drag_armed_ = false;
}

bool Item_Stats::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ITSname || watched == itemdescr) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void Item_Stats::load_all() {
  // Each table is filled afresh; what a missing or short file does not give
  // stays empty.
  body_type_lines.fill(QString());
  body_type_count_ = 0;
  {
    readers::LineReader lines(reference_text(QStringLiteral("resources/body_types.txt")));
    for (int k = 1; k <= 37; ++k) {
      const std::optional<QString> line = lines.next();
      if (!line) break;
      body_type_lines[static_cast<std::size_t>(k - 1)] = *line;
      body_type_count_ = k;
    }
  }
  // The first field names the lowest bit, which is the last digit position.
  const auto read_reversed = [](const QString& path, auto& table) {
    table.fill(QString());
    readers::FieldReader fields(reference_text(path));
    for (int k = 1; k <= 16; ++k) {
      const std::optional<QString> field = fields.next();
      if (!field) break;
      table[static_cast<std::size_t>(17 - k)] = *field;
    }
  };
  read_reversed(QStringLiteral("resources/classes.txt"), class_names);
  read_reversed(QStringLiteral("resources/races.txt"), race_names);

  slot_names.fill(QString());
  readers::FieldReader slot_fields(reference_text(QStringLiteral("resources/slots_ref.txt")));
  for (int k = 1; k <= 23; ++k) {
    const std::optional<QString> name = slot_fields.next();
    const std::optional<QString> value = slot_fields.next();  // read and dropped
    if (!name) break;
    slot_names[static_cast<std::size_t>(24 - k)] = *name;
    if (!value) break;
  }
}

void Item_Stats::dec_2_bin(const std::int32_t& DEC, const std::int16_t& bits) {
  QString digits;
  const std::int64_t value = DEC;  // sign-extended: a negative mask has every high bit set
  for (int i = bits - 1; i >= 0; --i) digits += ((value >> (i < 63 ? i : 63)) & 1) ? u'1' : u'0';
  bin_text = digits;
}

void Item_Stats::class_decode(const QString& binary) {
  append_set_names(binary, class_names, class_text);
  if (binary == QStringLiteral("1111111111111111")) class_text = QStringLiteral("ALL");
}

void Item_Stats::race_decode(const QString& binary) {
  append_set_names(binary, race_names, race_text);
  if (binary == QStringLiteral("1111111111111111")) race_text = QStringLiteral("ALL");
}

void Item_Stats::deity_decode(const QString& binary) {
  static const std::array<QString, 18> deity_names = {QString(),
                                                      QStringLiteral("VEESHAN"),
                                                      QStringLiteral("TUNARE"),
                                                      QStringLiteral("TRIBUNAL"),
                                                      QStringLiteral("SOLUSEK"),
                                                      QStringLiteral("RODCET"),
                                                      QStringLiteral("RALLOS"),
                                                      QStringLiteral("QUELLIOUS"),
                                                      QStringLiteral("PREXUS"),
                                                      QStringLiteral("MITH"),
                                                      QStringLiteral("KARANA"),
                                                      QStringLiteral("INNY"),
                                                      QStringLiteral("BRISTLE"),
                                                      QStringLiteral("EROLLSI"),
                                                      QStringLiteral("CAZIC"),
                                                      QStringLiteral("BRELL"),
                                                      QStringLiteral("BERTOX"),
                                                      QStringLiteral("AGNOSTIC")};
  append_set_names(binary, deity_names, deity_text);
  if (binary == QStringLiteral("11111111111111111")) deity_text = QStringLiteral("ALL");
  if (binary == QStringLiteral("00000000000000000")) deity_text = QStringLiteral("ALL ALLOWED");
}

void Item_Stats::slots_decode(const QString& bin) {
  slot_text.clear();
  for (qsizetype i = 1; i <= bin.size(); ++i) {
    QString name = entry(slot_names, i);
    if (name == u"Right Ear" || name == u"Left Ear")
      name = QStringLiteral("Ears");
    else if (name == u"Right Wrist" || name == u"Left Wrist")
      name = QStringLiteral("Wrists");
    else if (name == u"Right Finger" || name == u"Left Finger")
      name = QStringLiteral("Fingers");
    if (bin[i - 1] != u'1') continue;
    if (slot_text.isEmpty()) {
      slot_text = name;
    } else if ((name == u"Ears" || name == u"Wrists" || name == u"Fingers") && slot_text.contains(name)) {
      // a pair is named once
    } else {
      slot_text += u',' + name;
    }
  }
}

void Item_Stats::itemtype_decode(const std::int16_t&) {
  // The item type names no skill: skill_text stays as show_stats left it.
}

void Item_Stats::decode_proceffect(const std::int32_t& Effect) { proc_effect_name = effect_name(Effect); }
void Item_Stats::decode_focuseffect(const std::int32_t& Effect) { focus_effect_name = effect_name(Effect); }
void Item_Stats::decode_clickeffect(const std::int32_t& Effect) { click_effect_name = effect_name(Effect); }
void Item_Stats::decode_worneffect(const std::int32_t& Effect) { worn_effect_name = effect_name(Effect); }

Item_Stats& item_stats_window() {
  // Never deleted: the one window object lives until the program ends.
  QPointer<Item_Stats>& window = single_window<Item_Stats>();
  if (!window) window = new Item_Stats;
  return *window;
}
