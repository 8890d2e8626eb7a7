#include "zephgo/SystemServices.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include <unistd.h>

#include "platform/RegistryFile.h"

namespace zephgo {
namespace {

const char* systemGetenv(const char* name) { return std::getenv(name); }

bool isSet(const char* value) { return value != nullptr && *value != '\0'; }

void toStderr(const std::string& text) {
  std::fprintf(stderr, "zephgo: %s\n", text.c_str());
  std::fflush(stderr);
}

std::string registryFile(SystemServices::Getenv getenv) {
  const char* path = getenv("ZEPHGO_REGISTRY");
  if (isSet(path)) return path;
  return platform::RegistryFile::defaultPath(getenv("XDG_CONFIG_HOME"), getenv("HOME"));
}

std::optional<std::string> answers(SystemServices::Getenv getenv) {
  const char* script = getenv("ZEPHGO_ANSWERS");
  if (script == nullptr) return std::nullopt;
  return std::string(script);
}

// Desktop boxes when there is a display and the answers are not scripted.
std::unique_ptr<platform::ZenityDialogs> desktop(SystemServices::Getenv getenv,
                                                 platform::Dialogs& fallback) {
  bool display = isSet(getenv("DISPLAY")) || isSet(getenv("WAYLAND_DISPLAY"));
  if (!display || getenv("ZEPHGO_ANSWERS") != nullptr) return nullptr;
  return std::make_unique<platform::ZenityDialogs>("zenity", fallback);
}

}  // namespace

SystemServices::SystemServices(Getenv getenv)
    : getenv_(getenv != nullptr ? getenv : systemGetenv),
      registry_(registryFile(getenv_), toStderr),
      drives_(getenv_("ZEPHGO_CDROMS")),
      terminal_(stderr, stdin, ::isatty(0) == 1, answers(getenv_)),
      zenity_(desktop(getenv_, terminal_)),
      browser_(getenv_("BROWSER")),
      services_{registry_, drives_, dialogs(), browser_, autoPlay_, programs_, toStderr, nullptr} {}

platform::Dialogs& SystemServices::dialogs() {
  if (zenity_) return *zenity_;
  return terminal_;
}

}  // namespace zephgo
