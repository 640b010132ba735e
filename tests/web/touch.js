// The page on a touch phone, portrait and landscape, played with fingers
// (DevTools touch points, two at once): a tap starts, the buttons move and
// fire, a finger sliding off a button lets go, so does a hidden page, swipes
// move nothing, rotation keeps the game; then a 4:3 tablet's layout and a
// desktop without touch.
// Usage: node touch.js BUILD_WEB_DIR   (shots go to BUILD_WEB_DIR/shots/web)
"use strict";
const path = require("path");
const { devices } = require("playwright-core");
const { serve } = require("./serve");
const { launch, givePictures, expectCanvas, waitFrames, switches } = require("./lib/browser");
const { Fingers, centre } = require("./lib/touch");

const build = path.resolve(process.argv[2] || path.join(__dirname, "../../build-web"));
const shots = path.join(build, "shots", "web");
const names = ["Left", "Right", "Fire", "Start"];
const button = (name) => `button[aria-label=${name}]`;
const inPlay = ["cannon:*"];
const statistics = ["px:320,470=b4b4b4", "px:5,240=b4b4b4", "has:70,290,560,20=ff0000"];
let passed = 0, failed = 0;
const ok = (what) => { passed++; console.log(`ok: ${what}`); };

// The picture's and the controls' boxes, and how the controls are drawn.
function boxes(page) {
  return page.evaluate((list) => {
    const box = (el) => el.getBoundingClientRect().toJSON();
    const out = { picture: box(document.getElementById("game")), width: innerWidth, height: innerHeight };
    for (const name of list) {
      const el = document.querySelector(`button[aria-label=${name}]`);
      out[name] = { ...box(el), background: getComputedStyle(el).backgroundColor };
    }
    return out;
  }, names);
}

// Where the layout puts the controls: beside the picture in the black bands
// (landscape), under it (portrait), on its lower corners, see-through (4:3).
async function expectLayout(page, layout) {
  for (let frames = 0; ; ++frames) {
    const wrong = await misplaced(page, layout);
    if (!wrong) return;
    if (frames === 60) throw new Error(wrong);
    await page.evaluate(() => new Promise(requestAnimationFrame));
  }
}

async function misplaced(page, layout) {
  const b = await boxes(page), p = b.picture;
  const inside = (r, x0, y0, x1, y1) => r.x >= x0 - 0.5 && r.y >= y0 - 0.5 && r.x + r.width <= x1 + 0.5 &&
    r.y + r.height <= y1 + 0.5;
  const where = {
    landscape: (n, r) => n === "Left" || n === "Right" ? inside(r, 0, 0, p.x, b.height)
      : inside(r, p.x + p.width, 0, b.width, b.height),
    portrait: (n, r) => p.y === 0 && p.width === b.width && inside(r, 0, p.y + p.height, b.width, b.height),
    corners: (n, r) => /rgba\(.*, 0?\.\d+\)/.test(r.background) && (n === "Left" || n === "Right"
      ? inside(r, p.x, p.y + p.height / 2, p.x + p.width / 4, p.y + p.height)
      : inside(r, p.x + (p.width * 3) / 4, p.y + p.height / 2, p.x + p.width, p.y + p.height)),
  }[layout];
  const wrong = names.filter((n) => b[n].width < 48 || b[n].height < 48 || !where(n, b[n]));
  return wrong.length && `${layout} layout at ${b.width}x${b.height}: ${wrong} misplaced: ${JSON.stringify(b)}`;
}

async function shot(page, name) {
  await page.screenshot({ path: path.join(shots, `touch-${name}.png`), scale: "css" });
}

async function cannon(page) {
  return page.evaluate(() => window.vexarProbe.cannon());
}

const showing = (page, conditions) => page.evaluate((c) => !window.vexarProbe.unmet(c).length, conditions);

// Taps the picture until the game is in play: from the statistics screen
// back to the intro, then on the start picture.
async function toPlay(page, fingers) {
  for (let taps = 0; taps < 3; ++taps) {
    if (await showing(page, inPlay)) return;
    const onStatistics = await showing(page, statistics);
    if (!onStatistics) await expectCanvas(page, 30, "the start picture", ["bmp:start"]);
    await fingers.tap(await centre(page, "#game"));
    await expectCanvas(page, 10, "a tap on the picture goes on", onStatistics ? ["bmp:intro"] : inPlay);
  }
  throw new Error("three taps and still not in play");
}

// An idle game ends in seconds: a check the game's end cut short is made
// again in a new game, once.
async function inGame(page, fingers, what, body) {
  for (let attempt = 1; ; ++attempt) {
    await toPlay(page, fingers);
    try {
      await body();
      return ok(what);
    } catch (error) {
      await fingers.lift();
      if (attempt > 1 || !(await showing(page, statistics))) throw error;
      console.log(`   the game ended during "${what}"; once more in a new game`);
    }
  }
}

async function expectCannon(page, x, what) {
  await expectCanvas(page, 15, what, [`cannon:${x}`]);
}

// The buttons: Right and Fire with two fingers, then the finger on Right
// slides off it and the cannon stops while Fire still fires (the shots make
// the game last); Left to 0, a hidden page lets go of Right, Right to 540.
async function moveAndFire(page, fingers, orientation) {
  const at = async (name) => centre(page, button(name));
  await inGame(page, fingers, `${orientation}: Right and Fire held with two fingers move and fire at once; ` +
    "the finger sliding off Right stops the cannon, back on it moves it again, Fire goes on", async () => {
    if ((await cannon(page)) > 200) {
      await fingers.down(1, await at("Left"));
      await expectCannon(page, 0, "holding Left");
      await fingers.up(1);
    }
    const start = await cannon(page);
    await fingers.down(1, await at("Right"));
    await fingers.down(2, await at("Fire"));
    const movingAndFiring = (from) => page.waitForFunction((f) => {
      const frame = window.vexarProbe.frame(), x = window.vexarProbe.cannon(frame);
      return x >= f && x < 540 && window.vexarProbe.holds(frame, "shot:0,300,640,118");
    }, from, { polling: "raf", timeout: 15000 });
    await movingAndFiring(start + 100);
    const [x, y] = await at("Right");
    await fingers.move(1, [x, y - 120], 3);
    await waitFrames(page, 5);  // the release reaches the game
    const stopped = await cannon(page);
    await waitFrames(page, 30);
    const later = await cannon(page);
    if (later !== stopped || stopped >= 540) throw new Error(`slid off Right, the cannon went from ${stopped} to ${later}`);
    // Slid back onto Right it moves again, and Fire, held all along and past
    // its first repeat, streams shots.
    await fingers.move(1, [x, y], 3);
    await movingAndFiring(stopped + 30);
    await shot(page, `${orientation}-play`);
    await fingers.lift();
  });
  await inGame(page, fingers, `${orientation}: holding Left takes the cannon to x 0; the page hidden while ` +
    "Right is held lets go of it; shown again, holding Right takes the cannon to x 540", async () => {
    await fingers.down(1, await at("Left"));
    await expectCannon(page, 0, "holding Left");
    await fingers.up(1);
    const away = switches["the page's visibility"];
    await fingers.down(1, await at("Right"));
    await page.evaluate(away.away);
    const lit = await page.evaluate((b) => document.querySelector(b).classList.contains("pressed"), button("Right"));
    await fingers.up(1);
    await page.evaluate(away.back);
    if (lit) throw new Error("Right still lit on a hidden page");
    const from = await cannon(page);
    if (from >= 540) throw new Error("the cannon reached x 540 before the page was hidden");
    await fingers.down(1, await at("Right"));
    await expectCannon(page, 540, "Right, back on the page");
    await fingers.up(1);
  });
}

// Nothing the page does moves it, reloads it or ends the game.
async function expectSamePage(page, url, what) {
  const state = await page.evaluate(() => ({ url: location.href, same: window.vexar === window.vexarSeen,
    running: window.vexarExitCode === undefined, scroll: scrollX + scrollY, zoom: visualViewport.scale }))
    .catch((error) => ({ url: error.message }));
  if (state.url !== url || !state.same || !state.running || state.scroll !== 0 || state.zoom !== 1)
    throw new Error(`${what}: ${JSON.stringify(state)}`);
  await waitFrames(page, 10);
}

async function swipes(page, fingers, orientation, url) {
  const [x, y] = await centre(page, "#game");
  await fingers.swipe([x - 150, y], [x + 150, y]);
  await expectSamePage(page, url, "a swipe over the picture");
  const [lx, ly] = await centre(page, button("Left"));
  await fingers.swipe([lx, ly], [lx + 300, ly]);
  await expectSamePage(page, url, "a swipe over the controls");
  ok(`${orientation}: swipes of 300 px over the picture and over the controls leave the page and the game as they were`);
}

async function rotate(page, orientation, url) {
  const { width, height } = page.viewportSize();
  const other = orientation === "landscape" ? "portrait" : "landscape";
  await page.setViewportSize({ width: height, height: width });
  await page.waitForFunction(() => document.getElementById("game").getBoundingClientRect().width > 0);
  await expectLayout(page, other);
  await expectSamePage(page, url, `turned to ${other}`);
  await page.setViewportSize({ width, height });
  await expectLayout(page, orientation);
  await expectSamePage(page, url, `turned back to ${orientation}`);
  ok(`${orientation}: turned to ${other} and back, the game goes on, the controls follow the layout`);
}

async function phone(server, orientation, device) {
  const browser = await launch({ device });
  const { page } = browser;
  try {
    await givePictures(page, build);
    await page.goto(server.url);
    const url = page.url();
    await page.waitForFunction(() => document.documentElement.classList.contains("touch"));
    await expectCanvas(page, 60, "the start picture", ["bmp:start"]);
    await page.evaluate(() => { window.vexarSeen = window.vexar; });
    await expectLayout(page, orientation);
    await shot(page, `${orientation}-start`);
    const fingers = await Fingers.on(page);
    await fingers.tap(await centre(page, "#game"));
    await expectCanvas(page, 10, "a tap on the start picture starts a game", inPlay);
    ok(`${orientation}: the controls ${orientation === "portrait" ? "under" : "beside"} the picture, ` +
      "48x48 or more; a tap on the start picture starts a game");
    await moveAndFire(page, fingers, orientation);
    await swipes(page, fingers, orientation, url);
    await rotate(page, orientation, url);
  } catch (error) {
    console.log(browser.log.join("\n"));
    throw error;
  } finally {
    await browser.close();
  }
}

// Only the layout: a 4:3 tablet, and a desktop, which shows no control.
async function layoutOnly(server) {
  let browser = await launch({ device: devices["iPad Mini landscape"] });
  await browser.page.goto(server.url);
  await browser.page.waitForFunction(() => document.documentElement.classList.contains("touch"));
  await expectLayout(browser.page, "corners");
  await shot(browser.page, "tablet");
  await browser.close();
  ok("4:3 tablet, 1024x768: the controls on the picture's lower corners, see-through, 48x48 or more");
  browser = await launch({ width: 960, height: 600 });
  await browser.page.goto(server.url);
  await expectCanvas(browser.page, 60, "the game on a desktop", ["notblack:0,0,640,480"]);
  const shown = await browser.page.evaluate((list) => list.filter((n) =>
    document.querySelector(`button[aria-label=${n}]`).getBoundingClientRect().width > 0), names);
  await browser.close();
  if (shown.length) throw new Error(`on a desktop without touch: ${shown} shown`);
  ok("a desktop without touch, 960x600: no touch control shown");
}

(async () => {
  const server = await serve(build);
  const runs = [["portrait", () => phone(server, "portrait", devices["Pixel 7"])],
    ["landscape", () => phone(server, "landscape", devices["Pixel 7 landscape"])],
    ["layout", () => layoutOnly(server)]];
  for (const [what, run] of runs) {
    try { await run(); } catch (error) { failed++; console.log(`FAIL: ${what}: ${error.message}`); }
  }
  await server.close();
  console.log(`touch scenario: ${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})();
