// The browser view of vrel-host's panels. Everything shown is set with
// textContent: names and texts can hold any characters, markup included.
'use strict';

// position: the operator position whose panels are shown (1 unless chosen);
// seq: the number of the last change applied; pending: changes that came
// while the whole document was being fetched.
const view = {
  state: null, seq: 0, position: 1, openDetails: new Set(), shift: false, notes: [], fetching: false, pending: [],
};
// The on-screen keyboard: four rows of characters, then shift, '/', backspace, space and return.
const keyRows = "1234567890qwertyuiopasdfghjkl'-zxcvbnm.,".split('');
const apostropheWarning = 'An apostrophe ends the quoted name in the command the script sends: ' +
  'the host carries it out as sent and warns with a ! line, since a real host may split it otherwise.';

function element(tag, className, text) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

function problem(message) {
  document.getElementById('problem').textContent = message || '';
}

// Actions go out one after the other, so fast typing keeps its order.
let queue = Promise.resolve();
function post(path, body) {
  queue = queue.then(() => send(path, body));
  return queue;
}

async function send(path, body) {
  try {
    const response = await fetch(path, {
      method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body),
    });
    const answer = await response.json().catch(() => ({}));
    problem(response.ok ? '' : (answer.error || ('HTTP ' + response.status)));
  } catch (e) {
    problem('the host cannot be reached');
  }
}

// Every action names the position it is made at.
const press = (panel, control, event) =>
  post('/api/press', event ? { panel, control, event, position: view.position } : { panel, control, position: view.position });
const sendKey = (key) => post('/api/key', { key, position: view.position });

function place(e, c) {
  e.style.left = c.x + 'px';
  e.style.top = c.y + 'px';
  e.style.width = c.w + 'px';
  e.style.height = c.h + 'px';
  e.dataset.control = c.name;
  if (!c.visible) e.classList.add('hidden');
  if (!c.enabled) e.classList.add('disabled');
  if (c.look) e.classList.add('look-' + c.look.replace(/[^A-Za-z0-9_-]/g, '_'));
}

function drawButton(panel, c) {
  const b = element('button', 'control', c.text);
  b.type = 'button';
  b.disabled = !c.enabled;
  b.title = c.name;
  b.addEventListener('click', () => press(panel.id, c.name));
  return b;
}

function drawGroup(panel, c, list) {
  const g = element('div', 'control group');
  const current = list ? pageOf(panel, list) : 1;
  for (let p = 1; p <= c.pages; ++p) {
    const b = element('button', p === current ? 'current' : '', String(p));
    b.type = 'button';
    b.disabled = !c.enabled;
    b.dataset.page = String(p);
    b.addEventListener('click', () => press(panel.id, c.name, 'page=' + p));
    g.appendChild(b);
  }
  return g;
}

function pageOf(panel, list) {
  const pages = Math.max(1, Math.ceil(list.rows.length / list.lines));
  const page = parseInt(list.page, 10);
  return page >= 1 && page <= pages ? page : 1;
}

function drawList(panel, c) {
  const l = element('div', 'control list');
  const page = pageOf(panel, c);
  l.appendChild(element('div', 'caption', c.database === null ? 'no name set chosen'
    : 'name set ' + c.database + ', page ' + page));
  const first = (page - 1) * c.lines;
  const chosen = parseInt(c.index, 10);
  for (let i = first; i < first + c.lines && i < c.rows.length; ++i) {
    const index = i + 1;
    const row = element('button', 'row' + (index === chosen ? ' chosen' : ''));
    row.type = 'button';
    row.disabled = !c.enabled;
    row.dataset.index = String(index);
    row.appendChild(element('span', 'number', String(index)));
    row.appendChild(element('span', 'name', c.rows[i]));
    row.addEventListener('click', () => press(panel.id, c.name, 'index=' + index));
    l.appendChild(row);
  }
  return l;
}

function drawKeyboard(panel, c) {
  const k = element('div', 'control keyboard');
  k.appendChild(element('div', 'typed', c.text));
  const keys = element('div', 'keys');
  const add = (label, name, className, onClick) => {
    const b = element('button', className || '', label);
    b.type = 'button';
    b.disabled = !c.enabled;
    b.dataset.key = name;
    b.addEventListener('click', onClick || (() => sendKey(name)));
    keys.appendChild(b);
    return b;
  };
  for (const ch of keyRows) {
    const typed = view.shift ? ch.toUpperCase() : ch;
    const b = add(typed, typed, ch === "'" ? 'warn' : '');
    if (ch === "'") b.title = apostropheWarning;
  }
  const shift = add('⇧ shift', 'shift', 'double' + (view.shift ? ' on' : ''), () => {
    view.shift = !view.shift;
    redrawControl(shownPanel(panel.id), c.name);
  });
  shift.setAttribute('aria-pressed', String(view.shift));
  add('/', '/');
  add('⌫', 'backspace');
  add('space', 'space', 'wide');
  add('return', 'return', 'wide');
  k.appendChild(keys);
  return k;
}

// The shown position's panels, drawn: each panel's frame and each control's
// element, so a change redraws the one element it is about.
const frames = new Map();
const controls = new Map();  // panel id + '/' + control name -> element
const controlKey = (panelId, name) => panelId + '/' + name;

function drawControl(panel, c) {
  let e;
  if (c.type === 'list') e = drawList(panel, c);
  else if (c.type === 'group') e = drawGroup(panel, c, panel.controls.find((x) => x.type === 'list'));
  else if (c.type === 'keyboard') e = drawKeyboard(panel, c);
  else if (c.type === 'label') e = element('div', 'control label', c.text);
  else e = drawButton(panel, c);
  place(e, c);
  controls.set(controlKey(panel.id, c.name), e);
  return e;
}

function drawPanel(panel) {
  let frame = frames.get(panel.id);
  if (!frame) {
    frame = element('div');
    frame.dataset.panel = panel.id;
    frames.set(panel.id, frame);
  }
  const title = element('h2', '', 'Panel ' + panel.id + ' — ' + panel.file + ' ');
  title.appendChild(element('span', 'where'));
  const area = element('div', 'panel');
  area.style.width = panel.w + 'px';
  area.style.height = panel.h + 'px';
  for (const c of panel.controls) area.appendChild(drawControl(panel, c));
  frame.replaceChildren(title, area);
  drawOnScreen(panel);
  return frame;
}

function drawOnScreen(panel) {
  const frame = frames.get(panel.id);
  if (!frame) return;
  frame.className = 'panel-frame ' + (panel.onScreen ? 'on-screen' : 'off-screen');
  frame.querySelector('.where').textContent = panel.onScreen ? '(on screen)' : '(off screen)';
}

// One control drawn again; a list's page also shows in its panel's page buttons.
function redrawControl(panel, name) {
  const c = panel.controls.find((x) => x.name === name);
  const old = controls.get(controlKey(panel.id, name));
  if (!c || !old) return drawPanel(panel);
  old.replaceWith(drawControl(panel, c));
  if (c.type === 'list')
    for (const g of panel.controls.filter((x) => x.type === 'group')) redrawControl(panel, g.name);
}

function drawPanels() {
  const position = shownPosition(view.state);
  const panels = document.getElementById('panels');
  panels.dataset.position = String(position.position);
  controls.clear();
  panels.replaceChildren(...position.panels.map(drawPanel));
}

// The shown position's part of the state; the first if it is gone from the state.
function shownPosition(state) {
  return state.positions.find((p) => p.position === view.position) || state.positions[0];
}
const shownPanel = (id) => shownPosition(view.state).panels.find((p) => p.id === id);

// One tab per operator position, when there is more than one.
function drawPositions() {
  const state = view.state;
  const nav = document.getElementById('positions');
  nav.hidden = state.positions.length < 2;
  nav.replaceChildren(...state.positions.map((p) => {
    const b = element('button', p.position === view.position ? 'current' : '',
      'Position ' + p.position + (p.alive ? '' : ' (gone)'));
    b.type = 'button';
    b.dataset.position = String(p.position);
    b.setAttribute('aria-pressed', String(p.position === view.position));
    b.addEventListener('click', () => {
      if (p.position === view.position) return;
      view.position = p.position;
      frames.clear();
      drawPositions();
      drawPanels();
      drawAlive();
      connect();  // the stream of this position, beginning with the whole document
    });
    return b;
  }));
}

function drawAlive() {
  const position = shownPosition(view.state);
  if (!view.state.alive) problem('the script is gone: restart vrel-host');
  else if (!position.alive) problem('the script of position ' + position.position + ' is gone');
}

function drawClock() {
  const clock = view.state.clock;
  document.getElementById('clock-now').textContent = String(clock.now);
  const speed = document.getElementById('clock-speed');
  if (document.activeElement !== speed) speed.value = String(clock.speed);
  document.getElementById('clock-next').textContent =
    clock.nextTick === null ? 'no timer runs' : 'next tick at ' + clock.nextTick + ' ms';
  document.getElementById('clock-step').disabled = clock.nextTick === null;
}

// The whole document, drawn anew.
function drawState(state) {
  view.state = state;
  view.position = shownPosition(state).position;
  frames.clear();
  drawPositions();
  document.getElementById('site-file').textContent = state.siteFile === null
    ? 'not saved: renames stay in memory (no --site)' : 'site file: ' + state.siteFile;
  document.getElementById('site-file').className = state.siteFile === null ? 'unsaved' : 'saved';
  drawPanels();
  drawAlive();
  drawSite();
  drawClock();
  drawDisplayWall(state.displays, document.getElementById('displays'));
}

// The panels or the display wall: one of them fills the page.
function showView(name) {
  document.querySelector('main').hidden = name !== 'panels';
  document.getElementById('displays').hidden = name !== 'displays';
  document.querySelectorAll('#views button').forEach((b) => {
    b.classList.toggle('current', b.dataset.view === name);
    b.setAttribute('aria-pressed', String(b.dataset.view === name));
  });
}
document.querySelectorAll('#views button').forEach((b) => b.addEventListener('click', () => showView(b.dataset.view)));

function drawDevice(d) {
  const box = element('div', 'device');
  box.dataset.device = String(d.number);
  box.appendChild(element('strong', '', d.number + ' ' + d.instance + (d.role ? ' (' + d.role + ')' : '')));
  if (d.infodriver) {
    const slots = Object.keys(d.slots);
    const table = element('table');
    if (slots.length === 0) box.appendChild(element('div', '', 'no slot written'));
    for (const s of slots) {
      const tr = element('tr');
      tr.appendChild(element('td', '', 'slot ' + s));
      tr.appendChild(element('td', '', d.slots[s]));
      tr.dataset.slot = s;
      table.appendChild(tr);
    }
    box.appendChild(table);
  }
  for (const db of Object.keys(d.databases)) {
    const det = element('details');
    det.dataset.key = d.number + '/' + db;
    det.open = view.openDetails.has(det.dataset.key);
    det.appendChild(element('summary', '', 'database ' + db));
    // The 128 names are drawn only while they are open.
    const fill = () => {
      if (det.open) view.openDetails.add(det.dataset.key); else view.openDetails.delete(det.dataset.key);
      if (!det.open || det.querySelector('ol')) return;
      const ol = element('ol');
      d.databases[db].forEach((name) => ol.appendChild(element('li', '', name)));
      det.appendChild(ol);
    };
    det.addEventListener('toggle', fill);
    fill();
    box.appendChild(det);
  }
  return box;
}

function drawSite() {
  document.getElementById('devices').replaceChildren(...view.state.site.devices.map(drawDevice));
}

// One device drawn again.
function redrawDevice(number) {
  const d = view.state.site.devices.find((x) => x.number === number);
  const old = document.querySelector(`#devices [data-device="${number}"]`);
  if (d && old) old.replaceWith(drawDevice(d));
  else drawSite();
}

// A change (see docs/browser-view.md): the part of the document its path
// names is replaced, then the elements that show that part are drawn again.
// A path this page does not know draws the whole document again.
function keyOf(e) {
  if (e === null || typeof e !== 'object') return undefined;
  for (const field of ['position', 'id', 'name', 'number']) if (field in e) return e[field];
  return undefined;
}

function applyChange(document, path, value) {
  if (path.length === 0) return value;
  const ofObjects = (array) => (array.length > 0 ? typeof array[0] === 'object' && array[0] !== null
    : typeof value === 'object' && value !== null);
  const index = (array, step) => (ofObjects(array) ? array.findIndex((e) => keyOf(e) === step)
    : (Number.isInteger(step) && step < array.length ? step : -1));
  let node = document;
  for (const step of path.slice(0, -1)) {
    node = Array.isArray(node) ? node[index(node, step)] : node?.[step];
    if (node === null || typeof node !== 'object') return undefined;
  }
  const last = path[path.length - 1];
  if (!Array.isArray(node)) node[last] = value;
  else {
    const at = index(node, last);
    if (at < 0) node.push(value);
    else if (value === null && ofObjects(node)) node.splice(at, 1);
    else node[at] = value;
  }
  return document;
}

function redraw(path) {
  const [part, key, field, panelId, inPanel, name] = path;
  if (part === 'clock') return drawClock();
  if (part === 'site' && key === 'devices' && path.length >= 3) return redrawDevice(field);
  if (part === 'site') return drawSite();
  if (part === 'alive') return drawAlive();
  if (part === 'displays') return drawDisplayWall(view.state.displays, document.getElementById('displays'));
  if (part === 'positions' && path.length >= 3) {
    if (field === 'alive') { drawPositions(); return drawAlive(); }
    if (key !== view.position || field !== 'panels') return;  // drawn when that position is chosen
    const panel = shownPanel(panelId);
    if (path.length === 3 || !panel || !frames.has(panelId)) return drawPanels();
    if (inPanel === 'onScreen' && path.length === 5) return drawOnScreen(panel);
    if (inPanel === 'controls' && path.length === 6) return redrawControl(panel, name);
    return drawPanel(panel);
  }
  drawState(view.state);
}

// A numbered batch of changes. One that does not follow the last applied
// means the page missed some: it fetches the whole document, keeping what
// comes meanwhile for after it.
function receiveChanges(batch) {
  if (view.state === null || view.fetching) { view.pending.push(batch); return; }
  if (batch.seq <= view.seq) return;
  if (batch.seq !== view.seq + 1) { view.pending.push(batch); fetchState(); return; }
  view.seq = batch.seq;
  for (const change of batch.changes) {
    const applied = applyChange(view.state, change.path, change.value);
    if (applied === undefined) { fetchState(); return; }
    if (change.path.length === 0) drawState(applied); else redraw(change.path);
  }
}

function receiveState(state) {
  view.seq = state.seq;
  drawState(state);
  const pending = view.pending.filter((b) => b.seq > state.seq).sort((a, b) => a.seq - b.seq);
  view.pending = [];
  pending.forEach(receiveChanges);
}

async function fetchState() {
  if (view.fetching) return;
  view.fetching = true;
  let state = null;
  try {
    const response = await fetch('/api/state');
    if (response.ok) state = await response.json();
  } catch (e) {
    // The stream's own error says it; the next connection brings the document.
  }
  view.fetching = false;
  if (state) receiveState(state); else view.pending = [];
}

// The host's warnings and protocol errors stay in sight above the panels.
// Each log entry comes with its kind and position, read by the server.
function showNotes(entries) {
  const fresh = entries.filter((e) => e.kind === 'note' || e.kind === 'error');
  if (fresh.length === 0) return;
  view.notes = view.notes.concat(fresh).slice(-4);
  document.getElementById('notes').replaceChildren(...view.notes.map((e) => element('div', e.kind, e.text)));
}

function appendLog(news) {
  showNotes(news.lines);
  const log = document.getElementById('log');
  const atEnd = log.scrollTop + log.clientHeight >= log.scrollHeight - 4;
  if (news.dropped) log.appendChild(element('div', 'note', '… earlier lines dropped'));
  for (const entry of news.lines) {
    const line = log.appendChild(element('div', entry.kind, entry.text));
    line.dataset.position = String(entry.position);
  }
  while (log.childElementCount > 3000) log.firstElementChild.remove();
  if (atEnd) log.scrollTop = log.scrollHeight;
}

// The stream: its first event is the whole document, then numbered changes.
// After any error or refusal the page connects again by itself, waiting
// 0.5 s, then twice as long each time up to 5 s, and says so meanwhile.
// The stream follows the shown position: its panels' changes and log lines,
// and those of the whole site.
const reconnect = { first: 500, most: 5000, wait: 500, timer: 0, events: null };
function connect() {
  const connection = document.getElementById('connection');
  clearTimeout(reconnect.timer);
  if (reconnect.events) reconnect.events.close();
  connection.textContent = 'connecting…';
  connection.className = 'offline';
  const events = new EventSource('/api/events?position=' + view.position);
  reconnect.events = events;
  events.addEventListener('open', () => {
    connection.textContent = 'connected';
    connection.className = 'online';
    reconnect.wait = reconnect.first;
    document.getElementById('log').replaceChildren();  // the stream sends the recent lines again
  });
  events.addEventListener('error', () => {
    events.close();
    reconnect.events = null;
    const wait = reconnect.wait;
    reconnect.wait = Math.min(reconnect.most, wait * 2);
    connection.textContent = 'disconnected, trying again in ' + (wait / 1000) + ' s…';
    connection.className = 'offline';
    reconnect.timer = setTimeout(connect, wait);
  });
  events.addEventListener('state', (e) => receiveState(JSON.parse(e.data)));
  events.addEventListener('change', (e) => receiveChanges(JSON.parse(e.data)));
  events.addEventListener('log', (e) => appendLog(JSON.parse(e.data)));
}

function keyboardControl() {
  const s = view.state;
  if (!s) return null;
  const panel = shownPosition(s).panels.find((p) => p.id === s.keyboard.panel);
  if (!panel || !panel.onScreen) return null;
  const c = panel.controls.find((x) => x.name === s.keyboard.control);
  return c && c.enabled && c.visible ? c : null;
}

// One character the operator typed, in any script: not a named key ("Shift",
// "Dead"), not a control character. Sent as typed; the script keeps its own limits.
function isCharacter(key) {
  return [...key].length === 1 && !/[\u0000-\u0020\u007f-\u009f]/.test(key);
}

// Typing on the computer's keyboard goes to the panel's keyboard while it is
// enabled and the panels are shown (not while the display wall hides them).
document.addEventListener('keydown', (e) => {
  if (e.ctrlKey || e.altKey || e.metaKey || e.target.tagName === 'SELECT') return;
  if (document.querySelector('main').hidden) return;
  if (!keyboardControl()) return;
  let name = null;
  if (e.key === 'Enter') name = 'return';
  else if (e.key === 'Backspace') name = 'backspace';
  else if (e.key === ' ') name = 'space';
  else if (isCharacter(e.key)) name = e.key;
  if (name === null) return;
  e.preventDefault();
  sendKey(name);
});

document.getElementById('clock-speed').addEventListener('change', (e) =>
  post('/api/clock', { speed: parseInt(e.target.value, 10) }));
document.getElementById('clock-step').addEventListener('click', () => post('/api/clock', { step: true }));

// The address vrel-host printed may carry the access token: the server has
// set it as a cookie with this page, so it need not stay in the address bar.
if (new URLSearchParams(location.search).has('token')) history.replaceState(null, '', location.pathname);

connect();
