#include "palvex/cli/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <tuple>

#include "base/Text.h"
#include "platform/ProgramArguments.h"

namespace palvex::cli {
namespace {

enum class Id {
  kMips,
  kRamp,
  kOverwrite,
  kPcx,
  kTga,
  kBmp,
  kGrey,
  kGreyPal,
  kAuto,
  kYcc,
  kDebug,
  kHelp,
  kQuestion,
  kInvert,
  kEightBit,
  kBest,
  kFast,
  kRgb,
  kPalSmooth,
  kSynthesis,
  kModulate,
  kCommon,
  kSizeBias,
  kBlack,
  kPalette,
  kWritePal,
  kRefDir,
  kOutMask,
  kMakePal,
  kDither,
  kSmooth,
  kScale,
  kOutSize,
  kError,
  kTrans,
  kFatMask,
  kMask,
  kBump,
  kStream,
  kPinkScreen,
  kPinkMask,
  kGreyMask,
  kColMask,
  kMethod,
  kBins,
  kDepth,
  kPreDepth,
  kColours,
  kPng,
  kRefine,
};

struct Keyword {
  std::string_view text;
  size_t minimum;
  Id id;
};

// In matching order: the first keyword that the switch abbreviates wins.
constexpr Keyword kKeywords[] = {
    {"mips", 3, Id::kMips},
    {"ramp", 3, Id::kRamp},
    {"overwrite", 1, Id::kOverwrite},
    {"pcx", 3, Id::kPcx},
    {"tga", 3, Id::kTga},
    {"bmp", 3, Id::kBmp},
    {"grey", 3, Id::kGrey},
    {"gray", 3, Id::kGrey},
    {"greypal", 5, Id::kGreyPal},
    {"graypal", 5, Id::kGreyPal},
    {"autocommon", 2, Id::kAuto},
    {"ycc", 2, Id::kYcc},
    {"debug", 5, Id::kDebug},
    {"help", 4, Id::kHelp},
    {"?", 1, Id::kQuestion},
    {"invert", 3, Id::kInvert},
    {"8bitOK", 1, Id::kEightBit},
    {"best", 2, Id::kBest},
    {"fast", 2, Id::kFast},
    {"rgb", 2, Id::kRgb},
    {"palsmooth", 4, Id::kPalSmooth},
    {"synthesis", 3, Id::kSynthesis},
    {"modulate", 4, Id::kModulate},
    {"commoncolors", 3, Id::kCommon},
    {"sizebias", 2, Id::kSizeBias},
    {"black", 2, Id::kBlack},
    {"palette", 2, Id::kPalette},
    {"writepalette", 3, Id::kWritePal},
    {"refdir", 4, Id::kRefDir},
    {"outmask", 4, Id::kOutMask},
    {"makepal", 3, Id::kMakePal},
    {"dither", 2, Id::kDither},
    {"smooth", 3, Id::kSmooth},
    {"scale", 2, Id::kScale},
    {"outsize", 4, Id::kOutSize},
    {"error", 3, Id::kError},
    {"trans", 3, Id::kTrans},
    {"fatmask", 2, Id::kFatMask},
    {"mask", 3, Id::kMask},
    {"bump", 3, Id::kBump},
    {"stream", 3, Id::kStream},
    {"pinkscreen", 5, Id::kPinkScreen},
    {"pinkmask", 5, Id::kPinkMask},
    {"graymask", 5, Id::kGreyMask},
    {"greymask", 5, Id::kGreyMask},
    {"colmask", 5, Id::kColMask},
    {"method", 2, Id::kMethod},
    {"bins", 2, Id::kBins},
    {"depth", 2, Id::kDepth},
    {"predepth", 2, Id::kPreDepth},
    {"colors", 1, Id::kColours},
    {"colours", 1, Id::kColours},
    // Added after the others, so that no earlier abbreviation changes.
    {"png", 3, Id::kPng},
    {"refine", 4, Id::kRefine},
};

constexpr const char* kUsage[] = {
    " Usage:   PALVEX  [switches] in_pic (out_pic/outpath)  [switches] \n",
    " \n",
    " When using wildcards in  in_pic  for batch processing, (outpath) may \n",
    " be void, a destination path, or a string to prepend to all output files. \n\n",
    " * Switches *\n",
    " Parameters: \n",
    "  -palette FILE  force use of existing palette in bitmap FILE \n",
    "  -sizebias      for common palettes: compensate for imagesize. \n",
    "  -mips          predict & take into account mipmap colors.  \n",
    "  -8             allow 8-bit input, convert internally to 24-bit. \n",
    "  -bmp           write output in bmp format. (default is pcx) \n",
    "  -tga           write output in targa format. \n",
    "  -dither N      dither strength:  0 = no dither,  100 = max\n",
    "  -colors N      target number of colors to quantize to,  N = [1..256]\n",
    "  -ycc           YCbCr color space (default) \n",
    "  -rgb           RGB colors space \n",
    "  -depth RGB     try sampling color depths R,G,B (range: 5..8) \n",
    "  -black         force 'maskcolor' black included as palette color 0 \n",
    "  -o             overwrite existing files without warning \n",
    "  -pinkmask      forced masking of all pink (255,0,255) colors. \n",
    "  -graymask      forced masking of all grey (128,128,128) colors. \n",
    "  -colmask R G B forced masking of all (R,G,B) colors. \n",
    "  -pinkscreen    forced masking of all pink(-ish) colors. \n",
    "  -mask X        automatic 'magic wand' masking, tolerance X (0.0..1.0) \n",
    "  -fatmask X     mask 'fatness' when scaling down, (0.0..1.0) \n",
    "  -bins N        force upper limit to # of distinct input colors \n",
    "  -common        create single common palette for all images \n",
    "  -writepal FILE outputs the palette in a sample color-ramp picture \n",
    "  -auto  N       automatic palette combining, N unique ones \n",
    "  -error X       automatic palette combining, with max allowed error X \n",
    "  -predepth RGB  color depths for pre-sampling palette combining \n",
    "  -outmask       outputs 24-bit file with a cleaned-up mask. \n",
    "  -refdir PATH   have texture set in PATH dictate the scaling factors. \n",
    "  -bump\tX        output a bumpmap, bias X ",
    " \n",
    "  Please read the manual for detailed instructions. \n",
    "  Switches can be abbreviated to any non-ambiguous size. \n",
    // Added after the designed text, which stays as it was.
    "  -refine        k-means palette refinement and nearest colours in plain RGB; \n",
    "                 better quality, but changes the output. \n",
};

// The arguments after a switch, consumed one by one; a missing one reads
// as empty.
class Values {
 public:
  Values(const std::vector<std::string>& args, size_t& i) : args_(args), i_(i) {}
  std::string text() {
    ++i_;
    return i_ < args_.size() ? args_[i_] : std::string();
  }
  // As "%d" reads it: leading blanks, a sign and digits; 0 when there is no
  // number.
  int integer() { return toInt(text()); }
  // As "%e" reads it into a float; 0 when there is no number (or NaN).
  float real() {
    bool ok = false;
    return toReal(text(), ok);
  }
  static int toInt(const std::string& s) {
    errno = 0;
    long v = std::strtol(s.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX));
  }
  static float toReal(const std::string& s, bool& ok) {
    char* end = nullptr;
    float v = std::strtof(s.c_str(), &end);
    ok = end != s.c_str() && !std::isnan(v);
    return ok ? v : 0.0f;
  }

 private:
  const std::vector<std::string>& args_;
  size_t& i_;
};

std::array<int, 3> depthDigits(const std::string& s) {
  std::array<int, 3> d{};
  for (size_t k = 0; k < 3; ++k) {
    const char c = k < s.size() ? s[k] : '\0';
    d[k] = c >= '0' && c <= '9' ? std::clamp(c - '0', 5, 8) : 5;
  }
  return d;
}

uint8_t component(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

// Reads the two factors of -scale and -outsize.
std::pair<float, float> factors(Values& v) {
  const float x = v.real();
  bool ok = false;
  float y = Values::toReal(v.text(), ok);
  if (!ok || y == 0.0f) y = x;
  return {x == 0.0f ? 1.0f : x, y == 0.0f ? 1.0f : y};
}

void apply(Id id, Values& v, Settings& s, bool report) {
  switch (id) {
    case Id::kMips:
      s.mips = true;
      break;
    case Id::kOverwrite:
      s.overwrite = true;
      break;
    case Id::kPcx:
      s.format = files::OutputFormat::kPcx;
      break;
    case Id::kTga:
      s.format = files::OutputFormat::kTga;
      break;
    case Id::kBmp:
      s.format = files::OutputFormat::kBmp;
      break;
    case Id::kPng:
      s.format = files::OutputFormat::kPng;
      break;
    case Id::kRefine:
      s.refine = true;
      break;
    case Id::kAuto:
      s.autoCommon = v.integer();
      s.autoGiven = true;
      break;
    case Id::kYcc:
      s.rgb = false;
      break;
    case Id::kRgb:
      s.rgb = true;
      break;
    case Id::kDebug:
      s.debug = true;
      break;
    case Id::kHelp:
    case Id::kQuestion:
      s.help = true;
      break;
    case Id::kEightBit:
      s.allow8bit = true;
      break;
    case Id::kBest:
      s.best = true;
      s.depths = {8, 7, 7};
      break;
    case Id::kFast:
      s.fast = true;
      break;
    case Id::kPalSmooth:
      s.palSmooth = true;
      break;
    case Id::kSynthesis:
      s.synthesis = true;
      break;
    case Id::kCommon:
      s.common = true;
      break;
    case Id::kSizeBias:
      s.sizeBias = true;
      break;
    case Id::kBlack:
      s.black = true;
      break;
    case Id::kPalette:
      s.palette = v.text();
      s.paletteGiven = true;
      break;
    case Id::kWritePal:
      s.writePal = v.text();
      break;
    case Id::kRefDir:
      s.refDir = v.text();
      break;
    case Id::kOutMask:
      s.outMask = true;
      break;
    case Id::kMakePal:
      v.text();
      break;
    case Id::kDither:
      s.dither = v.integer();
      break;
    case Id::kSmooth:
      s.smooth = v.integer();
      break;
    case Id::kScale:
      std::tie(s.scaleX, s.scaleY) = factors(v);
      break;
    case Id::kOutSize:
      factors(v);
      break;
    case Id::kError:
      s.maxError = v.real();
      s.errorGiven = true;
      break;
    case Id::kTrans:
      s.trans = v.real();
      break;
    case Id::kFatMask:
      s.fatMask = std::clamp(v.real(), 0.0f, 1.0f);
      s.masking = true;
      break;
    case Id::kMask:
      s.tolerance = std::clamp(v.real(), 0.0f, 1.0f);
      s.masking = s.maskGiven = true;
      break;
    case Id::kBump:
      s.bump = std::clamp(v.real(), 0.0f, 1024.0f);
      s.bumpGiven = true;
      break;
    case Id::kStream:
      s.stream = std::clamp(v.real(), 0.0f, 1024.0f);
      s.streamGiven = true;
      break;
    case Id::kPinkScreen:
      s.masking = s.pinkScreen = true;
      s.tolerance = 0.69f;
      break;
    case Id::kPinkMask:
      s.forced = {255, 0, 255};
      s.forcedColour = s.pinkMask = s.masking = s.black = true;
      break;
    case Id::kGreyMask:
      s.forced = {128, 128, 128};
      s.forcedColour = s.masking = true;
      break;
    case Id::kColMask: {
      const uint8_t b = component(v.integer());
      const uint8_t g = component(v.integer());
      const uint8_t r = component(v.integer());
      s.forced = {r, g, b};
      s.forcedColour = s.masking = true;
      break;
    }
    case Id::kMethod:
      s.method = v.integer();
      break;
    case Id::kBins:
      s.binLimit = v.integer();
      break;
    case Id::kDepth:
      s.depths = depthDigits(v.text());
      break;
    case Id::kPreDepth:
      s.preDepths = depthDigits(v.text());
      break;
    case Id::kColours:
      s.colours = v.integer();
      if (report && (s.colours < 1 || s.colours > 256))
        std::printf("Target number of colors should be in the range [1..256] \n");
      break;
    case Id::kRamp:
    case Id::kGrey:
    case Id::kGreyPal:
    case Id::kInvert:
    case Id::kModulate:
      break;
  }
}

constexpr char lower(char c) { return base::asciiLower(c); }

}  // namespace

int CommandLine::match(std::string_view text) {
  std::string low(text);
  for (char& c : low) c = lower(c);
  int entry = 0;
  for (const Keyword& k : kKeywords) {
    const bool exact = k.id == Id::kQuestion;
    if (exact ? low == k.text
              : (low.size() >= k.minimum && low.size() <= k.text.size() &&
                 k.text.substr(0, low.size()) == low))
      return entry;
    ++entry;
  }
  return -1;
}

int CommandLine::entries() { return static_cast<int>(std::size(kKeywords)); }

std::string_view CommandLine::keyword(int entry) {
  return kKeywords[static_cast<size_t>(entry)].text;
}

bool CommandLine::isSwitch(const std::string& a) {
  if (a.empty()) return false;
  if (a[0] == '-' || a[0] == '=') return true;
  return a[0] == '/' && platform::slashArgumentIsSwitch(a);
}

namespace {

// The parse; `report` prints its complaints. Stops at "--help" or
// "--version" with `info` set.
Settings read(const std::vector<std::string>& args, bool report, base::InfoRequest& info) {
  Settings s;
  s.anyArguments = !args.empty();
  int plain = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (CommandLine::isSwitch(a)) {
      info = base::infoRequest(a);
      if (info != base::InfoRequest::kNone) return s;
      const std::string text = a.substr(1);
      const int entry = CommandLine::match(text);
      if (entry < 0) {
        if (report)
          std::printf(" Unrecognized command line argument encountered: [%s] \n", text.c_str());
        continue;
      }
      Values v(args, i);
      apply(kKeywords[static_cast<size_t>(entry)].id, v, s, report);
      continue;
    }
    if (plain == 0) s.input = a;
    if (plain == 1) s.output = a;
    ++plain;
  }
  if (s.best) s.binLimit = std::max(s.binLimit, 14000);
  if (s.fast) s.binLimit = std::min(s.binLimit, 3500);
  if ((s.pinkMask || s.black) && s.colours > 254) s.colours = 255;
  if (s.forcedColour && !s.maskGiven) s.tolerance = 0.0f;
  if (s.common && s.autoGiven && s.autoCommon >= 2) s.autoGiven = false;
  return s;
}

}  // namespace

Settings CommandLine::parse(const std::vector<std::string>& args) {
  base::InfoRequest info = base::InfoRequest::kNone;
  return read(args, true, info);
}

base::InfoRequest CommandLine::infoRequest(const std::vector<std::string>& args) {
  base::InfoRequest info = base::InfoRequest::kNone;
  read(args, false, info);
  return info;
}

void CommandLine::printBanner() {
  std::printf("\n PALVEX version 1.83 \n");
  std::printf(" Converts true-colour textures into high-quality 8-bit paletted images. \n");
  std::printf(" Copyright (c) its authors. All rights reserved. \n");
  std::printf(" Free for non-commercial distribution. \n");
}

void CommandLine::printUsage() {
  for (const char* line : kUsage) std::printf("%s", line);
}

}  // namespace palvex::cli
