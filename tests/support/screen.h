#pragma once
// What an X server shows, seen over a connection of its own (not the
// program's): tests read the screen and cover a part of it with a window of
// their own, as another program would. Usable from any thread.

#include <QRect>

#include <cstdint>
#include <vector>

namespace testing_support {

class Screen {
 public:
  // Connects to the display named by DISPLAY; available() is false when
  // there is none.
  Screen();
  ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;
  bool available() const { return conn_ != nullptr; }

  // The pixels of `area` (screen coordinates) as the screen shows them,
  // row by row, 0xRRGGBB each.
  std::vector<std::uint32_t> grab(const QRect& area);
  // Maps a window of one plain colour over `area` and returns once the
  // screen shows it; uncover() takes it away again.
  void cover(const QRect& area);
  void uncover();

  static constexpr std::uint32_t kCoverColour = 0xff00ff;

 private:
  void* conn_ = nullptr;  // xcb_connection_t
  std::uint32_t root_ = 0;
  std::uint32_t cover_ = 0;
};

}  // namespace testing_support
