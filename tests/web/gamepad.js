// A game controller in headless Chromium: a fake pad in the standard layout
// (lib/fake_pads.js) plays a whole game, a pad in another layout is ignored,
// and a pad pulled out while it holds right lets go of it.
// Usage: node gamepad.js BUILD_WEB_DIR   (shots go to BUILD_WEB_DIR/shots/web)
"use strict";
const path = require("path");
const { serve } = require("./serve");
const { launch, givePictures, expectCanvas, saveCanvas, waitFrames } = require("./lib/browser");

const build = path.resolve(process.argv[2] || path.join(__dirname, "../../build-web"));
const shot = (name) => path.join(build, "shots", "web", `pad-${name}.png`);
const [SOUTH, START, RIGHT] = [0, 9, 15];
const OTHER = 0, PAD = 1;  // getGamepads() indexes: a pad in another layout, the standard one
let passed = 0;
const ok = (what) => { console.log(`ok: ${what}`); ++passed; };

const hud = ["has:10,10,120,16=0000ff", "has:10,30,120,16=0000ff", "has:10,50,120,16=0000ff"];
// The cannon at x: its frame's left edge, its white body, its blue barrel.
const cannonAt = (x) => [`px:${x},470=c8c8c8`, `px:${x + 50},450=ffffff`, `px:${x + 50},430=0000ff`];

const pads = {
  set: (page, index, held, x = 0) => page.evaluate(([i, h, s]) => window.fakePads.set(i, h, s), [index, held, x]),
  async press(page, index, button) {
    await this.set(page, index, [button]);
    await waitFrames(page, 3);
    await this.set(page, index, []);
  },
};

// The cannon's x as the canvas shows it: the left edge of its frame on row 470.
const cannonX = (page) => page.evaluate(() => {
  const f = window.vexarProbe.frame();
  for (let x = 0; x < f.width; ++x) {
    const at = (470 * f.width + x) * 4;
    if (f.data[at] === 0xc8 && f.data[at + 1] === 0xc8 && f.data[at + 2] === 0xc8) return x;
  }
  return -1;
});

async function startGame(page, what) {
  await expectCanvas(page, 20, `${what}: the start picture`, ["bmp:start"]);
  await pads.press(page, PAD, START);
  await expectCanvas(page, 10, `${what}: Start shows the play field`, hud);
}

async function play(page) {
  await page.evaluate(([o, p]) => { window.fakePads.connect(o, ""); window.fakePads.connect(p, "standard"); },
    [OTHER, PAD]);
  await expectCanvas(page, 60, "the start picture", ["bmp:start"]);
  await pads.set(page, OTHER, [START, RIGHT, SOUTH], 1);
  await waitFrames(page, 30);
  await expectCanvas(page, 1, "a pad in another layout does nothing", ["bmp:start"]);
  await pads.set(page, OTHER, []);
  ok("a pad in another layout holding Start, A, right and the stick: the start picture stays");

  await startGame(page, "the first game");
  await expectCanvas(page, 1, "the cannon at x 100", cannonAt(100), { save: shot("play") });
  ok("Start starts a game: the play field, the cannon at x 100");
  // Fired at once: a game left alone ends in about three seconds.
  await expectCanvas(page, 5, "nothing above the barrel", ["black:130,300,26,115"]);
  await pads.press(page, PAD, SOUTH);
  await expectCanvas(page, 3, "A fires a shot", [...hud, "notblack:130,300,26,115"], { save: shot("shot") });
  ok("A fires a shot");
  await pads.set(page, PAD, [RIGHT]);
  await expectCanvas(page, 5, "the d-pad takes the cannon to x 540", [...cannonAt(540), "px:636,470=b4b4b4"]);
  await pads.set(page, PAD, [], -1);
  await expectCanvas(page, 5, "the stick takes the cannon to x 0", cannonAt(0), { save: shot("left") });
  await pads.set(page, PAD, []);
  ok("the d-pad takes the cannon to x 540, the stick back to x 0");

  await expectCanvas(page, 90, "the statistics screen", ["px:320,470=b4b4b4", "has:70,200,300,80=ff0000"]);
  await pads.press(page, PAD, START);
  await expectCanvas(page, 10, "Start goes back to the intro picture", ["bmp:intro"]);
  await startGame(page, "the second game");
  ok("the game over, Start goes back to the intro; Start starts a second game");

  await pads.set(page, PAD, [RIGHT]);
  for (let frames = 0; (await cannonX(page)) < 60; ++frames) {
    if (frames > 300) throw new Error("holding right, the cannon did not move from x 0");
    await waitFrames(page, 1);
  }
  await page.evaluate((p) => window.fakePads.disconnect(p), PAD);
  await waitFrames(page, 5);
  const stopped = await cannonX(page);
  await waitFrames(page, 30);
  const later = await cannonX(page);
  await saveCanvas(page, shot("unplugged"));
  await expectCanvas(page, 1, "the play field after the pad was pulled out", hud);
  if (stopped <= 0 || stopped >= 540 || later !== stopped)
    throw new Error(`pulled out while holding right: the cannon at x ${stopped}, 30 frames later at x ${later}`);
  ok(`pulled out while holding right, the cannon stops at x ${stopped} and stays there`);
}

(async () => {
  const server = await serve(build);
  const browser = await launch();
  try {
    await browser.page.addInitScript({ path: path.join(__dirname, "lib", "fake_pads.js") });
    await givePictures(browser.page, build);
    await browser.page.goto(server.url);
    await play(browser.page);
  } catch (error) {
    console.log(browser.log.join("\n"));
    console.log(`FAIL: ${error.message}`);
    process.exitCode = 1;
  } finally {
    await browser.close();
    await server.close();
  }
  console.log(`gamepad scenario: ${passed} passed, ${process.exitCode ? 1 : 0} failed`);
})();
