// Benchmark of the browser view: what one click costs, at several numbers of
// operator positions. For each count it starts `vrel-host --serve
// --instances N`, opens the view in the system Chromium (headless), and
// clicks the selector's brightness buttons ("Low" and "Medium", in turn) with
// real mouse events. For each press it takes:
//
//   frame    from the pointer-down to the first frame drawn after the
//            button's look changed (a task after that frame's
//            requestAnimationFrame, so the frame's style, layout and paint
//            are in it)
//   server   from the press request's arrival to its events leaving the
//            server (the Server-Timing the press reply carries), or, from a
//            server that does not say, from the request leaving the page to
//            the event stream's first event after it reaching the page
//   bytes    what an event stream that follows position 1, as the page's
//            does (a plain HTTP client beside the page), received over all
//            presses, divided by the presses
//
//   node view.bench.mjs --host build/vrel-host [--positions 1,8,32] [--presses 60] [--runs 3]
//
// It prints one line per count and run, and a summary with the ratio of the
// largest count's p90 to the smallest's. It times; it asserts only that every
// press was drawn. Chromium is /usr/bin/chromium unless CHROMIUM names another.
import http from 'node:http';
import { chromium } from 'playwright-core';
import { startServing } from './serve_view.mjs';

const option = (name, fallback) => {
  const i = process.argv.indexOf(name);
  if (i >= 0 && i + 1 < process.argv.length) return process.argv[i + 1];
  if (fallback === undefined) throw new Error('usage: view.bench.mjs --host VREL_HOST [--positions 1,8,32] [--presses N] [--runs N]');
  return fallback;
};
const host = option('--host');
const counts = option('--positions', '1,8,32').split(',').map(Number);
const presses = Number(option('--presses', '60'));
const runs = Number(option('--runs', '3'));
const warmUp = 6;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const quantile = (values, q) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
};
const ms = (v) => (v === undefined || Number.isNaN(v) ? '-' : v.toFixed(1));

// An event stream read by a plain client: counts the bytes it receives.
function countingStream(url) {
  const counter = { bytes: 0, request: null };
  counter.request = http.get(url + 'api/events?position=1', (response) => {
    response.on('data', (chunk) => { counter.bytes += chunk.length; });
  });
  counter.request.on('error', () => {});
  return counter;
}

// Installed before the page's own script: the time of each event the page's
// stream delivers, and the measuring of one press.
function instrument() {
  window.__bench = { lastEvent: 0 };
  const Original = window.EventSource;
  window.EventSource = class extends Original {
    constructor(...args) {
      super(...args);
      for (const name of ['state', 'change', 'log'])
        this.addEventListener(name, () => { window.__bench.lastEvent = performance.now(); });
    }
  };
  // Watches for one press of the control at `selector`, which is to show
  // `look`; window.__bench.press then resolves with its times.
  window.__bench.arm = (selector, look) => { window.__bench.press = new Promise((resolve) => {
    let down = null;
    let watch = null;
    const onDown = (e) => {
      if (!e.target.closest(selector)) return;
      down = e.timeStamp;
      document.removeEventListener('pointerdown', onDown, true);
      const eventsBefore = window.__bench.lastEvent;
      watch = new MutationObserver(() => {
        if (!document.querySelector(selector)?.classList.contains('look-' + look)) return;
        watch.disconnect();
        const seen = performance.now();
        const firstEvent = window.__bench.lastEvent > eventsBefore ? window.__bench.lastEvent : NaN;
        requestAnimationFrame(() => setTimeout(() => resolve({ frame: performance.now() - down, seen, firstEvent })));
      });
      watch.observe(document.getElementById('panels'), { subtree: true, childList: true, attributes: true });
    };
    document.addEventListener('pointerdown', onDown, true);
    setTimeout(() => { if (watch) watch.disconnect(); resolve({ frame: Infinity }); }, 5000);
  }); };
}

async function measure(browser, positions) {
  const { child, ended, url } = await startServing(host, ['--instances', String(positions)], { quiet: true });
  const stream = countingStream(url);
  const page = await browser.newPage({ viewport: { width: 1720, height: 1000 } });
  await page.addInitScript(instrument);
  try {
    await page.goto(url);
    await page.waitForSelector('[data-panel="1"].on-screen [data-control="UMDBright_1"]');
    const selectorOf = (name) => `#panels [data-panel="1"] [data-control="${name}"]`;
    const frames = [], servers = [], estimates = [];
    let bytesAtStart = 0;
    for (let i = 0; i < warmUp + presses; ++i) {
      if (i === warmUp) { await sleep(300); bytesAtStart = stream.bytes; }
      const name = i % 2 === 0 ? 'UMDBright_1' : 'UMDBright_2';
      const box = await page.locator(selectorOf(name)).boundingBox();
      await page.evaluate(([s, look]) => window.__bench.arm(s, look), [selectorOf(name), 'KRSourceSelected']);
      const replied = page.waitForResponse((r) => r.url().endsWith('/api/press'));
      await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
      const [t, reply] = await Promise.all([page.evaluate(() => window.__bench.press), replied]);
      if (t.frame === Infinity) throw new Error(`press ${i} at ${positions} positions was not drawn within 5 s`);
      const timing = /dur=([\d.]+)/.exec((await reply.allHeaders())['server-timing'] || '');
      const sent = await page.evaluate(() => {
        const entries = performance.getEntriesByType('resource').filter((e) => e.name.endsWith('/api/press'));
        const last = entries[entries.length - 1];
        performance.clearResourceTimings();
        return last ? last.requestStart || last.fetchStart : NaN;
      });
      if (i < warmUp) continue;
      frames.push(t.frame);
      if (timing) servers.push(Number(timing[1]));
      estimates.push(t.firstEvent - sent);
      await sleep(20 + Math.random() * 30);  // not in step with the frames
    }
    await sleep(300);
    const bytes = (stream.bytes - bytesAtStart) / presses;
    return {
      positions, median: quantile(frames, 0.5), p90: quantile(frames, 0.9), bytes,
      server: servers.length ? quantile(servers, 0.5) : NaN,
      estimate: quantile(estimates.filter((e) => !Number.isNaN(e)), 0.5),
    };
  } finally {
    stream.request.destroy();
    await page.close();
    child.kill('SIGTERM');
    await ended;
  }
}

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--no-proxy-server'],
});
const results = [];
try {
  console.log(`${presses} presses a count, ${runs} run(s); times in ms`);
  console.log('run positions   median   p90  bytes/press  server(median)  event-after-request(median)');
  for (let run = 1; run <= runs; ++run) {
    for (const n of counts) {
      const r = await measure(browser, n);
      results.push({ run, ...r });
      console.log(`${String(run).padStart(3)} ${String(n).padStart(9)} ${ms(r.median).padStart(8)} ${ms(r.p90).padStart(5)}` +
        ` ${String(Math.round(r.bytes)).padStart(12)} ${ms(r.server).padStart(15)} ${ms(r.estimate).padStart(28)}`);
    }
    const first = results.find((r) => r.run === run && r.positions === counts[0]);
    const last = results.find((r) => r.run === run && r.positions === counts[counts.length - 1]);
    console.log(`    p90 ratio ${counts[counts.length - 1]}:${counts[0]} positions = ${(last.p90 / first.p90).toFixed(2)}`);
  }
} finally {
  await browser.close();
}
