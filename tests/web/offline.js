// VEXAR as an installed app in headless Chromium: the manifest and the
// installability check, then the game started again with no network.
// Usage: node offline.js BUILD_WEB_DIR
"use strict";
const path = require("path");
const { serve } = require("./serve");
const { launch, givePicture, expectCanvas } = require("./lib/browser");

const build = path.resolve(process.argv[2] || path.join(__dirname, "../../build-web"));
let passed = 0, failed = 0;
function check(condition, what) {
  console.log(`${condition ? "ok" : "FAIL"}: ${what}`);
  condition ? ++passed : ++failed;
}

async function main() {
  const server = await serve(build);
  const browser = await launch();
  const { page, context } = browser;
  try {
    await page.goto(server.url);
    for (const name of ["intro", "start", "cd"]) await givePicture(page, name, path.join(build, `${name}.bmp`));
    await expectCanvas(page, 60, "the intro picture", ["bmp:intro"]);
    await page.evaluate(() => navigator.serviceWorker.ready);
    const cdp = await context.newCDPSession(page);
    const { installabilityErrors } = await cdp.send("Page.getInstallabilityErrors");
    check(installabilityErrors.length === 0, `installable (${JSON.stringify(installabilityErrors)})`);
    const { data } = await cdp.send("Page.getAppManifest");
    const manifest = JSON.parse(data || "{}");
    const sizes = (manifest.icons || []).map((icon) => icon.sizes).join(" ");
    check(manifest.name === "VEXAR" && sizes === "192x192 512x512", `manifest: ${manifest.name}, icons ${sizes}`);
    await context.setOffline(true);
    await page.reload();
    for (const name of ["intro", "start", "cd"]) await givePicture(page, name, path.join(build, `${name}.bmp`));
    await expectCanvas(page, 60, "the intro picture offline", ["bmp:intro"]);
    check(true, "the game starts again offline, after a reload");
    const playAgain = async (what) => {
      await page.keyboard.press("Escape");
      await page.waitForFunction(() => window.vexarExitCode !== undefined, null, { timeout: 60000 });
      await page.click("#again");
      await expectCanvas(page, 60, `${what}: the intro picture`, ["bmp:intro"]);
    };
    await playAgain("Play again offline");
    check(true, "Play again offline starts the game");
  } catch (error) {
    check(false, error.message);
    console.log(browser.log.join("\n"));
  } finally {
    await browser.close();
    await server.close();
  }
  console.log(`offline scenario: ${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}
main();
