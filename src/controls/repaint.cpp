#include "controls/repaint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QWidget>

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
