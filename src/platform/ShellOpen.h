#pragma once

#include <string>

namespace platform {

// Opens `target`, a document's path or a web address, with the program the
// desktop has for it (the default browser for a page), without waiting for
// that program. Returns false, with the reason in *error, when no program
// could be started for it.
//
// Windows: the shell's "open" verb. Linux: "xdg-open", looked up in PATH and
// started in a session of its own with the null device for its standard
// handles.
[[nodiscard]] bool shellOpen(const std::string& target, std::string* error);

}  // namespace platform
