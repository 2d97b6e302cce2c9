// The page's script: loads the program (tev.js, tev.wasm and tev.data, the
// data files for its in-memory file system) and does what the address asks:
//   index.html                  the music, played from a click
//   index.html?capture=audio    renders the music of the show's span (0 to
//                               130 s) as tev-capture --audio does and puts
//                               the SHA-256 of its samples in #audio-sha256
//   index.html?capture=T1,T2,...&size=WxH
//                               plays the show with the virtual clock at 60
//                               frames a second, without sound, as
//                               tev-capture --at does, and puts the frame
//                               drawn at each show time T as a PNG in an
//                               <img class="frame" data-t="T"> in #frames
// The program's output, the pack reader's load log among it, goes to the
// console. window.tevCaptureDone becomes true when a capture is written.
'use strict';

const params = new URLSearchParams(location.search);
const statusLine = document.getElementById('status');
const say = (text) => { statusLine.textContent = text; };
window.tevCaptureDone = false;
let started = false;

// A program that cannot load (its data file missing, say) fails outside the
// promise below: say so instead of loading for ever.
window.addEventListener('error', (event) => {
  if (!started) say(`The page could not start: ${event.message}`);
});

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), (b) => b.toString(16).padStart(2, '0')).join('');
}

async function captureAudio(tev) {
  const from = Number(params.get('from') || 0);
  const to = Number(params.get('to') || 130);
  if (!crypto.subtle) {
    throw new Error('the audio capture needs a secure context (https, or http on 127.0.0.1)');
  }
  say(`Rendering the music from ${from} s to ${to} s...`);
  if (!tev.ccall('tevRenderAudio', 'number', ['number', 'number'], [from, to])) {
    throw new Error(`no music to capture from ${from} s to ${to} s`);
  }
  const at = tev.ccall('tevAudioSamples', 'number', [], []);
  const bytes = tev.ccall('tevAudioBytes', 'number', [], []);
  const digest = await crypto.subtle.digest('SHA-256', tev.HEAPU8.slice(at, at + bytes));
  document.getElementById('audio-sha256').value = hex(digest);
  say(`Captured ${bytes} bytes of music (44100 Hz, 16-bit stereo).`);
}

// The show times of ?capture=T1,T2,... and the picture's size of &size=WxH
// (640x480 when not given); an error for anything else.
function frameRequest() {
  const times = params.get('capture').split(',').map((item) => {
    const t = Number(item);
    if (item.trim() === '' || !Number.isFinite(t) || t < 0 || t > 130) {
      throw new Error(`capture: '${item}' is not a show time from 0 to 130`);
    }
    return { label: item, t };
  });
  const size = /^(\d{1,4})x(\d{1,4})$/.exec(params.get('size') || '640x480');
  if (!size || Number(size[1]) < 1 || Number(size[2]) < 1) {
    throw new Error(`size: '${params.get('size')}' is not WIDTHxHEIGHT`);
  }
  return { times, width: Number(size[1]), height: Number(size[2]) };
}

// The RGB frame at `at` in wasm's memory as a PNG data URL.
function pngOf(tev, at, width, height) {
  const canvas = document.createElement('canvas');
  canvas.width = width;
  canvas.height = height;
  const context = canvas.getContext('2d');
  const image = context.createImageData(width, height);
  const rgb = tev.HEAPU8.subarray(at, at + width * height * 3);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += 4) {
    image.data[j] = rgb[i];
    image.data[j + 1] = rgb[i + 1];
    image.data[j + 2] = rgb[i + 2];
    image.data[j + 3] = 255;
  }
  context.putImageData(image, 0, 0);
  return canvas.toDataURL('image/png');
}

const nextTurn = () => new Promise((resolve) => setTimeout(resolve, 0));

async function captureFrames(tev) {
  const { times, width, height } = frameRequest();
  if (!tev.ccall('tevFramesStart', 'number', ['number', 'number'], [width, height])) {
    throw new Error(`no show to capture: ${tev.ccall('tevFramesError', 'string', [], [])}`);
  }
  const frames = document.getElementById('frames');
  const started = performance.now();
  // Drawn in the show's order (the frames between are played unseen, a few
  // hundred at a time so that the page stays alive), shown in the order
  // asked for.
  const pngs = new Map();
  let last = null;
  for (const { label, t } of [...times].sort((a, b) => a.t - b.t)) {
    const frame = Math.round(t * 60);
    if (!last || last.frame !== frame) {
      say(`Playing the show to ${label} s...`);
      const skip = () => tev.ccall('tevFramesSkip', 'number', ['number', 'number'], [t, 600]);
      let reached;
      while ((reached = skip()) === 0) await nextTurn();
      const at = reached > 0 ? tev.ccall('tevFramesDraw', 'number', [], []) : 0;
      if (!at) throw new Error(`the show has ended before ${label} s`);
      last = { frame, url: pngOf(tev, at, width, height) };
    }
    pngs.set(label, last.url);
  }
  for (const { label } of times) {
    const img = document.createElement('img');
    img.className = 'frame';
    img.dataset.t = label;
    img.src = pngs.get(label);
    frames.append(img);
  }
  tev.ccall('tevFramesStop', null, [], []);
  say(`Captured ${times.length} frames at ${width}x${height} ` +
      `in ${Math.round(performance.now() - started)} ms.`);
}

function offerMusic(tev) {
  const play = document.getElementById('play-music');
  const stop = document.getElementById('stop-music');
  play.disabled = false;
  play.addEventListener('click', () => {
    if (!tev.ccall('tevPlayMusic', 'number', [], [])) {
      say('The browser gives this page no sound.');
      return;
    }
    stop.disabled = false;
    say('Playing the music.');
    // The sound starts within a few seconds, or the browser holds it back.
    setTimeout(() => {
      if (!stop.disabled && !tev.ccall('tevMusicPlaying', 'number', [], [])) {
        say('The browser gives this page no sound (see the console).');
      }
    }, 3500);
  });
  stop.addEventListener('click', () => {
    tev.ccall('tevStopMusic', null, [], []);
    stop.disabled = true;
    say('Stopped.');
  });
  say('Ready.');
}

createTev({
  print: (line) => console.log(line),
  printErr: (line) => console.warn(line),
}).then(async (tev) => {
  started = true;
  window.tev = tev;
  const pictures = tev.ccall('tevReadPack', 'number', [], []);
  document.getElementById('pack-pictures').value = pictures < 0 ? 'no pack' : String(pictures);
  if (pictures < 0) console.warn('tev: DATA.PAK cannot be read: the pictures stay empty');
  if (params.get('capture') === 'audio') {
    await captureAudio(tev);
    window.tevCaptureDone = true;
  } else if (params.has('capture')) {
    await captureFrames(tev);
    window.tevCaptureDone = true;
  } else {
    offerMusic(tev);
  }
}).catch((error) => {
  console.error(`tev: ${error.message || error}`);
  say(`The page could not start: ${error.message || error}`);
});
