#pragma once

// Matches for the page tests: small logs written line by line, and logs of
// the match-log generator.

#include <memory>
#include <optional>
#include <string>

#include "games/bf/Game.h"
#include "games/bf/LogBuilder.h"
#include "programs/vardobf/output/GameTables.h"
#include "programs/vardobf/output/TableHtml.h"
#include "tools/loggen/LogGenerator.h"

namespace testing_support {

class PageTest : public ReplayTest {
 protected:
  static std::unique_ptr<games::bf::Game> replay(const Log& log) {
    return std::make_unique<games::bf::Game>(std::optional<std::string>(log.text()));
  }
  static std::unique_ptr<games::bf::Game> replay(const std::string& text) {
    return std::make_unique<games::bf::Game>(std::optional<std::string>(text));
  }
  // A generated log of game type `type` (catalog row) with `players` people.
  static std::string generated(int32_t type, int32_t players, uint64_t seed = 7) {
    tools::loggen::LogOptions o;
    o.seed = seed;
    o.gameType = type;
    o.players = players;
    o.minutes = 5;
    o.unknownWeaponRate = 0.003;
    return tools::loggen::LogGenerator(o).text();
  }
  // Two people who pick up a health pack each and fall to their deaths: no
  // kill at all.
  static Log quietMatch() {
    Log log;
    log("0|info|Absolute_Time|2026.01.02.10.00.00.000.+1")("0|game|GameName|Arena DeathMatch");
    log.connect(1, "Ann").connect(2, "Bo")("1|game_start");
    log("6|item_get|Health Pack|1")("7|item_get|Health Pack|2");
    log("8|suicide|1|None|Fell|self")("9|suicide|2|None|Fell|self")("300|game_end|timelimit");
    return log;
  }
  static bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
  // The whole text of a table as the renderer writes it.
  static std::string html(const std::optional<programs::vardobf::output::Table>& t,
                          const std::optional<std::string>& title = std::nullopt) {
    std::string w;
    if (t) programs::vardobf::output::TableHtml::createTable(w, *t, title, std::nullopt);
    return w;
  }
};

}  // namespace testing_support
