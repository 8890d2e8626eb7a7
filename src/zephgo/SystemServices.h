#pragma once

#include <memory>
#include <string>

#include "platform/AutoPlay.h"
#include "platform/Browser.h"
#include "platform/CdDrives.h"
#include "platform/FileRegistry.h"
#include "platform/ProgramRunner.h"
#include "platform/TerminalDialogs.h"
#include "platform/ZenityDialogs.h"
#include "zephgo/Services.h"

namespace zephgo {

// The real services, set up from the environment:
//   ZEPHGO_REGISTRY  the registry file (default RegistryFile::defaultPath())
//   ZEPHGO_CDROMS    CD roots separated by ":" instead of the mounted media
//   ZEPHGO_ANSWERS   the answers of the OK/Cancel boxes, e.g. "OK,Cancel";
//                    when set, every box is written to standard error
//   DISPLAY, WAYLAND_DISPLAY  a desktop to show the boxes on (with zenity)
//   BROWSER          the browser commands (default xdg-open)
class SystemServices {
 public:
  // `getenv` reads a variable (null when not set); null: the process
  // environment.
  using Getenv = const char* (*)(const char*);
  explicit SystemServices(Getenv getenv = nullptr);
  SystemServices(const SystemServices&) = delete;
  SystemServices& operator=(const SystemServices&) = delete;

  Services& services() { return services_; }
  const std::string& registryPath() const { return registry_.path(); }
  bool desktopDialogs() const { return zenity_ != nullptr; }

 private:
  platform::Dialogs& dialogs();

  Getenv getenv_;
  platform::FileRegistry registry_;
  platform::SystemCdDrives drives_;
  platform::TerminalDialogs terminal_;
  std::unique_ptr<platform::ZenityDialogs> zenity_;
  platform::SystemBrowser browser_;
  platform::NoAutoPlay autoPlay_;
  platform::SystemProgramRunner programs_;
  Services services_;
};

}  // namespace zephgo
