#pragma once
// Window layouts are given in twips (15 to a pixel at 96 dots per inch) and
// name Windows fonts; these helpers turn both into what this system has, and
// make the plain controls every window places: labels and text boxes, the
// hourglass of long operations, and the one window of a kind, brought to the
// front.

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QStringList>

class QLabel;
class QLineEdit;
class QWidget;

// To the nearest pixel (6460 twips give 431).
constexpr int twips_to_px(int twips) { return (twips + 7) / 15; }

constexpr QRect twips_rect(int left, int top, int width, int height) {
  return QRect(twips_to_px(left), twips_to_px(top), twips_to_px(width), twips_to_px(height));
}

// "Times New Roman", or Liberation Serif (same metrics) where it is missing.
inline QFont times_new_roman(double points) {
  QFont f(QStringList{QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
  f.setStyleHint(QFont::Serif);
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

// A label at `rect` (pixels) with its text at the top left. Without colours
// it takes its parent's; with them it fills its own background.
QLabel* make_label(QWidget* parent, const QString& name, const QString& text, const QRect& rect, const QFont& font);
QLabel* make_label(QWidget* parent, const QString& name, const QString& text, const QRect& rect, const QFont& font,
                   const QColor& text_colour, const QColor& back_colour);

// A one-line text box at `rect` (pixels); without a font it takes its
// parent's.
QLineEdit* make_text_box(QWidget* parent, const QString& name, const QString& text, const QRect& rect);
QLineEdit* make_text_box(QWidget* parent, const QString& name, const QString& text, const QRect& rect,
                         const QFont& font);

// The widget fills its background with white, whatever its parent shows.
void make_white(QWidget* widget);

// Shows the window (when hidden) in front of the others, with the focus.
void bring_to_front(QWidget& window);

// The hourglass over the whole program until the scope ends, however it
// ends; release() brings the default pointer back early (before a message is
// shown).
class WaitPointer {
 public:
  WaitPointer();
  ~WaitPointer() { release(); }
  WaitPointer(const WaitPointer&) = delete;
  WaitPointer& operator=(const WaitPointer&) = delete;
  void release();

 private:
  bool on_ = true;
};

// Where the one window of type T is kept: empty until it is made, and again
// once it is deleted. Windows whose object outlives their close (their own
// values survive it) are made once and never deleted.
template <class T>
QPointer<T>& single_window() {
  static QPointer<T> window;
  return window;
}
