#include "tools/collector/CollectorOptions.h"

#include "base/Failure.h"
#include "util/Text.h"

namespace tools::collector {
namespace {

bool hostPort(const std::string& text, std::string* host, uint16_t* port, bool allowZero) {
  size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  try {
    int32_t p = util::parseInt32(text.substr(colon + 1));
    if (p < (allowZero ? 0 : 1) || p > 65535) return false;
    *port = static_cast<uint16_t>(p);
  } catch (const base::NumberFormatError&) {
    return false;
  }
  *host = text.substr(0, colon);
  return true;
}

bool count(const std::string& text, int64_t min, int64_t* out) {
  try {
    *out = util::parseInt64(text);
    return *out >= min;
  } catch (const base::NumberFormatError&) {
    return false;
  }
}

}  // namespace

std::optional<CollectorOptions> CollectorOptions::parse(const std::vector<std::string>& args,
                                                        std::string* error) {
  CollectorOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--redirect-all") {
      o.redirectAll = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      *error = "unknown option or missing value: " + a;
      return std::nullopt;
    }
    const std::string& v = args[++i];
    int64_t n = 0;
    bool ok = true;
    if (a == "--listen") {
      ok = hostPort(v, &o.address, &o.port, true);
    } else if (a == "--store") {
      o.storeDir = v;
    } else if (a == "--incoming") {
      o.incomingDir = v;
    } else if (a == "--port-file") {
      o.portFile = v;
    } else if (a == "--max-size") {
      ok = count(v, 0, &o.maxSize);
    } else if (a == "--idle-timeout") {
      ok = count(v, 0, &o.idleTimeoutSeconds);
    } else if (a == "--max-clients") {
      ok = count(v, 1, &n) && n <= 10000;
      o.maxClients = static_cast<int>(n);
    } else if (a == "--redirect") {
      ok = hostPort(v, &o.redirectHost, &o.redirectPort, false);
    } else if (a == "--drop-after") {
      ok = count(v, 0, &o.dropAfterBytes);
    } else if (a == "--allow") {
      auto net = AllowList::parseNet(v);
      if (!net) {
        *error = "bad value for --allow: \"" + v +
                 "\" (an IPv4 address, or a network such as 10.0.0.0/8)";
        return std::nullopt;
      }
      o.allow.add(*net);
    } else if (a == "--max-store") {
      ok = count(v, 0, &o.maxStore);
    } else if (a == "--fault") {
      if (v == "garbage")
        o.fault = Fault::kGarbage;
      else if (v == "stall")
        o.fault = Fault::kStall;
      else if (v == "no-ack")
        o.fault = Fault::kNoAck;
      else if (v == "full-disk")
        o.fault = Fault::kFullDisk;
      else if (v == "no-newline")
        o.fault = Fault::kNoNewline;
      else if (v == "early-ack")
        o.fault = Fault::kEarlyAck;
      else
        ok = false;
    } else {
      *error = "unknown option: " + a;
      return std::nullopt;
    }
    if (!ok) {
      *error = "bad value for " + a + ": \"" + v + "\"";
      return std::nullopt;
    }
  }
  if (o.storeDir.empty()) {
    *error = "--store is required";
    return std::nullopt;
  }
  while (o.storeDir.size() > 1 && o.storeDir.back() == '/') o.storeDir.pop_back();
  if (o.incomingDir.empty()) o.incomingDir = o.storeDir + ".incoming";
  return o;
}

}  // namespace tools::collector
