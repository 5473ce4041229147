#include "startup/operator_io.h"

#include "platform/odbc.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <cstdlib>

QString app_title() { return QStringLiteral("KorvexLoot"); }

namespace {

class ScreenIO final : public OperatorIO {
 public:
  void message(const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, app_title(), text, QMessageBox::Ok);
    box.exec();
  }
  QString ask(const QString& prompt, const QString& default_answer) override {
    bool ok = false;
    const QString answer = QInputDialog::getText(nullptr, app_title(), prompt, QLineEdit::Normal, default_answer, &ok);
    return ok ? answer : QString();
  }
  [[noreturn]] void end_program() override {
    // At once, as the settings check demands: no window's close handling.
    std::_Exit(0);
  }
};

ScreenIO screen_io;
OperatorIO* current = nullptr;

}  // namespace

OperatorIO& operator_io() { return current ? *current : screen_io; }

void set_operator_io(OperatorIO* io) { current = io; }

QString db_error_text(const QString& what, const db::Error& error) {
  return what + QStringLiteral(" failed: the database answered:\n\n") + error.message();
}

void report_db_error(const QString& what, const db::Error& error) { operator_io().message(db_error_text(what, error)); }
