#pragma once
// Work that blocks for a long time (a large result arriving from the server)
// run on a thread of its own, so that the calling thread can go on doing
// something small meanwhile, such as painting its window.

#include <chrono>
#include <functional>

namespace worker {

// Runs `work` on a thread of its own and returns when it has ended, throwing
// what it threw. Meanwhile the calling thread runs `meanwhile` about every
// `interval`. The two must not touch the same things.
void run(const std::function<void()>& work, const std::function<void()>& meanwhile,
         std::chrono::milliseconds interval = std::chrono::milliseconds(10));

}  // namespace worker
