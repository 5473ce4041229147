#pragma once
// The program's own flat push button: a caption on a plain face with a bevel
// of four one-pixel lines, a highlight while the pointer is over it, a sunken
// look while a mouse button is held on it, and Click on every release.
// Mouse only: no keyboard handling, no focus look, no disabled look.

#include <QList>
#include <QPair>
#include <QPalette>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

class LiteBtnCtrl : public QWidget {
  Q_OBJECT

 public:
  // A new instance: Caption := control_name, then CaptionStyle := 1.
  explicit LiteBtnCtrl(const QString& control_name, QWidget* parent = nullptr);

  // An instance made from saved key/value properties (keys match without
  // regard to case). Missing keys: Caption = control name, HotKeyCaption = "",
  // CaptionStyle = 2.
  // A button as the windows save theirs: its caption and caption style 1,
  // placed at rect.
  static LiteBtnCtrl* placed(QWidget* parent, const QString& control_name, const QString& caption, const QRect& rect);
  static LiteBtnCtrl* from_properties(const QString& control_name, const QList<QPair<QString, QString>>& saved,
                                      QWidget* parent = nullptr);
  // "Caption", "HotKeyCaption", "CaptionStyle" in that order; a value equal to
  // its from_properties default is left out.
  QList<QPair<QString, QString>> save_properties() const;

  QString Caption() const { return m_caption; }
  void setCaption(const QString& caption);
  QString HotKeyCaption() const { return m_hotkey_caption; }
  void setHotKeyCaption(const QString& caption);
  // 0, 1 or 2 lay the captions out; any other value draws no text.
  int CaptionStyle() const { return m_caption_style; }
  void setCaptionStyle(int style);

  // The widget under the pointer as the hover timer sees it. The default asks
  // the platform (QApplication::widgetAt at QCursor::pos()); tests replace it
  // where the pointer cannot be moved. An empty function restores the default.
  using PointerProbe = std::function<QWidget*()>;
  void set_pointer_probe(PointerProbe probe);

  bool hovering() const { return m_hovering; }
  bool sunken() const { return m_sunken; }
  bool hover_timer_running() const { return m_hover_timer.isActive(); }

  QSize sizeHint() const override;

 signals:
  void Click();
  void MouseOver();
  void MouseLeave();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void redraw(bool pressed);
  bool is_mouse_over() const;
  void hover_tick();

  QString m_caption;
  QString m_hotkey_caption;
  int m_caption_style = 0;
  bool m_hovering = false;
  // Lines sunken (top/left in shadow) while a mouse button is held.
  bool m_sunken = false;
  // The caption of the next paint sits one pixel right and down. Only our own
  // redraw on a press sets it; any other repaint draws the caption at rest.
  bool m_caption_pressed = false;
  QPalette::ColorRole m_face_role = QPalette::Button;
  QTimer m_hover_timer;
  PointerProbe m_pointer_probe;
};
