// Measures the built site in headless Chromium from a local server: bytes and time until
// the choice screen on a first and a second visit, the game's work per glide frame and per
// drag move, the renderer's CPU over ten idle seconds, and the size of the .wasm.
//   node tests/web/bench.mjs SITE_DIR [RESULTS.md]
// With a results file, its browser section (between the markers below) is written anew.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { LAYOUT, fitOf, launch, makeTestSite, serve, tempDir } from './harness.mjs';

const site = path.resolve(process.argv[2] || 'build-web/site');
const resultsFile = process.argv[3];
const rows = [];  // figure, target, measured, met
const row = (figure, target, measured, met) => {
  rows.push([figure, target, measured, met === undefined ? '—' : met ? 'yes' : 'no']);
  console.log(`${figure}: ${measured}`);
};
const server = await serve(site);
const rounds = Math.max(1, Number(process.env.ROUNDS || 5));
const median = (xs) => {
  const v = [...xs].sort((a, b) => a - b);
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
};
const load = () => os.loadavg().map((x) => x.toFixed(2)).join(' ');
const loadBefore = load();

// One visit to the site in `browser`: the time to the first frame (the choice screen), the
// page's marks on the way there, and what was transferred until then.
async function visit(browser) {
  const page = await browser.newPage();
  await page.setViewport({ width: LAYOUT.width, height: LAYOUT.height });
  const cdp = await page.createCDPSession();
  await cdp.send('Network.enable');
  let bytes = 0, requests = 0, shown = false;
  // What had arrived by the first frame (the choice screen), not what came after.
  cdp.on('Network.loadingFinished', (e) => { if (!shown) { bytes += e.encodedDataLength; requests++; } });
  await page.goto(server.url);
  await page.waitForFunction(() => window.Module && Module.firstFrameShown, { timeout: 30000 });
  shown = true;
  const { ms, marks } = await page.evaluate(() => ({
    ms: Module.firstFrameShown,
    marks: Object.fromEntries(performance.getEntriesByType('mark').map((m) => [m.name, m.startTime])),
  }));
  return { page, ms, requests, bytes, marks };
}

// Each round: a fresh profile's first visit, a few seconds on the page as a child would stay
// (the browser keeps the compiled program once it has been running a while), then a second
// visit in the same profile.
const visits = { first: [], second: [] };
const profiles = [];
let browser, visited;
for (let round = 0; round < rounds; ++round) {
  if (browser) await browser.close();
  const profile = tempDir('bench');
  profiles.push(profile);
  browser = await launch(profile);
  const first = await visit(browser);
  await new Promise((r) => setTimeout(r, 5000));
  await first.page.close();
  const second = await visit(browser);
  visits.first.push(first);
  visits.second.push(second);
  if (round < rounds - 1) await second.page.close(); else visited = second.page;
  console.log(`round ${round + 1}: first ${first.ms.toFixed(0)} ms, second ${second.ms.toFixed(0)} ms (load ${load()})`);
}
for (const [name, target] of [['first', 1500], ['second', 500]]) {
  const v = visits[name];
  const ms = median(v.map((x) => x.ms));
  const label = name === 'first' ? 'First visit' : 'Second visit';
  row(`${label}: time to the choice screen (median of ${rounds})`, `≤ ${target} ms`,
    `${ms.toFixed(0)} ms (${Math.min(...v.map((x) => x.ms)).toFixed(0)}–${Math.max(...v.map((x) => x.ms)).toFixed(0)})`, ms <= target);
  // Where the time went: the program compiled and instantiated, the storage and the first
  // content ready and the game started, the game's own start-up to its first frame.
  const at = (mark) => median(v.map((x) => x.marks[mark] ?? NaN));
  row(`${label}: compiled / game started / first frame at`, '—',
    `${at('timburik:compiled').toFixed(0)} / ${at('timburik:main').toFixed(0)} / ${ms.toFixed(0)} ms`);
  row(`${label}: transferred before it`, '—',
    `${(median(v.map((x) => x.bytes)) / 1024).toFixed(0)} KiB in ${median(v.map((x) => x.requests))} requests`);
}

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
const testSite = tempDir('bench-site');
makeTestSite(site, testSite, 'КОТ');
const playServer = await serve(testSite);
const playProfile = tempDir('bench-play');
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
server.close();
playServer.close();
for (const dir of [...profiles, playProfile, testSite]) fs.rmSync(dir, { recursive: true, force: true });

if (resultsFile) {
  const begin = '<!-- browser: written by bash scripts/web.sh bench -->';
  const end = '<!-- /browser -->';
  const when = new Date().toISOString().replace('T', ' ').slice(0, 16);
  const section = [begin, '', '## In a browser', '',
    `Measured by \`bash scripts/web.sh bench\` in headless Chromium from a server on 127.0.0.1, ${when} UTC.`, '',
    '| figure | target | measured | met? |', '|---|---|---|---|',
    ...rows.map((r) => `| ${r.join(' | ')} |`), '',
    `- Visits: ${rounds} rounds, each in a fresh browser profile with the built site and its bundled content: a first visit, 5 s on the page, then a second visit in a new page of the same profile. Time is the page's clock from navigation to the first frame on the canvas (the choice screen), the median of the rounds with the fastest and slowest in brackets; the marks say when the program was compiled and when the game started. Bytes are as transferred (headers included), counted by the browser up to that frame. The server sends what a well-configured static server does: the program and content under URLs naming their version, kept for a year; the page and the content list revalidated (304 when unchanged).`,
    `- Machine: ${os.cpus().length} cores; load average (1, 5, 15 min) before ${loadBefore}, after ${load()}. Other work on the machine slows every figure here.`,
    '- Idle: the renderer processes\' CPU time (Chromium\'s own process information) over 10 s on the choice screen, a second after it showed.',
    '- Drag and glide: the time the game spends between being woken and sleeping again, on the test content (one word, КОТ): 200 pointer moves with the first tile held, then the hint\'s glide of every tile.',
    '', end].join('\n');
  let text = fs.existsSync(resultsFile) ? fs.readFileSync(resultsFile, 'utf8') : '';
  const a = text.indexOf(begin), b = text.indexOf(end);
  text = a >= 0 && b > a ? text.slice(0, a) + section + text.slice(b + end.length) : text.trimEnd() + '\n\n' + section + '\n';
  fs.writeFileSync(resultsFile, text);
  console.log(`Wrote the browser section of ${resultsFile}`);
}
