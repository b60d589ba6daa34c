// Before the game starts in the browser: the site's list of content files and the files the
// first screens need are fetched while the program itself downloads, and the progress folder
// is filled from the browser's storage (IndexedDB). The game starts once both are ready.
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
  var encode = function(rel) { return rel.split('/').map(encodeURIComponent).join('/'); };
  var list = get(contentUrl + 'index.txt').then(function(buffer) {
    return new TextDecoder('utf-8').decode(buffer).split('\n').filter(function(line) { return line.length > 0; });
  });
  var first = firstFiles.map(function(rel) {
    return get(contentUrl + encode(rel)).then(function(buffer) { return [rel, buffer]; });
  });

  Module['preRun'] = Module['preRun'] || [];
  Module['preRun'].push(function() {
    WebFiles.contentUrl = contentUrl;
    WebFiles.contentRoot = settings['contentRoot'] || '/content';
    WebFiles.storageRoot = settings['progressRoot'] || '/progress';
    addRunDependency('timburik-start');
    FS.mkdirTree(WebFiles.contentRoot);
    FS.mkdirTree(WebFiles.storageRoot);
    var storage = new Promise(function(resolve) {
      try {
        FS.mount(IDBFS, {}, WebFiles.storageRoot);
        FS.syncfs(true, function(err) {
          // Without storage (a private window, storage switched off) the game still plays;
          // each save then says it failed.
          if (err) console.warn('timburik: no storage for progress: ' + err);
          WebFiles.db = err ? null : (IDBFS.dbs[WebFiles.storageRoot] || null);
          WebFiles.replayJournal();
          resolve();
        });
      } catch (e) {
        console.warn('timburik: no storage for progress: ' + e);
        resolve();
      }
    });
    storage.then(function() { return list; }).then(function(files) {
      WebFiles.files = {};
      files.forEach(function(rel) {
        WebFiles.files[rel] = true;
        FS.mkdirTree(PATH.dirname(WebFiles.contentRoot + '/' + rel));
      });
      return Promise.all(first);
    }).then(function(loaded) {
      loaded.forEach(function(item) {
        FS.writeFile(WebFiles.contentRoot + '/' + item[0], new Uint8Array(item[1]));
        WebFiles.fetched[item[0]] = true;
      });
    }).catch(function(err) {
      // The game starts all the same and says which file it cannot open.
      console.error('timburik: content: ' + err);
      if (!WebFiles.files) WebFiles.files = {};
    }).then(function() {
      removeRunDependency('timburik-start');
    });
  });
})();
