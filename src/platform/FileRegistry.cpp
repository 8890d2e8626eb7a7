#include "platform/FileRegistry.h"

#include "platform/RegistryFile.h"

namespace platform {

FileRegistry::FileRegistry(std::string path, Reporter report)
    : path_(std::move(path)), report_(std::move(report)) {}

std::optional<RegistryValue> FileRegistry::value(std::string_view key,
                                                 std::string_view name) const {
  RegistryFile file = RegistryFile::load(path_);
  std::vector<std::string> problems = file.problems();
  if (file.problemCount() > problems.size())
    problems.push_back("and " + std::to_string(file.problemCount() - problems.size()) +
                       " more problems");
  if (problems != reported_) {
    if (report_)
      for (const auto& p : problems) report_(path_ + ": " + p);
    reported_ = std::move(problems);
  }
  return file.registry().value(key, name);
}

}  // namespace platform
