// The page's script: loads the program (tev.js, tev.wasm and tev.data, the
// data files for its in-memory file system) and does what the address asks:
//   index.html                  the setup form, the desktop's dialog decided
//                               by the same code; its start button plays the
//                               show in the canvas with its music (Escape,
//                               or the show's end, brings the form back; F1
//                               switches fullscreen)
//   index.html?capture=audio    renders the music of the show's span (0 to
//                               130 s, or &from=S&to=S) as tev-capture
//                               --audio does and puts the SHA-256 of its
//                               samples in #audio-sha256
//   index.html?capture=T1,T2,...&size=WxH&bits=16|32
//                               plays the show with the virtual clock at 60
//                               frames a second, without sound, as
//                               tev-capture --at does, and puts the frame
//                               drawn at each show time T as a PNG in an
//                               <img class="frame" data-t="T"> in #frames
//   index.html?bench&size=WxH&fps=N&bits=16|32
//                               times every frame of the show (#bench)
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
  document.getElementById('audio').hidden = false;
  say(`Captured ${bytes} bytes of music (44100 Hz, 16-bit stereo).`);
}

// The show times of ?capture=T1,T2,..., the picture's size of &size=WxH
// (640x480 when not given) and its depth of &bits= (32 when not given); an
// error for anything else.
function frameRequest() {
  const times = (params.get('capture') || '').split(',').map((item) => {
    const t = Number(item);
    if (item.trim() === '' || !Number.isFinite(t) || t < 0 || t > 130) {
      throw new Error(`capture: '${item}' is not a show time from 0 to 130`);
    }
    return { label: item, t };
  });
  return { times, ...sizeRequest() };
}

function sizeRequest() {
  const size = /^(\d{1,4})x(\d{1,4})$/.exec(params.get('size') || '640x480');
  if (!size || Number(size[1]) < 1 || Number(size[2]) < 1) {
    throw new Error(`size: '${params.get('size')}' is not WIDTHxHEIGHT`);
  }
  const bits = params.get('bits') || '32';
  if (bits !== '16' && bits !== '32') throw new Error(`bits: '${bits}' is not 16 or 32`);
  return { width: Number(size[1]), height: Number(size[2]), bits: Number(bits) };
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
  const { times, width, height, bits } = frameRequest();
  const types = ['number', 'number', 'number', 'number'];
  if (!tev.ccall('tevFramesStart', 'number', types, [width, height, 60, bits])) {
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
  say(`Captured ${times.length} frames at ${width}x${height}, ${bits} bits ` +
      `in ${Math.round(performance.now() - started)} ms.`);
}

// The setup form, laid out from the dialog's template in dialog units as the
// desktop lays out its dialog (the same arithmetic, from the page font's
// base units); the dialog's own procedure (in the program) decides what
// each click does.
const keyCodes = { Escape: 27, F1: 112 };

function offerShow(tev) {
  const form = document.getElementById('setup');
  const call = (name, ...args) => JSON.parse(
      tev.ccall(name, 'string', args.map(() => 'number'), args));
  const layout = JSON.parse(tev.ccall('tevDialogTemplate', 'string', [], []));
  const font = `${layout.fontPixels}px ${getComputedStyle(form).fontFamily}`;
  form.style.font = font;
  // The base units: the average width of the 52 letters, and the height.
  const measure = document.createElement('canvas').getContext('2d');
  measure.font = font;
  const letters = measure.measureText(
      'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz');
  const baseWidth = Math.floor((Math.floor(Math.floor(letters.width) / 26) + 1) / 2);
  const baseHeight = Math.ceil(letters.fontBoundingBoxAscent + letters.fontBoundingBoxDescent) ||
      Math.ceil(layout.fontPixels * 1.2);
  const px = (units, vertical) => `${tev.ccall('tevDialogPixels', 'number',
      ['number', 'number', 'number'], [units, vertical ? baseHeight : baseWidth, vertical])}px`;
  form.style.width = px(layout.width, false);
  form.style.height = px(layout.height, true);
  form.setAttribute('aria-label', layout.name);
  const inputs = new Map();  // id -> the check box or radio button
  let group = 0;
  for (const c of layout.controls) {
    if (c.groupStart) ++group;
    let element;
    if (c.kind === 'default-button' || c.kind === 'button') {
      element = document.createElement('button');
      element.type = c.kind === 'default-button' ? 'submit' : 'button';
      element.textContent = c.text;
      element.addEventListener('click', (event) => {
        event.preventDefault();
        command(c.id);
      });
    } else if (c.kind === 'check-box' || c.kind === 'radio-button') {
      element = document.createElement('label');
      const input = document.createElement('input');
      input.type = c.kind === 'check-box' ? 'checkbox' : 'radio';
      input.name = `group-${group}`;
      input.dataset.id = c.id;
      input.addEventListener('change', () => {
        if (input.type === 'radio') {
          for (const other of form.querySelectorAll(`input[name="${input.name}"]`)) {
            tev.ccall('tevDialogSetCheck', null, ['number', 'number'],
                      [Number(other.dataset.id), other === input ? 1 : 0]);
          }
        } else {
          tev.ccall('tevDialogSetCheck', null, ['number', 'number'],
                    [c.id, input.checked ? 1 : 0]);
        }
        showChecks(call('tevDialogCommand', 0).checks);
      });
      inputs.set(c.id, input);
      element.append(input, document.createTextNode(c.text));
      if (c.textOnLeft) element.className = 'left-text';
      element.style.justifyContent = { left: 'flex-start', center: 'center', right: 'flex-end' }[
          c.align];
    } else {
      element = document.createElement('div');
      element.className = c.kind === 'group-box' ? 'group-box' : 'text';
      element.textContent = c.text;
      element.style.textAlign = c.align;
    }
    if (c.edge) element.classList.add('edge');
    Object.assign(element.style, {
      left: px(c.x, false), top: px(c.y, true),
      width: px(c.width, false), height: px(c.height, true),
    });
    form.append(element);
  }

  function showChecks(checks) {
    for (const [id, input] of inputs) {
      const state = checks[id] || 0;
      input.checked = state === 1;
      input.parentElement.classList.toggle('indeterminate', state === 2);
    }
  }

  function openForm() {
    showChecks(JSON.parse(tev.ccall('tevDialogInit', 'string', [], [])));
    form.hidden = false;
    form.querySelector('button[type="submit"]').focus();
  }

  function command(id) {
    const outcome = call('tevDialogCommand', id);
    showChecks(outcome.checks);
    if (outcome.quit) {
      say('A page cannot quit: close its tab, or start the show.');
      openForm();
    } else if (outcome.ended && outcome.result === 1) {
      startShow(outcome);
    }
  }

  form.addEventListener('submit', (event) => event.preventDefault());
  form.addEventListener('keydown', (event) => {
    if (event.key === 'Escape') command(2);  // the dialog's cancel
  });

  let running = false;
  const keysReleased = [];  // key codes let go since the last frame
  function startShow(choice) {
    form.hidden = true;
    if (!tev.ccall('tevShowStart', 'number', ['number', 'number', 'number', 'number', 'number'],
                   [choice.width, choice.height, choice.bits, choice.fullscreen, 1])) {
      say('The show could not start (see the console).');
      openForm();
      return;
    }
    running = true;
    if (choice.fullscreen && !document.fullscreenElement) enterFullscreen();  // within the click
    say(`Playing the show at ${choice.width}x${choice.height}, ${choice.bits} bits` +
        `${choice.fullscreen ? ', fullscreen' : ''}: Escape ends it, F1 switches fullscreen.`);
    // The sound starts within a few seconds, or the browser holds it back.
    setTimeout(() => {
      if (running && tev.tevSound && tev.tevSound.context.state !== 'running') {
        say('The browser gives this page no sound: the show plays silent.');
      }
    }, 3500);
    const frame = () => {
      // Keys let go since the last frame reach the program after this one,
      // so that a frame sees every key pressed, however short the press
      // (the program looks at the keys once a frame).
      const released = keysReleased.splice(0);
      const going = tev.ccall('tevShowStep', 'number', [], []);
      for (const code of released) tev.ccall('tevWebKey', null, ['number', 'number'], [code, 0]);
      if (going > 0) {
        requestAnimationFrame(frame);
        return;
      }
      running = false;
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      say(going < 0 ? 'The show could not run in this browser (see the console).'
                    : 'The show has ended.');
      openForm();
    };
    requestAnimationFrame(frame);
  }

  // The program's window in the browser's fullscreen, or out of it.
  const stage = document.getElementById('stage');
  const enterFullscreen = () => stage.requestFullscreen().catch((error) => {
    console.warn(`tev: no fullscreen (${error.message}): the show plays in the page`);
  });
  tev.tevShowWindow = (fullscreen) => {
    stage.dataset.window = fullscreen ? 'fullscreen' : 'windowed';  // the program's window
    if (fullscreen && !document.fullscreenElement) {
      enterFullscreen();
    } else if (!fullscreen && document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    }
  };
  document.addEventListener('fullscreenchange', () => {
    if (!document.fullscreenElement) tev.ccall('tevWebLeftFullscreen', null, [], []);
  });
  for (const type of ['keydown', 'keyup']) {
    document.addEventListener(type, (event) => {
      if (!running || !(event.key in keyCodes)) return;
      event.preventDefault();  // F1 opens no help
      if (type === 'keyup') {
        keysReleased.push(keyCodes[event.key]);
      } else {
        // Browsers grant fullscreen only within the key's own handler: the
        // program's next window, fullscreen after F1, finds it granted.
        if (event.key === 'F1' && !event.repeat && !document.fullscreenElement) {
          enterFullscreen();
        }
        tev.ccall('tevWebKey', null, ['number', 'number'], [keyCodes[event.key], 1]);
      }
    });
  }
  openForm();
  say('Ready: the form starts the show.');
}

// ?bench&size=WxH&fps=N: every frame of the show at N frames a second of
// the virtual clock (10 when not given), each timed to the end of its
// drawing as tev-bench does; the median, 95th percentile and worst, in
// milliseconds, as JSON in #bench.
async function benchFrames(tev) {
  const { width, height, bits } = sizeRequest();
  const fps = Number(params.get('fps') || 10);
  if (!Number.isInteger(fps) || fps < 1 || fps > 240) throw new Error('fps: not 1 to 240');
  if (!tev.ccall('tevFramesStart', 'number', ['number', 'number', 'number', 'number'],
                 [width, height, fps, bits])) {
    throw new Error(`no show to time: ${tev.ccall('tevFramesError', 'string', [], [])}`);
  }
  const times = [];
  for (let ended = false; !ended;) {
    for (let i = 0; i < 20 && !ended; ++i) {
      const ms = tev.ccall('tevFramesTime', 'number', [], []);
      if (ms < 0) ended = true;
      else times.push(ms);
    }
    say(`Timing the show's frames: ${times.length}...`);
    await nextTurn();
  }
  tev.ccall('tevFramesStop', null, [], []);
  times.sort((a, b) => a - b);
  const at = (share) => times[Math.min(times.length - 1, Math.floor(share * times.length))];
  const figures = { size: `${width}x${height}`, bits, fps, frames: times.length,
                    median: at(0.5), p95: at(0.95), worst: times[times.length - 1] };
  const output = document.createElement('output');
  output.id = 'bench';
  output.value = JSON.stringify(figures);
  document.body.append(output);
  say(`Timed ${times.length} frames: median ${figures.median.toFixed(2)} ms, ` +
      `95th percentile ${figures.p95.toFixed(2)} ms.`);
}

createTev({
  print: (line) => console.log(line),
  printErr: (line) => console.warn(line),
}).then(async (tev) => {
  started = true;
  window.tev = tev;
  const pictures = tev.ccall('tevReadPack', 'number', [], []);
  document.getElementById('pack-pictures').value = pictures < 0 ? 'no pack' : String(pictures);
  if (pictures < 0) {
    console.warn('tev: DATA.PAK cannot be read: the pictures stay empty');
    document.getElementById('pictures').hidden = false;
  }
  if (params.get('capture') === 'audio') {
    await captureAudio(tev);
    window.tevCaptureDone = true;
  } else if (params.has('bench')) {
    await benchFrames(tev);
    window.tevCaptureDone = true;
  } else if (params.has('capture')) {
    await captureFrames(tev);
    window.tevCaptureDone = true;
  } else {
    offerShow(tev);
  }
}).catch((error) => {
  console.error(`tev: ${error.message || error}`);
  say(`The page could not start: ${error.message || error}`);
});
