# What the game's scripts start with, after `set -euo pipefail`: their folder
# as `here` and a scratch folder `work`, removed at exit.
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
