#include "app/app_start.h"
#include "controls/litebtnctrl.h"
#include "editor/korvexloot.h"
#include "shared/settings.h"
#include "shared/shared.h"
#include "startwindow/music_player.h"
#include "startwindow/splash.h"
#include "support/testdb.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using testing_support::DbTest;
using testing_support::ProgramEnded;

namespace {

template <class W>
QList<W*> windows_of_type() {
  QList<W*> out;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* t = qobject_cast<W*>(w)) out << t;
  return out;
}

// Records, at the moment the main window is shown, what the operator would
// see around it.
class ShowWatcher : public QObject {
 public:
  bool main_shown = false;
  bool splash_visible_then = true;
  std::int32_t own_lootdrop_then = -1;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<KorvexLoot*>(watched)) {
      main_shown = true;
      own_lootdrop_then = own_lootdrop_id;
      splash_visible_then = false;
      for (Splash* s : windows_of_type<Splash>()) splash_visible_then = splash_visible_then || s->isVisible();
    }
    return false;
  }
};

class StartupWindow : public DbTest {
 protected:
  void TearDown() override {
    for (KorvexLoot* w : windows_of_type<KorvexLoot>()) delete w;
    for (Splash* s : windows_of_type<Splash>()) delete s;
    music_player.reset();
    QDir::setCurrent(start_folder_);
    DbTest::TearDown();
  }
  // The data folder as the settings file would give it: "\" separators.
  void use_data_folder(const QString& folder) {
    db_settings.data_folder = QDir::toNativeSeparators(folder).replace(u'/', u'\\') + u'\\';
  }
  QString start_folder_ = QDir::currentPath();
  QTemporaryDir data_;
};

TEST_F(StartupWindow, BadSettingsEndTheProgramBeforeAnyWindowShows) {
  db_settings = DbSettings{};
  QTemporaryDir folder;
  QFile ini(folder.filePath(u"db.ini"_s));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("SERV=127.0.0.1\nUSER=loot\nPASSWORD=x\nDATABASE=lootworld\n");  // no fifth field
  ini.close();
  QDir::setCurrent(folder.path());
  EXPECT_THROW(open_splash(&open_main_window), ProgramEnded);
  EXPECT_EQ(io.messages, std::vector<QString>{u"DB.INI Invalid or Missing"_s});
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
  EXPECT_TRUE(windows_of_type<Splash>().isEmpty());
  EXPECT_EQ(music_player, nullptr);
}

TEST_F(StartupWindow, LetsStartWithoutMusicFileOpensTheLoadedMainWindow) {
  use_data_folder(data_.path());
  Splash* splash = open_splash(&open_main_window);
  EXPECT_TRUE(splash->isVisible());
  ASSERT_NE(music_player, nullptr);
  EXPECT_TRUE(music_player->file().isEmpty());

  ShowWatcher watcher;
  qApp->installEventFilter(&watcher);
  splash->go->Click();
  qApp->removeEventFilter(&watcher);

  EXPECT_EQ(music_player, nullptr);
  ASSERT_TRUE(watcher.main_shown);
  EXPECT_FALSE(watcher.splash_visible_then);
  EXPECT_EQ(watcher.own_lootdrop_then, 1);  // the load step ran before the window showed
  const auto mains = windows_of_type<KorvexLoot>();
  ASSERT_EQ(mains.size(), 1);
  EXPECT_TRUE(mains.first()->isVisible());
  EXPECT_EQ(mains.first()->counter->text(), u"Number of NPC's:  0"_s);
  EXPECT_TRUE(io.messages.empty());
  EXPECT_FALSE(io.ended);
}

TEST_F(StartupWindow, ClosedBeforeLetsStartItEndsTheProgram) {
  use_data_folder(data_.path());
  Splash* splash = open_splash(&open_main_window);
  QCloseEvent close;
  EXPECT_THROW(splash->closeEvent(&close), ProgramEnded);
  EXPECT_TRUE(windows_of_type<KorvexLoot>().isEmpty());
}

TEST_F(StartupWindow, UnplayableMusicIsFoundThroughBackslashPathsAndStaysHarmless) {
  QDir(data_.path()).mkdir(u"music"_s);
  const QString file = data_.filePath(u"music/deaththeme.mp3"_s);
  QFile mp3(file);
  ASSERT_TRUE(mp3.open(QIODevice::WriteOnly));
  mp3.write(QByteArray(4096, '\x5a'));
  mp3.close();
  use_data_folder(data_.filePath(u"music"_s));

  Splash splash(&open_main_window);
  splash.Form_Load();
  ASSERT_NE(music_player, nullptr);
  EXPECT_EQ(QFileInfo(music_player->file()).canonicalFilePath(), QFileInfo(file).canonicalFilePath());
  QCoreApplication::processEvents();
  splash.go_Click();
  EXPECT_EQ(music_player, nullptr);
  EXPECT_EQ(windows_of_type<KorvexLoot>().size(), 1);
}

TEST_F(StartupWindow, LayoutAndPicture) {
  Splash splash(&open_main_window);
  EXPECT_EQ(splash.windowTitle(), u"QUILLMARK"_s);
  EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(splash.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_EQ(splash.geometry(), QRect(687, 261, 470, 405));
  EXPECT_EQ(splash.go->geometry(), QRect(176, 352, 145, 33));
  EXPECT_EQ(splash.go->Caption(), u"Let's Start"_s);
  EXPECT_EQ(splash.go->CaptionStyle(), 1);
  EXPECT_EQ(splash.Label1->text(), u"V.3.55"_s);
  EXPECT_EQ(splash.Label1->geometry(), QRect(312, 320, 97, 25));

  const QImage shot = splash.grab().toImage();
  shot.save(QDir::temp().filePath(u"korvexloot_splash.png"_s));
  EXPECT_EQ(splash_picture().size(), QSize(452, 350));
  EXPECT_LT(shot.pixelColor(5, 5).lightness(), 60);  // the dark picture at the top left
  EXPECT_EQ(shot.pixelColor(465, 5), QColor(Qt::white));
  EXPECT_EQ(shot.pixelColor(20, 395), QColor(Qt::white));
}

}  // namespace
