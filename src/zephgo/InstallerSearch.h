#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/CdDrives.h"

namespace zephgo {

// True for a name matching "zeph????.exe", letters in any case.
bool isInstallerName(std::string_view name);

// The first installer file under `root`: the files of a directory are looked
// at before its subdirectories, which are searched depth first, all in name
// order; entries whose names begin with "." and directories named
// "Recycled" are skipped. A directory reached a second time (through a
// symbolic link) is not searched again, so looping trees end; an unreadable
// directory is passed over. None when there is no installer.
std::optional<std::string> findInstaller(const std::string& root);

// findInstaller() over the drives' roots in drive order.
std::optional<std::string> searchDrives(platform::CdDrives& drives);

}  // namespace zephgo
