#pragma once
// Progress labels of long loops: the loops never return to the event loop
// until they end, so they repaint the label themselves after every change.
// Repainting on every row would slow a 100,000-row load down; about 30
// repaints a second are enough for the operator to see the count move.

class QWidget;

// Repaints `w` at once (QWidget::repaint) unless it was repainted through
// these functions less than about 1/30 s ago.
void repaint_throttled(QWidget* w);
// Repaints `w` at once whatever the time; loops call it after their last
// change so the final text is on screen.
void repaint_now(QWidget* w);
