// The page's side of the browser host: listeners that queue pointer, touch, key, resize and
// page-hidden events for the game's loop, the wait that lets the loop sleep (ASYNCIFY) until
// the next event or display frame, drawing finished pixels on the canvas, and saying what a
// message box says to a screen reader.
mergeInto(LibraryManager.library, {
  $WebPage: {
    queue: [],
    wake: null,        // resumes the game's loop, while it sleeps
    frame: 0,          // the display frame asked for, if any
    canvas: null,
    context: null,
    pointer: null,     // the pointer that holds a press; others are ignored meanwhile
    // What the game's work on each wake-up costs, for the benchmarks: time spent between
    // being woken (by a display frame, or by events) and sleeping again.
    stats: { frames: 0, frameMs: 0, wakes: 0, eventMs: 0, events: 0 },
    wokeAt: 0,
    wokeByFrame: false,

    // The microphone as the browser has answered for this site: '' (not known to be refused),
    // 'denied' (by the parent, or by the browser's settings), 'missing' (no microphone) or
    // 'insecure' (a page not served over https, where browsers offer none).
    microphone: '',
    watchMicrophone: function() {
      var devices = navigator.mediaDevices;
      if (!devices || !devices.getUserMedia) {
        WebPage.microphone = 'insecure';
        return;
      }
      // SDL asks for the microphone through getUserMedia: its answer is looked at on the way.
      var ask = devices.getUserMedia.bind(devices);
      devices.getUserMedia = function(constraints) {
        return ask(constraints).then(function(stream) {
          WebPage.microphone = '';
          return stream;
        }, function(err) {
          var name = err && err.name;
          if (name === 'NotAllowedError' || name === 'SecurityError') WebPage.microphone = 'denied';
          else if (name === 'NotFoundError' || name === 'OverconstrainedError') WebPage.microphone = 'missing';
          throw err;
        });
      };
      // Refused before (or refused or allowed in the settings meanwhile): known at once.
      try {
        navigator.permissions.query({ name: 'microphone' }).then(function(status) {
          var follow = function() {
            if (status.state === 'denied') WebPage.microphone = 'denied';
            else if (WebPage.microphone === 'denied') WebPage.microphone = '';
          };
          follow();
          status.onchange = follow;
        }, function() {});
      } catch (e) {}
    },
    // What to do about it, in this browser's own words.
    microphoneAdvice: function() {
      var agent = navigator.userAgent || '';
      switch (WebPage.microphone) {
        case 'missing':
          return 'Микрофон не найден: подключите его и нажмите «Записать» ещё раз.';
        case 'insecure':
          return 'Микрофон доступен только сайту, открытому по https: откройте игру по адресу, который начинается с https.';
        case 'denied':
          if (/Firefox\//.test(agent))
            return 'Firefox не разрешает этому сайту микрофон: нажмите на перечёркнутый микрофон слева от адреса, снимите запрет и нажмите «Записать» ещё раз.';
          if (/Safari\//.test(agent) && !/Chrome\/|Chromium\/|Android/.test(agent))
            return 'Safari не разрешает этому сайту микрофон: откройте «Настройки», затем Safari и «Микрофон» (на компьютере: меню Safari, «Настройки для этого веб-сайта»), выберите «Разрешить» и нажмите «Записать» ещё раз.';
          return 'Браузер не разрешает этому сайту микрофон: нажмите на значок слева от адреса сайта, разрешите «Микрофон» и нажмите «Записать» ещё раз.';
        default:
          return '';
      }
    },

    dropped: '',      // the file last picked or dropped, in the program's file system
    // A file from the page, put where the program can read it, and told as dropped.
    takeFile: function(file) {
      file.arrayBuffer().then(function(buffer) {
        var path = '/tmp/picked-' + Date.now() + (/\.[A-Za-z0-9]{1,8}$/.exec(file.name) || [''])[0];
        FS.mkdirTree('/tmp');
        FS.writeFile(path, new Uint8Array(buffer));
        WebPage.dropped = path;
        WebPage.push([11, 0, 0]);
      });
    },

    push: function(event) {
      WebPage.queue.push(event);
      WebPage.resume();
    },

    resume: function() {
      if (WebPage.frame) {
        cancelAnimationFrame(WebPage.frame);
        WebPage.frame = 0;
      }
      var wake = WebPage.wake;
      if (wake) {
        WebPage.wake = null;
        WebPage.wokeAt = performance.now();
        try {
          wake(0);
        } catch (e) {
          console.error('timburik: ' + (e && e.stack || e));
          throw e;
        }
      }
    },

    // Canvas pixels follow the device's, so the layout is scaled once, by the game, and
    // drawn sharp on high-density screens.
    fitCanvas: function() {
      var c = WebPage.canvas;
      var ratio = window.devicePixelRatio || 1;
      var w = Math.max(1, Math.round(window.innerWidth * ratio));
      var h = Math.max(1, Math.round(window.innerHeight * ratio));
      c.style.width = window.innerWidth + 'px';
      c.style.height = window.innerHeight + 'px';
      if (c.width === w && c.height === h) return false;
      c.width = w;
      c.height = h;
      return true;
    },

    position: function(e) {
      var c = WebPage.canvas;
      var r = c.getBoundingClientRect();
      var x = (e.clientX - r.left) * (c.width / Math.max(1, r.width));
      var y = (e.clientY - r.top) * (c.height / Math.max(1, r.height));
      return [Math.round(x), Math.round(y)];
    },

    keyCode: function(e) {
      if (e.key === 'Enter') return 1;
      if (e.key === 'Escape') return 2;
      if (e.key === 'Backspace') return 3;
      return 0;
    },

    listen: function() {
      var c = WebPage.canvas;
      // Pointer events carry mouse, pen and touch alike; touch-action: none on the canvas
      // keeps the browser from scrolling or zooming the page under a drag.
      c.addEventListener('pointerdown', function(e) {
        if (e.pointerType === 'mouse' && e.button !== 0) return;
        if (WebPage.pointer !== null) return;
        WebPage.pointer = e.pointerId;
        try { c.setPointerCapture(e.pointerId); } catch (err) {}
        e.preventDefault();
        var p = WebPage.position(e);
        WebPage.push([1, p[0], p[1]]);
      });
      c.addEventListener('pointermove', function(e) {
        if (WebPage.pointer !== null && e.pointerId !== WebPage.pointer) return;
        e.preventDefault();
        var p = WebPage.position(e);
        // A mouse's buttons pressed together make one pointer: its left button let go while
        // another is held ends no pointer, and shows only as a move without it.
        if (e.pointerId === WebPage.pointer && e.pointerType === 'mouse' && !(e.buttons & 1)) {
          WebPage.pointer = null;
          WebPage.push([8, p[0], p[1]]);
          return;
        }
        WebPage.push([2, p[0], p[1]]);
      });
      var release = function(e) {
        if (e.pointerId !== WebPage.pointer) return;
        WebPage.pointer = null;
        e.preventDefault();
        var p = WebPage.position(e);
        WebPage.push([3, p[0], p[1]]);
      };
      c.addEventListener('pointerup', release);
      // A system gesture took the finger: no drop where it happened to be.
      c.addEventListener('pointercancel', function(e) {
        if (e.pointerId !== WebPage.pointer) return;
        WebPage.pointer = null;
        var p = WebPage.position(e);
        WebPage.push([10, p[0], p[1]]);
      });
      // A picture dragged from another program onto the page, as on the desktop.
      c.addEventListener('dragover', function(e) { e.preventDefault(); });
      c.addEventListener('drop', function(e) {
        e.preventDefault();
        if (e.dataTransfer && e.dataTransfer.files && e.dataTransfer.files[0]) WebPage.takeFile(e.dataTransfer.files[0]);
      });
      // A long press would open the browser's menu over the board.
      c.addEventListener('contextmenu', function(e) { e.preventDefault(); });
      window.addEventListener('keydown', function(e) {
        if (e.repeat) return;
        var k = WebPage.keyCode(e);
        if (k) e.preventDefault();
        // A letter as the keyboard's layout types it, for the boxes' "Да" and "Нет".
        if (!k && e.key.length === 1 && !e.ctrlKey && !e.metaKey && !e.altKey) {
          WebPage.push([7, e.key.codePointAt(0), 0]);
          return;
        }
        WebPage.push([4, k, 0]);
      });
      window.addEventListener('resize', function() {
        if (WebPage.fitCanvas()) WebPage.push([6, 0, 0]);
      });
      // A tab hidden (another tab, a notification, the tablet asleep) may never come back:
      // the game saves, and goes on where it was if it does. Only a page really unloaded
      // ends the game, as a window manager's close does on the desktop.
      document.addEventListener('visibilitychange', function() {
        if (document.visibilityState === 'hidden') WebPage.push([9, 0, 0]);
      });
      window.addEventListener('pagehide', function(e) { WebPage.push([e.persisted ? 9 : 5, 0, 0]); });
    },
  },

  // SDL's audio calls the last two from JavaScript; a library built outside emcc's own ports
  // does not bring them in by itself.
  web_init__deps: ['$WebPage', '$autoResumeAudioContext', '$dynCall'],
  web_init: function() {
    var c = Module['canvas'] || document.getElementById('screen');
    WebPage.canvas = c;
    WebPage.context = c.getContext('2d', { alpha: false });
    WebPage.fitCanvas();
    WebPage.listen();
    WebPage.watchMicrophone();
    WebOffline.changed = function() { WebPage.push([12, 0, 0]); };
    Module['hostStats'] = WebPage.stats;
  },

  web_wait__deps: ['$WebPage'],
  web_wait: function(frame) {
    // Called again when the game resumes (ASYNCIFY's rewind); counted only on the way in.
    if (Asyncify.state === Asyncify.State.Normal && WebPage.wokeAt) {
      var spent = performance.now() - WebPage.wokeAt;
      var s = WebPage.stats;
      if (WebPage.wokeByFrame) { s.frames++; s.frameMs += spent; } else { s.wakes++; s.eventMs += spent; }
      WebPage.wokeAt = 0;
    }
    return Asyncify.handleSleep(function(wakeUp) {
      if (WebPage.queue.length) {
        wakeUp(0);
        return;
      }
      WebPage.wake = wakeUp;
      // Only while the timer has work: an idle page asks the browser for nothing.
      WebPage.wokeByFrame = false;
      if (frame) WebPage.frame = requestAnimationFrame(function() {
        WebPage.frame = 0;
        WebPage.wokeByFrame = !WebPage.queue.length;
        WebPage.resume();
      });
    });
  },

  // See WebHost.cpp. Nothing is said before the first report of the background fetch.
  web_offline_kept: function(out) {
    var done = WebOffline.packKept, now = done || WebOffline.progress;
    var ready = !!done && !done.missing && done.files > 0;
    var v = [WebOffline.available && now ? 1 : 0, now ? now.kept : 0, now ? now.files : 0,
      ready ? 1 : 0, ready && done.fetched > 0 ? 1 : 0];
    for (var i = 0; i < 5; ++i) HEAP32[(out >> 2) + i] = v[i];
  },

  // What the parent is to be told of a microphone the browser refuses; "" when not refused.
  web_microphone_refusal__deps: ['$WebPage', '$stringToNewUTF8'],
  web_microphone_refusal: function() {
    return stringToNewUTF8(WebPage.microphoneAdvice());
  },

  // The browser tests cannot read the gate's numbers in words: they set Module.gateSeed to fix
  // its question, as the desktop's tests do through TIMBURIK_GATE_SEED. -1: none set.
  web_gate_seed: function() {
    var seed = Module['gateSeed'];
    return typeof seed === 'number' && seed >= 0 ? seed : -1;
  },

  web_next_event__deps: ['$WebPage'],
  web_next_event: function(out) {
    var e = WebPage.queue.shift();
    if (!e) return 0;
    WebPage.stats.events++;
    HEAP32[out >> 2] = e[0];
    HEAP32[(out >> 2) + 1] = e[1];
    HEAP32[(out >> 2) + 2] = e[2];
    return 1;
  },

  web_canvas_size__deps: ['$WebPage'],
  web_canvas_size: function(w, h) {
    WebPage.fitCanvas();
    HEAP32[w >> 2] = WebPage.canvas.width;
    HEAP32[h >> 2] = WebPage.canvas.height;
  },

  web_present__deps: ['$WebPage'],
  web_present: function(pixels, width, height, x, y, w, h) {
    // The game's memory seen as image data, without a copy.
    var data = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
    WebPage.context.putImageData(new ImageData(data, width, height), 0, 0, x, y, w, h);
    if (!Module['firstFrameShown']) {
      Module['firstFrameShown'] = performance.now();
      if (Module['onFirstFrame']) Module['onFirstFrame']();
    }
  },

  // How many CSS pixels a layout pixel takes once the layout is fitted to the canvas.
  web_css_pixels_per_layout_pixel__deps: ['$WebPage'],
  web_css_pixels_per_layout_pixel: function(layoutWidth, layoutHeight) {
    var c = WebPage.canvas;
    var scale = Math.min(c.width / layoutWidth, c.height / layoutHeight);
    return scale / (window.devicePixelRatio || 1);
  },

  // A file asked of the parent: the browser's picker, which on a tablet offers the camera and
  // the gallery for a picture, the device's and shared files for children saved by the game.
  // Asked from the game's handling of a tap, so within the tap's leave.
  web_pick_file__deps: ['$WebPage'],
  web_pick_file: function(accept) {
    var input = document.createElement('input');
    input.type = 'file';
    input.accept = UTF8ToString(accept);
    input.addEventListener('change', function() {
      if (input.files && input.files[0]) WebPage.takeFile(input.files[0]);
    });
    input.click();
  },

  web_dropped_path__deps: ['$WebPage', '$stringToNewUTF8'],
  web_dropped_path: function() { return stringToNewUTF8(WebPage.dropped || ''); },

  web_set_title: function(text) {
    document.title = UTF8ToString(text);
  },

  // The canvas is a picture to a screen reader: what a message box on it says is put in the
  // page's alert region (#said) as well, and taken away when the box closes.
  web_announce: function(text) {
    var said = document.getElementById('said');
    if (said) said.textContent = UTF8ToString(text);
  },
});
