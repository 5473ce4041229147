#include "platform/prng.h"

namespace prng {
namespace {
constexpr std::uint32_t kStart = 0x50000;
std::uint32_t state = kStart;
}  // namespace

double next() {
  state = (state * 1140671485u + 12820163u) & 0xFFFFFFu;
  return static_cast<double>(state) / 16777216.0;
}

void restart_sequence() { state = kStart; }

}  // namespace prng
