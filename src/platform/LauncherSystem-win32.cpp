#include "platform/LauncherSystem.h"
#include "platform/LauncherWin32.h"

namespace platform {

struct LauncherSystem::Parts {
  explicit Parts(std::vector<NoticeDialog> notices) : dialogs(std::move(notices)) {}

  detail::WindowsRegistry registry;
  detail::WindowsCdDrives drives;
  detail::WindowsDialogs dialogs;
  SystemBrowser browser{nullptr};
  detail::PolicyAutoPlay autoPlay;
  SystemProgramRunner programs;
  std::string registryPath;
};

// The system's own registry and drives: no variable changes them.
LauncherSystem::LauncherSystem(Getenv, Note, std::vector<NoticeDialog> notices)
    : parts_(std::make_unique<Parts>(std::move(notices))) {}

LauncherSystem::~LauncherSystem() = default;

Registry& LauncherSystem::registry() { return parts_->registry; }
CdDrives& LauncherSystem::drives() { return parts_->drives; }
Dialogs& LauncherSystem::dialogs() { return parts_->dialogs; }
Browser& LauncherSystem::browser() { return parts_->browser; }
AutoPlay& LauncherSystem::autoPlay() { return parts_->autoPlay; }
ProgramRunner& LauncherSystem::programs() { return parts_->programs; }
const std::string& LauncherSystem::registryPath() const { return parts_->registryPath; }
bool LauncherSystem::desktopDialogs() const { return true; }

}  // namespace platform
