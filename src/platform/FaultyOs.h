#pragma once

#include <string>

#include "platform/Os.h"

namespace platform {

// A system that makes chosen calls of another one fail as the operating
// system would, for tests of what a failure leaves behind. fails() decides,
// per call, whether it fails:
//
//   kRemove         removePath
//   kRename         replaceFile and renameNoReplace (on the source path)
//   kWrite          writeFile, writeFileDurable, File::writeAt, and copyFile
//                   (on its "<to>.part")
//   kSyncDirectory  syncDirectory
//
// A failed remove or rename returns false and changes nothing; a failed
// write or flush throws base::IOError before anything is written. A failed
// rename in copyFile leaves `to` as it was and no ".part" behind.
class FaultyOs : public ForwardingOs {
 public:
  enum class Op { kRemove, kRename, kWrite, kSyncDirectory };

  explicit FaultyOs(Os& inner) : ForwardingOs(inner) {}

  // True when `op` on `path` must fail.
  [[nodiscard]] virtual bool fails(Op op, const std::string& path) = 0;

  bool renameNoReplace(const std::string& from, const std::string& to) override;
  bool replaceFile(const std::string& from, const std::string& to) override;
  bool removePath(const std::string& path) override;
  void writeFile(const std::string& path, std::string_view data) override;
  void writeFileDurable(const std::string& path, std::string_view data) override;
  void syncDirectory(const std::string& dir) override;
  void copyFile(const std::string& from, const std::string& to) override;
  File open(const std::string& path, File::Mode mode) override;

 private:
  // Fails a write of the whole file `path` when fails() says so, leaving it
  // created and empty as a write that fails after the open does.
  void failWrite(const std::string& path);
};

}  // namespace platform
