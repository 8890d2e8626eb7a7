// Fuzz entry point: the log tokenizer and the event records over any bytes.
#include <cstdint>
#include <optional>
#include <string>

#include "games/Zorlog.h"
#include "games/bf/EventList.h"
#include "util/Debug.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  util::Debug::setType("None", ".");
  std::optional<std::string> text(std::in_place, reinterpret_cast<const char*>(data), size);
  auto lines = games::Zorlog::parse(text);
  for (const auto& line : lines) {
    for (const auto& field : line) {
      if (field.find_first_of("\t\r\n") != std::string::npos) __builtin_trap();
    }
  }
  auto events = games::bf::EventList::parse(lines);
  if (events) {
    for (const auto& e : *events) {
      if (!e->isValid()) __builtin_trap();
    }
  }
  return 0;
}
