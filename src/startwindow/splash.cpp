#include "startwindow/splash.h"

#include "controls/form_layout.h"
#include "controls/litebtnctrl.h"
#include "shared/operator_io.h"
#include "shared/settings.h"
#include "startwindow/music_player.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kInnerSize(470, 405);   // 7050 x 6075 twips
constexpr QPoint kScreenPos(687, 261);  // 10305, 3915 twips

// A shield with two crossed blades behind it, centred on `c`.
void draw_emblem(QPainter& p, QPointF c) {
  p.save();
  p.translate(c);
  QPen blade_pen(QColor(200, 200, 210), 5, Qt::SolidLine, Qt::RoundCap);
  for (const int angle : {-40, 40}) {
    p.save();
    p.rotate(angle);
    p.setPen(blade_pen);
    p.drawLine(QPointF(0, -95), QPointF(0, 70));
    p.setPen(QPen(QColor(150, 110, 40), 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-16, 52), QPointF(16, 52));
    p.drawLine(QPointF(0, 56), QPointF(0, 82));
    p.restore();
  }
  QPainterPath shield;
  shield.moveTo(-48, -60);
  shield.lineTo(48, -60);
  shield.cubicTo(50, 10, 30, 45, 0, 68);
  shield.cubicTo(-30, 45, -50, 10, -48, -60);
  QLinearGradient face(-48, -60, 48, 68);
  face.setColorAt(0, QColor(150, 20, 20));
  face.setColorAt(1, QColor(60, 0, 0));
  p.setBrush(face);
  p.setPen(QPen(QColor(220, 180, 80), 4));
  p.drawPath(shield);
  // A stylised "K" on the shield.
  p.setPen(QPen(QColor(235, 200, 100), 8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawLine(QPointF(-14, -34), QPointF(-14, 30));
  p.drawPolyline(QPolygonF({QPointF(18, -34), QPointF(-12, 0), QPointF(20, 30)}));
  p.restore();
}

}  // namespace

QPixmap splash_picture() {
  QPixmap picture(452, 350);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 350);
  sky.setColorAt(0, QColor(40, 8, 12));
  sky.setColorAt(0.6, QColor(12, 4, 8));
  sky.setColorAt(1, QColor(0, 0, 0));
  p.fillRect(picture.rect(), sky);
  QRadialGradient glow(QPointF(226, 140), 150);
  glow.setColorAt(0, QColor(180, 40, 20, 150));
  glow.setColorAt(1, QColor(180, 40, 20, 0));
  p.fillRect(picture.rect(), glow);
  draw_emblem(p, QPointF(226, 135));

  QFont title = times_new_roman(12);
  title.setPixelSize(46);
  title.setBold(true);
  p.setFont(title);
  const QRect title_box(0, 238, 452, 60);
  p.setPen(QColor(0, 0, 0));
  p.drawText(title_box.translated(3, 3), Qt::AlignCenter, u"KorvexLoot"_s);
  p.setPen(QColor(235, 200, 100));
  p.drawText(title_box, Qt::AlignCenter, u"KorvexLoot"_s);
  QFont sub = title;
  sub.setPixelSize(15);
  sub.setBold(false);
  sub.setItalic(true);
  p.setFont(sub);
  p.setPen(QColor(190, 170, 150));
  p.drawText(QRect(0, 292, 452, 22), Qt::AlignCenter, u"loot editor"_s);
  return picture;
}

QIcon program_icon() {
  QPixmap icon(64, 64);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(32, 34);
  p.scale(0.3, 0.3);
  draw_emblem(p, QPointF(0, 0));
  return QIcon(icon);
}

Splash::Splash(std::function<void()> open_main, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::Tool),
      background_(splash_picture()),
      open_main_(std::move(open_main)) {
  setObjectName(u"Splash"_s);
  setWindowTitle(u"QUILLMARK"_s);
  setFont(ms_sans_serif());
  setFixedSize(kInnerSize);
  move(kScreenPos);
  make_white(this);

  Label1 = new QLabel(u"V.3.55"_s, this);
  Label1->setObjectName(u"Label1"_s);
  Label1->setGeometry(twips_rect(4680, 4800, 1455, 375));
  Label1->setFont(times_new_roman(14.25));
  make_white(Label1);

  go = LiteBtnCtrl::placed(this, u"go"_s, u"Let's Start"_s, twips_rect(2640, 5280, 2175, 495));
  connect(go, &LiteBtnCtrl::Click, this, &Splash::go_Click);
}

void Splash::Form_Load() {
  read_db_ini();
  music_player = std::make_unique<MusicPlayer>();
  music_player->render_file(native_path(db_settings.data_folder + u"deaththeme.mp3"_s));
  music_player->run();
}

void Splash::go_Click() {
  if (music_player) music_player->stop();
  music_player.reset();
  main_opened_ = true;
  close();
  if (open_main_) open_main_();
}

void Splash::closeEvent(QCloseEvent* event) {
  event->accept();
  // A tool window does not end the program on its own when it closes.
  if (!main_opened_) operator_io().end_program();
}

void Splash::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  QPainter p(this);
  p.drawPixmap(0, 0, background_);
}

Splash* open_splash(std::function<void()> open_main) {
  auto splash = std::make_unique<Splash>(std::move(open_main));
  splash->setAttribute(Qt::WA_DeleteOnClose);
  splash->Form_Load();
  splash->show();
  return splash.release();
}
