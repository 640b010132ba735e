# screen NAME...: the conditions of the named lines of tests/lib/screens.txt,
# one a line, for xprobe's arguments: expect 10 "the play field" $(screen play_field).
# A name not there gives the condition no-such-screen:NAME, which xprobe refuses.
SCREENS_FILE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/screens.txt"
screen() {
  awk -v want="$*" '
    function expand(name,   words, n, i) {
      if (!(name in line)) { print "no-such-screen:" name; return }
      n = split(line[name], words, /[ \t]+/)
      for (i = 2; i <= n; i++) if (words[i] ~ /:/) print words[i]; else expand(words[i])
    }
    /^[^#]/ { line[$1] = $0 }
    END { n = split(want, names, " "); for (j = 1; j <= n; j++) expand(names[j]) }' "$SCREENS_FILE"
}
