// VEXAR as an installed app in headless Chromium, one browser profile all
// through, served as a plain static server serves (the browser's HTTP cache
// at work): what a first visit downloads, the manifest and the installability
// check, the pictures as the game reads them, the game started again with no
// network, then a new upload that takes over on the next visit and a failed
// one that leaves it playing; last, a start with no sockets, whose message
// boxes come before main.
// Usage: node offline.js BUILD_WEB_DIR
"use strict";
const crypto = require("crypto");
const fs = require("fs");
const os = require("os");
const path = require("path");
const zlib = require("zlib");
const { serve } = require("./serve");
const { launch, givePictures, expectCanvas } = require("./lib/browser");

const build = path.resolve(process.argv[2] || path.join(__dirname, "../../build-web"));
const pictures = ["intro", "start", "cd"];
let passed = 0, failed = 0;
function check(condition, what) {
  console.log(`${condition ? "ok" : "FAIL"}: ${what}`);
  condition ? ++passed : ++failed;
}

// The bundle as sw.js lists it, copied to a folder of its own and marked as
// upload `tag`: vexar.js(.gz) says its tag, sw.js names its cache after it and has
// its hash. `stale` files are then left as the upload `stale.from` has them,
// as on a server caught halfway through an upload.
function upload(tag, stale = { files: [] }) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), `vexar-upload-${tag}-`));
  const sw = fs.readFileSync(path.join(build, "sw.js"), "utf8");
  const files = JSON.parse(sw.match(/const FILES = (\[.*\]);/)[1]).filter((name) => name !== "./");
  for (const name of files) fs.copyFileSync(path.join(build, name), path.join(dir, name));
  const script = path.join(dir, "vexar.js.gz");
  fs.writeFileSync(script, zlib.gzipSync(Buffer.concat([zlib.gunzipSync(fs.readFileSync(script)),
    Buffer.from(`\nwindow.vexarUpload = "${tag}";\n`)])));
  fs.writeFileSync(path.join(dir, "sw.js"), sw.replace(/(const CACHE = "vexar-[^"]*)"/, `$1-${tag}"`)
    .replace(sha256(path.join(build, "vexar.js.gz")), sha256(script)));
  for (const name of stale.files) fs.copyFileSync(path.join(stale.from, name), path.join(dir, name));
  return dir;
}

// Opens the page again and waits for the intro.
async function visit(page, what) {
  await page.reload();
  await expectCanvas(page, 60, what, ["bmp:intro"]);
}

// Asks the browser to look for a new sw.js and returns what became of the new
// worker: "activated" or "redundant" (its install failed). An update check
// already under way may have seen the old server: then it asks again.
function update(page) {
  return page.evaluate(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    for (let attempt = 0; attempt < 5; ++attempt) {
      await registration.update();
      const worker = registration.installing;
      if (!worker) continue;
      return new Promise((resolve) => {
        const settled = () => ["activated", "redundant"].includes(worker.state) && resolve(worker.state);
        worker.addEventListener("statechange", settled);
        settled();
      });
    }
    return "no new worker";
  });
}

const cacheNames = (page) => page.evaluate(() => caches.keys());
function sha256(file) {
  return crypto.createHash("sha256").update(fs.readFileSync(file)).digest("hex");
}

async function main() {
  const first = upload("first"), second = upload("second"), third = upload("third");
  const halfway = upload("fourth", { from: second, files: ["vexar.js.gz"] });
  const server = await serve(first, { plain: true });
  const browser = await launch();
  const { page, context } = browser;
  try {
    await givePictures(page, build);
    await page.goto(server.url);
    await expectCanvas(page, 60, "the intro picture", ["bmp:intro"]);
    const loaded = await page.evaluate(() => [document.getElementById("percent").textContent,
      document.getElementById("loading").hidden]);
    check(loaded[0] === "100 %" && loaded[1], `the download counted up to ${loaded[0]}, then put away`);
    for (const name of pictures) {
      const read = await page.evaluate(async (n) => {
        const digest = await crypto.subtle.digest("SHA-256", window.vexar.FS.readFile(`/vexar/${n}.bmp`));
        return [...new Uint8Array(digest)].map((b) => b.toString(16).padStart(2, "0")).join("");
      }, name);
      check(read === sha256(path.join(build, `${name}.bmp`)), `${name}.bmp as the game reads it is make_pictures' own`);
    }
    await page.evaluate(() => navigator.serviceWorker.ready);
    await server.quiet(1000);
    const bytes = server.sent.reduce((sum, request) => sum + request.bytes, 0);
    const firstVisit = server.requests;
    console.log(`   the first visit asked for: ${firstVisit.map((name) => name || "/").join(" ")}: ${bytes} bytes`);
    const twice = firstVisit.filter((name, i) => firstVisit.indexOf(name) !== i);
    check(twice.length === 0 && bytes <= 700000,
      `the first visit asks for no file twice (twice: ${twice.map((name) => name || "/").join(" ") || "none"}), ${bytes} bytes in all`);
    const cdp = await context.newCDPSession(page);
    const { installabilityErrors } = await cdp.send("Page.getInstallabilityErrors");
    check(installabilityErrors.length === 0, `installable (${JSON.stringify(installabilityErrors)})`);
    const { data } = await cdp.send("Page.getAppManifest");
    const manifest = JSON.parse(data || "{}");
    const sizes = (manifest.icons || []).map((icon) => icon.sizes).join(" ");
    check(manifest.name === "VEXAR" && sizes === "192x192 512x512", `manifest: ${manifest.name}, icons ${sizes}`);
    await context.setOffline(true);
    await visit(page, "the intro picture offline");
    check(true, "the game starts again offline, after a reload");
    await page.keyboard.press("Escape");
    await page.waitForFunction(() => window.vexarExitCode !== undefined, null, { timeout: 60000 });
    await page.click("#again");
    await expectCanvas(page, 60, "Play again offline: the intro picture", ["bmp:intro"]);
    check(true, "Play again offline starts the game");
    await context.setOffline(false);

    server.use(second);
    check(await update(page) === "activated", "a new upload installs whole and takes over");
    const names = await cacheNames(page);
    check(names.length === 1 && names[0].endsWith("-second"), `only its cache is kept (${names})`);
    const before = server.requests.length;
    await visit(page, "the next visit");
    const asked = server.requests.slice(before).filter((name) => name !== "sw.js");
    check(await page.evaluate(() => window.vexarUpload) === "second" && asked.length === 0,
      `the next visit plays the new upload from its cache (asked the server for: ${asked.join(" ") || "nothing"})`);

    for (const [dir, broken, what] of [[third, ["vexar.js.gz"], "whose new vexar.js fails"],
      [halfway, [], "half done (the last upload's vexar.js)"]]) {
      server.use(dir, { broken });
      check(await update(page) === "redundant", `an upload ${what} does not install`);
      await visit(page, `after the failed update, ${what}`);
      const kept = await cacheNames(page);
      check(await page.evaluate(() => window.vexarUpload) === "second" && kept.length === 1 &&
        kept[0].endsWith("-second"), `the last good upload still plays (${kept})`);
    }

    // Each of the seven global objects that start the sockets shows its box
    // before main; once they are dismissed the game ends with code 0.
    await page.goto(`${server.url}?VEXAR_FAIL=WSAStartup@1x0`);
    const boxes = [];
    while (boxes.length < 20) {
      const box = await page.waitForSelector(".vexar-box button", { timeout: boxes.length ? 3000 : 30000 })
        .catch(() => null);
      if (!box) break;
      boxes.push(await page.$eval(".vexar-box", (b) => `${b.querySelector("h2").textContent}: ${b.querySelector("p").textContent}`));
      await box.click();
    }
    check(boxes.length === 7 && boxes.every((b) => b === "Aborting: Error Couldnt Init Winsock!"),
      `with no sockets, seven boxes before main (${boxes.length}: ${[...new Set(boxes)].join(" | ")})`);
    const ended = await page.waitForFunction(() => window.vexarExitCode !== undefined, null, { timeout: 10000 })
      .then(() => page.evaluate(() => [window.vexarExitCode, document.getElementById("message").textContent]))
      .catch(() => ["none", ""]);
    check(ended[0] === 0 && ended[1] === "VEXAR has ended.", `then the game ends with code ${ended[0]}: "${ended[1]}"`);
  } catch (error) {
    check(false, error.message);
    console.log(browser.log.join("\n"));
  } finally {
    await browser.close();
    await server.close();
    for (const dir of [first, second, third, halfway]) fs.rmSync(dir, { recursive: true, force: true });
  }
  console.log(`offline scenario: ${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}
main();
