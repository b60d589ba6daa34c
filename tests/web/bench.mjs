// Measures the built site in headless Chromium from a local server: time and bytes until the
// choice screen on a first visit and on second visits (online, offline, with the service
// worker stopped as after hours away, and without it), what each step of the start gains, the
// time until the whole content pack is kept for offline play, the game's work per glide frame
// and per drag move, the renderer's CPU over ten idle seconds, and the size of the .wasm.
//   node tests/web/bench.mjs SITE_DIR [RESULTS.md]
// With a results file, its browser section (between the markers below) is written anew.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
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
    '', end].join('\n');
  let text = fs.existsSync(resultsFile) ? fs.readFileSync(resultsFile, 'utf8') : '';
  const a = text.indexOf(begin), b = text.indexOf(end);
  text = a >= 0 && b > a ? text.slice(0, a) + section + text.slice(b + end.length) : text.trimEnd() + '\n\n' + section + '\n';
  fs.writeFileSync(resultsFile, text);
  console.log(`Wrote the browser section of ${resultsFile}`);
}
