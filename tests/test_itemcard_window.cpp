// The item card window: its look, loading and unloading, the close spot and
// dragging by the body.
#include "itemcard/item_stats.h"
#include "shared/shared.h"
#include "test_itemcard_support.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

using itemcard_testing::add_item;
using itemcard_testing::ResourceFolder;
using testing_support::DbTest;

namespace {

void send_mouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, held, Qt::NoModifier);
  QApplication::sendEvent(target, &e);
}

// Press at `local` of `target`, then move by `delta` with `held` buttons.
void drag(QWidget* target, QPoint local, QPoint delta, Qt::MouseButton pressed, Qt::MouseButtons held) {
  send_mouse(target, QEvent::MouseButtonPress, local, pressed, held);
  send_mouse(target, QEvent::MouseMove, local + delta, Qt::NoButton, held);
  send_mouse(target, QEvent::MouseButtonRelease, local + delta, pressed, Qt::NoButton);
}

TEST(ItemCardWindow, LaidOutAsDesigned) {
  Item_Stats w;
  EXPECT_EQ(w.windowTitle(), u"Item Details and Stats");
  EXPECT_EQ(w.size(), QSize(453, 288));
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(w.ITSname->geometry(), QRect(16, 16, 417, 25));
  EXPECT_EQ(w.itemdescr->geometry(), QRect(8, 48, 431, 219));
  EXPECT_EQ(w.Image1->geometry(), QRect(424, 0, 27, 27));
  EXPECT_EQ(w.ITSname->palette().color(QPalette::WindowText), QColor(255, 128, 0));
  EXPECT_EQ(w.itemdescr->palette().color(QPalette::WindowText), QColor(255, 255, 192));
  EXPECT_EQ(w.ITSname->font().family(), u"Times New Roman");
  EXPECT_DOUBLE_EQ(w.ITSname->font().pointSizeF(), 15.75);
  EXPECT_EQ(w.ITSname->textFormat(), Qt::PlainText);
  EXPECT_EQ(w.ITSname->text(), u">");
  EXPECT_TRUE(w.itemdescr->text().isEmpty());

  // The panel fills the top 286 rows; the client area's last two stay white.
  const QImage shot = w.grab().toImage();
  EXPECT_EQ(shot.pixelColor(200, 287), QColor(Qt::white));
  EXPECT_LT(shot.pixelColor(200, 150).lightness(), 80);
  EXPECT_NE(shot.pixelColor(436, 15), shot.pixelColor(400, 15));  // the closing glyph
}

TEST(ItemCardWindow, DragsByItsBodyWithTheLeftButtonOnly) {
  Item_Stats w;
  w.move(100, 100);
  const QPoint body(3, 150);  // the border strip left of the card text
  drag(&w, body, QPoint(40, 25), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(w.pos(), QPoint(140, 125));
  drag(&w, body, QPoint(30, 30), Qt::RightButton, Qt::RightButton);
  EXPECT_EQ(w.pos(), QPoint(140, 125));
  drag(&w, body, QPoint(30, 30), Qt::LeftButton, Qt::LeftButton | Qt::RightButton);
  EXPECT_EQ(w.pos(), QPoint(140, 125));
  // The labels and the close spot start no drag.
  drag(w.itemdescr, QPoint(50, 50), QPoint(30, 30), Qt::LeftButton, Qt::LeftButton);
  drag(w.ITSname, QPoint(5, 5), QPoint(30, 30), Qt::LeftButton, Qt::LeftButton);
  drag(w.Image1, QPoint(5, 5), QPoint(30, 30), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(w.pos(), QPoint(140, 125));
}

TEST(ItemCardWindow, ARunWiderThanTheCardGoesOnOnTheNextLine) {
  // A slot list of many slots has no blank to wrap at; none of it may run off the card.
  Item_Stats w;
  w.itemdescr->setText(QString(150, u'W') + QStringLiteral("\r\n"));
  const QImage shot = w.grab().toImage();
  const QRect at = w.itemdescr->geometry();
  const int line = w.itemdescr->fontMetrics().lineSpacing();
  const auto pale_in_line = [&](int n) {
    int pale = 0;
    for (int y = at.top() + n * line; y < at.top() + (n + 1) * line; ++y)
      for (int x = at.left(); x <= at.right(); ++x)
        pale += shot.pixelColor(x, y).blue() > 150 && shot.pixelColor(x, y).green() > 200;
    return pale;
  };
  EXPECT_GT(pale_in_line(0), 100);
  EXPECT_GT(pale_in_line(1), 100);
}

// Pale card text pixels in rows [top, bottom) and columns [left, right) of the shot.
int pale_ink(const QImage& shot, int top, int bottom, int left, int right) {
  int pale = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) {
      const QColor c = shot.pixelColor(x, y);
      pale += c.red() > 200 && c.green() > 200 && c.blue() > 150 && c.blue() < 225;
    }
  return pale;
}

TEST(ItemCardWindow, TextTallerThanTheCardScrollsToItsLastLine) {
  Item_Stats w;
  const QScrollBar* bar = w.itemdescr->findChild<QScrollBar*>();
  ASSERT_NE(bar, nullptr);
  const QRect at = w.itemdescr->geometry();
  const int line = w.itemdescr->fontMetrics().lineSpacing();
  // Lines of one short word, and last a run that reaches far to the right.
  const auto card = [](int lines) -> QString {
    QStringList l(lines - 1, QStringLiteral("x"));
    l << QString(30, u'W');
    return l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
  };
  const auto wide_ink = [&](const QImage& shot, int top, int bottom) {
    return pale_ink(shot, top, bottom, at.left() + 100, at.left() + 250);
  };
  const struct {
    int lines;
    bool scrolls;
  } cases[] = {{1, false}, {16, false}, {17, true}, {40, true}};
  for (const auto& c : cases) {
    w.itemdescr->setText(card(c.lines));
    EXPECT_EQ(bar->isVisibleTo(&w), c.scrolls) << c.lines;
    EXPECT_EQ(bar->value(), 0) << c.lines;
    if (c.scrolls) {
      // The bar stands inside the card text's own area.
      EXPECT_EQ(bar->geometry().right(), at.width() - 1);
      EXPECT_EQ(bar->height(), at.height());
      const_cast<QScrollBar*>(bar)->setValue(bar->maximum());
    }
    // The last line stands whole in the bottom row, or in its own row when
    // nothing scrolls.
    const int last_top = c.scrolls ? at.bottom() + 1 - line : at.top() + (c.lines - 1) * line;
    const QImage shot = w.grab().toImage();
    EXPECT_GT(wide_ink(shot, last_top, last_top + line), 50) << c.lines;
  }
  // The long card from its top: its last line is out of view until the
  // wheel turns the bar.
  const_cast<QScrollBar*>(bar)->setValue(0);
  EXPECT_EQ(wide_ink(w.grab().toImage(), at.top(), at.bottom() + 1), 0);
  QWheelEvent wheel(QPointF(50, 50), w.itemdescr->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w.itemdescr, &wheel);
  EXPECT_GT(bar->value(), 0);
  // A card that fits again has no bar.
  w.itemdescr->setText(card(3));
  EXPECT_FALSE(bar->isVisibleTo(&w));
}

TEST(ItemCardWindow, ANameLineWiderThanItsLabelIsDrawnWhole) {
  Item_Stats w;
  itemcard::NameLine* name = w.ITSname;
  const int width = name->width();
  const auto drawn = [](QLabel* label) {
    QImage shot(label->size(), QImage::Format_ARGB32);
    shot.fill(Qt::black);
    label->render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);
    return shot;
  };
  // The name line as a plain label of the same look draws it.
  QLabel plain;
  plain.setFont(name->font());
  plain.setPalette(name->palette());
  plain.setTextFormat(Qt::PlainText);
  plain.setAlignment(name->alignment());
  plain.resize(name->size());

  enum Drawn { fits, smaller, two_lines };
  const struct {
    QString name;
    Drawn drawn;
  } cases[] = {
      {QStringLiteral("Rusty Dagger    --  1001"), fits},
      {QStringLiteral("Runed Sootsteel Two-Handed Sword of the Pale Moon    --  118000"), smaller},
      {QString(64, u'W') + QStringLiteral("    --  2147483640"), two_lines},
  };
  for (const auto& c : cases) {
    name->setText(c.name);
    const itemcard::NameLine::Look look = name->look();
    EXPECT_EQ(look.two_lines, c.drawn == two_lines) << c.name.toStdString();
    if (c.drawn == fits) {
      EXPECT_EQ(look.font, name->font());
      plain.setText(c.name);
      EXPECT_EQ(drawn(name), drawn(&plain)) << "a line that fits looks as a plain label draws it";
    } else if (c.drawn == smaller) {
      EXPECT_LT(look.font.pointSizeF(), name->font().pointSizeF());
      EXPECT_GE(look.font.pointSizeF(), itemcard::kCardTextPointSize);
      EXPECT_LE(QFontMetricsF(look.font, name).horizontalAdvance(c.name), width);
    }
    // The id at the end of the line is on screen: another last digit changes the picture.
    const QImage shown = drawn(name);
    name->setText(c.name.chopped(1) + u'9');
    EXPECT_NE(drawn(name), shown) << c.name.toStdString();
  }
}

class ItemCardLifecycle : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    folder = std::make_unique<ResourceFolder>();
    folder->write_standard();
    add_item(*scratch, 1, {{u"Name"_qs, u"'Frost Lantern'"_qs}, {u"itemtype"_qs, u"10"_qs}});
  }
  void TearDown() override {
    folder.reset();
    DbTest::TearDown();
  }
  std::unique_ptr<ResourceFolder> folder;
  std::int16_t kind = 0;
};

TEST_F(ItemCardLifecycle, ShowStatsLoadsTheWindowHiddenAndOpeningShowsTheCard) {
  Item_Stats w;
  EXPECT_FALSE(w.is_loaded());
  w.show_stats(1, kind);
  EXPECT_TRUE(w.is_loaded());
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.class_names[16], u"Cls01");  // the load read the tables
  EXPECT_EQ(w.ITSname->text(), u"Frost Lantern    --  1");
  w.open_window();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.ITSname->text(), u"Frost Lantern    --  1");
  EXPECT_TRUE(w.itemdescr->text().startsWith(u"MAGIC ITEM:NO"));
}

TEST_F(ItemCardLifecycle, TheCloseSpotUnloadsAndTheNextLoadStartsAfresh) {
  Item_Stats w;
  w.show_stats(1, kind);
  w.open_window();
  QTest::mouseClick(w.Image1, Qt::LeftButton);
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.is_loaded());
  // Tables and decoded texts outlive the close.
  EXPECT_EQ(w.class_names[16], u"Cls01");
  EXPECT_EQ(w.slot_text, u"none");

  folder->write(u"classes.txt"_qs, {u"Renamed"_qs});
  w.open_window();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.ITSname->text(), u">");
  EXPECT_TRUE(w.itemdescr->text().isEmpty());
  EXPECT_EQ(w.class_names[16], u"Renamed");
  EXPECT_TRUE(w.class_names[15].isEmpty());

  // A right click on the spot does not close.
  QTest::mouseClick(w.Image1, Qt::RightButton);
  EXPECT_TRUE(w.is_loaded());
  // Closing from the title bar unloads the same way.
  w.close();
  EXPECT_FALSE(w.is_loaded());
}

TEST_F(ItemCardLifecycle, TheProgramHasOneWindow) {
  Item_Stats& first = item_stats_window();
  EXPECT_EQ(&first, &item_stats_window());
  first.show_stats(1, kind);
  EXPECT_EQ(item_stats_window().ITSname->text(), u"Frost Lantern    --  1");
  first.unload();
}

// A rich card on screen; set LOOT_SHOT_DIR to keep the picture for a look.
TEST_F(ItemCardLifecycle, RichCardRendersOverThePanel) {
  add_item(*scratch, 2,
           {{u"Name"_qs, u"'Dún''ari Warblade of Ember'"_qs},
            {u"itemtype"_qs, u"3"_qs},
            {u"magic"_qs, u"1"_qs},
            {u"nodrop"_qs, u"1"_qs},
            {u"loregroup"_qs, u"-1"_qs},
            {u"classes"_qs, u"37"_qs},
            {u"races"_qs, u"65535"_qs},
            {u"slots"_qs, u"24576"_qs},
            {u"ac"_qs, u"12"_qs},
            {u"damage"_qs, u"17"_qs},
            {u"delay"_qs, u"28"_qs},
            {u"proceffect"_qs, u"1"_qs},
            {u"proclevel"_qs, u"40"_qs},
            {u"worneffect"_qs, u"10"_qs},
            {u"astr"_qs, u"9"_qs},
            {u"asta"_qs, u"6"_qs},
            {u"hp"_qs, u"75"_qs},
            {u"fr"_qs, u"10"_qs},
            {u"haste"_qs, u"21"_qs},
            {u"reqlevel"_qs, u"46"_qs},
            {u"weight"_qs, u"90"_qs},
            {u"size"_qs, u"3"_qs},
            {u"augslot1type"_qs, u"7"_qs},
            {u"price"_qs, u"184000"_qs},
            {u"deity"_qs, u"4096"_qs}});
  Item_Stats w;
  w.show_stats(2, kind);
  w.open_window();
  const QImage shot = w.grab().toImage();
  ASSERT_EQ(shot.size(), QSize(453, 288));
  // Orange name pixels in the name area, pale yellow text pixels in the card.
  int orange = 0, pale = 0;
  for (int y = 16; y < 41; ++y)
    for (int x = 16; x < 300; ++x) orange += shot.pixelColor(x, y).red() > 200 && shot.pixelColor(x, y).blue() < 90;
  for (int y = 48; y < 267; ++y)
    for (int x = 8; x < 300; ++x) pale += shot.pixelColor(x, y).blue() > 150 && shot.pixelColor(x, y).green() > 200;
  EXPECT_GT(orange, 50);
  EXPECT_GT(pale, 200);
  const QString dir = qEnvironmentVariable("LOOT_SHOT_DIR");
  if (!dir.isEmpty()) shot.save(dir + QStringLiteral("/itemcard_rich.png"));
}

}  // namespace
