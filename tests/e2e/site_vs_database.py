#!/usr/bin/env python3
"""Runs vardobf three times in a row on generated logs and checks that the
totals pages agree with the database that dbdump prints, that pruning keeps
exactly the kept matches, and which career pages each run rewrote.

Usage: site_vs_database.py <bin directory>
"""
import html
import json
import os
import re
import sys
import tempfile

sys.dont_write_bytecode = True  # no cache written into the source tree
from site_pages import career_pages, read, run, table_after  # noqa: E402

BIN = os.path.abspath(sys.argv[1])
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


with tempfile.TemporaryDirectory() as home:
    with open(os.path.join(home, "VardoBF.cfg"), "w") as f:
        f.write("SpawnBrowser\tfalse\nDebugType\tNone\nMax_Most_Recent\t4\n")
    site = os.path.join(home, "html")
    seen = []
    for n, (seed, count, types) in enumerate([(21, 4, "all"), (22, 3, "ctf"), (22, 3, "ctf")]):
        logs = os.path.join(home, "logs%d" % n)
        r = run([BIN + "/loggen", "--type", types, "--count", str(count), "--seed", str(seed),
                 "--players", "6", "--minutes", "3", "--date", "2026-0%d-01T20:00" % (n + 1 if n < 2 else 2),
                 "--unknown-weapons", "0.003", "--out", logs], home)
        check(r.returncode == 0, "loggen failed: " + r.stdout.decode())
        before = career_pages(site) if os.path.isdir(os.path.join(site, "Total_Game_Stats")) else {}
        r = run([BIN + "/vardobf", "-j", home, logs], home)
        check(r.returncode == 0, "run %d failed: %s" % (n, r.stdout.decode()[-2000:]))
        seen.append((before, career_pages(site)))

    dump = json.loads(run([BIN + "/dbdump", os.path.join(home, "data")], home).stdout)
    allstats = dump["player"]["allStats"]["all"]
    games = dump["game"]["gameList"]
    names = {h["name"] for h in dump["hash"]}

    main = read(os.path.join(site, "Vardo_Main.html"))
    check("<td class=ab>%d</td>" % allstats["frags"] in main, "main page frags differ from the database")

    records = read(os.path.join(site, "Total_Game_Stats", "Total_Index.html"))
    logged = table_after(records, "Totals Logged")
    check(logged[1][:5] == [str(allstats[k]) for k in ("frags", "kills", "deaths", "suicides")] + [str(len(games))],
          "Totals Logged %r differs from the database" % logged[1:2])
    highs = {row[0]: row[1:] for row in table_after(records, "Career Highs")[1:]}
    rec = dump["totals"]["records"]
    for label, key in [("Most Frags", "cMostFrags"), ("Most Kills", "cMostKills"), ("Most Deaths", "cMostDeaths"),
                       ("Most Wins", "cMostWins")]:
        check(highs.get(label, [None])[0] == rec[key]["name"] and highs[label][1] == str(rec[key]["score"]),
              "%s: page %r, database %r" % (label, highs.get(label), rec[key]))

    # The recent list: the newest matches in database order, each linked to a
    # directory that exists; pruning kept exactly those directories.
    recent = read(os.path.join(site, "Individual_Game_Stats", "Recent_Index.html"))
    linked = re.findall(r'href="([0-9]+)/index.html"', recent)
    check(linked == [str(g) for g in games[:4]], "recent list %r, database %r" % (linked, games[:4]))
    dirs = sorted(d for d in os.listdir(os.path.join(site, "Individual_Game_Stats"))
                  if d.isdigit())
    check(dirs == sorted(str(g) for g in games[:4]), "kept directories %r, kept matches %r" % (dirs, games[:4]))

    # The player list names every player of the database once.
    listed = [html.unescape(n).replace("\xa0", " ") for n in
              re.findall(r'<a class=a[lm] href="[0-9]+\.html">(.*?)</a>',
                         read(os.path.join(site, "Total_Game_Stats", "Player_Index.html")))]
    check(sorted(listed) == sorted(names), "player list differs from the database")

    # The all-types ranking: players of the database, more frags first.
    ranking = table_after(read(os.path.join(site, "Total_Game_Stats", "Rankings.html")),
                          "All Game Types Combined : All-Time Ranking")[1:]
    frags = [int(r[2]) for r in ranking]
    check(frags == sorted(frags, reverse=True), "ranking not ordered by frags: %r" % frags)
    check(all(r[1] in names for r in ranking), "ranking names a player the database does not have")
    check(len(ranking) == min(20, len(names)), "ranking has %d rows" % len(ranking))

    # Run 2 added new matches: it rewrote the pages of their players only;
    # run 3 repeated them: it rewrote nothing.
    before, after = seen[1]
    changed = {f for f in after if f not in before or after[f] != before[f]}
    kept = {f for f in before if f in after and after[f] == before[f]}
    check(changed and kept, "run 2 changed %d and kept %d career pages" % (len(changed), len(kept)))
    before, after = seen[2]
    check(before == after, "a run of repeated logs rewrote career pages")

for f in failures:
    print("FAIL:", f)
print("%d problems" % len(failures))
sys.exit(1 if failures else 0)
