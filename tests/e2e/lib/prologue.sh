# What every end-to-end script starts with, after `set -euo pipefail`: its
# arguments (VEXAR BUILD_DIR) as `vexar` and `build`, its folder as `here`,
# the xprobe the build made and the Xvfb helpers (x11.sh).
here=$(cd "$(dirname "$0")" && pwd)
vexar=$1
build=$2
XPROBE="$build/tests/xprobe"
source "$here/lib/x11.sh"
# A config folder of the script's own: the window the player left last time
# is remembered there, and must not leak from one test into another.
export XDG_CONFIG_HOME="$build/e2e-config/$(basename "$0" .sh)"
rm -rf "$XDG_CONFIG_HOME"
