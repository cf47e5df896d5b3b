// The browser build in headless Chromium: the page shows the sea and the title, space starts a
// run that moves, an idle run crashes and its best score is kept in IndexedDB across reloads,
// Web Audio runs after the first key press, a missing image shows the runtime error report in
// the page, and a gamepad plays. On an emulated phone held sideways the app installs, taps and
// a held finger play, and after one visit the game plays with the network off.
// Usage: node web_test.js BUILD_FOLDER (made by tools/build-web).
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn } = require('node:child_process');
const { PNG } = require('pngjs');
const puppeteer = require('puppeteer-core');

const buildFolder = path.resolve(process.argv[2] || 'build-web');
// The service worker the build wrote: its cache's name and the files it keeps, which with the
// worker itself are what a visit downloads.
const WORKER_SCRIPT = fs.readFileSync(path.join(buildFolder, 'service-worker.js'), 'utf8');
const OFFLINE_FILES = JSON.parse(/const FILES = (\[.*\]);/.exec(WORKER_SCRIPT)[1].replace(/'/g, '"'));
const DOWNLOAD = ['service-worker.js', ...OFFLINE_FILES];
const STATE_KEY = '/state/.zorvexstate';

// ---- the server and the browser ----

function serve(folder) {
  return new Promise((resolve, reject) => {
    const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', folder],
                         { stdio: ['ignore', 'pipe', 'ignore'] });
    server.on('error', reject);
    server.stdout.on('data', (chunk) => {
      const port = /port (\d+)/.exec(chunk.toString());
      if (port) resolve({ server, url: `http://127.0.0.1:${port[1]}/spraywick.html` });
    });
  });
}

function launchChromium() {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: fs.mkdtempSync(path.join(os.tmpdir(), 'spraywick-chromium-')),
    defaultViewport: { width: 800, height: 600 },
    args: ['--no-sandbox', '--use-gl=swiftshader', '--enable-unsafe-swiftshader',
           // The page must meet the autoplay rule that players' browsers apply.
           '--autoplay-policy=document-user-activation-required',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--no-first-run', '--disable-quic'],
  });
}

// A page that records its console lines, dialogs and Web Audio contexts, and logs its first
// frame. Puppeteer's evaluations count as user activation, which lifts the autoplay rule, so
// none may run before the first key press: the page reports by itself until then.
async function openGamePage(browserOrContext) {
  const page = await browserOrContext.newPage();
  const seen = { console: [], dialogs: [] };
  page.on('console', (message) => seen.console.push(message.text()));
  page.on('dialog', async (dialog) => {
    seen.dialogs.push(dialog.message());
    await dialog.dismiss();
  });
  await page.evaluateOnNewDocument(() => {
    const Native = window.AudioContext;
    window.audio = { createdSuspended: [], loopsPlaying: 0 };
    window.AudioContext = window.webkitAudioContext = class extends Native {
      constructor(...options) {
        super(...options);
        window.audio.createdSuspended.push(this.state === 'suspended');
        window.audio.contexts = (window.audio.contexts || []).concat(this);
      }
    };
    // A looping sound is one node, started once and playing until it ends.
    const start = AudioBufferSourceNode.prototype.start;
    AudioBufferSourceNode.prototype.start = function (...options) {
      if (this.loop) {
        ++window.audio.loopsPlaying;
        this.addEventListener('ended', () => --window.audio.loopsPlaying);
      }
      return start.apply(this, options);
    };
    new PerformanceObserver((marks) => {
      for (const mark of marks.getEntriesByName('spraywick-first-frame')) console.log(`first frame: ${mark.startTime}`);
    }).observe({ type: 'mark' });
  });
  return { page, seen };
}

// What the page's audio contexts did: created suspended or not, their states now, and how many
// looping sounds play.
function audioOf(page) {
  return page.evaluate(() => ({ ...window.audio, states: window.audio.contexts.map((c) => c.state) }));
}

// Milliseconds from the start of loading to the first frame.
async function waitForFirstFrame(seen) {
  const line = await waitFor(() => seen.console.find((text) => text.startsWith('first frame: ')), 'no first frame', 60);
  seen.console.length = 0;
  return Number(line.slice('first frame: '.length));
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// ---- the picture ----

// The canvas as the game drew it, 640 × 480, whatever its size on the screen.
async function canvasPixels(page) {
  const shot = PNG.sync.read(Buffer.from(await (await page.$('#canvas')).screenshot({ type: 'png' })));
  if (shot.width === 640 && shot.height === 480) return shot;
  const sampled = new PNG({ width: 640, height: 480 });
  for (let y = 0; y < 480; ++y) {
    for (let x = 0; x < 640; ++x) {
      const from = (Math.floor(y * shot.height / 480) * shot.width + Math.floor(x * shot.width / 640)) * 4;
      shot.data.copy(sampled.data, (y * 640 + x) * 4, from, from + 4);
    }
  }
  return sampled;
}

function count(shot, isWanted, box = { x: 0, y: 0, width: shot.width, height: shot.height }) {
  let n = 0;
  for (let y = box.y; y < box.y + box.height; ++y) {
    for (let x = box.x; x < box.x + box.width; ++x) {
      const i = (y * shot.width + x) * 4;
      if (isWanted(shot.data[i], shot.data[i + 1], shot.data[i + 2])) ++n;
    }
  }
  return n;
}

// The sea colour (32, 96, 128), give or take the darker creatures and the faint ripples.
const isSea = (r, g, b) => Math.abs(r - 32) < 24 && Math.abs(g - 96) < 32 && Math.abs(b - 128) < 32;
// The title's letters are near white; they sit around (440, 385) on the title screen.
const isTitleWhite = (r, g, b) => r > 200 && g > 215 && b > 225;
const TITLE_BOX = { x: 290, y: 335, width: 300, height: 100 };
// The skier and the "wasted" banner of a crash are bright red.
const isRed = (r, g, b) => r > 150 && g < 110 && b < 110;

// The skier's red 370 to 440 pixels from the boat's stern at (630, 10), within 25° of the
// resting rope's 135°: its mean direction in degrees (down the screen is positive).
function findSkier(shot) {
  let degrees = 0, red = 0;
  for (let y = 0; y < shot.height; ++y) {
    for (let x = 0; x < shot.width; ++x) {
      const i = (y * shot.width + x) * 4;
      if (!isRed(shot.data[i], shot.data[i + 1], shot.data[i + 2])) continue;
      const angle = Math.atan2(y - 10, x - 630) * 180 / Math.PI;
      if (Math.abs(Math.hypot(x - 630, y - 10) - 405) <= 35 && Math.abs(angle - 135) <= 25) {
        degrees += angle;
        ++red;
      }
    }
  }
  return { angle: degrees / red, red, crashed: count(shot, isRed) > 400 };
}

function differingPixels(a, b) {
  let n = 0;
  for (let i = 0; i < a.data.length; i += 4) {
    if (Math.abs(a.data[i] - b.data[i]) + Math.abs(a.data[i + 1] - b.data[i + 1]) +
        Math.abs(a.data[i + 2] - b.data[i + 2]) > 30) ++n;
  }
  return n;
}

// In a run the sea scrolls: two pictures 0.3 s apart differ.
async function assertTheSeaMoves(page) {
  const first = await canvasPixels(page);
  await sleep(300);
  assert.ok(differingPixels(first, await canvasPixels(page)) > 0.02 * 640 * 480, 'the sea moves');
}

// Polls until `check` gives a true value, for a game that may run slowly on a busy machine.
async function waitFor(check, what, seconds = 120) {
  for (const deadline = Date.now() + seconds * 1000; Date.now() < deadline; await sleep(250)) {
    const result = await check();
    if (result) return result;
  }
  assert.fail(`${what} within ${seconds} seconds`);
}

// A run has started when the title has slid away.
function waitForRun(page) {
  return waitFor(async () => count(await canvasPixels(page), isTitleWhite, TITLE_BOX) < 300, 'no run started');
}

// After a crash the "wasted" banner shows, then the title returns until the next start: a start
// counts once the banner is gone.
function waitForTitle(page) {
  return waitFor(async () => {
    const shot = await canvasPixels(page);
    return count(shot, isTitleWhite, TITLE_BOX) > 1500 && count(shot, isRed) < 400;
  }, 'no title');
}

// The rope's angle when a run starts, after the clockwise control is held and then after the
// anticlockwise one. A creature may end a run first: the next attempt waits for the title and
// starts again, a little later into its run, since every run meets the same creatures.
async function swingsOf(page, { start, clockwise, anticlockwise, release }) {
  for (let attempt = 0; attempt < 6; ++attempt) {
    await waitForTitle(page);
    await start();
    await sleep(500 + 250 * attempt);
    const started = findSkier(await canvasPixels(page));
    await clockwise();
    await sleep(600);
    const afterClockwise = findSkier(await canvasPixels(page));
    await anticlockwise();
    await sleep(900);
    const afterAnticlockwise = findSkier(await canvasPixels(page));
    await release();
    const seen = [started, afterClockwise, afterAnticlockwise];
    if (seen.every((skier) => !skier.crashed && skier.red >= 3)) return seen.map((skier) => skier.angle);
  }
  assert.fail('every attempt crashed too soon');
}

function assertSwingsBothWays(t, [started, clockwise, anticlockwise]) {
  t.diagnostic(`rope: ${[started, clockwise, anticlockwise].map((angle) => angle.toFixed(1)).join('°, ')}°`);
  assert.ok(Math.abs(started - 135) < 3, `the start swung the skier to ${started}°`);
  assert.ok(clockwise > started + 2, `clockwise: ${started}° to ${clockwise}°`);
  assert.ok(anticlockwise < clockwise - 2, `anticlockwise: ${clockwise}° to ${anticlockwise}°`);
}

// ---- the state in IndexedDB, where Emscripten keeps the folder mounted at /state ----

function readStore(page) {
  return page.evaluate(() => new Promise((resolve, reject) => {
    const open = indexedDB.open('/state');
    open.onerror = () => reject(open.error);
    open.onsuccess = () => {
      const store = open.result.transaction('FILE_DATA').objectStore('FILE_DATA');
      const entries = {};
      store.openCursor().onsuccess = (event) => {
        const cursor = event.target.result;
        if (!cursor) return resolve(entries);
        const contents = cursor.value.contents;
        entries[cursor.key] = contents ? new TextDecoder().decode(contents) : null;
        cursor.continue();
      };
    };
  }));
}

function writeState(page, text) {
  return page.evaluate((key, text) => new Promise((resolve, reject) => {
    const open = indexedDB.open('/state');
    open.onsuccess = () => {
      const transaction = open.result.transaction('FILE_DATA', 'readwrite');
      const store = transaction.objectStore('FILE_DATA');
      store.get(key).onsuccess = (event) => {
        store.put({ ...event.target.result, contents: new TextEncoder().encode(text) }, key);
      };
      transaction.oncomplete = resolve;
      transaction.onerror = () => reject(transaction.error);
    };
  }), STATE_KEY, text);
}

function waitForState(page) {
  return waitFor(async () => {
    const entries = await readStore(page).catch(() => ({}));
    return STATE_KEY in entries && entries;
  }, 'no crash of an idle run stored a best score');
}

// ---- the checks ----

test('the browser build', async (t) => {
  const { server, url } = await serve(buildFolder);
  const browser = await launchChromium();
  t.after(async () => {
    await browser.close();
    server.kill();
  });

  await t.test('the download is at most 2 MB', () => {
    const bytes = DOWNLOAD.reduce((sum, file) => sum + fs.statSync(path.join(buildFolder, file)).size, 0);
    t.diagnostic(`download: ${bytes} bytes (${(bytes / 1048576).toFixed(2)} MiB)`);
    assert.ok(bytes <= 2 * 1048576, `${bytes} bytes`);
  });

  const { page, seen } = await openGamePage(browser);

  await t.test('the canvas shows the sea and the title', async () => {
    await page.goto(url);
    t.diagnostic(`time to first frame: ${Math.round(await waitForFirstFrame(seen))} ms`);
    await sleep(1000);  // the title fades in over a third of a second
    const shot = await canvasPixels(page);
    assert.deepStrictEqual([shot.width, shot.height], [640, 480]);
    assert.ok(count(shot, isSea) > 0.6 * 640 * 480, 'mostly sea');
    assert.ok(count(shot, isTitleWhite, TITLE_BOX) > 1500, 'the title');
  });

  await t.test('space starts a run and the sound, and the picture moves', async () => {
    await page.keyboard.press('Space');
    await sleep(2000);
    // Held back by the autoplay rule until the key press, then running, with the engine and the
    // sea, started before it, still looping.
    const audio = await audioOf(page);
    assert.deepStrictEqual(audio.createdSuspended, [true]);
    assert.deepStrictEqual(audio.states, ['running']);
    assert.strictEqual(audio.loopsPlaying, 2);

    assert.ok(count(await canvasPixels(page), isTitleWhite, TITLE_BOX) < 300, 'the title has slid away');
    await assertTheSeaMoves(page);
  });

  await t.test('an idle run crashes and its best score survives a reload', async () => {
    const entries = await waitForState(page);
    assert.match(entries[STATE_KEY], /^[1-9][0-9]*$/);
    assert.ok(!('/state/.zorvexstate.new' in entries), 'the temporary file was renamed');

    // A best score no idle run reaches: if the game did not read it after the reload, its next
    // crash would store its own score over it.
    await writeState(page, '999999');
    await page.reload();
    await waitForFirstFrame(seen);
    await page.keyboard.press('Space');
    await waitForRun(page);
    await waitForTitle(page);
    assert.strictEqual((await readStore(page))[STATE_KEY], '999999');
    assert.deepStrictEqual(seen.dialogs, []);
  });

  await t.test('a missing image shows the runtime error report in the page', async () => {
    const { page: broken, seen: brokenSeen } = await openGamePage(browser);
    // The preloaded package lists its files in spraywick.js: wasted.png gets another name.
    // The service worker the first page installed would serve the script past the interception.
    await broken.setBypassServiceWorker(true);
    await broken.setRequestInterception(true);
    broken.on('request', async (request) => {
      if (!request.url().endsWith('/spraywick.js')) return request.continue();
      const script = await (await fetch(request.url())).text();
      assert.ok(script.includes('"/data/wasted.png"'));
      request.respond({ contentType: 'text/javascript',
                        body: script.replace('"/data/wasted.png"', '"/data/wasted.png.hidden"') });
    });
    await broken.goto(url);
    await broken.waitForFunction(() => !document.getElementById('report').hidden, { timeout: 60000 });
    await sleep(500);
    const report = await broken.$eval('#report', (element) => element.textContent);
    assert.match(report, /^Zorvex Runtime Error : Unable to load image "wasted\.png"\n/);
    assert.match(report, /^game\/jamapp\.cpp<\d+>$/m);
    assert.ok(brokenSeen.console.some((line) => line.startsWith('Zorvex Runtime Error : Unable to load image')));
    // No prompt for a debugger, and the page still answers.
    assert.deepStrictEqual(brokenSeen.dialogs, []);
    assert.match(await broken.$eval('#status', (element) => element.textContent), /exit status -1/);
  });

  await t.test('a gamepad starts a run with A and swings the skier with the d-pad', async (padTest) => {
    const { page: padPage, seen: padSeen } = await openGamePage(browser);
    // One pad in the standard layout, connected before the page loads, held as the test says.
    await padPage.evaluateOnNewDocument(() => {
      window.padHeld = [];
      navigator.getGamepads = () => [{
        id: 'Scripted pad', index: 0, connected: true, mapping: 'standard', timestamp: performance.now(),
        axes: [0, 0, 0, 0],
        buttons: Array.from({ length: 17 }, (_, i) => {
          const pressed = window.padHeld.includes(i);
          return { pressed, touched: pressed, value: pressed ? 1 : 0 };
        }),
      }, null, null, null];
    });
    const hold = (...buttons) => padPage.evaluate((held) => { window.padHeld = held; }, buttons);
    const [A, LEFT, RIGHT] = [0, 14, 15];
    await padPage.goto(url);
    await waitForFirstFrame(padSeen);
    assertSwingsBothWays(padTest, await swingsOf(padPage, {
      start: async () => { await hold(A); await sleep(200); await hold(); },
      clockwise: () => hold(LEFT),
      anticlockwise: () => hold(RIGHT),
      release: () => hold(),
    }));
    await padPage.close();
  });

  await t.test('on a phone held sideways', async (phoneTest) => {
    const phoneContext = await browser.createBrowserContext();
    const { page: phone, seen: phoneSeen } = await openGamePage(phoneContext);
    const device = puppeteer.KnownDevices['Pixel 5 landscape'];
    await phone.emulate(device);
    // A cache an earlier build left behind, which the new service worker drops.
    await phone.goto(new URL('spraywick.webmanifest', url).href);
    await phone.evaluate(() => caches.open('spraywick-0000000000000000'));
    // The canvas is in the middle of the screen, found there without asking the page.
    const tapTheMiddle = () => phone.touchscreen.tap(device.viewport.width / 2, device.viewport.height / 2);

    await phoneTest.test('a tap starts a run and the sound, in a picture that fills the screen', async () => {
      await phone.goto(url);
      await waitForFirstFrame(phoneSeen);
      // The first tap comes before any evaluation in the page, which would count as a gesture.
      await tapTheMiddle();
      await waitForRun(phone);
      const audio = await audioOf(phone);
      assert.deepStrictEqual(audio.createdSuspended, [true]);
      assert.deepStrictEqual(audio.states, ['running']);

      const box = await (await phone.$('#canvas')).boundingBox();
      assert.ok(Math.abs(box.height - device.viewport.height) < 1 && Math.abs(box.width - box.height * 4 / 3) < 1,
                `the canvas is ${box.width} × ${box.height}`);
      const page = PNG.sync.read(Buffer.from(await phone.screenshot({ type: 'png' })));
      assert.ok(count(page, isSea, { x: 0, y: 0, width: 20, height: page.height }) > 0.95 * 20 * page.height,
                'the sea in the bars');
      const shown = await phone.$$eval('#controls span', (spans) => spans.map((span) => span.checkVisibility()));
      assert.deepStrictEqual(shown, [false, true], 'the controls speak of taps, not keys');
      assert.deepStrictEqual(phoneSeen.dialogs, []);
    });

    await phoneTest.test('a held finger swings the skier; the run\'s best score is kept', async (fingerTest) => {
      const box = await (await phone.$('#canvas')).boundingBox();
      const at = (x, y) => [box.x + x * box.width / 640, box.y + y * box.height / 480];
      assertSwingsBothWays(fingerTest, await swingsOf(phone, {
        start: () => phone.touchscreen.tap(...at(320, 240)),
        clockwise: () => phone.touchscreen.touchStart(...at(50, 50)),
        anticlockwise: () => phone.touchscreen.touchMove(...at(600, 470)),
        release: () => phone.touchscreen.touchEnd(),
      }));
      assert.match((await waitForState(phone))[STATE_KEY], /^[1-9][0-9]*$/);
    });

    await phoneTest.test('the app installs: its manifest, icons and service worker', async () => {
      const cdp = await phone.createCDPSession();
      const manifest = await cdp.send('Page.getAppManifest');
      assert.deepStrictEqual(manifest.errors, []);
      const { name, display, orientation, icons } = JSON.parse(manifest.data);
      assert.deepStrictEqual([name, display, orientation], ['Spraywick', 'fullscreen', 'landscape']);
      const sides = [];
      for (const icon of icons) {
        const response = await fetch(new URL(icon.src, manifest.url));
        assert.strictEqual(response.headers.get('content-type'), 'image/png');
        const image = PNG.sync.read(Buffer.from(await response.arrayBuffer()));
        assert.strictEqual(`${image.width}x${image.height}`, icon.sizes);
        sides.push(image.width);
      }
      assert.deepStrictEqual(sides, [192, 512]);

      const worker = await waitFor(() => phone.evaluate(async () => {
        const registration = await navigator.serviceWorker.ready;
        if (registration.active.state !== 'activated') return null;
        const names = await caches.keys();
        const kept = await (await caches.open(names[0])).keys();
        return { names, kept: kept.map((request) => new URL(request.url).pathname.slice(1)) };
      }), 'no active service worker', 60);
      const built = /const CACHE = '([^']+)'/.exec(WORKER_SCRIPT)[1];
      assert.match(built, /^spraywick-[0-9a-f]{16}$/);
      assert.deepStrictEqual(worker.names, [built], 'only this build\'s cache');
      assert.deepStrictEqual(worker.kept.sort(), [...OFFLINE_FILES].sort());
    });

    await phoneTest.test('with the network off, a reload draws the sea and plays', async () => {
      await phone.setOfflineMode(true);
      await phone.reload();
      await waitForFirstFrame(phoneSeen);
      await sleep(1000);
      assert.ok(count(await canvasPixels(phone), isSea) > 0.6 * 640 * 480, 'mostly sea');
      await tapTheMiddle();
      await waitForRun(phone);
      await assertTheSeaMoves(phone);
      await phone.setOfflineMode(false);
    });
    await phoneContext.close();
  });
});
