#pragma once
// Window layouts are given in twips (15 to a pixel at 96 dots per inch) and
// name Windows fonts; these helpers turn both into what this system has.

#include <QFont>
#include <QRect>
#include <QStringList>

// To the nearest pixel (6460 twips give 431).
constexpr int twips_to_px(int twips) { return (twips + 7) / 15; }

constexpr QRect twips_rect(int left, int top, int width, int height) {
  return QRect(twips_to_px(left), twips_to_px(top), twips_to_px(width), twips_to_px(height));
}

// "Times New Roman", or Liberation Serif (same metrics) where it is missing.
inline QFont times_new_roman(double points) {
  QFont f(QStringList{QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
  f.setPointSizeF(points);
  return f;
}

// "Comic Sans MS", or Comic Neue (fonts-comic-neue) where it is missing.
inline QFont comic_sans(double points) {
  QFont f(QStringList{QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue")});
  f.setPointSizeF(points);
  return f;
}

// The windows' default font, "MS Sans Serif" 8.25 pt, or Liberation Sans
// (Arial's metrics, close to it) where it is missing.
inline QFont ms_sans_serif(double points = 8.25) {
  QFont f(QStringList{QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans")});
  f.setPointSizeF(points);
  return f;
}
