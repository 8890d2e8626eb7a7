#pragma once

#include <string>

#include "platform/LauncherSystem.h"
#include "zephgo/Services.h"

namespace zephgo {

// The real services: the system's pieces the platform sets up for the
// launcher (see platform::LauncherSystem for what each system uses and which
// environment variables change them), with the launcher's notice dialogs.
class SystemServices {
 public:
  // `getenv` reads a variable (null when not set); null: the process
  // environment.
  using Getenv = platform::LauncherSystem::Getenv;
  explicit SystemServices(Getenv getenv = nullptr);
  SystemServices(const SystemServices&) = delete;
  SystemServices& operator=(const SystemServices&) = delete;

  Services& services() { return services_; }
  const std::string& registryPath() const { return system_.registryPath(); }
  bool desktopDialogs() const { return system_.desktopDialogs(); }

 private:
  platform::LauncherSystem system_;
  Services services_;
};

}  // namespace zephgo
