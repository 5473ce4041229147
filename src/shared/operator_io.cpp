#include "shared/operator_io.h"

#include "platform/odbc.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <cstdlib>

QString app_title() { return QStringLiteral("KorvexLoot"); }

namespace {

// The window the operator was working in: a box is centred over it, and goes
// with it should it close meanwhile.
QWidget* owner_window() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

// The item search, the zone picker and the item card stay on top of other
// windows. A box that does not, or that the window manager keeps just above
// one window of the program, opens beneath them and takes the keyboard
// unseen. So every box stays on top, is the window manager's dialog for the
// whole program (transient for none of its windows, which makes it
// transient for the program's group), holds every window of the program until
// it is answered, and is raised and given the keyboard once it is shown.
void open_above_everything(QDialog& box) {
  // Modality first: a message box resets its window flags when it is set.
  box.setWindowModality(Qt::ApplicationModal);
  box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  box.winId();
  box.windowHandle()->setTransientParent(nullptr);
  QTimer::singleShot(0, &box, [&box] {
    box.raise();
    box.activateWindow();
  });
}

class ScreenIO final : public OperatorIO {
 public:
  void message(const QString& text) override {
    // On the heap: the owner deletes it should the owner itself go meanwhile.
    QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::NoIcon, app_title(), text, QMessageBox::Ok, owner_window());
    open_above_everything(*box);
    box->exec();
    delete box.data();
  }
  QString ask(const QString& prompt, const QString& default_answer) override {
    QPointer<QInputDialog> box = new QInputDialog(owner_window());
    box->setWindowTitle(app_title());
    box->setLabelText(prompt);
    box->setInputMode(QInputDialog::TextInput);
    box->setTextValue(default_answer);
    open_above_everything(*box);
    const bool ok = box->exec() == QDialog::Accepted && box;
    const QString answer = ok ? box->textValue() : QString();
    delete box.data();
    return answer;
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
