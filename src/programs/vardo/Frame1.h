#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ProgressWindow.h"

namespace programs::vardo {

// The progress window of the statistics generator: a fixed-size window with
// a header line and a status line. This class keeps the window's state (title,
// geometry, colours, texts, visibility); the system's window
// (platform::ProgressWindow) is made the first time it is shown, realised with
// its decoration insets (addNotify), and follows every change. Where the
// system has no such window (Linux), only the state changes; on Linux the
// run driver never creates it.
class Frame1 {
 public:
  struct Rgb {
    int32_t r, g, b;
    bool operator==(const Rgb&) const = default;
  };
  struct TextField {
    int32_t x, y, width, height;
    Rgb background, foreground;
    std::string text;
  };
  struct Insets {
    int32_t top = 0, left = 0, bottom = 0, right = 0;
  };

  static constexpr Rgb kBackground{16, 0, 120};
  static constexpr Rgb kWhite{255, 255, 255};

  // Builds the window, not yet visible. The header and title depend on the
  // program name and version in the settings.
  Frame1();
  ~Frame1();
  Frame1(const Frame1&) = delete;
  Frame1& operator=(const Frame1&) = delete;

  // Moves the window to (50, 50) first when `b` is true; then shows or hides it.
  void setVisible(bool b);
  // Replaces the status line's text.
  void printText(const std::string& s);
  // Replaces the header line's text.
  void printHeader(const std::string& s);
  // The toolkit realised the window with these decoration insets: the first
  // time, the window grows by them and the fields move by the top-left inset,
  // so the client area stays 400 x 100.
  void addNotify(const Insets& insets);
  // The close request only hides the window; the run goes on.
  void Frame1_WindowClosing() { setVisible(false); }
  // Takes a close request the user made on the system's window, if any.
  void takeCloseRequest();

  bool fComponentsAdjusted = false;
  TextField textField1;  // header line
  TextField textField2;  // status line

  const std::string& title() const { return title_; }
  bool visible() const { return visible_; }
  int32_t x() const { return x_; }
  int32_t y() const { return y_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }

 private:
  void showWindow();

  std::string title_;
  bool visible_ = false;
  // The system's window, once shown; none where the system has none.
  std::unique_ptr<platform::ProgressWindow> window_;
  bool windowTried_ = false;
  int32_t x_ = 0, y_ = 0;
  int32_t width_ = 400, height_ = 100;
};

}  // namespace programs::vardo
