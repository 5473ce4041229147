#pragma once
// The start-up window: a picture, the version label and "Let's Start", with
// the start-up music playing while it is open.

#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include <functional>

class LiteBtnCtrl;
class QLabel;

class Splash : public QWidget {
  Q_OBJECT

 public:
  // Builds the window and its controls; Form_Load is run by open_splash.
  // `open_main` loads and shows the main window; the program's start hands
  // it over, since the main window lives above this one.
  explicit Splash(std::function<void()> open_main, QWidget* parent = nullptr);

  // Reads the settings (a bad db.ini ends the program here, before anything
  // is shown) and starts the music.
  void Form_Load();
  // Stops and releases the music, closes this window, then loads and shows
  // the main window.
  void go_Click();

  // Closed by the window system before "Let's Start" (Alt+F4): no other
  // window exists yet, so the program ends, as with its last window. Public
  // so the close can be driven without a window system.
  void closeEvent(QCloseEvent* event) override;

  LiteBtnCtrl* go = nullptr;
  QLabel* Label1 = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap background_;
  std::function<void()> open_main_;
  bool main_opened_ = false;
};

// The background picture of the start-up window, 452 x 350 pixels.
QPixmap splash_picture();
// The program's icon: the emblem of the start-up picture.
QIcon program_icon();

// Makes the start-up window, runs its load step and shows it. The window
// deletes itself when it is closed; "Let's Start" calls `open_main`.
Splash* open_splash(std::function<void()> open_main);
