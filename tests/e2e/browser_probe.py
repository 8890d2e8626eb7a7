#!/usr/bin/env python3
"""Loads one page in headless Chromium and reports how it rendered.

    browser_probe.py CHROMIUM URL WIDTH HEIGHT [--text TEXT] [--screenshot FILE]

Drives the browser over its debugging pipe (file descriptors 3 and 4, one
JSON message per NUL-terminated chunk), so it needs nothing beyond Python and
the browser. Prints one "key=value" line per finding:

    failed=URL ERROR      one line per request that failed (file: and others)
    requests=N            requests made by the page
    stylesheets=N         style sheets linked by the page
    styled=0|1            the skin's page colour is on the body
    images=N broken=M     images in the page and those that did not load
    tables=N              table elements in the DOM
    overflow=PX           how far the page is wider than the window
    text=0|1              whether TEXT appears in the rendered text
    charset=NAME          the document's character set
    contrast_min=R        the lowest contrast ratio of any text shown, links in
                          their hover colour included (WCAG formula); none
                          without text
    low_contrast=R WHERE  one line per text, colour and background below 4.5:1
    vscroll=WHERE         an element, not the page, with a vertical scroll bar
    hscroll=WHERE         an element, not the page, that scrolls sideways
    titles=N              table titles (class s cells) shown
    clipped_title=WHERE   a table title (class s) whose text is cut, or not
                          wholly inside the window and the boxes around it,
                          before or after its scroll box is scrolled sideways
    sidebar_line=TEXT     one line per rendered line of the sidebar (the first
                          cell of the page's layout table), words joined by a
                          space where the page shows a gap between them
    sidebar_wide_line=TEXT  the same with the sidebar column 600 pixels wide
                          (while it is a column), where no line wraps
    screenshot=FILE       when asked for
Exits 0 when the page loaded, 2 when the browser could not be driven.
"""
import base64
import json
import mimetypes
import os
import select
import subprocess
import sys
import tempfile
import time
import urllib.parse

TIMEOUT = 90.0

PROBE = r"""
(() => {
  const imgs = Array.from(document.images);
  const bg = getComputedStyle(document.body).backgroundColor;
  const links = document.querySelectorAll('link[rel~="stylesheet" i]').length;
  return JSON.stringify({
    stylesheets: links,
    styled: bg === 'rgb(244, 242, 236)' ? 1 : 0,
    images: imgs.length,
    broken: imgs.filter(i => !(i.complete && i.naturalWidth > 0)).map(i => i.src),
    tables: document.querySelectorAll('table').length,
    overflow: Math.max(0, document.documentElement.scrollWidth - window.innerWidth),
    text: document.body ? document.body.innerText : '',
    charset: document.characterSet,
    height: Math.max(document.documentElement.scrollHeight, 200)
  });
})()
"""

# The background images (url(...)) of every element of the page.
IMAGES = r"""
(() => {
  const urls = new Set();
  for (const el of document.querySelectorAll('*')) {
    const m = getComputedStyle(el).backgroundImage.match(/url\("?(.*?)"?\)/);
    if (m) urls.add(m[1]);
  }
  return JSON.stringify(Array.from(urls));
})()
"""

# How the page is laid out and how readable its text is. Called with the
# colours of the background images (url -> [[r, g, b, alpha], ...], from
# DECODE) and whether only the links are measured (in their forced hover
# state).
LAYOUT = r"""
((imageColours, linksOnly) => {
  const rgba = c => {
    const m = c.match(/rgba?\(([^)]*)\)/);
    if (!m) return null;
    const p = m[1].split(/[\s,\/]+/).filter(Boolean).map(Number);
    return [p[0], p[1], p[2], p.length > 3 ? p[3] : 1];
  };
  const over = (top, under) => {
    const a = top[3];
    return [0, 1, 2].map(i => top[i] * a + under[i] * (1 - a)).concat([1]);
  };
  const luminance = c => {
    const f = v => (v /= 255) <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4);
    return 0.2126 * f(c[0]) + 0.7152 * f(c[1]) + 0.0722 * f(c[2]);
  };
  const ratio = (a, b) => {
    const x = luminance(a), y = luminance(b);
    return (Math.max(x, y) + 0.05) / (Math.min(x, y) + 0.05);
  };
  const hex = c => '#' + c.slice(0, 3).map(v => Math.round(v).toString(16).padStart(2, '0'))
                          .join('').toUpperCase();
  const where = el => {
    const parts = [];
    for (let e = el; e && e !== document.body && parts.length < 3; e = e.parentElement)
      parts.unshift(e.tagName.toLowerCase() + (e.className ? '.' + e.className.trim()
                                                               .split(/\s+/).join('.') : ''));
    return parts.join(' > ');
  };
  const visible = el => el.getClientRects().length > 0 &&
                        getComputedStyle(el).visibility === 'visible';
  // The colours an element's text may stand on: the first opaque background
  // (a colour, or every colour of a background image) up its ancestors, with
  // the translucent ones above it laid over.
  const backgrounds = el => {
    const layers = [];
    let base = [[255, 255, 255, 1]];
    for (let e = el; e; e = e.parentElement) {
      const cs = getComputedStyle(e);
      const colour = rgba(cs.backgroundColor) || [0, 0, 0, 0];
      const m = cs.backgroundImage.match(/url\("?(.*?)"?\)/);
      if (m && imageColours[m[1]]) {
        const under = colour[3] > 0 ? over(colour, [255, 255, 255, 1]) : [255, 255, 255, 1];
        base = imageColours[m[1]].map(c => over(c, under));
        break;
      }
      if (colour[3] >= 1) { base = [colour]; break; }
      if (colour[3] > 0) layers.push(colour);
    }
    return base.map(b => layers.reduceRight((acc, l) => over(l, acc), b));
  };

  let min = Infinity;
  const low = new Map();
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let t = walker.nextNode(); t; t = walker.nextNode()) {
    const el = t.parentElement;
    if (!el || !/\S/.test(t.data.replace(/\u00a0/g, ' ')) || !visible(el)) continue;
    if (linksOnly && !el.closest('a[href]')) continue;
    const fg = rgba(getComputedStyle(el).color);
    for (const bg of backgrounds(el)) {
      const shown = over(fg, bg);
      const r = ratio(shown, bg);
      min = Math.min(min, r);
      if (r < 4.5) {
        const key = hex(shown) + ' on ' + hex(bg) + ' ' + where(el);
        if (!low.has(key))
          low.set(key, r.toFixed(2) + ' ' + key + (linksOnly ? ' (hover)' : '') + ' "' +
                       t.data.trim().slice(0, 40) + '"');
      }
    }
  }
  const out = {contrast_min: min === Infinity ? null : min,
               low_contrast: Array.from(low.values())};
  if (linksOnly) return JSON.stringify(out);

  // Scroll boxes other than the page.
  out.vscroll = [];
  out.hscroll = [];
  const scrollers = [];
  for (const el of document.body.querySelectorAll('*')) {
    const cs = getComputedStyle(el);
    if (/auto|scroll/.test(cs.overflowY) && el.scrollHeight > el.clientHeight)
      out.vscroll.push(where(el) + ' ' + el.scrollHeight + '>' + el.clientHeight);
    if (/auto|scroll/.test(cs.overflowX) && el.scrollWidth > el.clientWidth) {
      out.hscroll.push(where(el) + ' ' + el.scrollWidth + '>' + el.clientWidth);
      scrollers.push(el);
    }
  }

  // Table titles: their text whole, inside the window and inside every box
  // around them that clips, with their scroll box at its start and at its end.
  out.clipped_title = [];
  const titles = Array.from(document.querySelectorAll('td.s, th.s')).filter(visible);
  const checkTitles = when => {
    for (const cell of titles) {
      const range = document.createRange();
      range.selectNodeContents(cell);
      const text = range.getBoundingClientRect();
      let left = 0, right = window.innerWidth;
      for (let e = cell.parentElement; e && e !== document.documentElement; e = e.parentElement) {
        if (getComputedStyle(e).overflowX === 'visible') continue;
        const box = e.getBoundingClientRect();
        left = Math.max(left, box.left + e.clientLeft);
        right = Math.min(right, box.left + e.clientLeft + e.clientWidth);
      }
      const problems = [];
      if (cell.scrollWidth > cell.clientWidth)
        problems.push('text ' + cell.scrollWidth + ' wide in a cell ' + cell.clientWidth + ' wide');
      if (text.left < left - 0.5 || text.right > right + 0.5)
        problems.push('text at ' + Math.round(text.left) + '..' + Math.round(text.right) +
                      ', shown ' + Math.round(left) + '..' + Math.round(right));
      if (problems.length)
        out.clipped_title.push(where(cell) + ' "' + cell.innerText.trim().slice(0, 40) + '" ' +
                               when + ': ' + problems.join('; '));
    }
  };
  out.titles = titles.length;
  checkTitles('at the start');
  if (scrollers.length) {
    for (const el of scrollers) el.scrollLeft = el.scrollWidth;
    checkTitles('scrolled to the end');
    for (const el of scrollers) el.scrollLeft = 0;
  }

  // The sidebar as it reads: its words grouped into lines by their position.
  // As a column beside the page it is also laid out with room to spare, where
  // only the line breaks the page asks for remain (which in the narrow column
  // may hide behind lines that wrap anyway).
  const linesOf = cell => {
    const words = [], lines = [];
    const w = document.createTreeWalker(cell, NodeFilter.SHOW_TEXT);
    for (let t = w.nextNode(); t; t = w.nextNode()) {
      if (!visible(t.parentElement)) continue;
      const re = /[^\s\u00a0]+/g;
      for (let m = re.exec(t.data); m; m = re.exec(t.data)) {
        const r = document.createRange();
        r.setStart(t, m.index);
        r.setEnd(t, m.index + m[0].length);
        const box = r.getBoundingClientRect();
        if (box.width > 0) words.push({text: m[0], box});
      }
    }
    let line = null;
    for (const word of words) {
      const b = word.box;
      if (line && b.left >= line.right - 0.5 && b.top < line.bottom && b.bottom > line.top) {
        line.text += (b.left - line.right > 1 ? ' ' : '') + word.text;
        line.right = b.right;
      } else {
        if (line) lines.push(line.text);
        line = {text: word.text, right: b.right, top: b.top, bottom: b.bottom};
      }
    }
    if (line) lines.push(line.text);
    return lines;
  };
  out.sidebar_line = [];
  out.sidebar_wide_line = [];
  const sidebar = document.querySelector('body > table > tbody > tr:first-child > td:first-child');
  if (sidebar) {
    out.sidebar_line = linesOf(sidebar);
    if (getComputedStyle(sidebar).display === 'table-cell') {
      const style = sidebar.getAttribute('style');
      sidebar.style.width = sidebar.style.minWidth = '600px';
      out.sidebar_wide_line = linesOf(sidebar);
      if (style === null) sidebar.removeAttribute('style');
      else sidebar.setAttribute('style', style);
    }
  }
  return JSON.stringify(out);
})
"""


def image_colours(url):
    """The distinct colours of a local background image, as data for LAYOUT:
    the page cannot read the pixels of a file: image itself (it taints the
    canvas), so the image is handed in as a data: URL and decoded there."""
    parsed = urllib.parse.urlparse(url)
    if parsed.scheme != "file":
        return None
    try:
        with open(urllib.parse.unquote(parsed.path), "rb") as f:
            data = f.read()
    except OSError:
        return None
    mime = mimetypes.guess_type(parsed.path)[0] or "image/gif"
    return "data:%s;base64,%s" % (mime, base64.b64encode(data).decode())


DECODE = r"""
(async (images) => {
  const out = {};
  for (const [url, data] of Object.entries(images)) {
    const img = new Image();
    img.src = data;
    try { await img.decode(); } catch (e) { continue; }
    const c = document.createElement('canvas');
    c.width = img.naturalWidth;
    c.height = img.naturalHeight;
    const g = c.getContext('2d');
    g.drawImage(img, 0, 0);
    const d = g.getImageData(0, 0, c.width, c.height).data;
    const seen = new Map();
    for (let i = 0; i < d.length; i += 4)
      if (d[i + 3] > 0) seen.set(d[i] + ',' + d[i + 1] + ',' + d[i + 2],
                                 [d[i], d[i + 1], d[i + 2], d[i + 3] / 255]);
    out[url] = Array.from(seen.values());
  }
  return JSON.stringify(out);
})
"""


class Browser:
    def __init__(self, chromium, profile):
        to_r, self.to_w = os.pipe()
        self.from_r, from_w = os.pipe()

        def child_fds():
            # Copies first: the pipes may already be 3 and 4, and dup2 onto
            # the same number would keep their close-on-exec flag.
            read_end, write_end = os.dup(to_r), os.dup(from_w)
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)

        args = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                "--no-first-run", "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--disable-extensions", "--hide-scrollbars",
                "--user-data-dir=" + profile, "--remote-debugging-pipe", "about:blank"]
        # dup2 leaves the copies on 3 and 4 open across exec; every other
        # descriptor of Python is closed on exec anyway.
        self.proc = subprocess.Popen(args, close_fds=False, preexec_fn=child_fds,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(to_r)
        os.close(from_w)
        self.buf = b""
        self.next_id = 0
        self.events = []
        self.deadline = time.monotonic() + TIMEOUT

    def send(self, method, params=None, session=None):
        self.next_id += 1
        msg = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            msg["sessionId"] = session
        os.write(self.to_w, json.dumps(msg).encode() + b"\0")
        return self.next_id

    def read(self):
        while b"\0" not in self.buf:
            left = self.deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError("the browser did not answer in time")
            ready, _, _ = select.select([self.from_r], [], [], left)
            if ready:
                chunk = os.read(self.from_r, 65536)
                if not chunk:
                    raise EOFError("the browser closed its pipe")
                self.buf += chunk
        msg, self.buf = self.buf.split(b"\0", 1)
        return json.loads(msg)

    def call(self, method, params=None, session=None):
        want = self.send(method, params, session)
        while True:
            msg = self.read()
            if msg.get("id") == want:
                if "error" in msg:
                    raise RuntimeError(method + ": " + json.dumps(msg["error"]))
                return msg.get("result", {})
            self.events.append(msg)

    def wait_event(self, method):
        for i, msg in enumerate(self.events):
            if msg.get("method") == method:
                del self.events[i]
                return msg
        while True:
            msg = self.read()
            if msg.get("method") == method:
                return msg
            self.events.append(msg)

    def close(self):
        try:
            self.send("Browser.close")
        except OSError:
            pass
        try:
            self.proc.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def evaluate(browser, session, expression):
    result = browser.call("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                               "awaitPromise": True}, session)
    if "exceptionDetails" in result:
        raise RuntimeError("page script: " + json.dumps(result["exceptionDetails"])[:400])
    return json.loads(result["result"]["value"])


def measure(browser, session):
    """LAYOUT on the page as loaded, then on its links in their hover state."""
    images = {}
    for url in evaluate(browser, session, IMAGES):
        data = image_colours(url)
        if data:
            images[url] = data
    colours = evaluate(browser, session, "(%s)(%s)" % (DECODE.strip(), json.dumps(images)))
    layout = evaluate(browser, session, "(%s)(%s, false)" % (LAYOUT.strip(), json.dumps(colours)))
    browser.call("DOM.enable", session=session)
    browser.call("CSS.enable", session=session)
    root = browser.call("DOM.getDocument", {"depth": 0}, session)["root"]["nodeId"]
    links = browser.call("DOM.querySelectorAll", {"nodeId": root, "selector": "a[href]"},
                         session)["nodeIds"]
    for node in links:
        browser.call("CSS.forcePseudoState", {"nodeId": node, "forcedPseudoClasses": ["hover"]},
                     session)
    hover = evaluate(browser, session, "(%s)(%s, true)" % (LAYOUT.strip(), json.dumps(colours)))
    for node in links:
        browser.call("CSS.forcePseudoState", {"nodeId": node, "forcedPseudoClasses": []}, session)
    return layout, hover


def main(argv):
    if len(argv) < 5:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    # Page text in the findings is UTF-8, whatever the locale.
    sys.stdout.reconfigure(encoding="utf-8", errors="replace")
    chromium, url, width, height = argv[1], argv[2], int(argv[3]), int(argv[4])
    text = shot = None
    rest = argv[5:]
    while rest:
        opt, value, rest = rest[0], rest[1], rest[2:]
        if opt == "--text":
            text = value
        elif opt == "--screenshot":
            shot = value
    with tempfile.TemporaryDirectory(prefix="brim-chromium-") as profile:
        browser = Browser(chromium, profile)
        try:
            target = browser.call("Target.createTarget", {"url": "about:blank"})["targetId"]
            session = browser.call("Target.attachToTarget",
                                   {"targetId": target, "flatten": True})["sessionId"]
            for method in ("Page.enable", "Network.enable", "Runtime.enable"):
                browser.call(method, session=session)
            metrics = {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False}
            browser.call("Emulation.setDeviceMetricsOverride", metrics, session)
            browser.call("Page.navigate", {"url": url}, session)
            browser.wait_event("Page.loadEventFired")
            result = browser.call("Runtime.evaluate", {"expression": PROBE, "returnByValue": True},
                                  session)
            found = json.loads(result["result"]["value"])
            # The page's own requests: the measuring below makes some too.
            page_events = list(browser.events)
            layout, hover = measure(browser, session)
            urls, failed = {}, []
            for msg in page_events:
                params = msg.get("params", {})
                if msg.get("method") == "Network.requestWillBeSent":
                    urls[params["requestId"]] = params["request"]["url"]
                elif msg.get("method") == "Network.loadingFailed":
                    failed.append((params["requestId"], params.get("errorText", "")))
            for request, error in failed:
                print("failed=%s %s" % (urls.get(request, "?"), error))
            print("requests=%d" % len(urls))
            for key in ("stylesheets", "styled", "images", "tables", "overflow", "charset"):
                print("%s=%s" % (key, found[key]))
            print("broken=%d" % len(found["broken"]))
            ratios = [m["contrast_min"] for m in (layout, hover) if m["contrast_min"] is not None]
            if ratios:
                print("contrast_min=%.2f" % min(ratios))
            print("titles=%d" % layout["titles"])
            for key in ("low_contrast", "vscroll", "hscroll", "clipped_title", "sidebar_line",
                        "sidebar_wide_line"):
                for value in layout[key] + hover.get(key, []):
                    print("%s=%s" % (key, value))
            for src in found["broken"]:
                print("broken_image=%s" % src)
            if text is not None:
                print("text=%d" % (1 if text in found["text"] else 0))
            if shot:
                metrics["height"] = min(int(found["height"]), 4000)
                browser.call("Emulation.setDeviceMetricsOverride", metrics, session)
                png = browser.call("Page.captureScreenshot", {"format": "png"}, session)
                with open(shot, "wb") as f:
                    f.write(base64.b64decode(png["data"]))
                print("screenshot=%s" % shot)
        except (OSError, EOFError, TimeoutError, RuntimeError, KeyError, ValueError) as e:
            print("error=%s" % e)
            return 2
        finally:
            browser.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
