#include "platform/ProgressWindow.h"

// The Linux programs show no window: the statistics generator reports its
// progress in its trace only, and its run driver never asks for a window.

namespace platform {

struct ProgressWindow::State {};

std::unique_ptr<ProgressWindow> ProgressWindow::open() { return nullptr; }

ProgressWindow::ProgressWindow(std::unique_ptr<State> state) : state_(std::move(state)) {}
ProgressWindow::~ProgressWindow() = default;
ProgressWindow::Insets ProgressWindow::insets() const { return {}; }
void ProgressWindow::show(const Layout&) {}
void ProgressWindow::setText(int, const std::string&) {}
void ProgressWindow::hide() {}
bool ProgressWindow::closeRequested() { return false; }

}  // namespace platform
