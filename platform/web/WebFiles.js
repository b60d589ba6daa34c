// The page's side of files in the browser: content fetched from the site when first opened,
// and progress files written through to IndexedDB, the save counting only once the browser
// says the write is stored.
mergeInto(LibraryManager.library, {
  $WebFiles: {
    contentRoot: '/content',
    contentUrl: 'content/',
    files: null,          // relative path -> its version (or true), for every file the site's content has
    fetched: {},
    storageRoot: '/progress',
    db: null,             // the storage's database, open, or null when storage is unavailable
    storageError: '',

    // How long the storage may take to open at the start before the game plays without it:
    // a browser whose IndexedDB never answers must not keep the child waiting.
    storageWaitMs: 4000,
    askedToKeep: false,

    // Asks for the storage's database early, while the program compiles: reading the stored
    // files (openStorage) then finds it open. Nothing is put into the file system here.
    openDatabase: function() {
      try {
        IDBFS.getDB(WebFiles.storageRoot, function() {});
      } catch (e) {}
    },

    // Opens the browser's storage under the progress folder and reads the stored files into
    // it; calls back once done, or without storage (WebFiles.db null) when it is refused or
    // has not answered in time. A late answer then counts for nothing: every save says that
    // the score cannot be kept.
    openStorage: function(done) {
      var root = WebFiles.storageRoot;
      var finish = function(db, why) {
        if (!finish.pending) return;
        finish.pending = false;
        clearTimeout(timer);
        WebFiles.db = db;
        if (db) WebFiles.replayJournal();
        else console.warn('timburik: no storage for progress: ' + why);
        performance.mark('timburik:storage');
        done();
      };
      finish.pending = true;
      var timer = setTimeout(function() { finish(null, 'the browser has not answered'); }, WebFiles.storageWaitMs);
      try {
        FS.mount(IDBFS, {}, root);
        FS.syncfs(true, function(err) { finish(err ? null : (IDBFS.dbs[root] || null), err); });
      } catch (e) {
        finish(null, e);
      }
    },

    // The stored files read again, after another tab has played and saved.
    reread: function(done) {
      if (!WebFiles.db) return done();
      var answered = false;
      var finish = function() {
        if (answered) return;
        answered = true;
        clearTimeout(timer);
        done();
      };
      var timer = setTimeout(finish, WebFiles.storageWaitMs);
      FS.syncfs(true, function(err) {
        if (err) console.warn('timburik: progress not read again: ' + err);
        else WebFiles.replayJournal();
        finish();
      });
    },

    // Once a child's progress is first read (a profile chosen), the browser is asked not to
    // evict the site's storage when space runs short. Some browsers decide by themselves,
    // some ask the user (see the README); the game plays the same either way.
    askToKeep: function() {
      if (WebFiles.askedToKeep || !WebFiles.db) return;
      WebFiles.askedToKeep = true;
      try {
        if (!navigator.storage || !navigator.storage.persist) return;
        navigator.storage.persist().then(function(kept) {
          WebFiles.persisted = kept;
          if (!kept) console.info('timburik: the browser may evict the progress when space runs short');
        }, function() {});
      } catch (e) {}
    },

    // A save's bytes are also written at once to localStorage, which the browser keeps even
    // when the page is closed in the middle of the save; the entry goes when IndexedDB has
    // the file, and one left behind is put back at the next start (see WebStart.js).
    journalKey: 'timburik-unsaved:',

    journal: function(path, contents) {
      try {
        var text = '';
        for (var i = 0; i < contents.length; ++i) text += String.fromCharCode(contents[i]);
        localStorage.setItem(WebFiles.journalKey + path, btoa(text));
      } catch (e) {}
    },

    unjournal: function(path) {
      try { localStorage.removeItem(WebFiles.journalKey + path); } catch (e) {}
    },

    // The folders between the storage's root and `path`, outermost first. Reading the storage
    // back makes a file only inside its folder, so a folder is stored with each file in it.
    foldersOf: function(path) {
      var folders = [];
      var root = WebFiles.storageRoot;
      for (var dir = PATH.dirname(path); dir.indexOf(root + '/') === 0; dir = PATH.dirname(dir)) folders.unshift(dir);
      return folders;
    },

    // Writes the file at `path` to IndexedDB, with its folders, in one transaction asked for
    // at once, so that a page being closed still gets it on its way; `gone` (a file renamed
    // to `path`, or one removed when `path` is null) leaves the storage in the same
    // transaction; `source`, when given, is the file whose bytes are stored under `path` (a
    // rename not made yet). Calls back with 0 or an errno value.
    store: function(path, done, gone, source) {
      var db = WebFiles.db;
      // Without the turn another tab plays and writes (see WebTurn.js).
      if (!db || (typeof WebTurn !== 'undefined' && !WebTurn.held)) {
        done({{{ cDefine('EACCES') }}});
        return;
      }
      var answered = false;
      var answer = function(err) {
        if (answered) return;
        answered = true;
        if (!err && path) WebFiles.unjournal(path);
        if (!err && gone) WebFiles.unjournal(gone);
        done(err);
      };
      try {
        var tx = db.transaction([IDBFS.DB_STORE_NAME], 'readwrite');
        var store = tx.objectStore(IDBFS.DB_STORE_NAME);
        tx.oncomplete = function() { answer(0); };
        tx.onabort = tx.onerror = function(e) {
          var name = tx.error && tx.error.name;
          if (e && e.preventDefault) e.preventDefault();
          answer(name === 'QuotaExceededError' ? {{{ cDefine('ENOSPC') }}} : {{{ cDefine('EIO') }}});
        };
        if (gone) IDBFS.removeRemoteEntry(store, gone, function() {});
        if (path) {
          IDBFS.loadLocalEntry(source || path, function(err, entry) {
            if (err) {
              tx.abort();
              return;
            }
            WebFiles.journal(path, entry['contents']);
            WebFiles.foldersOf(path).forEach(function(dir) {
              IDBFS.loadLocalEntry(dir, function(e, folder) {
                if (!e) IDBFS.storeRemoteEntry(store, dir, folder, function() {});
              });
            });
            IDBFS.storeRemoteEntry(store, path, entry, function() {});
          });
        }
        if (tx.commit) tx.commit();
      } catch (e) {
        answer({{{ cDefine('EIO') }}});
      }
    },

    // Saves left in the journal by a page closed before IndexedDB had them.
    replayJournal: function() {
      var keys = [];
      try {
        for (var i = 0; i < localStorage.length; ++i) {
          var key = localStorage.key(i);
          if (key.indexOf(WebFiles.journalKey) === 0) keys.push(key);
        }
      } catch (e) {
        return;
      }
      keys.forEach(function(key) {
        var path = key.substr(WebFiles.journalKey.length);
        if (path.indexOf(WebFiles.storageRoot + '/') !== 0) return;
        try {
          var text = atob(localStorage.getItem(key));
          var bytes = new Uint8Array(text.length);
          for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
          FS.mkdirTree(PATH.dirname(path));
          FS.writeFile(path, bytes);
          WebFiles.store(path, function() {});
        } catch (e) {
          console.warn('timburik: ' + path + ': ' + e);
        }
      });
    },

    relative: function(path) {
      var root = WebFiles.contentRoot + '/';
      if (path.indexOf(root) !== 0) return null;
      var rel = PATH.normalize(path).substr(root.length);
      return WebFiles.files && WebFiles.files[rel] ? rel : null;
    },

    url: function(rel) {
      var url = WebFiles.contentUrl + rel.split('/').map(encodeURIComponent).join('/');
      var version = WebFiles.files && WebFiles.files[rel];
      return typeof version === 'string' && version ? url + '?v=' + encodeURIComponent(version) : url;
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
      var path = UTF8ToString(pathPtr);
      // A child's progress file read: a profile chosen (the list of children is read before).
      if (path.indexOf(WebFiles.storageRoot + '/') === 0 && /\.cnf$/.test(path)) WebFiles.askToKeep();
      var rel = WebFiles.relative(path);
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

  // The progress folder's name, where the page mounts the storage: named here alone.
  web_progress_root__deps: ['$WebFiles', '$stringToNewUTF8'],
  web_progress_root: function() {
    return stringToNewUTF8(WebFiles.storageRoot);
  },

  // A file the game hands to the parent, offered as a download.
  web_download: function(namePtr, bytes, size) {
    var name = UTF8ToString(namePtr);
    // A table for a spreadsheet, or the game's own file of children, which is a zip.
    var type = /\.csv$/.test(name) ? 'text/csv' : 'application/octet-stream';
    var blob = new Blob([HEAPU8.slice(bytes, bytes + size)], { type: type });
    var a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = name;
    document.body.appendChild(a);
    a.click();
    setTimeout(function() { URL.revokeObjectURL(a.href); a.remove(); }, 1000);
  },

  // A file about to be renamed into place from `from` (which may be null: `path` stored as it
  // is), or removed (`path` null, `from` the file).
  web_persist__deps: ['$WebFiles', '$IDBFS', '$PATH'],
  web_persist: function(pathPtr, fromPtr) {
    return Asyncify.handleSleep(function(wakeUp) {
      var inStorage = function(ptr) {
        var p = ptr ? UTF8ToString(ptr) : null;
        return p && p.indexOf(WebFiles.storageRoot + '/') === 0 ? PATH.normalize(p) : null;
      };
      var path = inStorage(pathPtr), from = inStorage(fromPtr);
      if (!path && !from) {
        wakeUp(0);
        return;
      }
      WebFiles.store(path, wakeUp, from, path && fromPtr ? PATH.normalize(UTF8ToString(fromPtr)) : null);
    });
  },

  web_storage_kept__deps: ['$WebFiles'],
  web_storage_kept: function() {
    return WebFiles.db ? 1 : 0;
  },

  // Between two games (see WebTurn.js): returns at once while this tab has the game.
  web_take_turn__deps: ['$WebFiles'],
  web_take_turn: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      WebTurn.between(WebFiles.reread, function() { wakeUp(0); });
    });
  },
});
