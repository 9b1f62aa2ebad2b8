#include "page/page_template.h"

namespace vortan::page {

const char* const kPageStyle = R"CSS(
html, body { margin: 0; height: 100%; background: #000; color: #ccc; font: 14px sans-serif; }
body { display: flex; flex-direction: column; }
#bar { display: flex; flex-wrap: wrap; gap: 0.5em; align-items: center; padding: 0.4em 0.6em;
       background: #1c1c1c; }
#bar button { min-width: 4.5em; }
#tick { font-variant-numeric: tabular-nums; min-width: 9em; }
#info { color: #999; }
#stage { flex: 1; min-height: 0; display: flex; }
#view { flex: 1; min-width: 0; min-height: 0; object-fit: contain;
        image-rendering: pixelated; image-rendering: crisp-edges; }
)CSS";

// Frame k shows the palette after k ticks. Row k of the palette picture holds
// the 256 entries after k ticks and, in column 256, the colour of cleared
// pixels, for k = 0 .. period; a tick beyond the period shows row
// (k - 1) mod period + 1, since tick 0 may hold colours the animation never
// returns to. Index picture: gray = palette index, alpha 0 = cleared.
const char* const kPageScript = R"JS(
(function () {
  'use strict';
  const root = document.getElementById('vortan');
  const width = Number(root.dataset.width), height = Number(root.dataset.height);
  const period = Number(root.dataset.period);
  const interval = Number(root.dataset.interval);  // ms a tick at speed 1
  const speeds = [0.125, 0.25, 0.5, 1, 2, 4, 8];
  const view = document.getElementById('view');
  const context = view.getContext('2d');
  const playButton = document.getElementById('play');
  const speedBox = document.getElementById('speed');
  const tickText = document.getElementById('tick');
  let index = null;     // Uint16Array: palette index of each pixel, 256 for cleared
  let palettes = null;  // Uint32Array: (period + 1) rows of 257 RGBA colours
  let frame = null, frame32 = null;
  let tick = 0, playing = false, speedAt = 3, last = null, owed = 0, pending = false;

  function pixelsOf(img) {
    const c = document.createElement('canvas');
    c.width = img.naturalWidth;
    c.height = img.naturalHeight;
    const g = c.getContext('2d', { willReadFrequently: true });
    g.imageSmoothingEnabled = false;
    g.drawImage(img, 0, 0);
    return g.getImageData(0, 0, c.width, c.height).data;
  }

  function wrap(k) {
    if (k < 0) return period;
    return k <= period ? k : (k - 1) % period + 1;
  }

  // One look-up pass: every pixel takes its colour from the tick's row.
  function draw() {
    const row = palettes.subarray(tick * 257, tick * 257 + 257);
    for (let p = 0; p < index.length; ++p) frame32[p] = row[index[p]];
    context.putImageData(frame, 0, 0);
    tickText.textContent = 'tick ' + tick + ' of ' + period;
  }

  function show(k) { tick = wrap(k); draw(); }

  function animate(now) {
    pending = false;
    if (!playing) return;
    if (last !== null) {
      owed += (now - last) * speeds[speedAt];
      const ticks = Math.floor(owed / interval);
      if (ticks > 0) {
        owed -= ticks * interval;
        show(tick + ticks);
      }
    }
    last = now;
    pending = true;
    requestAnimationFrame(animate);
  }

  function setPlaying(on) {
    playing = on;
    playButton.textContent = on ? 'Pause' : 'Play';
    last = null;
    owed = 0;
    if (on && !pending) {
      pending = true;
      requestAnimationFrame(animate);
    }
  }

  function step(by) { setPlaying(false); show(tick + by); }

  function setSpeed(at) {
    speedAt = Math.max(0, Math.min(speeds.length - 1, at));
    speedBox.selectedIndex = speedAt;
  }

  function onKey(e) {
    if (e.target === speedBox || e.ctrlKey || e.altKey || e.metaKey) return;
    switch (e.key) {
      case ' ': setPlaying(!playing); break;
      case 'ArrowRight': step(1); break;
      case 'ArrowLeft': step(-1); break;
      case 'ArrowUp': setSpeed(speedAt + 1); break;
      case 'ArrowDown': setSpeed(speedAt - 1); break;
      default: return;
    }
    e.preventDefault();
  }

  // Test hook: #test=ACTIONS runs comma-separated actions at load, paused:
  // key names (right, left, up, down, space) with an optional *count, button
  // ids (play, back, forward), and snap, which appends the tick, the state
  // and the canvas's RGBA bytes (base64) as a line to #test-out.
  function snapshot() {
    const data = context.getImageData(0, 0, width, height).data;
    let text = '';
    for (let at = 0; at < data.length; at += 0x8000) {
      text += String.fromCharCode.apply(null, data.subarray(at, at + 0x8000));
    }
    return 'tick=' + tick + ' playing=' + (playing ? 1 : 0) + ' speed=' + speeds[speedAt] +
           ' rgba=' + btoa(text);
  }

  function runTest(actions) {
    const out = document.getElementById('test-out');
    const keys = { right: 'ArrowRight', left: 'ArrowLeft', up: 'ArrowUp', down: 'ArrowDown',
                   space: ' ' };
    for (const action of actions.split(',')) {
      const [name, count] = action.split('*');
      for (let i = 0; i < (count ? Number(count) : 1); ++i) {
        if (name === 'snap') {
          out.textContent += snapshot() + '\n';
        } else if (name in keys) {
          document.dispatchEvent(new KeyboardEvent('keydown', { key: keys[name], bubbles: true }));
        } else if (['play', 'back', 'forward'].includes(name)) {
          document.getElementById(name).click();
        } else {
          out.textContent += 'unknown action ' + name + '\n';
        }
      }
    }
    out.dataset.done = 'yes';
  }

  function start() {
    const indexData = pixelsOf(document.getElementById('indices'));
    const paletteData = pixelsOf(document.getElementById('palettes'));
    if (indexData.length !== width * height * 4 || paletteData.length !== (period + 1) * 257 * 4) {
      tickText.textContent = 'The embedded pictures could not be read.';
      return;
    }
    index = new Uint16Array(width * height);
    for (let p = 0; p < index.length; ++p) {
      index[p] = indexData[4 * p + 3] < 128 ? 256 : indexData[4 * p];
    }
    palettes = new Uint32Array(paletteData.buffer.slice(0));
    frame = context.createImageData(width, height);
    frame32 = new Uint32Array(frame.data.buffer);
    playButton.addEventListener('click', () => { setPlaying(!playing); playButton.blur(); });
    document.getElementById('back').addEventListener('click', (e) => { step(-1); e.target.blur(); });
    document.getElementById('forward').addEventListener('click', (e) => { step(1); e.target.blur(); });
    speedBox.addEventListener('change', () => { setSpeed(speedBox.selectedIndex); speedBox.blur(); });
    document.addEventListener('keydown', onKey);
    setSpeed(speedAt);
    show(0);
    const test = /^#test=(.*)$/.exec(location.hash);
    if (test) {
      setPlaying(false);
      runTest(decodeURIComponent(test[1]));
    } else {
      setPlaying(true);
    }
  }

  if (document.readyState === 'complete') start(); else window.addEventListener('load', start);
})();
)JS";

}  // namespace vortan::page
