# The game scripts' questions about pictures and captured frames, answered by
# the xprobe the build made (tests/e2e/xprobe/); needs `build`.
#   shows FILE CONDITION...   whether the picture meets every condition (the
#                             unmet ones on stderr); $(screen NAME) gives the
#                             conditions of a screen of tests/lib/screens.txt
#   measure FILE MEASURE      prints what xprobe measures: size, px:X,Y, ...
source "$here/../lib/screens.sh"
shows() { "$build/tests/xprobe" --file "$@"; }
measure() { "$build/tests/xprobe" --file "$1" --measure "$2"; }
