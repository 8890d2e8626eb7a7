#include "palvex/masks/RefSizes.h"

#include <cstdio>

#include "palvex/files/ImageFiles.h"
#include "platform/FileSystem.h"
#include "util/Text.h"

namespace palvex::masks {

std::string RefSizes::referenceName(const std::string& dir, const std::string& name) {
  std::string n = name;
  if (n.size() >= 4 && util::equalsIgnoreCase(n.substr(n.size() - 4), ".bmp"))
    n.replace(n.size() - 3, 3, "pcx");
  return dir + platform::kSeparator + n;
}

void RefSizes::read(std::vector<Image>& records, const cli::Settings& settings) {
  for (Image& im : records) {
    Image ref;
    ref.inputName = referenceName(settings.refDir, im.spareName);
    if (files::ImageFiles::load(ref, settings.allow8bit)) {
      im.refWidth = ref.width;
      im.refHeight = ref.height;
      std::printf(" Using destination sizes from old PCX file:  %i x %i \n", ref.width, ref.height);
    } else {
      std::printf("Could not find reference PCX for:  %s  from  %s \n", im.inputName.c_str(),
                  ref.inputName.c_str());
    }
  }
}

void RefSizes::reportMissing(const std::vector<Image>& records) {
  for (const Image& im : records)
    if (im.refWidth == 0 || im.refHeight == 0)
      std::printf(" FOUND NO MATCHING .PCX file for: %s \n", im.inputName.c_str());
}

}  // namespace palvex::masks
