#pragma once
// The item card's background: a dark panel with an ornamental border, a
// divider under the name area and a closing glyph in the top right corner,
// drawn once in code.

#include <QImage>
#include <QRect>

namespace itemcard {

inline constexpr int kPanelWidth = 453;
inline constexpr int kPanelHeight = 286;

// Where the closing glyph sits on the panel (the close spot lies over it).
QRect close_glyph_rect();

// The 453 x 286 picture, 24 bits per pixel; the same image on every call.
const QImage& panel_picture();

}  // namespace itemcard
