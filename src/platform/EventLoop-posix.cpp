#include <algorithm>

#include "platform/Clock.h"
#include "platform/EventLoop.h"

namespace platform {

struct EventLoop::Native {};

bool EventLoop::timersFollowThePlatformClock() { return true; }

EventLoop::EventLoop() = default;
EventLoop::EventLoop(const LoopWindow&) {}
EventLoop::~EventLoop() = default;

void EventLoop::post(LoopMessage m) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(m);
  }
  posted_.notify_one();
}

void EventLoop::setTimer(int64_t timerId, int64_t intervalMillis) {
  Timer t;
  t.interval = std::max<int64_t>(intervalMillis, 1);
  t.due = clock().currentTimeMillis() + t.interval;
  timers_[timerId] = t;
}

void EventLoop::killTimer(int64_t timerId) { timers_.erase(timerId); }

bool EventLoop::hasTimer(int64_t timerId) const { return timers_.count(timerId) > 0; }

void EventLoop::quit(int code) {
  quitting_ = true;
  quitCode_ = code;
}

LoopMessage EventLoop::next() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    if (!queue_.empty()) {
      LoopMessage m = queue_.front();
      queue_.pop_front();
      return m;
    }
    if (timers_.empty()) {
      posted_.wait(lock, [this] { return !queue_.empty(); });
      continue;
    }
    auto first = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
      return a.second.due < b.second.due;
    });
    int64_t now = clock().currentTimeMillis();
    if (first->second.due <= now) {
      first->second.due = now + first->second.interval;
      return LoopMessage{kTimerMessage, first->first};
    }
    // The clock may be a fake one that only moves when slept on, so the wait
    // goes through it, in short steps that keep posted messages prompt.
    int64_t step = std::min(first->second.due - now, kPollMillis);
    lock.unlock();
    clock().sleepMillis(step);
    lock.lock();
  }
}

int EventLoop::run(const Handler& handler) {
  while (!quitting_) handler(next());
  return quitCode_;
}

// Nobody asks for the answers on Linux.
int EventLoop::runAnswering(const AnsweringHandler& handler) {
  return run([&handler](const LoopMessage& m) { handler(m); });
}

}  // namespace platform
