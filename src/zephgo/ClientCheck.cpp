#include "zephgo/ClientCheck.h"

#include "platform/FileSystem.h"

namespace zephgo {
namespace {

constexpr const char* kClassesKey = "HKEY_LOCAL_MACHINE\\Software\\Classes\\";
constexpr size_t kMaxCommand = 1023;

}  // namespace

std::optional<std::string> clientProgram(const platform::Registry& registry) {
  auto fileClass = registry.stringValue(std::string(kClassesKey) + ".spi", "");
  if (!fileClass || fileClass->empty()) return std::nullopt;
  auto command =
      registry.stringValue(std::string(kClassesKey) + *fileClass + "\\Shell\\Open\\command", "");
  if (!command || command->size() > kMaxCommand) return std::nullopt;
  std::string noQuotes;
  for (char c : *command)
    if (c != '"') noQuotes += c;
  std::string name;
  for (size_t i = 0; i < noQuotes.size(); ++i) {
    if (noQuotes.compare(i, 2, "%1") == 0) {
      ++i;
      continue;
    }
    name += noQuotes[i];
  }
  // "prog" "%1" leaves "prog " behind; the blank is no part of the name.
  size_t first = name.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  size_t last = name.find_last_not_of(" \t");
  return name.substr(first, last - first + 1);
}

bool clientInstalled(const platform::Registry& registry) {
  auto program = clientProgram(registry);
  return program && platform::isFile(*program);
}

}  // namespace zephgo
