# What every end-to-end script starts with, after `set -euo pipefail`: its
# arguments (VEXAR BUILD_DIR) as `vexar` and `build`, its folder as `here`,
# the xprobe the build made and the Xvfb helpers (x11.sh).
here=$(cd "$(dirname "$0")" && pwd)
vexar=$1
build=$2
XPROBE="$build/tests/xprobe"
source "$here/lib/x11.sh"
