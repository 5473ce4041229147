#include "controls/litebtnctrl.h"

#include "platform/textnum.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kCaptionKey = u"Caption"_s;
const QString kHotKeyCaptionKey = u"HotKeyCaption"_s;
const QString kCaptionStyleKey = u"CaptionStyle"_s;
// The style an instance gets when its saved properties name none; a newly
// placed instance starts at 1 instead.
constexpr int kSavedDefaultStyle = 2;
constexpr int kTextInset = 5;
constexpr int kHoverPollMs = 10;

// Text layout of one caption style: the main caption, then the hot-key caption.
struct CaptionLayout {
  int caption_flags;
  int hotkey_flags;
};

std::optional<CaptionLayout> layout_for(int style) {
  const int hotkey_middle = Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine;
  switch (style) {
    case 0:
      return CaptionLayout{Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, hotkey_middle};
    case 1:
      return CaptionLayout{Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, hotkey_middle};
    case 2:
      return CaptionLayout{Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                           Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine};
    default:
      return std::nullopt;
  }
}

const QString* find_saved(const QList<QPair<QString, QString>>& saved, const QString& key) {
  for (const auto& [name, value] : saved)
    if (name.compare(key, Qt::CaseInsensitive) == 0) return &value;
  return nullptr;
}

}  // namespace

LiteBtnCtrl::LiteBtnCtrl(const QString& control_name, QWidget* parent) : QWidget(parent) {
  setObjectName(control_name);
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(true);  // hover starts on a move with no button held
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::PointingHandCursor);
  m_hover_timer.setInterval(kHoverPollMs);
  connect(&m_hover_timer, &QTimer::timeout, this, &LiteBtnCtrl::hover_tick);
  setCaption(control_name);
  setCaptionStyle(1);
}

LiteBtnCtrl* LiteBtnCtrl::placed(QWidget* parent, const QString& control_name, const QString& caption,
                                 const QRect& rect) {
  auto* button = from_properties(
      control_name, {{QStringLiteral("caption"), caption}, {QStringLiteral("captionstyle"), QStringLiteral("1")}},
      parent);
  button->setGeometry(rect);
  return button;
}

LiteBtnCtrl* LiteBtnCtrl::from_properties(const QString& control_name, const QList<QPair<QString, QString>>& saved,
                                          QWidget* parent) {
  auto* button = new LiteBtnCtrl(control_name, parent);
  const QString* caption = find_saved(saved, kCaptionKey);
  button->setCaption(caption ? *caption : control_name);
  const QString* hotkey = find_saved(saved, kHotKeyCaptionKey);
  button->setHotKeyCaption(hotkey ? *hotkey : QString());
  int style = kSavedDefaultStyle;
  if (const QString* text = find_saved(saved, kCaptionStyleKey); text && textnum::is_number(*text)) {
    if (const auto value = textnum::to_int32(textnum::numeric_value(*text))) style = *value;
  }
  button->setCaptionStyle(style);
  return button;
}

QList<QPair<QString, QString>> LiteBtnCtrl::save_properties() const {
  QList<QPair<QString, QString>> saved;
  if (m_caption != objectName()) saved.append({kCaptionKey, m_caption});
  if (!m_hotkey_caption.isEmpty()) saved.append({kHotKeyCaptionKey, m_hotkey_caption});
  if (m_caption_style != kSavedDefaultStyle) saved.append({kCaptionStyleKey, QString::number(m_caption_style)});
  return saved;
}

void LiteBtnCtrl::setCaption(const QString& caption) {
  m_caption = caption;
  redraw(false);
}

void LiteBtnCtrl::setHotKeyCaption(const QString& caption) {
  m_hotkey_caption = caption;
  redraw(false);
}

void LiteBtnCtrl::setCaptionStyle(int style) {
  m_caption_style = style;
  redraw(false);
}

void LiteBtnCtrl::set_pointer_probe(PointerProbe probe) { m_pointer_probe = std::move(probe); }

QSize LiteBtnCtrl::sizeHint() const {
  const QFontMetrics metrics(font());
  const QSize text = metrics.size(Qt::TextShowMnemonic, m_caption);
  return {text.width() + 4 * kTextInset, text.height() + 2 * kTextInset + 2};
}

// Drawn at once, not on the next turn of the event loop: a Click handler
// that runs a long load must find the button raised again on screen.
void LiteBtnCtrl::redraw(bool pressed) {
  m_caption_pressed = pressed;
  repaint();
}

void LiteBtnCtrl::paintEvent(QPaintEvent*) {
  const bool pressed = m_caption_pressed;
  m_caption_pressed = false;

  QPainter painter(this);
  const QRect client = rect();
  const int w = client.width();
  const int h = client.height();
  painter.fillRect(client, palette().color(m_face_role));

  if (const auto layout = layout_for(m_caption_style)) {
    // Moved one pixel right and down while pressed, same size.
    const int shift = pressed ? 1 : 0;
    const QRect text_rect =
        QRect(QPoint(kTextInset, kTextInset), QPoint(w - kTextInset - 1, h - kTextInset - 1)).translated(shift, shift);
    painter.save();
    painter.setClipRect(text_rect);
    painter.setPen(palette().color(QPalette::ButtonText));
    // An ampersand underlines the next character, two show one; no shortcut.
    painter.drawText(text_rect, layout->caption_flags | Qt::TextShowMnemonic, m_caption);
    painter.drawText(text_rect, layout->hotkey_flags | Qt::TextShowMnemonic, m_hotkey_caption);
    painter.restore();
  }

  // The bevel: top and left end one pixel short of the corners, right and
  // bottom run to them, so the far corners belong to the right/bottom lines.
  const QColor light = palette().color(QPalette::Light);
  const QColor dark = palette().color(QPalette::Dark);
  const QColor& top_left = m_sunken ? dark : light;
  const QColor& bottom_right = m_sunken ? light : dark;
  painter.fillRect(QRect(0, 0, w - 1, 1), top_left);      // lineTop
  painter.fillRect(QRect(0, 0, 1, h - 1), top_left);      // lineLeft
  painter.fillRect(QRect(w - 1, 0, 1, h), bottom_right);  // lineRight
  painter.fillRect(QRect(0, h - 1, w, 1), bottom_right);  // lineBottom
}

void LiteBtnCtrl::mouseMoveEvent(QMouseEvent*) {
  if (m_hovering) return;
  m_face_role = QPalette::ToolTipBase;
  redraw(false);
  m_hovering = true;
  m_hover_timer.start();
  emit MouseOver();
}

void LiteBtnCtrl::mousePressEvent(QMouseEvent*) {
  m_sunken = true;
  redraw(true);
}

void LiteBtnCtrl::mouseReleaseEvent(QMouseEvent*) {
  // Qt keeps sending the mouse to the widget that took the press, so a
  // release anywhere on the screen lands here, as the button expects.
  m_sunken = false;
  redraw(false);
  emit Click();
}

bool LiteBtnCtrl::is_mouse_over() const {
  const QWidget* under = m_pointer_probe ? m_pointer_probe() : QApplication::widgetAt(QCursor::pos());
  return under == this;
}

void LiteBtnCtrl::hover_tick() {
  if (is_mouse_over()) return;
  m_hover_timer.stop();
  m_hovering = false;
  m_face_role = QPalette::Button;
  redraw(false);
  emit MouseLeave();
}
