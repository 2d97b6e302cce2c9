// The page's script: loads the program (tev.js, tev.wasm and tev.data, the
// data files for its in-memory file system) and does what the address asks:
//   index.html                  the music, played from a click
//   index.html?capture=audio    renders the music of the show's span (0 to
//                               130 s) as tev-capture --audio does and puts
//                               the SHA-256 of its samples in #audio-sha256
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
  } else {
    offerMusic(tev);
  }
}).catch((error) => {
  console.error(`tev: ${error.message || error}`);
  say(`The page could not start: ${error.message || error}`);
});
