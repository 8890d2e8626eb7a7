#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zephgo {

// The argument counts as a number when its decimal value (leading blanks and
// a sign allowed, digits up to the first other character) is not zero, or
// when it begins with "0": "0" and "12abc" are numbers, "abc" and "" are not.
bool isNumericArgument(std::string_view arg);

// The login address for a game class id: the login page with the query
// "game_id=" and the id, whose characters other than letters, digits and
// "-._~" are percent-encoded so that the id stays one query value. None when
// the address would be longer than kMaxAddressLength.
std::optional<std::string> loginAddress(std::string_view gameClassId);

}  // namespace zephgo
