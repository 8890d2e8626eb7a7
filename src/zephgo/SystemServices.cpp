#include "zephgo/SystemServices.h"

#include <cstdio>

#include "zephgo/Messages.h"
#include "zephgo/resource.h"

namespace zephgo {
namespace {

void toStderr(const std::string& text) {
  std::fprintf(stderr, "zephgo: %s\n", text.c_str());
  std::fflush(stderr);
}

}  // namespace

SystemServices::SystemServices(Getenv getenv)
    : system_(getenv, toStderr,
              {{kSearchNotice, IDD_SEARCH_NOTICE}, {kBrowserNotice, IDD_BROWSER_NOTICE}}),
      services_{system_.registry(), system_.drives(),   system_.dialogs(), system_.browser(),
                system_.autoPlay(), system_.programs(), toStderr,          nullptr} {}

}  // namespace zephgo
