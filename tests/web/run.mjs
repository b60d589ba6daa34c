// The browser tests: the built site in Debian's Chromium from a local server, played with a
// mouse and with touch as a child would, the canvas read back, the progress read back from
// the browser's storage after a reload and after the page was closed.
//   node tests/web/run.mjs SITE_DIR
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {
  ALPHABET, COVER, Fit, LAYOUT, SUBJECT, bmp24, cp1251, fitOf, goOffline, launch, letterColour, makeTestSite, nameVersion,
  newWindow, pixels, serve, tempDir, versionOf, writeContentList,
} from './harness.mjs';

const site = path.resolve(process.argv[2] || 'build-web/site');
const shots = path.resolve(path.dirname(site), 'test-shots');
fs.mkdirSync(shots, { recursive: true });

// --- Where the game puts things, in layout coordinates -----------------------------------
const GIRL = { x: 488, y: 200, w: 209, h: 209 };
const BOY = { x: 744, y: 200, w: 209, h: 201 };
const WHITE_LEVEL = { x: 224, y: 656, w: 217, h: 41 };
const YELLOW_LEVEL = { x: 448, y: 656, w: 217, h: 41 };
const PURPLE_LEVEL = { x: 672, y: 656, w: 217, h: 41 };
const BLACK_LEVEL = { x: 896, y: 656, w: 217, h: 41 };
const EXIT = { x: 8, y: 16, w: 57, h: 17 };
const HINT = { x: 16, y: 424, w: 201, h: 33 };
const SUBJECT_AREA = { x: 16, y: 464, w: 201, h: 201 };
const FORWARD = { x: 744, y: 424, w: 201, h: 249 };
const NEXT = { x: 744, y: 424, w: 201, h: 257 };
const MIDDLE = { x: 544, y: 296, w: 280, h: 60 };
const BOARD_LEFT = -16;
// The game's progress folder, kept in the browser's storage.
const PROGRESS = '/progress';

const GREEN = [0, 128, 0];
const GREY = [128, 128, 128];
const LIME = [0, 255, 0];
const BUTTON_FACE = [212, 208, 200];

const WORD = 'КОТ';
const letters = [...WORD].map((c) => ALPHABET.indexOf(c) + 1);
const rowLeft = Math.round((LAYOUT.width - 110 * letters.length) / 2) + BOARD_LEFT;  // 519.5 rounds to even: 520
const tilePlace = (i) => ({ x: rowLeft + (i - 1) * 100, y: 10, w: 90, h: 90 });
const cell = (j) => ({ x: rowLeft + (j - 1) * 100, y: 200, w: 90, h: 90 });
const centre = (a) => [a.x + Math.floor(a.w / 2), a.y + Math.floor(a.h / 2)];
const offset = (a, dx, dy) => ({ ...a, x: a.x + dx, y: a.y + dy });

// --- Looks: what an area of the screen must show -----------------------------------------
const filled = (what, area, rgb) => ({ what, area, rgb, kind: 'filled' });
const lacking = (what, area, rgb) => ({ what, area, rgb, kind: 'lacking' });
const mostly = (what, area, rgb, share) => ({ what, area, rgb, kind: 'mostly', share });

function samplePoints(area, fit) {
  // Away from the edges on a scaled screen, where filtering mixes neighbours.
  const inset = fit.unscaled ? 1 : 2;
  const x0 = area.x + inset, y0 = area.y + inset;
  const x1 = area.x + area.w - 1 - inset, y1 = area.y + area.h - 1 - inset;
  const pts = [];
  const nx = Math.min(7, Math.max(1, x1 - x0 + 1)), ny = Math.min(7, Math.max(1, y1 - y0 + 1));
  for (let i = 0; i < nx; ++i)
    for (let j = 0; j < ny; ++j)
      pts.push([Math.round(x0 + ((x1 - x0) * i) / Math.max(1, nx - 1)), Math.round(y0 + ((y1 - y0) * j) / Math.max(1, ny - 1))]);
  return pts;
}

const near = (a, b, tolerance) => a.every((v, i) => Math.abs(v - b[i]) <= tolerance);

async function check(page, fit, looks) {
  const tolerance = fit.unscaled ? 8 : 24;
  for (const look of looks) {
    const pts = samplePoints(look.area, fit);
    const seen = await pixels(page, fit, pts);
    const hits = seen.filter((c) => near(c, look.rgb, tolerance)).length;
    const ok = look.kind === 'filled' ? hits === seen.length
      : look.kind === 'lacking' ? hits === 0 : hits >= look.share * seen.length;
    if (!ok) {
      const bad = seen.find((c) => (look.kind === 'lacking') === near(c, look.rgb, tolerance));
      return `${look.what}: expected ${look.kind} rgb(${look.rgb}), saw rgb(${bad})`;
    }
  }
  return null;
}

class Failure extends Error {}

// Waits until every look holds; on failure keeps a screenshot named for the step.
async function waitFor(page, step, looks, timeoutMs = 10000) {
  const fit = await fitOf(page);
  const until = Date.now() + timeoutMs;
  let problem = null;
  while (Date.now() < until) {
    problem = await check(page, fit, looks);
    if (!problem) return;
    await new Promise((r) => setTimeout(r, 50));
  }
  const shot = path.join(shots, step.replace(/[^a-zA-Z0-9]+/g, '-') + '.png');
  await page.screenshot({ path: shot }).catch(() => {});
  throw new Failure(`${step}: ${problem} (screenshot ${shot})`);
}

const choiceScreen = () => [
  lacking('the girl', { x: GIRL.x + 64, y: GIRL.y + 64, w: 80, h: 80 }, GREEN),
  lacking('the boy', { x: BOY.x + 64, y: BOY.y + 64, w: 80, h: 80 }, GREEN),
  filled('no level blocks yet', { x: WHITE_LEVEL.x, y: WHITE_LEVEL.y, w: 889, h: 41 }, GREEN),
  lacking('no exit button', EXIT, BUTTON_FACE)];
const levelBlocks = () => [
  filled('the white level', WHITE_LEVEL, [255, 255, 255]), filled('the yellow level', YELLOW_LEVEL, [255, 255, 0]),
  filled('the purple level', PURPLE_LEVEL, [128, 0, 128]), filled('the black level', BLACK_LEVEL, [0, 0, 0])];
function freshWord() {
  const looks = [filled('the subject picture', SUBJECT_AREA, SUBJECT),
    filled('the hint button', { x: HINT.x + 2, y: HINT.y + 4, w: 14, h: 20 }, BUTTON_FACE),
    filled('no forward picture', FORWARD, GREEN)];
  letters.forEach((_, k) => {
    looks.push(filled(`face-down tile ${k + 1}`, tilePlace(k + 1), COVER));
    looks.push(filled(`grey cell ${k + 1}`, cell(k + 1), GREY));
  });
  return looks;
}
function solved() {
  const looks = [];
  letters.forEach((n, k) => {
    looks.push(filled(`the right letter in cell ${k + 1}`, cell(k + 1), letterColour(n)));
    looks.push(filled(`an empty top-row place ${k + 1}`, tilePlace(k + 1), GREEN));
  });
  return looks;
}
const messageBox = () => [mostly("the message box's panel", MIDDLE, BUTTON_FACE, 0.3)];

// --- Pointers: a mouse, or one finger -----------------------------------------------------
class Mouse {
  constructor(page) { this.page = page; }
  async init() { this.fit = await fitOf(this.page); }
  async press([x, y]) { await this.move([x, y]); await this.page.mouse.down(); }
  async move([x, y]) { const [px, py] = this.fit.toPage(x, y); await this.page.mouse.move(px, py); }
  async release() { await this.page.mouse.up(); }
  async click(p) { await this.press(p); await this.release(); }
}

class Finger {
  constructor(page) { this.page = page; this.at = [0, 0]; }
  async init() {
    this.fit = await fitOf(this.page);
    this.cdp = await this.page.createCDPSession();
  }
  async send(type, points) {
    await this.cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
  }
  point([x, y]) { const [px, py] = this.fit.toPage(x, y); return [{ x: px, y: py, id: 1, radiusX: 4, radiusY: 4, force: 1 }]; }
  async press(p) { this.at = p; await this.send('touchStart', this.point(p)); }
  async move(p) { this.at = p; await this.send('touchMove', this.point(p)); }
  async release() { await this.send('touchEnd', []); }
  async click(p) { await this.press(p); await this.release(); }
}

function steps(from, to, count) {
  const pts = [];
  for (let k = 1; k <= count; ++k)
    pts.push([from[0] + Math.trunc(((to[0] - from[0]) * k) / count), from[1] + Math.trunc(((to[1] - from[1]) * k) / count)]);
  return pts;
}

// Presses on the face-down tile at place i and nudges it: the held tile shows its letter,
// whose colour tells the cell it belongs in.
async function lift(page, pointer, place) {
  const grab = centre(tilePlace(place));
  await pointer.press(grab);
  const held = [grab[0] + 6, grab[1] + 6];
  for (const p of steps(grab, held, 2)) await pointer.move(p);
  const fit = await fitOf(page);
  const until = Date.now() + 10000;
  while (Date.now() < until) {
    const [seen] = await pixels(page, fit, [held]);
    const k = letters.findIndex((n) => near(seen, letterColour(n), fit.unscaled ? 8 : 24));
    if (k >= 0) return { pointer: held, cell: k + 1 };
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Failure(`the letter of the lifted tile from place ${place} never showed`);
}

async function dropInCell(page, pointer, held) {
  const c = cell(held.cell);
  const above = [centre(c)[0], centre(c)[1] - 40];
  for (const p of steps(held.pointer, above, 6)) await pointer.move(p);
  await waitFor(page, `the tile held over cell ${held.cell}`, [
    filled("the held tile's letter", offset(c, 0, -40), letterColour(letters[held.cell - 1])),
    filled('the lit cell below it', { x: c.x, y: c.y + 52, w: 90, h: 36 }, LIME)]);
  await pointer.release();
  await waitFor(page, `the tile glided into cell ${held.cell}`,
    [filled('the letter in its cell', c, letterColour(letters[held.cell - 1]))]);
}

async function solveByDragging(page, pointer) {
  for (let place = 1; place <= letters.length; ++place) await dropInCell(page, pointer, await lift(page, pointer, place));
  await waitFor(page, 'the solved word', [...solved(), lacking('the forward picture', { x: FORWARD.x + 20, y: FORWARD.y + 20, w: 150, h: 150 }, GREEN)]);
}

// "Выход", answered yes: the game saves and the choice screen comes back.
async function leave(page, pointer, step) {
  await pointer.click(centre(EXIT));
  await waitFor(page, `the exit question ${step}`, messageBox());
  await page.keyboard.press('Enter');
  await waitFor(page, `the choice screen after Выход ${step}`, choiceScreen());
}

// --- The page ----------------------------------------------------------------------------

// Counts the animation frames the page asks for, to tell an idle page from a busy one.
const COUNT_FRAMES = () => {
  window.framesAsked = 0;
  const ask = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (f) => { window.framesAsked++; return ask(f); };
};

// Listens to the page's audio output: SDL plays through a script processor node, whose every
// buffer is looked at after the game has filled it. A loud buffer's pitch (from its zero
// crossings) tells which of the test content's tones it is, so a plain beep in place of a
// sound is not taken for it.
const LISTEN = () => {
  window.heard = { buffers: 0, loud: 0, pitches: [] };
  const proto = window.ScriptProcessorNode && ScriptProcessorNode.prototype;
  const own = proto && Object.getOwnPropertyDescriptor(proto, 'onaudioprocess');
  if (!own) return;
  Object.defineProperty(proto, 'onaudioprocess', {
    configurable: true,
    get() { return own.get.call(this); },
    set(handler) {
      own.set.call(this, handler && function(e) {
        const result = handler.call(this, e);
        const data = e.outputBuffer.getChannelData(0);
        let peak = 0, crossings = 0;
        for (let i = 0; i < data.length; ++i) {
          peak = Math.max(peak, Math.abs(data[i]));
          if (i && (data[i - 1] < 0) !== (data[i] < 0)) crossings++;
        }
        window.heard.buffers++;
        if (peak > 0.05) {
          window.heard.loud++;
          window.heard.pitches.push(Math.round((crossings / 2) * (e.outputBuffer.sampleRate / data.length)));
        }
        return result;
      });
    },
  });
};

// Waits until the page has played a tone of `hz` (the test content's sounds are tones of
// their own) in at least two buffers since `since` loud buffers.
async function heardTone(page, step, hz, since) {
  const until = Date.now() + 10000;
  let heard = null;
  while (Date.now() < until) {
    heard = await page.evaluate(() => window.heard);
    if (heard.pitches.slice(since).filter((p) => Math.abs(p - hz) <= 40).length >= 2) return;
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Failure(`${step}: no ${hz} Hz heard (${heard.loud} loud buffers of ${heard.buffers}; pitches ${heard.pitches.slice(since, since + 20)})`);
}
const loudSoFar = async (page) => (await page.evaluate(() => window.heard.loud));

// What the page itself asked for, by path (the service worker's own fetches are not the page's).
function watchRequests(page) {
  const asked = [];
  page.on('request', (r) => asked.push(decodeURIComponent(new URL(r.url()).pathname)));
  return asked;
}

async function open(browser, url, { width = LAYOUT.width, height = LAYOUT.height, ratio = 1, touch = false, before } = {}) {
  const page = await browser.newPage();
  await page.setViewport({ width, height, deviceScaleFactor: ratio, isMobile: touch, hasTouch: touch });
  await page.evaluateOnNewDocument(COUNT_FRAMES);
  await page.evaluateOnNewDocument(LISTEN);
  if (before) await page.evaluateOnNewDocument(before);
  page.on('pageerror', (e) => console.log(`  page error: ${e.message}`));
  page.asked = watchRequests(page);
  await page.goto(url);
  await started(page);
  return page;
}

const started = (page, timeout = 20000) => page.waitForFunction(() => window.Module && Module.firstFrameShown, { timeout });

// The whole content pack kept by the service worker, fetched in the background.
const packKept = (page) => page.waitForFunction(() => WebOffline.packKept && !WebOffline.packKept.missing, { timeout: 60000 });

// What the open message box says (the page's alert region for screen readers).
async function boxSays(page, step, text) {
  const until = Date.now() + 10000;
  let said = '';
  while (Date.now() < until) {
    said = await page.$eval('#said', (e) => e.textContent);
    if (said.includes(text)) return said;
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Failure(`${step}: the box says ${JSON.stringify(said)}, not ${JSON.stringify(text)}`);
}

const shown = (page, selector) => page.$eval(selector, (e) => getComputedStyle(e).display !== 'none');

// The first tap goes to the notice over the game, which then gets out of the way.
async function firstTap(page, pointer) {
  await pointer.init();
  const notice = await page.$eval('#start', (e) => e.textContent);
  if (!/Нажмите/.test(notice) || !/весь экран/.test(notice) || !/звук/.test(notice))
    throw new Failure(`the notice before the first tap says: ${notice}`);
  await pointer.click(centre(GIRL));
  await page.waitForFunction(() => document.getElementById('start').classList.contains('hidden'), { timeout: 5000 });
}

// The progress file as the browser's storage holds it (IndexedDB, read directly).
async function storedProgress(page, name, encoding = 'utf-8') {
  return page.evaluate(async (dir, file, encoding) => new Promise((resolve) => {
    const request = indexedDB.open(dir);
    request.onerror = () => resolve('(no storage)');
    request.onsuccess = () => {
      const db = request.result;
      if (!db.objectStoreNames.contains('FILE_DATA')) { resolve('(empty storage)'); return; }
      const get = db.transaction('FILE_DATA').objectStore('FILE_DATA').get(dir + '/' + file);
      get.onsuccess = () => resolve(get.result ? new TextDecoder(encoding).decode(get.result.contents) : '(no file)');
      get.onerror = () => resolve('(unreadable)');
    };
  }), PROGRESS, name, encoding);
}

async function gameFile(page, file) {
  return page.evaluate((f) => {
    try { return new TextDecoder().decode(FS.readFile(f)); } catch (e) { return '(no file)'; }
  }, file);
}

// The gate's numbers are written in words, which a test cannot read: the page is given the
// gate's seed (as the desktop's tests give TIMBURIK_GATE_SEED), and the test holds the tiles
// it names. Seed 7 asks for 38, shown on the fourth tile, then 47, on the eighth.
const PAPER = [255, 245, 230];
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const GATE_SEED = 7;
const GATE_TILES = [3, 7];
const gateTile = (i) => ({ x: 299 + (i % 4) * 200, y: 336 + Math.trunc(i / 4) * 116, w: 170, h: 100 });
// Button `slot` of `count` along the bottom of the corner's page.
const cornerButton = (slot, count) => {
  const width = Math.trunc((LAYOUT.width - 48 - 14 * (count - 1)) / count);
  return centre({ x: 24 + slot * (width + 14), y: 630, w: width, h: 52 });
};
const cornerKey = (k) => centre({ x: 220 + (k % 12) * 78, y: 230 + Math.trunc(k / 12) * 78, w: 70, h: 70 });
async function throughTheGate(page, mouse) {
  const GEAR = { x: 1304, y: 636, w: 52, h: 52 };
  await page.evaluate((seed) => { Module.gateSeed = seed; }, GATE_SEED);
  await mouse.click(centre(GEAR));
  await waitFor(page, 'the gate', [filled("the gate's panel", { x: 300, y: 300, w: 20, h: 20 }, PAPER)]);
  for (const tile of GATE_TILES) {
    await mouse.press(centre(gateTile(tile)));
    // Held past the gate's ticks, with room for a slow machine's.
    await sleep(2300);
    await mouse.release();
  }
  await waitFor(page, 'the corner', [filled("the corner's paper", { x: 1020, y: 600, w: 20, h: 20 }, PAPER)]);
}

// A site of the test's own (the test content, changed by `prepare(dir, files)` if given),
// served for `run(server, files)` alone and removed after it.
async function onOwnSite(name, prepare, run) {
  const dir = tempDir(name);
  const files = makeTestSite(site, dir, WORD);
  if (prepare) prepare(dir, files);
  const own = await serve(dir);
  try {
    await run(own, files, dir);
  } finally {
    own.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// --- The tests ---------------------------------------------------------------------------
const tests = [];
// `args`: more of Chromium's switches for the browser the test runs in.
const test = (name, fn, args = []) => tests.push({ name, fn, args });
const expectEqual = (what, actual, expected) => {
  if (actual !== expected) throw new Failure(`${what}: expected ${JSON.stringify(expected)}, got ${JSON.stringify(actual)}`);
};

test('a child plays with the mouse, leaves with Выход, and the score is there after a reload', async ({ browser, server }) => {
  const page = await open(browser, server.url);
  const mouse = new Mouse(page);
  await firstTap(page, mouse);
  await waitFor(page, 'the choice screen', choiceScreen());
  // Only what the first screens need was fetched by the game: the first word is set up at
  // start, so its letters and its picture, and none of the other letters. (The service worker
  // fetches the rest afterwards, for offline play.)
  const wanted = new Set([...letters.map((n) => `/content/Morvadel/Буквы/one1/${n}.bmp`), `/content/subjects/${WORD}.bmp`]);
  const extra = page.asked.filter((p) => /Morvadel|subjects/.test(p) && !wanted.has(p));
  if (extra.length) throw new Failure(`fetched before they were needed: ${extra}`);
  await mouse.click(centre(GIRL));
  await waitFor(page, 'the level blocks', levelBlocks());
  await mouse.click(centre(WHITE_LEVEL));
  await waitFor(page, 'the first word', [...freshWord(), filled('the exit button', { x: EXIT.x + 2, y: EXIT.y + 3, w: 6, h: 11 }, BUTTON_FACE)]);
  const twice = page.asked.filter((p) => p.startsWith('/content/') && page.asked.filter((q) => q === p).length > 1);
  if (twice.length) throw new Failure(`content fetched more than once: ${[...new Set(twice)]}`);
  await solveByDragging(page, mouse);

  await mouse.click(centre(FORWARD));
  await waitFor(page, 'the next word', freshWord());
  const framesBefore = await page.evaluate(() => window.framesAsked);
  await mouse.click(centre(HINT));
  await waitFor(page, 'the hint given', [filled('no hint button', HINT, GREEN), lacking('the next picture', { x: NEXT.x + 20, y: NEXT.y + 20, w: 150, h: 150 }, GREEN)]);
  await waitFor(page, 'the tiles glided home and into their cells', solved());
  if ((await page.evaluate(() => window.framesAsked)) === framesBefore) throw new Failure('the glide ran without display frames');
  await mouse.click(centre(NEXT));
  await waitFor(page, 'after the next picture', [...solved(), filled('no subject picture', SUBJECT_AREA, GREEN)]);

  await mouse.click(centre(EXIT));
  await waitFor(page, 'the exit question', messageBox());
  await page.keyboard.press('Enter');
  // A page cannot close itself: the choice screen comes back for the next child.
  await waitFor(page, 'the choice screen after Выход', choiceScreen());
  expectEqual('the saved score in the storage', await storedProgress(page, 'Confif.cnf'), '1');

  await page.reload();
  await page.waitForFunction(() => window.Module && Module.firstFrameShown, { timeout: 20000 });
  expectEqual('the score the game reads after a reload', await gameFile(page, PROGRESS + '/Confif.cnf'), '1');
  expectEqual("the boy's progress", await gameFile(page, PROGRESS + '/Confis.cnf'), '(no file)');
  await page.close();
});

test('the game is heard: each letter said as its tile is picked up, the drum and the word when solved, the hint\'s word, online and offline', async ({ browser, server }) => {
  const page = await open(browser, server.url);
  const mouse = new Mouse(page);
  await firstTap(page, mouse);
  await mouse.click(centre(GIRL));
  await waitFor(page, 'the level blocks', levelBlocks());
  await mouse.click(centre(WHITE_LEVEL));
  await waitFor(page, 'the first word', freshWord());
  for (let place = 1; place <= letters.length; ++place) {
    const since = await loudSoFar(page);
    const held = await lift(page, mouse, place);
    await heardTone(page, `the letter of tile ${place} said`, 400, since);
    await dropInCell(page, mouse, held);
  }
  const solvedAt = await loudSoFar(page);
  await waitFor(page, 'the solved word', solved());
  await heardTone(page, 'the drum', 300, solvedAt);
  await heardTone(page, 'the word said', 500, solvedAt);
  await leave(page, mouse, 'after the word');

  // Offline, from what the first visit kept: the hint's word is said.
  await packKept(page);
  await goOffline(browser, page);
  await page.reload();
  await started(page);
  await firstTap(page, mouse);
  await mouse.click(centre(GIRL));
  await waitFor(page, 'the level blocks offline', levelBlocks());
  await mouse.click(centre(WHITE_LEVEL));
  await waitFor(page, 'the first word offline', freshWord());
  const hintAt = await loudSoFar(page);
  await mouse.click(centre(HINT));
  await waitFor(page, 'the hint given offline', solved());
  await heardTone(page, "the hint's word said offline", 500, hintAt);
  await page.close();
});

test('an idle page asks the browser for no frames', async ({ browser, server }) => {
  const page = await open(browser, server.url);
  await waitFor(page, 'the choice screen', choiceScreen());
  await new Promise((r) => setTimeout(r, 300));
  const before = await page.evaluate(() => window.framesAsked);
  await new Promise((r) => setTimeout(r, 2000));
  expectEqual('frames asked over two idle seconds', (await page.evaluate(() => window.framesAsked)) - before, 0);
  await page.close();
});

test('on a phone a finger drags the letters, and closing the page keeps the score', async ({ browser, server }) => {
  const page = await open(browser, server.url, { width: 844, height: 390, ratio: 3, touch: true });
  const finger = new Finger(page);
  await firstTap(page, finger);
  const fit = await fitOf(page);
  if (fit.unscaled || fit.width !== 844 * 3) throw new Failure(`the canvas should fill the phone's screen, is ${fit.width}x${fit.height}`);
  await waitFor(page, 'the choice screen on a phone', choiceScreen());
  await finger.click(centre(BOY));
  await waitFor(page, 'the level blocks on a phone', levelBlocks());
  await finger.click(centre(YELLOW_LEVEL));
  await waitFor(page, 'the first word on a phone', freshWord());
  const held = await lift(page, finger, 1);
  // The page itself must not move under a drag: no scrolling, no zooming.
  for (const p of steps(held.pointer, [held.pointer[0], held.pointer[1] + 150], 5)) await finger.move(p);
  const moved = await page.evaluate(() => [window.scrollX, window.scrollY, window.visualViewport ? window.visualViewport.scale : 1]);
  expectEqual('page scroll and zoom during a drag', moved.join(','), '0,0,1');
  held.pointer = [held.pointer[0], held.pointer[1] + 150];
  await dropInCell(page, finger, held);
  for (let place = 2; place <= letters.length; ++place) await dropInCell(page, finger, await lift(page, finger, place));
  await waitFor(page, 'the solved word on a phone', solved());

  // No Выход: the tab is simply closed, which saves as a window manager's close does.
  await page.close({ runBeforeUnload: false });
  const again = await open(browser, server.url);
  expectEqual('the score after the page was closed', await gameFile(again, PROGRESS + '/Confis.cnf'), '1');
  await again.close();
});

// The game's own words where the browser refuses the site its storage.
const NOT_KEPT = 'Счёт нельзя сохранить на этом устройстве.';

test('without storage the game says at the start and at each save that the score cannot be kept, and goes on', async ({ browser, server }) => {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 1024, height: 600 });
  // As in a browser that refuses storage to the site.
  await page.evaluateOnNewDocument(() => {
    IDBFactory.prototype.open = function () { throw new DOMException('storage is switched off', 'SecurityError'); };
  });
  await page.goto(server.url);
  await started(page);
  const mouse = new Mouse(page);
  await firstTap(page, mouse);
  await waitFor(page, 'the box at the start', messageBox());
  expectEqual('the box at the start', await boxSays(page, 'the box at the start', NOT_KEPT), NOT_KEPT);
  await page.keyboard.press('Enter');
  await waitFor(page, 'the choice screen after the box', choiceScreen());
  await mouse.click(centre(GIRL));
  await waitFor(page, 'the level blocks without storage', levelBlocks());
  await mouse.click(centre(BLACK_LEVEL));
  await waitFor(page, 'the first word without storage', freshWord());
  await mouse.click(centre(EXIT));
  await waitFor(page, 'the exit question without storage', messageBox());
  await page.keyboard.press('Enter');
  await boxSays(page, 'the failed save reported', 'File access denied.');
  await boxSays(page, 'the failed save reported', NOT_KEPT);
  await waitFor(page, 'the failed save reported', messageBox());
  await page.keyboard.press('Enter');
  await waitFor(page, 'the game still there after the message', freshWord());
  await context.close();
});

test('a second visit asks again only for the page and the content list; a changed picture is fetched anew', async ({ browser, server }) => {
  const first = await open(browser, server.url);
  await waitFor(first, 'the choice screen', choiceScreen());
  await packKept(first);
  await first.close();
  server.log.length = 0;
  const second = await open(browser, server.url);
  await waitFor(second, 'the choice screen on a second visit', choiceScreen());
  const again = server.log.filter((r) => /\/timburik\.(js|wasm)$/.test(r.path) || (r.path.startsWith('/content/') && r.path !== '/content/index.txt'));
  if (again.length) throw new Failure(`asked for again on a second visit: ${again.map((r) => `${r.path} (${r.status})`)}`);
  if (!server.log.some((r) => r.path === '/content/index.txt')) throw new Failure('the content list was not asked for again');
  await second.close();

  // A parent replaces the picture: a new version in the list, and the next visit has it.
  const picture = `subjects/${WORD}.bmp`;
  const changed = Buffer.from(testContent[picture]);
  changed.fill(0x7f, 54);
  const file = path.join(root, 'content', picture);
  try {
    fs.writeFileSync(file, changed);
    writeContentList(path.join(root, 'content'), { ...testContent, [picture]: changed });
    server.log.length = 0;
    const third = await open(browser, server.url);
    await waitFor(third, 'the choice screen after the change', choiceScreen());
    const fetched = server.log.filter((r) => r.path === `/content/${picture}`);
    expectEqual('answers for the changed picture', fetched.map((r) => r.status).join(), '200');
    const shown = await third.evaluate((f) => Array.from(FS.readFile(f).subarray(54, 57)), `/content/${picture}`);
    expectEqual("the changed picture's first pixel in the game's files", shown.join(), '127,127,127');
    await third.close();
  } finally {
    fs.writeFileSync(file, testContent[picture]);
    writeContentList(path.join(root, 'content'), testContent);
  }
});

// --- Offline and installed ---------------------------------------------------------------

// Counts the page's requests that the browser keep the site's storage.
const COUNT_PERSIST = () => {
  window.persistAsked = 0;
  if (navigator.storage) navigator.storage.persist = () => { window.persistAsked++; return Promise.resolve(true); };
};

// Every file of a site folder, by the path the browser asks for it by.
function siteFiles(dir) {
  const found = new Set(['/']);
  const walk = (rel) => {
    for (const e of fs.readdirSync(path.join(dir, rel), { withFileTypes: true })) {
      const next = rel ? `${rel}/${e.name}` : e.name;
      if (e.isDirectory()) walk(next); else found.add(`/${next}`);
    }
  };
  walk('');
  return found;
}

// Every address the site's caches hold, by cache.
const cachedUrls = (page) => page.evaluate(async () => {
  const all = {};
  for (const name of await caches.keys()) all[name] = (await (await caches.open(name)).keys()).map((r) => r.url);
  return all;
});

test('after one visit the game plays with the network off: a reload, a word, Выход, a reload, the score is there', async ({ browser, server }) => {
  const page = await open(browser, server.url, { before: COUNT_PERSIST });
  await packKept(page);
  await goOffline(browser, page);
  const before = server.log.length;
  await page.reload();
  await started(page);
  const mouse = new Mouse(page);
  await firstTap(page, mouse);
  await waitFor(page, 'the choice screen offline', choiceScreen());
  expectEqual('asked to keep the storage before a profile is chosen', await page.evaluate(() => window.persistAsked), 0);
  await mouse.click(centre(GIRL));
  await waitFor(page, 'the level blocks offline', levelBlocks());
  await mouse.click(centre(PURPLE_LEVEL));
  await waitFor(page, 'the first word offline', freshWord());
  expectEqual('asked to keep the storage once a profile is chosen', await page.evaluate(() => window.persistAsked), 1);
  await solveByDragging(page, mouse);
  await leave(page, mouse, 'offline');
  await page.reload();
  await started(page);
  expectEqual('the score after a reload offline', await gameFile(page, PROGRESS + '/Confif.cnf'), '1');
  expectEqual('the score in the storage', await storedProgress(page, 'Confif.cnf'), '1');
  expectEqual('requests that reached the server offline', server.log.slice(before).map((r) => r.path).join(), '');
  // The caches hold the site's own files and nothing else: the progress never passes them.
  const files = siteFiles(root);
  const cached = Object.values(await cachedUrls(page)).flat().map((u) => decodeURIComponent(new URL(u).pathname));
  const strange = cached.filter((p) => !files.has(p));
  if (strange.length || !cached.length) throw new Failure(`cached besides the site's files: ${strange} (of ${cached.length})`);
  await page.close();
});

test('a new version published during a game: the game goes on, the next start runs the new version, the old files go', async ({ browser }) => {
  await onOwnSite('update-site', null, async (own, content, dir) => {
    const a = await open(browser, own.url);
    await packKept(a);
    const mouse = new Mouse(a);
    await firstTap(a, mouse);
    await mouse.click(centre(GIRL));
    await waitFor(a, 'the level blocks', levelBlocks());
    await mouse.click(centre(WHITE_LEVEL));
    await waitFor(a, 'the first word', freshWord());
    await dropInCell(a, mouse, await lift(a, mouse, 1));
    await a.evaluate(() => { window.sameGame = true; });

    // The new version: another picture for the word.
    const picture = `subjects/${WORD}.bmp`;
    const NEW_SUBJECT = [40, 90, 200];
    const changed = bmp24(200, 200, NEW_SUBJECT);
    const oldUrl = new URL(`content/subjects/${encodeURIComponent(WORD)}.bmp?v=${versionOf(content[picture])}`, own.url).href;
    fs.writeFileSync(path.join(dir, 'content', picture), changed);
    writeContentList(path.join(dir, 'content'), { ...content, [picture]: changed });
    const version = nameVersion(dir);
    // The tablet looks for news (as when the page is shown again) and fetches it in the background.
    await a.evaluate(() => navigator.serviceWorker.getRegistration().then((r) => r.update()));
    await a.waitForFunction(async () => !!(await navigator.serviceWorker.getRegistration()).waiting, { timeout: 30000 });

    for (let place = 2; place <= letters.length; ++place) await dropInCell(a, mouse, await lift(a, mouse, place));
    await waitFor(a, 'the word solved on the old version', [...solved(), filled('the old picture', SUBJECT_AREA, SUBJECT)]);
    expectEqual('the same game, never reloaded', await a.evaluate(() => window.sameGame), true);
    expectEqual('versions kept while the old one plays', Object.keys(await cachedUrls(a)).length, 2);
    await a.close();

    const c = await open(browser, own.url);
    const newWord = () => [...freshWord().filter((l) => l.area !== SUBJECT_AREA), filled('the new picture', SUBJECT_AREA, NEW_SUBJECT)];
    const play = async (step) => {
      const m = new Mouse(c);
      await firstTap(c, m);
      await m.click(centre(GIRL));
      await waitFor(c, `the level blocks ${step}`, levelBlocks());
      await m.click(centre(WHITE_LEVEL));
      await waitFor(c, `the first word ${step}`, newWord());
    };
    await play('on the next start');
    await packKept(c);
    const kept = await cachedUrls(c);
    expectEqual('the caches after the next start', Object.keys(kept).join(), `timburik-${version}`);
    if (Object.values(kept).flat().includes(oldUrl)) throw new Failure(`the old picture is still kept: ${oldUrl}`);
    await goOffline(browser, c);
    await c.reload();
    await started(c);
    await play('offline');
    await c.close();
  });
});

// A new build of the program: the same program with a custom section of its own appended,
// which a browser takes as another program (a new URL and new bytes to compile).
function publishNewProgram(dir) {
  const file = path.join(dir, 'timburik.wasm');
  const old = fs.readFileSync(file);
  const mark = Buffer.from(`update ${Date.now()}`);
  const name = Buffer.from('timburik-test');
  const body = Buffer.concat([Buffer.from([name.length]), name, mark]);
  const changed = Buffer.concat([old, Buffer.from([0, body.length]), body]);
  fs.writeFileSync(file, changed);
  const page = path.join(dir, 'index.html');
  const text = fs.readFileSync(page, 'utf8');
  const updated = text.replace(/timburik\.wasm\?v=[0-9a-f]+/, `timburik.wasm?v=${versionOf(changed)}`)
    .replace(`data-size="${old.length}"`, `data-size="${changed.length}"`);
  if (updated === text) throw new Failure('the page names no program version to change');
  fs.writeFileSync(page, updated);
  return nameVersion(dir);
}

// The program compiled `ms` later than it would be: slower than the storage answers.
const slowCompile = (ms) => `(() => {
  for (const name of ['instantiateStreaming', 'instantiate']) {
    const own = WebAssembly[name];
    WebAssembly[name] = (...args) => new Promise((r) => setTimeout(r, ${ms})).then(() => own.apply(WebAssembly, args));
  }
})()`;

test('the first start after a new program was published keeps the score and saves the session, however slow the program compiles', async ({ browser }) => {
  await onOwnSite('update-program', null, async (own, _, dir) => {
    const a = await open(browser, own.url);
    await packKept(a);
    const mouse = new Mouse(a);
    await firstTap(a, mouse);
    await mouse.click(centre(GIRL));
    await mouse.click(centre(WHITE_LEVEL));
    await waitFor(a, 'the first word', freshWord());
    await solveByDragging(a, mouse);
    await leave(a, mouse, 'on the old version');
    expectEqual('the score on the old version', await storedProgress(a, 'Confif.cnf'), '1');
    publishNewProgram(dir);
    await a.evaluate(() => navigator.serviceWorker.getRegistration().then((r) => r.update()));
    await a.waitForFunction(async () => !!(await navigator.serviceWorker.getRegistration()).waiting, { timeout: 30000 });
    await a.close();

    const b = await browser.newPage();
    await b.setViewport({ width: LAYOUT.width, height: LAYOUT.height });
    await b.evaluateOnNewDocument(slowCompile(1500));
    b.on('pageerror', (e) => console.log(`  page error: ${e.message}`));
    const warnings = [];
    b.on('console', (m) => warnings.push(m.text()));
    await b.goto(own.url);
    await started(b, 30000);
    expectEqual('the score read on the new version', await gameFile(b, PROGRESS + '/Confif.cnf'), '1');
    const said = await b.$eval('#said', (e) => e.textContent);
    if (said.includes('нельзя')) throw new Failure(`the start says: ${said}`);
    const m = new Mouse(b);
    await firstTap(b, m);
    await m.click(centre(GIRL));
    await m.click(centre(WHITE_LEVEL));
    await waitFor(b, 'the first word on the new version', freshWord());
    await solveByDragging(b, m);
    await leave(b, m, 'on the new version');
    expectEqual('the score saved on the new version', await storedProgress(b, 'Confif.cnf'), '2');
    const noStorage = warnings.filter((w) => /no storage/.test(w));
    if (noStorage.length) throw new Failure(`the console says: ${noStorage}`);
    await b.close();
  });
});

test('the site meets the browser\'s criteria for installing it as an app', async ({ browser, server }) => {
  const page = await open(browser, server.url);
  const cdp = await page.createCDPSession();
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  expectEqual('installability errors', JSON.stringify(installabilityErrors), '[]');
  const { errors, data } = await cdp.send('Page.getAppManifest');
  expectEqual('manifest errors', JSON.stringify(errors), '[]');
  const manifest = JSON.parse(data);
  expectEqual('display', manifest.display, 'fullscreen');
  // The home screens' icons: a maskable one for Android's launchers, the touch icon for iOS.
  const icons = [...manifest.icons.filter((i) => i.purpose === 'maskable').map((i) => i.src),
    await page.$eval('link[rel=apple-touch-icon]', (l) => l.getAttribute('href'))];
  if (icons.length < 2) throw new Failure(`home-screen icons: ${icons}`);
  for (const icon of icons) {
    const type = await page.evaluate((u) => fetch(u).then((r) => (r.ok ? r.headers.get('content-type') : String(r.status))), icon);
    expectEqual(`${icon}`, type, 'image/png');
  }
  await page.close();
});

// --- Faults found on tablets and phones ---------------------------------------------------

test('on slow Wi-Fi a tap before the game has loaded leaves the progress bar up until the first frame', async ({ browser, server }) => {
  const page = await browser.newPage();
  await page.setViewport({ width: 1024, height: 600, isMobile: true, hasTouch: true });
  const cdp = await page.createCDPSession();
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 150, downloadThroughput: 1.5e6 / 8, uploadThroughput: 1.5e6 / 8 });
  // A tablet that compiles slowly: the bar is full a while before the first frame.
  await page.evaluateOnNewDocument(slowCompile(1500));
  const going = page.goto(server.url, { waitUntil: 'domcontentloaded', timeout: 60000 });
  const start = Date.now();
  await page.waitForSelector('#start', { timeout: 5000 });
  await new Promise((r) => setTimeout(r, Math.max(0, 1500 - (Date.now() - start))));
  await page.touchscreen.tap(512, 300);
  const seen = [];
  while (!(await page.evaluate(() => !!(window.Module && Module.firstFrameShown)))) {
    const bar = await page.evaluate(() => {
      const e = document.getElementById('loading');
      const r = e.getBoundingClientRect();
      return { shown: getComputedStyle(e).display !== 'none' && Number(getComputedStyle(e).opacity) > 0.9 && r.width > 100 && r.bottom <= innerHeight,
        share: Number(e.getAttribute('aria-valuenow')), notice: getComputedStyle(document.getElementById('start')).display,
        text: document.getElementById('loading-text').textContent };
    });
    if (bar.notice !== 'none') throw new Failure('the tap did not take the notice away');
    seen.push(bar);
    if (Date.now() - start > 45000) throw new Failure('no first frame in 45 s');
    await new Promise((r) => setTimeout(r, 250));
  }
  await going;
  const hidden = seen.filter((b) => !b.shown);
  if (hidden.length || seen.length < 4) throw new Failure(`the bar between the tap and the first frame: ${JSON.stringify(seen)}`);
  const shares = seen.map((b) => b.share);
  if (!(shares[shares.length - 1] > shares[0] && shares.every((x, i) => i === 0 || x >= shares[i - 1])))
    throw new Failure(`the bar should grow as the program arrives: ${shares}`);
  // Once the program is all here, the bar says what the wait is for.
  const full = seen.filter((b) => b.share === 100);
  if (!full.length || full.some((b) => b.text !== 'Запускается…') || seen.some((b) => b.share < 100 && b.text !== 'Загрузка…'))
    throw new Failure(`what the bar says as it fills: ${JSON.stringify(seen.map((b) => [b.share, b.text]))}`);
  expectEqual('the bar after the first frame', await shown(page, '#loading'), false);
  await page.close();
});

// Two tabs' worth of the same game, side by side: the first plays one word, the second takes
// over (the first saves and steps back), plays one more and leaves, and the first takes over
// again for a third. Every word counts.
async function twoTabs(browser, url) {
  const a = await open(browser, url);
  const mouseA = new Mouse(a);
  await firstTap(a, mouseA);
  const playWord = async (page, mouse, step) => {
    await mouse.click(centre(GIRL));
    await waitFor(page, `the level blocks ${step}`, levelBlocks());
    await mouse.click(centre(WHITE_LEVEL));
    await waitFor(page, `the word ${step}`, freshWord());
    await solveByDragging(page, mouse);
    await mouse.click(centre(FORWARD));
    await waitFor(page, `the next word ${step}`, freshWord());
  };
  await playWord(a, mouseA, 'in the first tab');

  const b = await newWindow(browser);
  await b.setViewport({ width: LAYOUT.width, height: LAYOUT.height });
  b.on('pageerror', (e) => console.log(`  page error: ${e.message}`));
  await b.goto(url);
  await b.waitForFunction(() => getComputedStyle(document.getElementById('elsewhere')).display !== 'none', { timeout: 10000 });
  const says = await b.$eval('#elsewhere', (e) => e.textContent);
  if (!says.includes('Игра уже открыта в другой вкладке.') || !says.includes('Играть здесь')) throw new Failure(`the second tab says: ${says}`);
  await new Promise((r) => setTimeout(r, 500));
  expectEqual('the second tab\'s game started', await b.evaluate(() => !!Module.firstFrameShown), false);
  await b.click('#play-here');
  await started(b);
  await a.waitForFunction(() => getComputedStyle(document.getElementById('elsewhere')).display !== 'none', { timeout: 10000 });
  expectEqual('saved by the first tab as it stepped back', await storedProgress(b, 'Confif.cnf'), '1');
  const mouseB = new Mouse(b);
  await mouseB.init();
  await waitFor(b, 'the choice screen in the second tab', choiceScreen());
  await playWord(b, mouseB, 'in the second tab');
  await leave(b, mouseB, 'in the second tab');
  expectEqual('saved by the second tab', await storedProgress(b, 'Confif.cnf'), '2');

  await a.click('#play-here');
  await a.waitForFunction(() => getComputedStyle(document.getElementById('elsewhere')).display === 'none', { timeout: 10000 });
  await b.waitForFunction(() => getComputedStyle(document.getElementById('elsewhere')).display !== 'none', { timeout: 10000 });
  await waitFor(a, 'the choice screen when the first tab plays again', choiceScreen());
  await playWord(a, mouseA, 'in the first tab again');
  await leave(a, mouseA, 'in the first tab');
  expectEqual('words stored after three were solved in two tabs', await storedProgress(a, 'Confif.cnf'), '3');
  await a.close();
  await b.close();
}

test('two tabs: one plays at a time, the other offers to play there instead, and no word is lost', async ({ browser, server }) => {
  await twoTabs(browser, server.url);
});

test('start-up does not wait for a storage that never answers: the game plays and says the score cannot be kept', async ({ browser, server }) => {
  // As in a browser whose IndexedDB never calls back.
  const page = await open(browser, server.url, { before: () => { IDBFactory.prototype.open = function () { return {}; }; } });
  const mouse = new Mouse(page);
  await firstTap(page, mouse);
  await waitFor(page, 'the box at the start', messageBox());
  await boxSays(page, 'the box at the start', NOT_KEPT);
  await page.keyboard.press('Enter');
  await mouse.click(centre(BOY));
  await waitFor(page, 'the level blocks without storage', levelBlocks());
  await page.close();
});

test('over plain http from another computer (no service worker, no locks) the game plays, one tab at a time; from a file it says why not', async ({ browser, server }) => {
  const url = server.url.replace('127.0.0.1', 'timburik.test');
  const page = await open(browser, url);
  expectEqual('a secure context', await page.evaluate(() => window.isSecureContext), false);
  expectEqual('a service worker', await page.evaluate(() => !!navigator.serviceWorker), false);
  await page.close();
  await twoTabs(browser, url);
  // Nor from a file, where the browser refuses the program: the page says where to open it.
  const file = await browser.newPage();
  await file.goto(`file://${path.join(root, 'index.html')}`);
  await file.waitForFunction(() => /веб-сервера/.test(document.getElementById('loading-text').textContent), { timeout: 10000 });
  await file.close();
}, ['--host-resolver-rules=MAP timburik.test 127.0.0.1']);

test('on a tablet: a moment in another tab keeps the word, a cancelled touch sends the tile home, small buttons answer a finger, upright asks to turn', async ({ browser, server }) => {
  const page = await open(browser, server.url, { width: 844, height: 390, ratio: 2, touch: true });
  const finger = new Finger(page);
  await firstTap(page, finger);
  await finger.click(centre(GIRL));
  await waitFor(page, 'the level blocks', levelBlocks());
  await finger.click(centre(WHITE_LEVEL));
  await waitFor(page, 'the first word', freshWord());
  const first = await lift(page, finger, 1);
  await dropInCell(page, finger, first);

  // Hidden for a moment (another tab, a notification): the game saves and stays in the word.
  await page.evaluate(() => {
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => 'hidden' });
    document.dispatchEvent(new Event('visibilitychange'));
  });
  await page.waitForFunction(() => true);
  expectEqual('the score kept while hidden', await storedProgress(page, 'Confif.cnf'), '0');
  await page.evaluate(() => {
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => 'visible' });
    document.dispatchEvent(new Event('visibilitychange'));
  });
  await waitFor(page, 'the same word, its letter still in its cell',
    [filled('the letter placed before', cell(first.cell), letterColour(letters[first.cell - 1]))]);

  // A touch the browser takes for a gesture of its own drops nothing: the tile goes home.
  const second = await lift(page, finger, 2);
  for (const p of steps(second.pointer, [centre(cell(second.cell))[0], centre(cell(second.cell))[1] - 40], 6)) await finger.move(p);
  await finger.send('touchCancel', []);
  await waitFor(page, 'the tile back in the top row, face down', [filled('its place', tilePlace(2), COVER)]);

  // "Выход" is drawn 32 x 9 CSS pixels here; a finger just beside it still reaches it.
  await finger.click([EXIT.x + EXIT.w + 6, EXIT.y + EXIT.h + 10]);
  await waitFor(page, 'the exit question, from beside the button', messageBox());
  await page.keyboard.press('Escape');

  // Upright, the band below the game asks for the tablet to be turned; landscape, it does not.
  if (await shown(page, '#turn')) throw new Failure('the hint to turn the tablet shows in landscape');
  await page.setViewport({ width: 768, height: 1024, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
  if (!(await shown(page, '#turn'))) throw new Failure('no hint to turn an upright tablet');
  const turnSays = async (step, text) => {
    const said = await page.waitForFunction((t) => document.getElementById('turn-text').textContent === t, { timeout: 3000 }, text)
      .then(() => text, () => page.$eval('#turn-text', (e) => e.textContent));
    expectEqual(step, said, text);
  };
  await turnSays('the hint on an upright tablet', 'Поверните планшет боком: так буквы будут крупнее');
  // A phone is called a phone; a narrow window on a computer is no device to turn.
  await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
  await turnSays('the hint on an upright phone', 'Поверните телефон боком: так буквы будут крупнее');
  await page.setViewport({ width: 700, height: 1000, deviceScaleFactor: 1, isMobile: false, hasTouch: false });
  await turnSays('the hint in a narrow window', 'Сделайте окно шире: так буквы будут крупнее');
  await page.close();
});

test('the parents\' corner: through the gate, a child added, the record and the children kept after a reload', async ({ browser, server }) => {
  const page = await open(browser, server.url);
  const mouse = new Mouse(page);
  await firstTap(page, mouse);
  await mouse.click(centre(GIRL));
  await mouse.click(centre(WHITE_LEVEL));
  await waitFor(page, 'the first word', freshWord());
  await solveByDragging(page, mouse);
  await leave(page, mouse, 'after a word');

  await throughTheGate(page, mouse);
  await waitFor(page, "today's solved word in the chart", [filled("today's bar", { x: 593, y: 300, w: 14, h: 60 }, [255, 128, 0])]);
  expectEqual('the record in the storage', (await storedProgress(page, 'Confif.log')).split('\n')[0], 'время\tсобытие\tслово\tбуква\tклетка\tверно');

  // A third child, named on the corner's own keys (О Л Я), as on a tablet; after a reload
  // the choice screen shows three.
  await mouse.click(cornerButton(2, 7));  // Добавить ребёнка
  for (const key of [15, 12, 32]) await mouse.click(cornerKey(key));
  await mouse.click(cornerButton(2, 5));  // Готово
  await waitFor(page, "the third child's tab", [filled('the third tab', { x: 330, y: 70, w: 20, h: 10 }, GREEN)]);
  await mouse.click(cornerButton(6, 7));  // Назад
  await waitFor(page, 'the choice screen after the corner', [filled('where the corner was', { x: 1010, y: 590, w: 20, h: 20 }, GREEN)]);
  await page.reload();
  await started(page);
  await mouse.init();
  await mouse.click([100, 650]);  // the first tap, where no child is
  await waitFor(page, 'three portraits', [lacking('the third child', { x: 800, y: 240, w: 60, h: 60 }, GREEN),
    lacking('the first child', { x: 480, y: 240, w: 60, h: 60 }, GREEN)]);
  // Her file, name and portrait, then the way and the letters as plain, and the id she was given.
  const olya = (await storedProgress(page, 'children.txt')).split('\n')[2].split('\t');
  expectEqual('the list of children in the storage', olya.slice(0, 5).join('\t'), 'Child3.cnf\tОля\t3\tподряд\t');
  expectEqual("the child's id in the storage", /^[0-9a-f]{16}$/.test(olya[5]), true);
  await page.close();
});

// From the corner's figures: ЛИС typed on the corner's keys, `photo` (of colour `rgb`)
// picked and cropped, КОТ's line chosen for it, and "Сохранить слово" pressed.
async function addTheFox(page, mouse, photo, rgb, step) {
  await mouse.click(cornerButton(5, 7));  // Слова семьи
  await mouse.click(cornerButton(0, 6));  // Добавить слово
  for (const k of [12, 9, 18]) await mouse.click(cornerKey(k));  // Л И С
  await mouse.click(cornerButton(2, 5));  // Дальше
  const [chooser] = await Promise.all([page.waitForFileChooser({ timeout: 5000 }), mouse.click(cornerButton(0, 5))]);  // Выбрать фото
  await chooser.accept([photo]);
  await waitFor(page, `the photo to crop ${step}`, [filled('the photo', { x: 64, y: 130, w: 50, h: 50 }, rgb)]);
  await page.screenshot({ path: path.join(shots, 'family-word-crop.png') });
  await mouse.click(cornerButton(3, 5));  // Дальше: the bundled word it takes the place of
  await mouse.click(centre({ x: 22, y: 104, w: 92, h: 92 }));
  await page.screenshot({ path: path.join(shots, 'family-word-replace.png') });
  await mouse.click(cornerButton(1, 4));  // Сохранить слово
}

test('a family word: typed on the corner\'s keys, a photo picked, played at once, kept after a reload, gone when removed', async ({ browser, server }) => {
  const page = await open(browser, server.url);
  const mouse = new Mouse(page);
  await firstTap(page, mouse);
  await throughTheGate(page, mouse);
  const PHOTO = [200, 40, 160];
  const stored = async (file, want, encoding = 'utf-8') => {
    for (let i = 0; i < 40; ++i) {
      const now = await storedProgress(page, file, encoding);
      if (want(now)) return now;
      await sleep(100);
    }
    throw new Failure(`${file} in the storage: ${(await storedProgress(page, file, encoding)).slice(0, 40)}`);
  };

  const photo = path.join(tempDir('photo'), 'photo.bmp');
  fs.writeFileSync(photo, bmp24(300, 200, PHOTO));
  await addTheFox(page, mouse, photo, PHOTO, '');
  await boxSays(page, 'the word added', 'Слово «ЛИС» добавлено: его покажут следующим');
  await page.keyboard.press('Enter');
  await stored('subjects/ЛИС.bmp', (b) => b.startsWith('BM'));
  // The family's change is kept as a change, over the site's own list.
  expectEqual('the family word in the storage', (await stored('family.txt', (w) => w.startsWith('ЛИС'))).split('\t')[2].trim(), 'КОТ');
  // Chromium's stand-in microphone beeps: three seconds of it make the word's voice.
  await mouse.click(cornerButton(0, 4));  // Записать
  await sleep(3500);
  await stored('Голоса семьи/Words/ЛИС.wav', (w) => w.startsWith('RIFF'));

  // The child's next white word is it, with its picture.
  await mouse.click(cornerButton(3, 4));  // Готово
  await page.keyboard.press('Escape');
  await mouse.click(cornerButton(6, 7));  // Назад
  await mouse.click(centre(GIRL));
  await mouse.click(centre(WHITE_LEVEL));
  await waitFor(page, 'the family word on the board', [filled('its picture', SUBJECT_AREA, PHOTO)]);
  await leave(page, mouse, 'after the family word');

  // After a reload it is there; removed, it is gone from the storage for good.
  await page.reload();
  await started(page);
  await mouse.init();
  expectEqual('its picture after a reload', (await gameFile(page, '/progress/subjects/ЛИС.bmp')).slice(0, 2), 'BM');
  await firstTap(page, mouse);
  await throughTheGate(page, mouse);
  await mouse.click(cornerButton(5, 7));  // Слова семьи
  await mouse.click(centre({ x: 22, y: 104, w: 92, h: 92 }));
  await mouse.click(cornerButton(3, 6));  // Убрать слово
  await boxSays(page, 'the question before removing', 'Убрать слово «ЛИС» с его картинкой и голосом? Вернётся слово «КОТ».');
  await page.keyboard.press('Enter');
  await stored('subjects/ЛИС.bmp', (b) => b === '(no file)');
  await stored('family.txt', (w) => !w.includes('ЛИС'));
  await page.reload();
  await started(page);
  expectEqual('its picture after removal and a reload', await gameFile(page, '/progress/subjects/ЛИС.bmp'), '(no file)');
  expectEqual('its voice after removal and a reload', await gameFile(page, '/progress/Голоса семьи/Words/ЛИС.wav'), '(no file)');
  await page.close();
}, ['--use-fake-device-for-media-stream', '--use-fake-ui-for-media-stream']);

// Makes the browser's storage refuse to write or remove a file whose path ends with `name`
// (its transaction aborted, as a full storage aborts it); null refuses nothing.
const refuseStoring = (page, name) => page.evaluate((n) => {
  if (!window.refusing) {
    window.refusing = {};
    const put = IDBObjectStore.prototype.put, del = IDBObjectStore.prototype.delete;
    const check = (store, key) => {
      if (!window.refusing.name || !String(key).endsWith(window.refusing.name)) return;
      store.transaction.abort();
      throw new DOMException('refused by the test', 'AbortError');
    };
    IDBObjectStore.prototype.put = function(value, key) { check(this, key); return put.call(this, value, key); };
    IDBObjectStore.prototype.delete = function(key) { check(this, key); return del.call(this, key); };
  }
  window.refusing.name = n;
}, name);

test('a family word whose save the storage refuses at any of its writes is wholly there after a reload, or wholly not', async ({ browser, server }) => {
  const page = await open(browser, server.url);
  const mouse = new Mouse(page);
  const PHOTO = [200, 40, 160];
  const photo = path.join(tempDir('photo'), 'photo.bmp');
  fs.writeFileSync(photo, bmp24(300, 200, PHOTO));
  const firstWhiteWord = async (step, rgb) => {
    await mouse.click(centre(GIRL));
    await mouse.click(centre(WHITE_LEVEL));
    await waitFor(page, `the first white word ${step}`, [filled('its picture', SUBJECT_AREA, rgb)]);
    await leave(page, mouse, step);
  };
  const restart = async () => {
    await page.reload();
    await started(page);
    await firstTap(page, mouse);
  };
  const files = async () => ({
    picture: (await storedProgress(page, 'subjects/ЛИС.bmp')).slice(0, 2),
    note: (await storedProgress(page, 'family.txt')).includes('ЛИС'),
    pending: await storedProgress(page, 'family-pending.txt'),
  });
  await firstTap(page, mouse);
  // The intent, the picture and the note refused: nothing of the word anywhere, the list as it was.
  for (const refused of ['family-pending.txt', 'subjects/ЛИС.bmp', 'family.txt']) {
    await throughTheGate(page, mouse);
    await refuseStoring(page, refused);
    await addTheFox(page, mouse, photo, PHOTO, `(${refused} refused)`);
    const said = await boxSays(page, `the save with ${refused} refused`, 'Не удалось записать');
    if (/error|добавлено/i.test(said)) throw new Failure(`with ${refused} refused the box says: ${said}`);
    await page.keyboard.press('Enter');
    await refuseStoring(page, null);
    expectEqual(`the storage with ${refused} refused`, JSON.stringify(await files()),
      JSON.stringify({ picture: '(n', note: false, pending: '(no file)' }));
    // The page plays on with the list as it was, in this game, in the next (which reads the
    // files again), and after a reload.
    await mouse.click(cornerButton(2, 4));  // Отмена
    await mouse.click(cornerButton(5, 6));  // Назад, to the figures
    await mouse.click(cornerButton(6, 7));  // Назад, out of the corner
    await waitFor(page, `the choice screen after ${refused} was refused`, choiceScreen());
    await firstWhiteWord(`after ${refused} was refused`, SUBJECT);
    await firstWhiteWord(`in the next game after ${refused} was refused`, SUBJECT);
    await restart();
    await firstWhiteWord(`after ${refused} was refused and a reload`, SUBJECT);
  }
  await page.close();
});

// The pixels of `area` near `rgb` (every other one each way): how many, and how far right
// they reach, for text, which a sampling grid may miss.
async function textIn(page, area, rgb) {
  const fit = await fitOf(page);
  const pts = [];
  for (let y = area.y; y < area.y + area.h; y += 2) for (let x = area.x; x < area.x + area.w; x += 2) pts.push([x, y]);
  const seen = await pixels(page, fit, pts);
  let count = 0, right = -1;
  seen.forEach((c, i) => {
    if (!near(c, rgb, 40)) return;
    count++;
    right = Math.max(right, pts[i][0]);
  });
  return { count, right };
}
const pixelsNear = async (page, area, rgb) => (await textIn(page, area, rgb)).count;

test('in the corner a game\'s own voice plays, and a microphone the browser refuses is said at once, without a take that hears nothing', async ({ browser, server }) => {
  const cdp = await browser.target().createCDPSession();
  await cdp.send('Browser.setPermission', { origin: new URL(server.url).origin, permission: { name: 'microphone' }, setting: 'denied' });
  const page = await open(browser, server.url);
  const mouse = new Mouse(page);
  await firstTap(page, mouse);
  await throughTheGate(page, mouse);
  await mouse.click(cornerButton(5, 7));  // Слова семьи
  await mouse.click(cornerButton(4, 6));  // Голоса игры: the letters first
  await mouse.click(cornerKey(ALPHABET.indexOf('К')));
  await waitFor(page, "the voice's page", [filled('its meter', { x: 30, y: 266, w: 500, h: 28 }, [240, 228, 208])]);
  const before = await loudSoFar(page);
  await mouse.click(cornerButton(1, 4));  // Прослушать: the game's own voice of К
  await heardTone(page, "the game's voice of К", 400, before);

  const WARN = [192, 0, 0];
  const note = { x: 24, y: 140, w: 1000, h: 40 };
  const warnedBefore = await pixelsNear(page, note, WARN);
  await mouse.click(cornerButton(0, 4));  // Записать
  await sleep(700);
  if ((await pixelsNear(page, note, WARN)) <= warnedBefore + 20) throw new Failure('no warning at once after Записать with the microphone refused');
  await page.screenshot({ path: path.join(shots, 'microphone-refused.png') });
  await waitFor(page, 'no take under way', [filled('no time bar', { x: 24, y: 306, w: 40, h: 6 }, PAPER),
    filled('no level in the meter', { x: 30, y: 266, w: 60, h: 28 }, [240, 228, 208])], 1000);
  await page.close();
}, ['--use-fake-device-for-media-stream']);

// What the choice screen says of the offline copy, bottom left: nothing, that the game can
// play offline ("Можно играть без интернета.", short), or how much is kept (longer).
async function offlineNote(page) {
  const { count, right } = await textIn(page, { x: 20, y: 588, w: 600, h: 32 }, [255, 255, 255]);
  return count < 20 ? 'none' : right < 380 ? 'ready' : 'share';
}
async function noteBecomes(page, step, want) {
  const until = Date.now() + 10000;
  let now = '';
  while (Date.now() < until) {
    if ((now = await offlineNote(page)) === want) return;
    await sleep(100);
  }
  throw new Failure(`${step}: the choice screen's offline note is ${now}, not ${want}`);
}
const cornerSaysOffline = async (page) => (await pixelsNear(page, { x: 900, y: 10, w: 440, h: 32 }, [255, 255, 255])) > 20;

test('a parent sees how much of the game is kept for play without a network, and when it can play so', async ({ browser, server }) => {
  // A site one file of which never arrives: never all kept, said on every visit.
  await onOwnSite('offline-note', (dir) => fs.rmSync(path.join(dir, 'content', 'Sounds', 'Words', `${WORD}.wav`)), async (partial) => {
    const a = await open(browser, partial.url);
    await a.waitForFunction(() => WebOffline.packKept && WebOffline.packKept.missing === 1, { timeout: 60000 });
    await noteBecomes(a, 'a file missing', 'share');
    await a.screenshot({ path: path.join(shots, 'offline-share.png') });
    await a.reload();
    await started(a);
    await a.waitForFunction(() => WebOffline.packKept, { timeout: 60000 });
    await noteBecomes(a, 'a file missing, the next visit', 'share');
    await a.close();
  });

  // The whole pack: said once kept, and on later visits nothing on the choice screen.
  const page = await open(browser, server.url);
  const mouse = new Mouse(page);
  await packKept(page);
  await noteBecomes(page, 'the pack kept on the first visit', 'ready');
  await page.reload();
  await started(page);
  await packKept(page);
  await sleep(300);
  expectEqual("the choice screen's offline note on the next visit", await offlineNote(page), 'none');
  await firstTap(page, mouse);
  await throughTheGate(page, mouse);
  if (!(await cornerSaysOffline(page))) throw new Failure('the corner says nothing of playing offline');
  await page.screenshot({ path: path.join(shots, 'offline-corner.png') });
  await page.close();
});

test('the first word after a level is chosen is a word of that level, at every visit', async ({ browser }) => {
  // Lines 1-62 (the word set up before a level is chosen) КОТ, the black level's lines ЖУК.
  const BEETLE = [90, 200, 60];
  const blackLevelOfItsOwn = (dir, files) => {
    const lines = Array.from({ length: 130 }, (_, i) => (i < 62 ? WORD : 'ЖУК'));
    files['Words.str'] = Buffer.concat(lines.map((w) => Buffer.concat([cp1251(w), Buffer.from('\r\n')])));
    files['subjects/ЖУК.bmp'] = bmp24(200, 200, BEETLE);
    for (const rel of ['Words.str', 'subjects/ЖУК.bmp']) fs.writeFileSync(path.join(dir, 'content', rel), files[rel]);
    writeContentList(path.join(dir, 'content'), files);
    nameVersion(dir);
  };
  await onOwnSite('levels', blackLevelOfItsOwn, async (own) => {
    const page = await open(browser, own.url);
    const mouse = new Mouse(page);
    await firstTap(page, mouse);
    for (const visit of ['the first visit', 'the next visit']) {
      await mouse.click(centre(GIRL));
      await waitFor(page, `the level blocks on ${visit}`, levelBlocks());
      await mouse.click(centre(BLACK_LEVEL));
      await waitFor(page, `the black level's word on ${visit}`, [filled('its picture', SUBJECT_AREA, BEETLE)]);
      await leave(page, mouse, `on ${visit}`);
      await page.reload();
      await started(page);
      await firstTap(page, mouse);
    }
    await page.close();
  });
});

test('a child\'s way of choosing words, set in the corner, is kept in the storage and there after a reload', async ({ browser, server }) => {
  const page = await open(browser, server.url);
  const mouse = new Mouse(page);
  const ORANGE = [255, 160, 0];
  const way = (i) => ({ x: 24 + i * 300, y: 120, w: 286, h: 52 });
  const framed = (i) => filled('the chosen way framed', { x: way(i).x - 5, y: way(i).y + 10, w: 5, h: 30 }, ORANGE);
  await firstTap(page, mouse);
  await throughTheGate(page, mouse);
  await mouse.click(cornerButton(0, 7));  // Буквы и слова, for the girl
  await waitFor(page, 'the usual way framed', [framed(0)]);
  await mouse.click(centre(way(1)));  // Чаще трудные буквы
  await waitFor(page, 'the hard letters way framed', [framed(1)]);
  await page.screenshot({ path: path.join(shots, 'letters-and-words.png') });
  await mouse.click(cornerButton(3, 4));  // Назад
  await mouse.click(cornerButton(6, 7));  // Назад, out of the corner
  await waitFor(page, 'the choice screen after the corner', choiceScreen());
  expectEqual("the girl's line in the storage", (await storedProgress(page, 'children.txt')).split('\n')[0].split('\t')[3], 'трудные');
  await page.reload();
  await started(page);
  await firstTap(page, mouse);
  await throughTheGate(page, mouse);
  await mouse.click(cornerButton(0, 7));
  await waitFor(page, 'the hard letters way after a reload', [framed(1)]);
  await page.close();
});

// A file put into the browser's storage as the game keeps it there (IDBFS's records), for a
// start that reads it as the family's own.
async function putStored(page, name, text) {
  return page.evaluate(async (dir, file, text) => new Promise((resolve, reject) => {
    const request = indexedDB.open(dir);
    request.onerror = () => reject(new Error('no storage'));
    request.onsuccess = () => {
      const put = request.result.transaction('FILE_DATA', 'readwrite').objectStore('FILE_DATA')
        .put({ timestamp: new Date(), mode: 0o100644, contents: new TextEncoder().encode(text) }, dir + '/' + file);
      put.onsuccess = () => resolve();
      put.onerror = () => reject(new Error('not stored'));
    };
  }), PROGRESS, name, text);
}

test('a group of forty on a phone: a page of portraits at a time behind big arrows, the fortieth child found and playing into their own file', async ({ browser, server }) => {
  const phone = { width: 844, height: 390, ratio: 3, touch: true };
  const first = await open(browser, server.url, phone);
  await firstTap(first, new Finger(first));
  await waitFor(first, 'the choice screen', choiceScreen());
  const names = ('Аня Боря Вика Гоша Даша Егор Женя Зоя Илья Катя Лёва Маша Нина Олег Петя Рита Саша Таня Уля Федя ' +
    'Христя Цветана Чеслав Шура Эля Юля Яна Алла Вера Глеб Дина Ева Жора Кира Лена Миша Оля Паша').split(' ');
  const list = ['Confif.cnf\t\t1', 'Confis.cnf\t\t2', ...names.map((n, i) => `Child${i + 3}.cnf\t${n}\t${(i % 8) + 1}`)];
  await putStored(first, 'children.txt', list.join('\n') + '\n');
  await putStored(first, 'Child40.cnf', '4');
  await first.close();

  const page = await open(browser, server.url, phone);
  const finger = new Finger(page);
  await firstTap(page, finger);
  const NEXT_PAGE = { x: 1192, y: 208, w: 140, h: 180 };
  // The fortieth is the fourth of the last page's four, in one row through the middle.
  const fortieth = { x: 854, y: 200, w: 140, h: 140 };
  const onLastPage = lacking("the fortieth child's portrait", { x: 910, y: 290, w: 20, h: 20 }, GREEN);
  await waitFor(page, 'the arrow to the next page', [lacking('the arrow', { x: 1242, y: 278, w: 40, h: 40 }, GREEN)]);
  await page.screenshot({ path: path.join(shots, 'group-phone-page1.png') });
  for (let k = 0; k < 3; ++k) await finger.click(centre(NEXT_PAGE));
  await waitFor(page, 'the last page', [onLastPage]);
  await page.screenshot({ path: path.join(shots, 'group-phone-page4.png') });
  await finger.click(centre(fortieth));
  await waitFor(page, 'the level blocks for the fortieth', levelBlocks());
  await finger.click(centre(WHITE_LEVEL));
  await waitFor(page, 'the first word', freshWord());
  for (let place = 1; place <= letters.length; ++place) await dropInCell(page, finger, await lift(page, finger, place));
  await waitFor(page, 'the solved word', solved());
  // "Выход", answered yes: the group's first page comes back, with the arrow to the next.
  await finger.click(centre(EXIT));
  await waitFor(page, 'the exit question', messageBox());
  await page.keyboard.press('Enter');
  await waitFor(page, 'the first page again', [lacking('the arrow', { x: 1242, y: 278, w: 40, h: 40 }, GREEN)]);
  expectEqual("the fortieth child's words", await storedProgress(page, 'Child40.cnf'), '5');
  expectEqual("the girl's, untouched", await storedProgress(page, 'Confif.cnf'), '(no file)');
  await page.close();
});

// A child saved by the Linux build (tests/data, made and checked by the Linux unit tests):
// Оля, portrait 3, 7 words solved, a record of three solved words, and the family word ЛИС
// in КОТ's place with its picture.
const CHILD_FILE = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../data/Тимбурик - Оля.timburik');
// What a zip holds, read by Python's zipfile: the test's own reader, not the game's.
const zipEntry = (file, name) => execFileSync('python3', ['-c',
  'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))', file, name]).toString('utf-8');

test('a child saved on the Linux build comes in from the file picker with her words, record and family word, once however often, and goes out as a file again', async ({ browser, server }) => {
  const page = await open(browser, server.url);
  const mouse = new Mouse(page);
  const downloads = tempDir('downloads');
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await firstTap(page, mouse);
  await throughTheGate(page, mouse);
  await mouse.click(cornerButton(1, 7));  // Файлы и копии
  const addFromFile = async () => {
    const [chooser] = await Promise.all([page.waitForFileChooser({ timeout: 5000 }), mouse.click(cornerButton(2, 7))]);
    await chooser.accept([CHILD_FILE]);
  };
  await addFromFile();
  await boxSays(page, 'the child from the file', 'Взяты из файла: Оля');
  await page.keyboard.press('Enter');
  const line = (await storedProgress(page, 'children.txt')).split('\n')[2].split('\t');
  expectEqual("her line in the list", line.slice(0, 3).join('\t'), 'Child3.cnf\tОля\t3');
  expectEqual('her words solved', await storedProgress(page, 'Child3.cnf'), '7');
  const record = await storedProgress(page, 'Child3.log');
  expectEqual('her solved words in the record', record.split('\n').filter((l) => l.split('\t')[1] === 'решено').length, 3);
  if (!(await storedProgress(page, 'family.txt')).startsWith('ЛИС\t')) throw new Failure('the family word is not in the note');

  // The same file again: she is here, the parent keeps this device's words ("Нет"), and the
  // records, joined, hold no line twice.
  await addFromFile();
  await boxSays(page, 'the same child again', 'уже есть в игре');
  await page.keyboard.press('Escape');
  await boxSays(page, 'the records joined', 'Записи игр соединены: Оля');
  await page.keyboard.press('Enter');
  expectEqual('the record after the second time', await storedProgress(page, 'Child3.log'), record);

  // And out again, as a download, holding what she came with.
  await mouse.click(cornerButton(1, 7));  // Сохранить в файл, for Оля, shown since she came
  await boxSays(page, 'where the file went', 'Сохранено');
  const saved = path.join(downloads, 'Тимбурик - Оля.timburik');
  for (const until = Date.now() + 10000; !fs.existsSync(saved) && Date.now() < until;) await sleep(100);
  const manifest = zipEntry(saved, 'manifest.txt').split('\n');
  expectEqual("the file's first line", manifest[0], 'timburik-children 1');
  const child = manifest.find((l) => l.startsWith('child\t')).split('\t');
  expectEqual("the file's child", child[3], 'Оля');
  expectEqual('her words in the file', zipEntry(saved, child[1] + 'Child3.cnf'), '7');
  expectEqual('her record in the file', zipEntry(saved, child[1] + 'Child3.log'), record);
  fs.rmSync(downloads, { recursive: true, force: true });
  await page.close();
});

// --- Running -----------------------------------------------------------------------------
const root = tempDir('site');
const testContent = makeTestSite(site, root, WORD);
const server = await serve(root);
let passed = 0, failed = 0;
// ONLY=text runs the tests whose names hold it.
for (const t of tests.filter((x) => !process.env.ONLY || x.name.includes(process.env.ONLY))) {
  const profile = tempDir('profile');
  const browser = await launch(profile, t.args);
  server.log.length = 0;
  try {
    await t.fn({ browser, server });
    passed++;
    console.log(`ok - ${t.name}`);
  } catch (e) {
    failed++;
    console.log(`FAILED - ${t.name}\n  ${e instanceof Failure ? e.message : e.stack}`);
  } finally {
    await browser.close().catch(() => {});
    fs.rmSync(profile, { recursive: true, force: true });
  }
}
server.close();
fs.rmSync(root, { recursive: true, force: true });
console.log(`web: ${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
