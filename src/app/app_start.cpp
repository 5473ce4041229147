#include "app/app_start.h"

#include "editor/korvexloot.h"
#include "platform/odbc.h"
#include "shared/operator_io.h"
#include "startwindow/splash.h"

#include <exception>

bool LootApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const db::Error& e) {
    if (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
    report_db_error(QStringLiteral("The last operation"), e);
  } catch (const std::exception& e) {
    if (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
    operator_io().message(QStringLiteral("The last operation failed: ") + QString::fromLocal8Bit(e.what()));
  }
  return false;
}

void open_main_window() {
  auto* main = new KorvexLoot();
  main->setAttribute(Qt::WA_DeleteOnClose);
  main->Form_Load();
  main->show();
}

int run_program(QApplication& app) {
  QApplication::setApplicationName(app_title());
  QApplication::setWindowIcon(program_icon());
  open_splash(&open_main_window);
  return app.exec();
}
