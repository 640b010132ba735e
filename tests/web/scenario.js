// VEXAR in a browser: the Linux end-to-end scenario played in the page and
// checked on the canvas's pixels, then a focus switch, the end of the game and
// a restart, RUNS times in headless Chromium and once in each other engine
// (lib/engines.js); then, in Chromium, the page against a server that lacks or
// fails files.
// Usage: node scenario.js BUILD_WEB_DIR [RUNS [ENGINE,...]]   (default: 1 firefox,webkit;
// "chromium" alone for no other engine; shots go to BUILD_WEB_DIR/shots/web[/ENGINE])
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const { spawnSync } = require("child_process");
const { serve } = require("./serve");
const { givePictures, expectCanvas, waitFrames, switches } = require("./lib/browser");
const engines = require("./lib/engines");
const { screen } = require("../lib/screens");

const build = path.resolve(process.argv[2] || path.join(__dirname, "../../build-web"));
const runs = Number(process.argv[3] || 1);
const otherEngines = (process.argv[4] || "firefox,webkit").split(",").filter((e) => e && e !== "chromium");
const shots = path.join(build, "shots", "web");
let passed = 0;

function ok(what) {
  console.log(`ok: ${what}`);
  ++passed;
}

// The play field: the HUD's three blue lines over a clear band, the cannon at x 100.
const playField = screen("play_field");

async function pageText(page) {
  return page.evaluate(() => document.getElementById("notice").hidden ? "" :
    document.getElementById("message").textContent);
}

async function playWholeGame(page, shot) {
  await expectCanvas(page, 60, "the intro picture", ["bmp:intro"], { save: shot("intro") });
  const shownAt = await page.evaluate(() => performance.now());
  ok(`the intro picture (${Math.round(shownAt)} ms after the page was opened)`);
  await expectCanvas(page, 10, "the start picture", ["bmp:start"], { save: shot("start") });
  ok("the start picture");
  await page.keyboard.press("Space");
  await waitFrames(page, 30);
  await expectCanvas(page, 1, "space does nothing", ["bmp:start"]);
  ok("space does nothing");
  // Left alone, a picture that stays as it is asks the browser for no frames.
  await new Promise((done) => setTimeout(done, 1500));
  const asked = await page.evaluate(() => window.vexarProbe.animationFramesAsked);
  await new Promise((done) => setTimeout(done, 500));
  const more = (await page.evaluate(() => window.vexarProbe.animationFramesAsked)) - asked;
  if (more !== 0) throw new Error(`the start picture, left alone, asked for ${more} browser frames in 0.5 s`);
  ok("the start picture, left alone, asks the browser for no frames");

  await page.keyboard.press("Enter");
  await expectCanvas(page, 10, "the play field", playField, { save: shot("play") });
  ok("Enter: the play field, the HUD in blue and the cannon at x 100");
  await switchFocus(page, shot);

  await page.keyboard.down("ArrowRight");
  await expectCanvas(page, 10, "holding right moves the cannon to x 540", screen("cannon_at_540"));
  await page.keyboard.up("ArrowRight");
  ok("after the focus came back, holding right moves the cannon to x 540");
  await expectCanvas(page, 10, "a disc drawn exactly as cd.bmp", ["sprite:cd"]);
  ok("a disc drawn pixel for pixel as cd.bmp, less its colour key");
  await expectCanvas(page, 10, "nothing above the barrel", screen("clear_above_540"));
  await page.keyboard.press("Space");
  await expectCanvas(page, 3, "space fires a shot", screen("shot_above_540"));
  ok("space fires a shot");

  await expectCanvas(page, 90, "the statistics screen", screen("statistics"), { save: shot("stats") });
  ok("the grey statistics screen with its red lines");
  await page.keyboard.press("Enter");
  await expectCanvas(page, 10, "Enter goes back to the intro picture", ["bmp:intro"]);
  ok("Enter goes back to the intro picture");
}

// Resolves once the game has presented nothing for 30 browser frames.
function settled() {
  return new Promise((done) => {
    let last = window.vexarProbe.frames(), still = 0;
    (function look() {
      const now = window.vexarProbe.frames();
      still = now === last ? still + 1 : 0;
      last = now;
      if (still >= 30) done();
      else requestAnimationFrame(look);
    })();
  });
}

// The page loses the foreground in the play scene: the game stops drawing;
// when it comes back, so does the play field.
async function switchFocus(page, shot) {
  for (const [what, way] of Object.entries(switches)) {
    await page.evaluate(way.away);
    await page.evaluate(settled);
    const before = await page.evaluate(() => window.vexarProbe.frames());
    await page.evaluate(() => new Promise((r) => {
      let n = 60;
      (function f() { if (--n) requestAnimationFrame(f); else r(); })();
    }));
    const after = await page.evaluate(() => window.vexarProbe.frames());
    if (after !== before) throw new Error(`without ${what} the game drew ${after - before} frames`);
    await page.evaluate(way.back);
    await expectCanvas(page, 10, `the play field after ${what} came back`, playField,
      { save: shot("play-refocused") });
    ok(`without ${what} the game draws nothing (60 browser frames); back, the play field is drawn again`);
  }
}

async function endAndRestart(page) {
  await page.keyboard.press("Escape");
  await page.waitForFunction(() => window.vexarExitCode !== undefined, null, { timeout: 10000 });
  const code = await page.evaluate(() => window.vexarExitCode);
  const text = await pageText(page);
  if (code !== 0 || text.indexOf("VEXAR has ended.") < 0)
    throw new Error(`after Escape: exit code ${code}, the page says "${text}"`);
  ok(`Escape ends the game with exit code 0; the page says "${text}"`);
  await page.click("#again");
  await expectCanvas(page, 60, "Play again: the intro picture", ["bmp:intro"]);
  ok("Play again starts the game again");
}

// The canvas scaled to the window with its shape kept and its pixels sharp;
// the full-screen button and F11.
async function pageControls(page) {
  await page.setViewportSize({ width: 960, height: 600 });
  await page.waitForFunction(() => {
    const style = getComputedStyle(document.getElementById("game"));
    return style.width === "800px" && style.height === "600px" && style.imageRendering === "pixelated";
  }, null, { timeout: 5000 });
  ok("in a 960 x 600 window the canvas is 800 x 600, pixelated");
  await page.click("#fullscreen");
  await page.waitForFunction(() => document.fullscreenElement !== null, null, { timeout: 5000 });
  await page.keyboard.press("F11");
  await page.waitForFunction(() => document.fullscreenElement === null, null, { timeout: 5000 });
  ok("the Full screen button enters full screen, F11 leaves it");
}

async function scenario(run, engine = "chromium") {
  const shot = (name) => path.join(shots, engine === "chromium" ? "" : engine,
    run === 1 ? `${name}.png` : `run${run}-${name}.png`);
  await onPage({ engine }, async (page) => {
    await playWholeGame(page, shot);
    await endAndRestart(page);
    await pageControls(page);
  });
}

// The calls the port's trace records after the message loop has ended: the
// exit destructors', which the runtime runs after main.
function afterMain(trace) {
  const lines = trace.split("\n").filter((l) => l);
  return lines.slice(lines.lastIndexOf("GetMessageA -> 0 (WM_QUIT, 0)") + 1);
}

// The desktop build on its headless host, run in the build folder with the
// given environment; null when there is no desktop build.
function desktop(environment) {
  const native = process.env.VEXAR_NATIVE || path.join(build, "..", "build", "vexar");
  if (!fs.existsSync(native)) {
    console.log(`   not compared with the desktop: no desktop build at ${native} (VEXAR_NATIVE)`);
    return null;
  }
  const work = fs.mkdtempSync(path.join(os.tmpdir(), "vexar-desktop-"));
  fs.writeFileSync(path.join(work, "script"), "40 down ESCAPE\n41 up ESCAPE\n");
  const env = { ...process.env, VEXAR_HOST: "headless", VEXAR_SCRIPT: path.join(work, "script"),
    VEXAR_TRACE: path.join(work, "trace"), ...environment };
  const run = spawnSync(native, [], { cwd: build, env, timeout: 60000, encoding: "utf8" });
  const result = { code: run.status, stderr: run.stderr, trace: fs.readFileSync(env.VEXAR_TRACE, "utf8") };
  fs.rmSync(work, { recursive: true, force: true });
  return result;
}

// Escape at the intro, in the page and in the desktop build: the same calls
// after main, in the same order.
async function exitOrder() {
  const native = desktop({});
  await againstServer("the exit destructors", { url: "?VEXAR_TRACE=/vexar/trace" }, async (page) => {
    await expectCanvas(page, 60, "the intro picture", ["bmp:intro"]);
    await page.keyboard.press("Escape");
    await page.waitForFunction(() => window.vexarTrace !== undefined, null, { timeout: 10000 });
    const seen = afterMain(await page.evaluate(() => window.vexarTrace));
    const expected = native ? afterMain(native.trace) : seen;
    if (seen.length < 5 || seen.join("\n") !== expected.join("\n"))
      throw new Error(`after main, the page: ${seen.join("; ")}; the desktop: ${expected.join("; ")}`);
    console.log(`   ${seen.length} calls after main, as on the desktop: ${seen.slice(0, 4).join("; ")}; ...`);
  });
}

// A failed display set-up: the game's message box in the page; the game
// ends when it is dismissed, with the desktop's exit code.
async function messageBox() {
  const native = desktop({ VEXAR_FAIL: "SetDisplayMode" });
  await againstServer("a message box in the page", { url: "?VEXAR_FAIL=SetDisplayMode" }, async (page) => {
    await page.waitForSelector(".vexar-box button", { timeout: 30000 });
    const box = await page.evaluate(() => ["h2", "p"].map((t) =>
      document.querySelector(`.vexar-box ${t}`).textContent).join(": "));
    if (native && !native.stderr.includes(`vexar: ${box}`))
      throw new Error(`the box says "${box}", the desktop "${native.stderr}"`);
    if (await page.evaluate(() => window.vexarExitCode !== undefined)) throw new Error("ended before the box was dismissed");
    await page.click(".vexar-box button");
    await page.waitForFunction(() => window.vexarExitCode !== undefined, null, { timeout: 10000 });
    const code = await page.evaluate(() => window.vexarExitCode);
    if (native && code !== native.code) throw new Error(`exit code ${code}, the desktop's ${native.code}`);
    console.log(`   the box: "${box}"; dismissed, the game ends with exit code ${code}`);
  });
}

// Opens the page from a fresh server in a fresh browser and hands it to
// `body`; the options may set the server's (`server`) and the browser's
// (`browser`), choose its engine (`engine`, Chromium unless said) and add to
// the page's address (`url`). The page's log is shown when `body` fails.
async function onPage(options, body) {
  const server = await serve(build, options.server);
  const browser = await engines.launch(options.engine || "chromium", options.browser);
  try {
    await givePictures(browser.page, build);
    await browser.page.goto(server.url + (options.url || ""));
    await body(browser.page);
  } catch (error) {
    console.log(browser.log.join("\n"));
    throw error;
  } finally {
    await browser.close();
    await server.close();
  }
}

// The page with a server that lacks or fails some of its files, or in a
// browser without WebAssembly: `check` gets the page once it has loaded.
async function againstServer(what, options, check) {
  await onPage(options, check);
  ok(what);
}

async function expectMessage(page, pattern) {
  await page.waitForFunction((p) => {
    const notice = document.getElementById("notice");
    return !notice.hidden && new RegExp(p).test(document.getElementById("message").textContent);
  }, pattern.source, { timeout: 30000 });
  return pageText(page);
}

async function badInput() {
  await againstServer("intro.bmp (packed) missing on the server: the intro is black, the game goes on",
    { server: { missing: ["intro.bmp.delta.gz"] } }, async (page) => {
        await page.waitForFunction(() => window.vexarProbe.frames() > 1, null, { timeout: 60000 });
      await expectCanvas(page, 1, "a black intro", ["black:0,0,640,480"]);
      await expectCanvas(page, 10, "then the start picture", ["bmp:start"]);
    });
  for (const [file, pattern] of [["vexar.wasm.gz", /could not download its program/], ["vexar.js.gz", /could not download vexar\.js/],
    ["cd.bmp.delta.gz", /could not download its pictures/]])
    await againstServer(`${file} failing on the server: one message in the page`,
      { server: { broken: [file] } }, async (page) => {
        console.log(`   the page says: "${await expectMessage(page, pattern)}"`);
      });
  await againstServer("a browser without WebAssembly: one message in the page",
    { browser: { withoutWebAssembly: true } }, async (page) => {
      console.log(`   the page says: "${await expectMessage(page, /needs a browser with WebAssembly/)}"`);
    });
}

(async () => {
  for (let run = 1; run <= runs; ++run) {
    console.log(`== Browser scenario, run ${run} of ${runs}`);
    await scenario(run);
  }
  for (const engine of otherEngines) {
    console.log(`== Browser scenario in ${engine}`);
    await scenario(1, engine);
  }
  console.log("== Exit");
  await exitOrder();
  await messageBox();
  console.log("== Bad input");
  await badInput();
  console.log(`browser scenario: ${passed} passed, 0 failed`);
})().catch((error) => {
  console.log(`FAIL: ${error.message}`);
  console.log(`browser scenario: ${passed} passed, 1 failed`);
  process.exit(1);
});
