#pragma once
#include <QApplication>

// The program's application object. Every handler catches the database
// failures it expects; this is the last line behind them: a failure that
// still reaches the event loop is told to the operator and the program goes
// on, instead of Qt ending it.
class LootApplication : public QApplication {
 public:
  LootApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

// Makes the main window, runs its load step and shows it; it deletes itself
// when it is closed. What the start-up window's "Let's Start" ends with.
void open_main_window();

// Opens the start-up window and runs the program until it ends.
int run_program(QApplication& app);
