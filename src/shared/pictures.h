#pragma once
// Pictures more than one window shows.

#include <QPixmap>

// The decoration of the main window and the item search window, 240 x 210
// pixels.
QPixmap korvexloot_picture();
