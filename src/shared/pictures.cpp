#include "shared/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

QPixmap korvexloot_picture() {
  // A treasure chest spilling coins, on a dark red ground.
  QPixmap picture(240, 210);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient ground(QPointF(120, 105), 150);
  ground.setColorAt(0, QColor(110, 20, 20));
  ground.setColorAt(1, QColor(20, 0, 0));
  p.fillRect(picture.rect(), ground);

  const QColor wood(110, 62, 24), wood_dark(70, 36, 12), gold(230, 190, 70), gold_dark(160, 120, 30);
  QPainterPath lid;
  lid.moveTo(40, 95);
  lid.cubicTo(40, 45, 200, 45, 200, 95);
  lid.closeSubpath();
  p.setPen(QPen(wood_dark, 3));
  p.setBrush(wood);
  p.drawPath(lid);
  p.drawRect(QRectF(40, 95, 160, 75));
  p.setBrush(gold_dark);
  p.setPen(QPen(gold, 2));
  for (const int x : {56, 174}) p.drawRect(QRectF(x, 62, 10, 108));
  p.drawRect(QRectF(40, 92, 160, 8));
  p.setBrush(gold);
  p.drawRoundedRect(QRectF(108, 104, 24, 30), 4, 4);
  p.setBrush(wood_dark);
  p.drawEllipse(QRectF(116, 112, 8, 8));
  // Coins in front of the chest.
  const QPointF coins[] = {{30, 182}, {52, 190}, {76, 184}, {164, 186}, {188, 180}, {210, 190}, {176, 196}};
  for (const QPointF& c : coins) {
    p.setBrush(gold);
    p.setPen(QPen(gold_dark, 2));
    p.drawEllipse(c, 11, 7);
  }
  return picture;
}
