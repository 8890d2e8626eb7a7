#pragma once

namespace platform {

// The desktop's AutoPlay of inserted media (which would start a medium's own
// AutoRun program). Suppressing it saves the current policy; restoring puts
// the saved policy back.
class AutoPlay {
 public:
  virtual ~AutoPlay() = default;
  virtual void suppress() = 0;
  virtual void restore() = 0;
};

// Linux desktops have no AutoRun policy that a program sets this way:
// nothing is read or written.
class NoAutoPlay : public AutoPlay {
 public:
  void suppress() override {}
  void restore() override {}
};

// The test double: counts the calls.
class FakeAutoPlay : public AutoPlay {
 public:
  void suppress() override { ++suppressed; }
  void restore() override { ++restored; }
  int suppressed = 0;
  int restored = 0;
};

}  // namespace platform
