// The site's service worker: it keeps the game in the browser's cache so that after one visit
// it plays with the network off, and keeps each version of the site whole and apart.
// - A version is named by BUILD (tools/web/make_site.py writes it: a hash of the page and the
//   content list) and kept in the cache "timburik-BUILD". Installing it keeps what the game
//   needs to start and play its first words (the page, the program, the content list and the
//   content but the subjects' pictures and the words' voices); a file an older version keeps
//   under the same address is taken from there, since an address with ?v= names its bytes.
// - The rest of the pack is fetched when a page asks (after its first frame), one file at a
//   time and at low priority, so that it never holds up the game's own requests.
// - The page and the content list are asked of the network first, so that a visit online gets
//   a new version at once; the program and the content, whose addresses name their versions,
//   come from the cache first.
// - A new version waits until no page of the old one is open, so that no game in progress ever
//   changes under a child; a page that starts alone lets it take over (see WebOffline.js).
//   Taking over removes the older versions' caches.
// - Progress lives in the page's IndexedDB and localStorage; nothing here ever sees it.
'use strict';

const BUILD = '@BUILD@';
const PREFIX = 'timburik-';
const CACHE = PREFIX + BUILD;
const SCOPE = self.registration.scope;
const PAGE = SCOPE;
const LIST = new URL('content/index.txt', SCOPE).href;
// Content that waits for the background fetch: the subjects' pictures and the words' voices.
const LATER = /^(subjects|Sounds\/Words)\//;
// How long the page or the list may take to come from the network before the kept copy is
// used: a classroom's poor Wi-Fi must not hold up the start.
const NETWORK_WAIT_MS = 1500;

// The content list: a file's path a line, a tab and its version (see WebStart.js).
function listed(text) {
  const files = [];
  for (const raw of text.split('\n')) {
    const line = raw.replace(/\r$/, '');
    const tab = line.indexOf('\t');
    const rel = tab < 0 ? line : line.slice(0, tab);
    if (rel) files.push([rel, tab < 0 ? '' : line.slice(tab + 1)]);
  }
  return files;
}

// The address the page asks for a content file by (WebFiles.url).
function contentUrl(rel, version) {
  const url = 'content/' + rel.split('/').map(encodeURIComponent).join('/');
  return new URL(version ? url + '?v=' + encodeURIComponent(version) : url, SCOPE).href;
}

// The site's own files the page names: the program, the manifest, the icons.
function linksOf(page) {
  const found = new Set();
  for (const m of page.matchAll(/\s(?:href|src)="([^"#:]+)"/g)) found.add(new URL(m[1], SCOPE).href);
  return [...found];
}

// A copy of `url` in one of this site's caches, this version's first.
async function keptCopy(url) {
  const own = await (await caches.open(CACHE)).match(url, { ignoreVary: true });
  if (own) return own;
  for (const name of await caches.keys()) {
    if (!name.startsWith(PREFIX) || name === CACHE) continue;
    const copy = await (await caches.open(name)).match(url, { ignoreVary: true });
    if (copy) return copy;
  }
  return null;
}

async function fetchOk(url, init) {
  const response = await fetch(url, init);
  if (!response.ok) throw new Error(`${url}: ${response.status}`);
  return response;
}

// Puts `url` in this version's cache, from an older version's when it has it.
async function keep(cache, url, init) {
  if (await cache.match(url, { ignoreVary: true })) return false;
  const copy = await keptCopy(url);
  await cache.put(url, copy || await fetchOk(url, init));
  return !copy;
}

// Runs `work` on each item, `width` at a time.
async function eachOf(items, width, work) {
  let next = 0;
  const lane = async () => { while (next < items.length) await work(items[next++]); };
  await Promise.all(Array.from({ length: Math.min(width, items.length) }, lane));
}

async function install() {
  const cache = await caches.open(CACHE);
  const [page, list] = await Promise.all([fetchOk(PAGE, { cache: 'no-cache' }), fetchOk(LIST, { cache: 'no-cache' })]);
  const files = listed(await list.clone().text());
  const first = files.filter(([rel]) => !LATER.test(rel)).map(([rel, v]) => contentUrl(rel, v));
  // The program and the first content must be there; an icon the page names but the site
  // lacks must not keep the game from being kept.
  const links = linksOf(await page.clone().text()).filter((url) => url !== PAGE && url !== LIST);
  await eachOf(links.filter((url) => new URL(url).searchParams.has('v')).concat(first), 4, (url) => keep(cache, url));
  await eachOf(links.filter((url) => !new URL(url).searchParams.has('v')), 4, (url) => keep(cache, url).catch(() => {}));
  // What an older version already keeps of the rest comes along: it costs no download, and
  // the older version's cache goes once this one takes over.
  await eachOf(files.filter(([rel]) => LATER.test(rel)), 8, async ([rel, v]) => {
    const url = contentUrl(rel, v);
    const copy = await keptCopy(url);
    if (copy) await cache.put(url, copy);
  });
  // The page and the list last: a version whose page is kept has everything it starts with.
  await cache.put(LIST, list);
  await cache.put(PAGE, page);
}

self.addEventListener('install', (event) => {
  // Where the browser can, it takes versioned files from this version's cache itself, without
  // waking this worker for each of them (the static routing API); what the cache lacks comes
  // from the network as before.
  const routed = (async () => {
    if (event.addRoutes) await event.addRoutes({ condition: { urlPattern: { search: 'v=*' } }, source: { cacheName: CACHE } });
  })().catch((e) => console.warn(`timburik: no static routes: ${e}`));
  event.waitUntil(routed.then(install));
});

self.addEventListener('activate', (event) => event.waitUntil((async () => {
  // The page's request goes out while the worker itself is still starting.
  if (self.registration.navigationPreload) await self.registration.navigationPreload.enable();
  for (const name of await caches.keys()) if (name.startsWith(PREFIX) && name !== CACHE) await caches.delete(name);
  // The page of a first visit, which started before this worker, has its files kept from now on.
  await self.clients.claim();
})()));

// The network's answer if it comes in time and is good, else the kept copy; without a kept
// copy, whatever the network answers.
async function networkFirst(event, key, network) {
  const asked = network.then((r) => (r && r.ok ? r : null), () => null);
  let timer;
  const late = new Promise((resolve) => { timer = setTimeout(resolve, NETWORK_WAIT_MS, null); });
  const answer = await Promise.race([asked, late]);
  clearTimeout(timer);
  if (answer) return answer;
  const copy = await keptCopy(key);
  if (copy) return copy;
  return network.catch(() => Response.error());
}

// A versioned file: the kept copy, else the network's, kept for next time.
async function cacheFirst(event, url) {
  const copy = await keptCopy(url);
  if (copy) return copy;
  const response = await fetch(event.request);
  if (response.ok) {
    const kept = response.clone();
    event.waitUntil(caches.open(CACHE).then((cache) => cache.put(url, kept)).catch(() => {}));
  }
  return response;
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || !request.url.startsWith(SCOPE)) return;
  const url = new URL(request.url);
  const bare = url.origin + url.pathname;
  if (bare === SCOPE + 'sw.js') return;
  if (url.searchParams.has('v')) {
    event.respondWith(cacheFirst(event, url.href));
    return;
  }
  // A navigation's request went out while this worker was starting (navigation preload).
  const preloaded = request.mode === 'navigate' && event.preloadResponse ? event.preloadResponse : Promise.resolve();
  const network = preloaded.then((r) => r || fetch(request));
  if (bare === PAGE || bare === PAGE + 'index.html') {
    event.respondWith(networkFirst(event, PAGE, network));
  } else if (bare === LIST) {
    event.respondWith(networkFirst(event, LIST, network));
  } else {
    // Anything else of the site (the manifest, a list written by hand that names no
    // versions): the network's answer, kept for when there is none.
    let stored = Promise.resolve();
    const answered = network.then((r) => {
      if (r.ok) {
        const copy = r.clone();
        stored = caches.open(CACHE).then((cache) => cache.put(url.href, copy));
      }
      return r;
    });
    event.waitUntil(answered.then(() => stored).catch(() => {}));
    event.respondWith(networkFirst(event, url.href, answered));
  }
});

// The rest of the pack, one file at a time; a file that fails is left for the next time a
// page asks (the network may be gone).
// `progress` hears how many are kept so far while files are being fetched (not while those
// kept already are only looked at, which a second visit does in a moment).
async function fillRest(progress) {
  const cache = await caches.open(CACHE);
  const list = await cache.match(LIST);
  if (!list) return { files: 0, fetched: 0, missing: 0 };
  const files = listed(await list.text());
  let fetched = 0, missing = 0, told = 0;
  for (let i = 0; i < files.length; ++i) {
    const [rel, v] = files[i];
    try {
      if (await keep(cache, contentUrl(rel, v), { priority: 'low' })) fetched++;
    } catch (e) {
      missing++;
    }
    if (fetched > 0 && Date.now() - told > 500) {
      told = Date.now();
      progress({ files: files.length, kept: i + 1 - missing });
    }
  }
  return { files: files.length, fetched, missing };
}

let filling = null;

self.addEventListener('message', (event) => {
  const data = event.data || {};
  const source = event.source;
  if (data.type === 'fill') {
    const progress = (p) => source && source.postMessage({ type: 'filling', build: BUILD, ...p });
    if (!filling) filling = fillRest(progress).finally(() => { filling = null; });
    event.waitUntil(filling.then((report) => source && source.postMessage({ type: 'filled', build: BUILD, ...report })));
  } else if (data.type === 'alone?' && event.ports[0]) {
    // Whether the asking page is the site's only one open: then a waiting version may take over.
    event.waitUntil(self.clients.matchAll({ type: 'window', includeUncontrolled: true }).then((all) => {
      const others = all.filter((c) => c.url.startsWith(SCOPE) && (!source || c.id !== source.id));
      event.ports[0].postMessage(others.length === 0);
    }));
  } else if (data.type === 'take over') {
    self.skipWaiting();
  }
});
