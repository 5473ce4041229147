// The push button driven with real mouse events on the headless platform.
#include "controls/litebtnctrl.h"

#include <gtest/gtest.h>
#include <QCursor>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Distinct colours for every role the button may use, so a picture tells
// which role painted a pixel.
QPalette marked_palette() {
  QPalette palette;
  palette.setColor(QPalette::Button, QColor(200, 200, 200));
  palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 180));
  palette.setColor(QPalette::Light, QColor(255, 255, 255));
  palette.setColor(QPalette::Dark, QColor(90, 90, 90));
  palette.setColor(QPalette::ButtonText, QColor(0, 0, 0));
  return palette;
}

// A shown window holding one button away from the window's edges, so a
// pointer can be outside the button yet inside the window.
struct Host {
  QWidget window;
  LiteBtnCtrl* button;
  Host() {
    window.resize(300, 120);
    button = new LiteBtnCtrl(u"go"_s, &window);
    button->setPalette(marked_palette());
    button->setGeometry(50, 40, 160, 30);
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  QWindow* handle() { return window.windowHandle(); }
  QPoint inside() const { return button->geometry().center(); }
  static QPoint outside() { return {280, 110}; }
};

QImage picture(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

QRect inner(const QImage& image) { return image.rect().adjusted(1, 1, -1, -1); }

// Bounding box of the caption's pixels.
QRect text_box(const QImage& image) {
  QRect box;
  const QRect area = inner(image);
  const QColor face = image.pixelColor(area.center().x(), 2);
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixelColor(x, y) != face) box |= QRect(x, y, 1, 1);
  return box;
}

TEST(LiteBtnCtrlClick, ReleaseAwayFromTheButtonStillClicks) {
  Host host;
  QSignalSpy clicks(host.button, &LiteBtnCtrl::Click);
  QTest::mousePress(host.handle(), Qt::LeftButton, {}, host.inside());
  EXPECT_TRUE(host.button->sunken());
  EXPECT_EQ(clicks.count(), 0) << "a press alone does not click";
  QTest::mouseMove(host.handle(), Host::outside());
  QTest::mouseRelease(host.handle(), Qt::LeftButton, {}, Host::outside());
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_FALSE(host.button->sunken());
}

TEST(LiteBtnCtrlClick, HandlerFindsTheButtonRaisedOnScreen) {
  Host host;
  QColor corner_at_click;
  QObject::connect(host.button, &LiteBtnCtrl::Click, &host.window, [&] {
    // No event loop turn between the release and the handler.
    const QPoint at = host.button->pos();
    const QPixmap shown = host.window.screen()->grabWindow(host.window.winId(), at.x(), at.y(), 1, 1);
    corner_at_click = shown.toImage().pixelColor(0, 0);
  });
  QTest::mousePress(host.handle(), Qt::LeftButton, {}, host.inside());
  QTest::mouseRelease(host.handle(), Qt::LeftButton, {}, host.inside());
  EXPECT_EQ(corner_at_click, marked_palette().color(QPalette::Light));
}

TEST(LiteBtnCtrlClick, EveryMouseButtonClicksOncePerRelease) {
  Host host;
  QSignalSpy clicks(host.button, &LiteBtnCtrl::Click);
  for (const auto which : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
    QTest::mouseClick(host.handle(), which, {}, host.inside());
  EXPECT_EQ(clicks.count(), 3);
  // A double click is two releases.
  QTest::mouseDClick(host.handle(), Qt::LeftButton, {}, host.inside());
  EXPECT_EQ(clicks.count(), 5);
}

TEST(LiteBtnCtrlHover, StartsOnAMoveAndEndsOnTheFirstTickWithThePointerElsewhere) {
  Host host;
  QWidget* under_pointer = host.button;
  host.button->set_pointer_probe([&] { return under_pointer; });
  QSignalSpy over(host.button, &LiteBtnCtrl::MouseOver);
  QSignalSpy leave(host.button, &LiteBtnCtrl::MouseLeave);

  EXPECT_FALSE(host.button->hover_timer_running()) << "no polling at rest";
  QTest::mouseMove(host.handle(), host.inside());
  QTest::mouseMove(host.handle(), host.inside() + QPoint(3, 0));
  EXPECT_EQ(over.count(), 1) << "only the first move starts hovering";
  EXPECT_TRUE(host.button->hovering());
  EXPECT_TRUE(host.button->hover_timer_running());
  EXPECT_EQ(picture(host.button).pixelColor(20, 3), marked_palette().color(QPalette::ToolTipBase));

  QTest::qWait(60);  // several ticks with the pointer still over the button
  EXPECT_EQ(leave.count(), 0);

  under_pointer = &host.window;
  ASSERT_TRUE(leave.wait(200));
  EXPECT_EQ(leave.count(), 1);
  EXPECT_FALSE(host.button->hovering());
  EXPECT_FALSE(host.button->hover_timer_running());
  EXPECT_EQ(picture(host.button).pixelColor(20, 3), marked_palette().color(QPalette::Button));
}

TEST(LiteBtnCtrlHover, WhileHeldOutsideEachMoveTheButtonStillGetsHoversAgain) {
  Host host;
  QWidget* under_pointer = host.button;
  host.button->set_pointer_probe([&] { return under_pointer; });
  QSignalSpy over(host.button, &LiteBtnCtrl::MouseOver);
  QSignalSpy leave(host.button, &LiteBtnCtrl::MouseLeave);

  QTest::mousePress(host.handle(), Qt::LeftButton, {}, host.inside());
  under_pointer = &host.window;
  QTest::mouseMove(host.handle(), Host::outside());
  EXPECT_EQ(over.count(), 1) << "the held button keeps receiving moves";
  ASSERT_TRUE(leave.wait(200));
  EXPECT_TRUE(host.button->sunken()) << "leaving does not raise the lines";
  QTest::mouseMove(host.handle(), Host::outside() + QPoint(-5, 0));
  EXPECT_EQ(over.count(), 2);
  QTest::mouseRelease(host.handle(), Qt::LeftButton, {}, Host::outside());
  EXPECT_FALSE(host.button->sunken());
}

TEST(LiteBtnCtrlHover, RealPointerQueryFollowsTheCursor) {
  Host host;
  QCursor::setPos(host.window.mapToGlobal(host.inside()));
  if (QCursor::pos() != host.window.mapToGlobal(host.inside()))
    GTEST_SKIP() << "this platform cannot place the pointer";
  QSignalSpy leave(host.button, &LiteBtnCtrl::MouseLeave);
  QTest::mouseMove(host.handle(), host.inside());
  ASSERT_TRUE(host.button->hovering());
  QTest::qWait(50);
  EXPECT_EQ(leave.count(), 0);
  QCursor::setPos(host.window.mapToGlobal(Host::outside()));
  ASSERT_TRUE(leave.wait(200));
}

TEST(LiteBtnCtrlLook, RaisedAndSunkenBevelsUseThePalette) {
  Host host;
  const QPalette palette = marked_palette();
  const QColor light = palette.color(QPalette::Light);
  const QColor dark = palette.color(QPalette::Dark);

  QTest::mouseMove(host.handle(), host.inside());  // hovering from here on
  const QImage rest = picture(host.button);
  const int r = rest.width() - 1;
  const int b = rest.height() - 1;
  EXPECT_EQ(rest.pixelColor(0, 0), light);
  EXPECT_EQ(rest.pixelColor(r - 1, 0), light);
  EXPECT_EQ(rest.pixelColor(0, b - 1), light);
  // The right and bottom lines own the far corners.
  EXPECT_EQ(rest.pixelColor(r, 0), dark);
  EXPECT_EQ(rest.pixelColor(0, b), dark);
  EXPECT_EQ(rest.pixelColor(r, b), dark);
  EXPECT_EQ(rest.pixelColor(1, 1), palette.color(QPalette::ToolTipBase));

  QTest::mousePress(host.handle(), Qt::LeftButton, {}, host.inside());
  const QImage sunken = picture(host.button);
  EXPECT_EQ(sunken.pixelColor(0, 0), dark);
  EXPECT_EQ(sunken.pixelColor(r - 1, 0), dark);
  EXPECT_EQ(sunken.pixelColor(r, 0), light);
  EXPECT_EQ(sunken.pixelColor(0, b), light);
  EXPECT_EQ(sunken.pixelColor(r, b), light);
  QTest::mouseRelease(host.handle(), Qt::LeftButton, {}, host.inside());
  EXPECT_EQ(picture(host.button), rest);
}

TEST(LiteBtnCtrlLook, PressedCaptionMovesOnePixelUntilTheNextRepaint) {
  Host host;
  host.button->setCaption(u"Basic Search"_s);
  // What the window shows, not a fresh rendering of the button.
  const auto on_screen = [&] {
    QCoreApplication::processEvents();
    return host.window.screen()
        ->grabWindow(host.window.winId(), host.button->x(), host.button->y(), host.button->width(),
                     host.button->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  };
  const QImage rest = on_screen();
  QTest::mousePress(host.handle(), Qt::LeftButton, {}, host.inside());
  const QImage pressed = on_screen();
  EXPECT_GT(text_box(rest).width(), 20);
  EXPECT_EQ(text_box(pressed), text_box(rest).translated(1, 1));

  // A repaint that the button did not ask for draws the caption at rest; the
  // lines stay sunken while the mouse button is held.
  host.button->repaint();
  const QImage repainted = on_screen();
  EXPECT_EQ(text_box(repainted), text_box(rest));
  EXPECT_EQ(repainted.pixelColor(0, 0), marked_palette().color(QPalette::Dark));
  QTest::mouseRelease(host.handle(), Qt::LeftButton, {}, host.inside());
}

TEST(LiteBtnCtrlLook, CaptionStylesLayTheTextOut) {
  LiteBtnCtrl button(u"b"_s);
  button.setPalette(marked_palette());
  button.resize(200, 80);
  button.setCaption(u"Item Search"_s);

  button.setCaptionStyle(0);
  const QRect left = text_box(picture(&button));
  button.setCaptionStyle(1);
  const QRect centred = text_box(picture(&button));
  button.setCaptionStyle(2);
  const QRect top = text_box(picture(&button));

  EXPECT_GE(left.left(), 5);
  EXPECT_LE(left.left(), 7);
  EXPECT_NEAR(centred.center().x(), 100, 3);
  EXPECT_NEAR(centred.center().y(), 40, 3);
  EXPECT_NEAR(centred.width(), left.width(), 1);
  EXPECT_NEAR(top.center().x(), 100, 3);
  EXPECT_LT(top.top(), 12);

  // Style 2 wraps a long caption from the top; the hot-key caption sits on
  // the bottom line at the right.
  button.setCaption(u"Assign SELECTED to LOOTDROP now"_s);
  const QRect wrapped = text_box(picture(&button));
  EXPECT_GT(wrapped.height(), centred.height() * 3 / 2);
  button.setCaption(QString());
  button.setHotKeyCaption(u"F5"_s);
  const QRect hotkey = text_box(picture(&button));
  EXPECT_GE(hotkey.right(), 200 - 8);
  EXPECT_GE(hotkey.bottom(), 80 - 9);
  button.setCaptionStyle(0);
  EXPECT_NEAR(text_box(picture(&button)).center().y(), 40, 3);
}

TEST(LiteBtnCtrlLook, UnknownStylesDrawNoTextUntilSetBack) {
  LiteBtnCtrl button(u"b"_s);
  button.setPalette(marked_palette());
  button.resize(120, 30);
  button.setCaption(QString());
  const QImage empty = picture(&button);

  button.setCaption(u"Clear List"_s);
  button.setHotKeyCaption(u"X"_s);
  for (const int style : {3, -1, 1000}) {
    button.setCaptionStyle(style);
    EXPECT_EQ(picture(&button), empty) << "style " << style;
  }
  button.setCaptionStyle(1);
  EXPECT_NE(picture(&button), empty);
}

TEST(LiteBtnCtrlLook, AmpersandUnderlinesTheNextCharacterAndTwoShowOne) {
  LiteBtnCtrl button(u"b"_s);
  button.setPalette(marked_palette());
  button.resize(120, 30);
  const auto pixels = [&](const QString& caption) {
    button.setCaption(caption);
    return picture(&button);
  };
  const QImage plain = pixels(u"AB"_s);
  const QImage underlined = pixels(u"A&B"_s);
  EXPECT_NE(plain, underlined);
  // Same letters in the same places, plus the underline.
  for (int y = 0; y < plain.height(); ++y)
    for (int x = 0; x < plain.width(); ++x) {
      if (plain.pixelColor(x, y) == Qt::black) {
        ASSERT_EQ(underlined.pixelColor(x, y), Qt::black) << x << "," << y;
      }
    }

  const QImage doubled = pixels(u"A&&B"_s);
  EXPECT_GT(text_box(doubled).width(), text_box(plain).width()) << "one ampersand shown between A and B";
  EXPECT_EQ(text_box(doubled).bottom(), text_box(plain).bottom()) << "nothing underlined";
}

TEST(LiteBtnCtrlProperties, NewInstanceStartsWithItsNameAndStyleOne) {
  LiteBtnCtrl button(u"find_item"_s);
  EXPECT_EQ(button.Caption(), u"find_item"_s);
  EXPECT_EQ(button.HotKeyCaption(), QString());
  EXPECT_EQ(button.CaptionStyle(), 1);
  EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
  // Style 1 differs from the loading default, so it is stored; the caption
  // equals the name and is not.
  const QList<QPair<QString, QString>> saved{{u"CaptionStyle"_s, u"1"_s}};
  EXPECT_EQ(button.save_properties(), saved);
}

TEST(LiteBtnCtrlProperties, SavedPropertiesRoundTrip) {
  // The stored windows write the keys in lower case.
  std::unique_ptr<LiteBtnCtrl> loaded(LiteBtnCtrl::from_properties(
      u"Search_Grids"_s, {{u"caption"_s, u"LOAD NPC in ZONE"_s}, {u"captionstyle"_s, u"1"_s}}));
  EXPECT_EQ(loaded->Caption(), u"LOAD NPC in ZONE"_s);
  EXPECT_EQ(loaded->CaptionStyle(), 1);
  EXPECT_EQ(loaded->HotKeyCaption(), QString());
  EXPECT_EQ(loaded->objectName(), u"Search_Grids"_s);

  loaded->setHotKeyCaption(u"Ctrl+L"_s);
  const auto saved = loaded->save_properties();
  const QList<QPair<QString, QString>> expected{
      {u"Caption"_s, u"LOAD NPC in ZONE"_s}, {u"HotKeyCaption"_s, u"Ctrl+L"_s}, {u"CaptionStyle"_s, u"1"_s}};
  EXPECT_EQ(saved, expected);
  std::unique_ptr<LiteBtnCtrl> again(LiteBtnCtrl::from_properties(u"Search_Grids"_s, saved));
  EXPECT_EQ(again->save_properties(), expected);
}

TEST(LiteBtnCtrlProperties, MissingKeysTakeTheLoadingDefaults) {
  std::unique_ptr<LiteBtnCtrl> bare(LiteBtnCtrl::from_properties(u"CLX"_s, {}));
  EXPECT_EQ(bare->Caption(), u"CLX"_s);
  EXPECT_EQ(bare->CaptionStyle(), 2);
  EXPECT_TRUE(bare->save_properties().isEmpty());

  // Style 2 is the default when loading, so it is not stored and reads back.
  LiteBtnCtrl placed(u"go"_s);
  placed.setCaptionStyle(2);
  EXPECT_TRUE(placed.save_properties().isEmpty());
  std::unique_ptr<LiteBtnCtrl> reread(LiteBtnCtrl::from_properties(u"go"_s, placed.save_properties()));
  EXPECT_EQ(reread->CaptionStyle(), 2);

  std::unique_ptr<LiteBtnCtrl> odd(LiteBtnCtrl::from_properties(u"x"_s, {{u"CAPTIONSTYLE"_s, u"-7"_s}}));
  EXPECT_EQ(odd->CaptionStyle(), -7) << "any integer is taken";
}

}  // namespace
