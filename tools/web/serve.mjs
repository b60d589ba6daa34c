// A small static server for the site, sending what a well-configured static server sends:
// the right types (a .wasm must be application/wasm for the browser to compile it while it
// downloads), validators for revalidation, and a long lifetime for a URL that names its
// version (?v=...), which can never change under that URL. The browser then keeps the
// compiled program between visits and asks again only for the page and the content list.
//   node tools/web/serve.mjs SITE_DIR [PORT]      serves on 127.0.0.1 until stopped
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.json': 'application/json', '.webmanifest': 'application/manifest+json', '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8', '.bmp': 'image/bmp', '.wav': 'audio/wav', '.jpg': 'image/jpeg',
  '.str': 'application/octet-stream',
};

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
    const etag = `"${stat.size.toString(16)}-${Math.floor(stat.mtimeMs).toString(16)}"`;
    const headers = { ETag: etag, 'Last-Modified': stat.mtime.toUTCString(), 'Cache-Control': cacheControl(url) };
    if (req.headers['if-none-match'] === etag) {
      log.push({ path: rel, status: 304, bytes: 0 });
      res.writeHead(304, headers).end();
      return;
    }
    const body = fs.readFileSync(file);
    log.push({ path: rel, status: 200, bytes: body.length });
    res.writeHead(200, {
      ...headers, 'Content-Type': TYPES[path.extname(file).toLowerCase()] || 'application/octet-stream',
      'Content-Length': body.length,
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
