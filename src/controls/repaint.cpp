#include "controls/repaint.h"

#include <QLabel>

#include <QApplication>
#include <QBackingStore>
#include <QElapsedTimer>
#include <QHash>
#include <QRegion>
#include <QWidget>
#include <QWindow>

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

void refresh_windows_throttled() {
  constexpr qint64 kRefreshMs = 100;
  static qint64 refreshed_at = -kRefreshMs;
  const qint64 now = since_start().elapsed();
  if (now - refreshed_at < kRefreshMs) return;
  refreshed_at = now;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isVisible() || w->isMinimized()) continue;
    QWindow* window = w->windowHandle();
    QBackingStore* store = w->backingStore();
    // A window not painted yet has no picture of its size to put back.
    if (window == nullptr || store == nullptr || !window->isExposed() || store->size() != w->size()) continue;
    store->flush(QRegion(w->rect()), window);
  }
}

PhaseLabel::PhaseLabel(QLabel& label, QString text, QWidget& repainted)
    : label_(label), text_(std::move(text)), repainted_(repainted) {
  clock_.start();
  label_.setText(text_);
  repaint_now(&repainted_);
}

void PhaseLabel::tick() {
  const qint64 tenths = clock_.elapsed() / 100;
  // Shorter phases pass without a count.
  if (tenths < 3 || tenths == shown_tenths_) return;
  shown_tenths_ = tenths;
  label_.setText(text_ + u' ' + QString::number(static_cast<double>(tenths) / 10, 'f', 1) + QStringLiteral(" s"));
  repaint_now(&repainted_);
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

ProgressLabel::ProgressLabel(QLabel& label, QString prefix, int count, QWidget& repainted,
                             const std::function<void(const QString&)>* observer)
    : label_(label),
      prefix_(std::move(prefix)),
      count_(count),
      of_count_(u'/' + QString::number(count)),
      repainted_(repainted),
      observer_(observer) {
  clock_.start();
}

QString ProgressLabel::text(int k) const { return prefix_ + QString::number(k) + of_count_; }

void ProgressLabel::show(int k) {
  if (observer_ != nullptr && *observer_) (*observer_)(text(k));
  const bool last = k == count_;
  // Reading the clock on every row would cost more than the row.
  if (!last && painted_ && (k & 63) != 0) return;
  const qint64 now = clock_.elapsed();
  if (!last && painted_ && now - painted_at_ < 33) return;
  painted_ = true;
  painted_at_ = now;
  label_.setText(text(k));
  repaint_now(&repainted_);
}
