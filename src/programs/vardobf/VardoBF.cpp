#include "programs/vardobf/VardoBF.h"

#include <cstdio>
#include <iostream>

#include "base/Failure.h"
#include "games/bf/GameCreator.h"
#include "games/bf/Specs.h"
#include "help/vardobf.h"
#include "programs/vardo/config.h"
#include "programs/vardo/core.h"
#include "programs/vardobf/Totals.h"
#include "programs/vardobf/output/GameHtml.h"
#include "programs/vardobf/output/SiteData.h"
#include "programs/vardobf/output/TotalsHtml.h"
#include "util/Debug.h"
#include "util/Text.h"

namespace programs::vardobf {
namespace {

using programs::vardo::config;
using util::Debug;

void printUsage(const std::string& arg) {
  std::printf(
      "Invalid option encountered:%s\n\nUsage: VardoBF [-c <configfile>] [-v] "
      "<logfile1> ...<logfileN>\n\nThe default directory is '.'\nThe default config file is "
      "'./VardoBF.cfg'\n\n",
      arg.c_str());
}

}  // namespace

VardoBF::Options VardoBF::parseOptions(const std::vector<std::string>& args) {
  Options o;
  size_t i = 0;
  for (; i < args.size() && util::startsWith(args[i], "-"); ++i) {
    const std::string& a = args[i];
    if (a.size() < 2) throw base::Failure("OptionError", "an option letter must follow \"-\"");
    bool hasValue = i + 1 < args.size();
    switch (a[1]) {
      case 'v':
        ++o.verbosity;
        break;
      case 'c':
        if (hasValue) o.configFile = args[++i];
        break;
      case 'l':
        if (hasValue) o.logPaths.push_back(args[++i]);
        break;
      case 'b':
        if (hasValue) {
          const std::string& v = args[++i];
          o.browser = util::equalsIgnoreCase(v, "true") || util::equalsIgnoreCase(v, "t");
        }
        break;
      case 'j':
        if (hasValue) o.home = args[++i];
        break;
      case 'u':
        o.quit = true;
        return o;
      default:
        o.info = base::infoRequest(a);
        if (o.info != base::InfoRequest::kNone) return o;
        printUsage(a);
        break;
    }
  }
  for (; i < args.size(); ++i) o.logPaths.push_back(args[i]);
  if (o.logPaths.empty()) o.logPaths.push_back(kDefaultLogPath);
  return o;
}

int VardoBF::main(const std::vector<std::string>& args) {
  try {
    programs::vardo::core c;
    config::setVersion(std::string(kVersion));
    Options o = parseOptions(args);
    if (o.quit) return 0;
    if (o.info != base::InfoRequest::kNone)
      return base::answerInfoRequest(o.info, "vardobf", help::kVardobf);
    if (o.browser) config::orBrowser(*o.browser);
    if (o.home) config::home = *o.home;
    Debug::setLevel(o.verbosity);
    for (size_t i = 0; i < args.size(); ++i)
      Debug::print("arg[" + std::to_string(i) + "]=" + args[i] + "=", 1);

    games::bf::Specs::init();
    output::GameHtml gameHtml;
    Totals totals;
    output::TotalsHtml totalsHtml;
    output::SiteData siteData(totals);
    gameHtml.setSiteData(&siteData);
    totalsHtml.setSiteData(&siteData);
    games::bf::GameCreator creator;
    c.go("VardoBF", o.logPaths, o.configFile, gameHtml, totals, totalsHtml, creator);
    Debug::close();
    return 0;
  } catch (const programs::vardo::RunExit& exit) {
    std::fflush(stdout);
    return exit.status;
  } catch (const std::exception& e) {
    std::printf("%s\n", base::failureText(e).c_str());
    Debug::close();
    return -1;
  }
}

}  // namespace programs::vardobf
