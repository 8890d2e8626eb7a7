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
    screenshot=FILE       when asked for
Exits 0 when the page loaded, 2 when the browser could not be driven.
"""
import base64
import json
import os
import select
import subprocess
import sys
import tempfile
import time

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


def main(argv):
    if len(argv) < 5:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
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
            urls, failed = {}, []
            for msg in browser.events:
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
