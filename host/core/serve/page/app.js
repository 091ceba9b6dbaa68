// The wall page of camview serve: the cameras' painted pictures, one shown
// large on a tap, and on it the control's own operations. Every point is
// sent in the picture's own pixels as shown, with the size it is shown at:
// the service maps it to the control as the window maps a scaled view.
'use strict';

const HOLD_MS = 500;        // a press held this long is the right button
const MOVE_EVERY_MS = 50;   // moves sent at most this often
const PINCH_STEP = 1.15;    // a pinch this much wider (or narrower) is one wheel notch

let token = '';
let cameras = [];
let large = -1;
const sources = [];         // each camera's events
const cursors = new Map();  // cursor name -> CSS cursor
// What the events said, for whoever looks (the page's tests among them).
window.camviewEvents = [];

const $ = (id) => document.getElementById(id);

async function post(path) {
  const answer = await fetch(path, { method: 'POST', headers: { 'X-Camview-Token': token } });
  if (answer.status === 401) location.assign('/login');
  return answer.ok;
}

function operate(kind, button, x, y, extra = '') {
  const img = $('picture');
  const box = img.getBoundingClientRect();
  const w = Math.max(1, Math.round(box.width)), h = Math.max(1, Math.round(box.height));
  const px = Math.floor(x - box.left), py = Math.floor(y - box.top);
  return post(`/cameras/${large}/pointer?type=${kind}&button=${button}&x=${px}&y=${py}&w=${w}&h=${h}${extra}`);
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
    if (camera.index !== large) return;
    if ('message' in line) $('message').textContent = line.message;
    if ('cursor' in line) showCursor(line.cursor);
  };
  sources[camera.index] = source;
}

async function showCursor(name) {
  const img = $('picture');
  const system = { none: 'default', arrow: 'default', hand: 'pointer', wait: 'wait' };
  if (name in system) { img.style.cursor = system[name]; return; }
  const file = name.replace(/ /g, '-');
  if (!cursors.has(file)) {
    const answer = await fetch(`/cursors/${encodeURIComponent(file)}.png`, { method: 'HEAD' });
    const hot = (answer.headers.get('X-Hotspot') || '0,0').split(',').map(Number);
    cursors.set(file, answer.ok ? `url(/cursors/${file}.png) ${hot[0]} ${hot[1]}, crosshair` : 'crosshair');
  }
  img.style.cursor = cursors.get(file);
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
  $('message').textContent = '';
  describe(camera);
}

function back() {
  large = -1;
  $('picture').removeAttribute('src');
  $('large').hidden = true;
  $('wall').hidden = false;
  watchWall(true);
}

// The mouse and the fingers on the large picture.
function pointerInput() {
  const img = $('picture');
  const touches = new Map(); // pointerId -> {x, y}
  let hold = null;           // a touch waiting to become the right button
  let held = false;
  let pinch = 0;
  let lastMove = 0;
  const buttonOf = (e) => (e.button === 2 ? 'right' : e.button === 1 ? 'middle' : 'left');
  const spread = () => {
    const [a, b] = [...touches.values()];
    return Math.hypot(a.x - b.x, a.y - b.y);
  };

  img.addEventListener('contextmenu', (e) => e.preventDefault());
  img.addEventListener('pointerdown', (e) => {
    e.preventDefault();
    img.setPointerCapture(e.pointerId);
    if (e.pointerType === 'mouse') { operate('down', buttonOf(e), e.clientX, e.clientY); return; }
    touches.set(e.pointerId, { x: e.clientX, y: e.clientY });
    if (touches.size === 2) {
      clearTimeout(hold);
      hold = null;
      pinch = spread();
      return;
    }
    held = false;
    // A finger comes down without a move before it: the control is told
    // where the pointer is first, as a mouse would have.
    operate('move', 'left', e.clientX, e.clientY);
    hold = setTimeout(() => {
      hold = null;
      held = true;
      operate('down', 'right', e.clientX, e.clientY);
    }, HOLD_MS);
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
    const now = performance.now();
    if (now - lastMove < MOVE_EVERY_MS) return;
    lastMove = now;
    operate('move', 'left', e.clientX, e.clientY);
  });
  const release = (e) => {
    if (e.pointerType === 'mouse') { operate('up', buttonOf(e), e.clientX, e.clientY); return; }
    const wasPinch = touches.size === 2 || pinch > 0;
    touches.delete(e.pointerId);
    if (touches.size === 0) pinch = 0;
    if (wasPinch) return;
    if (hold) {
      // A tap: the left button's click.
      clearTimeout(hold);
      hold = null;
      operate('down', 'left', e.clientX, e.clientY).then(() => operate('up', 'left', e.clientX, e.clientY));
    } else if (held) {
      held = false;
      // A move after the release ends the control's gesture, as the mouse's would.
      operate('up', 'right', e.clientX, e.clientY).then(() => operate('move', 'left', e.clientX, e.clientY));
    }
  };
  img.addEventListener('pointerup', release);
  img.addEventListener('pointercancel', release);
  img.addEventListener('wheel', (e) => {
    e.preventDefault();
    if (e.deltaY === 0) return;
    operate('wheel', 'left', e.clientX, e.clientY, `&notches=${e.deltaY < 0 ? 1 : -1}`);
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
