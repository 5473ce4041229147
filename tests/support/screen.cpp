#include "support/screen.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace testing_support {

namespace {

xcb_connection_t* xcb(void* conn) { return static_cast<xcb_connection_t*>(conn); }

}  // namespace

Screen::Screen() {
  if (std::getenv("DISPLAY") == nullptr) return;
  xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(conn) != 0) {
    xcb_disconnect(conn);
    return;
  }
  conn_ = conn;
  root_ = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
}

Screen::~Screen() {
  if (conn_ != nullptr) xcb_disconnect(xcb(conn_));
}

std::vector<std::uint32_t> Screen::grab(const QRect& area) {
  xcb_connection_t* conn = xcb(conn_);
  const auto cookie = xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<std::int16_t>(area.x()),
                                    static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()),
                                    static_cast<std::uint16_t>(area.height()), ~0u);
  xcb_get_image_reply_t* reply = xcb_get_image_reply(conn, cookie, nullptr);
  if (reply == nullptr) throw std::runtime_error("the screen cannot be read");
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(area.width()) * static_cast<std::size_t>(area.height()));
  const int length = xcb_get_image_data_length(reply);
  if (static_cast<std::size_t>(length) != pixels.size() * 4) {
    std::free(reply);
    throw std::runtime_error("the screen is not 32 bits a pixel");
  }
  std::memcpy(pixels.data(), xcb_get_image_data(reply), pixels.size() * 4);
  std::free(reply);
  for (std::uint32_t& p : pixels) p &= 0xffffff;
  return pixels;
}

void Screen::cover(const QRect& area) {
  xcb_connection_t* conn = xcb(conn_);
  cover_ = xcb_generate_id(conn);
  // Override-redirect: no window manager places or frames it.
  const std::uint32_t values[] = {kCoverColour, 1};
  xcb_create_window(conn, XCB_COPY_FROM_PARENT, cover_, root_, static_cast<std::int16_t>(area.x()),
                    static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()),
                    static_cast<std::uint16_t>(area.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                    XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_map_window(conn, cover_);
  xcb_flush(conn);
  const QRect middle(area.center(), QSize(1, 1));
  for (int i = 0; i < 1000 && grab(middle).front() != kCoverColour; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void Screen::uncover() {
  xcb_connection_t* conn = xcb(conn_);
  xcb_destroy_window(conn, cover_);
  xcb_flush(conn);
  // Once the server has answered this, the window is gone from the screen.
  free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr));
  cover_ = 0;
}

}  // namespace testing_support
