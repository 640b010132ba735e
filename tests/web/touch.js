// The page on touch phones (portrait and landscape): controls shown where the
// layout puts them, a tap on the picture starts, a swipe never navigates; on a
// desktop without touch no control is shown.
"use strict";
const path = require("path");
const { chromium } = require("playwright-core");
const { serve } = require("./serve");
const { givePictures, expectCanvas } = require("./lib/browser");

const build = path.resolve(process.argv[2] || "build-web");
let passed = 0, failed = 0;
const ok = (what) => { passed++; console.log(`ok: ${what}`); };

async function phone(browser, url, width, height, touch) {
  const context = await browser.newContext({ viewport: { width, height }, hasTouch: touch, isMobile: touch });
  const page = await context.newPage();
  await page.addInitScript({ path: path.join(__dirname, "lib", "probe.js") });
  await givePictures(page, build);
  await page.goto(url);
  const where = `${width}x${height}`;
  const boxes = await page.evaluate(() => ["Left", "Right", "Fire", "Start"].map((n) => {
    const r = document.querySelector(`button[aria-label=${n}]`).getBoundingClientRect();
    return { n, x: r.x, w: r.width, h: r.height };
  }));
  if (!touch) {
    if (boxes.some((b) => b.w > 0)) throw new Error(`${where}: touch controls shown on a desktop`);
    ok(`${where} without touch: no touch control shown`);
  } else {
    await page.waitForFunction(() => document.documentElement.classList.contains("touch"));
    const small = boxes.filter((b) => b.w < 48 || b.h < 48);
    if (small.length) throw new Error(`${where}: ${small.map((b) => b.n)} under 48x48`);
    const canvas = await page.evaluate(() => document.getElementById("game").getBoundingClientRect().toJSON());
    if (width > height && boxes.some((b) => b.x < canvas.x + canvas.width && b.x + b.w > canvas.x))
      throw new Error(`${where}: a control covers the picture`);
    ok(`${where}: Left, Right, Fire, Start shown, 48x48 or more, beside the picture in landscape`);
    await expectCanvas(page, 60, "the intro picture", ["bmp:intro"]);
    await page.tap("#game");
    await expectCanvas(page, 10, "a tap goes to the start picture", ["bmp:start"]);
    const before = page.url();
    await page.touchscreen.tap(width / 2, height / 2);
    await page.mouse.move(50, height / 2);
    ok(`${where}: a tap on the picture is Enter`);
    if (page.url() !== before) throw new Error(`${where}: the page navigated`);
  }
  await context.close();
}

(async () => {
  const server = await serve(build);
  const browser = await chromium.launch({ executablePath: process.env.VEXAR_CHROMIUM || "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu"] });
  for (const [w, h, touch] of [[412, 839, true], [839, 412, true], [960, 600, false]]) {
    try { await phone(browser, server.url, w, h, touch); } catch (e) { failed++; console.log(`FAIL: ${e.message}`); }
  }
  await browser.close();
  await server.close();
  console.log(`touch scenario: ${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})();
