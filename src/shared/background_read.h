#pragma once
// Reading a large result on a worker thread while the window stays painted.
// The driver receives a whole result in one blocking call, a second and more
// for a million rows; on the user-interface thread that froze the window.
//
// Meanwhile this thread only repaints and puts the program's windows back on
// screen (an area another window uncovered is redrawn): it handles no event
// (no input, no timer, no request of the window system), so the handler
// that started the read still runs to its end before anything else happens,
// as every handler does.

#include "controls/repaint.h"
#include "platform/odbc.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>

class QLabel;
class QWidget;

// Runs `work` on a thread of its own and returns when it has ended, throwing
// what it threw; meanwhile repaints `painted` about 30 times a second and
// keeps the windows on screen (refresh_windows_throttled). `work` must not
// touch widgets.
void run_painted(const std::function<void()>& work, QWidget& painted);
// The same, with `label` saying `phase` meanwhile (as PhaseLabel shows it);
// what it says afterwards is the caller's.
void run_painted(const std::function<void()>& work, QLabel& label, const QString& phase);

// execute_sql through run_painted, for a statement that may take seconds on a
// large world: sql_text is written here, on the window's thread, and the
// worker only runs the statement.
void execute_sql_painted(const QString& statement, QWidget& painted);
void execute_sql_painted(const QString& statement, QLabel& label, const QString& phase);

// A result read block by block into `rows` on a worker thread, while this
// thread counts the rows read in a progress label ("<prefix>k/<count>", as
// ProgressLabel shows it, once for every row and in order). The read goes
// through this object: pass it as the RowReader of ResultSet::read.
class BackgroundRead : public db::RowReader {
 public:
  // `first_shown` is the number the label shows for the first row: 0 when
  // it counts the rows before the one being read, 1 when it counts that row.
  BackgroundRead(db::RowReader& rows, QLabel& label, QString prefix, int first_shown, QWidget& repainted,
                 const std::function<void(const QString&)>* observer = nullptr);

  // The label says `text` (as PhaseLabel shows it) from the start of run()
  // until the row count is known: the server's work and the transfer of the
  // whole result come before it. When no progress text follows (no rows, or
  // a failure), the label gets back the text it had.
  void show_while_waiting(QString text) { waiting_ = std::move(text); }

  // Runs `read` on a thread of its own. `counted` runs on this thread once
  // the result's row count is known, before the first progress text.
  void run(const std::function<void()>& read, const std::function<void(int rows)>& counted);

  // On the worker thread.
  void begin(int rows) override;
  void take(const db::RowBlock& block) override;

 private:
  // On this thread: the progress texts of the rows read since the last call.
  void catch_up();

  db::RowReader& rows_;
  QLabel& label_;
  const QString prefix_;
  const int first_shown_;
  QWidget& repainted_;
  const std::function<void(const QString&)>* observer_;
  const std::function<void(int)>* counted_ = nullptr;
  std::atomic<int> total_{-1};
  std::atomic<int> read_{0};
  std::optional<ProgressLabel> progress_;
  QString waiting_;
  std::optional<PhaseLabel> phase_;
  int shown_ = 0;
};
