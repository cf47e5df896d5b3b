// The page's side of the browser host, run before the game's module starts.
//
// The state folder of native/web_paths.cpp is kept in IndexedDB; it is loaded before Main runs, so
// the game reads its best score as it would from a file. There is no debugger on standard input
// in a page: it reads as ended, so a runtime error ends the program after its report (the
// desktop's path without a debugger) instead of asking the page for a line. An ended program
// stops its frames and its input, and tells the page its exit status through Module.onExit.

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

Module['quit'] = function (status, toThrow) {
  programEnded = true;
  Module['pauseMainLoop']();
  if (Module['onExit']) Module['onExit'](status);
  throw toThrow;
};
