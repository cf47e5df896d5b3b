// The browser build in headless Chromium: the page shows the sea and the title, space starts a
// run that moves, an idle run crashes and its best score is kept in IndexedDB across reloads,
// Web Audio runs after the first key press, and a missing image shows the runtime error report
// in the page. Usage: node web_test.js BUILD_FOLDER (made by tools/build-web).
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
const DOWNLOAD = ['spraywick.html', 'spraywick.js', 'spraywick.wasm', 'spraywick.data'];
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
async function openGamePage(browser) {
  const page = await browser.newPage();
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

// Milliseconds from the start of loading to the first frame.
async function waitForFirstFrame(seen) {
  const line = await waitFor(() => seen.console.find((text) => text.startsWith('first frame: ')), 'no first frame', 60);
  seen.console.length = 0;
  return Number(line.slice('first frame: '.length));
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// ---- the picture ----

async function canvasPixels(page) {
  return PNG.sync.read(Buffer.from(await (await page.$('#canvas')).screenshot({ type: 'png' })));
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
// The "wasted" banner of a crash is bright red.
const isBannerRed = (r, g, b) => r > 170 && g < 90 && b < 90;

function differingPixels(a, b) {
  let n = 0;
  for (let i = 0; i < a.data.length; i += 4) {
    if (Math.abs(a.data[i] - b.data[i]) + Math.abs(a.data[i + 1] - b.data[i + 1]) +
        Math.abs(a.data[i + 2] - b.data[i + 2]) > 30) ++n;
  }
  return n;
}

// Polls until `check` gives a true value, for a game that may run slowly on a busy machine.
async function waitFor(check, what, seconds = 120) {
  for (const deadline = Date.now() + seconds * 1000; Date.now() < deadline; await sleep(250)) {
    const result = await check();
    if (result) return result;
  }
  assert.fail(`${what} within ${seconds} seconds`);
}

// After a crash the "wasted" banner shows, then the title returns until the next space.
async function waitForCrash(page) {
  await waitFor(async () => {
    const shot = await canvasPixels(page);
    return count(shot, isBannerRed) > 400 || count(shot, isTitleWhite, TITLE_BOX) > 1500;
  }, 'no crash of an idle run');
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
    const audio = await page.evaluate(() => ({ ...window.audio, states: window.audio.contexts.map((c) => c.state) }));
    assert.deepStrictEqual(audio.createdSuspended, [true]);
    assert.deepStrictEqual(audio.states, ['running']);
    assert.strictEqual(audio.loopsPlaying, 2);

    const first = await canvasPixels(page);
    assert.ok(count(first, isTitleWhite, TITLE_BOX) < 300, 'the title has slid away');
    await sleep(300);
    const second = await canvasPixels(page);
    assert.ok(differingPixels(first, second) > 0.02 * 640 * 480, 'the sea moves');
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
    await waitFor(async () => count(await canvasPixels(page), isTitleWhite, TITLE_BOX) < 300, 'no run started');
    await waitForCrash(page);
    await sleep(1000);
    assert.strictEqual((await readStore(page))[STATE_KEY], '999999');
    assert.deepStrictEqual(seen.dialogs, []);
  });

  await t.test('a missing image shows the runtime error report in the page', async () => {
    const { page: broken, seen: brokenSeen } = await openGamePage(browser);
    // The preloaded package lists its files in spraywick.js: wasted.png gets another name.
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
});
