// Opens the page's frame timing (index.html?bench) in Debian's headless
// Chromium and prints its figures (bench/web/frame-times runs it).
//   node bench-page.js SITE WxH FPS
'use strict';
const puppeteer = require('puppeteer-core');
const { serve } = require('./serve.js');

const [site, size, fps] = process.argv.slice(2);
(async () => {
  const server = await serve(site, 0);
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
    args: ['--headless=new', '--no-sandbox', '--use-angle=swiftshader',
           '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist'],
    protocolTimeout: 900000,
  });
  try {
    const page = await browser.newPage();
    page.on('pageerror', (error) => console.error(error.message));
    await page.goto(`http://127.0.0.1:${server.address().port}/index.html?bench&size=${size}` +
                    `&fps=${fps}`);
    await page.waitForFunction('window.tevCaptureDone === true', { timeout: 900000 });
    const figures = JSON.parse(await page.$eval('#bench', (output) => output.value));
    console.log(`frames ${figures.frames}  median ${figures.median.toFixed(2)} ms  ` +
                `p95 ${figures.p95.toFixed(2)} ms  worst ${figures.worst.toFixed(2)} ms`);
  } finally {
    await browser.close();
    server.close();
  }
})().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
