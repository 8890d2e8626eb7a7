#!/usr/bin/env python3
"""Runs vardobf three times in a row on generated logs (a first batch, a
second batch with a repeated log, then the second batch again) and checks
that the site's data files agree with the database that dbdump prints, with
the pages that show the same numbers, and with the matches that matchdump
replays from the same logs; and that a run that counts no match rewrites no
data file.

Usage: site_data_vs_pages.py <bin directory>
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no cache written into the source tree
from site_pages import (ENV, cells, data_files, dbdump, fmt, loggen, read, run,  # noqa: E402
                        table_after, write_settings)

BIN = os.path.abspath(sys.argv[1])
KEPT = 4  # Max_Most_Recent
failures = []
compared = {"players": 0, "match lines": 0, "sample lines": 0}

# Labels of the catalog's game-type rows 0 to 5 in the summary tables; row 6,
# the single-player type, has a table of its own.
TYPE_LABELS = ["DeathMatch", "CTF", "Domination", "Assault", "TeamGame", "LMS"]
SINGLE_PLAYER = "Brimfall Single-Player Ladder"
CTF, DOMINATION, LMS = 1, 2, 5

CAREER_KEYS = {"Most Frags": "cMostFrags", "Most Kills": "cMostKills", "Most Deaths": "cMostDeaths",
               "Most Suicides": "cMostSuicides", "Most Head Shots": "cMostHS", "Most First Blood": "cMostFB",
               "Most Double Kills": "cMostDK", "Most Multi Kills": "cMostMuK", "Most Ultra Kills": "cMostUK",
               "Most Monster Kills": "cMostMoK", "Most Flag Captures": "cMostFCaptures",
               "Most Flag Kills": "cMostFKills", "Most Flag Assists": "cMostFAssists",
               "Most Flag Saves": "cMostFReturns", "Most Control Point Captures": "cMostCPCs",
               "Most Wins": "cMostWins"}
MATCH_KEYS = {"Most Frags": "gMostFrags", "Most Kills": "gMostKills", "Most Deaths": "gMostDeaths",
              "Most Suicides": "gMostSuicides", "Most Flag Captures": "gMostFCaptures",
              "Most Flag Returns": "gMostFReturns", "Most Control Point Captures": "gMostCPCs"}
CAREER_TABLES = [("careerKills", "Most Career Kills with a Weapon"),
                 ("careerDeathsBy", "Most Career Deaths by a Weapon"),
                 ("careerDeathsHolding", "Most Career Deaths While Holding a Weapon"),
                 ("careerSuicides", "Most Career Suicides")]
MATCH_TABLES = [("matchKills", "Most Kills with a Weapon - From a Single Game"),
                ("matchDeathsBy", "Most Deaths by a Weapon - From a Single Game"),
                ("matchDeathsHolding", "Most Deaths While Holding a Weapon - From a Single Game"),
                ("matchSuicides", "Most Suicides - From a Single Game")]


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def same(a, b):
    """Doubles computed in another order may differ in the last bit."""
    return a == b or abs(a - b) <= 1e-9 * max(1.0, abs(a), abs(b))


def efficiency(kills, deaths, suicides, team_kills=0):
    return kills * 100.0 / (kills + deaths + suicides + team_kills) if kills else 0.0


def per_hour(frags, seconds):
    return frags * 3600.0 / seconds if seconds else 0.0


def load(site, name):
    with open(os.path.join(site, "data", name + ".json"), encoding="utf-8") as f:
        return json.load(f)


def rows_by_label(page, title):
    """The value rows of a summary table, by their first cell."""
    return {r[0]: r for r in table_after(page, title)[1:] if r}


def check_figures(fig, what):
    """The derived figures follow from the counted ones."""
    check(same(fig["efficiency"], efficiency(fig["kills"], fig["deaths"], fig["suicides"])),
          "%s: efficiency %r" % (what, fig["efficiency"]))
    check(same(fig["fragsPerHour"], per_hour(fig["frags"], fig["time"])),
          "%s: fragsPerHour %r" % (what, fig["fragsPerHour"]))


def check_against_record(fig, rec, what):
    """Figures against a PStats record of the dump."""
    pairs = [("matches", "uses"), ("wins", "teamWins"), ("losses", "teamLosses"), ("frags", "frags"),
             ("kills", "kills"), ("deaths", "deaths"), ("suicides", "suicides"), ("teamKills", "tkills"),
             ("teamDeaths", "tdeaths"), ("time", "totalTime"), ("score", "score")]
    for mine, theirs in pairs:
        if mine in fig:
            check(same(fig[mine], rec[theirs]), "%s: %s %r, dbdump %s %r" % (what, mine, fig[mine], theirs,
                                                                             rec[theirs]))


def summary_cells(fig, k, wins_losses):
    """The cells of a career summary row (from "Score" on) for figures of
    game-type row k (None: the totals row); TTL and Ping are not in the data."""
    score = fmt(fig["score"]) if k in (CTF, DOMINATION) else "-"
    team = ["-", "-"] if k in (0, LMS) else [str(fig["teamKills"]), str(fig["teamDeaths"])]
    out = [score] + [str(fig[f]) for f in ("frags", "kills", "deaths", "suicides")] + team
    out += [fmt(fig["efficiency"]) + "%", fmt(fig["fragsPerHour"]), None, None]
    if wins_losses:
        out += [str(fig["wins"]), str(fig["losses"])]
    return out + [str(fig["matches"]), fmt(fig["time"] / 3600)]


def single_player_cells(fig):
    """A "Summary - <single player>" row: Score, CPC, then as above with wins and losses."""
    out = summary_cells(fig, 6, True)
    out[5:7] = [str(fig["teamKills"]), str(fig["teamDeaths"])]
    return ["-", None] + out[1:]


def expect_cells(got, want, what):
    ok = len(got) == len(want) and all(w is None or g == w for g, w in zip(got, want))
    check(ok, "%s: page %r, data %r" % (what, got, want))


def check_summary_page(page, fig_all, by_type, real, what):
    """A career page's (or a totals page's) summary tables against figures."""
    title = "Career Summary" if real else "Summary"
    rows = rows_by_label(page, title)
    for k, label in enumerate(TYPE_LABELS):
        if check(label in rows, "%s: no %s row in %s" % (what, label, title)):
            expect_cells(rows[label][1:], summary_cells(by_type[k], k, real), "%s %s" % (what, label))
    if check("Totals" in rows, "%s: no Totals row" % what):
        expect_cells(rows["Totals"][1:], summary_cells(fig_all, None, real), "%s Totals" % what)
    single = table_after(page, title + " - " + SINGLE_PLAYER)[1:]
    if check(len(single) == 1, "%s: single-player summary has %d rows" % (what, len(single))):
        expect_cells(single[0], single_player_cells(by_type[6]), "%s single player" % what)


def check_totals(site, totals, dump, players_in_dump, matches):
    game, tot = dump["game"], dump["totals"]
    check(totals["matchesCounted"] == tot["totalGamesPlayed"], "totals: matchesCounted %r, dbdump %r"
          % (totals["matchesCounted"], tot["totalGamesPlayed"]))
    check(totals["matchesListed"] == game["numUIDs"], "totals: matchesListed")
    check(totals["matchesByType"] == tot["gamesPlayed"], "totals: matchesByType %r, dbdump %r"
          % (totals["matchesByType"], tot["gamesPlayed"]))
    check(totals["highestScoringMatch"] == {"time": tot["highGameUID"], "frags": tot["highGameFrags"]},
          "totals: highestScoringMatch %r" % totals["highestScoringMatch"])
    rec = tot["records"]
    check(totals["lastMatch"] == {"map": rec["RecentGameMap"], "date": rec["RecentGameDate"]},
          "totals: lastMatch %r" % totals["lastMatch"])
    bots = sum(1 for p in players_in_dump.values() if p["isABot"])
    pl = totals["players"]
    check((pl["count"], pl["humans"], pl["bots"]) == (len(players_in_dump), len(players_in_dump) - bots, bots),
          "totals: players %r" % pl)
    check(pl["chunks"] == (max(players_in_dump) // pl["chunkSize"] + 1 if players_in_dump else 0),
          "totals: chunks %r" % pl["chunks"])
    check(totals["keptMatches"] == len(matches), "totals: keptMatches")

    pages = {-3: "All_Totals.html", -2: "Human_Totals.html", -1: "Bot_Totals.html"}
    dumped = {-3: "allStats", -2: "humanStats", -1: "botStats"}
    for a in totals["aggregates"]:
        what = "totals aggregate %d" % a["uid"]
        check_against_record(a["all"], dump["player"][dumped[a["uid"]]]["all"], what)
        for f in [a["all"]] + a["byType"]:
            check_figures(f, what)
        page = read(os.path.join(site, "Total_Game_Stats", pages[a["uid"]]))
        check_summary_page(page, a["all"], a["byType"], False, what)

    index = read(os.path.join(site, "Total_Game_Stats", "Total_Index.html"))
    every = totals["aggregates"][0]
    logged = table_after(index, "Totals Logged")[1]
    expect_cells(logged, [str(every["all"][f]) for f in ("frags", "kills", "deaths", "suicides")]
                 + [str(totals["matchesListed"]), fmt(every["all"]["time"] / 3600)], "Totals Logged")
    by_type = rows_by_label(index, "Total Games Played by Type")
    for k, name in enumerate(totals["gameTypes"][:6]):
        if check(name in by_type, "Total Games Played by Type: no row %r" % name):
            expect_cells(by_type[name][1:], [str(totals["matchesByType"][k]), fmt(every["byType"][k]["time"] / 3600)],
                         "games of type %s" % name)
    expect_cells(by_type.get("Totals", [None])[1:], [str(totals["matchesCounted"]), fmt(every["all"]["time"] / 3600)],
                 "Total Games Played by Type, Totals")


def holder_matches(holder, rec, hash_by_uid, what):
    if holder is None:
        return check(rec["uid"] < 0, "%s: no holder, dbdump names uid %r" % (what, rec["uid"]))
    ok = check(holder["uid"] == rec["uid"] and holder["name"] == rec["name"] and holder["bot"] == rec["isABot"],
               "%s: holder %r, dbdump %r" % (what, holder, (rec["uid"], rec["name"], rec["isABot"])))
    entry = hash_by_uid.get(holder["uid"])
    return ok and check(entry is not None and (entry["name"], entry["isABot"]) == (holder["name"], holder["bot"]),
                        "%s: holder %r is not that player of the database" % (what, holder))


def check_records(site, records, dump, hash_by_uid, players):
    page = read(os.path.join(site, "Total_Game_Stats", "Total_Index.html"))
    rec = dump["totals"]["records"]
    rows = table_after(page, "Career Highs", " ")[1:]
    check(len(rows) == len(records["career"]), "Career Highs: %d rows, data %d" % (len(rows), len(records["career"])))
    for row, r in zip(rows, records["career"]):
        what = "records career %r" % r["category"]
        holder = r["holder"]
        score = fmt(r["score"]) if r["category"] == "Highest FPH" else str(r["score"])
        expect_cells(row, [r["category"], holder["name"] if holder else None, score, str(r["matches"]),
                           fmt(r["time"] / 3600)], what)
        if r["category"] in CAREER_KEYS:
            d = rec[CAREER_KEYS[r["category"]]]
            if holder_matches(holder, d, hash_by_uid, what):
                check((r["score"], r["matches"], r["time"]) == (d["score"], d["games"], d["time"]),
                      "%s: %r, dbdump %r" % (what, r, d))
        elif holder is not None:
            # Highest FPH: the best frags per hour of the player database.
            p = players.get(holder["uid"])
            if check(p is not None, "%s: holder not in the database" % what):
                a = p["all"]
                check(same(r["score"], per_hour(a["frags"], a["totalTime"])) and r["matches"] == a["uses"]
                      and same(r["time"], a["totalTime"]), "%s: %r, player's record %r" % (what, r, a))
                best = max(per_hour(q["all"]["frags"], q["all"]["totalTime"]) for q in players.values())
                check(same(r["score"], best), "%s: %r is not the best, %r is" % (what, r["score"], best))
    for key, title in CAREER_TABLES:
        rows = table_after(page, title)[1:]
        want = [[e["weapon"], e["holder"]["name"] if e["holder"] else None, str(e["score"]), str(e["matches"]),
                 fmt(e["time"] / 3600)] for e in records[key]]
        check(len(rows) == len(want), "%s: %d rows, data %d" % (title, len(rows), len(want)))
        for row, w in zip(rows, want):
            expect_cells(row, w, "records %s" % key)
    rows = table_after(page, "Highs - From a Single Game", " ")[1:]
    check(len(rows) == len(records["match"]), "single-game highs: %d rows" % len(rows))
    for row, r in zip(rows, records["match"]):
        what = "records match %r" % r["category"]
        expect_cells(row, [r["category"], r["holder"]["name"] if r["holder"] else None, str(r["score"]),
                           fmt(r["time"] / 60), r["map"], r["date"]], what)
        d = rec[MATCH_KEYS.get(r["category"], "")] if r["category"] in MATCH_KEYS else None
        if check(d is not None, "%s: unknown category" % what) and holder_matches(r["holder"], d, hash_by_uid, what):
            check((r["score"], r["time"], r["map"], r["date"]) == (d["score"], d["time"], d["map"], d["date"]),
                  "%s: %r, dbdump %r" % (what, r, d))
    for key, title in MATCH_TABLES:
        rows = table_after(page, title)[1:]
        want = [[e["weapon"], e["holder"]["name"] if e["holder"] else None, str(e["score"]), fmt(e["time"] / 60),
                 e["map"], e["date"]] for e in records[key]]
        check(len(rows) == len(want), "%s: %d rows, data %d" % (title, len(rows), len(want)))
        for row, w in zip(rows, want):
            expect_cells(row, w, "records %s" % key)


def check_players(site, totals, chunks, dump, hash_by_uid, seen):
    """The player list and the career files against the dump, the career
    pages and the matches each player played (from matchdump)."""
    players = {p["uid"]: p for p in dump["player"]["players"]}
    listed = {}
    for k, chunk in enumerate(chunks):
        uids = [p["uid"] for p in chunk["players"]]
        size = totals["players"]["chunkSize"]
        check(uids == sorted(uids) and all(k * size <= u < (k + 1) * size for u in uids),
              "players-%d: uids %r out of order or range" % (k, uids[:10]))
        listed.update((p["uid"], p) for p in chunk["players"])
    check(sorted(listed) == sorted(players), "player list uids %r, dbdump %r" % (sorted(listed), sorted(players)))
    weapons = totals["weapons"]
    for uid, row in listed.items():
        what = "player %d" % uid
        p = players.get(uid)
        if p is None:
            continue
        compared["players"] += 1
        check((row["name"], row["bot"]) == (p["name"], p["isABot"]), "%s: %r, dbdump %r" % (what, row["name"], p["name"]))
        check_against_record(row, p["all"], what + " (list)")
        check_figures(row, what + " (list)")
        first, last = seen.get((p["name"], p["isABot"]), (None, None))
        check((row["firstSeen"], row["lastSeen"]) == (first, last),
              "%s: seen %r to %r, the logs say %r to %r" % (what, row["firstSeen"], row["lastSeen"], first, last))
        career = load(site, "player/%d" % uid)
        for f in ("uid", "name", "bot", "firstSeen", "lastSeen"):
            check(career[f] == row[f], "%s: %s %r in player/, %r in the list" % (what, f, career[f], row[f]))
        check_against_record(career["all"], p["all"], what)
        for f in ("frags", "kills", "deaths", "suicides", "teamKills", "teamDeaths", "time", "matches",
                  "efficiency", "fragsPerHour"):
            check(career["all"][f] == row[f], "%s: %s differs between player/ and the list" % (what, f))
        check([t["matches"] for t in career["byType"]] == row["matchesByType"]
              and [t["wins"] for t in career["byType"]] == row["winsByType"]
              and [t["losses"] for t in career["byType"]] == row["lossesByType"],
              "%s: per-type matches, wins or losses differ between player/ and the list" % what)
        for f in [career["all"]] + career["byType"]:
            check_figures(f, what)
        # The per-type counters that the hash database keeps.
        h = hash_by_uid.get(uid, {})
        by = career["byType"]
        kept = {"dm_frags": by[0]["frags"], "dm_deaths": by[0]["deaths"], "dm_suicides": by[0]["suicides"],
                "a_wins": by[3]["wins"], "a_losses": by[3]["losses"], "t_wins": by[4]["wins"],
                "t_losses": by[4]["losses"], "lms_wins": by[5]["wins"], "lms_losses": by[5]["losses"],
                "ctf": int(by[CTF]["score"]), "dom": int(by[DOMINATION]["score"]), "time": career["all"]["time"]}
        check(all(h.get(k) == v for k, v in kept.items()),
              "%s: per-type figures %r, dbdump's hash entry %r" % (what, kept, {k: h.get(k) for k in kept}))
        page = read(os.path.join(site, "Total_Game_Stats", "%d.html" % uid))
        check_summary_page(page, career["all"], career["byType"], True, what)

        special = career["special"]
        a = p["all"]
        check(special == {"firstBlood": a["firstBlood"], "headShots": a["headShots"], "doubleKills": a["dKills"],
                          "multiKills": a["muKills"], "ultraKills": a["uKills"], "monsterKills": a["moKills"]},
              "%s: special %r" % (what, special))
        shown = {}
        for r in table_after(page, "Special Events")[1:]:
            shown.update(zip(r[0::2], r[1::2]))
        for label, key in [("First Blood", "firstBlood"), ("Head Shots", "headShots"), ("Double Kills", "doubleKills"),
                           ("Multi Kills", "multiKills"), ("Ultra Kills", "ultraKills"),
                           ("Monster Kills", "monsterKills")]:
            check(shown.get(label) == str(special[key]), "%s: %s page %r, data %r" % (what, label, shown.get(label),
                                                                                     special[key]))
        ws = career["weapons"]
        order = [weapons.index(w["weapon"]) if w["weapon"] in weapons else -1 for w in ws]
        check(-1 not in order and order == sorted(order), "%s: weapons not in catalog order" % what)
        for w in ws:
            i = weapons.index(w["weapon"]) if w["weapon"] in weapons else 0
            check((w["frags"], w["kills"], w["deaths"], w["suicides"])
                  == (a["myFrags"][i], a["myKills"][i], a["myDeaths"][i], a["myWSuicides"][i]),
                  "%s: weapon %r %r, dbdump %r" % (what, w["weapon"], w, (a["myFrags"][i], a["myKills"][i],
                                                                            a["myDeaths"][i], a["myWSuicides"][i])))
        table = {r[0]: r[1:5] for r in table_after(page, "Weapon Specific Totals")[1:]}
        mine = {w["weapon"]: [str(w[f]) for f in ("frags", "kills", "deaths", "suicides")] for w in ws}
        check(table == mine, "%s: weapons page %r, data %r" % (what, table, mine))
    return players


def summary_sections(page):
    """The "Game Summary" table of a match page: [(team name or None,
    [(cells, raw row)])], the totals row last in each section."""
    at = page.find(">Game Summary</td>")
    end = page.find("</table>", at)
    sections = [(None, [])]
    for raw in re.findall(r"<tr>(.*?)</tr>", page[at:end], re.S):
        c = cells(raw)
        if len(c) == 1 and c[0].startswith("Team: "):
            sections.append((c[0][len("Team: "):], []))
        elif c and (c[0].isdigit() or c[0] == "Totals"):
            sections[-1][1].append((c, raw))
    return [s for s in sections if s[1]]


def split_summary_row(c, team_game, game_type):
    """Cells of a game summary row by column, read from the right."""
    out = {"sprees": c[-5:], "time": c[-6], "ping": c[-7], "ttl": c[-8], "fph": c[-9], "eff": c[-10]}
    i = len(c) - 11
    if team_game:
        out["td"], out["tk"] = c[i], c[i - 1]
        i -= 2
    out["s"], out["d"], out["k"], out["f"] = c[i], c[i - 1], c[i - 2], c[i - 3]
    i -= 4
    if game_type == "Domination":
        out["cpc"] = c[i]
        i -= 1
    if game_type in ("Capture the Flag", "Domination"):
        out["score"], out["teamScore"] = c[i], c[i - 1]
    return out


def check_matches(site, matches, dump, hash_by_uid, replays):
    game = dump["game"]
    times = [m["time"] for m in matches]
    check(times == game["gameList"][:KEPT], "kept matches %r, dbdump %r" % (times, game["gameList"][:KEPT]))
    dirs = sorted(int(d) for d in os.listdir(os.path.join(site, "Individual_Game_Stats")) if d.isdigit())
    check(dirs == sorted(times), "match folders %r, kept matches %r" % (dirs, times))
    samples = sorted(int(f[:-5]) for f in os.listdir(os.path.join(site, "data", "match")) if f.endswith(".json"))
    check(samples == sorted(times), "sample files %r, kept matches %r" % (samples, times))
    for i, m in enumerate(matches):
        what = "match %d" % m["time"]
        check((m["date"], m["map"], m["gameType"]) == (game["gameDateList"][i], game["gameMapList"][i],
                                                       game["gameTypeList"][i]),
              "%s: date, map or type %r, dbdump %r" % (what, (m["date"], m["map"], m["gameType"]),
                                                       (game["gameDateList"][i], game["gameMapList"][i],
                                                        game["gameTypeList"][i])))
        path = os.path.join(site, "Individual_Game_Stats", str(m["time"]), "index.html")
        if not check(os.path.exists(path), "%s: no match page" % what):
            continue
        page = read(path)
        info = {}
        for r in table_after(page, "Match Information"):
            info.update(zip(r[0::2], r[1::2]))
        check(info.get("Match Date") == m["date"] and info.get("Map") == m["map"]
              and info.get("Game Type") == m["gameType"] and info.get("Match Name") == m["server"],
              "%s: match information %r" % (what, info))
        lines = m["players"]
        check([p["rank"] for p in lines] == list(range(1, len(lines) + 1)), "%s: ranks %r" % (what, lines))
        # Each line against the game summary table.
        rows = {}
        for team, section in summary_sections(page):
            for c, raw in section:
                rows[(team, c[0])] = (c, raw)
        teams = m["teams"]
        for p in lines:
            lw = "%s rank %d" % (what, p["rank"])
            team = teams[p["team"]]["name"] if p["team"] is not None and p["team"] < len(teams) else None
            check((team is None) == (not m["teamGame"]), "%s: team %r in a %s match" % (lw, p["team"],
                                                                                      "team" if m["teamGame"] else "free"))
            found = rows.get((team, str(p["rank"])))
            if not check(found is not None, "%s: not in the page's game summary (team %r)" % (lw, team)):
                continue
            c, raw = found
            compared["match lines"] += 1
            link = re.search(r'href="([0-9]+)\.html"', raw)
            check(c[1] == p["name"] and link is not None and int(link.group(1)) == p["number"],
                  "%s: name %r number %r, page %r %r" % (lw, p["name"], p["number"], c[1],
                                                         link.group(1) if link else None))
            entry = hash_by_uid.get(p["uid"])
            check(entry is not None and (entry["name"], entry["isABot"]) == (p["name"], p["bot"]),
                  "%s: uid %r is not %r" % (lw, p["uid"], p["name"]))
            cols = split_summary_row(c, m["teamGame"], m["gameType"])
            want = {"f": str(p["frags"]), "k": str(p["kills"]), "d": str(p["deaths"]), "s": str(p["suicides"]),
                    "eff": fmt(p["efficiency"]) + "%", "fph": fmt(p["fragsPerHour"]), "ttl": fmt(p["timeToLive"]),
                    "ping": "N/A" if p["ping"] is None else str(p["ping"]), "time": fmt(p["time"] / 60),
                    "sprees": [str(n) if n else "" for n in p["sprees"]]}
            if m["teamGame"]:
                want.update(tk=str(p["teamKills"]), td=str(p["teamDeaths"]))
            if m["gameType"] == "Capture the Flag":
                want["score"] = str(int(p["score"]))
            elif m["gameType"] == "Domination":
                want["score"] = fmt(p["score"])
            else:
                check(p["score"] is None, "%s: score %r in a %s match" % (lw, p["score"], m["gameType"]))
            got = {k: cols.get(k) for k in want}
            check(got == want, "%s: page %r, data %r" % (lw, got, want))
        # Teams against the sections' totals rows and the result line.
        for t, team in enumerate(teams):
            tw = "%s team %r" % (what, team["name"])
            found = rows.get((team["name"], "Totals"))
            if not check(found is not None, "%s: no totals row" % tw):
                continue
            cols = split_summary_row(found[0], True, m["gameType"])
            check(cols["f"] == str(team["frags"]), "%s: frags %r, page %r" % (tw, team["frags"], cols["f"]))
            if m["gameType"] == "Capture the Flag":
                check(cols["teamScore"] == str(int(team["score"])), "%s: score %r, page %r"
                      % (tw, team["score"], cols["teamScore"]))
            elif m["gameType"] == "Domination":
                check(cols["teamScore"] == fmt(team["score"]), "%s: score %r, page %r"
                      % (tw, team["score"], cols["teamScore"]))
            else:
                check(team["score"] == team["frags"], "%s: score %r, frags %r" % (tw, team["score"], team["frags"]))
            if team["won"]:
                result = r">\s*%s Team (is Victorious with %d Points|Successfully Assaulted the Base)" % (
                    re.escape(team["name"]), int(team["score"]))
                check(re.search(result, page.replace("&nbsp;", " ")) is not None, "%s: won, the page says otherwise" % tw)
        check(sum(1 for t in teams if t["won"]) <= 1, "%s: more than one team won" % what)
        if m["teamGame"]:
            check(m["winner"] is None, "%s: a winner %r in a team match" % (what, m["winner"]))
        elif lines:
            first = lines[0]
            check(m["winner"] == {"uid": first["uid"], "name": first["name"], "bot": first["bot"]},
                  "%s: winner %r, first line %r" % (what, m["winner"], first["name"]))
        check_replay(site, m, replays.get(m["time"]), hash_by_uid)


def check_replay(site, m, md, hash_by_uid):
    """A kept match's line and samples against matchdump's replay of its log."""
    what = "match %d" % m["time"]
    if not check(md is not None, "%s: no log replays to this time" % what):
        return
    check(m["date"] == md["date"] and m["map"] == md["map"] and m["server"] == md["servername"]
          and m["teamGame"] == md["teamGame"], "%s: identity differs from matchdump" % what)
    by_rank = {p["rank"]: p for p in md["playersByUID"] if p["rank"] > 0}
    for p in m["players"]:
        lw = "%s rank %d" % (what, p["rank"])
        r = by_rank.get(p["rank"])
        if not check(r is not None and r["name"] == p["name"] and r["isABot"] == p["bot"],
                     "%s: matchdump has %r" % (lw, r and r["name"])):
            continue
        a = r["all"]
        ping = None if r["isABot"] or a["pingNum"] == 0 else a["pingTime"] // a["pingNum"]
        want = {"frags": a["frags"], "kills": a["kills"], "deaths": a["deaths"], "suicides": a["suicides"],
                "teamKills": a["tkills"], "teamDeaths": a["tdeaths"], "time": a["totalTime"], "ping": ping,
                "sprees": [s["stats"]["uses"] for s in r["sprees"]]}
        got = {k: p[k] for k in want}
        check(got == want, "%s: data %r, matchdump %r" % (lw, got, want))
        check(same(p["efficiency"], efficiency(a["kills"], a["deaths"], a["suicides"], a["tkills"])),
              "%s: efficiency %r" % (lw, p["efficiency"]))
        check(same(p["fragsPerHour"], per_hour(a["frags"], a["totalTime"])), "%s: fragsPerHour" % lw)
        check(same(p["timeToLive"], a["totalTime"] / (a["deaths"] + a["suicides"] + a["tdeaths"] + 1)),
              "%s: timeToLive %r" % (lw, p["timeToLive"]))
        if p["score"] is not None:
            check(same(p["score"], a["score"]), "%s: score %r, matchdump %r" % (lw, p["score"], a["score"]))
    samples = load(site, "match/%d" % m["time"])
    check(samples["time"] == m["time"] and same(samples["interval"], md["gameInt"]),
          "%s samples: interval %r, matchdump %r" % (what, samples["interval"], md["gameInt"]))
    label = {"Capture the Flag": "Score", "Domination": "Score", "Last Man Standing": "Lives"}.get(m["gameType"],
                                                                                                 "Frags")
    check(samples["label"] == label, "%s samples: label %r in %s" % (what, samples["label"], m["gameType"]))
    check([(s["rank"], s["uid"], s["name"], s["bot"], s["team"]) for s in samples["lines"]]
          == [(p["rank"], p["uid"], p["name"], p["bot"], p["team"]) for p in m["players"]],
          "%s samples: lines differ from the match's players" % what)
    def graphed(sot):
        # Last Man Standing graphs the lives left; -1 is a player who is out.
        if label != "Lives":
            return sot
        return [0.0 if v == -1 else md["lmsLimit"] - v for v in sot]

    for s in samples["lines"]:
        compared["sample lines"] += 1
        r = by_rank.get(s["rank"])
        check(r is not None and graphed(r["sot"]) == s["values"], "%s samples rank %d: values %r, matchdump %r"
              % (what, s["rank"], s["values"][:8], r and graphed(r["sot"])[:8]))
    teams = [t for t in md["teamTotals"]] if md["teamGame"] else []
    check([t["name"] for t in samples["teams"]] == [t["name"] for t in m["teams"]],
          "%s samples: teams %r" % (what, [t["name"] for t in samples["teams"]]))
    for s in samples["teams"]:
        t = next((t for t in teams if t["name"] == s["name"]), None)
        check(t is not None and graphed(t["sot"]) == s["values"], "%s samples team %r: values differ from matchdump"
              % (what, s["name"]))


def replay(logs):
    """Each log's judged match from matchdump, by match time."""
    out = {}
    for f in sorted(os.listdir(logs)):
        r = subprocess.run([BIN + "/matchdump", os.path.join(logs, f)], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, check=True, env=ENV)
        md = json.loads(r.stdout.decode("utf-8"))
        if md["validGame"]:
            out[md["time"]] = md
    return out


def check_site(site, home, replays):
    dump = dbdump(BIN, home)
    hash_by_uid = {h["uid"]: h for h in dump["hash"]}
    totals = load(site, "totals")
    chunks = [load(site, "players-%d" % k) for k in range(totals["players"]["chunks"])]
    # The first and last match of each player, from the replayed logs.
    seen = {}
    for t, md in replays.items():
        for p in md["playersByUID"]:
            key = (p["name"], p["isABot"])
            first, last = seen.get(key, (t, t))
            seen[key] = (min(first, t), max(last, t))
    players = check_players(site, totals, chunks, dump, hash_by_uid, seen)
    check_totals(site, totals, dump, players, load(site, "matches")["matches"])
    check_records(site, load(site, "records"), dump, hash_by_uid, players)
    check_matches(site, load(site, "matches")["matches"], dump, hash_by_uid, replays)


with tempfile.TemporaryDirectory() as home:
    write_settings(home, SpawnBrowser="false", DebugType="None", Max_Most_Recent=KEPT)
    site = os.path.join(home, "html")
    kept_logs = os.path.join(home, "replayed")
    os.makedirs(kept_logs)
    replays = {}
    before = {}
    # Run 2 repeats one log of run 1; run 3 repeats run 2 and counts nothing.
    batches = [(41, 7, "all", "2026-01-01T20:00", None), (42, 5, "all", "2026-02-01T20:00", "fr"),
               (42, 5, "all", "2026-02-01T20:00", "fr")]
    for n, (seed, count, types, date, language) in enumerate(batches):
        when = "run %d" % (n + 1)
        logs = os.path.join(home, "logs%d" % n)
        r = loggen(BIN, home, logs, seed, count, types, date, players=6, language=language)
        check(r.returncode == 0, "loggen failed: " + r.stdout.decode(errors="replace"))
        if n == 1:
            first = sorted(os.listdir(os.path.join(home, "logs0.copy")))[2]
            shutil.copy(os.path.join(home, "logs0.copy", first), os.path.join(logs, "repeat-" + first))
        shutil.copytree(logs, logs + ".copy")
        replays.update(replay(logs))
        r = run([BIN + "/vardobf", "-j", home, logs], home)
        check(r.returncode == 0, "%s failed: %s" % (when, r.stdout.decode("latin-1")[-2000:]))
        after = data_files(site)
        if n == 2:
            check(after == before, "%s counted no match, yet rewrote %r" % (
                when, sorted(f for f in set(after) | set(before) if after.get(f) != before.get(f))[:10]))
        else:
            touched = sorted(f for f in after if f in before and after[f][1] == before[f][1]
                             and after[f][0] != before[f][0])
            check(not touched, "%s rewrote data files it did not change: %r" % (when, touched[:10]))
            check_site(site, home, replays)
        before = after
    check(len(replays) == 12, "%d distinct matches replayed" % len(replays))

print("compared " + ", ".join("%d %s" % (n, k) for k, n in compared.items()))
for f in failures[:200]:
    print("FAIL:", f)
print("%d problems" % len(failures))
sys.exit(1 if failures else 0)
