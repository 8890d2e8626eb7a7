#!/usr/bin/env python3
"""Checks the site's data files against their JSON Schemas over several runs
of vardobf: a first run with the data turned off (ExportData false), so that
the next run meets matches and players counted before the data was first
written, then runs that add logs. After each run every file of html/data/ is
checked: each NAME.json is UTF-8 JSON valid against the schema of its name,
and each NAME.js is exactly "var brimfall_ID = " + the JSON text + ";" and a
line feed.

Usage: site_data_schemas.py <bin directory> <schema directory>
"""
import json
import os
import re
import sys
import tempfile

import jsonschema

sys.dont_write_bytecode = True  # no cache written into the source tree
from site_pages import data_files, dbdump, loggen, run, write_settings  # noqa: E402

BIN = os.path.abspath(sys.argv[1])
SCHEMAS = os.path.abspath(sys.argv[2])
failures = []
checked = [0]

# Data set names and the schema that describes each.
KINDS = [(r"totals", "totals"), (r"records", "records"), (r"matches", "matches"),
         (r"players-[0-9]+", "players"), (r"player/[0-9]+", "player"), (r"match/[0-9]+", "match")]


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def load_schemas():
    out = {}
    for _, kind in KINDS:
        with open(os.path.join(SCHEMAS, kind + ".schema.json"), encoding="utf-8") as f:
            schema = json.load(f)
        jsonschema.Draft202012Validator.check_schema(schema)
        out[kind] = jsonschema.Draft202012Validator(schema)
    return out


def kind_of(name):
    for pattern, kind in KINDS:
        if re.fullmatch(pattern, name):
            return kind
    return None


def refuse_constant(text):
    raise ValueError("not JSON: " + text)


def check_files(files, validators, when):
    """Checks every data file; returns the parsed documents by data set name."""
    docs = {}
    names = {f[:-5] for f in files if f.endswith(".json")}
    for f in files:
        check(f.endswith(".json") or f.endswith(".js"), "%s: %s is neither .json nor .js" % (when, f))
        if f.endswith(".js"):
            check(f[:-3] in names, "%s: %s has no .json beside it" % (when, f))
    for name in sorted(names):
        text = files[name + ".json"][1]
        kind = kind_of(name)
        if not check(kind is not None, "%s: no schema describes %s.json" % (when, name)):
            continue
        try:
            doc = json.loads(text.decode("utf-8"), parse_constant=refuse_constant)
        except ValueError as e:
            check(False, "%s: %s.json is not UTF-8 JSON: %s" % (when, name, e))
            continue
        errors = sorted(validators[kind].iter_errors(doc), key=lambda e: list(e.absolute_path))
        for e in errors[:5]:
            check(False, "%s: %s.json at /%s: %s" % (when, name, "/".join(map(str, e.absolute_path)), e.message[:300]))
        docs[name] = doc
        checked[0] += 1
        ident = "brimfall_" + name.replace("/", "_").replace("-", "_")
        js = files.get(name + ".js", (0, None))[1]
        check(js == b"var " + ident.encode() + b" = " + text + b";\n",
              "%s: %s.js is not 'var %s = ' + %s.json + ';\\n'" % (when, name, ident, name))
    return docs


def check_sets(docs, when):
    """The files that the totals announce are there."""
    totals = docs.get("totals")
    if not check(totals is not None and "records" in docs and "matches" in docs,
                 "%s: totals, records or matches missing" % when):
        return
    chunks = totals["players"]["chunks"]
    listed = sorted(n for n in docs if n.startswith("players-"))
    check(listed == sorted("players-%d" % k for k in range(chunks)),
          "%s: player list files %r, totals announce %d" % (when, listed, chunks))
    check(totals["keptMatches"] == len(docs["matches"]["matches"]), "%s: keptMatches differs" % when)
    for k in range(chunks):
        doc = docs.get("players-%d" % k)
        if doc:
            check(doc["chunk"] == k, "%s: players-%d says chunk %r" % (when, k, doc["chunk"]))


with tempfile.TemporaryDirectory() as home:
    validators = load_schemas()
    site = os.path.join(home, "html")
    runs = [  # (seed, count, types, date, data exported)
        (31, 4, "all", "2026-01-01T20:00", False),
        (32, 7, "all", "2026-02-01T20:00", True),
        (33, 3, "ctf", "2026-03-01T20:00", True),
        (34, 2, "lms", "2026-04-01T20:00", True)]
    for n, (seed, count, types, date, exported) in enumerate(runs):
        when = "run %d" % (n + 1)
        write_settings(home, SpawnBrowser="false", DebugType="None", Max_Most_Recent=10,
                       ExportData="true" if exported else "false")
        logs = os.path.join(home, "logs%d" % n)
        r = loggen(BIN, home, logs, seed, count, types, date, players=7, language=["fr", "es", "en", "it"][n])
        check(r.returncode == 0, "loggen failed: " + r.stdout.decode(errors="replace"))
        r = run([BIN + "/vardobf", "-j", home, logs], home)
        check(r.returncode == 0, "%s failed: %s" % (when, r.stdout.decode("latin-1")[-2000:]))
        files = data_files(site) if os.path.isdir(os.path.join(site, "data")) else {}
        if not exported:
            check(not files, "%s: ExportData false, yet data/ holds %d files" % (when, len(files)))
            continue
        docs = check_files(files, validators, when)
        check_sets(docs, when)
        # The data is this run's, not a previous one's.
        counted = dbdump(BIN, home)["totals"]["totalGamesPlayed"]
        check(docs.get("totals", {}).get("matchesCounted") == counted,
              "%s: totals count %r matches, the database %d" % (when, docs.get("totals", {}).get("matchesCounted"),
                                                                 counted))
        if n == 1:
            # The matches and players of the first run were counted before
            # the data was first written.
            old = [m for m in docs.get("matches", {}).get("matches", []) if not m["players"]]
            check(old, "%s: no match of the first run among the kept matches" % when)
            check(all(m["server"] is None and m["winner"] is None and m["teams"] == [] for m in old),
                  "%s: a match counted before the data has more than the game database knows" % when)

print("checked %d data sets" % checked[0])
for f in failures:
    print("FAIL:", f)
print("%d problems" % len(failures))
sys.exit(1 if failures else 0)
