// The page's side of files in the browser: content fetched from the site when first opened,
// and progress files written through to IndexedDB, the save counting only once the browser
// says the write is stored.
mergeInto(LibraryManager.library, {
  $WebFiles: {
    contentRoot: '/content',
    contentUrl: 'content/',
    files: null,          // relative path -> true, for every file the site's content has
    fetched: {},
    storageRoot: '/progress',
    db: null,             // the storage's database, open, or null when storage is unavailable
    storageError: '',

    relative: function(path) {
      var root = WebFiles.contentRoot + '/';
      if (path.indexOf(root) !== 0) return null;
      var rel = PATH.normalize(path).substr(root.length);
      return WebFiles.files && WebFiles.files[rel] ? rel : null;
    },

    url: function(rel) {
      return WebFiles.contentUrl + rel.split('/').map(encodeURIComponent).join('/');
    },

    // Fetches one content file into its place; calls back with null or an error.
    fetchInto: function(rel, done) {
      fetch(WebFiles.url(rel)).then(function(response) {
        if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
        return response.arrayBuffer();
      }).then(function(buffer) {
        var path = WebFiles.contentRoot + '/' + rel;
        FS.mkdirTree(PATH.dirname(path));
        FS.writeFile(path, new Uint8Array(buffer));
        WebFiles.fetched[rel] = true;
        done(null);
      }).catch(function(err) {
        done(err);
      });
    },
  },

  web_fetch_content__deps: ['$WebFiles', '$PATH'],
  web_fetch_content: function(pathPtr) {
    // Everything happens inside handleSleep: when the game resumes it calls this again, and
    // only handleSleep knows to return the answer then.
    return Asyncify.handleSleep(function(wakeUp) {
      var rel = WebFiles.relative(UTF8ToString(pathPtr));
      if (rel === null || WebFiles.fetched[rel]) {
        wakeUp(0);
        return;
      }
      // A file that cannot be fetched stays missing; opening it then fails with the game's
      // own message naming the file.
      WebFiles.fetchInto(rel, function(err) {
        if (err) console.warn('timburik: ' + rel + ': ' + err);
        wakeUp(err ? {{{ cDefine('EIO') }}} : 0);
      });
    });
  },

  web_persist__deps: ['$WebFiles', '$IDBFS'],
  web_persist: function(pathPtr) {
    return Asyncify.handleSleep(function(wakeUp) {
      var path = UTF8ToString(pathPtr);
      if (path.indexOf(WebFiles.storageRoot + '/') !== 0) {
        wakeUp(0);
        return;
      }
      var db = WebFiles.db;
      if (!db) {
        wakeUp({{{ cDefine('EACCES') }}});
        return;
      }
      var answered = false;
      var answer = function(err) {
        if (answered) return;
        answered = true;
        wakeUp(err);
      };
      try {
        // One transaction, asked for at once: a page being closed still gets its write in.
        var tx = db.transaction([IDBFS.DB_STORE_NAME], 'readwrite');
        var store = tx.objectStore(IDBFS.DB_STORE_NAME);
        tx.oncomplete = function() { answer(0); };
        tx.onabort = tx.onerror = function(e) {
          var name = tx.error && tx.error.name;
          if (e && e.preventDefault) e.preventDefault();
          answer(name === 'QuotaExceededError' ? {{{ cDefine('ENOSPC') }}} : {{{ cDefine('EIO') }}});
        };
        IDBFS.loadLocalEntry(path, function(err, entry) {
          if (err) {
            tx.abort();
            return;
          }
          IDBFS.storeRemoteEntry(store, path, entry, function() {});
        });
        if (tx.commit) tx.commit();
      } catch (e) {
        answer({{{ cDefine('EIO') }}});
      }
    });
  },
});
