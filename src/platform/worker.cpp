#include "platform/worker.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace worker {

void run(const std::function<void()>& work, const std::function<void()>& meanwhile,
         std::chrono::milliseconds interval) {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  std::exception_ptr failure;
  std::thread thread([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    const std::lock_guard lock(mutex);
    done = true;
    ended.notify_one();
  });
  // The thread is joined however this ends: `meanwhile` may throw too.
  struct Join {
    std::thread& thread;
    ~Join() {
      if (thread.joinable()) thread.join();
    }
  } join{thread};
  std::unique_lock lock(mutex);
  while (!ended.wait_for(lock, interval, [&] { return done; })) {
    lock.unlock();
    meanwhile();
    lock.lock();
  }
  lock.unlock();
  thread.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace worker
