// The page's side of playing offline (the worker itself is sw.js): after the game's first
// frame the page registers the service worker and asks it for the rest of the content pack;
// before the game starts, a new version of the site that waits for the old one's pages to
// close takes over when this page is the only one open, and the page is loaded again from it.
// Where service workers are refused (a page opened from a file, plain http from another
// computer) the page plays from the network as it always has.
var WebOffline = (function() {
  var worker = null;
  try {
    if ('serviceWorker' in navigator && window.isSecureContext && /^https?:$/.test(location.protocol))
      worker = navigator.serviceWorker;
  } catch (e) {}
  var offline = {
    available: !!worker,
    // The background fetch's last report: { at, files, fetched, missing, kept } (ms on the page's clock).
    packKept: null,
    // While files are being fetched for it: { files, kept }.
    progress: null,
    // Called when either changes (the game shows how much is kept).
    changed: null,
  };

  // A question to a worker over a channel of its own; no answer in time is taken as `fallback`.
  var ask = function(to, message, fallback) {
    return new Promise(function(resolve) {
      var channel = new MessageChannel();
      channel.port1.onmessage = function(e) { resolve(e.data); };
      to.postMessage(message, [channel.port2]);
      setTimeout(resolve, 1000, fallback);
    });
  };

  // Resolves when the game may start in this page. The game has not started yet, so loading
  // the page again from the new version loses nothing; a page whose reload does not come in a
  // few seconds starts as it is.
  offline.ready = !worker ? Promise.resolve() : worker.getRegistration().then(function(reg) {
    if (!reg || !reg.waiting || !reg.active) return;
    var waiting = reg.waiting;
    return ask(reg.active, { type: 'alone?' }, false).then(function(alone) {
      if (!alone) return;
      return new Promise(function(resolve) {
        worker.addEventListener('controllerchange', function() { location.reload(); });
        waiting.postMessage({ type: 'take over' });
        setTimeout(resolve, 5000);
      });
    });
  }).catch(function(e) {
    console.warn('timburik: service worker: ' + e);
  });

  var registration = null;
  var lastCheck = 0;
  var fill = function() {
    if (registration && registration.active) registration.active.postMessage({ type: 'fill' });
  };

  // Called once the game's first frame is on the screen, so that none of this delays it.
  offline.begin = function() {
    if (!worker) return;
    worker.addEventListener('message', function(e) {
      var data = e.data || {};
      if (data.type === 'filling') {
        offline.progress = { files: data.files, kept: data.kept };
      } else if (data.type === 'filled') {
        offline.packKept = { at: performance.now(), files: data.files, fetched: data.fetched, missing: data.missing,
          kept: data.files - data.missing };
        if (!data.missing) performance.mark('timburik:pack-kept');
      } else {
        return;
      }
      if (offline.changed) offline.changed();
    });
    worker.startMessages();
    worker.register('sw.js').then(function(reg) {
      registration = reg;
      lastCheck = Date.now();
      return worker.ready;
    }).then(function(reg) {
      registration = reg;
      fill();
    }).catch(function(e) {
      console.warn('timburik: the game is not kept for offline play: ' + e);
    });
    // Back online (a train out of a tunnel): what failed to arrive is fetched again.
    window.addEventListener('online', fill);
    // A tablet that keeps the game open for days still hears of a new version; it takes
    // effect at the next start.
    document.addEventListener('visibilitychange', function() {
      if (document.visibilityState !== 'visible' || !registration || Date.now() - lastCheck < 600000) return;
      lastCheck = Date.now();
      registration.update().catch(function() {});
    });
  };

  var shown = Module['onFirstFrame'];
  Module['onFirstFrame'] = function() {
    if (shown) shown();
    setTimeout(offline.begin, 0);
  };
  return offline;
})();
