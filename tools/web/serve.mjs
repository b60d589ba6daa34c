// A small static server for the site, sending what a well-configured static server sends:
// the right types (a .wasm must be application/wasm for the browser to compile it while it
// downloads), compressed bodies for the browsers that accept them (the program shrinks to
// a third, the BMP pictures to a quarter), validators for revalidation, and a long lifetime for
// a URL that names its version (?v=...), which can never change under that URL. The browser
// then keeps the program between visits and asks again only for the page and the list.
// The compressed bodies are the copies the site's build leaves beside each file (FILE.br,
// FILE.gz), brotli first, as nginx's brotli_static and gzip_static send them; a file without
// them, or changed since they were made, is gzipped here.
//   node tools/web/serve.mjs SITE_DIR [PORT]      serves on 127.0.0.1 until stopped
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.json': 'application/json', '.webmanifest': 'application/manifest+json', '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8', '.bmp': 'image/bmp', '.wav': 'audio/wav', '.jpg': 'image/jpeg',
  '.str': 'application/octet-stream',
};

// Already compressed (PNG, JPEG) or too small to gain: sent as they are.
const COMPRESSED = new Set(['.png', '.jpg']);
const gzipped = new Map();  // file -> { key, body }: each file compressed once per version

function gzipOf(file, stat, body) {
  const key = `${stat.size}-${stat.mtimeMs}`;
  const known = gzipped.get(file);
  if (known && known.key === key) return known.body;
  const packed = zlib.gzipSync(body, { level: 9 });
  gzipped.set(file, { key, body: packed });
  return packed;
}

// Whether an Accept-Encoding header takes `name`: named (or `*`) without q=0.
export function accepts(header, name) {
  let star = false;
  for (const part of header.split(',')) {
    const [token, ...params] = part.trim().toLowerCase().split(';');
    const q = params.map((p) => p.trim()).find((p) => p.startsWith('q='));
    const taken = !q || Number(q.slice(2)) > 0;
    if (token === name) return taken;
    if (token === '*') star = taken;
  }
  return star;
}

// The compressed copy of `file` with `suffix` beside it, if there is one of the file as it is:
// the build gives each copy its file's modification time, which any later change to the
// file (a new picture put in by hand, a page edited) moves on.
function copyOf(file, stat, suffix) {
  try {
    const copy = fs.statSync(file + suffix);
    return copy.isFile() && copy.mtimeMs === stat.mtimeMs ? file + suffix : null;
  } catch {
    return null;
  }
}

// How long the browser may use its copy without asking: a versioned URL for a year, anything
// else only after asking whether it changed.
export function cacheControl(url) {
  return /[?&]v=[0-9A-Za-z]+/.test(url.search) ? 'public, max-age=31536000, immutable' : 'no-cache';
}

// Serves `root` on 127.0.0.1 (`port` 0: any free one). Each answer is logged by path (without
// the query) with its status and size, for tests that count what a page fetched.
export function serve(root, port = 0) {
  const base = path.resolve(root);
  const log = [];
  const server = http.createServer((req, res) => {
    let url, rel;
    try {
      url = new URL(req.url, 'http://x');
      rel = decodeURIComponent(url.pathname);
    } catch {
      res.writeHead(400).end();
      return;
    }
    if (rel.endsWith('/')) rel += 'index.html';
    const file = path.join(base, path.normalize(rel));
    let stat = null;
    try {
      stat = (file === base || file.startsWith(base + path.sep)) ? fs.statSync(file) : null;
    } catch {
      stat = null;
    }
    if (!stat || !stat.isFile() || (req.method !== 'GET' && req.method !== 'HEAD')) {
      log.push({ path: rel, status: 404, bytes: 0 });
      res.writeHead(404).end();
      return;
    }
    const ext = path.extname(file).toLowerCase();
    const accepted = req.headers['accept-encoding'] || '';
    let encoding = null, copy = null;
    for (const [name, suffix] of [['br', '.br'], ['gzip', '.gz']]) {
      if (!accepts(accepted, name)) continue;
      copy = copyOf(file, stat, suffix);
      if (copy) {
        encoding = name;
        break;
      }
    }
    const gzip = !encoding && !COMPRESSED.has(ext) && stat.size > 1024 && accepts(accepted, 'gzip');
    if (gzip) encoding = 'gzip';
    // The compressed body is another representation, with a validator of its own.
    const tag = { br: '-br', gzip: '-gz' }[encoding] || '';
    const etag = `"${stat.size.toString(16)}-${Math.floor(stat.mtimeMs).toString(16)}${tag}"`;
    const headers = {
      ETag: etag, 'Last-Modified': stat.mtime.toUTCString(), 'Cache-Control': cacheControl(url), Vary: 'Accept-Encoding',
    };
    if (req.headers['if-none-match'] === etag) {
      log.push({ path: rel, status: 304, bytes: 0 });
      res.writeHead(304, headers).end();
      return;
    }
    let body = copy ? fs.readFileSync(copy) : fs.readFileSync(file);
    if (gzip) body = gzipOf(file, stat, body);
    if (encoding) headers['Content-Encoding'] = encoding;
    log.push({ path: rel, status: 200, bytes: body.length });
    res.writeHead(200, {
      ...headers, 'Content-Type': TYPES[ext] || 'application/octet-stream', 'Content-Length': body.length,
    });
    res.end(req.method === 'HEAD' ? undefined : body);
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      resolve({ url: `http://127.0.0.1:${server.address().port}/`, log, close: () => server.close() });
    });
  });
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [root, port] = [process.argv[2] || 'build-web/site', Number(process.argv[3] || 8080)];
  if (!fs.existsSync(path.join(root, 'index.html'))) {
    console.error(`serve: ${root} holds no index.html: build the site first`);
    process.exit(1);
  }
  const { url } = await serve(root, port);
  console.log(`serving ${root} on ${url} (Ctrl+C stops)`);
}
