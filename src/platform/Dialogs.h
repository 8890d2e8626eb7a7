#pragma once

#include <memory>
#include <string>

namespace platform {

// A small notice window without buttons; it disappears when the object is
// destroyed.
class Notice {
 public:
  virtual ~Notice() = default;
};

// Message boxes and notices.
class Dialogs {
 public:
  enum class Answer { Ok, Cancel };
  virtual ~Dialogs() = default;
  // A box with `text`, the title `caption` and an OK button; returns when it
  // is dismissed.
  virtual void message(const std::string& text, const std::string& caption) = 0;
  // A box with OK and Cancel buttons.
  virtual Answer okCancel(const std::string& text, const std::string& caption) = 0;
  // Shows `text` until the returned notice is destroyed.
  virtual std::unique_ptr<Notice> notice(const std::string& text) = 0;
};

}  // namespace platform
