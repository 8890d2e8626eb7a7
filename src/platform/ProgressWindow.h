#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A small fixed-size window of the system's window toolkit that shows two
// one-line texts on a plain background, for a batch program to show what it
// is doing. The window lives on a thread of its own, so that it is drawn
// while the program works. Closing it only hides it; the program learns of
// it through closeRequested().
//
// On Linux no window is shown: open() returns nullptr there.
class ProgressWindow {
 public:
  struct Colour {
    int32_t r = 0, g = 0, b = 0;
  };
  // The width of the window's frame on each side; the title bar is in `top`.
  struct Insets {
    int32_t top = 0, left = 0, bottom = 0, right = 0;
  };
  // A text line: its place and size in window coordinates (from the outer
  // top-left corner of the window, frame included), its colours and text.
  struct Field {
    int32_t x = 0, y = 0, width = 0, height = 0;
    Colour background, foreground;
    std::string text;
  };
  struct Layout {
    std::string title;
    // The window's outer place and size on the screen, frame included.
    int32_t x = 0, y = 0, width = 0, height = 0;
    Colour background;
    Field fields[2];
  };

  // A new window, hidden; nullptr where the system shows none or the window
  // cannot be made (no desktop to show it on).
  static std::unique_ptr<ProgressWindow> open();

  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;
  // Closes the window and ends its thread.
  ~ProgressWindow();

  // The frame a window of this kind gets around its client area.
  Insets insets() const;
  // Lays the window out as `layout` says and shows it.
  void show(const Layout& layout);
  // Replaces the text of field `index` (0 or 1).
  void setText(int index, const std::string& text);
  void hide();
  // True once after the user asked to close the window (which hid it).
  [[nodiscard]] bool closeRequested();

  struct State;

 private:
  explicit ProgressWindow(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace platform
