#include "programs/vardo/Frame1.h"

#include "programs/vardo/config.h"

namespace programs::vardo {

namespace {

platform::ProgressWindow::Colour colourOf(const Frame1::Rgb& c) { return {c.r, c.g, c.b}; }

platform::ProgressWindow::Field fieldOf(const Frame1::TextField& f) {
  return {f.x, f.y, f.width, f.height, colourOf(f.background), colourOf(f.foreground), f.text};
}

}  // namespace

Frame1::Frame1()
    : textField1{84, 12, 228, 24, kBackground, kWhite, ""},
      textField2{12, 48, 375, 24, kBackground, kWhite, "Loading Log Files..."} {
  if (config::program == "VardoBF") {
    textField1.text = "Vardo(tm) v" + config::getVersion() + " for Brimfall(tm)";
    title_ = "Vardo for Brimfall(tm)";
  } else {
    textField1.text = "Vardo(tm) v" + config::getVersion();
    title_ = "Vardo";
  }
}

Frame1::~Frame1() = default;

void Frame1::setVisible(bool b) {
  takeCloseRequest();
  if (b) {
    x_ = 50;
    y_ = 50;
  }
  visible_ = b;
  if (b) {
    showWindow();
  } else if (window_) {
    window_->hide();
  }
}

void Frame1::printText(const std::string& s) {
  takeCloseRequest();
  textField2.text = s;
  if (window_) window_->setText(1, s);
}

void Frame1::printHeader(const std::string& s) {
  takeCloseRequest();
  textField1.text = s;
  if (window_) window_->setText(0, s);
}

void Frame1::takeCloseRequest() {
  if (window_ && window_->closeRequested()) Frame1_WindowClosing();
}

void Frame1::showWindow() {
  if (!windowTried_) {
    // Made once; realised with its frame's insets.
    windowTried_ = true;
    window_ = platform::ProgressWindow::open();
    if (window_) {
      const platform::ProgressWindow::Insets in = window_->insets();
      addNotify({in.top, in.left, in.bottom, in.right});
    }
  }
  if (!window_) return;
  platform::ProgressWindow::Layout l;
  l.title = title_;
  l.x = x_;
  l.y = y_;
  l.width = width_;
  l.height = height_;
  l.background = colourOf(kBackground);
  l.fields[0] = fieldOf(textField1);
  l.fields[1] = fieldOf(textField2);
  window_->show(l);
}

void Frame1::addNotify(const Insets& insets) {
  if (fComponentsAdjusted) return;
  width_ += insets.left + insets.right;
  height_ += insets.top + insets.bottom;
  for (TextField* f : {&textField1, &textField2}) {
    f->x += insets.left;
    f->y += insets.top;
  }
  fComponentsAdjusted = true;
}

}  // namespace programs::vardo
