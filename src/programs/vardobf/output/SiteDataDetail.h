#pragma once

// Internal to the site data writer: the small helpers that its parts
// (SiteData.cpp, SiteDataMatches.cpp) share.

#include <cstdint>
#include <optional>
#include <string>

#include "programs/vardobf/output/SiteData.h"
#include "util/Json.h"

namespace programs::vardobf::output::sitedata {

using Json = SiteData::Json;

// The format of every data file ("format" in each).
inline constexpr int kFormat = 1;

// A text of the logs (ISO-8859-1) as a JSON string; an absent one as null.
inline Json text(const std::string& latin1) { return util::jsonText(latin1); }
inline Json text(const std::optional<std::string>& latin1) { return util::jsonTextOrNull(latin1); }

// The member `key` of a value read back from a file, or null where the value
// is no object or has no such member. Read values are only looked at through
// this: indexing would add members, which moves the others.
inline const Json& member(const Json& j, const char* key) {
  static const Json kNone;
  if (!j.is_object()) return kNone;
  const auto it = j.find(key);
  return it == j.end() ? kNone : *it;
}

inline double perHour(int64_t frags, double time) {
  return time == 0.0 ? 0.0 : static_cast<double>(frags) * 3600.0 / time;
}

}  // namespace programs::vardobf::output::sitedata
