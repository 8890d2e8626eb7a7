#include "zephgo/Zephgo.h"

#include <system_error>
#include <thread>

#include "zephgo/Messages.h"
#include "zephgo/Window.h"
#include "zephgo/Worker.h"

namespace zephgo {

// Registering the window class and creating the window (errors [1] and [2]
// of the boxes) cannot fail here: the window is an event loop in memory.
int run(const std::vector<std::string>& args, Services& services) {
  Window window(services.dialogs);
  Worker worker(args, services, window);
  std::thread thread;
  try {
    auto body = [&worker] { worker.run(); };
    thread = services.startThread ? services.startThread(body) : std::thread(body);
  } catch (const std::system_error&) {
    services.dialogs.message(kUnexpectedError3, kProgramCaption);
    window.close();
  }
  int code = window.run();
  // The worker has posted its last message before the loop could end.
  if (thread.joinable()) thread.join();
  return code;
}

}  // namespace zephgo
