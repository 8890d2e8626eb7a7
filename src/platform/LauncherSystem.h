#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/AutoPlay.h"
#include "platform/Browser.h"
#include "platform/CdDrives.h"
#include "platform/Dialogs.h"
#include "platform/ProgramRunner.h"
#include "platform/Registry.h"

namespace platform {

// A notice of the launcher that has a dialog of its own among the program's
// resources (Windows); `text` is the notice's text, `resource` the dialog's id.
struct NoticeDialog {
  std::string text;
  int resource = 0;
};

// The launcher's real pieces of the system.
//
// Windows: the system registry, the CD-ROM drives by drive letter, message
// boxes and resource dialogs, the shell's "open" for the browser, the 9x
// AutoRun policy and CreateProcessW; the environment is not read.
//
// Linux: set up from the environment:
//   ZEPHGO_REGISTRY  the registry file (default RegistryFile::defaultPath())
//   ZEPHGO_CDROMS    CD roots separated by ":" instead of the mounted media
//   ZEPHGO_ANSWERS   the answers of the OK/Cancel boxes, e.g. "OK,Cancel";
//                    when set, every box is written to standard error
//   DISPLAY, WAYLAND_DISPLAY  a desktop to show the boxes on (with zenity)
//   BROWSER          the browser commands (default xdg-open)
class LauncherSystem {
 public:
  // `getenv` reads a variable (null when not set); null: the process
  // environment. `note` gets the problems of a registry file.
  using Getenv = const char* (*)(const char*);
  using Note = std::function<void(const std::string&)>;
  LauncherSystem(Getenv getenv, Note note, std::vector<NoticeDialog> notices);
  LauncherSystem(const LauncherSystem&) = delete;
  LauncherSystem& operator=(const LauncherSystem&) = delete;
  ~LauncherSystem();

  Registry& registry();
  CdDrives& drives();
  Dialogs& dialogs();
  Browser& browser();
  AutoPlay& autoPlay();
  ProgramRunner& programs();

  // Linux: the registry file's path; Windows: empty.
  const std::string& registryPath() const;
  // Whether the boxes are shown on a desktop.
  bool desktopDialogs() const;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace platform
