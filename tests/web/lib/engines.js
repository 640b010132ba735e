// The three browser engines behind one small page interface, the part of
// playwright-core's Page that the browser scenario uses: goto, evaluate,
// waitForFunction, addInitScript, keyboard.press/down/up (by key code name),
// click, waitForSelector and setViewportSize.
// - chromium: Debian's Chromium through playwright-core (lib/browser.js);
// - firefox: Debian's Firefox ESR through puppeteer-core over WebDriver BiDi;
// - webkit: WebKitGTK's MiniBrowser through WebKitWebDriver (classic
//   WebDriver over HTTP, spoken here with fetch), on a private Xvfb screen.
// launch(engine, options) resolves to {page, log, close}.
"use strict";
const fs = require("fs");
const os = require("os");
const net = require("net");
const path = require("path");
const { spawn, spawnSync } = require("child_process");
const browser = require("./browser");

const probe = { path: path.join(__dirname, "probe.js") };
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// An in-page wait, for engines whose driver has none that polls at every
// animation frame: resolves true once `test(arg)` holds, false after `ms`.
function pollInPage([test, arg, ms]) {
  const holds = new Function(`return (${test}).apply(null, arguments)`);
  const end = performance.now() + ms;
  return new Promise((done, fail) => {
    (function look() {
      try {
        if (holds(arg)) return done(true);
      } catch (error) {
        return fail(error);
      }
      if (performance.now() > end) return done(false);
      // A hidden page gets no animation frames; the timer still comes.
      if (document.hidden) setTimeout(look, 16);
      else requestAnimationFrame(look);
    })();
  });
}

async function firefox({ width = 640, height = 480 } = {}) {
  const puppeteer = require("puppeteer-core");
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "vexar-firefox-"));
  const instance = await puppeteer.launch({
    browser: "firefox",
    executablePath: process.env.VEXAR_FIREFOX || "/usr/bin/firefox-esr",
    headless: true,
    userDataDir: profile,
    defaultViewport: { width, height },
    // Firefox keeps a page's full-screen request waiting for a user gesture
    // that a driver's input may come too late for.
    extraPrefsFirefox: { "full-screen-api.allow-trusted-requests-only": false,
      "full-screen-api.transition-duration.enter": "0 0", "full-screen-api.transition-duration.leave": "0 0" },
  });
  // A page opened by the driver has the focus; the one Firefox starts with does not.
  const p = await instance.newPage();
  const log = [];
  p.on("console", (m) => log.push(`console.${m.type()}: ${m.text()}`));
  p.on("pageerror", (e) => log.push(`page error: ${e.message}`));
  const page = {
    goto: (url) => p.goto(url),
    evaluate: (fn, arg) => p.evaluate(fn, arg),
    waitForFunction: (fn, arg, { timeout = 30000, polling = "raf" } = {}) =>
      p.waitForFunction(fn, { timeout, polling }, arg),
    addInitScript: (script, arg) => (script.path ? p.evaluateOnNewDocument(fs.readFileSync(script.path, "utf8"))
      : p.evaluateOnNewDocument(script, arg)),
    // Puppeteer names keys by what they type: the space bar is " ".
    keyboard: { press: (k) => p.keyboard.press(k === "Space" ? " " : k),
      down: (k) => p.keyboard.down(k === "Space" ? " " : k), up: (k) => p.keyboard.up(k === "Space" ? " " : k) },
    click: (selector) => p.click(selector),
    waitForSelector: (selector, { timeout = 30000 } = {}) => p.waitForSelector(selector, { timeout }),
    setViewportSize: (size) => p.setViewport(size),
  };
  await page.addInitScript(probe);
  const close = async () => {
    await instance.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { page, log, close };
}

// WebDriver's key values for the key codes the scenario presses.
const webDriverKeys = { Space: "\uE00D", Enter: "\uE007", Escape: "\uE00C", F11: "\uE03B",
  ArrowLeft: "\uE012", ArrowUp: "\uE013", ArrowRight: "\uE014", ArrowDown: "\uE015" };

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.once("error", reject);
    server.listen(0, "127.0.0.1", () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// Xvfb on the first free display (it says which on a pipe): {display, stop}.
function startXvfb() {
  return new Promise((resolve, reject) => {
    const xvfb = spawn("Xvfb", ["-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"],
      { stdio: ["ignore", "ignore", "ignore", "pipe"] });
    let said = "";
    xvfb.once("error", reject);
    xvfb.once("exit", (code) => reject(new Error(`Xvfb ended (${code}) before it opened a display`)));
    xvfb.stdio[3].on("data", (data) => {
      said += data;
      if (!said.includes("\n")) return;
      resolve({ display: `:${said.trim()}`, stop: () => stopProcess(xvfb) });
    });
  });
}

function stopProcess(child) {
  if (child.exitCode !== null || child.signalCode !== null) return Promise.resolve();
  return new Promise((done) => {
    child.once("exit", done);
    child.kill();
  });
}

async function webkit({ width = 640, height = 480 } = {}) {
  const screen = await startXvfb();
  const port = await freePort();
  const driver = spawn(process.env.VEXAR_WEBKIT_DRIVER || "WebKitWebDriver", [`--port=${port}`],
    { stdio: "ignore", env: { ...process.env, DISPLAY: screen.display } });
  const base = `http://127.0.0.1:${port}`;
  let session = null;
  const call = async (method, where, body) => {
    const response = await fetch(`${base}${session ? `/session/${session}` : ""}${where}`,
      { method, headers: { "Content-Type": "application/json" }, body: body && JSON.stringify(body) });
    const answer = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${where}: ${answer.value.error}: ${answer.value.message}`);
    return answer.value;
  };
  const close = async () => {
    if (session) await call("DELETE", "").catch(() => {});
    await stopProcess(driver);
    await screen.stop();
  };
  try {
    for (let tries = 0; ; ++tries) {
      try {
        await fetch(`${base}/status`);
        break;
      } catch (error) {
        if (tries > 100) throw new Error(`WebKitWebDriver does not answer on port ${port}`);
        await sleep(100);
      }
    }
    const created = await call("POST", "/session", { capabilities: { alwaysMatch: {
      "webkitgtk:browserOptions": { binary: process.env.VEXAR_MINIBROWSER ||
        "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser", args: ["--automation"] } } } });
    session = created.sessionId;
    // No window manager gives the browser's window the focus: it is given here.
    const focus = spawnSync("xdotool", ["search", "--sync", "--onlyvisible", "--class", "MiniBrowser", "windowfocus", "--sync"],
      { env: { ...process.env, DISPLAY: screen.display }, timeout: 10000, encoding: "utf8" });
    if (focus.status !== 0) throw new Error(`cannot give MiniBrowser the focus: ${focus.stderr || focus.error}`);
    await call("POST", "/timeouts", { script: 600000, pageLoad: 60000 });
  } catch (error) {
    await close();
    throw error;
  }
  const initScripts = [];
  const run = async (fn, arg) => {
    const result = await call("POST", "/execute/async", {
      script: `const done = arguments[1];
        Promise.resolve().then(() => (${fn}).call(null, arguments[0])).then(
          (value) => done({ value: value === undefined ? null : value }),
          (error) => done({ error: String(error && error.message || error) }));`,
      args: [arg === undefined ? null : arg] });
    if (result.error) throw new Error(result.error);
    return result.value;
  };
  const keys = (...actions) => call("POST", "/actions",
    { actions: [{ type: "key", id: "keyboard", actions }] });
  const key = (code) => {
    if (!webDriverKeys[code]) throw new Error(`no WebDriver key for ${code}`);
    return webDriverKeys[code];
  };
  // Sizes the window so that its inside (the page's viewport) is width x height.
  const setViewportSize = async (size) => {
    let rect = await call("POST", "/window/rect", size);
    for (let i = 0; i < 3; ++i) {
      const inner = await run(() => [window.innerWidth, window.innerHeight]);
      if (inner[0] === size.width && inner[1] === size.height) return;
      rect = await call("POST", "/window/rect", { width: rect.width + size.width - inner[0],
        height: rect.height + size.height - inner[1] });
    }
  };
  const page = {
    // No driver call runs a script before the page's own: they run once it has loaded.
    goto: async (url) => {
      await call("POST", "/url", { url });
      for (const [script, arg] of initScripts) await run(script, arg);
    },
    evaluate: run,
    waitForFunction: async (fn, arg, { timeout = 30000 } = {}) => {
      if (!(await run(pollInPage, [String(fn), arg, timeout])))
        throw new Error(`waiting for ${String(fn).slice(0, 60)}: timeout ${timeout} ms exceeded`);
    },
    addInitScript: async (script, arg) => {
      initScripts.push(script.path ? [`() => { ${fs.readFileSync(script.path, "utf8")} }`] : [String(script), arg]);
    },
    keyboard: {
      press: (code) => keys({ type: "keyDown", value: key(code) }, { type: "keyUp", value: key(code) }),
      down: (code) => keys({ type: "keyDown", value: key(code) }),
      up: (code) => keys({ type: "keyUp", value: key(code) }),
    },
    click: async (selector) => {
      const element = await call("POST", "/element", { using: "css selector", value: selector });
      await call("POST", `/element/${Object.values(element)[0]}/click`, {});
    },
    waitForSelector: (selector, { timeout = 30000 } = {}) =>
      page.waitForFunction((s) => document.querySelector(s) !== null, selector, { timeout }),
    setViewportSize,
  };
  await page.addInitScript(probe);
  await setViewportSize({ width, height });
  return { page, log: [], close };
}

const engines = {
  chromium: (options) => browser.launch(options),
  firefox,
  webkit,
};

// A browser of `engine` ("chromium", "firefox" or "webkit") with one page.
async function launch(engine, options = {}) {
  if (!engines[engine]) throw new Error(`no browser engine ${engine}`);
  return engines[engine](options);
}

module.exports = { launch, engines: Object.keys(engines) };
