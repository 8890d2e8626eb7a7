#include "platform/MemoryOs.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemSide.h"

namespace platform {
namespace {

class MemoryFile : public OsFile {
 public:
  MemoryFile(std::string path, std::shared_ptr<std::string> data)
      : path_(std::move(path)), data_(std::move(data)) {}

  const std::string& path() const override { return path_; }
  int64_t size() const override { return static_cast<int64_t>(data_->size()); }
  size_t readAt(int64_t offset, std::span<uint8_t> out) const override {
    if (offset < 0) throw base::IOError("cannot read " + path_ + " at a negative offset");
    const auto at = static_cast<size_t>(offset);
    if (at >= data_->size()) return 0;
    const size_t n = std::min(out.size(), data_->size() - at);
    std::memcpy(out.data(), data_->data() + at, n);
    return n;
  }
  void writeAt(int64_t offset, std::span<const uint8_t> data) override {
    if (offset < 0) throw base::IOError("cannot write " + path_ + " at a negative offset");
    const auto at = static_cast<size_t>(offset);
    if (data_->size() < at + data.size()) data_->resize(at + data.size(), '\0');
    if (!data.empty()) std::memcpy(data_->data() + at, data.data(), data.size());
  }
  void truncate(int64_t length) override {
    if (length < 0) throw base::IOError("cannot truncate " + path_ + " to a negative length");
    data_->resize(static_cast<size_t>(length), '\0');
  }
  void sync() override {}
  void close() override {}

 private:
  std::string path_;
  std::shared_ptr<std::string> data_;
};

}  // namespace

std::string MemoryOs::key(const std::string& path) {
  std::string k;
  for (char c : path) {
    if (std::string_view(kSeparators).find(c) != std::string_view::npos) c = '/';
    if (c != '/' || k.empty() || k.back() != '/') k += c;
  }
  while (k.size() > 1 && k.back() == '/') k.pop_back();
  return k == "/" ? "" : k;
}

std::string MemoryOs::parentOf(const std::string& key) {
  const size_t slash = key.rfind('/');
  return slash == std::string::npos || slash == 0 ? "" : key.substr(0, slash);
}

bool MemoryOs::isDirectoryKey(const std::string& key) const {
  return key.empty() || directories_.count(key) != 0;
}

bool MemoryOs::hasParent(const std::string& key) const {
  return !key.empty() && isDirectoryKey(parentOf(key));
}

void MemoryOs::sleepMillis(int64_t millis) {
  if (millis > 0) now_ += millis;
}

bool MemoryOs::exists(const std::string& path) {
  const std::string k = key(path);
  return isDirectoryKey(k) || files_.count(k) != 0;
}

bool MemoryOs::isDirectory(const std::string& path) { return isDirectoryKey(key(path)); }

bool MemoryOs::isFile(const std::string& path) { return files_.count(key(path)) != 0; }

std::vector<std::string> MemoryOs::listDirectory(const std::string& path) {
  const std::string k = key(path);
  if (!isDirectoryKey(k)) throw base::IOError("cannot list " + path + " (not a directory)");
  std::set<std::string> names;
  auto add = [&](const std::string& entry) {
    if (!entry.empty() && parentOf(entry) == k) names.insert(entry.substr(entry.rfind('/') + 1));
  };
  for (const auto& [entry, node] : files_) add(entry);
  for (const std::string& entry : directories_) add(entry);
  return {names.begin(), names.end()};
}

int64_t MemoryOs::fileSize(const std::string& path) {
  const auto f = files_.find(key(path));
  if (f == files_.end()) throw base::IOError("cannot examine " + path + " (no such file)");
  return static_cast<int64_t>(f->second.data->size());
}

int64_t MemoryOs::lastModifiedMillis(const std::string& path) {
  const auto f = files_.find(key(path));
  return f == files_.end() ? 0 : f->second.modified;
}

bool MemoryOs::setLastModifiedMillis(const std::string& path, int64_t millis) {
  const auto f = files_.find(key(path));
  if (f == files_.end()) return false;
  f->second.modified = millis;
  return true;
}

bool MemoryOs::move(const std::string& from, const std::string& to, bool replace) {
  const std::string f = key(from);
  const std::string t = key(to);
  if (f.empty() || !hasParent(t) || f == t) return f == t && exists(from);
  if (const auto file = files_.find(f); file != files_.end()) {
    if (isDirectoryKey(t) || (!replace && files_.count(t) != 0)) return false;
    Node node = file->second;
    files_.erase(file);
    files_[t] = node;
    return true;
  }
  // A directory moves with everything under it, never into itself.
  if (!isDirectoryKey(f) || replace || exists(to) || t.rfind(f + "/", 0) == 0) return false;
  const std::string prefix = f + "/";
  std::map<std::string, Node> files;
  for (auto& [name, node] : files_)
    files[name.rfind(prefix, 0) == 0 ? t + name.substr(f.size()) : name] = node;
  std::set<std::string> directories;
  for (const std::string& name : directories_)
    directories.insert(name == f                    ? t
                       : name.rfind(prefix, 0) == 0 ? t + name.substr(f.size())
                                                    : name);
  files_ = std::move(files);
  directories_ = std::move(directories);
  return true;
}

bool MemoryOs::renameNoReplace(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() && !exists(to) && move(from, to, false);
}

bool MemoryOs::replaceFile(const std::string& from, const std::string& to) {
  return isFile(from) && move(from, to, true);
}

bool MemoryOs::removePath(const std::string& path) {
  const std::string k = key(path);
  if (files_.erase(k) != 0) return true;
  if (k.empty() || directories_.count(k) == 0 || !listDirectory(path).empty()) return false;
  directories_.erase(k);
  return true;
}

bool MemoryOs::makeDirectory(const std::string& path) {
  const std::string k = key(path);
  if (!hasParent(k) || exists(path)) return false;
  directories_.insert(k);
  return true;
}

std::string MemoryOs::readFile(const std::string& path) {
  const auto f = files_.find(key(path));
  if (f == files_.end()) throw base::IOError("cannot open " + path + " (no such file)");
  return *f->second.data;
}

void MemoryOs::writeFile(const std::string& path, std::string_view data) {
  const std::string k = key(path);
  if (!hasParent(k) || isDirectoryKey(k))
    throw base::IOError("cannot create " + path + " (no such directory, or a directory)");
  Node& node = files_[k];
  if (node.data == nullptr) node.data = std::make_shared<std::string>();
  node.data->assign(data);
  node.modified = now_;
}

void MemoryOs::syncDirectory(const std::string& dir) {
  if (!isDirectoryKey(key(dir.empty() ? "/" : dir)))
    throw base::IOError("cannot open directory " + dir);
}

void MemoryOs::copyFile(const std::string& from, const std::string& to) {
  const std::string data = readFile(from);
  const std::string k = key(to);
  if (!hasParent(k) || isDirectoryKey(k)) throw base::IOError("cannot create " + to);
  // A new file under the name, as a copy renamed into place makes.
  files_[k] = Node{std::make_shared<std::string>(data), now_};
}

std::string MemoryOs::canonicalPath(const std::string& path) {
  // In the system's separators, as the real system gives it.
  std::string resolved = detail::resolveDots(key(path));
  for (char& c : resolved)
    if (c == '/') c = kSeparator;
  return resolved;
}

File MemoryOs::open(const std::string& path, File::Mode mode) {
  const std::string k = key(path);
  auto f = files_.find(k);
  if (f == files_.end()) {
    if (mode == File::Mode::kReadOnly || !hasParent(k) || isDirectoryKey(k))
      throw base::IOError("cannot open " + path + " (no such file)");
    f = files_.emplace(k, Node{std::make_shared<std::string>(), now_}).first;
  } else if (mode == File::Mode::kTruncate) {
    f->second.data->clear();
    f->second.modified = now_;
  }
  return File(std::make_unique<MemoryFile>(path, f->second.data));
}

}  // namespace platform
