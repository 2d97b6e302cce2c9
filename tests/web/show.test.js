// The page's interactive show in Debian's headless Chromium, driven by
// puppeteer-core: the setup form built from the desktop dialog's template
// and decided by its procedure, the start button playing the show in the
// canvas, F1 switching fullscreen and Escape bringing the form back.
//   node show.test.js SITE
// Exits 77 (skipped) when SITE holds no page: scripts/web builds it.
'use strict';
const assert = require('node:assert/strict');
const { after, before, describe, it } = require('node:test');
const { pageTestSetup, webglArgs: cpuWebgl } = require('./setup.js');
const { serve } = require('./serve.js');
const { decodePng } = require('./png.js');

const { args: [site], puppeteer, chromium } = pageTestSetup('show.test.js', ['SITE']);
const bound = 60000;
// Escape ends the show within a frame or two; the bound leaves a busy
// machine room, and is far below the show's own end.
const escapeBound = 10000;
const webglArgs = [...cpuWebgl, '--autoplay-policy=no-user-gesture-required'];

let server, browser, origin;
before(async () => {
  server = await serve(site, 0);
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await puppeteer.launch({ executablePath: chromium, headless: true, args: webglArgs });
});
after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
});

async function openPage(on = browser) {
  const page = await on.newPage();
  const seen = { errors: [], warnings: [], logs: [] };
  page.on('console', (message) => {
    if (message.type() === 'error') seen.errors.push(message.text());
    else if (message.type() === 'warn') seen.warnings.push(message.text());
    else seen.logs.push(message.text());
  });
  page.on('pageerror', (error) => seen.errors.push(`page error: ${error.message}`));
  await page.goto(`${origin}/index.html`);
  await page.waitForFunction(() => !document.getElementById('setup').hidden, { timeout: bound });
  return { page, seen };
}

const formShown = () => !document.getElementById('setup').hidden;
const checked = (page) => page.$$eval('#setup input', (inputs) =>
    Object.fromEntries(inputs.map((input) => [input.parentElement.textContent, input.checked])));
// How many of the canvas's pixels are not black, as the page shows them.
async function litPixels(page) {
  const picture = decodePng(Buffer.from(await (await page.$('#canvas')).screenshot()));
  let lit = 0;
  for (let i = 0; i < picture.rgb.length; i += 3) {
    if (picture.rgb[i] + picture.rgb[i + 1] + picture.rgb[i + 2] > 30) ++lit;
  }
  return lit;
}

describe('the setup form', () => {
  it('shows the dialog\'s controls, texts and defaults', async () => {
    const { page, seen } = await openPage();
    const buttons = await page.$$eval('#setup button', (all) => all.map((b) => b.textContent));
    assert.deepEqual(buttons.sort(), ['quit', 'rebut']);
    assert.deepEqual(await checked(page), {
      'WindowedMode*Not*': false, '16bit': true, '32bit': false, '6x4': true, '8x6': false,
      '*Yes*MaximumOverdrive': false,
    });
    const text = await page.$eval('#setup', (form) => form.textContent);
    assert.match(text, /count down from ten/);
    assert.match(text, /130 seconds, no more/);
    assert.deepEqual(seen.errors, []);
    await page.close();
  });

  it('starts the show with the choice, draws it, and Escape brings the form back', async () => {
    const { page, seen } = await openPage();
    await page.click('#setup label:has(input[data-id="1002"])');  // 8x6
    await page.click('#setup label:has(input[data-id="1005"])');  // 32bit
    await page.click('#setup button[type="submit"]');
    await page.waitForFunction(() => document.getElementById('setup').hidden, { timeout: bound });
    const size = await page.$eval('#canvas', (c) => [c.width, c.height]);
    assert.deepEqual(size, [800, 600]);
    await page.waitForFunction(() => /Playing the show at 800x600, 32 bits/.test(
        document.getElementById('status').textContent), { timeout: bound });
    // The show's pictures reach the canvas within a few seconds.
    let lit = 0;
    for (const end = Date.now() + 20000; Date.now() < end && lit < 1000;) {
      await new Promise((resolve) => setTimeout(resolve, 500));
      lit = await litPixels(page);
    }
    assert.ok(lit >= 1000, `only ${lit} pixels drawn`);
    await page.keyboard.press('Escape');
    await page.waitForFunction(formShown, { timeout: escapeBound });
    assert.deepEqual(seen.errors, []);
    await page.close();
  });

  it('starts the richest setting from the overdrive box, as the dialog does', async () => {
    const { page, seen } = await openPage();
    await page.click('#setup label:has(input[data-id="1012"])');
    await page.click('#setup button[type="submit"]');
    await page.waitForFunction(() => /Playing the show at 800x600, 32 bits, fullscreen/.test(
        document.getElementById('status').textContent), { timeout: bound });
    await page.keyboard.press('Escape');
    await page.waitForFunction(formShown, { timeout: escapeBound });
    assert.deepEqual(seen.errors, []);
    await page.close();
  });
});

describe('keys', () => {
  it('F1 switches fullscreen and restarts the show; F1 again and Escape as on the desktop',
     async () => {
       const { page, seen } = await openPage();
       await page.click('#setup button[type="submit"]');
       await page.waitForFunction(() => document.getElementById('setup').hidden,
                                  { timeout: bound });
       // The page keeps F1 from the browser (no help page opens).
       await page.evaluate(() => {
         window.keysLeft = [];
         document.addEventListener('keydown', (event) => {
           window.keysLeft.push(`${event.key}:${event.defaultPrevented}`);
         });
       });
       const windowIs = (kind) => page.waitForFunction(
           (k) => document.getElementById('stage').dataset.window === k, { timeout: bound }, kind);
       await windowIs('windowed');
       await page.keyboard.press('F1');
       await windowIs('fullscreen');
       await page.waitForFunction(() => document.fullscreenElement?.id === 'stage',
                                  { timeout: bound });
       // Drawn at the chosen size, scaled by the page.
       assert.deepEqual(await page.$eval('#canvas', (c) => [c.width, c.height]), [640, 480]);
       await page.keyboard.press('F1');
       await windowIs('windowed');
       await page.waitForFunction(() => !document.fullscreenElement, { timeout: bound });
       await page.keyboard.press('Escape');
       await page.waitForFunction(formShown, { timeout: escapeBound });
       assert.deepEqual(await page.evaluate(() => window.keysLeft),
                        ['F1:true', 'F1:true', 'Escape:true']);
       assert.deepEqual(seen.errors, []);
       await page.close();
     });

  it('plays the show again in the page when the browser leaves fullscreen by itself',
     async () => {
       const { page, seen } = await openPage();
       await page.click('#setup label:has(input[data-id="1012"])');  // overdrive: fullscreen
       await page.click('#setup button[type="submit"]');
       const windowIs = (kind) => page.waitForFunction(
           (k) => document.getElementById('stage').dataset.window === k, { timeout: bound }, kind);
       await windowIs('fullscreen');
       await page.waitForFunction(() => document.fullscreenElement?.id === 'stage',
                                  { timeout: bound });
       // What the browser does with its own Escape in fullscreen.
       await page.evaluate(() => document.exitFullscreen());
       await windowIs('windowed');
       assert.equal(await page.evaluate(formShown), false, 'the show goes on');
       assert.deepEqual(await page.$eval('#canvas', (c) => [c.width, c.height]), [800, 600]);
       await page.keyboard.press('Escape');
       await page.waitForFunction(formShown, { timeout: escapeBound });
       assert.deepEqual(seen.errors, []);
       await page.close();
     });
});

describe('picture and sound', () => {
  it('keeps the show clock on the music as heard, within a 60 Hz frame, with a late start',
     async () => {
       const page = await browser.newPage();
       const errors = [];
       page.on('console', (message) => {
         if (message.type() === 'error') errors.push(message.text());
       });
       // The browser starts the audio half a second after the page asks: the
       // show set up before it must find the music where it is heard.
       await page.evaluateOnNewDocument(() => {
         const Base = window.AudioContext;
         window.AudioContext = class extends Base {
           constructor(options) {
             super(options);
             this.suspend();
           }
           resume() {
             return new Promise((resolve) => setTimeout(resolve, 500)).then(() => super.resume());
           }
         };
       });
       await page.goto(`${origin}/index.html`);
       await page.waitForFunction(formShown, { timeout: bound });
       // Each frame: the show time it drew, against the music's position as
       // heard at that moment, by the output's timestamp: seconds since the
       // context played the song's first piece.
       await page.evaluate(() => {
         window.offsets = [];
         const tev = window.tev;
         const ccall = tev.ccall.bind(tev);
         tev.ccall = (name, ...rest) => {
           if (name !== 'tevShowStep' || !tev.tevSound || tev.tevSound.first === null) {
             return ccall(name, ...rest);
           }
           const context = tev.tevSound.context;
           const stamp = context.getOutputTimestamp();
           const heard = stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000;
           const going = ccall(name, ...rest);
           const shown = ccall('tevShowClock', 'number', [], []);
           if (context.state === 'running' && stamp.performanceTime > 0) {
             window.offsets.push(shown - (heard - tev.tevSound.first));
           }
           return going;
         };
       });
       await page.click('#setup button[type="submit"]');
       await page.waitForFunction(() => window.offsets.length >= 60, { timeout: bound });
       await page.keyboard.press('Escape');
       await page.waitForFunction(formShown, { timeout: escapeBound });
       const offsets = await page.evaluate(() => window.offsets);
       const worst = Math.max(...offsets.map(Math.abs));
       console.log(`# ${offsets.length} frames: picture ahead of sound by at most ` +
                   `${(worst * 1000).toFixed(2)} ms`);
       assert.ok(worst <= 1 / 60, `the picture is ${(worst * 1000).toFixed(1)} ms off the sound`);
       assert.deepEqual(errors, []);
       await page.close();
     });
});

describe('bad input', () => {
  it('plays the show silent, and says so, when the browser has no WebAudio', async () => {
    const page = await browser.newPage();
    const warnings = [], errors = [];
    page.on('console', (message) => {
      if (message.type() === 'warn') warnings.push(message.text());
      if (message.type() === 'error') errors.push(message.text());
    });
    await page.evaluateOnNewDocument(() => {
      delete window.AudioContext;
      delete window.webkitAudioContext;
    });
    await page.goto(`${origin}/index.html`);
    await page.waitForFunction(formShown, { timeout: bound });
    await page.click('#setup button[type="submit"]');
    await page.waitForFunction(() => /Playing the show/.test(
        document.getElementById('status').textContent), { timeout: bound });
    assert.ok(warnings.some((line) => /plays silent/.test(line)), warnings.join('\n'));
    let lit = 0;
    for (const end = Date.now() + 20000; Date.now() < end && lit < 1000;) {
      await new Promise((resolve) => setTimeout(resolve, 500));
      lit = await litPixels(page);
    }
    assert.ok(lit >= 1000, `only ${lit} pixels drawn`);
    await page.keyboard.press('Escape');
    await page.waitForFunction(formShown, { timeout: escapeBound });
    assert.deepEqual(errors, []);
    await page.close();
  });

  it('says the show could not run without WebGL 2, and shows the form again', async () => {
    const plain = await puppeteer.launch({
      executablePath: chromium, headless: true,
      args: ['--headless=new', '--no-sandbox', '--disable-webgl2'],
    });
    try {
      const { page } = await openPage(plain);
      await page.click('#setup button[type="submit"]');
      await page.waitForFunction(() => /could not run/.test(
          document.getElementById('status').textContent), { timeout: bound });
      await page.waitForFunction(formShown, { timeout: bound });
    } finally {
      await plain.close();
    }
  });
});
