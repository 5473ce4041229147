#pragma once
class QApplication;
// Opens the start-up window and runs the program until it ends.
int run_program(QApplication& app);
