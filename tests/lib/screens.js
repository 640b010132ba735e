// screen(NAME...): the conditions of the named lines of tests/lib/screens.txt,
// for the browser tests' probe (tests/web/lib/probe.js).
"use strict";
const fs = require("fs");
const path = require("path");

const lines = new Map(fs.readFileSync(path.join(__dirname, "screens.txt"), "utf8").split("\n")
  .filter((line) => /^[^#\s]/.test(line))
  .map((line) => { const [name, ...words] = line.trim().split(/\s+/); return [name, words]; }));

function screen(...names) {
  return names.flatMap((name) => {
    if (!lines.has(name)) throw new Error(`screens.txt: no line ${name}`);
    return lines.get(name).flatMap((word) => (word.includes(":") ? [word] : screen(word)));
  });
}

module.exports = { screen };
