#pragma once
// The two texts of the item card: the name line and the card text. Both draw
// over the panel without a background of their own. A text that fits looks
// as a plain label shows it; one that does not is still read whole.

#include <QFont>
#include <QLabel>

class QScrollBar;
class QTextLayout;

namespace itemcard {

// Point size of the card text, the smallest the name line takes on one line.
inline constexpr qreal kCardTextPointSize = 8.25;

// The card text. Lines wrap at blanks, and a run without blanks wider than
// the card (a long slot list) is broken where it meets the edge. When the
// text is taller than the card, a vertical scroll bar at its right edge
// (there only then) brings every line into view; the mouse wheel turns it.
class CardText final : public QLabel {
 public:
  explicit CardText(QWidget* parent = nullptr);

  // QLabel::setText, then the scroll bar is shown or hidden for the new text
  // and set back to its top. Call it through this class: QLabel's own
  // setText is not virtual.
  void setText(const QString& text);
  QScrollBar* scroll_bar() const { return bar_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // The text as drawn: CR LF as one line end.
  QString shown_text() const;
  // Height of the text laid out in `width` pixels, as drawing lays it out.
  qreal text_height(qreal width) const;
  void fit();

  QScrollBar* bar_;
  qreal scrolled_height_ = 0;  // height of the text beside the scroll bar
};

// The name line. When it is wider than the label it is drawn whole in a
// smaller type on the label's baseline, down to the card text's size; a line
// still too wide then takes two lines of the label's height.
class NameLine final : public QLabel {
 public:
  using QLabel::QLabel;

  // How the current text is drawn: the font, and whether on two lines.
  struct Look {
    QFont font;
    bool two_lines = false;
  };
  Look look() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Lays the text out in the label's width; true when it takes at most two
  // lines that fit the label's height.
  bool lay_out_two_lines(QTextLayout& layout) const;
};

}  // namespace itemcard
