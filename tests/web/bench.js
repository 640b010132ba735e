// Figures of the browser build, printed, one column per bundle (to set a
// new build beside an old one, measured in the same run):
// - what a first visit downloads from a plain static server (no compression,
//   no Cache-Control), per file: the bytes sent and how many times it was
//   asked for, until the service worker is active and the network quiet;
// - the time from opening the page to the first intro frame, on this
//   machine's loopback and at 1.6 Mbit/s with 150 ms latency (DevTools'
//   network throttling, which holds for the page's requests but not for a
//   service worker's: the throttled visit runs without one);
// - what a play frame costs the page (the time the program runs between two
//   vertical blanks, measured in the page), over at least FRAMES play frames;
// - the processor use of all of Chromium's processes (headless, no GPU) on
//   the play scene, on the static start picture (once it has stood for two
//   seconds: the game rests after one), on a blank page, and on a page that
//   changes a 64 x 64 part of a 640 x 480 canvas at every animation frame (what
//   showing 60 frames a second costs the browser, however little they change),
//   and the play scene's use as a ratio to that page's, the browser's floor.
//   The play scene is measured over the first 1.5 s of each game from the
//   second on; the first game's, which also pays for V8 optimising the game's
//   code as it gets hot, is printed apart. The floor is measured before the
//   bundles and after them, and their mean taken;
// - Lighthouse's scores on its desktop and mobile presets, the bundle served
//   by the plain static server, with the total blocking time and layout shift:
//   the median of VEXAR_LIGHTHOUSE_RUNS runs (default 5, as Lighthouse
//   advises; 0 leaves Lighthouse out), and every run's performance score.
// Usage: node bench.js BUILD_WEB_DIR [FRAMES [OTHER_BUILD_WEB_DIR...]]   (default 600)
"use strict";
const path = require("path");
const { serve } = require("./serve");
const { launch, givePictures, expectCanvas } = require("./lib/browser");
const { treeTicks, secondsUsed } = require("./lib/processes");
const { audit } = require("./lib/lighthouse");

const builds = [process.argv[2] || path.join(__dirname, "../../build-web"), ...process.argv.slice(4)]
  .map((dir) => path.resolve(dir));
const wanted = Number(process.argv[3] || 600);
const cpuSeconds = 6;  // of each scene, for the processor figures
const lighthouseRuns = Number(process.env.VEXAR_LIGHTHOUSE_RUNS || 5);
const slow = { offline: false, latency: 150, downloadThroughput: 200000, uploadThroughput: 200000 };

const playField = ["px:100,470=c8c8c8"];
const stats = ["px:320,470=b4b4b4", "px:5,240=b4b4b4", "has:70,200,300,80=ff0000"];
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

function quantile(sorted, q) {
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

// Milliseconds from opening the page to the intro's first frame, and the
// requests of the visit: unthrottled, until the service worker is active and
// no request has come for a second.
async function firstIntro(build, server, network) {
  const browser = await launch({ serviceWorkers: network ? "block" : "allow" });
  try {
    if (network) {
      const session = await browser.context.newCDPSession(browser.page);
      await session.send("Network.enable");
      await session.send("Network.emulateNetworkConditions", network);
    }
    const from = server.sent.length;
    await givePictures(browser.page, build);
    await browser.page.goto(server.url);
    await expectCanvas(browser.page, 120, "the intro picture", ["bmp:intro"]);
    const ms = await browser.page.evaluate(() => performance.now());
    if (!network) {
      await browser.page.evaluate(() => navigator.serviceWorker.ready);
      await server.quiet(1000);
    }
    return { ms, sent: server.sent.slice(from) };
  } finally {
    await browser.close();
  }
}

// Percent of one core that the browser's processes use over `seconds`,
// the page left alone meanwhile (no checks on its canvas).
async function browserUse(seconds) {
  const before = treeTicks(process.pid);
  const start = Date.now();
  await sleep(seconds * 1000);
  const used = secondsUsed(before, treeTicks(process.pid));
  return { percent: (100 * used.seconds) / ((Date.now() - start) / 1000), processes: used.processes };
}

// Plays games (Enter, nobody at the controls, until the statistics screen):
// the costs of the frames of each game's first 1.5 s, all of them the play
// field's, and the browser's processor use over that time, the first game's
// apart.
async function play(build, server) {
  const browser = await launch();
  const { page } = browser;
  const costs = [];
  let used = 0, measured = 0, processes = 0, first = null;
  const frames = () => page.evaluate(() => window.vexar.frameCosts.length);
  try {
    await givePictures(page, build);
    await page.goto(server.url);
    await expectCanvas(page, 60, "the start picture", ["bmp:start"]);
    await sleep(2000);
    const still = await browserUse(cpuSeconds);
    while (costs.length < wanted || measured < cpuSeconds) {
      await page.keyboard.press("Enter");
      await expectCanvas(page, 10, "the play field", playField);
      const from = await frames();
      const slice = await browserUse(1.5);
      const to = await frames();
      // Still the play field: the statistics screen has no black left.
      await expectCanvas(page, 1, "the play field still", ["has:0,100,640,300=000000"]);
      costs.push(...(await page.evaluate(([a, b]) => window.vexar.frameCosts.slice(a, b), [from, to])));
      if (first === null) {
        first = slice.percent;
      } else if (measured < cpuSeconds) {
        used += slice.percent;
        processes = slice.processes;
        measured += 1.5;
      }
      await expectCanvas(page, 120, "the statistics screen", stats);
      await page.keyboard.press("Enter");
      await expectCanvas(page, 60, "back to the start picture", ["bmp:start"]);
    }
    return { costs: costs.sort((a, b) => a - b), play: used / (measured / 1.5), first, still: still.percent,
      processes };
  } finally {
    await browser.close();
  }
}

// A blank page, and one whose canvas changes a little at every animation frame.
async function otherPages() {
  const browser = await launch();
  try {
    await browser.page.goto("about:blank");
    await sleep(1000);
    const blank = (await browserUse(cpuSeconds / 2)).percent;
    await browser.page.evaluate(() => {
      const canvas = document.body.appendChild(document.createElement("canvas"));
      canvas.width = 640;
      canvas.height = 480;
      const context = canvas.getContext("2d", { alpha: false });
      const part = new ImageData(64, 64);
      (function frame(time) {
        part.data.fill(Math.floor(time) & 255);
        context.putImageData(part, (Math.floor(time) * 7) % 576, (Math.floor(time) * 3) % 416);
        requestAnimationFrame(frame);
      })(0);
    });
    await sleep(1000);
    return { blank, canvas: (await browserUse(cpuSeconds / 2)).percent };
  } finally {
    await browser.close();
  }
}

async function measure(build) {
  const server = await serve(build), plain = await serve(build, { plain: true });
  try {
    const quick = await firstIntro(build, plain, null);
    const throttled = await firstIntro(build, server, slow);
    // Per file: the bytes of every request for it, and how many there were.
    const sizes = new Map();
    for (const { name, bytes } of quick.sent) {
      const file = sizes.get(name || "/") || { bytes: 0, times: 0 };
      sizes.set(name || "/", { bytes: file.bytes + bytes, times: file.times + 1 });
    }
    const lighthouse = {};
    for (const preset of lighthouseRuns > 0 ? ["desktop", "mobile"] : [])
      lighthouse[preset] = await audit(plain.url, preset, lighthouseRuns);
    return { sizes, quick: quick.ms, throttled: throttled.ms, lighthouse, ...(await play(build, server)) };
  } finally {
    await server.close();
    await plain.close();
  }
}

function table(rows, columns) {
  const width = Math.max(...rows.map(([label]) => label.length));
  console.log(`${"".padEnd(width)}  ${columns.map((c) => c.padStart(16)).join("")}`);
  for (const [label, ...cells] of rows) console.log(`${label.padEnd(width)}  ${cells.map((c) => String(c).padStart(16)).join("")}`);
}

(async () => {
  const before = await otherPages();
  const results = [];
  for (const build of builds) results.push(await measure(build));
  const after = await otherPages();
  const others = { blank: (before.blank + after.blank) / 2, canvas: (before.canvas + after.canvas) / 2 };
  const names = [...new Set(results.flatMap((r) => [...r.sizes.keys()]))];
  const per = (f) => results.map(f);
  const ms = (n) => `${Math.round(n)} ms`;
  const rows = [
    ...names.map((n) => [`first visit: ${n} (bytes, requests)`, ...per((r) => {
      const file = r.sizes.get(n);
      return file ? `${file.bytes} x${file.times}` : "-";
    })]),
    ["first visit: all requests (bytes, requests)", ...per((r) => {
      const all = [...r.sizes.values()];
      return `${all.reduce((a, f) => a + f.bytes, 0)} x${all.reduce((a, f) => a + f.times, 0)}`;
    })],
    ["to the first intro frame, loopback", ...per((r) => ms(r.quick))],
    ["to the first intro frame, 1.6 Mbit/s 150 ms, no service worker", ...per((r) => ms(r.throttled))],
    ["play frame (ms): median", ...per((r) => quantile(r.costs, 0.5).toFixed(3))],
    ["play frame (ms): 90th percentile", ...per((r) => quantile(r.costs, 0.9).toFixed(3))],
    ["play frame (ms): max", ...per((r) => r.costs[r.costs.length - 1].toFixed(3))],
    ["play frames measured", ...per((r) => r.costs.length)],
    [`Chromium, all ${results[0].processes} processes: play scene (% of one core)`, ...per((r) => r.play.toFixed(1))],
    ["Chromium, all processes: play scene, first game (% of one core)", ...per((r) => r.first.toFixed(1))],
    ["Chromium, all processes: start picture (% of one core)", ...per((r) => r.still.toFixed(1))],
    ["play scene / canvas changed every frame (the floor)", ...per((r) => `${(r.play / others.canvas).toFixed(2)}x`)],
    ...Object.keys(results[0].lighthouse).flatMap((preset) => [
      [`Lighthouse ${preset}, median of ${lighthouseRuns}: performance, accessibility, best practices, SEO`,
        ...per((r) => Object.values(r.lighthouse[preset].scores).join(" "))],
      [`Lighthouse ${preset}, median: total blocking time, longest task, layout shift`, ...per((r) => {
        const m = r.lighthouse[preset].metrics;
        return `${Math.round(m.tbt)} ${Math.round(m.longest)} ${m.cls.toFixed(3)}`;
      })],
      [`Lighthouse ${preset}: performance of each run`, ...per((r) => r.lighthouse[preset].performances.join(" "))],
    ]),
  ];
  table(rows, builds.map((b) => path.relative(process.cwd(), b) || b));
  console.log(`Chromium, all processes, on a blank page: ${others.blank.toFixed(1)} % of one core`);
  console.log(`Chromium, all processes, on a canvas changed at every frame: ${others.canvas.toFixed(1)} % of one core ` +
    `(${before.canvas.toFixed(1)} before the bundles, ${after.canvas.toFixed(1)} after)`);
})().catch((error) => {
  console.log(`bench: ${error.message}`);
  process.exit(1);
});
