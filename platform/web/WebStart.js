// Before the game starts in the browser: the site's list of content files and the files the
// first screens need are fetched while the program itself downloads and compiles; once this
// tab has the turn to play, the progress folder is filled from the browser's storage
// (IndexedDB), meanwhile too. The game starts once all are ready.
var WebStart = {};
(function() {
  var settings = Module['timburik'] || {};
  var contentUrl = settings['contentUrl'] || 'content/';
  var firstFiles = settings['firstFiles'] || ['Words.str', 'pz91.bmp'];
  var get = function(url) {
    return fetch(url).then(function(response) {
      if (!response.ok) throw new Error(url + ': ' + response.status + ' ' + response.statusText);
      return response.arrayBuffer();
    });
  };
  // A file's URL, naming its version when the list gives one, so that the browser may keep
  // it from one visit to the next (see tools/web/make_site.py).
  var urlOf = function(rel, version) {
    var url = contentUrl + rel.split('/').map(encodeURIComponent).join('/');
    return typeof version === 'string' && version ? url + '?v=' + encodeURIComponent(version) : url;
  };
  // The list: a file's path a line, optionally a tab and its version (a list written by hand
  // on Windows ends its lines with CR LF).
  var list = get(contentUrl + 'index.txt').then(function(buffer) {
    var files = Object.create(null);
    new TextDecoder('utf-8').decode(buffer).split('\n').forEach(function(line) {
      line = line.replace(/\r$/, '');
      var tab = line.indexOf('\t');
      var rel = tab < 0 ? line : line.substr(0, tab);
      if (rel.length > 0) files[rel] = tab < 0 ? true : line.substr(tab + 1);
    });
    return files;
  });
  var first = list.then(function(files) {
    return Promise.all(firstFiles.map(function(rel) {
      return get(urlOf(rel, files[rel])).then(function(buffer) { return [rel, buffer]; });
    }));
  });
  // A failure is reported where the start uses them; a program that never loads never does.
  first.catch(function() {});
  // The turn to play (one tab at a time, WebTurn.js) before the storage is read: another tab
  // may be about to save. The storage's database is opened while the program compiles, but
  // its files are put into the program's file system only once the program's memory exists
  // (the file system copies into it): after an update the program compiles slower than the
  // storage answers, and a file put in before would fail and lose the session.
  var compiled = new Promise(function(resolve) { WebStart.compiled = resolve; });
  var storage = WebOffline.ready.then(function() {
    return new Promise(function(resolve) { WebTurn.take(resolve); });
  }).then(function() {
    WebFiles.storageRoot = settings['progressRoot'] || WebFiles.storageRoot;
    WebFiles.openDatabase();
    return compiled;
  }).then(function() {
    return new Promise(function(resolve) {
      // Without storage (a private window, storage switched off, a browser that never
      // answers) the game still plays, and says that the score cannot be kept.
      FS.mkdirTree(WebFiles.storageRoot);
      WebFiles.openStorage(resolve);
    });
  });
  Module['preRun'] = Module['preRun'] || [];
  Module['preRun'].push(function() {
    performance.mark('timburik:compiled');
    WebStart.compiled();
    WebFiles.contentUrl = contentUrl;
    WebFiles.contentRoot = settings['contentRoot'] || '/content';
    addRunDependency('timburik-start');
    FS.mkdirTree(WebFiles.contentRoot);
    storage.then(function() { return list; }).then(function(files) {
      WebFiles.files = files;
      // Each folder once: a pack of a few hundred files has a handful of them.
      var folders = Object.create(null);
      Object.keys(files).forEach(function(rel) { folders[PATH.dirname(WebFiles.contentRoot + '/' + rel)] = true; });
      Object.keys(folders).forEach(function(folder) { FS.mkdirTree(folder); });
      return first;
    }).then(function(loaded) {
      loaded.forEach(function(item) {
        FS.writeFile(WebFiles.contentRoot + '/' + item[0], new Uint8Array(item[1]));
        WebFiles.fetched[item[0]] = true;
      });
    }).catch(function(err) {
      // The game starts all the same and says which file it cannot open.
      console.error('timburik: content: ' + err);
      if (!WebFiles.files) WebFiles.files = Object.create(null);
    }).then(function() {
      performance.mark('timburik:main');
      removeRunDependency('timburik-start');
    });
  });
})();
