#include "programs/vardo/Frame1.h"

#include "programs/vardo/config.h"

namespace programs::vardo {

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

void Frame1::setVisible(bool b) {
  if (b) {
    x_ = 50;
    y_ = 50;
  }
  visible_ = b;
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
