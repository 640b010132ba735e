// Debian's Chromium, headless, driven by playwright-core: a fresh profile per
// launch, and waits on the canvas's pixels (lib/probe.js), never on the clock.
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const { chromium } = require("playwright-core");

const chromiumFlags = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
  "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync"];

// A browser with one page, at `width` x `height` CSS pixels, or as the
// `device` (one of playwright-core's descriptors, touch and all) shows it;
// `serviceWorkers` "block" keeps the page's service worker from starting.
async function launch({ width = 640, height = 480, withoutWebAssembly = false, device,
  serviceWorkers = "allow" } = {}) {
  const emulation = { ...device };
  delete emulation.defaultBrowserType;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "vexar-chromium-"));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.VEXAR_CHROMIUM || "/usr/bin/chromium",
    headless: true,
    args: chromiumFlags,
    viewport: { width, height },
    ...emulation,
    serviceWorkers,
  });
  const page = context.pages()[0] || (await context.newPage());
  const log = [];
  page.on("console", (m) => log.push(`console.${m.type()}: ${m.text()}`));
  page.on("pageerror", (e) => log.push(`page error: ${e.message}`));
  await page.addInitScript({ path: path.join(__dirname, "probe.js") });
  if (withoutWebAssembly) await page.addInitScript(() => { delete window.WebAssembly; });
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { page, log, close, context };
}

// A 24-bit uncompressed BMP file as {width, height, base64 of RGB rows top-down}.
function readBmp(file) {
  const d = fs.readFileSync(file);
  if (d.length < 54 || d.toString("latin1", 0, 2) !== "BM" || d.readUInt16LE(28) !== 24)
    throw new Error(`${file} is not a 24-bit BMP`);
  const width = d.readInt32LE(18), rawHeight = d.readInt32LE(22), offset = d.readUInt32LE(10);
  const height = Math.abs(rawHeight), pitch = Math.ceil((width * 3) / 4) * 4;
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    const from = offset + (rawHeight > 0 ? height - 1 - y : y) * pitch;
    for (let x = 0; x < width; ++x) {
      const s = from + x * 3, t = (y * width + x) * 3;
      rgb[t] = d[s + 2];
      rgb[t + 1] = d[s + 1];
      rgb[t + 2] = d[s];
    }
  }
  return { width, height, base64: rgb.toString("base64") };
}

async function givePicture(page, name, file) {
  const bmp = readBmp(file);
  await page.evaluate(([n, w, h, b]) => window.vexarProbe.setPicture(n, w, h, b),
    [name, bmp.width, bmp.height, bmp.base64]);
}

// The game's three pictures from `dir`, in every page opened from now on, from
// its start: a page that loads fast shows the intro before a test could hand
// them over once it has opened.
async function givePictures(page, dir) {
  for (const name of ["intro", "start", "cd"]) {
    const bmp = readBmp(path.join(dir, `${name}.bmp`));
    await page.addInitScript(([n, w, h, b]) => window.vexarProbe.setPicture(n, w, h, b),
      [name, bmp.width, bmp.height, bmp.base64]);
  }
}

// Waits until every condition holds on the canvas, checking at each browser
// frame; throws with the unmet ones after `seconds`.
async function expectCanvas(page, seconds, what, conditions, { save } = {}) {
  try {
    await page.waitForFunction((c) => window.vexarProbe.unmet(c).length === 0, conditions,
      { polling: "raf", timeout: seconds * 1000 });
  } catch (error) {
    const unmet = await page.evaluate((c) => window.vexarProbe.unmet(c), conditions).catch(() => []);
    if (save) await saveCanvas(page, save.replace(/\.png$/, "-failed.png")).catch(() => {});
    throw new Error(`${what}: not met after ${seconds} s: ${unmet.join(" ")}`);
  }
  if (save) await saveCanvas(page, save);
}

// Writes the canvas as the game drew it (not scaled) to a PNG file.
async function saveCanvas(page, file) {
  const url = await page.evaluate(() => document.getElementById("game").toDataURL("image/png"));
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, Buffer.from(url.split(",")[1], "base64"));
}

// Waits until the game has presented `count` more frames.
async function waitFrames(page, count, seconds = 10) {
  const start = await page.evaluate(() => window.vexarProbe.frames());
  await page.waitForFunction(([s, n]) => window.vexarProbe.frames() >= s + n, [start, count],
    { polling: "raf", timeout: seconds * 1000 });
}

// Ways for the page to lose the foreground and get it back: the window's
// focus, and the page being hidden (another tab) and shown again.
const switches = {
  "the focus": {
    away: () => window.dispatchEvent(new Event("blur")),
    back: () => window.dispatchEvent(new Event("focus")),
  },
  "the page's visibility": {
    away: () => {
      Object.defineProperty(document, "hidden", { value: true, configurable: true });
      document.dispatchEvent(new Event("visibilitychange"));
    },
    back: () => {
      delete document.hidden;
      document.dispatchEvent(new Event("visibilitychange"));
    },
  },
};

module.exports = { launch, readBmp, givePicture, givePictures, expectCanvas, saveCanvas, waitFrames, switches };
