#include "startup/app_start.h"

#include "startup/operator_io.h"
#include "startup/splash.h"

#include <QApplication>

int run_program(QApplication& app) {
  QApplication::setApplicationName(app_title());
  QApplication::setWindowIcon(program_icon());
  open_splash();
  return app.exec();
}
