// One tab plays at a time. Every tab of the site shares one storage for the progress, and a
// game keeps the score it read when the profile was chosen: a tab that saves after another
// has saved would put back an older count and lose that tab's words. So the tab that plays
// holds a lock on the storage (the Web Locks API; where the page has none, over plain http
// from another computer, a BroadcastChannel stands in for it). A tab opened meanwhile says
// that the game is open in another tab and offers to play here instead; asked, the tab that
// plays saves, leaves its game, lets go and says the same in its turn, and the new tab reads
// the storage afresh and plays.
var WebTurn = (function() {
  var NAME = 'timburik-progress';
  // A tab that was asked and has not let go by then is stuck; its last save stands.
  var TAKE_AFTER_MS = 8000;
  // Without locks: how long a starting tab listens for a tab that plays.
  var LISTEN_MS = 250;
  var locks = null, channel = null;
  try {
    if (navigator.locks && typeof navigator.locks.request === 'function') locks = navigator.locks;
  } catch (e) {}
  try {
    if (typeof BroadcastChannel === 'function') channel = new BroadcastChannel('timburik');
  } catch (e) {}

  var turn = {
    held: false,     // this tab may write the progress
    asked: false,    // another tab asked to play
    playing: false,  // the game runs, between two turns
  };
  var release = null;

  var once = function(f) {
    var done = false;
    return function() {
      if (done) return;
      done = true;
      f();
    };
  };

  // The game in progress ends as if nobody were there to answer a box (nobody is: the child
  // is in the other tab), saving its progress; the game's loop then comes to turn.between.
  var leaveGame = function() {
    if (turn.playing && typeof WebPage !== 'undefined') WebPage.push([5, 1, 0]);
  };

  var asked = function() {
    turn.asked = true;
    leaveGame();
  };

  // Resolves true once this tab holds the lock, false when it is not granted (busy, or the
  // wait given up).
  var lock = function(options) {
    return new Promise(function(answer) {
      var granted = false;
      try {
        locks.request(NAME, options, function(l) {
          if (!l) {
            answer(false);
            return;
          }
          granted = true;
          turn.held = true;
          answer(true);
          return new Promise(function(resolve) { release = resolve; });
        }).catch(function() {
          if (!granted) {
            answer(false);
            return;
          }
          // Taken by a tab that waited for this one in vain: this one writes nothing more.
          turn.held = false;
          release = null;
          asked();
        });
      } catch (e) {
        // No lock for this page (an opaque origin): it plays without one.
        console.warn('timburik: no lock on the storage: ' + e);
        turn.held = true;
        answer(true);
      }
    });
  };

  var give = function() {
    turn.held = false;
    if (release) {
      release();
      release = null;
    } else if (!locks && channel) {
      channel.postMessage({ type: 'free' });
    }
  };

  // The notice over the page while another tab plays; `playHere` runs on its button.
  var notice = function(playHere) {
    var box = document.getElementById('elsewhere');
    var button = document.getElementById('play-here');
    if (!box || !button) return function() {};
    var more = document.getElementById('elsewhere-more');
    var before = more ? more.textContent : '';
    button.disabled = false;
    button.onclick = function(e) {
      if (Module['firstTap']) Module['firstTap'](e);
      button.disabled = true;
      if (more) more.textContent = 'Сохраняем счёт в другой вкладке…';
      playHere();
    };
    box.classList.remove('hidden');
    document.body.classList.add('elsewhere');
    return function() {
      box.classList.add('hidden');
      document.body.classList.remove('elsewhere');
      button.onclick = null;
      if (more) more.textContent = before;
    };
  };

  var takeLocked = function(done) {
    lock({ ifAvailable: true }).then(function(free) {
      if (free) return done();
      // Another tab plays. This one waits for its turn: it comes when that tab is closed,
      // or when it lets go once asked from here.
      var waiting = typeof AbortController === 'function' ? new AbortController() : null;
      var hide = function() {};
      var got = once(function() {
        hide();
        done();
      });
      lock(waiting ? { signal: waiting.signal } : {}).then(function(ok) { if (ok) got(); });
      hide = notice(function() {
        if (channel) channel.postMessage({ type: 'yield' });
        setTimeout(function() {
          if (turn.held || !waiting) return;
          waiting.abort();
          lock({ steal: true }).then(got);
        }, TAKE_AFTER_MS);
      });
    });
  };

  var takeByChannel = function(done) {
    var playing = false;
    var heard = function(e) { if (e.data && e.data.type === 'playing') playing = true; };
    channel.addEventListener('message', heard);
    channel.postMessage({ type: 'playing?' });
    setTimeout(function() {
      channel.removeEventListener('message', heard);
      var hide = function() {};
      var got = once(function() {
        channel.removeEventListener('message', freed);
        hide();
        turn.held = true;
        done();
      });
      var freed = function(e) { if (e.data && e.data.type === 'free') got(); };
      if (!playing) return got();
      channel.addEventListener('message', freed);
      hide = notice(function() {
        channel.postMessage({ type: 'yield' });
        setTimeout(got, TAKE_AFTER_MS);
      });
    }, LISTEN_MS);
  };

  // Calls `done` once this tab holds the storage.
  turn.take = function(done) {
    if (locks) takeLocked(done);
    else if (channel) takeByChannel(done);
    else {
      turn.held = true;
      done();
    }
  };

  // Between two games: `done` at once while the turn is this tab's; after another tab asked,
  // once this one has let go and its turn has come again, with the storage read afresh by
  // `reread` (the other tab saved meanwhile).
  turn.between = function(reread, done) {
    turn.playing = false;
    var go = function() {
      turn.playing = true;
      done();
    };
    if (turn.held && !turn.asked) return go();
    turn.asked = false;
    give();
    turn.take(function() { reread(go); });
  };

  if (channel) {
    channel.addEventListener('message', function(e) {
      var type = e.data && e.data.type;
      if (type === 'playing?' && turn.held && !locks) channel.postMessage({ type: 'playing' });
      else if (type === 'yield' && turn.held) asked();
    });
    window.addEventListener('pagehide', function() {
      if (turn.held && !locks) channel.postMessage({ type: 'free' });
    });
  }
  return turn;
})();
