#pragma once
// Progress labels of long loops: the loops never return to the event loop
// until they end, so they repaint the label themselves after every change.
// Repainting on every row would slow a 100,000-row load down; about 30
// repaints a second are enough for the operator to see the count move.

#include <QElapsedTimer>

#include <cstddef>

class QWidget;

// Repaints `w` at once (QWidget::repaint) unless it was repainted through
// these functions less than about 1/30 s ago.
void repaint_throttled(QWidget* w);
// Repaints `w` at once whatever the time; loops call it after their last
// change so the final text is on screen.
void repaint_now(QWidget* w);

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
