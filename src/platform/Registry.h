#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// One value of a registry key.
struct RegistryValue {
  enum class Type { String, ExpandString, Dword, Binary, Other };
  Type type = Type::String;
  // String types: the text (without a terminating NUL). Dword: four bytes,
  // little-endian. Binary and Other: the bytes as stored.
  std::string data;
  // The numeric type of an Other value (the n of "hex(n):").
  uint32_t rawType = 0;
};

// Read access to the registry: keys named by their full path beginning with
// the root key, for example "HKEY_LOCAL_MACHINE\Software\Classes\.spi". Key
// and value names are compared without regard to ASCII case. The Linux side
// is a REGEDIT4 text file read into a MemoryRegistry.
class Registry {
 public:
  virtual ~Registry() = default;
  // The value `name` of `key`; the empty name is the key's default value.
  // None when the key or the value does not exist.
  virtual std::optional<RegistryValue> value(std::string_view key, std::string_view name) const = 0;

  // The value as text when it is a string value (up to its first NUL); none
  // when it is missing or of another type.
  std::optional<std::string> stringValue(std::string_view key, std::string_view name) const;
};

}  // namespace platform
