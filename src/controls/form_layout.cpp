#include "controls/form_layout.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

QLabel* make_label(QWidget* parent, const QString& name, const QString& text, const QRect& rect, const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(rect);
  label->setFont(font);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QLabel* make_label(QWidget* parent, const QString& name, const QString& text, const QRect& rect, const QFont& font,
                   const QColor& text_colour, const QColor& back_colour) {
  QLabel* label = make_label(parent, name, text, rect, font);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, text_colour);
  pal.setColor(QPalette::Window, back_colour);
  label->setPalette(pal);
  label->setAutoFillBackground(true);
  return label;
}

QLineEdit* make_text_box(QWidget* parent, const QString& name, const QString& text, const QRect& rect) {
  auto* box = new QLineEdit(text, parent);
  box->setObjectName(name);
  box->setGeometry(rect);
  return box;
}

QLineEdit* make_text_box(QWidget* parent, const QString& name, const QString& text, const QRect& rect,
                         const QFont& font) {
  QLineEdit* box = make_text_box(parent, name, text, rect);
  box->setFont(font);
  return box;
}

void make_white(QWidget* widget) {
  QPalette pal = widget->palette();
  pal.setColor(QPalette::Window, Qt::white);
  widget->setPalette(pal);
  widget->setAutoFillBackground(true);
}

void bring_to_front(QWidget& window) {
  window.show();
  window.raise();
  window.activateWindow();
}

WaitPointer::WaitPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void WaitPointer::release() {
  if (!on_) return;
  on_ = false;
  QApplication::restoreOverrideCursor();
}
