#include "zephgo/Zephgo.h"

#include <system_error>
#include <thread>

#include "zephgo/Messages.h"
#include "zephgo/Window.h"
#include "zephgo/Worker.h"
#include "zephgo/resource.h"

namespace zephgo {

int run(const std::vector<std::string>& args, Services& services) {
  Window window(services.dialogs, platform::LoopWindow{kWindowClass, kWindowTitle, IDI_ZEPHGO});
  if (!window.classRegistered()) services.dialogs.message(kUnexpectedError1, kProgramCaption);
  // Without a window nothing would ever end the program: it ends here, with
  // the initial result.
  if (!window.windowMade()) {
    services.dialogs.message(kUnexpectedError2, kProgramCaption);
    return kInitialResult;
  }
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
