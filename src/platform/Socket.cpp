#include "platform/Socket.h"

namespace platform {

std::string dottedQuad(uint32_t address) {
  return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xff) + "." +
         std::to_string((address >> 8) & 0xff) + "." + std::to_string(address & 0xff);
}

}  // namespace platform
