#include <cstring>
#include <vector>

#include <windows.h>

#include "base/Text.h"
#include "platform/LauncherWin32.h"
#include "platform/WideText.h"

namespace platform::detail {
namespace {

bool sameName(std::string_view a, std::string_view b) { return base::equalsIgnoreCase(a, b); }

// The root key a path begins with; null when it names none.
HKEY rootKey(std::string_view name) {
  struct Root {
    const char* longName;
    const char* shortName;
    HKEY key;
  };
  static const Root roots[] = {
      {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
      {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
      {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
      {"HKEY_USERS", "HKU", HKEY_USERS},
      {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG},
  };
  for (const Root& r : roots)
    if (sameName(name, r.longName) || sameName(name, r.shortName)) return r.key;
  return nullptr;
}

// Closes an open key.
class Key {
 public:
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_ != nullptr) ::RegCloseKey(key_);
  }
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::optional<RegistryValue> WindowsRegistry::value(std::string_view key,
                                                    std::string_view name) const {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  const size_t slash = key.find('\\');
  HKEY root = rootKey(key.substr(0, slash));
  if (root == nullptr) return std::nullopt;
  std::string_view path =
      slash == std::string_view::npos ? std::string_view() : key.substr(slash + 1);
  Key open;
  if (::RegOpenKeyExW(root, wideText(path).c_str(), 0, KEY_QUERY_VALUE, open.out()) !=
      ERROR_SUCCESS)
    return std::nullopt;
  const std::wstring valueName = wideText(name);
  std::vector<BYTE> data(256);
  DWORD type = 0;
  LSTATUS status = ERROR_MORE_DATA;
  DWORD size = 0;
  // A value that grows between the calls is asked for again.
  for (int attempt = 0; attempt < 8 && status == ERROR_MORE_DATA; ++attempt) {
    size = static_cast<DWORD>(data.size());
    status = ::RegQueryValueExW(open.get(), valueName.c_str(), nullptr, &type, data.data(), &size);
    if (status == ERROR_MORE_DATA) data.resize(size > data.size() ? size : data.size() * 2);
  }
  if (status != ERROR_SUCCESS) return std::nullopt;
  data.resize(size);
  RegistryValue v;
  v.rawType = type;
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      v.type = type == REG_SZ ? RegistryValue::Type::String : RegistryValue::Type::ExpandString;
      std::wstring text(data.size() / sizeof(wchar_t), L'\0');
      if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      v.data = utf8Text(text);
      break;
    }
    case REG_DWORD:
      v.type = RegistryValue::Type::Dword;
      v.data.assign(reinterpret_cast<const char*>(data.data()), data.size());
      break;
    case REG_BINARY:
      v.type = RegistryValue::Type::Binary;
      v.data.assign(reinterpret_cast<const char*>(data.data()), data.size());
      break;
    default:
      v.type = RegistryValue::Type::Other;
      v.data.assign(reinterpret_cast<const char*>(data.data()), data.size());
      break;
  }
  return v;
}

}  // namespace platform::detail
