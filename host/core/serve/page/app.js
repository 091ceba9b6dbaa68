// The wall page of camview serve: the cameras' painted pictures, one shown
// large on a tap, and on it the control's own operations. Every point is
// sent in the picture's own pixels as shown, with the size it is shown at:
// the service maps it to the control as the window maps a scaled view.
'use strict';

const HOLD_MS = 500;        // a press held this long is the right button
const MOVE_EVERY_MS = 50;   // moves sent at most this often
const PINCH_STEP = 1.15;    // a pinch this much wider (or narrower) is one wheel notch
const DRAG_PX = 4;          // a mouse pressed and moved this far drags
const WHEEL_PAUSE_MS = 400; // a wheel still this long starts a new turn

let token = '';
let cameras = [];
let large = -1;
const sources = [];         // each camera's events
const cursors = new Map();  // cursor name -> CSS cursor
// Each camera's Message text and cursor, as last said: shown when it is opened.
const said = new Map();     // camera index -> {message, cursor}
// What the events said, for whoever looks (the page's tests among them).
window.camviewEvents = [];

const $ = (id) => document.getElementById(id);

async function post(path) {
  const answer = await fetch(path, { method: 'POST', headers: { 'X-Camview-Token': token } });
  if (answer.status === 401) location.assign('/login');
  return answer.ok;
}

// The pointer's operations go one after another, in the order they were
// made: requests in flight together may reach the service in any order, and
// an up before its down is another gesture. A move waiting to be sent gives
// way to a newer one.
const pending = [];
let sending = false;

async function sendPending() {
  if (sending) return;
  sending = true;
  while (pending.length) {
    try { await post(pending.shift().path); } catch { /* the next one may get through */ }
  }
  sending = false;
}

function operate(kind, button, x, y, extra = '') {
  if (large < 0) return; // a held press that ends after the camera was closed
  const box = $('picture').getBoundingClientRect();
  const w = Math.max(1, Math.round(box.width)), h = Math.max(1, Math.round(box.height));
  const px = Math.floor(x - box.left), py = Math.floor(y - box.top);
  const path = `/cameras/${large}/pointer?type=${kind}&button=${button}&x=${px}&y=${py}&w=${w}&h=${h}${extra}`;
  const last = pending[pending.length - 1];
  if (kind === 'move' && last && last.kind === 'move') last.path = path;
  else pending.push({ kind, path });
  sendPending();
}

function command(name) {
  if (large >= 0) post(`/cameras/${large}/command?name=${name}`).then(refresh);
}

function cell(camera) {
  const figure = document.createElement('figure');
  figure.dataset.index = camera.index;
  const img = document.createElement('img');
  img.alt = camera.name;
  img.width = camera.width;
  img.height = camera.height;
  const caption = document.createElement('figcaption');
  for (const part of ['name', 'status', 'fps']) {
    const span = document.createElement('span');
    span.className = part;
    caption.append(span);
  }
  figure.append(img, caption);
  figure.addEventListener('click', () => show(camera.index));
  return figure;
}

function describe(camera) {
  const figure = document.querySelector(`figure[data-index="${camera.index}"]`);
  if (figure) {
    figure.querySelector('.name').textContent = camera.name;
    figure.querySelector('.status').textContent = camera.status;
    figure.querySelector('.fps').textContent = camera.fps > 0 ? `${camera.fps.toFixed(1)} fps` : '';
  }
  if (camera.index === large) {
    $('name').textContent = camera.name;
    $('status').textContent = camera.status || (camera.fps > 0 ? `${camera.fps.toFixed(1)} fps` : '');
    $('record').classList.toggle('on', camera.recording);
    $('record').textContent = camera.recording ? 'Stop recording' : 'Record';
  }
}

async function refresh() {
  const answer = await fetch('/cameras');
  if (answer.status === 401) { location.assign('/login'); return; }
  const list = await answer.json();
  token = list.token;
  $('logout').hidden = !list.login;
  const first = cameras.length === 0;
  cameras = list.cameras;
  if (first) {
    const wall = $('wall');
    wall.replaceChildren(...cameras.map(cell));
    cameras.forEach(listen);
    watchWall(true);
    $('state').textContent = cameras.length ? '' : 'no cameras';
  }
  cameras.forEach(describe);
}

function listen(camera) {
  const source = new EventSource(`/cameras/${camera.index}/events`);
  source.onmessage = (e) => {
    let line;
    try { line = JSON.parse(e.data); } catch { return; }
    line.camera = camera.index;
    window.camviewEvents.push(line);
    if (window.camviewEvents.length > 1000) window.camviewEvents.splice(0, 500);
    if ('fps' in line) { camera.fps = line.fps; describe(camera); }
    if ('status' in line) { camera.status = camera.fps > 0 ? '' : line.status; describe(camera); }
    const now = said.get(camera.index) || {};
    if ('message' in line) now.message = String(line.message);
    if ('cursor' in line) now.cursor = String(line.cursor);
    said.set(camera.index, now);
    if (camera.index !== large) return;
    if ('message' in line) $('message').textContent = now.message;
    if ('cursor' in line) showCursor(camera.index, now.cursor);
  };
  sources[camera.index] = source;
}

// The CSS cursor for a cursor's name, its hot spot asked once per name.
async function cssCursor(name) {
  const system = { none: 'default', arrow: 'default', hand: 'pointer', wait: 'wait' };
  if (name in system) return system[name];
  const file = name.replace(/ /g, '-');
  if (!/^[\w.-]+$/.test(file)) return 'crosshair';
  if (!cursors.has(file)) {
    cursors.set(file, fetch(`/cursors/${file}.png`, { method: 'HEAD' }).then((answer) => {
      const hot = (answer.headers.get('X-Hotspot') || '0,0').split(',').map((n) => parseInt(n, 10) || 0);
      return answer.ok ? `url(/cursors/${file}.png) ${hot[0]} ${hot[1]}, crosshair` : 'crosshair';
    }, () => { cursors.delete(file); return 'crosshair'; }));
  }
  return cursors.get(file);
}

async function showCursor(index, name) {
  const css = name ? await cssCursor(name) : '';
  // Only if it is still this camera's cursor when the answer comes.
  if (index === large && (said.get(index) || {}).cursor === name) $('picture').style.cursor = css;
}

// Only the pictures shown are streamed: a camera's watchers are counted.
function watchWall(on) {
  for (const figure of document.querySelectorAll('#wall figure')) {
    const img = figure.querySelector('img');
    if (on) img.src = `/cameras/${figure.dataset.index}/live.mjpeg`;
    else img.removeAttribute('src');
  }
}

function show(index) {
  large = index;
  const camera = cameras.find((c) => c.index === index);
  watchWall(false);
  $('wall').hidden = true;
  $('large').hidden = false;
  const img = $('picture');
  img.width = camera.width;
  img.height = camera.height;
  img.alt = camera.name;
  img.src = `/cameras/${index}/live.mjpeg`;
  $('snapshot').href = `/cameras/${index}/frame.jpg`;
  $('snapshot').download = `${camera.name.replace(/[^\w.-]+/g, '_')}.jpg`;
  const now = said.get(index) || {};
  $('message').textContent = now.message || '';
  img.style.cursor = '';
  showCursor(index, now.cursor);
  describe(camera);
}

function back() {
  releasePointer();
  large = -1;
  $('picture').removeAttribute('src');
  $('large').hidden = true;
  $('wall').hidden = false;
  watchWall(true);
}

// Lets go of what a press holds down on the large picture (set by pointerInput).
let releasePointer = () => {};

// The mouse and the fingers on the large picture. A press of the left
// button or of one finger is a click when let go within HOLD_MS, the right
// button held down when held longer; a mouse that moves first drags with
// the left button. Two fingers pinch: the wheel.
function pointerInput() {
  const img = $('picture');
  const touches = new Map(); // pointerId -> {x, y}
  let press = null;          // {id, x, y, timer}: a press not yet a click or a hold
  let held = false;          // the right button is down from a press held
  let dragging = false;      // the left button is down from a mouse moved while pressed
  let pinch = 0;
  let lastMove = 0, trailing = null;
  let wheelSum = 0, wheelAt = 0;
  const buttonOf = (e) => (e.button === 2 ? 'right' : e.button === 1 ? 'middle' : 'left');
  const spread = () => {
    const [a, b] = [...touches.values()];
    return Math.hypot(a.x - b.x, a.y - b.y);
  };
  const forget = () => { if (press) clearTimeout(press.timer); press = null; };
  const letGo = (x, y) => {
    if (held) {
      held = false;
      operate('up', 'right', x, y);
      // A move after the release ends the control's gesture, as the mouse's would.
      operate('move', 'left', x, y);
    }
    if (dragging) { dragging = false; operate('up', 'left', x, y); }
  };
  // Closing the camera lets go of the buttons held down, where the pointer was last.
  let lastPoint = { x: 0, y: 0 };
  img.addEventListener('pointerdown', (e) => { lastPoint = { x: e.clientX, y: e.clientY }; });
  img.addEventListener('pointermove', (e) => { lastPoint = { x: e.clientX, y: e.clientY }; });
  releasePointer = () => {
    forget();
    touches.clear();
    pinch = 0;
    letGo(lastPoint.x, lastPoint.y);
  };
  const moveTo = (x, y) => {
    clearTimeout(trailing);
    const wait = lastMove + MOVE_EVERY_MS - performance.now();
    // The last of a quick run of moves is sent late, not lost.
    if (wait > 0) { trailing = setTimeout(() => moveTo(x, y), wait); return; }
    lastMove = performance.now();
    operate('move', 'left', x, y);
  };

  img.addEventListener('contextmenu', (e) => e.preventDefault());
  img.addEventListener('pointerdown', (e) => {
    e.preventDefault();
    img.setPointerCapture(e.pointerId);
    const x = e.clientX, y = e.clientY;
    if (e.pointerType === 'mouse' && e.button !== 0) { operate('down', buttonOf(e), x, y); return; }
    if (e.pointerType !== 'mouse') {
      touches.set(e.pointerId, { x, y });
      if (touches.size > 1) {
        // A second finger: a pinch, whatever the first one started.
        forget();
        letGo(x, y);
        pinch = touches.size === 2 ? spread() : 0;
        return;
      }
      // A finger comes down without a move before it: the control is told
      // where the pointer is first, as a mouse would have.
      operate('move', 'left', x, y);
    }
    forget();
    press = { id: e.pointerId, x, y, timer: setTimeout(() => {
      press = null;
      held = true;
      operate('down', 'right', x, y);
    }, HOLD_MS) };
  });
  img.addEventListener('pointermove', (e) => {
    if (touches.has(e.pointerId)) {
      touches.set(e.pointerId, { x: e.clientX, y: e.clientY });
      if (touches.size === 2 && pinch > 0) {
        const now = spread();
        const [a, b] = [...touches.values()];
        while (now > pinch * PINCH_STEP || now < pinch / PINCH_STEP) {
          const zoomIn = now > pinch;
          pinch = zoomIn ? pinch * PINCH_STEP : pinch / PINCH_STEP;
          operate('wheel', 'left', (a.x + b.x) / 2, (a.y + b.y) / 2, `&notches=${zoomIn ? 1 : -1}`);
        }
        return;
      }
    }
    if (press && e.pointerType === 'mouse' && Math.hypot(e.clientX - press.x, e.clientY - press.y) > DRAG_PX) {
      operate('down', 'left', press.x, press.y);
      forget();
      dragging = true;
    }
    moveTo(e.clientX, e.clientY);
  });
  const release = (e, cancelled) => {
    const x = e.clientX, y = e.clientY;
    if (e.pointerType === 'mouse' && e.button !== 0 && e.button !== -1) { operate('up', buttonOf(e), x, y); return; }
    if (e.pointerType !== 'mouse') {
      const wasPinch = touches.size > 1 || pinch > 0;
      touches.delete(e.pointerId);
      if (touches.size === 0) pinch = 0;
      if (wasPinch) return;
    }
    if (press && press.id === e.pointerId) {
      forget();
      // Let go in time: the left button's click.
      if (!cancelled) { operate('down', 'left', x, y); operate('up', 'left', x, y); }
      return;
    }
    letGo(x, y);
  };
  img.addEventListener('pointerup', (e) => release(e, false));
  img.addEventListener('pointercancel', (e) => release(e, true));
  img.addEventListener('wheel', (e) => {
    e.preventDefault();
    if (e.deltaY === 0) return;
    // A notch of a wheel is about 100 pixels (3 lines, a page); a touchpad
    // sends many small steps. The first step of a turn is a notch at once.
    const unit = e.deltaMode === 1 ? 3 : e.deltaMode === 2 ? 1 : 100;
    const away = -e.deltaY / unit, now = performance.now();
    if (now - wheelAt > WHEEL_PAUSE_MS) wheelSum = Math.abs(away) < 1 ? Math.sign(away) : away;
    else wheelSum += away;
    wheelAt = now;
    let notches = Math.trunc(wheelSum);
    wheelSum -= notches;
    notches = Math.max(-20, Math.min(20, notches));
    if (notches) operate('wheel', 'left', e.clientX, e.clientY, `&notches=${notches}`);
  }, { passive: false });
}

document.addEventListener('DOMContentLoaded', () => {
  $('back').addEventListener('click', back);
  $('stop').addEventListener('click', () => command('stop'));
  $('reload').addEventListener('click', () => command('reload'));
  $('record').addEventListener('click', () => command('record'));
  $('logout').addEventListener('click', () => post('/logout').then(() => location.assign('/login')));
  document.addEventListener('keydown', (e) => { if (e.key === 'Escape' && large >= 0) back(); });
  pointerInput();
  refresh();
  setInterval(refresh, 2000);
});
