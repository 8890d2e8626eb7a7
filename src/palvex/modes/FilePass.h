#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "palvex/Image.h"
#include "palvex/cli/BatchList.h"
#include "palvex/cli/Settings.h"

namespace palvex::modes {

// The way every mode takes each of its files to an output: announce, load,
// check, name, make sure the output may be written, map, write. The modes
// give the parts that differ; the order of the steps, the lines between
// them and the release of each file's pixels are kept here.
class FilePass {
 public:
  // What the check after loading decides for the file.
  enum class Next { kGoOn, kSkip, kStop };

  struct Steps {
    // Loading: whether paletted sources are read, and their indices kept.
    bool allow8bit = false;
    bool keepIndexPlane = false;
    // Whether an existing output is replaced (-o).
    bool overwrite = false;
    // Lines before the file is loaded. Optional.
    std::function<void(const Image&)> announce;
    // After a failed load (the loader has printed why): this text and the
    // input name are printed, then the pass ends or goes on with the next
    // file.
    const char* loadFailed = "Failed loading image file:  ";
    bool stopOnFailedLoad = false;
    // After loading, before naming. Optional.
    std::function<Next(Image&)> check;
    // The output name.
    std::function<std::string(const Image&)> name;
    // Once the output file has been created: makes what `write` writes.
    // False when there is nothing to write; the created file is then
    // removed. Optional.
    std::function<bool(Image&)> map;
    // Writes the file to `outputName`; returns whether it was written.
    std::function<bool(const Image&)> write;
    // After a file was written. Optional.
    std::function<void(const Image&)> written;
  };

  // Steps that write each record's indexed result (`output`) in the chosen
  // format under the usual output name; the mode adds the rest.
  static Steps indexed(const cli::Batch& batch, const cli::Settings& settings);
  // indexed(), for modes that quantize each file on its own: each file is
  // announced with its target colours and its loaded size, and a failed
  // load ends the pass.
  static Steps eachImage(const cli::Batch& batch, const cli::Settings& settings);

  // Takes each of `files` through the steps, in order, and sets `written`
  // of those written. Each file's pixels are released when it is done.
  // Returns false when a failed load or a check ended the pass early.
  static bool run(std::span<Image* const> files, const Steps& steps);
  static bool run(cli::Batch& batch, const Steps& steps);

  // A check that prints the loaded size and goes on.
  static Next reportInputSize(Image& image);
  // Prints the line after a written file.
  static void reportWritten(const Image& image);
};

}  // namespace palvex::modes
