// The site's server without a browser: what it lets a browser keep, and what it never serves.
//   node --test tests/web/serve.test.mjs
import assert from 'node:assert/strict';
import fs from 'node:fs';
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
