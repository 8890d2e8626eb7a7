#include "platform/FaultyOs.h"

#include "base/Failure.h"

namespace platform {
namespace {

[[noreturn]] void injected(const std::string& what, const std::string& path) {
  throw base::IOError(what + " " + path + ": input/output error (injected)");
}

// A file whose writes fail where the system says so.
class FaultyFile : public OsFile {
 public:
  FaultyFile(FaultyOs& os, File f) : os_(os), f_(std::move(f)) {}

  const std::string& path() const override { return f_.path(); }
  int64_t size() const override { return f_.size(); }
  size_t readAt(int64_t offset, std::span<uint8_t> out) const override {
    return f_.readAt(offset, out);
  }
  void writeAt(int64_t offset, std::span<const uint8_t> data) override {
    if (os_.fails(FaultyOs::Op::kWrite, f_.path())) injected("cannot write", f_.path());
    f_.writeAt(offset, data);
  }
  void truncate(int64_t length) override { f_.truncate(length); }
  void sync() override { f_.sync(); }
  void close() override { f_.close(); }

 private:
  FaultyOs& os_;
  File f_;
};

}  // namespace

bool FaultyOs::renameNoReplace(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() && !fails(Op::kRename, from) &&
         inner().renameNoReplace(from, to);
}

bool FaultyOs::replaceFile(const std::string& from, const std::string& to) {
  return !fails(Op::kRename, from) && inner().replaceFile(from, to);
}

bool FaultyOs::removePath(const std::string& path) {
  return !path.empty() && !fails(Op::kRemove, path) && inner().removePath(path);
}

void FaultyOs::failWrite(const std::string& path) {
  if (!fails(Op::kWrite, path)) return;
  inner().writeFile(path, "");
  injected("cannot write", path);
}

void FaultyOs::writeFile(const std::string& path, std::string_view data) {
  failWrite(path);
  inner().writeFile(path, data);
}

void FaultyOs::writeFileDurable(const std::string& path, std::string_view data) {
  failWrite(path);
  inner().writeFileDurable(path, data);
}

void FaultyOs::syncDirectory(const std::string& dir) {
  const std::string d = dir.empty() ? "." : dir;
  if (fails(Op::kSyncDirectory, d)) injected("cannot flush directory", d);
  inner().syncDirectory(dir);
}

void FaultyOs::copyFile(const std::string& from, const std::string& to) {
  const std::string part = to + ".part";
  const bool write = fails(Op::kWrite, part);
  const bool rename = !write && fails(Op::kRename, part);
  if (write || rename) {
    // A missing source fails first, as in the real copy; nothing is written.
    (void)inner().readFile(from);
    if (write) injected("cannot write", part);
    throw base::IOError("cannot create " + to);
  }
  inner().copyFile(from, to);
}

File FaultyOs::open(const std::string& path, File::Mode mode) {
  return File(std::make_unique<FaultyFile>(*this, inner().open(path, mode)));
}

}  // namespace platform
