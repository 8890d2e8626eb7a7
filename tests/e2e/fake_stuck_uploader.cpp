// Stands in for an uploader that hangs: holds the uploader's lock port and
// sleeps until it is killed (at most ten minutes).
#include <unistd.h>

#include "platform/Socket.h"

int main() {
  platform::BindFailure f;
  platform::Socket lock = platform::bindLocalPort(19273, &f);
  if (!lock.isOpen()) return 1;
  ::sleep(600);
  return 0;
}
