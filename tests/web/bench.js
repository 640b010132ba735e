// Figures of the browser build, printed: what the page downloads, the time
// from opening the page to the first intro frame, and what a play frame costs
// the page (the time the program runs between two vertical blanks, measured in
// the page), median over at least FRAMES play frames of whole games.
// Usage: node bench.js BUILD_WEB_DIR [FRAMES]   (default 600)
"use strict";
const fs = require("fs");
const path = require("path");
const { serve } = require("./serve");
const { launch, givePicture, expectCanvas } = require("./lib/browser");

const build = path.resolve(process.argv[2] || path.join(__dirname, "../../build-web"));
const wanted = Number(process.argv[3] || 600);

function quantile(sorted, q) {
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

async function firstIntro(server) {
  const browser = await launch();
  try {
    await browser.page.goto(server.url);
    await givePicture(browser.page, "intro", path.join(build, "intro.bmp"));
    await expectCanvas(browser.page, 60, "the intro picture", ["bmp:intro"]);
    return await browser.page.evaluate(() => performance.now());
  } finally {
    await browser.close();
  }
}

// Plays games (Enter, nobody at the controls, until the statistics screen)
// and keeps the costs of the frames in between.
async function playFrames(server) {
  const browser = await launch();
  const { page } = browser;
  const costs = [];
  try {
    await page.goto(server.url);
    await givePicture(page, "start", path.join(build, "start.bmp"));
    await expectCanvas(page, 60, "the start picture", ["bmp:start"]);
    const stats = ["px:320,470=b4b4b4", "px:5,240=b4b4b4", "has:70,200,300,80=ff0000"];
    while (costs.length < wanted) {
      await page.keyboard.press("Enter");
      await expectCanvas(page, 10, "the play field", ["px:100,470=c8c8c8"]);
      const from = await page.evaluate(() => window.vexar.frameCosts.length);
      await expectCanvas(page, 120, "the statistics screen", stats);
      // The last few frames before the check are the statistics screen's.
      const to = (await page.evaluate(() => window.vexar.frameCosts.length)) - 5;
      costs.push(...(await page.evaluate(([a, b]) => window.vexar.frameCosts.slice(a, b), [from, to])));
      await page.keyboard.press("Enter");
      await expectCanvas(page, 60, "back to the start picture", ["bmp:start"]);
    }
  } finally {
    await browser.close();
  }
  return costs;
}

(async () => {
  const server = await serve(build);
  const opened = await firstIntro(server);
  const sizes = [...new Set(server.requests)].map((name) => {
    const file = path.join(build, name || "index.html");
    return [name || "index.html", fs.existsSync(file) ? fs.statSync(file).size : 0];
  });
  console.log("what the page downloads:");
  for (const [name, size] of sizes) console.log(`  ${name.padEnd(12)} ${String(size).padStart(9)} bytes`);
  console.log(`  ${"total".padEnd(12)} ${String(sizes.reduce((a, [, s]) => a + s, 0)).padStart(9)} bytes`);
  console.log(`opening the page to the first intro frame: ${Math.round(opened)} ms`);
  const costs = (await playFrames(server)).sort((a, b) => a - b);
  console.log(`play frame, time the program runs (ms), ${costs.length} frames: median ` +
    `${quantile(costs, 0.5).toFixed(3)}, 90th percentile ${quantile(costs, 0.9).toFixed(3)}, ` +
    `max ${costs[costs.length - 1].toFixed(3)}`);
  await server.close();
})().catch((error) => {
  console.log(`bench: ${error.message}`);
  process.exit(1);
});
