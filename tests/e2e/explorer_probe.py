#!/usr/bin/env python3
"""Checks Explorer.html in headless Chromium, and takes its screenshots.

    explorer_probe.py check BIN_DIR
        Builds sites in a temporary folder and checks the explorer on them at
        1280 and 390 pixels wide: search, sort, filters, a player view, a
        match view, hostile names shown as text, and a list of 100,000
        players. Exits 0 when every check passed, 1 with one "FAIL ..." line
        per failed check, 77 when chromium or the built programs are missing.
    explorer_probe.py screenshots SITE DOCS
        Takes the list, a player view and a match view of the site whose page
        directory is SITE, at 1280 and 390 pixels, into DOCS/explorer-*.png.

Drives the browser over its debugging pipe with browser_probe.Browser.
"""
import base64
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import unicodedata

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_probe import Browser, measure  # noqa: E402

CHROMIUM = "/usr/bin/chromium"
SKIP = 77
HOSTILE = ["<script>alert(1)</script>", '<b>Deck"</b>', "<img src=x onerror=alert(2)>",
           'Jos\u00e9 & "Ren\u00e9"']
PAGE_SIZE = 50

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def search_key(text):
    """The name as the explorer's search and name sort see it."""
    decomposed = unicodedata.normalize("NFD", text)
    return "".join(c for c in decomposed if not 0x300 <= ord(c) <= 0x36F).lower()


# ---- Site data --------------------------------------------------------------

def write_data(site, name, value):
    """data/NAME.json and data/NAME.js, as vardobf writes them."""
    text = json.dumps(value, ensure_ascii=False, separators=(",", ":"))
    path = os.path.join(site, "data", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path + ".json", "w", encoding="utf-8") as f:
        f.write(text)
    with open(path + ".js", "w", encoding="utf-8") as f:
        f.write("var brimfall_%s = %s;\n" % (name.replace("/", "_").replace("-", "_"), text))


def read_data(site, name):
    with open(os.path.join(site, "data", name + ".json"), encoding="utf-8") as f:
        return json.load(f)


def synthetic_player(rng, uid, name, types):
    """A player-list entry with figures that agree with each other."""
    entry = {"uid": uid, "name": name, "bot": uid % 3 == 2}
    kills, deaths, suicides = rng.randint(0, 4000), rng.randint(0, 4000), rng.randint(0, 200)
    time_played = rng.randint(0, 360000)
    entry.update({"frags": kills - suicides, "kills": kills, "deaths": deaths, "suicides": suicides,
                  "teamKills": rng.randint(0, 50), "teamDeaths": rng.randint(0, 50),
                  "efficiency": kills * 100 / (kills + deaths + suicides) if kills else 0,
                  "fragsPerHour": (kills - suicides) * 3600 / time_played if time_played else 0,
                  "time": time_played})
    by_type = [rng.choice([0, 0, 1, 3, 8]) for _ in range(types)]
    wins = [rng.randint(0, n) for n in by_type]
    first = None if uid % 5 == 0 else 1700000000000 + uid * 1000
    entry.update({"matches": sum(by_type), "matchesByType": by_type, "winsByType": wins,
                  "lossesByType": [n - w for n, w in zip(by_type, wins)],
                  "firstSeen": first, "lastSeen": None if first is None else first + 86400000})
    return entry


def write_player_list(site, names, totals, chunk_size=1000):
    """A player list following the format, for the given player names (uid =
    index), beside the totals `totals` of another site, without matches."""
    rng = random.Random(7)
    types = len(totals["gameTypes"])
    players = [synthetic_player(rng, uid, name, types) for uid, name in enumerate(names)]
    chunks = (len(players) + chunk_size - 1) // chunk_size
    for k in range(chunks):
        write_data(site, "players-%d" % k, {"format": 1, "chunk": k,
                                           "players": players[k * chunk_size:(k + 1) * chunk_size]})
    write_data(site, "matches", {"format": 1, "matches": []})
    humans = sum(1 for p in players if not p["bot"])
    totals = dict(totals, keptMatches=0,
                  players={"count": len(players), "humans": humans, "bots": len(players) - humans,
                           "chunkSize": chunk_size, "chunks": chunks})
    write_data(site, "totals", totals)


def lay_in_site_files(bin_dir, site):
    """The installed page files (Explorer.html, skin, images) into a site."""
    installed = os.path.join(bin_dir, "..", "share", "vardobf", "html")
    shutil.copytree(installed, site, dirs_exist_ok=True)


# ---- The browser --------------------------------------------------------------

class DialogBrowser(Browser):
    """A browser that dismisses every dialog at once (an alert would stop the
    page's scripts until answered), remembering its text."""

    def __init__(self, chromium, profile):
        super().__init__(chromium, profile)
        self.dialogs = []

    def read(self):
        msg = super().read()
        if msg.get("method") == "Page.javascriptDialogOpening":
            self.dialogs.append(msg["params"].get("message", ""))
            self.send("Page.handleJavaScriptDialog", {"accept": False}, msg.get("sessionId"))
        return msg


class Page:
    """One tab, its console errors, failed requests and dialogs recorded."""

    def __init__(self, browser, width, height=900):
        self.b = browser
        target = browser.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.s = browser.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        for method in ("Page.enable", "Network.enable", "Runtime.enable", "Log.enable"):
            browser.call(method, session=self.s)
        self.metrics = {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False}
        browser.call("Emulation.setDeviceMetricsOverride", self.metrics, self.s)
        self.urls = {}
        self.problems = []

    def open(self, url):
        self.b.call("Page.navigate", {"url": url}, self.s)
        self.b.wait_event("Page.loadEventFired")

    def js(self, expression):
        """The value of an expression (awaited), passed through JSON."""
        result = self.b.call("Runtime.evaluate", {
            "expression": "(async () => JSON.stringify(await (%s)))()" % expression,
            "returnByValue": True, "awaitPromise": True}, self.s)
        self.collect()
        if "exceptionDetails" in result:
            raise RuntimeError("page script: " + json.dumps(result["exceptionDetails"])[:400])
        value = result["result"].get("value")
        return None if value is None else json.loads(value)

    def wait(self, condition, what, seconds=20):
        """Waits until the page expression `condition` is true."""
        ok = self.js("""new Promise(resolve => {
            const end = performance.now() + %d;
            const poll = () => { let v; try { v = (%s); } catch (e) { v = false; }
              if (v || performance.now() > end) resolve(!!v); else setTimeout(poll, 20); };
            poll(); })""" % (seconds * 1000, condition))
        if not ok:
            raise RuntimeError("timed out waiting for " + what)

    def show(self, hash_, condition, what):
        self.js("(() => { location.hash = %s; return 1; })()" % json.dumps(hash_))
        self.wait(condition, what)

    def collect(self):
        for msg in self.b.events:
            method, params = msg.get("method"), msg.get("params", {})
            if method == "Network.requestWillBeSent":
                self.urls[params["requestId"]] = params["request"]["url"]
            elif method == "Network.loadingFailed":
                self.problems.append("request failed: %s %s" % (self.urls.get(params["requestId"], "?"),
                                                                 params.get("errorText", "")))
            elif method == "Runtime.exceptionThrown":
                self.problems.append("exception: " + json.dumps(params["exceptionDetails"])[:300])
            elif method == "Runtime.consoleAPICalled" and params.get("type") == "error":
                self.problems.append("console error: " + json.dumps(params.get("args"))[:300])
            elif method == "Log.entryAdded" and params["entry"].get("level") == "error":
                self.problems.append("console error: " + params["entry"].get("text", "")[:300])
        self.b.events.clear()
        self.problems += ["a dialog opened: " + d for d in self.b.dialogs]
        self.b.dialogs.clear()

    def screenshot(self, path):
        height = self.js("document.documentElement.scrollHeight")
        metrics = dict(self.metrics, height=min(int(height), 4000))
        self.b.call("Emulation.setDeviceMetricsOverride", metrics, self.s)
        png = self.b.call("Page.captureScreenshot", {"format": "png"}, self.s)
        with open(path, "wb") as f:
            f.write(base64.b64decode(png["data"]))
        self.b.call("Emulation.setDeviceMetricsOverride", self.metrics, self.s)

    def key(self, key):
        """Presses and releases a key, as the keyboard does."""
        code = {"ArrowLeft": 37, "ArrowRight": 39, "Enter": 13, "Tab": 9}[key]
        down = {"type": "rawKeyDown" if key != "Enter" else "keyDown", "key": key, "code": key,
                "windowsVirtualKeyCode": code}
        if key == "Enter":
            down["text"] = "\r"
        self.b.call("Input.dispatchKeyEvent", down, self.s)
        self.b.call("Input.dispatchKeyEvent", {"type": "keyUp", "key": key, "code": key,
                                               "windowsVirtualKeyCode": code}, self.s)


# Page expressions.
LIST_UIDS = "Array.from(document.querySelectorAll('#xp-list tbody tr')).map(r => Number(r.dataset.uid))"
ALL_UIDS = """(async () => {
  const out = [];
  const first = () => document.querySelector('.xp-pager button');
  while (first() && !first().disabled) first().click();
  for (;;) {
    out.push(...%s);
    const next = document.querySelectorAll('.xp-pager button')[1];
    if (!next || next.disabled) break;
    next.click();
  }
  return out;
})()""" % LIST_UIDS
OVERFLOW = "document.documentElement.scrollWidth - window.innerWidth"


def type_search(page, text):
    return page.js("""(() => {
        const q = document.getElementById('xp-search');
        q.value = %s;
        const t0 = performance.now();
        q.dispatchEvent(new Event('input', {bubbles: true}));
        return performance.now() - t0; })()""" % json.dumps(text))


def click_heading(page, key):
    return page.js("""(() => {
        const t0 = performance.now();
        document.querySelector('button.xp-sort[data-key=%s]').click();
        return performance.now() - t0; })()""" % json.dumps(key))


def select(page, sel, value):
    page.js("""(() => { const s = document.getElementById(%s); s.value = %s;
        s.dispatchEvent(new Event('change', {bubbles: true})); return 1; })()"""
            % (json.dumps(sel), json.dumps(value)))


def sort_key(p, key):
    if key == "name":
        return search_key(p["name"])
    if key == "lastSeen":
        return -1 if p["lastSeen"] is None else p["lastSeen"]
    return p[key]


def expected_order(players, key, desc):
    ordered = sorted(players, key=lambda p: p["uid"])
    # Stable sorts: uid order for ties in either direction.
    ordered.sort(key=lambda p: sort_key(p, key), reverse=desc)
    return [p["uid"] for p in ordered]


def check_contrast(page, where):
    """Every text, links in their hover colour too, at 4.5:1 or more with
    what it stands on, as browser_probe measures the other pages."""
    layout, hover = measure(page.b, page.s)
    for m in (layout, hover):
        check(m["contrast_min"] is None or m["contrast_min"] >= 4.5,
              "%s: text of low contrast: %s" % (where, m["low_contrast"][:3]))


def settle_problems(page, where):
    page.collect()
    for p in page.problems:
        check(False, "%s: %s" % (where, p))
    page.problems.clear()


def explorer_url(site):
    return "file://" + os.path.abspath(os.path.join(site, "Explorer.html"))


# ---- The checks -------------------------------------------------------------------

def check_list(page, site, width):
    """Search, the filters and the sort against the data files."""
    where = "list at %d" % width
    totals = read_data(site, "totals")
    players = []
    for k in range(totals["players"]["chunks"]):
        players += read_data(site, "players-%d" % k)["players"]
    page.open(explorer_url(site))
    page.wait("document.querySelector('#xp-list tbody tr')", where + ": rows")
    rows = page.js(LIST_UIDS)
    check(rows == [p["uid"] for p in sorted(players, key=lambda p: p["uid"])][:PAGE_SIZE],
          "%s: the first page is not the first %d players by uid: %s" % (where, PAGE_SIZE, rows[:10]))
    check(page.js(OVERFLOW) <= 0, where + ": the page scrolls sideways")
    check_contrast(page, where)
    links = page.js("""Array.from(document.querySelectorAll('#xp-list tbody tr')).slice(0, 3).map(r =>
        Array.from(r.querySelectorAll('a')).map(a => a.getAttribute('href')))""")
    check(links and links[0] == ["#player/%d" % rows[0], "Total_Game_Stats/%d.html" % rows[0]],
          "%s: a row links to %s" % (where, links[:1]))

    # A row's figures are the player's career figures (wins: a single-player
    # match counts under its type and again as single-player, but once).
    cells = page.js("""Array.from(document.querySelectorAll('#xp-list tbody tr')).map(r =>
        [Number(r.dataset.uid)].concat(Array.from(r.cells).slice(1, 4).map(c => c.textContent)))""")
    for uid, *shown in cells:
        career = read_data(site, "player/%d" % uid)["all"]
        want = [str(career[k]) for k in ("matches", "wins", "frags")]
        check(shown == want, "%s: player %d shows matches, wins, frags %s, want %s" % (where, uid, shown, want))

    # Search: a name's part in another case and without its accents, and a
    # typed accent that finds only the accented names.
    queries = []
    accented = [p["name"] for p in players if search_key(p["name"]) != p["name"].lower()]
    if accented:
        name = accented[0]
        plain = search_key(name)
        queries.append(plain[:max(3, len(plain) // 2)].upper())
        queries.append(name)
    queries += [players[len(players) // 2]["name"][1:4], "zzzz-nobody"]
    for q in queries:
        type_search(page, q)
        got = page.js(ALL_UIDS)
        want = [p["uid"] for p in sorted(players, key=lambda p: p["uid"])
                if search_key(q) in search_key(p["name"])]
        check(sorted(got) == sorted(want) and len(got) == len(set(got)),
              "%s: search %r shows %s, want %s" % (where, q, sorted(got)[:20], want[:20]))
        check(page.js(OVERFLOW) <= 0, "%s: the page scrolls sideways after search %r" % (where, q))
    type_search(page, "")

    # Filters: a game type and bots.
    t = max(range(7), key=lambda i: sum(1 for p in players if p["matchesByType"][i] > 0))
    select(page, "xp-type", str(t))
    select(page, "xp-kind", "bot")
    got = page.js(ALL_UIDS)
    want = [p["uid"] for p in players if p["bot"] and p["matchesByType"][t] > 0]
    check(sorted(got) == sorted(want), "%s: bots of type %d: %s, want %s" % (where, t, got[:20], want[:20]))
    select(page, "xp-kind", "human")
    got = page.js(ALL_UIDS)
    want = [p["uid"] for p in players if not p["bot"] and p["matchesByType"][t] > 0]
    check(sorted(got) == sorted(want), "%s: humans of type %d: %s, want %s" % (where, t, got[:20], want[:20]))
    select(page, "xp-type", "-1")
    select(page, "xp-kind", "all")

    # Sort: a first click, a second one reversing it; names first ascending,
    # numbers first descending.
    for key, first_desc in (("frags", True), ("name", False), ("lastSeen", True)):
        for desc in (first_desc, not first_desc):
            click_heading(page, key)
            got = page.js(ALL_UIDS)
            want = expected_order(players, key, desc)
            check(got == want, "%s: sorted by %s %s: %s..., want %s..." %
                  (where, key, "down" if desc else "up", got[:12], want[:12]))
            state = page.js("document.querySelector('th[data-key=%s]').getAttribute('aria-sort')" % key)
            check(state == ("descending" if desc else "ascending"),
                  "%s: the heading of %s says %s" % (where, key, state))
    # The keyboard: Tab moves on from the search with a visible focus; Enter
    # on a heading sorts by it and leaves the focus there; a second Enter on
    # the pager's Next shows the next page.
    page.js("(() => { document.getElementById('xp-search').focus(); return 1; })()")
    page.key("Tab")
    focus = page.js("[document.activeElement.id, getComputedStyle(document.activeElement).outlineStyle]")
    check(focus == ["xp-type", "solid"], "%s: Tab from the search gives %s" % (where, focus))
    page.js("(() => { document.querySelector('button.xp-sort[data-key=matches]').focus(); return 1; })()")
    page.key("Enter")
    got = page.js("[document.activeElement.dataset.key, getComputedStyle(document.activeElement).outlineStyle, "
                  + LIST_UIDS + "]")
    check(got[:2] == ["matches", "solid"] and got[2] == expected_order(players, "matches", True)[:PAGE_SIZE],
          "%s: Enter on the Matches heading: focus %s, rows %s" % (where, got[:2], got[2][:10]))
    if len(players) > PAGE_SIZE:
        page.js("(() => { document.querySelectorAll('.xp-pager button')[1].focus(); return 1; })()")
        page.key("Enter")
        got = page.js("[document.activeElement.textContent, " + LIST_UIDS + "]")
        want = ["Next" if len(players) > 2 * PAGE_SIZE else "Previous",
                expected_order(players, "matches", True)[PAGE_SIZE:2 * PAGE_SIZE]]
        check(got == want, "%s: Enter on Next: focus %r, rows %s" % (where, got[0][:20], got[1][:10]))

    # The sort stays while searching: the search narrows the sorted rows.
    q = players[0]["name"][:2]
    type_search(page, q)
    want = [u for u in expected_order(players, "lastSeen", False)
            if search_key(q) in search_key(next(p["name"] for p in players if p["uid"] == u))]
    check(page.js(ALL_UIDS) == want, "%s: search %r after a sort loses the order" % (where, q))
    type_search(page, "")
    settle_problems(page, where)
    return players


def check_player(page, site, width, uid):
    where = "player %d at %d" % (uid, width)
    career = read_data(site, "player/%d" % uid)
    page.show("#player/%d" % uid, "document.querySelectorAll('.xp-chart').length === 3", where)
    got = page.js("""({
        title: document.querySelector('h1').textContent,
        charts: Array.from(document.querySelectorAll('.xp-chart')).map(c =>
            [c.querySelector('h2').textContent, c.querySelectorAll('svg rect').length]),
        career: Array.from(document.querySelectorAll('a')).some(a =>
            a.getAttribute('href') === 'Total_Game_Stats/%d.html'),
        matches: Array.from(document.querySelectorAll('#xp-player-matches tbody tr')).map(r =>
            [Number(r.dataset.time), Array.from(r.querySelectorAll('a')).map(a => a.getAttribute('href'))]),
        overflow: %s})""" % (uid, OVERFLOW))
    check(got["title"] == career["name"], "%s: the heading reads %r" % (where, got["title"]))
    played = sum(1 for t in career["byType"] if t["matches"] > 0)
    weapons = sum(1 for w in career["weapons"] if w["kills"] > 0)
    # Bars: matches and wins per type played, one per weapon with kills, one
    # efficiency bar per type played (plus the legend's squares).
    for (title, bars), want in zip(got["charts"], (2 * played + 2, weapons, played)):
        check(bars == want, "%s: chart %r has %d bars, want %d" % (where, title, bars, want))
    check(got["career"], where + ": no link to the career page")
    check_contrast(page, where)
    kept = [m for m in read_data(site, "matches")["matches"]
            if any(l["uid"] == uid for l in m["players"])]
    check([m[0] for m in got["matches"]] == [m["time"] for m in kept],
          "%s: kept matches %s, want %s" % (where, [m[0] for m in got["matches"]], [m["time"] for m in kept]))
    for t, hrefs in got["matches"]:
        check(hrefs == ["#match/%d" % t, "Individual_Game_Stats/%d/index.html" % t],
              "%s: match %d links to %s" % (where, t, hrefs))
    check(got["overflow"] <= 0, where + ": the page scrolls sideways")
    settle_problems(page, where)


def check_match(page, site, width, time_):
    where = "match %d at %d" % (time_, width)
    samples = read_data(site, "match/%d" % time_)
    page.show("#match/%d" % time_, "document.querySelector('svg.xp-lines')", where)
    got = page.js("""({
        lines: document.querySelectorAll('svg.xp-lines polyline.pline').length,
        points: Array.from(document.querySelectorAll('svg.xp-lines polyline.pline')).map(p =>
            p.getAttribute('points').trim().split(/\\s+/).length),
        legend: Array.from(document.querySelectorAll('#xp-legend li[data-line]')).map(l => l.textContent),
        page: Array.from(document.querySelectorAll('a')).some(a =>
            a.getAttribute('href') === 'Individual_Game_Stats/%d/index.html'),
        overflow: %s})""" % (time_, OVERFLOW))
    lines = samples["lines"]
    check(got["lines"] == len(lines), "%s: %d player lines, want %d" % (where, got["lines"], len(lines)))
    check(got["points"] == [len(l["values"]) for l in lines], "%s: points per line %s" % (where, got["points"]))
    check(len(got["legend"]) == len(lines) and
          all(l["name"] in text for l, text in zip(lines, got["legend"])),
          "%s: legend %s" % (where, got["legend"]))
    check(got["page"], where + ": no link to the match's pages")
    check_contrast(page, where)
    check(got["overflow"] <= 0, where + ": the page scrolls sideways")

    # The value under the pointer: the pointer over the last sample, then a
    # step back with the keyboard.
    box = page.js("(() => { const r = document.querySelector('svg.xp-lines').getBoundingClientRect();"
                  " window.scrollTo(0, r.top + scrollY - 10);"
                  " const s = document.querySelector('svg.xp-lines').getBoundingClientRect();"
                  " return [s.left, s.top, s.width, s.height]; })()")
    page.b.call("Input.dispatchMouseEvent", {"type": "mouseMoved", "x": box[0] + box[2] - 14,
                                             "y": box[1] + box[3] / 2}, page.s)
    n = len(lines[0]["values"])
    best = max(lines, key=lambda l: l["values"][-1])
    read = page.js("document.getElementById('xp-readout').textContent")
    check("sample %d of %d" % (n, n) in read and best["name"] in read,
          "%s: the readout at the last sample reads %r" % (where, read[:200]))
    page.js("(() => { document.querySelector('svg.xp-lines').focus(); return 1; })()")
    page.key("ArrowLeft")
    read = page.js("document.getElementById('xp-readout').textContent")
    check("sample %d of %d" % (n - 1, n) in read, "%s: after ArrowLeft the readout reads %r" % (where, read[:120]))
    if samples["teams"]:
        page.js("(() => { document.getElementById('xp-teams').click(); return 1; })()")
        teams = page.js("document.querySelectorAll('svg.xp-lines polyline.tline').length")
        check(teams == len(samples["teams"]), "%s: %d team lines, want %d" % (where, teams, len(samples["teams"])))
    settle_problems(page, where)


INJECTED = ("document.querySelectorAll('#xp-view script, #xp-view img, #xp-view b, #xp-view iframe')"
            ".length + document.querySelectorAll('script').length * 1000 + (window.xpHit ? 100000 : 0)")


def check_hostile(page, site, width, hostile):
    """Names with markup shown as text in the list, a player and a match."""
    where = "hostile names at %d" % width
    page.open(explorer_url(site))
    page.wait("document.querySelector('#xp-list tbody tr')", where)
    before = page.js(INJECTED)
    check(before == 1000, "%s: injected elements before anything happened: %s" % (where, before))
    players = []
    for k in range(read_data(site, "totals")["players"]["chunks"]):
        players += read_data(site, "players-%d" % k)["players"]
    for name in hostile:
        matching = [p for p in players if p["name"] == name]
        if not check(matching, "%s: no player %r in the data" % (where, name)):
            continue
        type_search(page, name)
        shown = page.js("Array.from(document.querySelectorAll('#xp-list tbody td:first-child'))"
                        ".map(td => td.textContent)")
        check(name in shown, "%s: searching %r shows %s" % (where, name, shown))
        check(page.js(INJECTED) == 1000, "%s: an element was injected by %r" % (where, name))
        uid = matching[0]["uid"]
        page.show("#player/%d" % uid, "document.querySelectorAll('.xp-chart').length === 3", where)
        title = page.js("document.querySelector('h1').textContent")
        check(title == name, "%s: the player view's heading reads %r, want %r" % (where, title, name))
        check(page.js(INJECTED) == 1000, "%s: an element was injected by %r's view" % (where, name))
        page.show("#players", "document.querySelector('#xp-list tbody tr')", where)
    for m in read_data(site, "matches")["matches"]:
        shown_names = [l["name"] for l in m["players"]]
        if not any(n in hostile for n in shown_names + [m["map"], m["server"]]):
            continue
        page.show("#match/%d" % m["time"], "document.querySelector('svg.xp-lines')", where)
        text = page.js("document.getElementById('xp-view').textContent")
        for n in [x for x in shown_names + [m["map"], m["server"]] if x in hostile]:
            check(n in text, "%s: match %d does not show %r as text" % (where, m["time"], n))
        check(page.js(INJECTED) == 1000, "%s: an element was injected in match %d" % (where, m["time"]))
    check(page.js(OVERFLOW) <= 0, where + ": the page scrolls sideways")
    settle_problems(page, where)


def check_without_career(page, site):
    """A player whose career file is missing shows what the list knows."""
    players = read_data(site, "players-0")["players"]
    # One who won a single-player match, if any: it counts twice by type.
    types = read_data(site, "totals")["gameTypes"]
    single = types.index("SinglePlayer") if "SinglePlayer" in types else None
    p = max(players, key=lambda p: (single is not None and p["winsByType"][single] > 0, p["matches"]))
    where = "player %d without a career file" % p["uid"]
    career = read_data(site, "player/%d" % p["uid"])["all"]
    for ext in (".js", ".json"):
        os.remove(os.path.join(site, "data", "player", "%d%s" % (p["uid"], ext)))
    page.open(explorer_url(site) + "#player/%d" % p["uid"])
    page.wait("document.querySelectorAll('.xp-chart').length === 3", where)
    got = page.js("""({title: document.querySelector('h1').textContent,
        notice: !!document.querySelector('p.xp-notice'),
        bars: document.querySelector('.xp-chart svg') ? document.querySelector('.xp-chart svg')
            .querySelectorAll('rect').length : 0,
        figures: Array.from(document.querySelectorAll('.xp-figures dd')).slice(0, 2).map(d => d.textContent)})""")
    played = sum(1 for n in p["matchesByType"] if n > 0)
    # Matches and wins as the career file has them.
    want = {"title": p["name"], "notice": True, "bars": 2 * played + 2,
            "figures": [str(career["matches"]), str(career["wins"])]}
    check(got == want, "%s: shows %s, want %s" % (where, got, want))
    page.collect()
    # The one request that fails is the missing file's.
    check(len(page.problems) == 2 and "player/%d.js" % p["uid"] in page.problems[0],
          "%s: problems %s" % (where, page.problems))
    page.problems.clear()


def check_bad_addresses(page, site):
    """Addresses that name nothing: a notice or the list, no request for a
    file that cannot exist, no error."""
    count = read_data(site, "totals")["players"]["count"]
    page.open(explorer_url(site) + "#player/%d" % (count + 5))
    page.wait("document.querySelector('.xp-notice')", "the notice of a player that is not there")
    text = page.js("document.querySelector('.xp-notice').textContent")
    check("no player %d" % (count + 5) in text, "an unknown player shows %r" % text)
    for hash_ in ("#player/..%2F..%2Fx", "#%E0%A4%A", "#match/1e3"):
        page.js("(() => { location.hash = %s; return 1; })()" % json.dumps(hash_))
        page.wait("document.querySelector('#xp-list tbody tr')", "the list at " + hash_)
    settle_problems(page, "addresses that name nothing")


def check_many(page, site):
    """100,000 players: quick to list and to search, few rows in the DOM."""
    where = "100000 players"
    page.open(explorer_url(site))
    page.wait("document.querySelector('#xp-list tbody tr')", where, seconds=60)
    loaded = page.js("performance.now()")
    check(loaded < 15000, "%s: the list took %.0f ms to show" % (where, loaded))
    count = page.js("document.getElementById('xp-count').textContent")
    check(count == "100000 players", "%s: the count reads %r" % (where, count))
    slowest = 0
    keys = [search_key(p["name"]) for k in range(100) for p in read_data(site, "players-%d" % k)["players"]]
    for q in ("ka", "rotor", "Jos\u00e9", ""):
        ms = type_search(page, q)
        slowest = max(slowest, ms)
        check(ms < 1500, "%s: search %r took %.0f ms" % (where, q, ms))
        n = sum(1 for k in keys if search_key(q) in k)
        count = page.js("document.getElementById('xp-count').textContent")
        want = "%d of 100000 players" % n if n < len(keys) else "100000 players"
        check(count == want, "%s: search %r: %r, want %r" % (where, q, count, want))
    ms = click_heading(page, "frags")
    check(ms < 1500, "%s: sorting took %.0f ms" % (where, ms))
    print("info %s: shown after %.0f ms, the slowest search took %.0f ms, a sort %.0f ms" %
          (where, loaded, slowest, ms))
    rows = page.js("document.querySelectorAll('#xp-list tbody tr').length")
    elements = page.js("document.getElementsByTagName('*').length")
    check(0 < rows <= PAGE_SIZE and elements < 3000,
          "%s: %d rows and %d elements in the DOM" % (where, rows, elements))
    settle_problems(page, where)


# ---- Sites --------------------------------------------------------------------------

def run(args, cwd):
    r = subprocess.run(args, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, check=False)
    if r.returncode != 0:
        raise RuntimeError("%s ended with %d: %s" % (os.path.basename(args[0]), r.returncode,
                                                     r.stdout.decode("latin-1")[-400:]))


def generated_site(bin_dir, home, logs):
    """Runs vardobf in `home` on the logs in `logs`; returns its page directory."""
    with open(os.path.join(home, "VardoBF.cfg"), "w") as f:
        f.write("SpawnBrowser\tfalse\nDebugType\tNone\nMax_Most_Recent\t6\n")
    run([os.path.join(bin_dir, "vardobf"), "-j", home, logs], home)
    site = os.path.join(home, "html")
    if not os.path.isfile(os.path.join(site, "data", "totals.js")):
        raise RuntimeError("vardobf wrote no data into " + site)
    return site


def demo_site(bin_dir, home):
    logs = os.path.join(home, "logs")
    run([os.path.join(bin_dir, "loggen"), "-t", "all", "-n", "14", "-o", logs], home)
    return generated_site(bin_dir, home, logs)


def with_names(log, replace):
    """A log (16-bit little-endian text) with every field equal to a key of
    `replace` replaced by its value: player names, the server, the map."""
    with open(log, "rb") as f:
        text = f.read().decode("utf-16-le")
    lines = [[replace.get(field, field) for field in line.split("\t")] for line in text.split("\r\n")]
    with open(log, "wb") as f:
        f.write("\r\n".join("\t".join(line) for line in lines).encode("utf-16-le"))


def hostile_site(bin_dir, home):
    """Logs whose players, server and map carry markup and script."""
    logs = os.path.join(home, "logs")
    os.makedirs(logs)
    for n, kind in enumerate(("ctf", "dm")):
        log = os.path.join(logs, "%d.log" % n)
        run([os.path.join(bin_dir, "loggen"), "-t", kind, "-s", str(n + 5), "-d",
             "2001-03-0%dT10:00" % (n + 4), "-o", log], home)
        with open(log, "rb") as f:
            text = f.read().decode("utf-16-le")
        names = []
        for line in text.split("\r\n"):
            fields = line.split("\t")
            if fields[1:3] == ["player", "Connect"] and fields[3] not in names:
                names.append(fields[3])
        server = next(l.split("\t")[3] for l in text.split("\r\n") if "\tServer_ServerName\t" in l)
        title = next(l.split("\t")[3] for l in text.split("\r\n") if "\tmap\tTitle\t" in l)
        replace = dict(zip(names, HOSTILE))
        replace[server] = HOSTILE[1 + n]
        replace[title] = HOSTILE[3 - n]
        with_names(log, replace)
    return generated_site(bin_dir, home, logs)


def synthetic_names(n, rng):
    """`n` names, accented ones among them, many alike."""
    base = ["Jos\u00e9", "JOSE", "Jos\u00e9phine", "Ren\u00e9e", "Gr\u00fcnwald", "Bj\u00f6rn",
            "Fran\u00e7ois", "Zo\u00eb", "Kyra", "Wren", "[QX]Marrow", "El Ni\u00f1o", "Anvil", "Basalt"]
    syll = ["ka", "ro", "mi", "ve", "tor", "ash", "un", "el", "qu", "zin", "b\u00e9", "\u00e5s"]
    names = list(base[:n])
    while len(names) < n:
        names.append("".join(rng.choice(syll) for _ in range(rng.randint(2, 4))).capitalize())
    return names


def run_checks(bin_dir):
    if not os.path.isfile(CHROMIUM):
        print("SKIP chromium is not installed (scripts/install-deps.sh)")
        return SKIP
    for program in ("vardobf", "loggen"):
        if not os.path.isfile(os.path.join(bin_dir, program)):
            print("SKIP %s is not built in %s" % (program, bin_dir))
            return SKIP
    with tempfile.TemporaryDirectory(prefix="brim-explorer-") as home:
        try:
            for d in ("demo", "hostile"):
                os.mkdir(os.path.join(home, d))
            demo = demo_site(bin_dir, os.path.join(home, "demo"))
            hostile = hostile_site(bin_dir, os.path.join(home, "hostile"))
        except (OSError, RuntimeError, StopIteration) as e:
            print("FAIL the sites could not be made: %s" % e)
            return 1
        # The list of 100,000 players is written here, as the format says.
        many = os.path.join(home, "many")
        lay_in_site_files(bin_dir, many)
        write_player_list(many, synthetic_names(100000, random.Random(3)), read_data(demo, "totals"))

        with tempfile.TemporaryDirectory(prefix="brim-chromium-") as profile:
            browser = DialogBrowser(CHROMIUM, profile)
            browser.deadline = time.monotonic() + 600
            try:
                for width in (1280, 390):
                    page = Page(browser, width)
                    check_list(page, demo, width)
                    kept = read_data(demo, "matches")["matches"]
                    for m in kept:
                        check_match(page, demo, width, m["time"])
                    for uid in sorted({l["uid"] for m in kept[:1] for l in m["players"]})[:2]:
                        check_player(page, demo, width, uid)
                    check_hostile(page, hostile, width, HOSTILE)
                check_bad_addresses(Page(browser, 1280), demo)
                check_without_career(Page(browser, 1280), demo)
                check_many(Page(browser, 1280), many)
            except (OSError, EOFError, TimeoutError, RuntimeError, KeyError, ValueError) as e:
                failures.append("the browser could not be driven: %s" % e)
            finally:
                browser.close()
    for f in failures:
        print("FAIL " + f)
    print("%d failed checks" % len(failures))
    return 1 if failures else 0


def take_screenshots(site, docs):
    matches = read_data(site, "matches")["matches"]
    team = next((m for m in matches if m["teamGame"] and m["players"]), None)
    match = team or next(m for m in matches if m["players"])
    # The player of most matches who played in a kept match.
    kept = {l["uid"] for m in matches for l in m["players"]}
    uid = max((p for p in read_data(site, "players-0")["players"] if p["uid"] in kept),
              key=lambda p: (p["matches"], -p["uid"]))["uid"]
    with tempfile.TemporaryDirectory(prefix="brim-chromium-") as profile:
        browser = DialogBrowser(CHROMIUM, profile)
        try:
            for width in (1280, 390):
                page = Page(browser, width)
                page.open(explorer_url(site))
                page.wait("document.querySelector('#xp-list tbody tr')", "the list")
                click_heading(page, "frags")
                page.screenshot(os.path.join(docs, "explorer-list-%d.png" % width))
                page.show("#player/%d" % uid, "document.querySelectorAll('.xp-chart').length === 3", "player")
                page.screenshot(os.path.join(docs, "explorer-player-%d.png" % width))
                page.show("#match/%d" % match["time"], "document.querySelector('svg.xp-lines')", "match")
                box = page.js("(() => { const s = document.querySelector('svg.xp-lines')"
                              ".getBoundingClientRect(); return [s.left, s.top, s.width, s.height]; })()")
                page.b.call("Input.dispatchMouseEvent", {"type": "mouseMoved", "x": box[0] + box[2] * 0.6,
                                                         "y": box[1] + box[3] / 2}, page.s)
                page.screenshot(os.path.join(docs, "explorer-match-%d.png" % width))
                for p in page.problems:
                    print("problem: " + p)
        finally:
            browser.close()
    return 0


def main(argv):
    sys.stdout.reconfigure(encoding="utf-8", errors="replace")
    if len(argv) == 3 and argv[1] == "check":
        return run_checks(os.path.abspath(argv[2]))
    if len(argv) == 4 and argv[1] == "screenshots":
        return take_screenshots(argv[2], argv[3])
    print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
