// Processor time of a process tree, from /proc: for figures of what a
// browser costs, all of its processes together.
"use strict";
const fs = require("fs");
const { execFileSync } = require("child_process");

const ticksPerSecond = Number(execFileSync("getconf", ["CLK_TCK"]).toString()) || 100;

// pid -> [parent pid, utime + stime] for every process readable now.
function allProcesses() {
  const table = new Map();
  for (const name of fs.readdirSync("/proc")) {
    if (!/^\d+$/.test(name)) continue;
    try {
      // The fields after the command name, which may hold spaces.
      const fields = fs.readFileSync(`/proc/${name}/stat`, "latin1").replace(/^.*\) /s, "").split(" ");
      table.set(Number(name), [Number(fields[1]), Number(fields[11]) + Number(fields[12])]);
    } catch (error) {
      // Gone since the listing.
    }
  }
  return table;
}

// pid -> clock ticks used so far, for `root`'s descendants (not `root`).
function treeTicks(root) {
  const table = allProcesses();
  const inside = new Set([root]);
  const ticks = new Map();
  for (let grew = true; grew;) {
    grew = false;
    for (const [pid, [parent, used]] of table)
      if (!inside.has(pid) && inside.has(parent)) {
        inside.add(pid);
        ticks.set(pid, used);
        grew = true;
      }
  }
  return ticks;
}

// Processor seconds `root`'s descendants used between two treeTicks; a
// process that began in between counts from zero, one that ended is lost.
function secondsUsed(before, after) {
  let used = 0;
  for (const [pid, ticks] of after) used += ticks - (before.get(pid) || 0);
  return { seconds: used / ticksPerSecond, processes: after.size };
}

module.exports = { treeTicks, secondsUsed };
