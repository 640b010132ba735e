#!/usr/bin/env bash
# Runs the browser build's link (the launcher of port/web.cmake) and checks the
# Asyncify list against what emscripten reports: a name in the list that
# matches no function fails the link, with the names, rather than print a
# warning and leave a wait that may no longer be instrumented. The names in
# MAY_MISS (one a line: callers the optimiser may have inlined) may miss, and
# their warnings are dropped. Everything else emscripten says passes through.
# Usage: web_link.sh MAY_MISS LINK_COMMAND...
set -uo pipefail
may_miss=$1
shift
said=$(mktemp)
trap 'rm -f "$said"' EXIT
"$@" 2>"$said"
status=$?
miss='Asyncify onlylist contained a non-matching pattern: '
# The names that missed, as emscripten writes them: "NAME (NAME)".
unmatched=$(grep -F "$miss" "$said" | sed -E "s/.*$miss//; s/ \(.*\)\$//" | grep -vxF -f "$may_miss")
grep -vF "$miss" "$said" >&2
if [ -n "$unmatched" ]; then
  echo "error: these names in VEXAR_WEB_ASYNC_FUNCTIONS (port/web.cmake) match no function of the program:" >&2
  echo "$unmatched" | sed 's/^/  /' >&2
  echo "error: see what calls the waits now (-sASYNCIFY_ADVISE=1 names the functions) and update the list" >&2
  # No program is left behind to pass for a good one at the next build.
  args=("$@")
  for ((i = 0; i + 1 < ${#args[@]}; ++i)); do
    if [ "${args[i]}" = -o ]; then rm -f "${args[i + 1]}" "${args[i + 1]%.js}.wasm"; fi
  done
  exit 1
fi
exit "$status"
