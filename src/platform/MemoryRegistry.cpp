#include "platform/MemoryRegistry.h"

#include <utility>

#include "base/Text.h"

namespace platform {
namespace {

using base::asciiLower;

}  // namespace

std::optional<std::string> Registry::stringValue(std::string_view key,
                                                 std::string_view name) const {
  auto v = value(key, name);
  if (!v) return std::nullopt;
  if (v->type != RegistryValue::Type::String && v->type != RegistryValue::Type::ExpandString)
    return std::nullopt;
  std::string text = v->data;
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

std::string MemoryRegistry::normalKey(std::string_view key) {
  std::string out;
  out.reserve(key.size());
  for (char c : key) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out += c;
  }
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return asciiLower(out);
}

std::optional<RegistryValue> MemoryRegistry::value(std::string_view key,
                                                   std::string_view name) const {
  auto k = keys_.find(normalKey(key));
  if (k == keys_.end()) return std::nullopt;
  auto v = k->second.find(asciiLower(name));
  if (v == k->second.end()) return std::nullopt;
  return v->second;
}

void MemoryRegistry::set(std::string_view key, std::string_view name, RegistryValue v) {
  keys_[normalKey(key)][asciiLower(name)] = std::move(v);
}

void MemoryRegistry::setString(std::string_view key, std::string_view name, std::string_view text) {
  RegistryValue v;
  v.type = RegistryValue::Type::String;
  v.data = std::string(text);
  set(key, name, std::move(v));
}

void MemoryRegistry::createKey(std::string_view key) { keys_[normalKey(key)]; }

bool MemoryRegistry::remove(std::string_view key, std::string_view name) {
  auto k = keys_.find(normalKey(key));
  if (k == keys_.end()) return false;
  return k->second.erase(asciiLower(name)) > 0;
}

bool MemoryRegistry::hasKey(std::string_view key) const { return keys_.count(normalKey(key)) > 0; }

size_t MemoryRegistry::size() const {
  size_t n = 0;
  for (const auto& k : keys_) n += k.second.size();
  return n;
}

}  // namespace platform
