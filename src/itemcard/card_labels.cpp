#include "itemcard/card_labels.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>
#include <QWheelEvent>
#include <cmath>

namespace itemcard {
namespace {

constexpr qreal kSmallestNamePointSize = 6;

QTextOption card_option() {
  QTextOption option(Qt::AlignLeft | Qt::AlignTop);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  return option;
}

}  // namespace

// ------------------------------------------------------------------ CardText

CardText::CardText(QWidget* parent) : QLabel(parent), bar_(new QScrollBar(Qt::Vertical, this)) {
  bar_->hide();
  connect(bar_, &QScrollBar::valueChanged, this, [this] { update(); });
}

void CardText::setText(const QString& text) {
  QLabel::setText(text);
  fit();
  bar_->setValue(0);
}

QString CardText::shown_text() const { return QString(text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

qreal CardText::text_height(qreal width) const {
  // Laid out by the same routine that draws it, on a surface of the label's
  // resolution.
  const qreal ratio = devicePixelRatioF();
  QImage surface(QSize(1, 1) * ratio, QImage::Format_ARGB32_Premultiplied);
  surface.setDevicePixelRatio(ratio);
  surface.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
  surface.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
  QPainter p(&surface);
  p.setFont(font());
  // The line end that closes the card's last line starts no line to read.
  QString lines = shown_text();
  while (lines.endsWith(u'\n')) lines.chop(1);
  return p.boundingRect(QRectF(0, 0, width, contentsRect().height()), lines, card_option()).height();
}

void CardText::fit() {
  const QRect area = contentsRect();
  if (text_height(area.width()) <= area.height()) {
    bar_->hide();
    update();
    return;
  }
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, bar_);
  scrolled_height_ = text_height(area.width() - extent);
  bar_->setGeometry(area.right() + 1 - extent, area.top(), extent, area.height());
  bar_->setPageStep(area.height());
  bar_->setSingleStep(fontMetrics().lineSpacing());
  bar_->setRange(0, std::max(0, static_cast<int>(std::ceil(scrolled_height_)) - area.height()));
  bar_->show();
  update();
}

void CardText::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(palette().color(QPalette::WindowText));
  QRectF area(contentsRect());
  if (bar_->isHidden()) {
    p.drawText(area, shown_text(), card_option());
    return;
  }
  area.setWidth(area.width() - bar_->width());
  p.setClipRect(area);
  // A rectangle taller than the text, so that no line is left out.
  p.drawText(QRectF(area.left(), area.top() - bar_->value(), area.width(), scrolled_height_ + area.height()),
             shown_text(), card_option());
}

void CardText::wheelEvent(QWheelEvent* event) {
  if (bar_->isHidden()) {
    QLabel::wheelEvent(event);
    return;
  }
  QCoreApplication::sendEvent(bar_, event);
}

void CardText::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  fit();
}

void CardText::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) fit();
}

// ------------------------------------------------------------------ NameLine

bool NameLine::lay_out_two_lines(QTextLayout& layout) const {
  QTextOption option(alignment());
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  const QRect area = contentsRect();
  qreal height = 0;
  int lines = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(area.width());
    line.setPosition(QPointF(0, height));
    height += line.height();
    ++lines;
  }
  layout.endLayout();
  return lines <= 2 && height <= area.height();
}

NameLine::Look NameLine::look() const {
  const qreal width = contentsRect().width();
  Look look{font(), false};
  if (QFontMetricsF(look.font, this).horizontalAdvance(text()) <= width) return look;
  for (qreal size = font().pointSizeF() - 0.25; size >= kSmallestNamePointSize; size -= 0.25) {
    look.font.setPointSizeF(size);
    if (size >= kCardTextPointSize) {
      if (QFontMetricsF(look.font, this).horizontalAdvance(text()) <= width) return look;
      continue;
    }
    look.two_lines = true;
    QTextLayout layout(text(), look.font, this);
    if (lay_out_two_lines(layout)) return look;
  }
  return look;
}

void NameLine::paintEvent(QPaintEvent* event) {
  const Look shown = look();
  if (shown.font == font()) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter p(this);
  p.setPen(palette().color(foregroundRole()));
  const QRectF area(contentsRect());
  if (shown.two_lines) {
    p.setClipRect(area);
    QTextLayout layout(text(), shown.font, this);
    lay_out_two_lines(layout);
    layout.draw(&p, area.topLeft());
    return;
  }
  // On the baseline the label's own type stands on.
  p.setFont(shown.font);
  p.drawText(QPointF(area.left(), area.top() + QFontMetricsF(font(), this).ascent()), text());
}

}  // namespace itemcard
