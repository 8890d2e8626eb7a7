#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The images of the installed page files: logos, buttons, the page and
// sidebar art, the spacer, the graph legend squares and the graph
// backgrounds. Every picture is
// drawn here and encoded with the project's own GIF writer, so the installed
// files can be rebuilt from source at any time.
namespace tools::sitegen {

struct SiteImage {
  std::string path;  // relative to the page directory, for example "graphics/g1.gif"
  int32_t width;
  int32_t height;
  std::vector<uint8_t> gif;  // the whole GIF file
};

// Every image the page frame and the pages name, in a fixed order. Throws
// std::runtime_error when a picture cannot be encoded (more than 256
// colours, or the encoder refuses it).
std::vector<SiteImage> siteImages();

// The RGB colour of legend square g`n` (n from 1 to 32): the colour the score
// graph gives its line n - 1.
uint32_t legendColour(int32_t n);

}  // namespace tools::sitegen
