#include "uploader/ClientDescription.h"

#include "platform/HostInfo.h"
#include "platform/Socket.h"
#include "platform/System.h"

namespace uploader {

std::string ClientDescription::systemDescription() {
  std::optional<platform::KernelInfo> k = platform::kernelInfo();
  if (!k) return platform::osName() + " - Unknown - " + kUploaderVersion;
  return k->systemName + " (" + std::to_string(k->major) + "." + std::to_string(k->minor) + " - " +
         k->release + " - " + kUploaderVersion + ")";
}

std::string ClientDescription::localAddress(Output& out) {
  std::optional<std::string> name = platform::localHostName();
  if (!name) {
    out.say("[E10]: *** ERROR: no hostname for local host");
    return kNoAddress;
  }
  std::optional<uint32_t> a = platform::resolveIPv4(*name);
  if (!a) {
    out.say("[E11]: *** ERROR: can't convert name");
    return kNoAddress;
  }
  return platform::dottedQuad(*a);
}

}  // namespace uploader
