#include "itemcard/panel_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdint>

namespace itemcard {
namespace {

const QColor kBronze(122, 88, 42);
const QColor kGold(206, 166, 78);
const QColor kShade(6, 5, 4);

// A little grain so the panel does not look flat; fixed, so every run draws
// the same picture.
void add_grain(QImage& img) {
  std::uint32_t seed = 0x2545F491u;
  for (int y = 0; y < img.height(); ++y) {
    uchar* row = img.scanLine(y);
    for (int x = 0; x < img.width(); ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int delta = static_cast<int>((seed >> 24) % 7) - 3;
      for (int c = 0; c < 3; ++c) {
        const int v = row[x * 3 + c] + delta;
        row[x * 3 + c] = static_cast<uchar>(v < 0 ? 0 : (v > 255 ? 255 : v));
      }
    }
  }
}

void diamond(QPainter& p, QPointF centre, qreal r, const QColor& fill) {
  QPainterPath path;
  path.moveTo(centre.x(), centre.y() - r);
  path.lineTo(centre.x() + r, centre.y());
  path.lineTo(centre.x(), centre.y() + r);
  path.lineTo(centre.x() - r, centre.y());
  path.closeSubpath();
  p.fillPath(path, fill);
  p.setPen(QPen(kShade, 0.8));
  p.drawPath(path);
}

// A flourish in one corner: a quarter ring and a diamond, mirrored by sx, sy.
void corner(QPainter& p, QPointF at, qreal sx, qreal sy) {
  p.save();
  p.translate(at);
  p.scale(sx, sy);
  p.setPen(QPen(kGold, 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(-7, -7, 18, 18), 270 * 16, 90 * 16);
  p.drawLine(QPointF(3, 9), QPointF(13, 9));
  p.drawLine(QPointF(9, 3), QPointF(9, 13));
  diamond(p, QPointF(5.5, 5.5), 3, kGold);
  p.restore();
}

QImage make_panel() {
  QImage img(kPanelWidth, kPanelHeight, QImage::Format_RGB888);
  {
    QPainter p(&img);
    QLinearGradient base(0, 0, 0, kPanelHeight);
    base.setColorAt(0.0, QColor(38, 31, 26));
    base.setColorAt(0.16, QColor(27, 22, 19));
    base.setColorAt(1.0, QColor(13, 11, 10));
    p.fillRect(img.rect(), base);
    QRadialGradient glow(QPointF(kPanelWidth / 2.0, 150), 240);
    glow.setColorAt(0.0, QColor(60, 44, 26, 70));
    glow.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(img.rect(), glow);
  }
  add_grain(img);

  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);

  // Frame: a heavy bronze edge, a dark groove and a thin gold line inside.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kBronze, 3));
  p.drawRect(QRectF(1.5, 1.5, kPanelWidth - 3, kPanelHeight - 3));
  p.setPen(QPen(kShade, 1));
  p.drawRect(QRectF(3.5, 3.5, kPanelWidth - 7, kPanelHeight - 7));
  p.setPen(QPen(kGold, 1));
  p.drawRect(QRectF(5.5, 5.5, kPanelWidth - 11, kPanelHeight - 11));

  corner(p, QPointF(5.5, 5.5), 1, 1);
  corner(p, QPointF(5.5, kPanelHeight - 5.5), 1, -1);
  corner(p, QPointF(kPanelWidth - 5.5, kPanelHeight - 5.5), -1, -1);
  // The top right corner holds the closing glyph instead.

  // Divider under the name area, fading out at both ends.
  QLinearGradient fade(14, 0, kPanelWidth - 14, 0);
  fade.setColorAt(0.0, QColor(206, 166, 78, 0));
  fade.setColorAt(0.2, kGold);
  fade.setColorAt(0.8, kGold);
  fade.setColorAt(1.0, QColor(206, 166, 78, 0));
  p.setPen(QPen(QBrush(fade), 1.4));
  p.drawLine(QPointF(14, 45), QPointF(kPanelWidth - 14, 45));
  p.setPen(QPen(QColor(0, 0, 0, 160), 1));
  p.drawLine(QPointF(14, 46.5), QPointF(kPanelWidth - 14, 46.5));
  diamond(p, QPointF(kPanelWidth / 2.0, 45), 4, kGold);

  // Closing glyph: a ringed disc with a cross.
  const QRectF glyph = close_glyph_rect();
  QRadialGradient disc(glyph.center(), glyph.width() / 2);
  disc.setColorAt(0.0, QColor(90, 30, 22));
  disc.setColorAt(1.0, QColor(40, 12, 10));
  p.setBrush(disc);
  p.setPen(QPen(kGold, 1.4));
  p.drawEllipse(glyph);
  p.setPen(QPen(kGold, 2, Qt::SolidLine, Qt::RoundCap));
  const QRectF cross = glyph.adjusted(5.5, 5.5, -5.5, -5.5);
  p.drawLine(cross.topLeft(), cross.bottomRight());
  p.drawLine(cross.topRight(), cross.bottomLeft());
  return img;
}

}  // namespace

QRect close_glyph_rect() { return QRect(428, 7, 17, 17); }

const QImage& panel_picture() {
  static const QImage picture = make_panel();
  return picture;
}

}  // namespace itemcard
