#pragma once
// Progress labels of long loops: the loops never return to the event loop
// until they end, so they repaint the label themselves after every change.
// Repainting on every row would slow a 100,000-row load down; about 30
// repaints a second are enough for the operator to see the count move.

#include <QElapsedTimer>
#include <QString>

#include <cstddef>
#include <functional>

class QLabel;
class QWidget;

// Repaints `w` at once (QWidget::repaint) unless it was repainted through
// these functions less than about 1/30 s ago.
void repaint_throttled(QWidget* w);
// Repaints `w` at once whatever the time; loops call it after their last
// change so the final text is on screen.
void repaint_now(QWidget* w);

// Puts the picture last painted of every shown window of the program back
// on screen, unless that was done less than about 1/10 s ago. While a
// handler runs, the window system's requests to redraw (an area that
// another window uncovered) wait for its end with every other event; this
// answers them meanwhile without handling any event, so nothing can run in
// the middle of the handler.
void refresh_windows_throttled();

// The size of the next chunk of a long write made in chunks, so that the
// loop can repaint its label between them: each chunk is sized to take about
// a tenth of a second on this server, starting at `first` and never outside
// [least, most].
class ChunkPacer {
 public:
  ChunkPacer(std::size_t first, std::size_t least, std::size_t most);
  std::size_t size() const { return size_; }
  // A chunk of size() was written: size() adapts to the time it took.
  void done();

 private:
  std::size_t size_, least_, most_;
  QElapsedTimer clock_;
};

// The text of a phase with nothing to count (one long statement): `text`,
// and from 0.3 s on the seconds it has taken ("... 1.3 s"), so the operator
// sees the program is alive. tick() as often as convenient.
class PhaseLabel {
 public:
  PhaseLabel(QLabel& label, QString text, QWidget& repainted);
  void tick();

 private:
  QLabel& label_;
  const QString text_;
  QWidget& repainted_;
  QElapsedTimer clock_;
  qint64 shown_tenths_ = 0;
};

// The progress text of a long loop, the prefix followed by "k/count". The
// label's text is set only when a paint is due (about 30 a second): nobody
// sees it in between, and setting it on each of 100,000 rows costs more than
// reading them. The last step's text is always shown. `repainted` is what
// is repainted: the label, or the window that holds it.
class ProgressLabel {
 public:
  // `observer`, when given and set, sees every step's text (tests).
  ProgressLabel(QLabel& label, QString prefix, int count, QWidget& repainted,
                const std::function<void(const QString&)>* observer = nullptr);
  void show(int k);

 private:
  QString text(int k) const;

  QLabel& label_;
  const QString prefix_;
  const int count_;
  const QString of_count_;
  QWidget& repainted_;
  const std::function<void(const QString&)>* observer_;
  QElapsedTimer clock_;
  bool painted_ = false;
  qint64 painted_at_ = 0;
};
