// The loot editor starts on its start-up window.
#include "startup/app_start.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return run_program(app);
}
