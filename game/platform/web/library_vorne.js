// The page's side of the browser build's ports: the canvas, WebAudio, the
// file picker, messages and waiting. The page (index.html, page.js) gives
// Module.vornePage: the canvas, the message and restart panels, the map
// asked for in the address.
mergeInto(LibraryManager.library, {
  $VORNE: {
    focusLost: false,
    audio: null,
    effects: [],      // decoded effects by number
    voices: [],       // the sounding source of each effect, or null
    pieces: {},       // name -> {buffer, promise}
    piece: null,      // {name, source, startedAt, wantedAt, offset, paused, ended}
    lastFrame: 0,
    frameInterval: 0,
    image: null,
    context2d: null,

    page: function() { return Module['vornePage']; },

    // The audio context starts suspended; the browser lets it run only after
    // the player's first key press or click on the page.
    context: function() {
      if (!VORNE.audio) {
        var Context = window.AudioContext || window.webkitAudioContext;
        if (!Context) return null;
        VORNE.audio = new Context();
        Module['vorneAudio'] = VORNE.audio;
        VORNE.gain = VORNE.audio.createGain();
        VORNE.gain.connect(VORNE.audio.destination);
        var page = VORNE.page();
        if (page && page.muted) VORNE.gain.gain.value = 0;
        if (page) page.onMute = function(muted) { VORNE.gain.gain.value = muted ? 0 : 1; };
        var wake = function() {
          if (VORNE.audio.state === 'running') return;
          VORNE.audio.resume().then(VORNE.catchUpPiece);
        };
        window.addEventListener('keydown', wake, true);
        window.addEventListener('pointerdown', wake, true);
      }
      return VORNE.audio;
    },

    running: function() {
      return VORNE.audio && VORNE.audio.state === 'running';
    },

    decode: function(bytes) {
      var context = VORNE.context();
      if (!context) return Promise.reject(new Error('no WebAudio'));
      var copy = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
      return context.decodeAudioData(copy);
    },

    // A piece asked for while there was no sound, or before it arrived,
    // starts where it would be by now (not at all once past its end).
    catchUpPiece: function() {
      var p = VORNE.piece, entry = p && VORNE.pieces[p.name];
      if (!p || p.source || p.paused || !entry || !entry.buffer) return;
      var elapsed = (performance.now() - p.wantedAt) / 1000;
      if (elapsed < entry.buffer.duration) VORNE.startPiece(elapsed);
    },

    startPiece: function(offset) {
      var p = VORNE.piece;
      var entry = VORNE.pieces[p.name];
      if (!entry || !entry.buffer || !VORNE.running()) return false;
      var source = VORNE.audio.createBufferSource();
      source.buffer = entry.buffer;
      source.connect(VORNE.gain);
      p.source = source;
      p.ended = false;
      p.startedAt = VORNE.audio.currentTime - offset;
      source.onended = function() { if (p.source === source) p.ended = true; };
      source.start(0, offset);
      return true;
    },
  },

  vorne_now_ms: function() { return performance.now(); },

  vorne_wait_frame__deps: ['$VORNE'],
  vorne_wait_frame: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      requestAnimationFrame(function(time) {
        // The interval between frames, smoothed: half of it is how early a
        // tick may go to land on the frame nearest its time.
        var interval = VORNE.lastFrame ? time - VORNE.lastFrame : 0;
        VORNE.lastFrame = time;
        if (interval > 0 && interval < 100)
          VORNE.frameInterval = VORNE.frameInterval ? 0.9 * VORNE.frameInterval + 0.1 * interval : interval;
        wakeUp(VORNE.frameInterval);
      });
    });
  },

  vorne_wait_ms: function(ms) {
    return Asyncify.handleSleep(function(wakeUp) { setTimeout(wakeUp, ms); });
  },

  vorne_present__deps: ['$VORNE'],
  vorne_present: function(rgba, width, height) {
    var canvas = VORNE.page().canvas;
    if (!VORNE.context2d) VORNE.context2d = canvas.getContext('2d');
    if (!VORNE.image || VORNE.image.width !== width || VORNE.image.height !== height)
      VORNE.image = VORNE.context2d.createImageData(width, height);
    VORNE.image.data.set(HEAPU8.subarray(rgba, rgba + width * height * 4));
    VORNE.context2d.putImageData(VORNE.image, 0, 0);
    VORNE.page().framed();
  },

  vorne_set_title: function(title) { document.title = UTF8ToString(title); },

  vorne_take_focus_lost__deps: ['$VORNE'],
  vorne_take_focus_lost: function() {
    if (!VORNE.focusWatched) {
      VORNE.focusWatched = true;
      var lost = function() { VORNE.focusLost = true; };
      window.addEventListener('blur', lost);
      document.addEventListener('visibilitychange', function() { if (document.hidden) lost(); });
    }
    var lost = VORNE.focusLost;
    VORNE.focusLost = false;
    return lost ? 1 : 0;
  },

  vorne_focus_in_control: function() {
    var element = document.activeElement;
    return element && /^(SELECT|INPUT|BUTTON|TEXTAREA)$/.test(element.tagName) ? 1 : 0;
  },

  // Effects ----------------------------------------------------------------

  vorne_audio_set_up__deps: ['$VORNE'],
  vorne_audio_set_up: function(folder) {
    var context = VORNE.context();
    if (!context) { console.warn('vorne1.0: no WebAudio; playing without sound'); return; }
    var names = [null, 'clear.wav', 'kinka.wav', 'door.wav', 'yarare.wav', 'over.wav',
                 'kogeki.wav', 'tekiyarare.wav'];
    var base = UTF8ToString(folder);
    names.forEach(function(name, n) {
      if (!name || VORNE.effects[n]) return;
      var bytes;
      try { bytes = FS.readFile(base + name); } catch (e) {
        console.warn('vorne1.0: cannot load ' + base + name + '; that effect stays silent');
        return;
      }
      VORNE.decode(bytes).then(function(buffer) { VORNE.effects[n] = buffer; },
        function() { console.warn('vorne1.0: cannot decode ' + base + name); });
    });
  },

  vorne_effect_start__deps: ['$VORNE'],
  vorne_effect_start: function(n) {
    // Not started while the page has no sound yet: it would never end.
    if (!VORNE.effects[n] || !VORNE.running()) return;
    var source = VORNE.audio.createBufferSource();
    source.buffer = VORNE.effects[n];
    source.connect(VORNE.gain);
    VORNE.voices[n] = source;
    source.onended = function() { if (VORNE.voices[n] === source) VORNE.voices[n] = null; };
    source.start();
  },

  vorne_effect_playing__deps: ['$VORNE'],
  vorne_effect_playing: function(n) { return VORNE.voices[n] ? 1 : 0; },

  vorne_effect_wait__deps: ['$VORNE'],
  vorne_effect_wait: function(n) {
    return Asyncify.handleSleep(function(wakeUp) {
      var check = function() {
        // The page lost its sound (suspended): the effect would not end.
        if (!VORNE.voices[n] || !VORNE.running()) wakeUp();
        else setTimeout(check, 5);
      };
      check();
    });
  },

  // Music ------------------------------------------------------------------

  vorne_music_preload__deps: ['$VORNE'],
  vorne_music_preload: function(name) {
    name = UTF8ToString(name);
    if (VORNE.pieces[name] || !VORNE.context()) return;
    var entry = {buffer: null};
    VORNE.pieces[name] = entry;
    var url = 'music/' + name.replace(/\.mid$/i, '.ogg');
    entry.promise = fetch(url).then(function(response) {
      if (!response.ok) throw new Error(url + ': ' + response.status);
      return response.arrayBuffer();
    }).then(function(data) {
      return VORNE.decode(new Uint8Array(data));
    }).then(function(buffer) {
      entry.buffer = buffer;
      VORNE.catchUpPiece();
    }).catch(function(error) {
      console.warn('vorne1.0: the music ' + name + ' cannot be played: ' + error.message);
      entry.failed = true;
    });
  },

  vorne_music_play__deps: ['$VORNE'],
  vorne_music_play: function(name) {
    name = UTF8ToString(name);
    if (VORNE.piece && VORNE.piece.source) { VORNE.piece.source.onended = null; VORNE.piece.source.stop(); }
    VORNE.piece = {name: name, source: null, ended: false, paused: false,
                   wantedAt: performance.now()};
    VORNE.startPiece(0);
  },

  vorne_music_stop__deps: ['$VORNE'],
  vorne_music_stop: function() {
    var p = VORNE.piece;
    if (p && p.source) { p.source.onended = null; p.source.stop(); }
    VORNE.piece = null;
  },

  vorne_music_playing__deps: ['$VORNE'],
  vorne_music_playing: function() {
    var p = VORNE.piece;
    if (!p) return 0;
    if (p.paused) return 1;
    if (p.source) return p.ended ? 0 : 1;
    // Not started (no sound yet, or still on its way): it counts as sounding
    // for its length from when it was asked for, as it would have.
    var entry = VORNE.pieces[p.name];
    if (!entry || entry.failed) return 0;
    if (!entry.buffer) return 1;
    return performance.now() - p.wantedAt < entry.buffer.duration * 1000 ? 1 : 0;
  },

  vorne_music_pause__deps: ['$VORNE'],
  vorne_music_pause: function() {
    var p = VORNE.piece;
    if (!p || p.paused) return;
    p.paused = true;
    if (p.source && !p.ended) {
      p.offset = VORNE.audio.currentTime - p.startedAt;
      p.source.onended = null;
      p.source.stop();
      p.source = null;
    }
  },

  vorne_music_resume__deps: ['$VORNE'],
  vorne_music_resume: function() {
    var p = VORNE.piece;
    if (!p || !p.paused) return;
    p.paused = false;
    if (p.offset !== undefined) { VORNE.startPiece(p.offset); p.offset = undefined; }
  },

  // Files and messages -----------------------------------------------------

  vorne_open_file__deps: ['$VORNE'],
  vorne_open_file: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      VORNE.page().chooseFile().then(function(file) {
        if (!file) { wakeUp(0); return; }
        // Chosen files live in the working folder, so that messages name
        // them as the player knows them.
        try { FS.mkdir('/chosen'); } catch (e) {}
        FS.chdir('/chosen');
        var name = file.name.replace(/[\/\0]/g, '_');
        if (name === '.' || name === '..' || name === '') name = 'stages.dat';
        FS.writeFile(name, new Uint8Array(file.bytes));
        wakeUp(allocateUTF8(name));
      });
    });
  },

  vorne_show_message__deps: ['$VORNE'],
  vorne_show_message: function(title, text) {
    var t = UTF8ToString(title), m = UTF8ToString(text);
    return Asyncify.handleSleep(function(wakeUp) {
      VORNE.page().showMessage(t, m).then(function() { wakeUp(); });
    });
  },

  vorne_wait_restart__deps: ['$VORNE'],
  vorne_wait_restart: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      VORNE.page().ended().then(function() { wakeUp(); });
    });
  },

  vorne_page_map__deps: ['$VORNE'],
  vorne_page_map: function(problem) {
    var page = VORNE.page();
    HEAP32[problem >> 2] = page.mapProblem ? allocateUTF8(page.mapProblem) : 0;
    return page.mapPath ? allocateUTF8(page.mapPath) : 0;
  },
});
