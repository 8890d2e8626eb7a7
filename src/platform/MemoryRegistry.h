#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace platform {

// A registry held in memory: what a registry file holds, and the test double
// of the registry.
class MemoryRegistry : public Registry {
 public:
  std::optional<RegistryValue> value(std::string_view key, std::string_view name) const override;

  // Sets a value, creating the key. The empty name is the default value.
  void set(std::string_view key, std::string_view name, RegistryValue v);
  void setString(std::string_view key, std::string_view name, std::string_view text);
  // Creates the key without values (a "[key]" line of a file).
  void createKey(std::string_view key);
  // Removes one value; false when it was not there.
  [[nodiscard]] bool remove(std::string_view key, std::string_view name);
  [[nodiscard]] bool hasKey(std::string_view key) const;
  // The number of values over all keys.
  size_t size() const;

  // The form in which key paths are compared: ASCII lower case, runs of
  // backslashes as one, no backslash at either end.
  static std::string normalKey(std::string_view key);

 private:
  // normalKey(key) -> (lower-case value name -> value)
  std::map<std::string, std::map<std::string, RegistryValue>> keys_;
};

}  // namespace platform
