#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace util {

// The JSON values of the programs and tools: objects keep their keys in the
// order they were added.
using Json = nlohmann::ordered_json;

// Texts of the statistics generator are ISO-8859-1 bytes, one byte per
// character; the JSON library holds UTF-8 and throws on anything else. These
// helpers are the one way a text gets into a Json value.

// The UTF-8 text of ISO-8859-1 bytes: every byte becomes the character of its
// code (bytes below 0x80 stay as they are, the others take two bytes).
std::string latin1ToUtf8(std::string_view latin1);

// A JSON string holding the ISO-8859-1 text `latin1`.
Json jsonText(std::string_view latin1);
// The same, or null when the text is absent.
Json jsonTextOrNull(const std::optional<std::string>& latin1);
// A JSON array of ISO-8859-1 texts, in order.
Json jsonTexts(const std::vector<std::string>& latin1);

// A JSON number, or null when `v` is not finite (NaN or an infinity), which
// JSON cannot hold.
Json jsonNumber(double v);

// The compact text of `value` (no spaces, no line feed), UTF-8, with the
// library's shortest round-trip form for doubles.
std::string jsonDump(const Json& value);

}  // namespace util
