#include <cstdio>
#include <cstdlib>
#include <optional>

#include <unistd.h>

#include "platform/FileRegistry.h"
#include "platform/LauncherSystem.h"
#include "platform/RegistryFile.h"
#include "platform/TerminalDialogs.h"
#include "platform/ZenityDialogs.h"

namespace platform {
namespace {

const char* systemGetenv(const char* name) { return std::getenv(name); }

bool isSet(const char* value) { return value != nullptr && *value != '\0'; }

std::string registryFile(LauncherSystem::Getenv getenv) {
  const char* path = getenv("ZEPHGO_REGISTRY");
  if (isSet(path)) return path;
  return RegistryFile::defaultPath(getenv("XDG_CONFIG_HOME"), getenv("HOME"));
}

std::optional<std::string> answers(LauncherSystem::Getenv getenv) {
  const char* script = getenv("ZEPHGO_ANSWERS");
  if (script == nullptr) return std::nullopt;
  return std::string(script);
}

// Desktop boxes when there is a display and the answers are not scripted.
std::unique_ptr<ZenityDialogs> desktop(LauncherSystem::Getenv getenv, Dialogs& fallback) {
  bool display = isSet(getenv("DISPLAY")) || isSet(getenv("WAYLAND_DISPLAY"));
  if (!display || getenv("ZEPHGO_ANSWERS") != nullptr) return nullptr;
  return std::make_unique<ZenityDialogs>("zenity", fallback);
}

}  // namespace

struct LauncherSystem::Parts {
  Parts(Getenv getenv, Note note)
      : registry(registryFile(getenv), std::move(note)),
        drives(getenv("ZEPHGO_CDROMS")),
        terminal(stderr, stdin, ::isatty(0) == 1, answers(getenv)),
        zenity(desktop(getenv, terminal)),
        browser(getenv("BROWSER")) {}

  FileRegistry registry;
  SystemCdDrives drives;
  TerminalDialogs terminal;
  std::unique_ptr<ZenityDialogs> zenity;
  SystemBrowser browser;
  NoAutoPlay autoPlay;
  SystemProgramRunner programs;
};

// The notices are drawn by the dialog program or the terminal: no resources.
LauncherSystem::LauncherSystem(Getenv getenv, Note note, std::vector<NoticeDialog>)
    : parts_(std::make_unique<Parts>(getenv != nullptr ? getenv : systemGetenv, std::move(note))) {}

LauncherSystem::~LauncherSystem() = default;

Registry& LauncherSystem::registry() { return parts_->registry; }
CdDrives& LauncherSystem::drives() { return parts_->drives; }
Dialogs& LauncherSystem::dialogs() {
  if (parts_->zenity) return *parts_->zenity;
  return parts_->terminal;
}
Browser& LauncherSystem::browser() { return parts_->browser; }
AutoPlay& LauncherSystem::autoPlay() { return parts_->autoPlay; }
ProgramRunner& LauncherSystem::programs() { return parts_->programs; }
const std::string& LauncherSystem::registryPath() const { return parts_->registry.path(); }
bool LauncherSystem::desktopDialogs() const { return parts_->zenity != nullptr; }

}  // namespace platform
