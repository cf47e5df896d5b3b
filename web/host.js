// The page's side of the browser host, run before the game's module starts.
//
// The state folder of native/web_paths.cpp is kept in IndexedDB; it is loaded before Main runs, so
// the game reads its best score as it would from a file. There is no debugger on standard input
// in a page: it reads as ended, so a runtime error ends the program after its report (the
// desktop's path without a debugger) instead of asking the page for a line. An ended program
// stops its frames and its input, and tells the page its exit status through Module.onExit.
//
// A finger on the canvas is the mouse's left button, where the game reads the first touch
// (Emscripten's GLFW would press the button but keep the pointer where the mouse last was), and
// any tap, click or key starts the game's sound, which browsers hold back until a gesture.

Module['preRun'] = [].concat(Module['preRun'] || [], function () {
  FS.mkdir('/state');
  FS.mount(IDBFS, {}, '/state');
  addRunDependency('state');
  FS.syncfs(true, function (error) {
    if (error) console.error('Spraywick: the saved state could not be read', error);
    removeRunDependency('state');
  });
});

Module['stdin'] = function () { return null; };

var programEnded = false;
['keydown', 'keyup', 'keypress', 'mousedown', 'mouseup', 'mousemove'].forEach(function (type) {
  window.addEventListener(type, function (event) {
    if (programEnded) event.stopImmediatePropagation();
  }, true);
});

// Every audio context the game makes, resumed on each gesture until it runs: browsers grant the
// right to play on a key, a click or the end of a tap, not on a finger touching down.
// These listeners come first: the finger's own stop the event.
var audioContexts = [];
['AudioContext', 'webkitAudioContext'].forEach(function (name) {
  var Native = window[name];
  if (!Native) return;
  window[name] = function (options) {
    var context = new Native(options);
    audioContexts.push(context);
    return context;
  };
});
['keydown', 'mousedown', 'pointerup', 'touchend'].forEach(function (type) {
  window.addEventListener(type, function () {
    audioContexts.forEach(function (context) {
      if (context.state === 'suspended') context.resume();
    });
  }, true);
});

Module['quit'] = function (status, toThrow) {
  programEnded = true;
  Module['pauseMainLoop']();
  if (Module['onExit']) Module['onExit'](status);
  throw toThrow;
};

// The first finger down on the canvas, followed until it lifts; other fingers are ignored.
var firstTouch = null;
var mouseEventOfTouch = {
  touchstart: 'mousedown', touchmove: 'mousemove', touchend: 'mouseup', touchcancel: 'mouseup'
};

function touchAsMouse(event) {
  var canvas = Module['canvas'];
  if (event.target !== canvas) return;
  // The page must not scroll, zoom or make mouse events of its own under the finger.
  event.preventDefault();
  event.stopImmediatePropagation();
  if (programEnded) return;
  for (var i = 0; i < event.changedTouches.length; ++i) {
    var touch = event.changedTouches[i];
    if (event.type === 'touchstart' && firstTouch === null) firstTouch = touch.identifier;
    if (touch.identifier !== firstTouch) continue;
    var at = { clientX: touch.clientX, clientY: touch.clientY, button: 0, bubbles: true };
    // The game reads the position from moves, so a press moves the pointer to the finger first.
    if (event.type === 'touchstart') canvas.dispatchEvent(new MouseEvent('mousemove', at));
    canvas.dispatchEvent(new MouseEvent(mouseEventOfTouch[event.type], at));
    if (event.type === 'touchend' || event.type === 'touchcancel') firstTouch = null;
  }
}
['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function (type) {
  window.addEventListener(type, touchAsMouse, { capture: true, passive: false });
});
