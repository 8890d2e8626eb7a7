#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace programs::vardo {

// The static page files installed with the program (style sheet, images,
// help and about pages, "processing.html") and the directories a run needs.
//
// They are installed in share/vardobf/html beside the bin folder of the
// program, and the build tree has the same layout. A run lays them into its
// page directory: a file is copied only where it is missing, so a file the
// user has changed or added is never replaced.
class SiteFiles {
 public:
  // The folder of installed page files of a program whose executable is in
  // `installHome`: installHome/../share/vardobf/html, with ".." resolved
  // when the folder exists.
  static std::string installedDir(const std::string& installHome);

  // Copies every regular file below `from` (subfolders included) to the same
  // place below `to` when nothing of that name is there, creating folders as
  // needed. A copy is written under a temporary name and then given its name,
  // so an interrupted run never leaves a half file under the real name.
  // Returns the number of files copied. Throws base::IOError when `from`
  // cannot be listed or a copy cannot be made; files copied before the
  // failure stay.
  // Files directly in `from` named in `leaveOut` are not copied.
  static int32_t layInto(const std::string& from, const std::string& to,
                         const std::set<std::string>& leaveOut = {});

  // The explorer page and its files, which read the site's data (laid in
  // only where the data is written).
  static const std::set<std::string>& explorerFiles();

  // Creates the directory `dir` and every missing parent. Throws
  // base::IOError when `dir` is not a directory afterwards (for example
  // because a file of that name exists or a parent cannot be written).
  static void makeDirectories(const std::string& dir);
};

}  // namespace programs::vardo
