#include "startup/app_start.h"

#include "startup/operator_io.h"
#include "startup/settings.h"

#include <QApplication>

int run_program(QApplication& app) {
  QApplication::setApplicationName(app_title());
  read_db_ini();
  return app.exec();
}
