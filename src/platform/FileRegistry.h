#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace platform {

// The registry kept in a REGEDIT4 file (see RegistryFile). The file is read
// again for every lookup, so that what an installer wrote in the meantime is
// seen; it is small and looked at only a few times per run.
class FileRegistry : public Registry {
 public:
  using Reporter = std::function<void(const std::string&)>;
  // `report` is told each problem of the file as "<path>: <problem>", once
  // for as long as the file's problems stay the same.
  FileRegistry(std::string path, Reporter report);

  std::optional<RegistryValue> value(std::string_view key, std::string_view name) const override;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  Reporter report_;
  mutable std::vector<std::string> reported_;
};

}  // namespace platform
