// Writes the images of the installed page files below the directory named on
// the command line (normally assets/), each at its path relative to the page
// directory ("graphics/...", "skins/custom_graphics/...").
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "tools/sitegen/SiteImages.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
    return 2;
  }
  try {
    const std::string dir = argv[1];
    for (const auto& image : tools::sitegen::siteImages()) {
      const std::string path = dir + "/" + image.path;
      platform::writeFile(path, std::string_view(reinterpret_cast<const char*>(image.gif.data()),
                                                 image.gif.size()));
      std::printf("%s: %dx%d, %zu bytes\n", path.c_str(), image.width, image.height,
                  image.gif.size());
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sitegen: %s\n", e.what());
    return 1;
  }
}
