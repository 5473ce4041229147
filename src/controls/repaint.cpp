#include "controls/repaint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QWidget>

#include <algorithm>

namespace {

constexpr qint64 kMinIntervalMs = 33;

QElapsedTimer& since_start() {
  static QElapsedTimer timer = [] {
    QElapsedTimer started;
    started.start();
    return started;
  }();
  return timer;
}

// Time of the last repaint per widget; an entry goes with its widget.
QHash<const QObject*, qint64>& last_repaint() {
  static QHash<const QObject*, qint64> times;
  return times;
}

void repaint_and_note(QWidget* w, qint64 now) {
  auto& times = last_repaint();
  if (!times.contains(w)) {
    QObject::connect(w, &QObject::destroyed, QCoreApplication::instance(),
                     [](QObject* gone) { last_repaint().remove(gone); });
  }
  times.insert(w, now);
  w->repaint();
}

}  // namespace

void repaint_throttled(QWidget* w) {
  if (!w) return;
  const qint64 now = since_start().elapsed();
  const auto& times = last_repaint();
  const auto found = times.constFind(w);
  if (found != times.cend() && now - *found < kMinIntervalMs) return;
  repaint_and_note(w, now);
}

void repaint_now(QWidget* w) {
  if (w) repaint_and_note(w, since_start().elapsed());
}

ChunkPacer::ChunkPacer(std::size_t first, std::size_t least, std::size_t most)
    : size_(std::clamp(first, least, most)), least_(least), most_(most) {
  clock_.start();
}

void ChunkPacer::done() {
  constexpr double kChunkMs = 100;
  const auto took = static_cast<double>(std::max<qint64>(1, clock_.restart()));
  const auto now = static_cast<double>(size_);
  // At most doubled or halved at a time: one slow statement is no trend.
  const double wanted = std::clamp(now * kChunkMs / took, now / 2, now * 2);
  size_ = std::clamp(static_cast<std::size_t>(wanted), least_, most_);
}
