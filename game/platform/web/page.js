// The page around the game: the canvas's whole-number scale, the settings
// kept in localStorage, the file picker, messages, the "game ended" panel,
// the stage file asked for in the address (?map=URL) and, only with ?test=1,
// a hook for the browser test.
'use strict';

(function() {
  var params = new URLSearchParams(location.search);
  var canvas = document.getElementById('screen');
  var stage = document.getElementById('stage');
  var settingsKey = 'vorne1.0.settings';

  function readSettings() {
    try { return JSON.parse(localStorage.getItem(settingsKey)) || {}; } catch (e) { return {}; }
  }
  function writeSettings(settings) {
    try { localStorage.setItem(settingsKey, JSON.stringify(settings)); } catch (e) {}
  }
  var settings = readSettings();

  // The picture is scaled by whole numbers only, so every pixel stays square.
  function fit() {
    var scale;
    if (document.fullscreenElement) {
      scale = Math.floor(Math.min(window.innerWidth, window.innerHeight) / 200);
    } else if (settings.scale && settings.scale !== 'fit') {
      scale = Number(settings.scale);
    } else {
      var room = Math.min(window.innerWidth - 24, window.innerHeight - 70);
      scale = Math.floor(room / 200);
    }
    scale = Math.max(1, scale || 1);
    canvas.style.width = canvas.style.height = 200 * scale + 'px';
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);

  var scaleChoice = document.getElementById('scale');
  scaleChoice.value = settings.scale || 'fit';
  scaleChoice.addEventListener('change', function() {
    settings.scale = scaleChoice.value;
    writeSettings(settings);
    fit();
    canvas.focus();
  });
  var mute = document.getElementById('mute');
  mute.checked = !!settings.muted;
  mute.addEventListener('change', function() {
    settings.muted = mute.checked;
    writeSettings(settings);
    page.muted = mute.checked;
    if (page.onMute) page.onMute(mute.checked);
    canvas.focus();
  });
  document.getElementById('fullscreen').addEventListener('click', function() {
    stage.requestFullscreen && stage.requestFullscreen().catch(function() {});
    canvas.focus();
  });
  fit();

  var ended = document.getElementById('ended');
  var again = document.getElementById('again');
  var dialog = document.getElementById('message');

  var page = {
    canvas: canvas,
    muted: !!settings.muted,
    mapPath: '',
    mapProblem: '',
    firstFrameAt: 0,

    framed: function() {
      if (page.firstFrameAt) return;
      page.firstFrameAt = performance.now();
      loading.hidden = true;
      canvas.focus();
    },

    // The browser's file picker; resolves to {name, bytes} or null when the
    // player closes it without a choice.
    chooseFile: function() {
      return new Promise(function(resolve) {
        var input = document.createElement('input');
        input.type = 'file';
        input.accept = '.dat,.txt,text/plain,application/octet-stream';
        var done = false;
        function finish(value) {
          if (done) return;
          done = true;
          resolve(value);
          canvas.focus();
        }
        input.addEventListener('change', function() {
          var file = input.files && input.files[0];
          if (!file) { finish(null); return; }
          file.arrayBuffer().then(function(bytes) { finish({name: file.name, bytes: bytes}); },
                                  function() { finish(null); });
        });
        input.addEventListener('cancel', function() { finish(null); });
        // In the document while it is open, as some browsers want.
        input.hidden = true;
        document.body.appendChild(input);
        var remove = function() { input.remove(); };
        input.addEventListener('change', remove);
        input.addEventListener('cancel', remove);
        input.click();
      });
    },

    showMessage: function(title, text) {
      return new Promise(function(resolve) {
        document.getElementById('message-title').textContent = title;
        document.getElementById('message-text').textContent = text;
        dialog.addEventListener('close', function closed() {
          dialog.removeEventListener('close', closed);
          canvas.focus();
          resolve();
        });
        dialog.showModal();
      });
    },

    // The game ended with Esc: the panel waits for "Play again".
    ended: function() {
      return new Promise(function(resolve) {
        ended.hidden = false;
        again.focus();
        again.onclick = function() {
          ended.hidden = true;
          canvas.focus();
          resolve();
        };
      });
    },
  };

  var loading = document.getElementById('loading');
  function cannotStart(why) {
    loading.textContent = 'The game cannot start: ' + why;
    loading.hidden = false;
  }
  if (typeof WebAssembly !== 'object') cannotStart('this browser runs no WebAssembly.');

  window.Module = {
    vornePage: page,
    onAbort: function(what) { cannotStart(String(what)); },
    canvas: canvas,
    preRun: [],
    print: function(text) { console.log(text); },
    printErr: function(text) { console.warn(text); },
  };

  // ?map=URL: a stage file from this site, fetched before the game starts.
  var map = params.get('map');
  if (map) {
    Module.preRun.push(function() {
      var url;
      try { url = new URL(map, location.href); } catch (e) { url = null; }
      if (!url || url.origin !== location.origin) {
        page.mapProblem = map + ': only stage files from this site can be played here';
        return;
      }
      addRunDependency('map');
      fetch(url).then(function(response) {
        if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
        return response.arrayBuffer();
      }).then(function(bytes) {
        // In the working folder, as a chosen file is: messages name it as
        // the address does.
        FS.mkdir('/chosen');
        FS.chdir('/chosen');
        var name = decodeURIComponent(url.pathname.split('/').pop() || '').replace(/[\/\0]/g, '_');
        if (name === '' || name === '.' || name === '..') name = 'map.dat';
        page.mapPath = name;
        FS.writeFile(name, new Uint8Array(bytes));
      }).catch(function(error) {
        page.mapProblem = map + ': cannot be fetched (' + error.message + ')';
      }).finally(function() { removeRunDependency('map'); });
    });
  }

  if (params.get('test') === '1') {
    window.vorneTest = {
      page: page,
      state: function() { return JSON.parse(UTF8ToString(Module._vorne_test_state())); },
      ticks: function() { return Module._vorne_test_ticks(); },
      audioState: function() { return Module.vorneAudio ? Module.vorneAudio.state : 'none'; },
    };
  }
})();
