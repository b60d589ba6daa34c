// The site's server without a browser: what it lets a browser keep, and what it never serves.
//   node --test tests/web/serve.test.mjs
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { execFileSync } from 'node:child_process';
import http from 'node:http';
import path from 'node:path';
import { test } from 'node:test';
import zlib from 'node:zlib';
import { serve } from '../../tools/web/serve.mjs';
import { tempDir } from './harness.mjs';

const root = tempDir('serve');
fs.mkdirSync(path.join(root, 'content'));
fs.writeFileSync(path.join(root, 'index.html'), '<!DOCTYPE html>');
const program = Buffer.concat([Buffer.from([0, 0x61, 0x73, 0x6d]), Buffer.alloc(65536, 7)]);
fs.writeFileSync(path.join(root, 'timburik.wasm'), program);
fs.writeFileSync(path.join(root, 'content', 'Words.str'), 'КОТ\r\n');
fs.writeFileSync(path.join(path.dirname(root), 'outside.txt'), 'not for the site');

test('a versioned URL is kept for a year, anything else is asked for again', async () => {
  const server = await serve(root);
  try {
    const versioned = await fetch(server.url + 'timburik.wasm?v=0123abcd');
    assert.equal(versioned.status, 200);
    assert.equal(versioned.headers.get('content-type'), 'application/wasm');
    assert.match(versioned.headers.get('cache-control'), /max-age=31536000/);
    for (const url of ['timburik.wasm', '', 'content/Words.str', 'timburik.wasm?v=', 'timburik.wasm?x=1&v=..']) {
      const plain = await fetch(server.url + url);
      assert.equal(plain.headers.get('cache-control'), 'no-cache', url);
    }
  } finally {
    server.close();
  }
});

// The raw answer, undecoded: status, headers and body as sent.
const get = (url, headers) => new Promise((resolve, reject) => {
  http.get(url, { headers }, (res) => {
    const parts = [];
    res.on('data', (d) => parts.push(d));
    res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, body: Buffer.concat(parts) }));
  }).on('error', reject);
});

test('a browser that accepts gzip gets the same bytes compressed, one that does not gets them as they are', async () => {
  const server = await serve(root);
  try {
    const packed = await get(server.url + 'timburik.wasm?v=1', { 'Accept-Encoding': 'gzip, deflate, br' });
    assert.equal(packed.headers['content-encoding'], 'gzip');
    assert.ok(packed.body.length < program.length / 10, `${packed.body.length} bytes`);
    assert.deepEqual(zlib.gunzipSync(packed.body), program);
    const again = await get(server.url + 'timburik.wasm?v=1', { 'Accept-Encoding': 'gzip', 'If-None-Match': packed.headers.etag });
    assert.equal(again.status, 304);
    const plain = await get(server.url + 'timburik.wasm?v=1', { 'If-None-Match': packed.headers.etag });
    assert.equal(plain.status, 200, 'the compressed validator must not stand for the plain body');
    assert.equal(plain.headers['content-encoding'], undefined);
    assert.deepEqual(plain.body, program);
  } finally {
    server.close();
  }
});

// A site whose copies the build made (make_site.py's own step, with Debian's brotli and gzip).
test('the copies made at build time: brotli where accepted, else gzip, else the file, each the file when decoded', async () => {
  const site = tempDir('serve-copies');
  // Compressible but not trivially: a program's worth of varied bytes.
  const bytes = Buffer.from(Array.from({ length: 200000 }, (_, i) => (i * 7919) % 251 ^ (i >> 9) & 0xff));
  fs.writeFileSync(path.join(site, 'timburik.wasm'), bytes);
  fs.writeFileSync(path.join(site, 'icon.png'), bytes);
  fs.writeFileSync(path.join(site, 'index.html'), '<!DOCTYPE html>');
  fs.mkdirSync(path.join(site, 'content', 'Буквы'), { recursive: true });
  fs.writeFileSync(path.join(site, 'content', 'Буквы', '1.bmp'), bytes.subarray(0, 5000));
  const tools = path.join(path.dirname(new URL(import.meta.url).pathname), '..', '..', 'tools', 'web');
  execFileSync('/usr/bin/python3', ['-c', 'import sys; sys.path.insert(0, sys.argv[1]); import make_site; make_site.compress_copies(sys.argv[2])', tools, site]);
  for (const made of ['timburik.wasm.br', 'timburik.wasm.gz', 'content/Буквы/1.bmp.br', 'content/Буквы/1.bmp.gz'])
    assert.ok(fs.existsSync(path.join(site, made)), made);
  for (const none of ['icon.png.br', 'icon.png.gz', 'index.html.br', 'index.html.gz'])
    assert.ok(!fs.existsSync(path.join(site, none)), `${none}: compressed already, or too small to gain`);
  const server = await serve(site);
  try {
    const tags = new Set();
    for (const [accept, encoding, decode, copy] of [
      ['gzip, deflate, br', 'br', zlib.brotliDecompressSync, 'timburik.wasm.br'],
      ['br;q=1.0, gzip;q=0.8', 'br', zlib.brotliDecompressSync, 'timburik.wasm.br'],
      ['gzip, deflate', 'gzip', zlib.gunzipSync, 'timburik.wasm.gz'],
      ['br;q=0, gzip', 'gzip', zlib.gunzipSync, 'timburik.wasm.gz'],
      ['identity', undefined, (b) => b, 'timburik.wasm'],
      [undefined, undefined, (b) => b, 'timburik.wasm'],
    ]) {
      const answer = await get(server.url + 'timburik.wasm?v=1', accept === undefined ? {} : { 'Accept-Encoding': accept });
      assert.equal(answer.status, 200, accept);
      assert.equal(answer.headers['content-encoding'], encoding, accept);
      assert.equal(answer.headers['content-type'], 'application/wasm', accept);
      assert.match(answer.headers.vary, /Accept-Encoding/, accept);
      assert.equal(Number(answer.headers['content-length']), answer.body.length, accept);
      assert.deepEqual(answer.body, fs.readFileSync(path.join(site, copy)), `${accept}: the copy itself`);
      assert.deepEqual(decode(answer.body), bytes, `${accept}: decoded`);
      tags.add(`${encoding}:${answer.headers.etag}`);
    }
    assert.equal(new Set([...tags].map((t) => t.split(':')[1])).size, 3, 'each body its own validator');
    const picture = await get(server.url + 'content/%D0%91%D1%83%D0%BA%D0%B2%D1%8B/1.bmp', { 'Accept-Encoding': 'br' });
    assert.deepEqual(zlib.brotliDecompressSync(picture.body), bytes.subarray(0, 5000));
    const png = await get(server.url + 'icon.png', { 'Accept-Encoding': 'gzip, br' });
    assert.equal(png.headers['content-encoding'], undefined);
    assert.deepEqual(png.body, bytes);
    // A file changed after the build (a picture replaced by hand): its copies are of the old
    // bytes and are not sent.
    const changed = Buffer.concat([bytes, Buffer.from('more')]);
    fs.writeFileSync(path.join(site, 'timburik.wasm'), changed);
    const fresh = await get(server.url + 'timburik.wasm', { 'Accept-Encoding': 'br, gzip' });
    assert.equal(fresh.headers['content-encoding'], 'gzip');
    assert.deepEqual(zlib.gunzipSync(fresh.body), changed);
  } finally {
    server.close();
    fs.rmSync(site, { recursive: true, force: true });
  }
});

test('an unchanged file is answered 304 without its body; a changed one in full', async () => {
  const server = await serve(root);
  try {
    const first = await fetch(server.url + 'content/Words.str');
    const etag = first.headers.get('etag');
    assert.equal(Buffer.from(await first.arrayBuffer()).toString(), 'КОТ\r\n');
    const again = await fetch(server.url + 'content/Words.str', { headers: { 'If-None-Match': etag } });
    assert.equal(again.status, 304);
    fs.writeFileSync(path.join(root, 'content', 'Words.str'), 'КОТ\r\nДОМ\r\n');
    const changed = await fetch(server.url + 'content/Words.str', { headers: { 'If-None-Match': etag } });
    assert.equal(changed.status, 200);
    assert.equal(Buffer.from(await changed.arrayBuffer()).toString(), 'КОТ\r\nДОМ\r\n');
  } finally {
    server.close();
  }
});

test('nothing outside the site is served, and a bad address is no crash', async () => {
  const server = await serve(root);
  try {
    for (const url of ['../outside.txt', '%2e%2e/outside.txt', 'content/..%2f..%2foutside.txt', 'content', 'nothing.bmp', '%E0%A4%A']) {
      const answer = await fetch(server.url + url);
      assert.ok(answer.status === 404 || answer.status === 400, `${url}: ${answer.status}`);
    }
    assert.equal((await fetch(server.url)).status, 200);
  } finally {
    server.close();
    fs.rmSync(root, { recursive: true, force: true });
    fs.rmSync(path.join(path.dirname(root), 'outside.txt'), { force: true });
  }
});
