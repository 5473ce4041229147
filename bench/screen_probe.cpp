// Watches a part of an X server's screen from outside the editor's process,
// while the benchmark runs a long operation, and prints what it saw when its
// standard input closes:
//
//   screen_probe changes X Y W H
//     reads the area about every 10 ms; prints the longest time in which the
//     screen showed nothing new there and when it began, from the start
//     ("unchanged_ms N unchanged_from_ms N watched_ms N samples N").
//   screen_probe exposes X Y W H
//     covers the area with a window of its own, takes it away, and times
//     until no pixel of that window's colour is left (the editor drew the
//     area again), over and over; prints "exposes N longest_ms N
//     longest_from_ms N median_ms N watched_ms N" (a redraw still missing
//     when the input closes counts with the time until then).
//
// It prints "ready" once it watches. The area's pixels of the covering
// colour (pure magenta) must not appear in the editor's own picture.
#include <xcb/xcb.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kCover = 0xff00ff;

struct Area {
  int x, y, w, h;
};

xcb_connection_t* conn = nullptr;
xcb_window_t root = 0;

std::vector<std::uint32_t> grab(const Area& a) {
  const auto cookie = xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(a.x),
                                    static_cast<std::int16_t>(a.y), static_cast<std::uint16_t>(a.w),
                                    static_cast<std::uint16_t>(a.h), ~0u);
  xcb_get_image_reply_t* reply = xcb_get_image_reply(conn, cookie, nullptr);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(a.w) * static_cast<std::size_t>(a.h));
  if (reply == nullptr) return pixels;
  const auto bytes =
      std::min<std::size_t>(static_cast<std::size_t>(xcb_get_image_data_length(reply)), pixels.size() * 4);
  std::memcpy(pixels.data(), xcb_get_image_data(reply), bytes);
  std::free(reply);
  for (std::uint32_t& p : pixels) p &= 0xffffff;
  return pixels;
}

// True once the benchmark has closed our standard input.
bool input_closed() {
  pollfd fd{STDIN_FILENO, POLLIN, 0};
  if (poll(&fd, 1, 0) <= 0) return false;
  char buffer[256];
  return read(STDIN_FILENO, buffer, sizeof buffer) <= 0;
}

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void watch_changes(const Area& a) {
  std::vector<std::uint32_t> shown = grab(a);
  const auto start = Clock::now();
  auto changed_at = start;
  double longest = 0, longest_from = 0;
  long samples = 0;
  std::puts("ready");
  std::fflush(stdout);
  while (!input_closed()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<std::uint32_t> now = grab(a);
    ++samples;
    if (now != shown) {
      if (ms_since(changed_at) > longest) {
        longest = ms_since(changed_at);
        longest_from = std::chrono::duration<double, std::milli>(changed_at - start).count();
      }
      changed_at = Clock::now();
      shown.swap(now);
    }
  }
  if (ms_since(changed_at) > longest) {
    longest = ms_since(changed_at);
    longest_from = std::chrono::duration<double, std::milli>(changed_at - start).count();
  }
  std::printf("unchanged_ms %.0f unchanged_from_ms %.0f watched_ms %.0f samples %ld\n", longest, longest_from,
              ms_since(start), samples);
}

bool holds_cover(const std::vector<std::uint32_t>& pixels) {
  return std::find(pixels.begin(), pixels.end(), kCover) != pixels.end();
}

void watch_exposes(const Area& a) {
  std::vector<double> times;
  const auto start = Clock::now();
  double longest_from = 0;
  std::puts("ready");
  std::fflush(stdout);
  bool closed = false;
  while (!closed) {
    const xcb_window_t cover = xcb_generate_id(conn);
    const std::uint32_t values[] = {kCover, 1};
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, cover, root, static_cast<std::int16_t>(a.x),
                      static_cast<std::int16_t>(a.y), static_cast<std::uint16_t>(a.w), static_cast<std::uint16_t>(a.h),
                      0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(conn, cover);
    xcb_flush(conn);
    const Area middle{a.x + a.w / 2, a.y + a.h / 2, 1, 1};
    for (int i = 0; i < 200 && grab(middle).front() != kCover; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    xcb_destroy_window(conn, cover);
    xcb_flush(conn);
    const auto uncovered = Clock::now();
    while (holds_cover(grab(a))) {
      if (input_closed()) {
        closed = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (times.empty() || ms_since(uncovered) > *std::max_element(times.begin(), times.end()))
      longest_from = std::chrono::duration<double, std::milli>(uncovered - start).count();
    times.push_back(ms_since(uncovered));
    for (int i = 0; i < 10 && !closed; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      closed = input_closed();
    }
  }
  std::sort(times.begin(), times.end());
  const double median = times.empty() ? 0 : times[times.size() / 2];
  std::printf("exposes %zu longest_ms %.0f longest_from_ms %.0f median_ms %.0f watched_ms %.0f\n", times.size(),
              times.empty() ? 0 : times.back(), longest_from, median, ms_since(start));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s changes|exposes X Y W H\n", argv[0]);
    return 2;
  }
  conn = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(conn) != 0) {
    std::fprintf(stderr, "screen_probe: no X display\n");
    return 1;
  }
  root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
  const Area area{std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])};
  if (std::string(argv[1]) == "changes") {
    watch_changes(area);
  } else {
    watch_exposes(area);
  }
  xcb_disconnect(conn);
  return 0;
}
