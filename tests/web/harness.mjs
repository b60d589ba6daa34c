// What the browser tests stand on: the site's static server on 127.0.0.1, which counts what
// it sends, a content folder of plain-coloured pictures whose colours tell the tests what the
// game drew, Debian's Chromium, and the canvas read back in layout coordinates.
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

export const LAYOUT = { width: 1369, height: 700 };

// The site's own server, as `bash scripts/web.sh serve` runs it.
export { serve } from '../../tools/web/serve.mjs';

// --- Test content ------------------------------------------------------------------------

export const ALPHABET = 'АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ';
const rgbOf = (tcolor) => [tcolor & 0xff, (tcolor >> 8) & 0xff, (tcolor >> 16) & 0xff];
export const COVER = rgbOf(0x0000c0);
export const SUBJECT = rgbOf(0xc08040);
export const letterColour = (n) => [40 + n * 6, 250 - n * 5, 20 + n * 7];

export function bmp24(width, height, [r, g, b]) {
  const row = Math.ceil((width * 3) / 4) * 4;
  const data = Buffer.alloc(54 + row * height);
  data.write('BM', 0, 'latin1');
  data.writeUInt32LE(data.length, 2);
  data.writeUInt32LE(54, 10);
  data.writeUInt32LE(40, 14);
  data.writeInt32LE(width, 18);
  data.writeInt32LE(height, 22);
  data.writeUInt16LE(1, 26);
  data.writeUInt16LE(24, 28);
  data.writeUInt32LE(row * height, 34);
  for (let y = 0; y < height; ++y)
    for (let x = 0; x < width; ++x) data.set([b, g, r], 54 + y * row + x * 3);
  return data;
}

export function cp1251(text) {
  return Buffer.from([...text].map((c) => {
    if (c === 'Ё') return 0xa8;
    if (c === 'ё') return 0xb8;
    const code = c.charCodeAt(0);
    return code >= 0x410 && code <= 0x44f ? code - 0x410 + 0xc0 : code;
  }));
}

// A sound of `ms` milliseconds at 8 kHz: silence, or a tone loud enough to be told from it in
// the page's audio output.
function wav(ms, hz = 0) {
  const samples = 8 * ms;
  const b = Buffer.alloc(44 + samples * 2);
  b.write('RIFF', 0, 'latin1'); b.writeUInt32LE(36 + samples * 2, 4); b.write('WAVEfmt ', 8, 'latin1');
  b.writeUInt32LE(16, 16); b.writeUInt16LE(1, 20); b.writeUInt16LE(1, 22); b.writeUInt32LE(8000, 24);
  b.writeUInt32LE(16000, 28); b.writeUInt16LE(2, 32); b.writeUInt16LE(16, 34);
  b.write('data', 36, 'latin1'); b.writeUInt32LE(samples * 2, 40);
  for (let i = 0; hz && i < samples; ++i) b.writeInt16LE(Math.round(16000 * Math.sin((2 * Math.PI * hz * i) / 8000)), 44 + i * 2);
  return b;
}
const silence = () => wav(100);

// A file's version in the content list, as tools/web/make_site.py writes it.
export const versionOf = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex').slice(0, 16);

// Writes the content list of `content`: each file with its version, or without (a list
// written by hand) when `versions` is false.
export function writeContentList(content, files, versions = true) {
  const lines = Object.keys(files).sort().map((f) => (versions ? `${f}\t${versionOf(files[f])}\n` : `${f}\n`));
  fs.writeFileSync(path.join(content, 'index.txt'), lines.join(''));
}

// The built site with its content replaced by test content: `word` on every line. Returns
// the content files, by path, with their bytes.
export function makeTestSite(builtSite, target, word) {
  fs.rmSync(target, { recursive: true, force: true });
  fs.mkdirSync(target, { recursive: true });
  for (const name of fs.readdirSync(builtSite))
    if (name !== 'content') fs.cpSync(path.join(builtSite, name), path.join(target, name), { recursive: true });
  const content = path.join(target, 'content');
  const files = {
    'Words.str': Buffer.concat(Array.from({ length: 130 }, () => Buffer.concat([cp1251(word), Buffer.from('\r\n')]))),
    'pz91.bmp': bmp24(90, 90, COVER),
    [`subjects/${word}.bmp`]: bmp24(200, 200, SUBJECT),
    'Sounds/Beep.wav': silence(),
    // Heard: the drum, the word said and each letter said (the browser tests listen for them).
    'Sounds/Drum1.wav': wav(400, 300),
    [`Sounds/Words/${word}.wav`]: wav(600, 500),
  };
  for (let n = 1; n <= 33; ++n) files[`Morvadel/Буквы/one1/${n}.bmp`] = bmp24(90, 90, letterColour(n));
  for (const c of new Set(word)) files[`Sounds/Letters/${ALPHABET.indexOf(c) + 1}.wav`] = wav(300, 400);
  for (const [rel, bytes] of Object.entries(files)) {
    fs.mkdirSync(path.dirname(path.join(content, rel)), { recursive: true });
    fs.writeFileSync(path.join(content, rel), bytes);
  }
  writeContentList(content, files);
  nameVersion(target);
  return files;
}

// Gives the test site's service worker a version of its own, as make_site.py does for a
// built site: a new one whenever the page or the content list changes.
export function nameVersion(target) {
  const worker = path.join(target, 'sw.js');
  const page = fs.readFileSync(path.join(target, 'index.html'));
  const list = fs.readFileSync(path.join(target, 'content', 'index.txt'));
  const text = fs.readFileSync(worker, 'utf8');
  if (!/const BUILD = '[^']*';/.test(text)) throw new Error('sw.js names no version');
  const version = versionOf(Buffer.concat([page, Buffer.from([0]), list]));
  fs.writeFileSync(worker, text.replace(/const BUILD = '[^']*';/, `const BUILD = '${version}';`));
  return version;
}

// The network switched off for the page and for the site's service worker, which has a
// connection of its own.
export async function goOffline(browser, page) {
  await page.setOfflineMode(true);
  for (const target of browser.targets().filter((t) => t.type() === 'service_worker')) {
    const session = await target.createCDPSession();
    await session.send('Network.enable');
    await session.send('Network.emulateNetworkConditions', { offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
  }
}

// --- The browser -------------------------------------------------------------------------

export async function launch(userDataDir, extraArgs = []) {
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--autoplay-policy=no-user-gesture-required', ...extraArgs],
  });
  return browser;
}

// A page in a window of its own: the other windows' pages stay visible, as two windows side
// by side are (a new tab would hide the one before it).
export async function newWindow(browser) {
  const cdp = await browser.target().createCDPSession();
  const { targetId } = await cdp.send('Target.createTarget', { url: 'about:blank', newWindow: true });
  const target = await browser.waitForTarget((t) => t._targetId === targetId);
  await cdp.detach();
  return target.page();
}

export function tempDir(name) {
  return fs.mkdtempSync(path.join(os.tmpdir(), `timburik-web-${name}-`));
}

// --- The canvas in layout coordinates ----------------------------------------------------

// The game's fit of its layout onto the canvas (the same arithmetic as ScreenFit).
export class Fit {
  constructor(width, height, ratio) {
    this.width = width;
    this.height = height;
    this.ratio = ratio;
    const scale = Math.min(width / LAYOUT.width, height / LAYOUT.height);
    this.w = Math.round(LAYOUT.width * scale);
    this.h = Math.round(LAYOUT.height * scale);
    this.x = Math.trunc((width - this.w) / 2);
    this.y = Math.trunc((height - this.h) / 2);
    this.unscaled = this.w === LAYOUT.width && this.h === LAYOUT.height;
  }
  // The canvas pixel showing layout pixel (lx, ly).
  toCanvas(lx, ly) {
    return [this.x + Math.floor(((lx + 0.5) * this.w) / LAYOUT.width),
      this.y + Math.floor(((ly + 0.5) * this.h) / LAYOUT.height)];
  }
  // Where to put the pointer, in the page's CSS pixels, to press layout pixel (lx, ly).
  toPage(lx, ly) {
    const [cx, cy] = this.toCanvas(lx, ly);
    return [(cx + 0.5) / this.ratio, (cy + 0.5) / this.ratio];
  }
}

export async function fitOf(page) {
  const [w, h, ratio] = await page.evaluate(() => {
    const c = document.getElementById('screen');
    return [c.width, c.height, window.devicePixelRatio || 1];
  });
  return new Fit(w, h, ratio);
}

// Reads the canvas pixels at layout points.
export async function pixels(page, fit, points) {
  const canvasPoints = points.map(([x, y]) => fit.toCanvas(x, y));
  return page.evaluate((pts) => {
    const c = document.getElementById('screen');
    const g = c.getContext('2d');
    const all = g.getImageData(0, 0, c.width, c.height).data;
    return pts.map(([x, y]) => {
      if (x < 0 || y < 0 || x >= c.width || y >= c.height) return [-1, -1, -1];
      const i = (y * c.width + x) * 4;
      return [all[i], all[i + 1], all[i + 2]];
    });
  }, canvasPoints);
}
