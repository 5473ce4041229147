#pragma once
// Every message to the operator, every question and the end of the program go
// through this one interface, so that handlers can run without a screen and
// tests can see what the operator would have seen.

#include <QString>

namespace db {
class Error;
}

// The title that captions every message box and input box of the program.
QString app_title();

class OperatorIO {
 public:
  virtual ~OperatorIO() = default;
  // A plain message box with an OK button, captioned with the program's title.
  virtual void message(const QString& text) = 0;
  // A plain input box; Cancel gives an empty answer.
  virtual QString ask(const QString& prompt, const QString& default_answer = QString()) = 0;
  // Ends the program at once: no further window opens, no close handling runs.
  [[noreturn]] virtual void end_program() = 0;
};

// The interface in use; message boxes on screen unless a test replaced it.
OperatorIO& operator_io();
// Replace the interface (tests); nullptr puts the on-screen one back.
void set_operator_io(OperatorIO* io);

// Tells the operator that a database operation failed, with the server's own
// words. `what` names the operation ("Saving the lootdrop").
void report_db_error(const QString& what, const db::Error& error);
// The text of that message.
QString db_error_text(const QString& what, const db::Error& error);
