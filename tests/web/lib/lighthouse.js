// Lighthouse on Debian's Chromium (headless, a fresh profile), on one page
// with one of its presets: "desktop" or "mobile" (its default: a mid-range
// phone, the processor slowed 4 times, a slow 4G network).
// audit(url, preset, runs) runs it `runs` times (default 1) and resolves to the
// median run, as Lighthouse picks it (computeMedianRun: the run nearest the
// median first paint and time to interactive), as {scores: {performance,
// accessibility, "best-practices", seo} out of 100, metrics: {tbt, cls, lcp,
// longest task (ms)}, failed: [the ids of the audits that failed in the last
// three], performances: [every run's performance score]}. One run of a page
// that starts a game varies by several points on a busy machine; Lighthouse
// advises five.
"use strict";

const categories = ["performance", "accessibility", "best-practices", "seo"];

async function audit(url, preset, runs = 1) {
  const { computeMedianRun } = await import("lighthouse/core/lib/median-run.js");
  const results = [];
  for (let i = 0; i < runs; ++i) results.push(await auditOnce(url, preset));
  const median = computeMedianRun(results.map((r) => r.lhr));
  return { ...results.find((r) => r.lhr === median), performances: results.map((r) => r.scores.performance) };
}

async function auditOnce(url, preset) {
  const { default: lighthouse, desktopConfig } = await import("lighthouse");
  const chromeLauncher = await import("chrome-launcher");
  const chrome = await chromeLauncher.launch({
    chromePath: process.env.VEXAR_CHROMIUM || "/usr/bin/chromium",
    chromeFlags: ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run"],
  });
  try {
    const flags = { port: chrome.port, output: "json", logLevel: "error", onlyCategories: categories };
    const result = await lighthouse(url, flags, preset === "desktop" ? desktopConfig : undefined);
    const { lhr } = result;
    if (lhr.runtimeError) throw new Error(`Lighthouse: ${lhr.runtimeError.message}`);
    const scores = {};
    for (const c of categories) scores[c] = Math.round(lhr.categories[c].score * 100);
    const numeric = (id) => lhr.audits[id] && lhr.audits[id].numericValue;
    const tasks = (lhr.audits["long-tasks"] && lhr.audits["long-tasks"].details &&
      lhr.audits["long-tasks"].details.items) || [];
    const failed = categories.slice(1).flatMap((c) => lhr.categories[c].auditRefs
      .filter((ref) => ref.weight > 0 && lhr.audits[ref.id].score !== null && lhr.audits[ref.id].score < 1)
      .map((ref) => ref.id));
    return {
      scores,
      metrics: { tbt: numeric("total-blocking-time"), cls: numeric("cumulative-layout-shift"),
        lcp: numeric("largest-contentful-paint"), longest: Math.max(0, ...tasks.map((t) => t.duration)) },
      failed,
      lhr,
    };
  } finally {
    await chrome.kill();
  }
}

module.exports = { audit };

// As a program: node lighthouse.js URL [desktop|mobile [RUNS [REPORT.json]]]
// (the median run's report)
if (require.main === module) {
  const [url, preset = "mobile", runs = "1", report] = process.argv.slice(2);
  audit(url, preset, Number(runs)).then((r) => {
    if (report) require("fs").writeFileSync(report, JSON.stringify(r.lhr));
    console.log(JSON.stringify({ scores: r.scores, metrics: r.metrics, failed: r.failed, performances: r.performances }));
  }, (error) => {
    console.error(`lighthouse: ${error.message}`);
    process.exit(1);
  });
}
