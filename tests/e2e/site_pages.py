"""Helpers of the end-to-end tests that run the programs on generated logs and
read the pages, the database dump and the site's data files."""
import html
import json
import os
import re
import subprocess

# The pages format numbers with the platform's grouping and decimal sign; the
# tests read them in the C locale.
ENV = dict(os.environ, LC_ALL="C", LANG="C")


def run(args, cwd):
    return subprocess.run(args, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, check=False,
                          env=ENV)


def read(path):
    with open(path, "rb") as f:
        return f.read().decode("latin-1")


def cells(row, br=""):
    """The texts of a row's cells, markup removed (a line break becomes `br`)."""
    return [html.unescape(re.sub(r"<[^>]+>", "", re.sub(r"<br>", br, c))).replace("\xa0", " ").strip()
            for c in re.findall(r"<td[^>]*>(.*?)</td>", row, re.S)]


def table_after(page, title, br=""):
    """The rows of the table whose title row reads `title`."""
    at = page.find(">" + title + "</td>")
    if at < 0:
        at = page.find("&nbsp;" + title + "&nbsp")
    end = page.find("</table>", at)
    return [cells(r, br) for r in re.findall(r"<tr>(.*?)</tr>", page[at:end], re.S)]


def career_pages(site):
    d = os.path.join(site, "Total_Game_Stats")
    return {f: (os.stat(os.path.join(d, f)).st_mtime_ns, read(os.path.join(d, f)))
            for f in os.listdir(d) if re.fullmatch(r"[0-9]+\.html", f)}


def fmt(v):
    """A number as the pages show it in the C locale: one fraction digit,
    rounded to the nearest tenth of the exact value, ties to even."""
    return "%.1f" % v


def write_settings(home, **settings):
    with open(os.path.join(home, "VardoBF.cfg"), "w") as f:
        for k, v in settings.items():
            f.write("%s\t%s\n" % (k, v))


def loggen(bin_dir, home, out, seed, count, types="all", date="2026-01-01T20:00", players=6, language=None):
    args = [bin_dir + "/loggen", "--type", types, "--count", str(count), "--seed", str(seed),
            "--players", str(players), "--minutes", "3", "--date", date, "--unknown-weapons", "0.003",
            "--out", out]
    if language:
        args += ["--language", language]
    return run(args, home)


def dbdump(bin_dir, home):
    r = subprocess.run([bin_dir + "/dbdump", os.path.join(home, "data")], cwd=home, stdout=subprocess.PIPE,
                       stderr=subprocess.PIPE, check=True, env=ENV)
    return json.loads(r.stdout.decode("utf-8"))


def data_files(site):
    """Every file under the site's data/ folder: relative path -> (mtime, bytes)."""
    top = os.path.join(site, "data")
    out = {}
    for d, _, files in os.walk(top):
        for f in files:
            p = os.path.join(d, f)
            with open(p, "rb") as fh:
                out[os.path.relpath(p, top).replace(os.sep, "/")] = (os.stat(p).st_mtime_ns, fh.read())
    return out
