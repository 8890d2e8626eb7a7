#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace programs::vardobf {

// The commit marker of a save (Totals::kCommitMarker). It names every file
// of its own commit with the file's size and CRC-32, so that a later run
// finishes a commit only over the files the marker was written for:
//
//   commit 2
//   <name> <size> <crc32>     one line per file, sizes and sums in decimal
//   end
//
// The single line "commit" is the marker of the first form: it names no
// files and its commit is finished over whatever files are there.
class CommitMarker {
 public:
  struct File {
    std::string name;
    int64_t size = 0;
    uint32_t crc = 0;
  };

  static constexpr std::string_view kLegacyText = "commit\n";

  // The marker for the files `names` in directory `dir` as they are now.
  // Throws base::IOError when one cannot be read.
  static CommitMarker describe(const std::string& dir, const std::vector<std::string>& names);
  // The marker's text; the legacy marker gives kLegacyText.
  std::string encode() const;
  // The marker in `text`; none when it is not a whole marker (cut short,
  // damaged, or not naming each of `names` exactly once and nothing else).
  static std::optional<CommitMarker> decode(std::string_view text,
                                            const std::vector<std::string>& names);

  bool legacy() const { return legacy_; }
  const std::vector<File>& files() const { return files_; }
  // True when every named file in `dir` is either gone (put in place by the
  // commit already) or exactly as the marker describes it; always true for
  // the legacy marker. Throws base::IOError when a file cannot be read.
  bool matches(const std::string& dir) const;

 private:
  bool legacy_ = false;
  std::vector<File> files_;
};

}  // namespace programs::vardobf
