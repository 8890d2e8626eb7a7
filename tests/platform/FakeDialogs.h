#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Dialogs.h"

namespace testing_support {

// The test double of the dialogs: records every box and notice with the
// platform clock's time, and answers the OK/Cancel boxes from a list (Cancel
// when it is used up). Safe to use from several threads.
class FakeDialogs : public platform::Dialogs {
 public:
  struct Event {
    enum class Kind { Message, OkCancel, NoticeShown, NoticeClosed };
    Kind kind;
    std::string text;
    std::string caption;  // empty for notices
    int64_t time = 0;
  };

  explicit FakeDialogs(std::deque<Answer> answers = {}) : answers_(std::move(answers)) {}

  void setAnswers(std::deque<Answer> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_ = std::move(answers);
  }
  // Called for each OK/Cancel box before it is answered (for example to put
  // a CD in the drive).
  void onOkCancel(std::function<void()> f) { onOkCancel_ = std::move(f); }

  void message(const std::string& text, const std::string& caption) override {
    record(Event::Kind::Message, text, caption);
  }
  Answer okCancel(const std::string& text, const std::string& caption) override {
    record(Event::Kind::OkCancel, text, caption);
    if (onOkCancel_) onOkCancel_();
    std::lock_guard<std::mutex> lock(mutex_);
    if (answers_.empty()) return Answer::Cancel;
    Answer a = answers_.front();
    answers_.pop_front();
    return a;
  }
  std::unique_ptr<platform::Notice> notice(const std::string& text) override {
    record(Event::Kind::NoticeShown, text, "");
    return std::make_unique<FakeNotice>(*this, text);
  }

  std::vector<Event> events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }
  // The boxes (messages and OK/Cancel boxes) as "caption: text".
  std::vector<std::string> boxes() const {
    std::vector<std::string> out;
    for (const auto& e : events())
      if (e.kind == Event::Kind::Message || e.kind == Event::Kind::OkCancel)
        out.push_back(e.caption + ": " + e.text);
    return out;
  }
  int openNotices() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
  }

 private:
  class FakeNotice : public platform::Notice {
   public:
    FakeNotice(FakeDialogs& owner, std::string text) : owner_(owner), text_(std::move(text)) {}
    ~FakeNotice() override { owner_.record(Event::Kind::NoticeClosed, text_, ""); }

   private:
    FakeDialogs& owner_;
    std::string text_;
  };

  void record(Event::Kind kind, const std::string& text, const std::string& caption) {
    int64_t now = platform::clock().currentTimeMillis();
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(Event{kind, text, caption, now});
    if (kind == Event::Kind::NoticeShown) ++open_;
    if (kind == Event::Kind::NoticeClosed) --open_;
  }

  mutable std::mutex mutex_;
  std::deque<Answer> answers_;
  std::function<void()> onOkCancel_;
  std::vector<Event> events_;
  int open_ = 0;
};

}  // namespace testing_support
