// Measures the built site in headless Chromium from a local server: bytes and time until
// the choice screen on a first and a second visit, the game's work per glide frame and per
// drag move, the renderer's CPU over ten idle seconds, and the size of the .wasm.
//   node tests/web/bench.mjs SITE_DIR [RESULTS.md]
// With a results file, its browser section (between the markers below) is written anew.
import fs from 'node:fs';
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
const profile = tempDir('bench');
const browser = await launch(profile);

async function visit(label) {
  const page = await browser.newPage();
  await page.setViewport({ width: LAYOUT.width, height: LAYOUT.height });
  const cdp = await page.createCDPSession();
  await cdp.send('Network.enable');
  let bytes = 0, requests = 0;
  cdp.on('Network.loadingFinished', (e) => { bytes += e.encodedDataLength; requests++; });
  await page.goto(server.url);
  await page.waitForFunction(() => window.Module && Module.firstFrameShown, { timeout: 30000 });
  const ms = await page.evaluate(() => Module.firstFrameShown);
  // What had arrived by the first frame (the choice screen), not what came after.
  return { page, ms, requests, bytes };
}

const first = await visit('first visit');
await first.page.close();
row('First visit: time to the choice screen', '≤ 1500 ms', `${first.ms.toFixed(0)} ms`, first.ms <= 1500);
row('First visit: transferred before it', '—', `${(first.bytes / 1024).toFixed(0)} KiB in ${first.requests} requests`);
const second = await visit('second visit');
const visited = second.page;
row('Second visit: time to the choice screen', '≤ 500 ms', `${second.ms.toFixed(0)} ms`, second.ms <= 500);
row('Second visit: transferred before it', '—', `${(second.bytes / 1024).toFixed(0)} KiB in ${second.requests} requests`);

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
for (const dir of [profile, playProfile, testSite]) fs.rmSync(dir, { recursive: true, force: true });

if (resultsFile) {
  const begin = '<!-- browser: written by bash scripts/web.sh bench -->';
  const end = '<!-- /browser -->';
  const when = new Date().toISOString().replace('T', ' ').slice(0, 16);
  const section = [begin, '', '## In a browser', '',
    `Measured by \`bash scripts/web.sh bench\` in headless Chromium from a server on 127.0.0.1, ${when} UTC.`, '',
    '| figure | target | measured | met? |', '|---|---|---|---|',
    ...rows.map((r) => `| ${r.join(' | ')} |`), '',
    '- Visits: a fresh browser profile, the built site with the bundled content; time is the page\'s clock from navigation to the first frame on the canvas (the choice screen); bytes are as transferred (headers included), counted by the browser up to that frame. The second visit is a new page in the same profile: the server answers unchanged files with 304.',
    '- Idle: the renderer processes\' CPU time (Chromium\'s own process information) over 10 s on the choice screen, a second after it showed.',
    '- Drag and glide: the time the game spends between being woken and sleeping again, on the test content (one word, КОТ): 200 pointer moves with the first tile held, then the hint\'s glide of every tile.',
    '', end].join('\n');
  let text = fs.existsSync(resultsFile) ? fs.readFileSync(resultsFile, 'utf8') : '';
  const a = text.indexOf(begin), b = text.indexOf(end);
  text = a >= 0 && b > a ? text.slice(0, a) + section + text.slice(b + end.length) : text.trimEnd() + '\n\n' + section + '\n';
  fs.writeFileSync(resultsFile, text);
  console.log(`Wrote the browser section of ${resultsFile}`);
}
