// Measures the built site in headless Chromium from a local server: time and bytes until the
// choice screen on a first visit and on second visits (online, offline, with the service
// worker stopped as after hours away, and without it), what each step of the start gains, the
// time until the whole content pack is kept for offline play, the game's work per glide frame
// and per drag move, the renderer's CPU over ten idle seconds, and the size of the .wasm; and for
// a tablet's first visit: the bytes sent until the first frame and until a tap is answered,
// the first visit on a slow link (Chromium's network emulation), the program's sizes raw,
// gzipped and brotli, and its compile time, for this site and (BEFORE=SITE_DIR) another one
// measured in the same run, the site as it was.
//   [BEFORE=OLD_SITE_DIR] node tests/web/bench.mjs SITE_DIR [RESULTS.md]
// With a results file, its browser section (between the markers below) is written anew.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { LAYOUT, fitOf, goOffline, launch, makeTestSite, serve, tempDir } from './harness.mjs';

const site = path.resolve(process.argv[2] || 'build-web/site');
const resultsFile = process.argv[3];
const rows = [];  // figure, target, measured, met
const row = (figure, target, measured, met) => {
  rows.push([figure, target, measured, met === undefined ? '—' : met ? 'yes' : 'no']);
  console.log(`${figure}: ${measured}`);
};
const rounds = Math.max(1, Number(process.env.ROUNDS || 5));
const median = (xs) => {
  const v = [...xs].filter((x) => !Number.isNaN(x)).sort((a, b) => a - b);
  if (!v.length) return NaN;
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
};
const load = () => os.loadavg().map((x) => x.toFixed(2)).join(' ');
const loadBefore = load();
const temps = [];
const temp = (name) => {
  const dir = tempDir(name);
  temps.push(dir);
  return dir;
};

// The steps of the start, each taken away from a copy of the site in turn: the site as built
// but for one edit, which must apply.
function variant(name, edits) {
  const dir = temp(`bench-${name}`);
  fs.cpSync(site, dir, { recursive: true });
  for (const [file, from, to] of edits) {
    const text = fs.readFileSync(path.join(dir, file), 'utf8');
    const edited = text.replace(from, to);
    if (edited === text) throw new Error(`bench: ${name}: ${file} has no ${from}`);
    fs.writeFileSync(path.join(dir, file), edited);
  }
  return dir;
}

// One visit in `browser`: the time to the first frame (the choice screen), the page's marks on
// the way there, and what the server sent until then (the page's requests and the worker's).
async function visit(browser, server, { prepare } = {}) {
  const page = await browser.newPage();
  await page.setViewport({ width: LAYOUT.width, height: LAYOUT.height });
  if (prepare) await prepare(page);
  const sentBefore = server.log.length;
  await page.goto(server.url);
  await page.waitForFunction(() => window.Module && Module.firstFrameShown, { timeout: 30000 });
  const sent = server.log.slice(sentBefore);
  const { ms, marks } = await page.evaluate(() => ({
    ms: Module.firstFrameShown,
    marks: Object.fromEntries(performance.getEntriesByType('mark').map((m) => [m.name, m.startTime])),
  }));
  return { page, ms, marks, bytes: sent.reduce((t, r) => t + r.bytes, 0), requests: sent.length };
}

// Each round in a fresh browser profile: a first visit, which stays until the worker has kept
// the whole pack and 3 s more (the browser keeps the compiled program once it has run a while),
// then second visits in new pages of the same profile. `kinds` chooses which.
async function measure(dir, { args = [], kinds = ['online'] } = {}) {
  const server = await serve(dir);
  const out = { first: [], pack: [], packBytes: [], online: [], offline: [], stopped: [], http: [] };
  for (let round = 0; round < rounds; ++round) {
    const browser = await launch(temp('bench-profile'), args);
    const first = await visit(browser, server);
    const sentBefore = server.log.length - first.requests;
    await first.page.waitForFunction(() => WebOffline.packKept && !WebOffline.packKept.missing, { timeout: 120000 });
    out.pack.push(await first.page.evaluate(() => WebOffline.packKept.at));
    out.packBytes.push(server.log.slice(sentBefore).reduce((t, r) => t + r.bytes, 0));
    out.first.push(first);
    await new Promise((r) => setTimeout(r, 3000));
    await first.page.close();
    for (const kind of kinds) {
      let v;
      if (kind === 'online') v = await visit(browser, server);
      if (kind === 'http') v = await visit(browser, server, { prepare: (page) => page.setBypassServiceWorker(true) });
      if (kind === 'stopped') {
        v = await visit(browser, server, {
          prepare: async (page) => {
            const cdp = await page.createCDPSession();
            await cdp.send('ServiceWorker.enable');
            await cdp.send('ServiceWorker.stopAllWorkers');
          },
        });
      }
      if (kind === 'offline') {
        const blank = await browser.newPage();
        await goOffline(browser, blank);
        await blank.close();
        v = await visit(browser, server, { prepare: (page) => page.setOfflineMode(true) });
      }
      out[kind].push(v);
      await v.page.close();
    }
    await browser.close();
    console.log(`${path.basename(dir)} round ${round + 1}: first ${first.ms.toFixed(0)} ms, ` +
      kinds.map((k) => `${k} ${out[k][round].ms.toFixed(0)} ms`).join(', ') + ` (load ${load()})`);
  }
  server.close();
  return out;
}

const span = (v) => `${median(v.map((x) => x.ms)).toFixed(0)} ms (${Math.min(...v.map((x) => x.ms)).toFixed(0)}–${Math.max(...v.map((x) => x.ms)).toFixed(0)})`;
const kib = (bytes) => `${(bytes / 1024).toFixed(0)} KiB`;
const markAt = (v, mark) => median(v.map((x) => x.marks[mark] ?? NaN)).toFixed(0);

// Offline last: the worker's connection stays off for the rest of the round.
const built = await measure(site, { kinds: ['online', 'stopped', 'http', 'offline'] });
const visits = [
  ['First visit', built.first, 1500],
  ['Second visit, online', built.online, 300],
  ['Second visit, offline', built.offline, 300],
  ['Second visit, service worker stopped (as after hours away), online', built.stopped, 300],
  ['Second visit without the service worker (the browser\'s HTTP cache, as before)', built.http, undefined],
];
for (const [label, v, target] of visits) {
  const ms = median(v.map((x) => x.ms));
  row(`${label}: time to the choice screen (median of ${rounds})`, target ? `≤ ${target} ms` : '—', span(v),
    target ? ms <= target : undefined);
  // Where the time went: the program compiled and instantiated, the storage read, the game
  // started, and its first frame.
  row(`${label}: compiled / storage read / game started / first frame at`, '—',
    `${markAt(v, 'timburik:compiled')} / ${markAt(v, 'timburik:storage')} / ${markAt(v, 'timburik:main')} / ${ms.toFixed(0)} ms`);
  row(`${label}: sent by the server until then`, '—',
    `${kib(median(v.map((x) => x.bytes)))} in ${median(v.map((x) => x.requests))} requests`);
}
row(`First visit: the whole pack kept for offline play, from navigation (median of ${rounds})`, '—',
  `${(median(built.pack) / 1000).toFixed(1)} s, ${kib(median(built.packBytes))} sent in all`);

// What each step gains: the second visit online with one step taken away.
const steps = [
  ['the compiled program kept (Chromium\'s code cache for a module streamed from the worker\'s cache)',
    await measure(site, { args: ['--js-flags=--wasm-caching-threshold=2000000000 --wasm-caching-hard-threshold=2000000000'], kinds: ['online', 'stopped'] })],
  ['static routes (versioned files from the cache without waking the worker)',
    await measure(variant('routes', [['sw.js', 'if (event.addRoutes) await', 'if (false) await']]), { kinds: ['online', 'stopped'] })],
  ['the content list asked for with the program (preload)',
    await measure(variant('preload', [['index.html', /<link rel="preload" href="content\/index.txt"[^>]*>/, '']]), { kinds: ['online', 'stopped'] })],
];
for (const [step, v] of steps) {
  for (const [kind, label] of [['online', 'worker running'], ['stopped', 'worker stopped']]) {
    const gain = median(v[kind].map((x) => x.ms)) - median(built[kind].map((x) => x.ms));
    row(`Second visit, ${label}, without ${step}`, '—', `${span(v[kind])}: the step gains ${gain.toFixed(0)} ms`);
  }
}

// --- A tablet's first visit ----------------------------------------------------------------
// The link of a kindergarten's shared Wi-Fi: 1.5 Mbit/s each way, 300 ms added to each request.
const SLOW = { offline: false, latency: 300, downloadThroughput: 1.5e6 / 8, uploadThroughput: 1.5e6 / 8 };
const before = process.env.BEFORE ? path.resolve(process.env.BEFORE) : null;

// Counts what the game puts on the canvas, from outside the game: a tap is answered when the
// frame after it is on the screen.
const countPresents = () => {
  const put = CanvasRenderingContext2D.prototype.putImageData;
  window.presents = 0;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    window.presents++;
    return put.apply(this, args);
  };
};

// One first visit in a fresh profile: the time to the first frame and the bytes sent until
// then; then the girl's block and the first level tapped at once, and the bytes sent until the
// second tap is answered (the play screen on the canvas). Bytes are the bodies as sent, the
// service worker's requests included; the headers (some 300 bytes a request) are not counted.
async function firstVisit(dir, server, { slow = false } = {}) {
  const browser = await launch(temp('bench-first'));
  const page = await browser.newPage();
  await page.setViewport({ width: LAYOUT.width, height: LAYOUT.height });
  await page.evaluateOnNewDocument(countPresents);
  if (slow) {
    const cdp = await page.createCDPSession();
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions', SLOW);
  }
  const sentBefore = server.log.length;
  const sent = () => server.log.slice(sentBefore);
  await page.goto(server.url, { timeout: 120000 });
  await page.waitForFunction(() => window.Module && Module.firstFrameShown, { timeout: 120000, polling: 20 });
  const atFrame = sent();
  const { ms, compiled } = await page.evaluate(() => ({
    ms: Module.firstFrameShown,
    compiled: performance.getEntriesByName('timburik:compiled')[0]?.startTime ?? NaN,
  }));
  const fit = await fitOf(page);
  await page.evaluate(() => document.getElementById('start').classList.add('hidden'));
  const tap = async (x, y) => {
    const shown = await page.evaluate(() => window.presents);
    const [px, py] = fit.toPage(x, y);
    await page.mouse.click(px, py);
    await page.waitForFunction((n) => window.presents > n, { timeout: 60000, polling: 10 }, shown);
  };
  const tapped = performance.now();
  await tap(592, 304);
  await tap(332, 676);
  const answeredAfter = performance.now() - tapped;
  const atTap = sent();
  await browser.close();
  const bytes = (log) => log.reduce((t, r) => t + r.bytes, 0);
  return { ms, compiled, frameBytes: bytes(atFrame), frameRequests: atFrame.length, tapBytes: bytes(atTap),
    tapRequests: atTap.length, answeredAfter, files: atTap };
}

// The program compiled by the browser, as the page has it compiled: WebAssembly.compile over
// the whole file in a page of the site, each time with a custom section of its own added so
// that no compiled copy is reused.
async function compileTimes(dir, server) {
  const browser = await launch(temp('bench-compile'));
  const page = await browser.newPage();
  await page.goto(server.url + 'manifest.webmanifest');
  const times = await page.evaluate(async (n) => {
    const bytes = new Uint8Array(await (await fetch('timburik.wasm')).arrayBuffer());
    const out = [];
    for (let k = 0; k < n; ++k) {
      const name = new TextEncoder().encode(`bench${k}-${Math.random()}`);
      const extra = new Uint8Array([0, name.length + 1, name.length, ...name]);
      const whole = new Uint8Array(bytes.length + extra.length);
      whole.set(bytes);
      whole.set(extra, bytes.length);
      const t0 = performance.now();
      await WebAssembly.compile(whole);
      out.push(performance.now() - t0);
    }
    return out;
  }, rounds);
  await browser.close();
  return times;
}

function sizes(dir) {
  const of = (name) => {
    const bytes = fs.readFileSync(path.join(dir, name));
    return { raw: bytes.length, gzip: zlib.gzipSync(bytes, { level: 9 }).length,
      br: zlib.brotliCompressSync(bytes, { params: { [zlib.constants.BROTLI_PARAM_QUALITY]: 11 } }).length };
  };
  return { wasm: of('timburik.wasm'), js: of('timburik.js') };
}

const firstFigures = [];
for (const [label, dir] of [...(before ? [['before', before]] : []), ['now', site]]) {
  const server = await serve(dir);
  const plain = [], slow = [];
  for (let round = 0; round < rounds; ++round) plain.push(await firstVisit(dir, server));
  for (let round = 0; round < rounds; ++round) slow.push(await firstVisit(dir, server, { slow: true }));
  const compile = await compileTimes(dir, server);
  server.close();
  firstFigures.push({ label, dir, plain, slow, compile, sizes: sizes(dir) });
  console.log(`${label}: first frame at 1.5 Mbit/s ${slow.map((v) => v.ms.toFixed(0)).join(', ')} ms (load ${load()})`);
}
const spanOf = (xs, unit = 'ms', scale = 1, digits = 0) =>
  `${(median(xs) / scale).toFixed(digits)} ${unit} (${(Math.min(...xs) / scale).toFixed(digits)}–${(Math.max(...xs) / scale).toFixed(digits)})`;
const sizeText = (x) => `${x.raw} B raw, ${x.gzip} B gzip, ${x.br} B brotli`;
for (const f of firstFigures) {
  const who = before ? (f.label === 'before' ? 'Before (the site as it was)' : 'Now') : 'First visit';
  const tapKB = median(f.plain.map((v) => v.tapBytes)) / 1000;
  const slowS = median(f.slow.map((v) => v.ms)) / 1000;
  const judged = f.label === 'now';
  row(`${who}: first visit, sent until the first frame (median of ${rounds})`, '—',
    `${(median(f.plain.map((v) => v.frameBytes)) / 1000).toFixed(0)} KB in ${median(f.plain.map((v) => v.frameRequests))} requests`);
  row(`${who}: first visit, sent until a tap is answered (the girl's block, then the first level; median of ${rounds})`,
    judged ? '≤ 600 KB' : '—', `${tapKB.toFixed(0)} KB in ${median(f.plain.map((v) => v.tapRequests))} requests`,
    judged ? tapKB <= 600 : undefined);
  row(`${who}: first visit at 1.5 Mbit/s with 300 ms delay, time to the first frame (median of ${rounds})`,
    judged ? '≤ 4.5 s' : '—', spanOf(f.slow.map((v) => v.ms), 's', 1000, 2), judged ? slowS <= 4.5 : undefined);
  row(`${who}: the same, compiled at / tap answered after / sent until answered`, '—',
    `${(median(f.slow.map((v) => v.compiled)) / 1000).toFixed(2)} s / ${median(f.slow.map((v) => v.answeredAfter)).toFixed(0)} ms / ${(median(f.slow.map((v) => v.tapBytes)) / 1000).toFixed(0)} KB`);
  row(`${who}: timburik.wasm`, '—', sizeText(f.sizes.wasm));
  row(`${who}: timburik.js`, '—', sizeText(f.sizes.js));
  row(`${who}: the program compiled by Chromium (WebAssembly.compile, median of ${rounds})`, '—', spanOf(f.compile));
}
// What a first visit fetched until the tap was answered, file by file (the last round now).
const lastNow = firstFigures[firstFigures.length - 1].plain.at(-1);
const fetched = new Map();
for (const r of lastNow.files) fetched.set(r.path, (fetched.get(r.path) || 0) + r.bytes);
const fetchedLines = [...fetched].sort((a, b) => b[1] - a[1]).map(([p, b]) => `${p} ${b} B`);

// A page left open on the choice screen, for the idle figure.
const idleServer = await serve(site);
const browser = await launch(temp('bench-idle'));
const visited = (await visit(browser, idleServer)).page;
// Idle means after the worker's background fetch, which runs in the same renderer.
await visited.waitForFunction(() => WebOffline.packKept && !WebOffline.packKept.missing, { timeout: 120000 });
await new Promise((r) => setTimeout(r, 2000));

// Idle: the renderer's CPU time over ten seconds on the choice screen.
const system = await browser.target().createCDPSession();
const cpu = async () => {
  const { processInfo } = await system.send('SystemInfo.getProcessInfo');
  return processInfo.filter((p) => p.type === 'renderer').reduce((t, p) => t + p.cpuTime, 0);
};
await new Promise((r) => setTimeout(r, 1000));
const c0 = await cpu();
await new Promise((r) => setTimeout(r, 10000));
const c1 = await cpu();
const idle = ((c1 - c0) / 10) * 100;
row('Idle CPU of the renderer on the choice screen, 10 s', '< 1 % of a core', `${idle.toFixed(2)} %`, idle < 1);

// Play, on the test content whose one word is КОТ, so that the first tile's place is known:
// a level, a long drag of the first tile, and the hint's glide.
await visited.close();
const testSite = temp('bench-site');
makeTestSite(site, testSite, 'КОТ');
const playServer = await serve(testSite);
const playProfile = temp('bench-play');
const playBrowser = await launch(playProfile);
const page = await playBrowser.newPage();
await page.setViewport({ width: LAYOUT.width, height: LAYOUT.height });
await page.goto(playServer.url);
await page.waitForFunction(() => window.Module && Module.firstFrameShown, { timeout: 30000 });
const fit = await fitOf(page);
const at = (x, y) => fit.toPage(x, y);
const click = async (x, y) => { const [px, py] = at(x, y); await page.mouse.click(px, py); };
await page.evaluate(() => document.getElementById('start').classList.add('hidden'));
await click(592, 304);
await new Promise((r) => setTimeout(r, 500));
await click(332, 676);
await new Promise((r) => setTimeout(r, 1500));
const stats = () => page.evaluate(() => ({ ...Module.hostStats }));
let s0 = await stats();
const [gx, gy] = at(549, 55);
await page.mouse.move(gx, gy);
await page.mouse.down();
for (let k = 1; k <= 200; ++k) {
  const [x, y] = at(549 + (k % 40) * 3, 55 + (k % 50) * 3);
  await page.mouse.move(x, y);
}
await page.mouse.up();
await new Promise((r) => setTimeout(r, 1000));
let s1 = await stats();
row('Drag move: the game\'s work per move, up to the canvas', '—',
  `${((s1.eventMs - s0.eventMs) / Math.max(1, s1.events - s0.events)).toFixed(3)} ms (${s1.events - s0.events} moves)`);
s0 = s1;
await click(116, 440);  // the hint: every tile glides
await new Promise((r) => setTimeout(r, 4000));
s1 = await stats();
const frames = s1.frames - s0.frames;
row('Glide: the game\'s work per display frame (1 or 2 ticks), up to the canvas', '—',
  `${((s1.frameMs - s0.frameMs) / Math.max(1, frames)).toFixed(3)} ms (${frames} frames)`);

const wasm = fs.statSync(path.join(site, 'timburik.wasm')).size;
const js = fs.statSync(path.join(site, 'timburik.js')).size;
row('Size of timburik.wasm (timburik.js beside it)', '—', `${(wasm / 1024).toFixed(0)} KiB (${(js / 1024).toFixed(0)} KiB)`);
await browser.close();
await playBrowser.close();
idleServer.close();
playServer.close();
for (const dir of temps) fs.rmSync(dir, { recursive: true, force: true });

if (resultsFile) {
  const begin = '<!-- browser: written by bash scripts/web.sh bench -->';
  const end = '<!-- /browser -->';
  const when = new Date().toISOString().replace('T', ' ').slice(0, 16);
  const section = [begin, '', '## In a browser', '',
    `Measured by \`bash scripts/web.sh bench\` in headless Chromium from a server on 127.0.0.1, ${when} UTC.`, '',
    '| figure | target | measured | met? |', '|---|---|---|---|',
    ...rows.map((r) => `| ${r.join(' | ')} |`), '',
    `- Visits: ${rounds} rounds, each in a fresh browser profile with the built site and its bundled content: a first visit, which stays until the service worker has kept the whole pack and 3 s more, then second visits in new pages of the same profile: online; online with the worker stopped first (CDP ServiceWorker.stopAllWorkers), as a tablet finds it after hours away; online with the worker bypassed (the browser's HTTP cache only, as the site was before it had a worker); offline (the page's and the worker's network switched off). Time is the page's clock from navigation to the first frame on the canvas (the choice screen), the median of the rounds with the fastest and slowest in brackets; the marks say when the program was compiled and instantiated, when the progress had been read from IndexedDB and when the game started. Bytes are what the server sent in that time (bodies, compressed where it compresses), the worker's requests included. The server sends what a well-configured static server does: the program and content under URLs naming their version, kept for a year; the page, the content list and sw.js revalidated (304 when unchanged).`,
    '- The whole pack kept: from the first visit\'s navigation to the worker\'s report that every file of the content list is in its cache (fetched one at a time after the first frame), and all the server sent for that visit.',
    '- Steps: each is taken away in turn (the same rounds on a copy of the site with one edit, or Chromium told never to keep a compiled module: V8\'s --wasm-caching-threshold and --wasm-caching-hard-threshold set beyond the program\'s size), and the second visit measured again; the gain is the difference of the medians. Differences of a few ms are within the noise of this shared machine.',
    `- Machine: ${os.cpus().length} cores; load average (1, 5, 15 min) before ${loadBefore}, after ${load()}. Other work on the machine slows every figure here.`,
    '- Idle: the renderer processes\' CPU time (Chromium\'s own process information) over 10 s on the choice screen of a first visit, once the worker had kept the whole pack.',
    '- Drag and glide: the time the game spends between being woken and sleeping again, on the test content (one word, КОТ): 200 pointer moves with the first tile held, then the hint\'s glide of every tile.',
    `- A tablet's first visit: each in a fresh browser profile; at once after the first frame the girl's block and the first level are tapped, each tap answered when the game's next frame is on the canvas; KB are 1000 bytes of bodies as the server sent them (the service worker's requests included, headers not), until the first frame and until the second tap was answered. The slow link is Chromium's network emulation of the page (1.5 Mbit/s down and up, 300 ms added to each request); on a first visit no service worker controls the page yet, so all it fetches goes through that link. ${before ? 'Before is the site as it was before the cuts, served by the same server (which gzips it as it sends, having no copies), measured in the same run. ' : ''}Sizes: gzip -9 and brotli quality 11 (node's zlib). Compile: WebAssembly.compile of the whole program in a page of the site, the wire bytes made new each time.`,
    `- Sent until the tap was answered on the last first visit, file by file: ${fetchedLines.join('; ')}.`,
    '', end].join('\n');
  let text = fs.existsSync(resultsFile) ? fs.readFileSync(resultsFile, 'utf8') : '';
  const a = text.indexOf(begin), b = text.indexOf(end);
  text = a >= 0 && b > a ? text.slice(0, a) + section + text.slice(b + end.length) : text.trimEnd() + '\n\n' + section + '\n';
  fs.writeFileSync(resultsFile, text);
  console.log(`Wrote the browser section of ${resultsFile}`);
}
