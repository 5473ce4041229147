#include "shared/background_read.h"

#include "platform/worker.h"
#include "shared/shared.h"

#include <QLabel>
#include <QWidget>

#include <algorithm>

void run_painted(const std::function<void()>& work, QWidget& painted) {
  // A loop of short statements never waits long enough for the ticks below.
  refresh_windows_throttled();
  worker::run(work, [&] {
    repaint_throttled(&painted);
    refresh_windows_throttled();
  });
}

void run_painted(const std::function<void()>& work, QLabel& label, const QString& phase) {
  PhaseLabel shown(label, phase, label);
  refresh_windows_throttled();
  worker::run(work, [&] {
    shown.tick();
    refresh_windows_throttled();
  });
}

void execute_sql_painted(const QString& statement, QWidget& painted) {
  sql_text = statement;
  run_painted([&statement] { db_conn.execute(statement); }, painted);
}

void execute_sql_painted(const QString& statement, QLabel& label, const QString& phase) {
  sql_text = statement;
  run_painted([&statement] { db_conn.execute(statement); }, label, phase);
}

BackgroundRead::BackgroundRead(db::RowReader& rows, QLabel& label, QString prefix, int first_shown, QWidget& repainted,
                               const std::function<void(const QString&)>* observer)
    : rows_(rows),
      label_(label),
      prefix_(std::move(prefix)),
      first_shown_(first_shown),
      repainted_(repainted),
      observer_(observer) {}

void BackgroundRead::begin(int rows) {
  rows_.begin(rows);
  read_.store(0);
  total_.store(rows);
}

void BackgroundRead::take(const db::RowBlock& block) {
  rows_.take(block);
  read_.fetch_add(block.size());
}

void BackgroundRead::run(const std::function<void()>& read, const std::function<void(int)>& counted) {
  counted_ = &counted;
  const QString before = label_.text();
  if (!waiting_.isEmpty()) phase_.emplace(label_, waiting_, repainted_);
  const auto restore = [&] {
    if (phase_ && shown_ == 0) {
      label_.setText(before);
      repaint_now(&repainted_);
    }
    phase_.reset();
    counted_ = nullptr;
  };
  try {
    worker::run(read, [this] { catch_up(); });
    catch_up();
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void BackgroundRead::catch_up() {
  const int total = total_.load();
  if (total >= 0 && !progress_) {
    (*counted_)(total);
    progress_.emplace(label_, prefix_, total, repainted_, observer_);
  }
  // A read that starts over counts from 0 again; what was shown stays.
  const int read = std::min(read_.load(), std::max(total, 0));
  for (; shown_ < read; ++shown_) progress_->show(shown_ + first_shown_);
  if (phase_ && !progress_) phase_->tick();
  repaint_throttled(&repainted_);
  refresh_windows_throttled();
}
