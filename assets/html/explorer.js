// The explorer of a Vardo statistics site: the player list, one player's
// career and one match's score lines, drawn in the browser from the site's
// open data (data/*.js, see the site data's README).
//
// The data files are loaded by inserting <script src="data/NAME.js"> tags,
// which works from file:// as well as from a plain web server; nothing else
// is fetched. Texts from the logs (player, server and map names) are only
// ever inserted as text nodes, never as markup.
(function () {
  'use strict';

  const PAGE_SIZE = 50;
  const SVG_NS = 'http://www.w3.org/2000/svg';
  // The line colours 1 to 16 of the site's GIF graphs, drawn on the same
  // slate ground.
  const LINE_COLOURS = [
    '#408CFF', '#FF4646', '#3CD250', '#FFCD28', '#FF871E', '#28DCE6', '#EB46DC', '#AAF03C',
    '#966EFF', '#FF96C8', '#96D2FF', '#D2A064', '#00AA8C', '#96FFBE', '#BEBEBE', '#CD5F3C'];
  // The teams' colours on the match pages (blue, red, green, gold: the
  // catalog's order of team names), by the team's number.
  const TEAM_COLOURS = ['#3A6FD8', '#D64541', '#2E9E57', '#E8B92E'];
  const teamColour = (t, i) => TEAM_COLOURS[(Number.isInteger(t.number) ? t.number : i) % 4];

  const view = document.getElementById('xp-view');

  // ---- Data -----------------------------------------------------------------

  const loads = new Map();

  // Loads data/NAME.js and resolves with its value (brimfall_ID). NAME is built
  // by this script from checked numbers only.
  function load(name) {
    if (loads.has(name)) return loads.get(name);
    const id = 'brimfall_' + name.replace(/[/-]/g, '_');
    const promise = new Promise((resolve, reject) => {
      const script = document.createElement('script');
      // The data is UTF-8; the page, like every page of the site, is
      // ISO-8859-1, whose encoding a script would otherwise be read in.
      script.charset = 'utf-8';
      script.src = 'data/' + name + '.js';
      script.onload = () => {
        script.remove();
        const value = window[id];
        if (value && typeof value === 'object') resolve(value);
        else reject(new Error('data/' + name + '.js holds no ' + id));
      };
      script.onerror = () => {
        script.remove();
        reject(new Error('data/' + name + '.js could not be read'));
      };
      document.head.appendChild(script);
    });
    // A failed load may be tried again later (after the next run, say).
    promise.catch(() => loads.delete(name));
    loads.set(name, promise);
    return promise;
  }

  let playersPromise = null;

  function loadTotals() {
    return load('totals').then((totals) => {
      overlayType = totals.gameTypes.indexOf('SinglePlayer');
      return totals;
    });
  }

  // The whole player list, in uid order, each player with `key`, his name as
  // the search and the name sort see it.
  function loadPlayers() {
    if (!playersPromise) {
      playersPromise = loadTotals().then((totals) => {
        const chunks = [];
        for (let k = 0; k < totals.players.chunks; ++k) chunks.push(load('players-' + k));
        return Promise.all(chunks).then((parts) => {
          const players = [];
          for (const part of parts)
            for (const p of part.players) {
              p.key = searchKey(p.name);
              players.push(p);
            }
          players.sort((a, b) => a.uid - b.uid);
          return {totals, players};
        });
      });
      playersPromise.catch(() => { playersPromise = null; });
    }
    return playersPromise;
  }

  // Case and accents do not count: "Jos\u00e9" and "JOSE" read alike.
  function searchKey(text) {
    return String(text).normalize('NFD').replace(/[\u0300-\u036f]/g, '').toLowerCase();
  }

  // ---- Building the DOM -------------------------------------------------------

  // An element with attributes and children; a child that is not a node is
  // added as text.
  function el(tag, attrs, ...children) {
    const e = document.createElement(tag);
    setAttrs(e, attrs);
    append(e, children);
    return e;
  }

  function svgEl(tag, attrs, ...children) {
    const e = document.createElementNS(SVG_NS, tag);
    setAttrs(e, attrs);
    append(e, children);
    return e;
  }

  function setAttrs(e, attrs) {
    if (!attrs) return;
    for (const [k, v] of Object.entries(attrs))
      if (v !== null && v !== undefined && v !== false) e.setAttribute(k, v === true ? '' : v);
  }

  function append(e, children) {
    for (const c of children.flat()) {
      if (c === null || c === undefined || c === false) continue;
      e.appendChild(c instanceof Node ? c : document.createTextNode(String(c)));
    }
  }

  function show(...children) {
    view.replaceChildren(...children.flat().filter(Boolean));
  }

  function notice(text) {
    return el('p', {class: 'ak xp-notice', role: 'alert'}, text);
  }

  function playerLink(p, uid) {
    const cls = p.bot ? 't' : 'z';
    if (uid === null || uid === undefined) return el('span', {class: cls}, p.name);
    return el('a', {class: cls, href: '#player/' + uid}, p.name);
  }

  function careerHref(uid) { return 'Total_Game_Stats/' + uid + '.html'; }
  function matchHref(time) { return 'Individual_Game_Stats/' + time + '/index.html'; }

  // ---- Numbers and times --------------------------------------------------------

  function int(n) { return n === null || n === undefined ? '\u2013' : String(Math.round(n)); }
  function dec(n) { return n === null || n === undefined ? '\u2013' : Number(n).toFixed(1); }

  // Seconds as h:mm:ss (or m:ss below an hour).
  function duration(s) {
    s = Math.max(0, Math.round(s || 0));
    const h = Math.floor(s / 3600), m = Math.floor(s / 60) % 60, sec = s % 60;
    const mm = String(m).padStart(h ? 2 : 1, '0') + ':' + String(sec).padStart(2, '0');
    return h ? h + ':' + mm : mm;
  }

  // A match time (ms since 1970, UTC) as its UTC date.
  function day(ms) {
    if (ms === null || ms === undefined) return '\u2013';
    return new Date(ms).toISOString().slice(0, 10);
  }

  function sum(list) { return list.reduce((a, b) => a + (b || 0), 0); }

  // A single-player match counts under its own game type and again under
  // the single-player type: the sum of a per-type array over all types
  // leaves that row out.
  let overlayType = -1;
  function sumOfTypes(list) { return sum(list.filter((v, i) => i !== overlayType)); }

  // ---- Routing ------------------------------------------------------------------

  let redraw = null;  // draws the charts of the view again (after a resize)
  let firstView = true;

  function route() {
    redraw = null;
    let hash = location.hash.replace(/^#/, '');
    try { hash = decodeURIComponent(hash); } catch (e) { /* a stray "%": taken as it stands */ }
    let m;
    let shown;
    if ((m = /^player\/(\d{1,15})$/.exec(hash))) shown = playerView(Number(m[1]));
    else if ((m = /^match\/(\d{1,15})$/.exec(hash))) shown = matchView(Number(m[1]));
    else if (hash === 'matches') shown = matchesView();
    else shown = listView();
    const section = hash === 'matches' ? 'matches' : hash === '' || hash === 'players' ? 'players' : '';
    for (const a of document.querySelectorAll('.xp-nav a[data-route]')) {
      const here = a.dataset.route === section;
      a.className = here ? 'b' : 'f';
      if (here) a.setAttribute('aria-current', 'page');
      else a.removeAttribute('aria-current');
    }
    Promise.resolve(shown).catch((e) => show(notice(e.message))).then(() => {
      // A new view takes the keyboard focus, as a new page would.
      if (!firstView) {
        const h = view.querySelector('h1');
        if (h) { h.setAttribute('tabindex', '-1'); h.focus({preventScroll: false}); }
      }
      firstView = false;
    });
  }

  let lastWidth = 0;
  window.addEventListener('resize', () => {
    const w = view.clientWidth;
    if (redraw && w !== lastWidth) { lastWidth = w; redraw(); }
  });

  // ---- The player list ----------------------------------------------------------

  // The columns: key, heading, value of a player (t: the chosen game type or
  // -1), whether it is text (sorted up first; numbers down first), how a
  // value is shown, and `wide` for those left out on narrow screens.
  const COLUMNS = [
    {key: 'name', title: 'Player', text: true, value: (p) => p.key},
    {key: 'matches', title: 'Matches', value: (p, t) => t < 0 ? p.matches : p.matchesByType[t]},
    {key: 'wins', title: 'Wins', value: (p, t) => t < 0 ? sumOfTypes(p.winsByType) : p.winsByType[t]},
    {key: 'frags', title: 'Frags', value: (p) => p.frags},
    {key: 'kills', title: 'Kills', value: (p) => p.kills, wide: true},
    {key: 'deaths', title: 'Deaths', value: (p) => p.deaths, wide: true},
    {key: 'efficiency', title: 'Eff. %', value: (p) => p.efficiency, show: dec},
    {key: 'fragsPerHour', title: 'FPH', value: (p) => p.fragsPerHour, show: dec, wide: true},
    {key: 'time', title: 'Time', value: (p) => p.time, show: duration, wide: true},
    {key: 'lastSeen', title: 'Last seen', value: (p) => p.lastSeen === null ? -1 : p.lastSeen,
     show: (v) => v < 0 ? '\u2013' : day(v), wide: true}];

  // What the list shows; kept while the user looks at a player or a match.
  const list = {query: '', type: -1, kind: 'all', sort: null, desc: false, page: 0,
                order: null, orderFor: '', rows: []};

  function listView() {
    show(el('h1', {class: 's xp-title'}, 'Players'), el('p', {class: 'i'}, 'Loading the players\u2026'));
    const here = location.hash;
    return loadPlayers().then(({totals, players}) => {
      if (location.hash !== here) return;  // the user went on meanwhile
      buildList(totals, players);
    });
  }

  function buildList(totals, players) {
    const search = el('input', {type: 'search', id: 'xp-search', autocomplete: 'off',
                                spellcheck: 'false', placeholder: 'Name'});
    search.value = list.query;
    const typeSel = el('select', {id: 'xp-type'}, el('option', {value: '-1'}, 'All game types'),
                       totals.gameTypes.map((g, i) => el('option', {value: String(i)}, g)));
    typeSel.value = String(list.type);
    const kindSel = el('select', {id: 'xp-kind'}, el('option', {value: 'all'}, 'Humans and bots'),
                       el('option', {value: 'human'}, 'Humans'), el('option', {value: 'bot'}, 'Bots'));
    kindSel.value = list.kind;
    const count = el('p', {class: 'i xp-count', id: 'xp-count', 'aria-live': 'polite'});
    const head = el('tr');
    const tbody = el('tbody');
    const table = el('table', {class: 'xp-table xp-list', id: 'xp-list'}, el('thead', null, head), tbody);
    const note = el('p', {class: 'h', id: 'xp-type-note'});
    const pager = makePager(() => render());

    for (const c of COLUMNS) {
      const button = el('button', {type: 'button', class: 'xp-sort', 'data-key': c.key}, c.title);
      button.addEventListener('click', () => {
        if (list.sort === c.key) list.desc = !list.desc;
        else { list.sort = c.key; list.desc = !c.text; }
        list.page = 0;
        update();
      });
      head.appendChild(el('th', {class: 'r' + (c.wide ? ' xp-wide' : ''), scope: 'col',
                                 'data-key': c.key}, button));
    }
    head.appendChild(el('th', {class: 'r', scope: 'col'}, 'Career'));

    function update() {
      const t = list.type;
      const col = COLUMNS.find((c) => c.key === list.sort);
      // The order of all players by the sort column: ties keep uid order,
      // in either direction.
      const orderFor = list.sort + '/' + list.desc + '/' + (col && col.key !== 'name' ? t : '');
      if (list.order === null || list.orderFor !== orderFor) {
        const index = players.map((p, i) => i);
        if (col) {
          const values = players.map((p) => col.value(p, t));
          const dir = list.desc ? -1 : 1;
          index.sort((a, b) => {
            const x = values[a], y = values[b];
            if (x < y) return -dir;
            if (x > y) return dir;
            return a - b;
          });
        }
        list.order = index;
        list.orderFor = orderFor;
      }
      const q = searchKey(list.query.trim());
      const kind = list.kind;
      const rows = [];
      for (const i of list.order) {
        const p = players[i];
        if (q && !p.key.includes(q)) continue;
        if (kind !== 'all' && p.bot !== (kind === 'bot')) continue;
        if (t >= 0 && !(p.matchesByType[t] > 0)) continue;
        rows.push(p);
      }
      list.rows = rows;
      const pages = Math.max(1, Math.ceil(rows.length / PAGE_SIZE));
      list.page = Math.min(list.page, pages - 1);
      render();
    }

    function render() {
      const pages = Math.max(1, Math.ceil(list.rows.length / PAGE_SIZE));
      const t = list.type;
      const first = list.page * PAGE_SIZE;
      const shown = list.rows.slice(first, first + PAGE_SIZE);
      tbody.replaceChildren(...shown.map((p) => {
        const cells = COLUMNS.map((c) => {
          if (c.key === 'name') return el('td', {class: p.bot ? 't' : 'z'}, playerLink(p, p.uid));
          const v = c.value(p, t);
          return el('td', {class: 'w' + (c.wide ? ' xp-wide' : '')}, (c.show || int)(v));
        });
        cells.push(el('td', {class: 'w'}, el('a', {href: careerHref(p.uid),
                                                  'aria-label': 'Career page of ' + p.name},
                                             'page')));
        return el('tr', {'data-uid': String(p.uid)}, cells);
      }));
      for (const th of head.querySelectorAll('th[data-key]')) {
        const key = th.dataset.key;
        if (key === list.sort) th.setAttribute('aria-sort', list.desc ? 'descending' : 'ascending');
        else th.removeAttribute('aria-sort');
      }
      const n = list.rows.length;
      count.textContent = n === players.length ? players.length + ' players'
                                              : n + ' of ' + players.length + ' players';
      note.textContent = t >= 0 ? 'Matches and wins of ' + totals.gameTypes[t] + '.' : '';
      pager.set(list.page, pages, (page) => { list.page = page; });
    }

    search.addEventListener('input', () => { list.query = search.value; list.page = 0; update(); });
    typeSel.addEventListener('change', () => { list.type = Number(typeSel.value); list.page = 0; update(); });
    kindSel.addEventListener('change', () => { list.kind = kindSel.value; list.page = 0; update(); });

    show(el('h1', {class: 's xp-title'}, 'Players'),
         el('div', {class: 'xp-controls'},
            el('label', null, el('span', null, 'Search'), search),
            el('label', null, el('span', null, 'Game type'), typeSel),
            el('label', null, el('span', null, 'Show'), kindSel)),
         count, note,
         el('div', {class: 'xp-scroll'}, table), pager.box,
         el('p', {class: 'h'}, 'Click a heading to sort by it, again to reverse. A name opens the ' +
                               'player; "page" opens his career page.'));
    update();
  }

  // ---- One player ---------------------------------------------------------------

  function playerView(uid) {
    show(el('h1', {class: 's xp-title'}, 'Player ' + uid), el('p', {class: 'i'}, 'Loading\u2026'));
    const here = location.hash;
    return loadTotals().then((totals) => {
      if (!(uid < totals.players.count)) throw new Error('There is no player ' + uid + ' in the statistics.');
      return load('player/' + uid).catch(() => fromList(totals, uid)).then((p) => {
        if (location.hash !== here) return;
        return load('matches').catch(() => ({matches: []})).then((m) => {
          if (location.hash !== here) return;
          buildPlayer(totals, p, m.matches);
        });
      });
    });
  }

  // A player whose career file is missing (his matches were all counted
  // before the data was first written): what the player list knows of him.
  function fromList(totals, uid) {
    return load('players-' + Math.floor(uid / totals.players.chunkSize)).then((part) => {
      const p = part.players.find((x) => x.uid === uid);
      if (!p) throw new Error('There is no player ' + uid + ' in the statistics.');
      const all = Object.assign({}, p, {wins: sumOfTypes(p.winsByType), losses: sumOfTypes(p.lossesByType),
                                        score: null});
      return {uid, name: p.name, bot: p.bot, firstSeen: p.firstSeen, lastSeen: p.lastSeen, all, partial: true,
              byType: p.matchesByType.map((n, i) => ({matches: n, wins: p.winsByType[i],
                                                       losses: p.lossesByType[i]})),
              weapons: [], special: null};
    });
  }

  const FIGURES = [
    ['matches', 'Matches', int], ['wins', 'Wins', int], ['losses', 'Losses', int],
    ['score', 'Score', int], ['frags', 'Frags', int], ['kills', 'Kills', int],
    ['deaths', 'Deaths', int], ['suicides', 'Suicides', int], ['teamKills', 'Team kills', int],
    ['teamDeaths', 'Team deaths', int], ['efficiency', 'Efficiency %', dec],
    ['fragsPerHour', 'Frags per hour', dec], ['time', 'Time played', duration]];
  const SPECIAL = [
    ['firstBlood', 'First blood'], ['headShots', 'Head shots'], ['doubleKills', 'Double kills'],
    ['multiKills', 'Multi kills'], ['ultraKills', 'Ultra kills'], ['monsterKills', 'Monster kills']];

  function buildPlayer(totals, p, matches) {
    const all = p.all || {};
    const figures = el('dl', {class: 'xp-figures'},
                       FIGURES.map(([k, label, f]) => el('div', null, el('dt', null, label),
                                                         el('dd', null, f(all[k])))),
                       p.special ? SPECIAL.map(([k, label]) => el('div', null, el('dt', null, label),
                                                                  el('dd', null, int(p.special[k])))) : null);
    const later = 'Shown once his career file is written, when he next plays.';
    const types = totals.gameTypes;
    const byType = p.byType || [];
    const played = types.map((g, i) => ({label: g, f: byType[i] || {}})).filter((r) => r.f.matches > 0);

    const charts = el('div', {class: 'xp-charts'});
    const drawCharts = () => {
      // As wide as a column of the charts' grid (columns of at least 420
      // pixels, 20 apart).
      const room = charts.clientWidth || view.clientWidth;
      const columns = Math.max(1, Math.floor((room + 20) / 440));
      const width = Math.max(240, Math.floor((room - 20 * (columns - 1)) / columns));
      const weapons = (p.weapons || []).filter((w) => w.kills > 0).sort((a, b) => b.kills - a.kills);
      const kills = sum(weapons.map((w) => w.kills));
      charts.replaceChildren(
          chartBox('Matches and wins by game type', played.length
              ? barChart(width, played.map((r) => ({label: r.label, values: [r.f.matches, r.f.wins]})),
                         [{name: 'Matches', colour: '#45527A'}, {name: 'Wins', colour: '#C99A06'}],
                         int, 'Matches and wins by game type')
              : null, 'No matches counted.'),
          chartBox('Weapon share of kills', kills
              ? barChart(width, weapons.map((w) => ({label: w.weapon, values: [w.kills * 100 / kills],
                                                     note: int(w.kills)})),
                         [{name: 'Share of kills', colour: '#B03226'}],
                         (v) => v.toFixed(1) + '%', 'Share of kills by weapon', 100)
              : null, p.partial ? later : 'No kills with any weapon.'),
          chartBox('Efficiency by game type', played.length && !p.partial
              ? barChart(width, played.map((r) => ({label: r.label, values: [r.f.efficiency]})),
                         [{name: 'Efficiency %', colour: '#1F4FA0'}], dec,
                         'Efficiency in percent by game type', 100)
              : null, p.partial ? later : 'No matches counted.'));
    };

    const mine = [];
    for (const m of matches) {
      const line = (m.players || []).find((l) => l.uid === p.uid);
      if (line) mine.push({m, line});
    }
    const matchRows = mine.map(({m, line}) => el('tr', {'data-time': String(m.time)},
        el('td', {class: 'y'}, el('a', {href: '#match/' + m.time, class: 'y'}, m.date)),
        el('td', {class: 'w xp-left'}, m.gameType),
        el('td', {class: 'w xp-left'}, m.map),
        el('td', {class: 'w'}, int(line.rank)),
        el('td', {class: 'w'}, int(line.frags)),
        el('td', {class: 'w'}, dec(line.efficiency)),
        el('td', {class: 'w'}, el('a', {href: matchHref(m.time)}, 'page'))));

    show(el('h1', {class: 's xp-title'}, el('span', {class: p.bot ? 'xp-bot' : null}, p.name)),
         el('p', {class: 'i xp-meta'},
            el('span', null, (p.bot ? 'Bot' : 'Human') + ', player ' + p.uid),
            el('span', null, 'first seen ' + day(p.firstSeen) + ', last seen ' + day(p.lastSeen)),
            el('a', {href: careerHref(p.uid)}, 'Career page'),
            el('a', {href: '#players'}, 'All players')),
         p.partial ? el('p', {class: 'i xp-notice'}, 'The data has no career file of this player yet ' +
                                         '(his matches were counted before the data was first written): ' +
                                         'these are the figures of the player list.') : null,
         el('h2', {class: 'xp-h2'}, 'Career'), figures, charts,
         el('h2', {class: 'xp-h2'}, 'Kept matches'),
         mine.length
             ? el('div', {class: 'xp-scroll'},
                  el('table', {class: 'xp-table', id: 'xp-player-matches'},
                     el('thead', null, el('tr', null, ['Date', 'Type', 'Map', 'Rank', 'Frags',
                                                       'Eff. %', 'Match'].map(
                                                          (h) => el('th', {class: 'r', scope: 'col'}, h)))),
                     el('tbody', null, matchRows)))
             : el('p', {class: 'i'}, 'None of the matches whose pages are kept.'));
    drawCharts();
    lastWidth = view.clientWidth;
    redraw = drawCharts;
  }

  function chartBox(title, chart, empty) {
    return el('section', {class: 'xp-chart'}, el('h2', {class: 'xp-h2'}, title),
              chart || el('p', {class: 'i'}, empty));
  }

  // Horizontal bars: one group per row (its label on the left), one bar per
  // series, the value at its end. `max` fixes the scale (else the largest
  // value).
  function barChart(width, rows, series, format, label, max) {
    const labelW = Math.min(130, Math.round(width * 0.34));
    const valueW = 64;
    const barH = 14, gap = 3, groupGap = 10, top = series.length > 1 ? 24 : 6;
    const groupH = series.length * (barH + gap) - gap;
    const height = top + rows.length * (groupH + groupGap);
    const top_ = max || Math.max(1, ...rows.flatMap((r) => r.values));
    const plotW = width - labelW - valueW - 8;
    const svg = svgEl('svg', {width, height, viewBox: '0 0 ' + width + ' ' + height, role: 'img',
                              'aria-label': label, class: 'xp-bars'}, svgEl('title', null, label));
    if (series.length > 1) {
      let x = labelW;
      for (const s of series) {
        svg.appendChild(svgEl('rect', {x, y: 4, width: 12, height: 12, fill: s.colour}));
        svg.appendChild(svgEl('text', {x: x + 16, y: 14, class: 'xp-svg-text'}, s.name));
        x += 22 + s.name.length * 7.5;
      }
    }
    rows.forEach((r, i) => {
      const y0 = top + i * (groupH + groupGap);
      svg.appendChild(svgEl('text', {x: labelW - 6, y: y0 + groupH / 2 + 4, 'text-anchor': 'end',
                                     class: 'xp-svg-text'}, clip(r.label, Math.floor((labelW - 10) / 7))));
      r.values.forEach((v, j) => {
        const y = y0 + j * (barH + gap);
        const w = Math.max(v > 0 ? 1 : 0, Math.round(plotW * Math.min(v, top_) / top_));
        svg.appendChild(svgEl('rect', {x: labelW, y, width: w, height: barH, fill: series[j].colour},
                              svgEl('title', null, r.label + ', ' + series[j].name + ': ' + format(v))));
        svg.appendChild(svgEl('text', {x: labelW + w + 4, y: y + barH - 3, class: 'xp-svg-value'},
                              format(v) + (r.note ? ' (' + r.note + ')' : '')));
      });
    });
    return svg;
  }

  function clip(text, n) {
    text = String(text);
    return text.length > n ? text.slice(0, Math.max(1, n - 1)) + '\u2026' : text;
  }

  // Previous and next buttons that stay in place (and keep the keyboard
  // focus) from page to page. set(page, pages, go): shows page `page` of
  // `pages`; a button calls go(new page) and then `changed`.
  function makePager(changed) {
    const prev = el('button', {type: 'button'}, 'Previous');
    const next = el('button', {type: 'button'}, 'Next');
    const label = el('span', {class: 'i', 'aria-live': 'polite'});
    const box = el('div', {class: 'xp-pager'}, prev, label, next);
    let at = 0, go = null;
    prev.addEventListener('click', () => { if (go && at > 0) { go(at - 1); changed(); } });
    next.addEventListener('click', () => { if (go) { go(at + 1); changed(); } });
    return {box, set(page, pages, goTo) {
      at = page;
      go = goTo;
      prev.disabled = page === 0;
      next.disabled = page >= pages - 1;
      label.textContent = 'Page ' + (page + 1) + ' of ' + pages;
      // A button that gives out hands the focus to the other one.
      if (document.activeElement === next && next.disabled && !prev.disabled) prev.focus();
      if (document.activeElement === prev && prev.disabled && !next.disabled) next.focus();
    }};
  }

  // ---- The kept matches -----------------------------------------------------------

  function matchesView() {
    show(el('h1', {class: 's xp-title'}, 'Matches'), el('p', {class: 'i'}, 'Loading\u2026'));
    return load('matches').then((data) => {
      if (location.hash !== '#matches') return;
      let page = 0;
      const ms = data.matches;
      const pages = Math.max(1, Math.ceil(ms.length / PAGE_SIZE));
      const tbody = el('tbody');
      const pager = makePager(() => render());
      const render = () => {
        tbody.replaceChildren(...ms.slice(page * PAGE_SIZE, (page + 1) * PAGE_SIZE).map((m) => {
          const winner = m.teamGame ? (m.teams.find((t) => t.won) || {}).name : m.winner && m.winner.name;
          return el('tr', {'data-time': String(m.time)},
                    el('td', {class: 'y'}, m.players.length
                        ? el('a', {href: '#match/' + m.time, class: 'y'}, m.date) : m.date),
                    el('td', {class: 'w xp-left'}, m.gameType),
                    el('td', {class: 'w xp-left'}, m.map),
                    el('td', {class: 'w xp-left xp-wide'}, m.server === null ? '\u2013' : m.server),
                    el('td', {class: 'w'}, int(m.players.length)),
                    el('td', {class: 'w xp-left'}, winner === undefined || winner === null ? '\u2013' : winner),
                    el('td', {class: 'w'}, el('a', {href: matchHref(m.time)}, 'page')));
        }));
        pager.set(page, pages, (p) => { page = p; });
      };
      render();
      show(el('h1', {class: 's xp-title'}, 'Matches'),
           el('p', {class: 'i'}, ms.length + ' kept matches, newest first. A date opens the match\u2019s ' +
                                 'score lines; "page" opens its pages.'),
           el('div', {class: 'xp-scroll'},
              el('table', {class: 'xp-table', id: 'xp-matches'},
                 el('thead', null, el('tr', null,
                    ['Date', 'Type', 'Map', 'Server', 'Players', 'Winner', 'Match'].map((h) =>
                        el('th', {class: 'r' + (h === 'Server' ? ' xp-wide' : ''), scope: 'col'}, h)))),
                 tbody)),
           pager.box);
    });
  }

  // ---- One match --------------------------------------------------------------------

  function matchView(time) {
    show(el('h1', {class: 's xp-title'}, 'Match'), el('p', {class: 'i'}, 'Loading\u2026'));
    const here = location.hash;
    return Promise.all([load('matches'), load('match/' + time)]).then(([data, samples]) => {
      if (location.hash !== here) return;
      const m = data.matches.find((x) => x.time === time) || null;
      buildMatch(time, m, samples);
    });
  }

  function buildMatch(time, m, s) {
    const title = m ? m.map + ' \u2013 ' + m.gameType : 'Match ' + time;
    const lines = s.lines || [];
    const teams = s.teams || [];
    const colour = (i) => LINE_COLOURS[i % LINE_COLOURS.length];
    const chartBoxEl = el('div', {class: 'xp-plot'});
    const readout = el('div', {class: 'xp-readout', id: 'xp-readout', 'aria-live': 'polite'},
                       'Point at the chart, or focus it and use the arrow keys, to read the values.');
    let withTeams = false;
    let cursor = null;

    const legend = el('ul', {class: 'xp-legend', id: 'xp-legend'}, lines.map((l, i) =>
        el('li', {'data-line': String(i)},
           el('span', {class: 'xp-swatch', style: 'background-color:' + colour(i)}),
           playerLink(l, l.uid),
           el('span', {class: 'h'}, ' ' + int(l.values[l.values.length - 1])))));
    if (teams.length)
      teams.forEach((t, i) => legend.appendChild(el('li', {'data-team': String(i)},
          el('span', {class: 'xp-swatch xp-swatch-team', style: 'background-color:' + teamColour(t, i)}),
          el('span', {class: 'xp-team'}, t.name),
          el('span', {class: 'h'}, ' ' + int(t.values[t.values.length - 1]) + ' (team)'))));

    let toggle = null;
    if (teams.length) {
      const box = el('input', {type: 'checkbox', id: 'xp-teams'});
      box.addEventListener('change', () => { withTeams = box.checked; draw(); });
      toggle = el('label', {class: 'i xp-toggle'}, box, ' Show the team lines');
    }

    function draw() {
      const width = Math.max(260, Math.min(chartBoxEl.clientWidth || view.clientWidth, 1100));
      const height = Math.round(Math.max(220, Math.min(width * 0.5, 380)));
      const shown = lines.map((l, i) => ({values: l.values, colour: colour(i), cls: 'pline', name: l.name}));
      if (withTeams)
        teams.forEach((t, i) => shown.push({values: t.values, colour: teamColour(t, i), cls: 'tline',
                                            name: t.name}));
      for (const li of legend.querySelectorAll('li[data-team]')) li.hidden = !withTeams;
      chartBoxEl.replaceChildren(lineChart(width, height, shown, s.interval, s.label || 'Value',
                                           title, readout, () => cursor, (k) => { cursor = k; }));
    }

    const players = m && m.players && m.players.length ? m.players : null;
    const summary = players && el('div', {class: 'xp-scroll'},
        el('table', {class: 'xp-table', id: 'xp-match-players'},
           el('thead', null, el('tr', null, ['Rank', 'Player', m.teamGame ? 'Team' : null,
                                             m.players.some((p) => p.score !== null) ? 'Score' : null,
                                             'Frags', 'Kills', 'Deaths', 'Eff. %', 'Ping', 'Time', 'Page']
               .filter(Boolean).map((h) => el('th', {class: 'r', scope: 'col'}, h)))),
           el('tbody', null, players.map((p) => el('tr', null,
               el('td', {class: 'w'}, int(p.rank)),
               el('td', {class: p.bot ? 't' : 'z'}, playerLink(p, p.uid)),
               m.teamGame ? el('td', {class: 'w xp-left'},
                               p.team === null || !m.teams[p.team] ? '\u2013' : m.teams[p.team].name) : null,
               m.players.some((q) => q.score !== null) ? el('td', {class: 'w'}, int(p.score)) : null,
               el('td', {class: 'w'}, int(p.frags)), el('td', {class: 'w'}, int(p.kills)),
               el('td', {class: 'w'}, int(p.deaths)), el('td', {class: 'w'}, dec(p.efficiency)),
               el('td', {class: 'w'}, int(p.ping)), el('td', {class: 'w'}, duration(p.time)),
               el('td', {class: 'w'}, !Number.isInteger(p.number) ? '\u2013'
                   : el('a', {href: 'Individual_Game_Stats/' + time + '/' + p.number + '.html'}, 'page')))))));

    const teamLine = m && m.teamGame && m.teams.length
        ? el('p', {class: 'i xp-teams'}, m.teams.map((t, i) => el('span', null,
              el('span', {class: 'xp-swatch', style: 'background-color:' + teamColour(t, i)}),
              t.name + ': ' + int(t.score) + (t.won ? ' (won)' : ''))))
        : null;

    show(el('h1', {class: 's xp-title'}, title),
         el('p', {class: 'i xp-meta'},
            el('span', null, m ? m.date : day(time)),
            m && m.server !== null ? el('span', null, m.server) : null,
            el('a', {href: matchHref(time)}, 'Match page'),
            el('a', {href: '#matches'}, 'All matches')),
         teamLine,
         el('h2', {class: 'xp-h2'}, (s.label || 'Value') + ' over time'), toggle,
         chartBoxEl, readout, legend, summary ? el('h2', {class: 'xp-h2'}, 'Summary') : null, summary);
    draw();
    lastWidth = view.clientWidth;
    redraw = draw;
  }

  // Steps of 1, 2 or 5 times a power of ten, about five of them up to `max`.
  function ticks(min, max) {
    const span = Math.max(1, max - min);
    const raw = span / 5;
    const p = Math.pow(10, Math.floor(Math.log10(raw)));
    const step = [1, 2, 5, 10].map((f) => f * p).find((v) => v >= raw);
    const out = [];
    for (let v = Math.ceil(min / step) * step; v <= max + 1e-9; v += step) out.push(v);
    return out;
  }

  // The score lines: one polyline per entry of `shown`, sample k at
  // k * interval seconds. The value under the pointer (or at the sample the
  // arrow keys chose) is shown in `readout` and marked on the chart.
  function lineChart(width, height, shown, interval, label, title, readout, getCursor, setCursor) {
    const left = 40, right = 12, top = 12, bottom = 30;
    const plotW = width - left - right, plotH = height - top - bottom;
    const n = Math.max(...shown.map((l) => l.values.length), 2);
    const all = shown.flatMap((l) => l.values);
    let lo = Math.min(0, ...all), hi = Math.max(1, ...all);
    const ys = ticks(lo, hi);
    hi = Math.max(hi, ys[ys.length - 1]);
    lo = Math.min(lo, ys[0]);
    const x = (k) => left + plotW * k / (n - 1);
    const y = (v) => top + plotH - plotH * (v - lo) / (hi - lo || 1);
    const svg = svgEl('svg', {width, height, viewBox: '0 0 ' + width + ' ' + height, class: 'xp-lines',
                              role: 'img', tabindex: '0', 'aria-describedby': 'xp-readout',
                              'aria-label': label + ' over time, ' + title + '. Arrow keys move along the samples.'},
                      svgEl('title', null, label + ' over time'),
                      svgEl('rect', {x: 0, y: 0, width, height, class: 'xp-plot-ground'}));
    for (const v of ys) {
      svg.appendChild(svgEl('line', {x1: left, x2: width - right, y1: y(v), y2: y(v), class: 'xp-grid'}));
      svg.appendChild(svgEl('text', {x: left - 5, y: y(v) + 4, 'text-anchor': 'end', class: 'xp-axis'},
                            String(v)));
    }
    const total = (n - 1) * interval;
    const minutes = ticks(0, total / 60).filter((v) => Number.isInteger(v) || total < 600);
    for (const mins of minutes) {
      const px = left + plotW * (mins * 60) / (total || 1);
      if (px > width - right + 0.5) continue;
      svg.appendChild(svgEl('line', {x1: px, x2: px, y1: top, y2: top + plotH, class: 'xp-grid'}));
      const anchor = px > width - right - 18 ? 'end' : 'middle';  // the last one stays whole
      svg.appendChild(svgEl('text', {x: anchor === 'end' ? width - 2 : px, y: height - 10,
                                     'text-anchor': anchor, class: 'xp-axis'},
                            duration(mins * 60)));
    }
    for (const l of shown) {
      const points = l.values.map((v, k) => x(k).toFixed(1) + ',' + y(v).toFixed(1)).join(' ');
      svg.appendChild(svgEl('polyline', {points, class: l.cls, stroke: l.colour, fill: 'none',
                                         'stroke-width': l.cls === 'tline' ? 3 : 2,
                                         'stroke-dasharray': l.cls === 'tline' ? '6 4' : null},
                            svgEl('title', null, l.name)));
    }
    const guide = svgEl('line', {y1: top, y2: top + plotH, class: 'xp-guide', visibility: 'hidden'});
    const dots = svgEl('g');
    svg.append(guide, dots);

    function mark(k) {
      k = Math.max(0, Math.min(n - 1, k));
      setCursor(k);
      guide.setAttribute('x1', x(k));
      guide.setAttribute('x2', x(k));
      guide.setAttribute('visibility', 'visible');
      dots.replaceChildren(...shown.filter((l) => k < l.values.length).map((l) =>
          svgEl('circle', {cx: x(k), cy: y(l.values[k]), r: 3.5, fill: l.colour, class: 'xp-dot'})));
      const at = shown.filter((l) => k < l.values.length)
                      .map((l) => ({l, v: l.values[k]})).sort((a, b) => b.v - a.v);
      readout.replaceChildren(
          el('strong', null, label + ' at ' + duration(k * interval) + ' (sample ' + (k + 1) + ' of ' + n + ')'),
          el('span', {class: 'xp-values'}, at.map(({l, v}) => el('span', {class: 'xp-value'},
              el('span', {class: 'xp-swatch', style: 'background-color:' + l.colour}),
              l.name + ' ' + (Number.isInteger(v) ? v : v.toFixed(1))))));
    }

    svg.addEventListener('pointermove', (e) => {
      const box = svg.getBoundingClientRect();
      const px = (e.clientX - box.left) * width / box.width;
      mark(Math.round((px - left) / plotW * (n - 1)));
    });
    svg.addEventListener('keydown', (e) => {
      const k = getCursor();
      const step = {ArrowRight: 1, ArrowUp: 1, ArrowLeft: -1, ArrowDown: -1}[e.key];
      if (step) mark(k === null ? (step > 0 ? 0 : n - 1) : k + step);
      else if (e.key === 'Home') mark(0);
      else if (e.key === 'End') mark(n - 1);
      else return;
      e.preventDefault();
    });
    svg.addEventListener('focus', () => { if (getCursor() === null) mark(n - 1); });
    if (getCursor() !== null) mark(getCursor());
    return svg;
  }

  window.addEventListener('hashchange', route);
  route();
})();
