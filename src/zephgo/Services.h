#pragma once

#include <functional>
#include <string>
#include <thread>

#include "platform/AutoPlay.h"
#include "platform/Browser.h"
#include "platform/CdDrives.h"
#include "platform/Dialogs.h"
#include "platform/ProgramRunner.h"
#include "platform/Registry.h"

namespace zephgo {

// What the launcher uses of the system; tests fill it with doubles.
struct Services {
  platform::Registry& registry;
  platform::CdDrives& drives;
  platform::Dialogs& dialogs;
  platform::Browser& browser;
  platform::AutoPlay& autoPlay;
  platform::ProgramRunner& programs;
  // Diagnostics beyond the boxes (an installer that could not be started,
  // a broken registry file); null: written to standard error.
  std::function<void(const std::string&)> note = nullptr;
  // Starts the worker thread; null: std::thread. May throw
  // std::system_error, as std::thread does when no thread can be made.
  std::function<std::thread(std::function<void()>)> startThread = nullptr;
};

}  // namespace zephgo
